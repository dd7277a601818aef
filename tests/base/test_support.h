#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "base/fiber_task.h"
#include "platform/message_queue.h"
#include "tests/platform/test_support.h"

namespace vexa::test {

// A task whose body is given by the test.
class ScriptTask : public FiberTask {
 public:
  explicit ScriptTask(std::function<void(ScriptTask&)> body) : body_(std::move(body)) {}
  int bodies = 0;

 protected:
  void run() override {
    ++bodies;
    body_(*this);
  }

 private:
  std::function<void(ScriptTask&)> body_;
};

// A body that appends the letters of `script` to `log`, yielding at each '|'.
inline std::function<void(ScriptTask&)> logging(std::string& log, std::string script) {
  return [&log, script](ScriptTask& self) {
    for (char c : script) c == '|' ? self.yield() : (void)(log += c);
  };
}

// A window that records the messages it is sent and runs a test's code on each.
struct Handler : platform::MessageTarget {
  std::vector<uint32_t> seen;
  std::function<void(uint32_t)> body;
  intptr_t windowProc(uint32_t message, uintptr_t, intptr_t) override {
    seen.push_back(message);
    if (body) body(message);
    return 0;
  }
};

}  // namespace vexa::test
