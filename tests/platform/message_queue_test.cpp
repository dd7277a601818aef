#include "platform/message_queue.h"

#include <gtest/gtest.h>

#include "tests/platform/test_support.h"

namespace vexa::platform {
namespace {

using test::drain;
using test::Later;
using Numbers = std::vector<uint32_t>;

struct Recorder : MessageTarget {
  std::vector<WindowMessage> seen;
  intptr_t windowProc(uint32_t message, uintptr_t wParam, intptr_t lParam) override {
    seen.push_back(WindowMessage{this, message, wParam, lParam});
    return 0;
  }
};

template <typename Action>
uint32_t elapsedMs(Action action) {
  const uint32_t start = tickMs();
  action();
  return tickMs() - start;
}

TEST(MessageQueueTest, PostsFromAnotherThreadArriveInOrderAtTheirTarget) {
  MessageQueue queue;
  ASSERT_FALSE(queue.failed());
  Recorder window;
  Later posts(0, [&] {
    for (uintptr_t i = 0; i < 5000; ++i) queue.post(i % 2 ? &window : nullptr, WM_USER, i, -1);
  });
  WindowMessage message;
  for (uintptr_t i = 0; i < 5000; ++i) {
    ASSERT_TRUE(queue.get(message));  // blocks until a post wakes it
    ASSERT_EQ(message.wParam, i);
    MessageQueue::dispatch(message);
  }
  ASSERT_EQ(window.seen.size(), 2500u) << "thread messages reach no window";
  EXPECT_EQ(window.seen[0].wParam, 1u);
  EXPECT_EQ(window.seen[0].lParam, -1);
}

TEST(MessageQueueTest, WaitEndsAtOnceWhenSomethingIsReadyAndOnlyThen) {
  MessageQueue queue;
  queue.receiveSignalQuit();
  EXPECT_GE(elapsedMs([&] { queue.wait(30); }), 30u) << "nothing ready: the whole timeout";
  queue.post(nullptr, WM_USER);
  EXPECT_LT(elapsedMs([&] { queue.wait(5000); }), 1000u) << "ready before the wait";
  MessageQueue::postQuitFromSignal();
  EXPECT_EQ(drain(queue), (Numbers{WM_QUIT, WM_USER}));
  EXPECT_GE(elapsedMs([&] { queue.wait(30); }), 30u) << "no wake-up is left over";
  Later quit(30, [&queue] { queue.postQuit(0); });
  EXPECT_LT(elapsedMs([&] { queue.wait(10000); }), 5000u) << "a quit from another thread";
}

TEST(MessageQueueTest, TimersTickAfterPostedMessagesAndHaveAFloor) {
  MessageQueue queue;
  Recorder window;
  const uint32_t start = tickMs();
  const uint32_t id = queue.setTimer(20, &window);
  WindowMessage message;
  EXPECT_FALSE(queue.peek(message)) << "not due yet";
  EXPECT_TRUE(queue.get(message)) << "a blocked get wakes for the timer";
  EXPECT_GE(tickMs() - start, 20u);
  EXPECT_TRUE(message.message == WM_TIMER && message.wParam == id && message.target == &window);
  // A late timer gives one message, and posted messages go first.
  sleepMs(70);
  queue.post(nullptr, WM_USER);
  EXPECT_EQ(drain(queue), (Numbers{WM_USER, WM_TIMER}));
  EXPECT_FALSE(queue.killTimer(id));
  EXPECT_TRUE(queue.killTimer(id)) << "already gone";
  const uint32_t spinner = queue.setTimer(0);
  EXPECT_GE(elapsedMs([&] { queue.get(message); }), 10u) << "a 0 ms timer must not spin";
  queue.killTimer(spinner);
}

}  // namespace
}  // namespace vexa::platform
