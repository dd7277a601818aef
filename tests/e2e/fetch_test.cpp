// Runs the built program's --fetch mode against local servers: Python's http.server and a small
// scripted peer that records the request it gets.

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr const char* kPython = "/usr/bin/python3";

struct RunResult {
  int status = -1;
  std::string out;
  std::string err;
};

RunResult runVexa(std::vector<std::string> arguments) {
  RunResult result;
  int outPipe[2];
  int errPipe[2];
  if (::pipe2(outPipe, O_CLOEXEC) != 0 || ::pipe2(errPipe, O_CLOEXEC) != 0) return result;
  std::vector<char*> argv;
  std::string program = VEXA_BINARY;
  argv.push_back(program.data());
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(outPipe[1], 1);
    ::dup2(errPipe[1], 2);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  ::close(outPipe[1]);
  ::close(errPipe[1]);
  pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
  std::string* sinks[2] = {&result.out, &result.err};
  int open = 2;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (open > 0 && std::chrono::steady_clock::now() < deadline) {
    if (::poll(fds, 2, 100) <= 0) continue;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP))) continue;
      char buffer[65536];
      ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
      if (n > 0) {
        sinks[i]->append(buffer, static_cast<size_t>(n));
      } else {
        ::close(fds[i].fd);
        fds[i].fd = -1;
        --open;
      }
    }
  }
  if (open > 0) ::kill(pid, SIGKILL);
  int status = 0;
  ::waitpid(pid, &status, 0);
  for (pollfd& entry : fds) {
    if (entry.fd >= 0) ::close(entry.fd);
  }
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

// A Python server process; its first output line names its port.
class PythonServer {
 public:
  explicit PythonServer(std::vector<std::string> arguments) {
    int pipeFds[2];
    if (::access(kPython, X_OK) != 0 || ::pipe2(pipeFds, O_CLOEXEC) != 0) return;
    std::vector<char*> argv;
    std::string program = kPython;
    std::string unbuffered = "-u";
    argv.push_back(program.data());
    argv.push_back(unbuffered.data());
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_ = ::fork();
    if (pid_ == 0) {
      int quiet = ::open("/dev/null", O_WRONLY);
      ::dup2(pipeFds[1], 1);
      if (quiet >= 0) ::dup2(quiet, 2);
      ::execv(kPython, argv.data());
      ::_exit(127);
    }
    ::close(pipeFds[1]);
    output_ = pipeFds[0];
    std::string seen;
    std::smatch match;
    const std::regex portLine("port (\\d+)");
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (pid_ > 0 && std::chrono::steady_clock::now() < deadline) {
      pollfd entry{output_, POLLIN, 0};
      if (::poll(&entry, 1, 100) <= 0) continue;
      char buffer[512];
      ssize_t n = ::read(output_, buffer, sizeof buffer);
      if (n <= 0) break;
      seen.append(buffer, static_cast<size_t>(n));
      if (std::regex_search(seen, match, portLine)) {
        port_ = static_cast<uint16_t>(std::stoi(match[1]));
        break;
      }
    }
  }
  ~PythonServer() {
    if (pid_ > 0) {
      ::kill(pid_, SIGTERM);
      int status = 0;
      ::waitpid(pid_, &status, 0);
    }
    if (output_ >= 0) ::close(output_);
  }
  uint16_t port() const { return port_; }

 private:
  pid_t pid_ = -1;
  int output_ = -1;
  uint16_t port_ = 0;
};

// Answers every connection with the same bytes after reading its request, and keeps the requests.
class RecordingPeer {
 public:
  RecordingPeer(std::string response, const char* address) : response_(std::move(response)) {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    ::inet_pton(AF_INET, address, &local.sin_addr);
    ::bind(listener_, reinterpret_cast<sockaddr*>(&local), sizeof local);
    ::listen(listener_, 8);
    socklen_t size = sizeof local;
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&local), &size);
    host_ = std::string(address) + ":" + std::to_string(ntohs(local.sin_port));
    thread_ = std::thread([this] { serve(); });
  }
  ~RecordingPeer() {
    stopping_ = true;
    thread_.join();
    ::close(listener_);
  }
  const std::string& host() const { return host_; }
  std::vector<std::string> requests;  // read after the run

 private:
  void serve() {
    while (!stopping_) {
      pollfd entry{listener_, POLLIN, 0};
      if (::poll(&entry, 1, 20) <= 0) continue;
      int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
      if (fd < 0) continue;
      std::string request;
      char buffer[4096];
      while (request.find("\r\n\r\n") == std::string::npos) {
        pollfd client{fd, POLLIN, 0};
        if (::poll(&client, 1, 5000) <= 0) break;
        ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) break;
        request.append(buffer, static_cast<size_t>(n));
      }
      requests.push_back(request);
      ::send(fd, response_.data(), response_.size(), MSG_NOSIGNAL);
      ::close(fd);
    }
  }

  std::string response_;
  std::string host_;
  int listener_ = -1;
  std::atomic<bool> stopping_{false};
  std::thread thread_;
};

std::string patternBytes(size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 13 + i / 509) % 256);
  return bytes;
}

