// Whole-program tests of start-up and shutdown: the built program is run in temporary folders
// with chosen arguments and environments.

#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

const std::string kLog = "\r\n===== program termination correctly =====\r\n";

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

bool exists(const std::string& path) {
  struct stat info;
  return lstat(path.c_str(), &info) == 0;
}

std::set<std::string> listFolder(const std::string& path) {
  std::set<std::string> names;
  if (DIR* dir = opendir(path.c_str())) {
    while (dirent* entry = readdir(dir)) {
      const std::string name = entry->d_name;
      if (name != "." && name != "..") names.insert(name);
    }
    closedir(dir);
  }
  return names;
}

struct RunResult {
  bool timedOut = false;
  bool exited = false;
  int status = -1;  // exit status, or the signal when !exited
  std::string out;
  std::string err;
};

struct Launch {
  std::vector<std::string> args;  // after argv[0]
  bool noArgv = false;            // start with argc 0
  std::vector<std::string> env;
  std::string cwd;
  bool removeCwd = false;  // the program starts in a folder that no longer exists
};

class StartupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/vexa-startup-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root_ = pattern;
    for (const char* sub : {"work", "run", "tmp", "home", "io"}) {
      ASSERT_EQ(mkdir((root_ + "/" + sub).c_str(), 0700), 0);
    }
    work_ = root_ + "/work";
    lockPath_ = root_ + "/run/vexa-mutex";
  }
  void TearDown() override {
    if (heldFd_ >= 0) close(heldFd_);
    std::system(("rm -rf '" + root_ + "'").c_str());
  }

  std::vector<std::string> baseEnv() const {
    return {"PATH=/usr/bin:/bin", "HOME=" + root_ + "/home", "XDG_RUNTIME_DIR=" + root_ + "/run",
            "TMPDIR=" + root_ + "/tmp", "LANG=C.UTF-8"};
  }

  Launch plainRun(std::vector<std::string> args = {}) const {
    Launch run;
    run.args = std::move(args);
    run.env = baseEnv();
    run.cwd = work_;
    return run;
  }

  // Runs the program and waits for it; a run that has not ended after a minute is killed and
  // reported, so a hang fails the test instead of stalling the suite.
  RunResult start(const Launch& run) const {
    std::vector<std::string> argvStrings;
    if (!run.noArgv) argvStrings.push_back("vexa");
    argvStrings.insert(argvStrings.end(), run.args.begin(), run.args.end());
    std::vector<char*> argv;
    for (std::string& s : argvStrings) argv.push_back(s.data());
    argv.push_back(nullptr);
    std::vector<std::string> envStrings = run.env;
    std::vector<char*> envp;
    for (std::string& s : envStrings) envp.push_back(s.data());
    envp.push_back(nullptr);
    const std::string outPath = root_ + "/io/out";
    const std::string errPath = root_ + "/io/err";

    const pid_t child = fork();
    if (child == 0) {
      const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      const int in = open("/dev/null", O_RDONLY);
      if (out < 0 || err < 0 || in < 0) _exit(126);
      dup2(in, 0);
      dup2(out, 1);
      dup2(err, 2);
      if (chdir(run.cwd.c_str()) != 0) _exit(126);
      if (run.removeCwd && rmdir(run.cwd.c_str()) != 0) _exit(126);
      execve(VEXA_BINARY, argv.data(), envp.data());
      _exit(127);
    }
    RunResult result;
    if (child < 0) return result;
    int status = 0;
    for (int waited = 0;; ++waited) {
      const pid_t done = waitpid(child, &status, WNOHANG);
      if (done == child) break;
      if (waited == 60000) {
        result.timedOut = true;
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
        break;
      }
      usleep(1000);
    }
    result.exited = WIFEXITED(status);
    result.status = result.exited ? WEXITSTATUS(status) : WTERMSIG(status);
    result.out = readFile(outPath);
    result.err = readFile(errPath);
    return result;
  }

  // Takes the lock file the way a running instance holds it.
  void holdLock(const std::string& path) {
    heldFd_ = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_GE(heldFd_, 0);
    ASSERT_EQ(flock(heldFd_, LOCK_EX | LOCK_NB), 0);
  }

  std::string root_;
  std::string work_;
  std::string lockPath_;
  int heldFd_ = -1;
};

void expectCleanExit(const RunResult& result, const std::string& what) {
  EXPECT_FALSE(result.timedOut) << what;
  EXPECT_TRUE(result.exited) << what << ": ended by signal " << result.status;
  EXPECT_EQ(result.status, 0) << what << "\nstderr: " << result.err;
}

TEST_F(StartupTest, FreshRunWritesTheLog) {
  const RunResult result = start(plainRun());
  expectCleanExit(result, "fresh run");
  EXPECT_EQ(readFile(work_ + "/vexa.log"), kLog);
  EXPECT_EQ(listFolder(work_), std::set<std::string>{"vexa.log"});
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err, "");
  // The guard's lock file is in the runtime folder, not in the current one.
  EXPECT_TRUE(exists(lockPath_));
}

