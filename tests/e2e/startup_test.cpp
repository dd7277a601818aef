// Whole-program tests of start-up and shutdown: the built program runs in temporary folders with
// chosen arguments and environments.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tools/demo_board_launcher.h"

namespace vexa {
namespace {

namespace fs = std::filesystem;

// These runs have no display: the docked viewer cannot start, says why in the log and on standard
// error, and the log still ends with its termination line.
const std::string kEnd = "\r\n===== program termination correctly =====\r\n";

bool isNoDisplayLog(const std::string& log, const std::string& before = "\r\n") {
  if (!log.starts_with(before + "ERROR: ") || !log.ends_with("." + kEnd)) return false;
  return log.find("\r\n", before.size()) + kEnd.size() == log.size();
}

// The reason is the last line of standard error (GTK may warn before it, of a locale it lacks).
bool isOneReason(const demo::RunResult& result) {
  const std::string& err = result.err;
  if (!result.out.empty() || !err.ends_with("\n")) return false;
  const size_t start = err.rfind('\n', err.size() - 2);
  return err.compare(start == std::string::npos ? 0 : start + 1, 6, "vexa: ") == 0;
}

class StartupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* sub : {"work", "run", "tmp", "home"}) fs::create_directory(root_ + "/" + sub);
  }
  void TearDown() override { releaseLock(); }

  // Runs the program in the work folder with env_ unless told otherwise. A run still going after
  // a minute is killed, so a hang fails the test instead of stalling the suite.
  demo::RunResult run(std::vector<std::string> args = {}, demo::Spawn spawn = {}) {
    args.insert(args.begin(), VEXA_BINARY);
    if (spawn.env == nullptr) spawn.env = &env_;
    if (spawn.cwd.empty()) spawn.cwd = work_;
    return demo::runProgram(args, 60000, {}, spawn);
  }

  // Takes a lock file the way a running instance holds it.
  void holdLock(const std::string& path) {
    heldFd_ = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_GE(heldFd_, 0);
    ASSERT_EQ(flock(heldFd_, LOCK_EX | LOCK_NB), 0);
  }
  void releaseLock() {
    if (heldFd_ >= 0) close(heldFd_);
    heldFd_ = -1;
  }

  demo::TempDir dir_;
  const std::string root_ = dir_.path, work_ = root_ + "/work", log_ = work_ + "/vexa.log";
  const std::string lock_ = root_ + "/run/vexa-mutex";
  std::vector<std::string> env_ = {
      "PATH=/usr/bin:/bin", "HOME=" + root_ + "/home", "XDG_RUNTIME_DIR=" + root_ + "/run",
      "TMPDIR=" + root_ + "/tmp", "LANG=C.UTF-8",
      // In the sanitizer build: what the desktop libraries keep for
      // the life of the process is not ours to report.
      "LSAN_OPTIONS=suppressions=" VEXA_SOURCE_DIR
      "/tests/platform/desktop/desktop.lsan.supp:print_suppressions=0"};
  int heldFd_ = -1;
};

TEST_F(StartupTest, ASecondInstanceLeavesAtOnceAndTouchesNothing) {
  holdLock(lock_);
  const std::string firstLog = "\r\nthe first instance's log\r\n" + std::string(100000, 'x');
  std::ofstream(log_) << firstLog;
  const demo::RunResult second = run();
  EXPECT_EQ(second.status, 0) << second.err;
  EXPECT_EQ(demo::readFile(log_), firstLog);
  EXPECT_EQ(second.out + second.err, "");

  // Once the first instance is gone the next start runs normally, and cuts the long log.
  releaseLock();
  const demo::RunResult next = run();
  EXPECT_EQ(next.status, 1);
  EXPECT_TRUE(isOneReason(next)) << next.err;
  EXPECT_TRUE(isNoDisplayLog(demo::readFile(log_))) << demo::readFile(log_);
  // The lock file is not in the current folder.
  EXPECT_EQ(std::distance(fs::directory_iterator(work_), {}), 1);
}

TEST_F(StartupTest, WithoutAnyLockFileTheRunGoesOnAndSaysSo) {
  // Folders take both places, so no lock file can be made anywhere.
  fs::create_directory(lock_);
  fs::create_directory(root_ + "/tmp/vexa-mutex-" + std::to_string(geteuid()));
  EXPECT_EQ(run().status, 1);
  EXPECT_TRUE(
      isNoDisplayLog(demo::readFile(log_), "\r\nWARNING: fail to create single-instance lock.\r\n"))
      << demo::readFile(log_);
}