size_t count(const std::string& text, const std::string& needle) {
  size_t found = 0;
  for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1)) {
    ++found;
  }
  return found;
}

TEST(Fetch, UsageErrorsExitWithTwo) {
  const std::vector<std::vector<std::string>> cases = {
      {"--fetch"},
      {"--fetch", "ftp://127.0.0.1/x"},
      {"--fetch", "http://"},
      {"--fetch", "http:///path"},
      {"--fetch", "http://127.0.0.1:0/"},
      {"--fetch", "http://127.0.0.1:99999/"},
      {"--fetch", "http://127.0.0.1:80x/"},
      {"--fetch", "http://127.0.0.1/a b"},
      {"--fetch", "http://127.0.0.1/a\r\nX-Evil: 1"},
      {"--fetch", "http://user@127.0.0.1/"},
      {"--fetch", "127.0.0.1/path"},
      {"--board", "x", "--fetch", "http://127.0.0.1/"},
  };
  for (const std::vector<std::string>& arguments : cases) {
    SCOPED_TRACE(arguments.back());
    RunResult run = runVexa(arguments);
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(run.out.empty());
    EXPECT_NE(run.err.find("vexa:"), std::string::npos) << run.err;
  }
}

TEST(Fetch, BodiesInUrlOrderAndFailuresSkipped) {
  if (::access(kPython, X_OK) != 0) GTEST_SKIP() << "no " << kPython;
  char name[] = "/tmp/vexa-fetch-XXXXXX";
  ASSERT_NE(::mkdtemp(name), nullptr);
  const std::string directory = name;
  const std::string big = patternBytes(700000);
  std::ofstream(directory + "/big.bin", std::ios::binary) << big;
  std::ofstream(directory + "/small.txt", std::ios::binary) << "small\n";
  PythonServer server({"-m", "http.server", "--bind", "127.0.0.8", "0", "--directory", directory});
  ASSERT_NE(server.port(), 0);
  const std::string base = "http://127.0.0.8:" + std::to_string(server.port());

  RunResult run = runVexa(
      {"--fetch", base + "/small.txt", base + "/missing", base + "/big.bin", base + "/small.txt"});
  std::filesystem::remove_all(directory);
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_TRUE(run.out == "small\n" + big + "small\n") << "stdout holds " << run.out.size();
  EXPECT_EQ(count(run.err, "サーバーがエラーを返しました (HTTP 404)\n"), 1u) << run.err;
  EXPECT_EQ(count(run.err, "- 接続開始 127.0.0.8:" + std::to_string(server.port()) + " -\n"), 4u);
  // Every line is a change: no line repeats the one before it.
  std::vector<std::string> lines;
  for (size_t at = 0, end; (end = run.err.find('\n', at)) != std::string::npos; at = end + 1) {
    lines.push_back(run.err.substr(at, end - at));
  }
  for (size_t i = 1; i < lines.size(); ++i) EXPECT_NE(lines[i], lines[i - 1]);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back().rfind("- データ取得 サイズ : ", 0), 0u) << lines.back();
}

TEST(Fetch, AllSucceedGivesZeroAndTheRequestIsTheClients) {
  RecordingPeer setter(
      "HTTP/1.1 200 OK\r\nSet-Cookie: sid=42; path=/\r\nContent-Length: 3\r\n\r\none", "127.0.0.9");
  RecordingPeer getter("HTTP/1.0 200 OK\r\n\r\ntwo until close", "127.0.0.10");
  RunResult run =
      runVexa({"--fetch", "http://" + setter.host(), "http://" + getter.host() + "/x?y=1"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "onetwo until close");
  RunResult version = runVexa({"--version"});
  std::string product = version.out.substr(0, version.out.find('\n'));  // "vexa X.Y.Z"
  ASSERT_EQ(setter.requests.size(), 1u);
  ASSERT_EQ(getter.requests.size(), 1u);
  EXPECT_EQ(setter.requests[0],
            "GET / HTTP/1.1\r\nHost: " + setter.host() +
                "\r\nAccept: text/*\r\nAccept-Language: ja,en-us;q=0.7,en;q=0.3\r\n"
                "Accept-Charset: Shift_JIS,utf-8;q=0.7,*;q=0.7\r\n"
                "User-Agent: Monazilla/1.00 (vexa/" +
                product.substr(5) + ")\r\nConnection: close\r\n\r\n");
  // One cookie store for the whole run, shared by every host.
  EXPECT_NE(getter.requests[0].find("GET /x?y=1 HTTP/1.1\r\nHost: " + getter.host() + "\r\n"),
            std::string::npos);
  EXPECT_NE(getter.requests[0].find("\r\nCookie: sid=42;\r\nConnection: close\r\n\r\n"),
            std::string::npos)
      << getter.requests[0];
}

TEST(Fetch, CutShortBodyIsAFailureWithNothingOnStdout) {
  RecordingPeer cut("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nonly this", "127.0.0.11");
  RunResult run = runVexa({"--fetch", "http://" + cut.host() + "/"});
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(run.out.empty());
  EXPECT_NE(run.err.find("不明なエラーが発生しました\n"), std::string::npos) << run.err;
}

}  // namespace