TEST_F(StartupTest, EachRunTruncatesTheLog) {
  writeFile(work_ + "/vexa.log", std::string(100000, 'x') + "\r\nold last line\r\n");
  for (int run = 0; run < 2; ++run) {
    expectCleanExit(start(plainRun()), "run " + std::to_string(run));
    EXPECT_EQ(readFile(work_ + "/vexa.log"), kLog) << "run " << run;
  }
}

TEST_F(StartupTest, AnotherInstanceLeavesTheLogAlone) {
  struct Case {
    const char* name;
    bool runtimeDir;  // false: no XDG_RUNTIME_DIR, the lock lives in the temp folder
  } cases[] = {{"runtime folder", true}, {"temp folder", false}};
  for (const Case& c : cases) {
    Launch run = plainRun();
    std::string lock = lockPath_;
    if (!c.runtimeDir) {
      run.env.erase(run.env.begin() + 2);
      lock = root_ + "/tmp/vexa-mutex-" + std::to_string(geteuid());
    }
    holdLock(lock);
    const std::string firstLog = "\r\nthe first instance's log, still being written\r\n";
    writeFile(work_ + "/vexa.log", firstLog);

    const RunResult result = start(run);
    expectCleanExit(result, c.name);
    EXPECT_EQ(readFile(work_ + "/vexa.log"), firstLog) << c.name;
    EXPECT_EQ(listFolder(work_), std::set<std::string>{"vexa.log"}) << c.name;
    EXPECT_EQ(result.out, "") << c.name;
    EXPECT_EQ(result.err, "") << c.name;

    close(heldFd_);
    heldFd_ = -1;
    // Once the first instance is gone the next start runs normally.
    expectCleanExit(start(run), c.name);
    EXPECT_EQ(readFile(work_ + "/vexa.log"), kLog) << c.name;
  }
}

TEST_F(StartupTest, WithoutAUsableLockFileTheRunGoesOnAndSaysSo) {
  // Both places are taken by folders, so no lock file can be made anywhere.
  mkdir(lockPath_.c_str(), 0700);
  mkdir((root_ + "/tmp/vexa-mutex-" + std::to_string(geteuid())).c_str(), 0700);
  expectCleanExit(start(plainRun()), "no lock file");
  EXPECT_EQ(readFile(work_ + "/vexa.log"),
            "\r\nWARNING: fail to create single-instance lock.\r\n"
            "===== program termination correctly =====\r\n");
}

TEST_F(StartupTest, UnwritableFolderMeansNoLogAndANormalRun) {
  struct Case {
    const char* name;
    void (*prepare)(Launch& run, const std::string& work);
  } cases[] = {
      {"vexa.log is a folder",
       [](Launch&, const std::string& work) { mkdir((work + "/vexa.log").c_str(), 0700); }},
      {"current folder removed", [](Launch& run, const std::string&) { run.removeCwd = true; }},
      {"read-only file system", [](Launch& run, const std::string&) { run.cwd = "/proc"; }},
  };
  for (const Case& c : cases) {
    std::system(("rm -rf '" + work_ + "' && mkdir '" + work_ + "'").c_str());
    Launch run = plainRun();
    c.prepare(run, work_);
    const RunResult result = start(run);
    expectCleanExit(result, c.name);
    EXPECT_EQ(result.err, "") << c.name;
    EXPECT_FALSE(exists("/proc/vexa.log")) << c.name;
    if (exists(work_ + "/vexa.log")) {
      EXPECT_TRUE(listFolder(work_ + "/vexa.log").empty()) << c.name;
    }
  }
}

TEST_F(StartupTest, HelpAndVersionNeitherGuardNorLog) {
  std::string version;
  {
    const std::string cmake = readFile(VEXA_SOURCE_DIR "/CMakeLists.txt");
    const std::string marker = "project(vexa VERSION ";
    const size_t at = cmake.find(marker);
    ASSERT_NE(at, std::string::npos);
    const size_t begin = at + marker.size();
    version = cmake.substr(begin, cmake.find_first_not_of("0123456789.", begin) - begin);
    ASSERT_FALSE(version.empty());
  }
  struct Case {
    std::vector<std::string> args;
    bool help;
  } cases[] = {
      {{"--help"}, true},
      {{"--version"}, false},
      {{"--board", "x", "--help"}, true},
      {{"--bogus", "--version"}, false},
  };
  for (const Case& c : cases) {
    holdLock(lockPath_);  // a running instance must not stop either of them
    const RunResult result = start(plainRun(c.args));
    close(heldFd_);
    heldFd_ = -1;
    expectCleanExit(result, c.args.front());
    EXPECT_TRUE(listFolder(work_).empty());
    EXPECT_EQ(result.err, "");
    if (c.help) {
      for (const char* line :
           {"vexa [--menu-host HOST[:PORT]] [--board TITLE] [--pages DIR]",
            "vexa --headless [--menu-host H] [--board T] [--filter TEXT] [--thread KEY] [--ng "
            "ID]...",
            "[--polls N] [--pages DIR]", "vexa --fetch URL...", "vexa --help", "vexa --version"}) {
        EXPECT_NE(result.out.find(line), std::string::npos) << line;
      }
    } else {
      EXPECT_EQ(result.out, "vexa " + version + "\n");
    }
  }
  std::remove(lockPath_.c_str());
  for (const char* option : {"--help", "--version"}) {
    expectCleanExit(start(plainRun({option})), option);
    EXPECT_FALSE(exists(lockPath_)) << option;
  }
}