TEST_F(StartupTest, OtherRunsTakeNoGuardAndWriteNoLog) {
  const std::string cmake = demo::readFile(VEXA_SOURCE_DIR "/CMakeLists.txt");
  const size_t at = cmake.find("project(vexa VERSION ") + 21;
  const std::string version = cmake.substr(at, cmake.find_first_of(" )", at) - at);
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string lines;  // lines standard output must hold
  } cases[] = {
      {{"--help"},
       0,
       "vexa [--menu-host H] [--board T] [--filter TEXT] [--thread KEY] [--ng ID]...\n"
       "vexa --fetch URL..."},
      {{"--version"}, 0, "vexa " + version},
      // Usage errors of the docked viewer, and the other modes.
      {{"--bogus"}, 2, ""},
      {{"--headless", "--no-such-option"}, 2, ""},
  };
  for (const Case& c : cases) {
    const demo::RunResult result = run(c.args);
    const std::string& what = c.args.front();
    EXPECT_EQ(result.status, c.status) << what << "\nstderr: " << result.err;
    EXPECT_TRUE(fs::is_empty(work_)) << what;
    EXPECT_FALSE(fs::exists(lock_)) << what;
    EXPECT_TRUE(c.status == 0 || (result.out.empty() && result.err.starts_with("vexa: "))) << what;
    for (const std::string& line : demo::splitLines(c.lines)) {
      EXPECT_THAT(result.out, ::testing::HasSubstr(line + "\n"));
    }
  }
}

TEST_F(StartupTest, PlainAndOddStartsEndCleanlyWithoutADisplay) {
  std::string oddText = "'\"\x83\x7A\xff\xfe \t\r\n\x01 \\ $HOME `x` %s%n";
  while (oddText.size() < 150) oddText += "\x81\x40\"'";
  std::vector<std::string> manyArgs;
  for (int i = 0; i < 4000; ++i) manyArgs.insert(manyArgs.end(), {"--ng", oddText});
  manyArgs.insert(manyArgs.end(), {"--board", std::string(120000, 'b')});
  std::vector<std::string> oddEnv = env_;
  for (int i = 0; i < 3000; ++i) oddEnv.push_back("  VAR_" + std::to_string(i) + " \t=v" + oddText);
  oddEnv.insert(oddEnv.end(), {"NOEQUALS", "=", " \t =blank", "\xff\xfe=\x81", "DISPLAY",
                               "LC_ALL=xx_XX.NOT-A-CHARSET", "XDG_CONFIG_HOME=relative/path",
                               "XDG_DATA_HOME=", "BIG=" + std::string(120000, 'v')});
  std::vector<std::string> tempOnly = {"TMPDIR=" + root_ + "/tmp"};
#ifdef VEXA_ASAN
  tempOnly.push_back(env_.back());  // the sanitizer's suppressions, nothing of the user's
#endif
  // Where the user's folders are looked up, a fifo that would block a plain read.
  fs::create_directory(root_ + "/home/.config");
  ASSERT_EQ(mkfifo((root_ + "/home/.config/user-dirs.dirs").c_str(), 0600), 0);

  struct Case {
    const char* name;
    std::vector<std::string> args;
    demo::Spawn spawn;
    bool logIsFolder;
    bool logged;  // false: no log at all
  } cases[] = {
      {"a plain start in an empty folder", {}, {}, false, true},
      {"thousands of odd arguments", manyArgs, {}, false, true},
      {"odd and huge environment", {}, {&oddEnv, "", false}, false, true},
      {"an empty environment but the temp folder", {}, {&tempOnly, "", false}, false, true},
      // The log cannot be written. Tests may run as root, who writes through any permission.
      {"vexa.log is a folder", {}, {}, true, false},
      {"current folder removed", {}, {nullptr, "", true}, false, false},
      {"read-only file system", {}, {nullptr, "/proc", false}, false, false},
  };
  for (const Case& c : cases) {
    fs::remove_all(work_);
    fs::create_directories(c.logIsFolder ? log_ : work_);
    const demo::RunResult result = run(c.args, c.spawn);
    EXPECT_EQ(result.status, 1) << c.name << result.err;
    EXPECT_TRUE(isOneReason(result)) << c.name << result.err;
    const std::string log = fs::is_regular_file(log_) ? demo::readFile(log_) : "";
    EXPECT_EQ(isNoDisplayLog(log), c.logged) << c.name << log;
    EXPECT_TRUE(c.logged || log.empty()) << c.name;
    EXPECT_TRUE(!c.logIsFolder || fs::is_empty(log_));
    EXPECT_FALSE(fs::exists("/proc/vexa.log"));
  }
}

}  // namespace
}  // namespace vexa
