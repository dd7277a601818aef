#include "tests/net/python_server.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <regex>

namespace vexa::test {

bool pythonAvailable() {
  return ::access(kPython, X_OK) == 0;
}

PythonServer::PythonServer(std::vector<std::string> arguments) {
  int pipeFds[2];
  if (::pipe2(pipeFds, O_CLOEXEC) != 0) return;
  std::vector<char*> argv;
  std::string program = kPython;
  argv.push_back(program.data());
  std::string unbuffered = "-u";
  argv.push_back(unbuffered.data());
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  pid_ = ::fork();
  if (pid_ == 0) {
    // The request log goes nowhere: nobody would drain it.
    int quiet = ::open("/dev/null", O_WRONLY);
    ::dup2(pipeFds[1], 1);
    if (quiet >= 0) ::dup2(quiet, 2);
    ::execv(kPython, argv.data());
    ::_exit(127);
  }
  ::close(pipeFds[1]);
  output_ = pipeFds[0];
  if (pid_ < 0) return;

  std::string seen;
  const std::regex portLine("port (\\d+)");
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (std::chrono::steady_clock::now() < deadline) {
    pollfd entry{output_, POLLIN, 0};
    if (::poll(&entry, 1, 100) <= 0) continue;
    char buffer[512];
    ssize_t n = ::read(output_, buffer, sizeof buffer);
    if (n <= 0) break;
    seen.append(buffer, static_cast<size_t>(n));
    std::smatch match;
    if (std::regex_search(seen, match, portLine)) {
      port_ = static_cast<uint16_t>(std::stoi(match[1]));
      break;
    }
  }
}

PythonServer::~PythonServer() {
  if (pid_ > 0) {
    ::kill(pid_, SIGTERM);
    int status = 0;
    ::waitpid(pid_, &status, 0);
  }
  if (output_ >= 0) ::close(output_);
}

}  // namespace vexa::test