TEST_F(StartupTest, UsageErrorsExitTwo) {
  const std::vector<std::string> cases[] = {
      {"--bogus"},     {"--board"}, {"stray"}, {"--menu-host", "host:99999"},
      {"--board", ""}, {"--pages"}, {"-"},     {"--board=title"},
  };
  for (const auto& args : cases) {
    const RunResult result = start(plainRun(args));
    EXPECT_FALSE(result.timedOut);
    EXPECT_TRUE(result.exited);
    EXPECT_EQ(result.status, 2) << args.front();
    EXPECT_NE(result.err.find("vexa: "), std::string::npos) << args.front();
    EXPECT_NE(result.err.find("--help"), std::string::npos) << args.front();
    EXPECT_EQ(result.out, "");
    EXPECT_TRUE(listFolder(work_).empty()) << args.front();
    EXPECT_FALSE(exists(lockPath_)) << args.front();
  }
}

TEST_F(StartupTest, OtherModesTakeNoGuardAndWriteNoLog) {
  const std::vector<std::string> cases[] = {
      {"--fetch", "http://127.0.0.1:9/none"},
      {"--headless", "--menu-host", "127.0.0.1:9", "--no-such-option"},
  };
  for (const auto& args : cases) {
    const RunResult result = start(plainRun(args));
    EXPECT_FALSE(result.timedOut) << args.front();
    EXPECT_TRUE(result.exited) << args.front();
    EXPECT_FALSE(exists(work_ + "/vexa.log")) << args.front();
    EXPECT_FALSE(exists(lockPath_)) << args.front();
  }
}

TEST_F(StartupTest, HugeAndOddInputNeverBreaksStartUp) {
  std::string oddTitle = "'\"\x83\x7A\xff\xfe \t\r\n\x01 \\ $HOME `x` %s%n";
  while (oddTitle.size() < 150) oddTitle += "\x81\x40\"'";
  std::vector<std::string> manyArgs;
  for (int i = 0; i < 4000; ++i) {
    manyArgs.push_back("--board");
    manyArgs.push_back(oddTitle);
  }
  manyArgs.push_back("--board");
  manyArgs.push_back(std::string(120000, 'b'));

  std::vector<std::string> oddEnv = baseEnv();
  for (int i = 0; i < 3000; ++i)
    oddEnv.push_back("  VAR_" + std::to_string(i) + " \t=v" + oddTitle);
  for (const char* odd : {"NOEQUALS", "=", "==", "=value only", " \t =blank name", "\xff\xfe=\x81",
                          "DISPLAY", "LC_ALL=xx_XX.NOT-A-CHARSET", "LANGUAGE=ja:en",
                          "XDG_CONFIG_HOME=relative/path", "XDG_DATA_HOME="}) {
    oddEnv.push_back(odd);
  }
  oddEnv.push_back("BIG=" + std::string(120000, 'v'));

  struct Case {
    const char* name;
    Launch run;
  } cases[] = {
      {"thousands of odd arguments", plainRun(manyArgs)},
      {"odd and huge environment", plainRun()},
      {"no argv at all", plainRun()},
      {"empty environment but the temp folder", plainRun()},
      {"user-dirs.dirs is a fifo", plainRun()},
  };
  cases[1].run.env = oddEnv;
  cases[2].run.noArgv = true;
  cases[3].run.env = {"TMPDIR=" + root_ + "/tmp"};
  mkfifo((root_ + "/home/user-dirs.dirs").c_str(), 0600);
  cases[4].run.env.push_back("XDG_CONFIG_HOME=" + root_ + "/home");

  for (const Case& c : cases) {
    std::remove((work_ + "/vexa.log").c_str());
    const RunResult result = start(c.run);
    expectCleanExit(result, c.name);
    EXPECT_EQ(readFile(work_ + "/vexa.log"), kLog) << c.name;
    EXPECT_EQ(result.err, "") << c.name;
  }
}

}  // namespace
