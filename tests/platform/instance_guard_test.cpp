#include "platform/instance_guard.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

extern char** environ;

namespace vexa::platform {
namespace {

using Result = InstanceGuard::Result;

TEST(InstanceGuardTest, CandidatePaths) {
  struct Case {
    const char* runtimeDir;
    const char* tempDir;
    std::vector<std::string> expected;
  } cases[] = {
      {"/run/user/1000", "/var/tmp", {"/run/user/1000/vexa-mutex", "/var/tmp/vexa-mutex-1000"}},
      {"/run/user/1000/", nullptr, {"/run/user/1000/vexa-mutex", "/tmp/vexa-mutex-1000"}},
      {nullptr, nullptr, {"/tmp/vexa-mutex-1000"}},
      {"", "", {"/tmp/vexa-mutex-1000"}},
      {"relative/run", "relative/tmp", {"/tmp/vexa-mutex-1000"}},
      {"/", "/", {"/vexa-mutex", "/vexa-mutex-1000"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(InstanceGuard::candidatePaths("vexa-mutex", c.runtimeDir, c.tempDir, 1000),
              c.expected);
  }
}

class InstanceGuardFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/vexa-guard-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    path_ = dir_ + "/vexa-mutex";
  }
  void TearDown() override { std::system(("rm -rf '" + dir_ + "'").c_str()); }

  std::string dir_;
  std::string path_;
};

TEST_F(InstanceGuardFileTest, OneHolderAtATime) {
  InstanceGuard first;
  ASSERT_EQ(first.acquirePath(path_), Result::Acquired);
  EXPECT_TRUE(first.held());
  EXPECT_EQ(first.path(), path_);

  // flock conflicts between two opens even inside one process, as between two processes.
  InstanceGuard second;
  EXPECT_EQ(second.acquirePath(path_), Result::HeldElsewhere);
  EXPECT_FALSE(second.held());

  first.release();
  EXPECT_FALSE(first.held());
  EXPECT_EQ(second.acquirePath(path_), Result::Acquired);

  struct stat info;
  ASSERT_EQ(stat(path_.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST_F(InstanceGuardFileTest, LockHeldByAnotherProcess) {
  const int fd = open(path_.c_str(), O_RDWR | O_CREAT, 0600);
  ASSERT_GE(fd, 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // The child takes the lock and holds it until it is killed.
    flock(fd, LOCK_EX);
    pause();
    _exit(0);
  }
  close(fd);
  // Wait (without a time bound on the result) until the child holds the lock.
  InstanceGuard guard;
  Result result = Result::Acquired;
  for (int i = 0; i < 10000; ++i) {
    result = guard.acquirePath(path_);
    if (result == Result::HeldElsewhere) break;
    guard.release();
    usleep(1000);
  }
  EXPECT_EQ(result, Result::HeldElsewhere);
  kill(child, SIGKILL);
  int status = 0;
  waitpid(child, &status, 0);
  // The kernel drops a dead holder's lock: nothing stale is left behind.
  EXPECT_EQ(guard.acquirePath(path_), Result::Acquired);
}

TEST_F(InstanceGuardFileTest, LockIsNotInheritedByPrograms) {
  InstanceGuard guard;
  ASSERT_EQ(guard.acquirePath(path_), Result::Acquired);
  pid_t child = 0;
  char sleepPath[] = "/bin/sleep";
  char seconds[] = "600";
  char* args[] = {sleepPath, seconds, nullptr};
  ASSERT_EQ(posix_spawn(&child, sleepPath, nullptr, nullptr, args, environ), 0);
  guard.release();
  // Had the program inherited the descriptor, it would still hold the lock now.
  InstanceGuard again;
  EXPECT_EQ(again.acquirePath(path_), Result::Acquired);
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
}

TEST_F(InstanceGuardFileTest, RefusesFilesThatAreNotOurs) {
  struct Case {
    const char* name;
    void (*prepare)(const std::string& dir, const std::string& path);
  } cases[] = {
      {"symbolic link",
       [](const std::string& dir, const std::string& path) {
         close(open((dir + "/target").c_str(), O_RDWR | O_CREAT, 0600));
         symlink((dir + "/target").c_str(), path.c_str());
       }},
      {"directory", [](const std::string&, const std::string& path) { mkdir(path.c_str(), 0700); }},
      {"fifo", [](const std::string&, const std::string& path) { mkfifo(path.c_str(), 0600); }},
      {"missing folder", [](const std::string& dir, const std::string&) { rmdir(dir.c_str()); }},
  };
  for (const Case& c : cases) {
    std::system(("rm -rf '" + dir_ + "'; mkdir -p '" + dir_ + "'").c_str());
    c.prepare(dir_, path_);
    InstanceGuard guard;
    EXPECT_EQ(guard.acquirePath(path_), Result::Failed) << c.name;
    EXPECT_FALSE(guard.held()) << c.name;
  }
}

TEST_F(InstanceGuardFileTest, RefusesAFileOwnedBySomeoneElse) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to give the file away";
  close(open(path_.c_str(), O_RDWR | O_CREAT, 0666));
  ASSERT_EQ(chown(path_.c_str(), 12345, 12345), 0);
  InstanceGuard guard;
  EXPECT_EQ(guard.acquirePath(path_), Result::Failed);
}

TEST_F(InstanceGuardFileTest, AcquireFallsBackToTheTempFolder) {
  const char* oldRuntime = std::getenv("XDG_RUNTIME_DIR");
  const char* oldTemp = std::getenv("TMPDIR");
  const std::string savedRuntime = oldRuntime ? oldRuntime : "";
  const std::string savedTemp = oldTemp ? oldTemp : "";

  setenv("XDG_RUNTIME_DIR", (dir_ + "/no-such-folder").c_str(), 1);
  setenv("TMPDIR", dir_.c_str(), 1);
  InstanceGuard guard;
  EXPECT_EQ(guard.acquire("vexa-mutex"), Result::Acquired);
  EXPECT_EQ(guard.path(), dir_ + "/vexa-mutex-" + std::to_string(geteuid()));

  setenv("XDG_RUNTIME_DIR", dir_.c_str(), 1);
  InstanceGuard inRuntime;
  EXPECT_EQ(inRuntime.acquire("vexa-mutex"), Result::Acquired);
  EXPECT_EQ(inRuntime.path(), path_);
  // A holder in the runtime folder means another instance: no fallback then.
  InstanceGuard second;
  EXPECT_EQ(second.acquire("vexa-mutex"), Result::HeldElsewhere);

  oldRuntime ? setenv("XDG_RUNTIME_DIR", savedRuntime.c_str(), 1) : unsetenv("XDG_RUNTIME_DIR");
  oldTemp ? setenv("TMPDIR", savedTemp.c_str(), 1) : unsetenv("TMPDIR");
}

}  // namespace
}  // namespace vexa::platform
