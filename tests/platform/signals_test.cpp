#include "platform/signals.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/message_queue.h"

namespace vexa::platform {
namespace {

bool quitArrived(MessageQueue& queue) {
  WindowMessage message;
  bool quit = false;
  while (queue.peek(message)) quit = quit || message.message == WM_QUIT;
  return quit;
}

void previousHandler(int) {}

TEST(QuitSignalsTest, EachSignalBecomesOneQuitAndThePreviousHandlerComesBack) {
  for (int signal : {SIGINT, SIGTERM}) {
    struct sigaction mine = {}, old, now;
    mine.sa_handler = previousHandler;
    ASSERT_EQ(sigaction(signal, &mine, &old), 0);
    {
      MessageQueue queue;
      queue.receiveSignalQuit();
      QuitSignals handlers;
      ASSERT_FALSE(handlers.failed());
      ASSERT_EQ(kill(getpid(), signal), 0);  // the process survives; the loop sees a quit
      EXPECT_TRUE(quitArrived(queue)) << strsignal(signal);
      EXPECT_FALSE(quitArrived(queue)) << "one quit per signal";
    }
    ASSERT_EQ(sigaction(signal, &old, &now), 0);
    EXPECT_EQ(now.sa_handler, previousHandler) << strsignal(signal);
  }
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
