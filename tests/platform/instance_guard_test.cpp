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

TEST(InstanceGuardTest, OneHolderAtATimeAndNoneInheritedByPrograms) {
  test::TempDir dir;
  test::ScopedEnv runtime("XDG_RUNTIME_DIR", dir.path.c_str());
  InstanceGuard first, second;
  ASSERT_EQ(first.acquire("vexa-mutex"), Result::Acquired);
  // flock conflicts between two opens even inside one process, as between two processes; and
  // a holder in the runtime folder means another instance, so there is no fallback then.
  EXPECT_EQ(second.acquire("vexa-mutex"), Result::HeldElsewhere);

  pid_t child = 0;
  char sleepPath[] = "/bin/sleep", seconds[] = "600";
  char* args[] = {sleepPath, seconds, nullptr};
  ASSERT_EQ(posix_spawn(&child, sleepPath, nullptr, nullptr, args, environ), 0);
  first.release();
  // Had the program inherited the descriptor, it would still hold the lock now.
  EXPECT_EQ(second.acquire("vexa-mutex"), Result::Acquired);
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
}

TEST(InstanceGuardTest, FallsBackToTheTempFolderAndRefusesFilesNotOurs) {
  test::TempDir dir;
  test::ScopedEnv runtime("XDG_RUNTIME_DIR", "relative/ignored");
  test::ScopedEnv temp("TMPDIR", dir.path.c_str());
  const std::string path = dir.path + "/vexa-mutex-" + std::to_string(geteuid());
  const std::tuple<const char*, Result, bool (*)(const std::string&)> cases[] = {
      {"plain file of ours", Result::Acquired, [](const std::string&) { return true; }},
      {"dangling symbolic link", Result::Failed,
       [](const std::string& path) {
         return symlink((path + "-target").c_str(), path.c_str()) == 0;
       }},
      {"fifo", Result::Failed,
       [](const std::string& path) { return mkfifo(path.c_str(), 0600) == 0; }},
      {"someone else's file", Result::Failed,
       [](const std::string& path) {
         close(open(path.c_str(), O_RDWR | O_CREAT, 0666));
         return chown(path.c_str(), 12345, 12345) == 0;  // only root can give it away
       }},
  };
  for (const auto& [name, expected, prepare] : cases) {
    unlink(path.c_str());
    if (!prepare(path)) continue;
    InstanceGuard guard;
    EXPECT_EQ(guard.acquire("vexa-mutex"), expected) << name;
    EXPECT_EQ(guard.path(), expected == Result::Acquired ? path : "") << name;
  }
}

}  // namespace
}  // namespace vexa::platform
