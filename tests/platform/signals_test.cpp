#include "platform/signals.h"

#include <errno.h>
#include <gtest/gtest.h>
#include <signal.h>

#include "platform/message_queue.h"
#include "tests/platform/test_support.h"

namespace vexa::platform {
namespace {

using test::drain;

void previousHandler(int) {}

TEST(QuitSignalsTest, EachSignalBecomesOneQuitAheadOfTheQueueOfItsReceiver) {
  for (int signal : {SIGINT, SIGTERM}) {
    struct sigaction mine = {}, old, now;
    mine.sa_handler = previousHandler;
    ASSERT_EQ(sigaction(signal, &mine, &old), 0);
    {
      MessageQueue bystander, receiver;
      receiver.receiveSignalQuit();
      QuitSignals handlers;
      ASSERT_FALSE(handlers.failed());
      receiver.post(nullptr, WM_USER);
      bystander.post(nullptr, WM_USER);
      errno = 1234;
      ASSERT_EQ(raise(signal), 0);  // the process survives; the loop sees a quit
      EXPECT_EQ(errno, 1234) << "the handler must leave errno alone";
      EXPECT_EQ(drain(bystander), std::vector<uint32_t>{WM_USER});
      EXPECT_EQ(drain(receiver), (std::vector<uint32_t>{WM_QUIT, WM_USER})) << strsignal(signal);
      EXPECT_TRUE(drain(receiver).empty()) << "one signal, one quit";
    }
    ASSERT_EQ(sigaction(signal, &old, &now), 0);
    EXPECT_EQ(now.sa_handler, previousHandler) << "the previous handler comes back";
  }
}

}  // namespace
}  // namespace vexa::platform
