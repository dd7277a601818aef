// vexa --fetch URL...: downloads each URL in turn through the download client, as the viewer
// would, to show whether vexa can reach a server. Bodies go to standard output byte for byte,
// status lines to standard error in UTF-8. Exit status 0 when every download succeeded, 1 when
// any failed, 2 on a usage error.

#include <strings.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/front_ends.h"
#include "app/headless_status_view.h"
#include "app/status_printer.h"
#include "app/usage.h"
#include "base/task_loop.h"
#include "net/download_client.h"
#include "net/download_host.h"
#include "net/host_port.h"
#include "platform/message_queue.h"
#include "platform/signals.h"
#include "resources/version.h"

namespace vexa {

namespace {

struct FetchTarget {
  std::string host;  // NAME or NAME:PORT as written in the URL; https:// kept for HTTPS
  std::string path;
};

bool isHostNameByte(char byte) {
  return (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
         (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' || byte == '_';
}

// http(s)://HOST[:PORT][/PATH]; an empty path is "/". No blanks or control bytes anywhere, so
// nothing from the command line can add a line to the request.
bool parseUrl(const char* url, FetchTarget& target) {
  static const char kPlain[] = "http://";
  static const char kSecure[] = "https://";
  const char* hostStart;
  if (strncasecmp(url, kPlain, sizeof kPlain - 1) == 0) {
    hostStart = url + sizeof kPlain - 1;
    target.host.clear();
  } else if (strncasecmp(url, kSecure, sizeof kSecure - 1) == 0) {
    hostStart = url + sizeof kSecure - 1;
    target.host = kSecure;
  } else {
    return false;
  }
  for (const char* at = url; *at != '\0'; ++at) {
    unsigned char byte = static_cast<unsigned char>(*at);
    if (byte <= 0x20 || byte == 0x7F) return false;
  }
  const char* hostEnd = std::strchr(hostStart, '/');
  target.host.append(hostStart,
                     hostEnd ? static_cast<size_t>(hostEnd - hostStart) : std::strlen(hostStart));
  target.path = hostEnd ? hostEnd : "/";
  ServerAddress server;
  if (!splitServer(target.host.c_str(), server)) return false;
  for (char byte : server.target.name) {
    if (!isHostNameByte(byte)) return false;
  }
  return true;
}

class FetchTask : public DownloadClient {
 public:
  FetchTask(DownloadHost& host, const std::vector<FetchTarget>& targets)
      : DownloadClient(host), targets_(targets) {}

  bool anyFailed() const { return anyFailed_; }
  // The reason standard output could not take a body, or 0 when it took every one.
  int outputError() const { return outputError_; }

 protected:
  void run() override {
    for (const FetchTarget& target : targets_) {
      if (download(target.host.c_str(), target.path.c_str())) {
        anyFailed_ = true;
        continue;
      }
      std::string_view bytes = body();
      errno = 0;
      // A body that cannot be delivered ends the run: the next ones would be lost too.
      if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size() ||
          std::fflush(stdout) != 0) {
        outputError_ = errno != 0 ? errno : EIO;
        return;
      }
    }
  }

 private:
  const std::vector<FetchTarget>& targets_;
  bool anyFailed_ = false;
  int outputError_ = 0;
};

int usageError(const char* message, const char* argument) {
  std::fprintf(stderr, "vexa: %s%s\nUsage: vexa --fetch http[s]://HOST[:PORT]/PATH...\n", message,
               argument ? argument : "");
  return 2;
}

}  // namespace

int runFetchFrontEnd(int argc, char** argv) {
  platform::ignoreBrokenPipes();
  int first = 1;
  while (first < argc && std::strcmp(argv[first], "--fetch") != 0) ++first;
  if (first != 1) return usageError("--fetch takes no other options", nullptr);
  std::vector<FetchTarget> targets;
  for (int i = first + 1; i < argc; ++i) {
    FetchTarget target;
    if (!parseUrl(argv[i], target))
      return usageError("not a URL of the form http[s]://HOST[:PORT]/PATH: ",
                        shownArgument(argv[i]).c_str());
    targets.push_back(std::move(target));
  }
  if (targets.empty()) return usageError("--fetch needs at least one URL", nullptr);

  PlainDownloadHost host;  // the default poll interval of 30 s: a time limit of 15 s
  host.agent = std::string("Monazilla/1.00 (vexa/") + VEXA_PRODUCT_VERSION + ")";
  StatusPrinter printer(stderr);
  HeadlessStatusView statusView(printer, "");
  FetchTask task(host, targets);
  task.setStatusView(&statusView);

  platform::MessageQueue queue;
  TaskLoop loop(queue);
  loop.setStopWhenIdle(true);
  loop.addTask(&task);
  if (task.start(0) || loop.run()) {
    std::fputs("vexa: the download task could not start\n", stderr);
    return 1;
  }
  printer.flush();
  if (task.outputError() != 0) {
    std::fprintf(stderr, "vexa: cannot write to standard output: %s\n",
                 std::strerror(task.outputError()));
    return 1;
  }
  return task.anyFailed() ? 1 : 0;
}

}  // namespace vexa
