#include "platform/message_queue.h"

#include <errno.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>

#include <vector>

#include "tests/platform/test_support.h"

namespace vexa::platform {
namespace {

using test::Later;
using Numbers = std::vector<uint32_t>;

struct Recorder : MessageTarget {
  std::vector<WindowMessage> seen;
  intptr_t windowProc(uint32_t message, uintptr_t wParam, intptr_t lParam) override {
    seen.push_back(WindowMessage{this, message, wParam, lParam});
    return static_cast<intptr_t>(message) + 1;
  }
};

Numbers drain(MessageQueue& queue) {
  Numbers numbers;
  WindowMessage message;
  while (queue.peek(message)) numbers.push_back(message.message);
  return numbers;
}

template <typename Action>
uint32_t elapsedMs(Action action) {
  const uint32_t start = tickMs();
  action();
  return tickMs() - start;
}

TEST(MessageQueueTest, PostedMessagesComeInOrderAndReachTheirTarget) {
  MessageQueue queue;
  ASSERT_FALSE(queue.failed());
  Recorder window;
  ASSERT_FALSE(queue.post(&window, WM_USER + 1, 11, -1));
  ASSERT_FALSE(queue.post(nullptr, WM_USER + 2));
  ASSERT_FALSE(queue.post(&window, WM_USER + 3));
  EXPECT_EQ(queue.postedCount(), 3u);
  std::vector<intptr_t> results;
  WindowMessage message;
  while (queue.peek(message)) results.push_back(MessageQueue::dispatch(message));
  EXPECT_EQ(results, (std::vector<intptr_t>{WM_USER + 2, 0, WM_USER + 4}))
      << "a thread message reaches no window";
  ASSERT_EQ(window.seen.size(), 2u);
  EXPECT_EQ(window.seen[0].wParam, 11u);
  EXPECT_EQ(window.seen[0].lParam, -1);
}

TEST(MessageQueueTest, PostsFromAnotherThreadArriveInOrder) {
  MessageQueue queue;
  Later posts(0, [&queue] {
    for (uintptr_t i = 0; i < 5000; ++i) queue.post(nullptr, WM_USER, i);
  });
  WindowMessage message;
  for (uintptr_t i = 0; i < 5000; ++i) {
    ASSERT_TRUE(queue.get(message));
    ASSERT_EQ(message.wParam, i);
  }
}

TEST(MessageQueueTest, WaitEndsAtOnceWhenSomethingIsReady) {
  MessageQueue queue;
  EXPECT_GE(elapsedMs([&] { queue.wait(30); }), 30u) << "nothing ready: the whole timeout";
  queue.post(nullptr, WM_USER);
  EXPECT_LT(elapsedMs([&] { queue.wait(5000); }), 1000u) << "ready before the wait";
  EXPECT_EQ(drain(queue), Numbers{WM_USER});
  for (bool quit : {false, true}) {
    Later later(30,
                [&queue, quit] { quit ? queue.postQuit(0) : (void)queue.post(nullptr, WM_USER); });
    EXPECT_LT(elapsedMs([&] { queue.wait(10000); }), 5000u)
        << "another thread posts, quit " << quit;
    EXPECT_EQ(drain(queue), Numbers{quit ? WM_QUIT : WM_USER});
  }
}

TEST(MessageQueueTest, QuitComesAfterWhatWasPostedBeforeIt) {
  const uint32_t U = WM_USER;
  const std::pair<std::vector<int>, Numbers> cases[] = {
      // >= 0: post WM_USER + n; -1: postQuit
      {{1, -1, 2}, {U + 1, WM_QUIT, U + 2}},
      {{1, -1, 2, -1, 3}, {U + 1, WM_QUIT, U + 2, U + 3}},  // asked twice: one quit
      {{-1, 1}, {WM_QUIT, U + 1}},
  };
  for (const auto& [script, expected] : cases) {
    MessageQueue queue;
    for (int step : script) step < 0 ? queue.postQuit(5) : (void)queue.post(nullptr, U + step);
    EXPECT_EQ(drain(queue), expected) << script.size();
  }
  MessageQueue queue;
  queue.postQuit(42);
  WindowMessage message;
  EXPECT_FALSE(queue.get(message));
  EXPECT_EQ(message.message, WM_QUIT);
  EXPECT_EQ(message.wParam, 42u) << "the exit code travels in wParam";
  queue.post(nullptr, U);
  EXPECT_EQ(drain(queue), Numbers{U}) << "a retrieved quit does not come back";
}

TEST(MessageQueueTest, TimersTickAfterPostedMessagesAndHaveAFloor) {
  MessageQueue queue;
  Recorder window;
  const uint32_t start = tickMs();
  const uint32_t id = queue.setTimer(20, &window);
  ASSERT_NE(id, 0u);
  WindowMessage message;
  EXPECT_FALSE(queue.peek(message)) << "not due yet";
  EXPECT_TRUE(queue.get(message)) << "a blocked get wakes for the timer";
  EXPECT_GE(tickMs() - start, 20u);
  EXPECT_EQ(message.message, WM_TIMER);
  EXPECT_EQ(message.wParam, id);
  EXPECT_EQ(message.target, &window);
  // A late timer gives one message, and posted messages go first.
  sleepMs(70);
  queue.post(nullptr, WM_USER);
  EXPECT_EQ(drain(queue), (Numbers{WM_USER, WM_TIMER}));
  EXPECT_FALSE(queue.killTimer(id));
  EXPECT_TRUE(queue.killTimer(id)) << "already gone";

  const uint32_t spinner = queue.setTimer(0);
  EXPECT_GE(elapsedMs([&] { queue.get(message); }), 10u) << "a 0 ms timer must not spin";
  queue.killTimer(spinner);
  sleepMs(30);
  EXPECT_TRUE(drain(queue).empty());
}

TEST(MessageQueueTest, RemovingATargetDropsItsMessagesAndTimers) {
  MessageQueue queue;
  Recorder doomed, kept;
  queue.post(&doomed, WM_USER + 1);
  queue.post(&kept, WM_USER + 2);
  queue.post(nullptr, WM_USER + 3);
  queue.setTimer(10, &doomed);
  queue.removeMessagesFor(&doomed);
  queue.removeMessagesFor(nullptr);  // thread messages stay
  sleepMs(30);
  EXPECT_EQ(drain(queue), (Numbers{WM_USER + 2, WM_USER + 3}));
}

TEST(MessageQueueTest, SignalQuitJumpsTheQueueOnlyForItsReceiver) {
  MessageQueue bystander, receiver;
  receiver.receiveSignalQuit();
  receiver.post(nullptr, WM_USER);
  bystander.post(nullptr, WM_USER);
  struct sigaction action = {}, previous;
  action.sa_handler = [](int) { MessageQueue::postQuitFromSignal(); };
  ASSERT_EQ(sigaction(SIGUSR1, &action, &previous), 0);
  errno = 1234;
  raise(SIGUSR1);
  EXPECT_EQ(errno, 1234) << "the handler must leave errno alone";
  sigaction(SIGUSR1, &previous, nullptr);
  EXPECT_EQ(drain(bystander), Numbers{WM_USER});
  EXPECT_EQ(drain(receiver), (Numbers{WM_QUIT, WM_USER}));
  EXPECT_TRUE(drain(receiver).empty()) << "one signal, one quit";
}

// Stands in for the window system: records how the queue drives it.
struct FakeHook : EventHook {
  MessageQueue* queue = nullptr;
  int pendingCalls = 0;
  std::vector<int> timeouts;
  bool wakeReadable = false;
  void processPending() override {
    // Window-system events may post messages; the queue's lock must not be held here.
    if (++pendingCalls == 1) queue->post(nullptr, WM_USER + 9);
  }
  void waitFor(int timeoutMs, int fd) override {
    timeouts.push_back(timeoutMs);
    pollfd descriptor{fd, POLLIN, 0};
    wakeReadable = poll(&descriptor, 1, timeoutMs) == 1;
  }
};

TEST(MessageQueueTest, EventHookIsDrivenByPeekAndWait) {
  MessageQueue queue;
  FakeHook hook;
  hook.queue = &queue;
  queue.setEventHook(&hook);
  WindowMessage message;
  ASSERT_TRUE(queue.peek(message)) << "what processPending posted is seen by the same peek";
  EXPECT_EQ(message.message, WM_USER + 9);
  EXPECT_FALSE(queue.peek(message));
  // No wake-up is left over from posts made while nobody waited.
  queue.wait(15);
  EXPECT_FALSE(hook.wakeReadable);
  {
    Later post(30, [&queue] { queue.post(nullptr, WM_USER); });
    queue.wait(-1);
  }
  EXPECT_TRUE(hook.wakeReadable) << "a post during the wait makes the descriptor readable";
  EXPECT_EQ(hook.timeouts, (std::vector<int>{15, -1}));
  EXPECT_EQ(drain(queue), Numbers{WM_USER});
  queue.setEventHook(nullptr);
}

}  // namespace
}  // namespace vexa::platform
