#pragma once

#include <stdlib.h>

#include <cstdint>
#include <optional>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "platform/clock.h"
#include "platform/message_queue.h"
#include "platform/thread.h"

namespace vexa::test {

// Runs `action` on another thread after `delayMs`; joins on destruction.
class Later {
 public:
  template <typename Action>
  Later(uint32_t delayMs, Action action)
      : thread_([delayMs, action] {
          platform::sleepMs(delayMs);
          action();
        }) {}
  ~Later() { thread_.join(); }

 private:
  std::thread thread_;
};

// Waits up to 10 s for a condition, so a fault fails the test instead of hanging it.
template <typename Condition>
bool eventually(Condition condition) {
  for (const uint32_t start = platform::tickMs(); !condition(); platform::sleepMs(1)) {
    if (platform::tickMs() - start > 10000) return false;
  }
  return true;
}

// The numbers of the messages ready in the queue, taking them out.
inline std::vector<uint32_t> drain(platform::MessageQueue& queue) {
  std::vector<uint32_t> numbers;
  platform::WindowMessage message;
  while (queue.peek(message)) numbers.push_back(message.message);
  return numbers;
}

// A fresh folder of its own for each test (tests run in parallel), removed with its contents.
struct TempDir {
  TempDir() {
    char pattern[] = "/tmp/vexa-test-XXXXXX";
    if (mkdtemp(pattern) != nullptr) path = pattern;
  }
  ~TempDir() { std::system(("rm -rf '" + path + "'").c_str()); }
  std::string path;
};

// Sets an environment variable and puts the old value (or its absence) back at the end.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = getenv(name)) saved_ = old;
    setenv(name, value, 1);
  }
  ~ScopedEnv() { saved_ ? setenv(name_, saved_->c_str(), 1) : unsetenv(name_); }

 private:
  const char* name_;
  std::optional<std::string> saved_;
};

}  // namespace vexa::test
