#include "base/watched_value.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vexa {
namespace {

// Writes each hook call as text: "c5/0" = changed(5, previous 0), "c5/-" = changed(5, null),
// "a" = afterChange.
struct LogHooks : WatchedValue<int>::Hooks {
  std::vector<std::string> log;
  bool suppressed = false;
  WatchedValue<int>* reenter = nullptr;  // set from inside changed() when non-null
  int reenterWith = 0;

  void changed(const int& newValue, const int* previous) override {
    log.push_back("c" + std::to_string(newValue) + "/" +
                  (previous ? std::to_string(*previous) : std::string("-")));
    if (reenter != nullptr) {
      WatchedValue<int>* target = reenter;
      reenter = nullptr;
      target->set(reenterWith);
    }
  }
  bool isSuppressed() override { return suppressed; }
  void afterChange() override { log.push_back("a"); }
};

TEST(WatchedValueTest, NotifiesWithWhatTheLastNotificationSaw) {
  struct Step {
    int value;
    bool suppressed;
    std::vector<std::string> expected;
  };
  struct Case {
    const char* name;
    std::vector<Step> steps;
  };
  const Case cases[] = {
      {"a change", {{5, false, {"c5/0", "a"}}}},
      {"the same value again", {{5, false, {"c5/0", "a"}}, {5, false, {"c5/-", "a"}}}},
      {"a chain",
       {{1, false, {"c1/0", "a"}}, {2, false, {"c2/1", "a"}}, {0, false, {"c0/2", "a"}}}},
      {"unchanged from the start", {{0, false, {"c0/-", "a"}}}},
      // A suppressed change still counts as seen.
      {"suppressed", {{3, true, {}}, {3, false, {"c3/-", "a"}}, {4, false, {"c4/3", "a"}}}},
  };
  for (const Case& c : cases) {
    LogHooks hooks;
    WatchedValue<int> value(&hooks, 0);
    for (const Step& step : c.steps) {
      hooks.suppressed = step.suppressed;
      hooks.log.clear();
      value.set(step.value);
      EXPECT_EQ(value.get(), step.value) << c.name;
      EXPECT_EQ(hooks.log, step.expected) << c.name << " setting " << step.value;
    }
  }
}

TEST(WatchedValueTest, ASetFromInsideTheHookIsAbsorbed) {
  LogHooks hooks;
  WatchedValue<int> value(&hooks, 0);
  hooks.reenter = &value;
  hooks.reenterWith = 9;
  value.set(5);
  EXPECT_EQ(value.get(), 9);
  EXPECT_EQ(hooks.log, (std::vector<std::string>{"c5/0", "a"})) << "no nested notification";
  hooks.log.clear();
  value.set(9);
  EXPECT_EQ(hooks.log, (std::vector<std::string>{"c9/-", "a"})) << "9 is what counts as seen";
}

}  // namespace
}  // namespace vexa
