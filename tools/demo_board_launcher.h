#pragma once

// Starts the demo board (tools/demo_board.py) and other programs from C++ tests and benchmarks:
// child processes with their output captured, time limits, and signals; and reads what the board
// serves. Header-only; POSIX. Everything here is called from one thread, the test's.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace vexa::demo {

// How a child starts, beyond its arguments.
struct Spawn {
  const std::vector<std::string>* env = nullptr;  // null: this process's environment
  std::string cwd;                                // empty: this process's folder
  bool removeCwd = false;  // the child starts in a folder that no longer exists
};

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
  bool start(const std::vector<std::string>& argv, const Spawn& spawn = {}) {
    int pipes[3][2];  // stdin, stdout, stderr; the child's end of stdin is [0], of the others [1]
    for (auto& ends : pipes) {
      if (pipe2(ends, O_CLOEXEC) != 0) return true;
    }
    auto pointers = [](const std::vector<std::string>& strings) {
      std::vector<char*> list;
      for (const std::string& s : strings) list.push_back(const_cast<char*>(s.c_str()));
      list.push_back(nullptr);
      return list;
    };
    std::vector<char*> args = pointers(argv);
    std::vector<char*> env = spawn.env != nullptr ? pointers(*spawn.env) : args;
    pid_ = fork();
    if (pid_ < 0) return true;
    for (int i = 0; i < 3; ++i) {
      if (pid_ == 0) dup2(pipes[i][i == 0 ? 0 : 1], i);
      close(pipes[i][i == 0 ? 0 : 1]);
      fds_[i] = pipes[i][i == 0 ? 1 : 0];
    }
    if (pid_ == 0) {
      signal(SIGPIPE, SIG_DFL);
      if (!spawn.cwd.empty() && chdir(spawn.cwd.c_str()) != 0) _exit(126);
      if (spawn.removeCwd && rmdir(spawn.cwd.c_str()) != 0) _exit(126);
      execvpe(args[0], args.data(), spawn.env != nullptr ? env.data() : environ);
      _exit(127);
    }
    return false;
  }

  // Reads what is ready from stdout and stderr for up to timeoutMs; false once both are closed.
  bool pump(int timeoutMs) {
    pollfd fds[2] = {{fds_[1], POLLIN, 0}, {fds_[2], POLLIN, 0}};
    if (fds_[1] < 0 && fds_[2] < 0) return false;
    if (poll(fds, 2, timeoutMs) <= 0) return true;
    readInto(fds_[1], fds[0].revents, out);
    readInto(fds_[2], fds[1].revents, err);
    return fds_[1] >= 0 || fds_[2] >= 0;
  }

  void closeInput() { closeFd(fds_[0]); }

  void kill(int signalNumber) {
    if (pid_ > 0 && status_ < 0) ::kill(pid_, signalNumber);
  }

  // Reaps the child; its exit status, or 128 + the signal that ended it.
  int wait() {
    int status = 0;
    if (pid_ > 0 && status_ < 0 && waitpid(pid_, &status, 0) == pid_) {
      status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    for (int& fd : fds_) closeFd(fd);
    return status_;
  }

  std::string out, err;

 private:
  static void closeFd(int& fd) {
    if (fd >= 0) close(fd);
    fd = -1;
  }
  static void readInto(int& fd, short revents, std::string& text) {
    if (fd < 0 || revents == 0) return;
    char buffer[65536];
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n <= 0) return closeFd(fd);
    text.append(buffer, static_cast<size_t>(n));
  }

  pid_t pid_ = -1;
  int status_ = -1;
  int fds_[3] = {-1, -1, -1};  // our ends of the child's stdin, stdout and stderr
};

struct RunResult {
  int status = -1;  // exit status, 128 + signal
  bool timedOut = false;
  std::string out, err;
  double seconds = 0;
};

