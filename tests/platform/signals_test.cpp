#include "platform/signals.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/message_queue.h"

namespace vexa::platform {
namespace {

// Drains a queue and reports whether a quit was among its messages.
bool quitArrived(MessageQueue& queue) {
  WindowMessage message;
  bool quit = false;
  while (queue.peek(message)) quit = quit || message.message == WM_QUIT;
  return quit;
}

TEST(QuitSignalsTest, EachSignalBecomesAQuit) {
  for (int signal : {SIGINT, SIGTERM}) {
    MessageQueue queue;
    queue.receiveSignalQuit();
    QuitSignals handlers;
    ASSERT_FALSE(handlers.failed());
    EXPECT_FALSE(quitArrived(queue));
    // The process survives the signal; the loop sees a quit instead.
    ASSERT_EQ(kill(getpid(), signal), 0);
    EXPECT_TRUE(quitArrived(queue)) << strsignal(signal);
    EXPECT_FALSE(quitArrived(queue)) << "one quit per signal";
  }
}

void markCalled(int) {}

TEST(QuitSignalsTest, PreviousHandlersComeBack) {
  struct sigaction mine = {};
  mine.sa_handler = markCalled;
  struct sigaction old[2];
  ASSERT_EQ(sigaction(SIGINT, &mine, &old[0]), 0);
  ASSERT_EQ(sigaction(SIGTERM, &mine, &old[1]), 0);
  { QuitSignals handlers; }
  struct sigaction now;
  for (int signal : {SIGINT, SIGTERM}) {
    ASSERT_EQ(sigaction(signal, nullptr, &now), 0);
    EXPECT_EQ(now.sa_handler, markCalled) << strsignal(signal);
  }
  sigaction(SIGINT, &old[0], nullptr);
  sigaction(SIGTERM, &old[1], nullptr);
}

TEST(QuitSignalsTest, SecondSignalTakesTheDefaultAction) {
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    MessageQueue queue;
    queue.receiveSignalQuit();
    QuitSignals handlers;
    kill(getpid(), SIGINT);
    WindowMessage message;
    if (queue.get(message)) _exit(3);  // the first one must arrive as a quit
    kill(getpid(), SIGINT);
    _exit(4);  // not reached when the second one ends the process
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status)) << "exit status " << WEXITSTATUS(status);
  EXPECT_EQ(WTERMSIG(status), SIGINT);
}

}  // namespace
}  // namespace vexa::platform
