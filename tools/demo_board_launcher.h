#pragma once

// Starts the demo board (tools/demo_board.py) and other programs from C++ tests and benchmarks:
// child processes with their output captured, time limits, and signals. Header-only; POSIX.
// Everything here is called from one thread, the test's.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace vexa::demo {

inline bool hasPython() {
  return std::system("python3 -c '' >/dev/null 2>&1") == 0;
}

inline std::string demoBoardScript(const std::string& sourceDir) {
  return sourceDir + "/tools/demo_board.py";
}

// A running child with pipes to its standard streams.
class ChildProcess {
 public:
  ChildProcess() = default;
  ~ChildProcess() {
    kill(SIGKILL);
    wait();
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // True on failure. The child's stdin is a pipe kept open until closeInput() or the end.
  bool start(const std::vector<std::string>& argv) {
    int in[2], out[2], err[2];
    if (pipe2(in, O_CLOEXEC) != 0) return true;
    if (pipe2(out, O_CLOEXEC) != 0) return true;
    if (pipe2(err, O_CLOEXEC) != 0) return true;
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    pid_ = fork();
    if (pid_ < 0) return true;
    if (pid_ == 0) {
      dup2(in[0], 0);
      dup2(out[1], 1);
      dup2(err[1], 2);
      signal(SIGPIPE, SIG_DFL);
      execvp(args[0], args.data());
      _exit(127);
    }
    close(in[0]);
    close(out[1]);
    close(err[1]);
    input_ = in[1];
    output_ = out[0];
    error_ = err[0];
    return false;
  }

  // Reads what is ready from stdout and stderr for up to timeoutMs; false once both are closed.
  bool pump(int timeoutMs) {
    pollfd fds[2] = {{output_, POLLIN, 0}, {error_, POLLIN, 0}};
    if (output_ < 0 && error_ < 0) return false;
    if (poll(fds, 2, timeoutMs) <= 0) return true;
    readInto(output_, fds[0].revents, out);
    readInto(error_, fds[1].revents, err);
    return output_ >= 0 || error_ >= 0;
  }

  void closeInput() {
    if (input_ >= 0) close(input_);
    input_ = -1;
  }

  void kill(int signalNumber) {
    if (pid_ > 0 && status_ < 0) ::kill(pid_, signalNumber);
  }

  // Reaps the child; its exit status, or 128 + the signal that ended it.
  int wait() {
    if (pid_ > 0 && status_ < 0) {
      int status = 0;
      while (waitpid(pid_, &status, 0) < 0) {
      }
      status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    closeInput();
    for (int* fd : {&output_, &error_}) {
      if (*fd >= 0) close(*fd);
      *fd = -1;
    }
    return status_;
  }

  bool exited() {
    if (pid_ <= 0 || status_ >= 0) return true;
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) != pid_) return false;
    status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return true;
  }

  std::string out;
  std::string err;

 private:
  static void readInto(int& fd, short revents, std::string& text) {
    if (fd < 0 || revents == 0) return;
    char buffer[65536];
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n > 0) {
      text.append(buffer, static_cast<size_t>(n));
    } else {
      close(fd);
      fd = -1;
    }
  }

  pid_t pid_ = -1;
  int status_ = -1;
  int input_ = -1;
  int output_ = -1;
  int error_ = -1;
};

struct RunResult {
  int status = -1;  // exit status, 128 + signal
  bool timedOut = false;
  std::string out;
  std::string err;
  double seconds = 0;
};

// Runs a program to its end, or kills it after timeoutMs (timedOut). `watch`, when given, is
// called whenever output arrives and at least every 100 ms with the child; it may signal it.
inline RunResult runProgram(const std::vector<std::string>& argv, int timeoutMs,
                            const std::function<void(ChildProcess&)>& watch = {}) {
  RunResult result;
  ChildProcess child;
  const auto start = std::chrono::steady_clock::now();
  if (child.start(argv)) return result;
  child.closeInput();
  for (;;) {
    const bool open = child.pump(100);
    if (watch) watch(child);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    if (std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count() > timeoutMs) {
      result.timedOut = true;
      child.kill(SIGKILL);
      break;
    }
    if (!open && child.exited()) break;
  }
  result.status = child.wait();
  result.out = std::move(child.out);
  result.err = std::move(child.err);
  result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return result;
}

// The demo board on an ephemeral port of 127.0.0.1. It ends when this object goes, and by
// itself when the test process dies (its stdin closes) or after ten minutes.
class DemoBoard {
 public:
  // True on failure; `args` are extra options such as {"--seed", "1"}.
  bool start(const std::string& sourceDir, const std::vector<std::string>& args) {
    std::vector<std::string> argv = {"python3",
                                     demoBoardScript(sourceDir),
                                     "--host",
                                     "127.0.0.1",
                                     "--port",
                                     "0",
                                     "--watch-stdin",
                                     "--lifetime",
                                     "600"};
    argv.insert(argv.end(), args.begin(), args.end());
    if (process_.start(argv)) return true;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (process_.out.find('\n') == std::string::npos) {
      if (std::chrono::steady_clock::now() > deadline || !process_.pump(100)) return true;
    }
    address_ = process_.out.substr(0, process_.out.find('\n'));
    return address_.empty();
  }

  // Ends the server; its exit status.
  int stop() {
    process_.kill(SIGTERM);
    return process_.wait();
  }

  const std::string& address() const { return address_; }
  std::string url(const std::string& path) const { return "http://" + address_ + path; }
  // What the server wrote to stderr so far (its error messages).
  std::string errors() {
    process_.pump(0);
    return process_.err;
  }

 private:
  ChildProcess process_;
  std::string address_;
};

// One GET through Python's own HTTP client (independent of vexa's). The body goes to
// `bodyFile`; the result's `out` is "STATUS FRAMING" with FRAMING "chunked" or "length".
inline RunResult fetchWithPython(const std::string& url, const std::string& bodyFile) {
  static const char* const kScript =
      "import http.client, sys, urllib.parse\n"
      "u = urllib.parse.urlsplit(sys.argv[1])\n"
      "c = http.client.HTTPConnection(u.hostname, u.port, timeout=20)\n"
      "c.request('GET', u.path)\n"
      "r = c.getresponse()\n"
      "framing = 'chunked' if r.chunked else 'length'\n"
      "open(sys.argv[2], 'wb').write(r.read())\n"
      "print(r.status, framing)\n";
  return runProgram({"python3", "-c", kScript, url, bodyFile}, 30000);
}

inline std::string readFile(const std::string& path) {
  std::string text;
  if (FILE* file = std::fopen(path.c_str(), "rb")) {
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, n);
    std::fclose(file);
  }
  return text;
}

}  // namespace vexa::demo
