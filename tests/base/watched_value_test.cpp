#include "base/watched_value.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace vexa {
namespace {

// Writes each hook call: "5/0" = changed(5, previous 0), "5/-" = changed(5, null), "." =
// afterChange. A set from inside changed() goes to `reenterWith` once.
struct LogHooks : WatchedValue<int>::Hooks {
  std::string log;
  bool suppressed = false;
  WatchedValue<int>* value = nullptr;
  int reenterWith = -1;

  void changed(const int& newValue, const int* previous) override {
    log += std::to_string(newValue) + "/" + (previous ? std::to_string(*previous) : "-") + " ";
    if (reenterWith >= 0) value->set(std::exchange(reenterWith, -1));
  }
  bool isSuppressed() override { return suppressed; }
  void afterChange() override { log += ". "; }
};

TEST(WatchedValueTest, NotifiesWithWhatTheLastNotificationSaw) {
  struct Step {
    int value;
    bool suppressed;
    int reenterWith;
    const char* expected;
  };
  const std::vector<Step> cases[] = {
      {{5, false, -1, "5/0 . "}, {5, false, -1, "5/- . "}, {2, false, -1, "2/5 . "}},
      {{0, false, -1, "0/- . "}},
      // A suppressed change is not told, yet counts as seen.
      {{3, true, -1, ""}, {3, false, -1, "3/- . "}, {4, false, -1, "4/3 . "}},
      // A set from inside the hook is absorbed, and its value is what counts as seen.
      {{5, false, 9, "5/0 . "}, {9, false, -1, "9/- . "}},
  };
  for (const std::vector<Step>& steps : cases) {
    LogHooks hooks;
    WatchedValue<int> value(&hooks, 0);
    hooks.value = &value;
    for (const Step& step : steps) {
      hooks.suppressed = step.suppressed;
      hooks.reenterWith = step.reenterWith;
      hooks.log.clear();
      value.set(step.value);
      EXPECT_EQ(hooks.log, step.expected) << "setting " << step.value;
      EXPECT_EQ(value.get(), step.reenterWith >= 0 ? step.reenterWith : step.value);
    }
  }
}

}  // namespace
}  // namespace vexa
