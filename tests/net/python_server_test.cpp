// Downloads from Debian's Python http.server, so the framing comes from code nobody here wrote.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>

#include "tests/net/download_fixture.h"
#include "tests/net/scripted_peer.h"

namespace vexa {
namespace {

const char* const kPython = "/usr/bin/python3";

// Serves the files under argv[1] (http.server's own file serving): /PATH with Content-Length,
// /close/PATH without it, as HTTP/1.0 ends the body with the close. The listening socket comes
// as descriptor 3, so connections wait in its backlog until Python is ready.
const char* const kServer = R"(
import functools, http.server, socket, sys
class Handler(http.server.SimpleHTTPRequestHandler):
    def translate_path(self, path):
        return super().translate_path(path.removeprefix("/close"))
    def send_header(self, name, value):
        if name != "Content-Length" or not self.path.startswith("/close/"):
            super().send_header(name, value)
    def log_message(self, *args):
        pass
server = http.server.HTTPServer(None, functools.partial(Handler, directory=sys.argv[1]), False)
server.socket = socket.socket(fileno=3)
server.serve_forever()
)";

TEST(PythonServer, SizedAndCloseDelimitedBodiesByteForByte) {
  if (::access(kPython, X_OK) != 0) GTEST_SKIP() << "no " << kPython;
  uint16_t port = 0;
  int listener = test::listenOn("127.0.0.2", port);
  pid_t python = listener < 0 ? -1 : ::fork();
  if (python == 0) {
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);  // no server outlives a test run that crashed
    ::dup2(listener, 3);
    ::fcntl(3, F_SETFD, 0);  // also when the listener was descriptor 3 already
    ::execl(kPython, kPython, "-c", kServer, VEXA_SOURCE_DIR, nullptr);
    ::_exit(127);
  }
  ::close(listener);
  ASSERT_GT(python, 0);
  const std::string host = "127.0.0.2:" + std::to_string(port);
  test::TestClient client;
  for (const char* prefix : {"/", "/close/"}) {
    for (const char* path : {"tests/net/download_client_test.cpp", "tests/net/CMakeLists.txt"}) {
      SCOPED_TRACE(prefix + std::string(path));
      std::stringstream file;
      file << std::ifstream(std::string(VEXA_SOURCE_DIR "/") + path, std::ios::binary).rdbuf();
      EXPECT_FALSE(test::downloadOnTask(client, host, prefix + std::string(path)))
          << client.lastLine();
      EXPECT_EQ(client.body(), file.str());
    }
  }
  ::kill(python, SIGTERM);
  ::waitpid(python, nullptr, 0);
}

}  // namespace
}  // namespace vexa
