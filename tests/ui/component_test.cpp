#include "ui/component.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/ui/ui_test_support.h"

namespace vexa::ui {
namespace {

using test::Probe;

TEST(Signal, DeliversInOrderSkippingBlockedAndCountsNesting) {
  std::string order;
  Signal signal;
  Probe a([&](const Event&) { order += 'a'; });
  Probe b([&](const Event&) { order += 'b'; });
  Probe c([&](const Event&) { order += 'c'; });
  b.blocked = true;
  signal.Connect(&a);
  signal.Connect(&b);
  signal.Connect(&c);
  signal.Emit(Event{});
  EXPECT_EQ(order, "ac");
  EXPECT_EQ(b.invokes, 0);
  EXPECT_EQ(b.afters, 0);
  EXPECT_EQ(a.afters, 1);
  EXPECT_EQ(a.depthSeen, 1);
  EXPECT_EQ(a.reentrancy(), 0);
}

TEST(Signal, ReentrantEmissionNestsTheCount) {
  Signal signal;
  int32_t deepest = 0;
  Probe* self = nullptr;
  Probe p([&](const Event&) {
    deepest = std::max(deepest, self->reentrancy());
    if (self->reentrancy() < 3) signal.Emit(Event{});
  });
  self = &p;
  signal.Connect(&p);
  signal.Emit(Event{});
  EXPECT_EQ(p.invokes, 3);
  EXPECT_EQ(deepest, 3);
  EXPECT_EQ(p.reentrancy(), 0);
  EXPECT_EQ(p.afters, 3);
}

TEST(Signal, ConnectionsMayChangeDuringEmission) {
  struct Case {
    const char* name;
    int action;  // 0 disconnect self, 1 disconnect the next, 2 connect a late one
    std::string expected;
  };
  const Case cases[] = {
      {"self", 0, "abc"},
      {"next", 1, "ac"},
      {"connect", 2, "abcd"},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    std::string order;
    Signal signal;
    Probe a([&](const Event&) { order += 'a'; });
    Probe c([&](const Event&) { order += 'c'; });
    Probe d([&](const Event&) { order += 'd'; });
    Probe b([&](const Event&) {
      order += 'b';
      if (k.action == 0) signal.Disconnect(&b);
      if (k.action == 2) signal.Connect(&d);
    });
    Probe first([&](const Event&) {
      order += 'a';
      if (k.action == 1) signal.Disconnect(&b);
    });
    signal.Connect(&first);
    signal.Connect(&b);
    signal.Connect(&c);
    signal.Emit(Event{});
    EXPECT_EQ(order, k.expected);
    EXPECT_EQ(signal.ConnectionCount(), k.action == 2 ? 4u : 2u);
  }
}

TEST(RootSignal, TakesTheFirstFreeEntryAndGrowsBySixteen) {
  RootSignal signal;
  Probe probes[17];
  for (int i = 0; i < 16; ++i) EXPECT_EQ(signal.Connect(&probes[i]), static_cast<uint32_t>(i));
  EXPECT_EQ(signal.Capacity(), 16u);
  EXPECT_EQ(signal.Connect(&probes[16]), 16u);
  EXPECT_EQ(signal.Capacity(), 32u);
  signal.Disconnect(&probes[3]);
  Probe late;
  EXPECT_EQ(signal.Connect(&late), 3u);
  signal.Emit(Event{});
  EXPECT_EQ(late.invokes, 1);
  EXPECT_EQ(probes[3].invokes, 0);
  EXPECT_EQ(signal.ConnectionCount(), 17u);
}

TEST(RootSignal, SurvivesGrowthDuringEmission) {
  RootSignal signal;
  Probe extra[20];
  Probe grower([&](const Event&) {
    for (auto& p : extra) signal.Connect(&p);
  });
  signal.Connect(&grower);
  signal.Emit(Event{});
  EXPECT_EQ(extra[19].invokes, 1);
}

TEST(Property, NotifiesOnlyOnChange) {
  struct Counted : Property {
    int changes = 0;
    void OnChanged() override { ++changes; }
  } p;
  const struct {
    int32_t value;
    int changes;
  } steps[] = {{0, 0}, {5, 1}, {5, 1}, {-5, 2}, {0, 3}};
  for (const auto& s : steps) {
    p.Set(s.value);
    EXPECT_EQ(p.changes, s.changes) << s.value;
    EXPECT_EQ(p.value(), s.value);
  }
  EXPECT_EQ(p.previous(), -5);
}

}  // namespace
}  // namespace vexa::ui