// Runs a program to its end, or kills it after timeoutMs (timedOut). `watch`, when given, is
// called whenever output arrives and at least every 100 ms with the child; it may signal it.
// A child that closes its standard streams early is waited for without a time limit.
inline RunResult runProgram(const std::vector<std::string>& argv, int timeoutMs,
                            const std::function<void(ChildProcess&)>& watch = {},
                            const Spawn& spawn = {}) {
  RunResult result;
  ChildProcess child;
  const auto start = std::chrono::steady_clock::now();
  auto seconds = [&] {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  };
  if (child.start(argv, spawn)) return result;
  child.closeInput();
  // The child's end closes its pipes.
  while (child.pump(100)) {
    if (watch) watch(child);
    if (seconds() * 1000 > timeoutMs) {
      result.timedOut = true;
      child.kill(SIGKILL);
    }
  }
  result.status = child.wait();
  result.out = std::move(child.out);
  result.err = std::move(child.err);
  result.seconds = seconds();
  return result;
}

// One GET through Python's own HTTP client (independent of vexa's): the body on `out`, and
// "STATUS FRAMING" on `err`, FRAMING being "chunked" or "length".
inline RunResult fetchWithPython(const std::string& url) {
  static const char* const kScript =
      "import http.client, sys, urllib.parse\n"
      "u = urllib.parse.urlsplit(sys.argv[1])\n"
      "c = http.client.HTTPConnection(u.hostname, u.port, timeout=20)\n"
      "c.request('GET', u.path)\n"
      "r = c.getresponse()\n"
      "sys.stdout.buffer.write(r.read())\n"
      "sys.stderr.write('%d %s' % (r.status, 'chunked' if r.chunked else 'length'))\n";
  return runProgram({"python3", "-c", kScript, url}, 30000);
}

// The demo board on an ephemeral port of 127.0.0.1. It ends when this object goes, and by
// itself when the test process dies (its stdin closes) or after ten minutes.
class DemoBoard {
 public:
  // True on failure; `args` are extra options such as {"--seed", "1"}.
  bool start(const std::string& sourceDir, const std::vector<std::string>& args) {
    std::vector<std::string> argv = {"python3", sourceDir + "/tools/demo_board.py",
                                     "--watch-stdin"};
    argv.insert(argv.end(), {"--bind", "127.0.0.1:0", "--lifetime", "600"});
    argv.insert(argv.end(), args.begin(), args.end());
    if (process_.start(argv)) return true;
    // The board's first line is its address; give it 20 seconds.
    for (int i = 0; i < 200 && process_.out.find('\n') == std::string::npos; ++i) {
      if (!process_.pump(100)) return true;
    }
    address_ = process_.out.substr(0, process_.out.find('\n'));
    return address_.empty() || address_.size() == process_.out.size();
  }

  const std::string& address() const { return address_; }
  std::string url(const std::string& path) const { return "http://" + address_ + path; }
  RunResult get(const std::string& path) const { return fetchWithPython(url(path)); }
  // What the server wrote to stderr so far (its error messages).
  std::string errors() {
    process_.pump(0);
    return process_.err;
  }

 private:
  ChildProcess process_;
  std::string address_;
};

// A new folder in /tmp, removed with all it holds when this object goes.
struct TempDir {
  TempDir() {
    char pattern[] = "/tmp/vexa-test-XXXXXX";
    if (mkdtemp(pattern) != nullptr) path = pattern;
  }
  ~TempDir() {
    std::error_code ignored;
    if (!path.empty()) std::filesystem::remove_all(path, ignored);
  }

  std::string path;
};

inline std::string readFile(const std::string& path) {
  std::ostringstream text;
  text << std::ifstream(path, std::ios::binary).rdbuf();
  return text.str();
}

inline std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// A line of subject.txt as the viewer reads it: key before "<>", title up to the last " (",
// then the post count.
struct Thread {
  std::string key, title;
  unsigned count = 0;
};

inline std::vector<Thread> parseSubject(const std::string& text) {
  std::vector<Thread> threads;
  for (const std::string& line : splitLines(text)) {
    const size_t separator = line.find("<>"), open = line.rfind(" (");
    threads.push_back({line.substr(0, separator), line.substr(separator + 2, open - separator - 2),
                       static_cast<unsigned>(std::atoi(line.c_str() + open + 2))});
  }
  return threads;
}

}  // namespace vexa::demo
