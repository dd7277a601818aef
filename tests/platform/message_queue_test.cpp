#include "platform/message_queue.h"

#include <errno.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/clock.h"
#include "platform/thread.h"

namespace vexa::platform {
namespace {

struct Recorder : MessageTarget {
  std::vector<WindowMessage> seen;
  intptr_t windowProc(uint32_t message, uintptr_t wParam, intptr_t lParam) override {
    seen.push_back(WindowMessage{this, message, wParam, lParam});
    return static_cast<intptr_t>(message) + 1;
  }
};

std::vector<uint32_t> drain(MessageQueue& queue) {
  std::vector<uint32_t> numbers;
  WindowMessage message;
  while (queue.peek(message)) numbers.push_back(message.message);
  return numbers;
}

// Runs `action` on another thread after `delayMs`; joins on destruction.
class Later {
 public:
  template <typename Action>
  Later(uint32_t delayMs, Action action)
      : thread_([delayMs, action] {
          sleepMs(delayMs);
          action();
        }) {}
  ~Later() { thread_.join(); }

 private:
  std::thread thread_;
};

TEST(MessageQueueTest, PostedMessagesComeInOrderAndReachTheirTarget) {
  MessageQueue queue;
  ASSERT_FALSE(queue.failed());
  Recorder window;
  ASSERT_FALSE(queue.post(&window, WM_USER + 1, 11, -1));
  ASSERT_FALSE(queue.post(nullptr, WM_USER + 2, 22, 2));
  ASSERT_FALSE(queue.post(&window, WM_USER + 3, 33, 3));
  EXPECT_EQ(queue.postedCount(), 3u);

  WindowMessage message;
  ASSERT_TRUE(queue.peek(message));
  EXPECT_EQ(MessageQueue::dispatch(message), intptr_t{WM_USER + 2});
  ASSERT_TRUE(queue.peek(message));
  EXPECT_EQ(message.target, nullptr);
  EXPECT_EQ(MessageQueue::dispatch(message), 0) << "thread messages reach no window";
  ASSERT_TRUE(queue.peek(message));
  MessageQueue::dispatch(message);
  EXPECT_FALSE(queue.peek(message));

  ASSERT_EQ(window.seen.size(), 2u);
  EXPECT_EQ(window.seen[0].message, WM_USER + 1);
  EXPECT_EQ(window.seen[0].wParam, 11u);
  EXPECT_EQ(window.seen[0].lParam, -1);
  EXPECT_EQ(window.seen[1].message, WM_USER + 3);
}

TEST(MessageQueueTest, PostsFromManyThreadsAllArriveInPerThreadOrder) {
  MessageQueue queue;
  constexpr int kThreads = 4;
  constexpr int kEach = 2000;
  std::vector<std::thread> posters;
  for (int t = 0; t < kThreads; ++t) {
    posters.emplace_back([&queue, t] {
      for (int i = 0; i < kEach; ++i) queue.post(nullptr, WM_USER + t, static_cast<uintptr_t>(i));
    });
  }
  std::vector<int> next(kThreads, 0);
  int received = 0;
  const uint32_t start = tickMs();
  WindowMessage message;
  while (received < kThreads * kEach && tickMs() - start < 20000) {
    if (!queue.peek(message)) {
      queue.wait(10);
      continue;
    }
    const int t = static_cast<int>(message.message - WM_USER);
    ASSERT_GE(t, 0);
    ASSERT_LT(t, kThreads);
    EXPECT_EQ(message.wParam, static_cast<uintptr_t>(next[t])) << "thread " << t;
    next[t] = static_cast<int>(message.wParam) + 1;
    ++received;
  }
  for (std::thread& poster : posters) poster.join();
  EXPECT_EQ(received, kThreads * kEach);
}

TEST(MessageQueueTest, GetBlocksUntilAnotherThreadPosts) {
  MessageQueue queue;
  Later post(40, [&queue] { queue.post(nullptr, WM_USER, 7); });
  const uint32_t start = tickMs();
  WindowMessage message;
  EXPECT_TRUE(queue.get(message));
  EXPECT_EQ(message.message, WM_USER);
  EXPECT_EQ(message.wParam, 7u);
  EXPECT_GE(tickMs() - start, 30u);
}

TEST(MessageQueueTest, WaitEndsAtOnceWhenSomethingIsReady) {
  MessageQueue queue;
  // Nothing ready: the whole timeout passes.
  uint32_t start = tickMs();
  queue.wait(30);
  EXPECT_GE(tickMs() - start, 30u);
  // Ready before the wait: no wait at all.
  queue.post(nullptr, WM_USER);
  start = tickMs();
  queue.wait(5000);
  EXPECT_LT(tickMs() - start, 1000u);
  drain(queue);
  // Posted during the wait: it ends early.
  {
    Later post(30, [&queue] { queue.post(nullptr, WM_USER); });
    start = tickMs();
    queue.wait(10000);
    EXPECT_LT(tickMs() - start, 5000u);
  }
  EXPECT_EQ(drain(queue), std::vector<uint32_t>{WM_USER});
  // A quit asked from another thread ends it too.
  {
    Later quit(30, [&queue] { queue.postQuit(0); });
    start = tickMs();
    queue.wait(-1);
    EXPECT_LT(tickMs() - start, 5000u);
  }
  EXPECT_EQ(drain(queue), std::vector<uint32_t>{WM_QUIT});
}

TEST(MessageQueueTest, QuitComesAfterWhatWasPostedBeforeIt) {
  struct Case {
    const char* name;
    std::vector<int> script;  // >= 0: post WM_USER + n; -1: postQuit
    std::vector<uint32_t> expected;
  };
  const uint32_t U = WM_USER;
  const Case cases[] = {
      {"alone", {-1}, {WM_QUIT}},
      {"between", {1, -1, 2}, {U + 1, WM_QUIT, U + 2}},
      {"asked twice is one quit", {1, -1, 2, -1, 3}, {U + 1, WM_QUIT, U + 2, U + 3}},
      {"first", {-1, 1, 2}, {WM_QUIT, U + 1, U + 2}},
      {"last", {1, 2, -1}, {U + 1, U + 2, WM_QUIT}},
  };
  for (const Case& c : cases) {
    MessageQueue queue;
    for (int step : c.script) {
      if (step < 0) {
        queue.postQuit(5);
      } else {
        queue.post(nullptr, U + static_cast<uint32_t>(step));
      }
    }
    EXPECT_EQ(drain(queue), c.expected) << c.name;
  }
  MessageQueue queue;
  queue.postQuit(42);
  WindowMessage message;
  EXPECT_FALSE(queue.get(message));
  EXPECT_EQ(message.message, WM_QUIT);
  EXPECT_EQ(message.wParam, 42u) << "the exit code travels in wParam";
  queue.postQuit(1);
  drain(queue);
  queue.post(nullptr, U);
  EXPECT_EQ(drain(queue), std::vector<uint32_t>{U}) << "a retrieved quit does not come back";
}

TEST(MessageQueueTest, TimersTickAfterPostedMessages) {
  MessageQueue queue;
  Recorder window;
  const uint32_t start = tickMs();
  const uint32_t id = queue.setTimer(20, &window);
  ASSERT_NE(id, 0u);
  WindowMessage message;
  EXPECT_FALSE(queue.peek(message)) << "not due yet";
  EXPECT_TRUE(queue.get(message));
  EXPECT_GE(tickMs() - start, 20u);
  EXPECT_EQ(message.message, WM_TIMER);
  EXPECT_EQ(message.wParam, id);
  EXPECT_EQ(message.target, &window);

  // A late timer gives one message, and posted messages go first.
  sleepMs(70);
  queue.post(nullptr, WM_USER);
  EXPECT_EQ(drain(queue), (std::vector<uint32_t>{WM_USER, WM_TIMER}));

  EXPECT_FALSE(queue.killTimer(id));
  EXPECT_TRUE(queue.killTimer(id)) << "already gone";
  EXPECT_TRUE(queue.killTimer(0));
  sleepMs(40);
  EXPECT_TRUE(drain(queue).empty());
}

TEST(MessageQueueTest, TimerIntervalsHaveAFloorAndIdsDiffer) {
  MessageQueue queue;
  const uint32_t start = tickMs();
  const uint32_t a = queue.setTimer(0);
  const uint32_t b = queue.setTimer(1);
  EXPECT_NE(a, b);
  WindowMessage message;
  EXPECT_TRUE(queue.get(message));
  EXPECT_EQ(message.message, WM_TIMER);
  EXPECT_GE(tickMs() - start, 10u) << "a 0 ms timer must not spin";
  queue.killTimer(a);
  queue.killTimer(b);
}

TEST(MessageQueueTest, WaitWakesForTheNextTimer) {
  MessageQueue queue;
  queue.setTimer(30);
  const uint32_t start = tickMs();
  queue.wait(-1);  // would block for ever if the timer were not part of the wait
  const uint32_t elapsed = tickMs() - start;
  EXPECT_GE(elapsed, 30u);
  EXPECT_LT(elapsed, 5000u);
}

TEST(MessageQueueTest, RemovingATargetDropsItsMessagesAndTimers) {
  MessageQueue queue;
  Recorder doomed;
  Recorder kept;
  queue.post(&doomed, WM_USER + 1);
  queue.post(&kept, WM_USER + 2);
  queue.post(&doomed, WM_USER + 3);
  queue.post(nullptr, WM_USER + 4);
  queue.setTimer(10, &doomed);
  queue.removeMessagesFor(&doomed);
  queue.removeMessagesFor(nullptr);  // thread messages stay
  sleepMs(30);
  EXPECT_EQ(drain(queue), (std::vector<uint32_t>{WM_USER + 2, WM_USER + 4}));
}

TEST(MessageQueueTest, SignalQuitJumpsTheQueueOnlyForItsReceiver) {
  MessageQueue bystander;
  MessageQueue receiver;
  receiver.receiveSignalQuit();
  receiver.post(nullptr, WM_USER);
  bystander.post(nullptr, WM_USER);

  struct sigaction action = {};
  action.sa_handler = [](int) { MessageQueue::postQuitFromSignal(); };
  sigemptyset(&action.sa_mask);
  struct sigaction previous;
  ASSERT_EQ(sigaction(SIGUSR1, &action, &previous), 0);
  errno = 1234;
  raise(SIGUSR1);
  EXPECT_EQ(errno, 1234) << "the handler must leave errno alone";
  sigaction(SIGUSR1, &previous, nullptr);

  EXPECT_EQ(drain(bystander), std::vector<uint32_t>{WM_USER});
  EXPECT_EQ(drain(receiver), (std::vector<uint32_t>{WM_QUIT, WM_USER}));
  EXPECT_TRUE(drain(receiver).empty()) << "one signal, one quit";
}

TEST(MessageQueueTest, SignalQuitWakesABlockedGet) {
  MessageQueue queue;
  queue.receiveSignalQuit();
  Later signal(40, [] { MessageQueue::postQuitFromSignal(); });
  WindowMessage message;
  EXPECT_FALSE(queue.get(message));
  EXPECT_EQ(message.message, WM_QUIT);
}

struct FakeHook : EventHook {
  int pendingCalls = 0;
  std::vector<int> timeouts;
  int wakeFd = -1;
  bool wakeReadable = false;
  MessageQueue* queue = nullptr;
  void processPending() override {
    ++pendingCalls;
    // Window-system events may post messages; the queue's lock must not be held here.
    if (pendingCalls == 1 && queue != nullptr) queue->post(nullptr, WM_USER + 9);
  }
  void waitFor(int timeoutMs, int fd) override {
    timeouts.push_back(timeoutMs);
    wakeFd = fd;
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
  EXPECT_EQ(hook.pendingCalls, 2);

  queue.wait(15);
  ASSERT_EQ(hook.timeouts.size(), 1u);
  EXPECT_EQ(hook.timeouts[0], 15);
  EXPECT_GE(hook.wakeFd, 0);
  EXPECT_FALSE(hook.wakeReadable);
  {
    Later post(30, [&queue] { queue.post(nullptr, WM_USER); });
    queue.wait(-1);
  }
  ASSERT_EQ(hook.timeouts.size(), 2u);
  EXPECT_EQ(hook.timeouts[1], -1);
  EXPECT_TRUE(hook.wakeReadable) << "a post makes the wake descriptor readable";
  EXPECT_EQ(drain(queue), std::vector<uint32_t>{WM_USER});
  queue.setEventHook(nullptr);
}

}  // namespace
}  // namespace vexa::platform
