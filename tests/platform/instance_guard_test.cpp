#include "platform/instance_guard.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/platform/test_support.h"

extern char** environ;

namespace vexa::platform {
namespace {

using Result = InstanceGuard::Result;

TEST(InstanceGuardTest, CandidatePaths) {
  using Paths = std::vector<std::string>;
  EXPECT_EQ(InstanceGuard::candidatePaths("vexa-mutex", "/run/user/1000/", "/var/tmp", 1000),
            (Paths{"/run/user/1000/vexa-mutex", "/var/tmp/vexa-mutex-1000"}));
  EXPECT_EQ(InstanceGuard::candidatePaths("vexa-mutex", nullptr, "", 1000),
            Paths{"/tmp/vexa-mutex-1000"});
  EXPECT_EQ(InstanceGuard::candidatePaths("vexa-mutex", "relative/run", "relative/tmp", 1000),
            Paths{"/tmp/vexa-mutex-1000"});
}

TEST(InstanceGuardTest, OneHolderAtATimeAndNoneInheritedByPrograms) {
  test::TempDir dir;
  const std::string path = dir.path + "/vexa-mutex";
  InstanceGuard first, second;
  ASSERT_EQ(first.acquirePath(path), Result::Acquired);
  // flock conflicts between two opens even inside one process, as between two processes.
  EXPECT_EQ(second.acquirePath(path), Result::HeldElsewhere);
  EXPECT_FALSE(second.held());
  struct stat info;
  ASSERT_EQ(stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);

  pid_t child = 0;
  char sleepPath[] = "/bin/sleep", seconds[] = "600";
  char* args[] = {sleepPath, seconds, nullptr};
  ASSERT_EQ(posix_spawn(&child, sleepPath, nullptr, nullptr, args, environ), 0);
  first.release();
  // Had the program inherited the descriptor, it would still hold the lock now.
  EXPECT_EQ(second.acquirePath(path), Result::Acquired);
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
}

TEST(InstanceGuardTest, RefusesFilesThatAreNotPlainFilesOfOurs) {
  test::TempDir dir;
  const std::pair<const char*, void (*)(const std::string&)> cases[] = {
      {"symbolic link",
       [](const std::string& path) {
         close(open((path + ".target").c_str(), O_RDWR | O_CREAT, 0600));
         symlink((path + ".target").c_str(), path.c_str());
       }},
      {"fifo", [](const std::string& path) { mkfifo(path.c_str(), 0600); }},
      {"directory", [](const std::string& path) { mkdir(path.c_str(), 0700); }},
      {"someone else's file",
       [](const std::string& path) {
         close(open(path.c_str(), O_RDWR | O_CREAT, 0666));
         if (chown(path.c_str(), 12345, 12345) != 0) unlink(path.c_str());  // not root
       }},
  };
  for (const auto& [name, prepare] : cases) {
    const std::string path = dir.path + "/" + name;
    prepare(path);
    if (access(path.c_str(), F_OK) != 0) continue;
    InstanceGuard guard;
    EXPECT_EQ(guard.acquirePath(path), Result::Failed) << name;
    EXPECT_FALSE(guard.held()) << name;
  }
}

TEST(InstanceGuardTest, AcquireFallsBackToTheTempFolder) {
  test::TempDir dir;
  test::ScopedEnv runtime("XDG_RUNTIME_DIR", (dir.path + "/no-such-folder").c_str());
  test::ScopedEnv temp("TMPDIR", dir.path.c_str());
  InstanceGuard guard;
  EXPECT_EQ(guard.acquire("vexa-mutex"), Result::Acquired);
  EXPECT_EQ(guard.path(), dir.path + "/vexa-mutex-" + std::to_string(geteuid()));

  runtime.set(dir.path.c_str());
  InstanceGuard inRuntime, second;
  EXPECT_EQ(inRuntime.acquire("vexa-mutex"), Result::Acquired);
  EXPECT_EQ(inRuntime.path(), dir.path + "/vexa-mutex");
  // A holder in the runtime folder means another instance: no fallback then.
  EXPECT_EQ(second.acquire("vexa-mutex"), Result::HeldElsewhere);
}

}  // namespace
}  // namespace vexa::platform
