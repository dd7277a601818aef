#include "ui/widget.h"

#include <gtest/gtest.h>

#include <cstring>

#include "tests/ui/ui_test_support.h"
#include "ui/widget_root.h"

namespace vexa::ui {
namespace {

using test::ProbeWidget;

uint32_t Connections(WidgetRoot& root) {
  uint32_t n = 0;
  for (int i = 1; i <= 7; ++i) n += root.signal(i).ConnectionCount();
  return n;
}

TEST(Widget, AttachConnectsSevenReceiversAndReattachDetachesFirst) {
  WidgetRoot first, second;
  ProbeWidget w;
  w.Attach(&first);
  EXPECT_EQ(Connections(first), 7u);
  ASSERT_EQ(w.roots.size(), 2u);
  EXPECT_EQ(w.roots[0], nullptr);
  EXPECT_EQ(w.roots[1], &first);

  w.Attach(&second);
  EXPECT_EQ(Connections(first), 0u);
  EXPECT_EQ(Connections(second), 7u);
  ASSERT_EQ(w.roots.size(), 4u);
  EXPECT_EQ(w.roots[2], nullptr);
  EXPECT_EQ(w.roots[3], &second);
  EXPECT_EQ(w.root(), &second);

  // Invoked as a component, a widget attaches to the event's root.
  Event event;
  event.root = &first;
  Deliver(w, event);
  EXPECT_EQ(w.root(), &first);
  EXPECT_EQ(Connections(second), 0u);

  w.Attach(nullptr);
  EXPECT_EQ(Connections(first), 0u);
  EXPECT_EQ(w.root(), nullptr);
}

TEST(Widget, DestructionDisconnectsFromTheRoot) {
  WidgetRoot root;
  {
    ProbeWidget w;
    w.Attach(&root);
  }
  EXPECT_EQ(Connections(root), 0u);
  root.Notify(1);
  root.Refresh();
}

TEST(Widget, ReceiversForwardToTheirSlots) {
  WidgetRoot root;
  ProbeWidget w;
  w.Attach(&root);
  root.Notify(1);
  root.Refresh();
  root.Retest();
  KeyState key;
  key.keyCode = 11;
  std::strcpy(key.text, "a");
  root.RouteKey(key);
  EXPECT_EQ(w.rootSignals, 1);
  EXPECT_EQ(w.refreshes, 1);
  EXPECT_EQ(w.retests, 1);
  EXPECT_EQ(w.keys, 1);
  EXPECT_EQ(w.lastText, "a");

  // A retest event without its flag is not passed on.
  Event plain;
  plain.root = &root;
  root.signal(3).Emit(plain);
  EXPECT_EQ(w.retests, 1);
}

TEST(Widget, DetachedReceiversDoNothing) {
  WidgetRoot root;
  ProbeWidget w;
  Event event;
  event.root = &root;
  for (int i = 1; i <= 7; ++i) Deliver(w.receiver(i), event);
  w.LayoutIn(Rect{0, 0, 10, 10});
  EXPECT_EQ(w.rootSignals + w.refreshes + w.pointers + w.keys + w.measures + w.paints, 0);
}

TEST(Widget, LayoutMeasuresThenArrangesUnlessFrozenOrUnusable) {
  struct Case {
    const char* name;
    bool frozen;
    Rect rect;
    int measures;
    int arranges;
  };
  const Case cases[] = {
      {"plain", false, {0, 0, 50, 20}, 1, 1},
      {"zero size", false, {5, 5, 5, 5}, 1, 1},
      {"negative width", false, {10, 0, -10, 20}, 1, 0},
      {"frozen", true, {0, 0, 50, 20}, 0, 0},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    WidgetRoot root;
    ProbeWidget w(Size{30, 12});
    w.Attach(&root);
    root.layoutFrozen = k.frozen;
    w.LayoutIn(k.rect);
    EXPECT_EQ(w.measures, k.measures);
    EXPECT_EQ(w.arranges, k.arranges);
    if (k.measures) {
      EXPECT_EQ(w.measured(), (Size{30, 12}));
    }
  }
}

TEST(Widget, CommitPassesOnOnlyChanges) {
  struct Styled : ProbeWidget {
    int commits = 0;
    StyleRecord seenPrevious;
    void OnStyleCommitted(const StyleRecord&, const StyleRecord& previous) override {
      ++commits;
      seenPrevious = previous;
    }
  } w;
  EXPECT_FALSE(w.Commit());
  for (int32_t& v : w.BeginEdit().layout) v = 2;
  EXPECT_TRUE(w.Commit());
  EXPECT_FALSE(w.Commit());
  EXPECT_EQ(w.commits, 1);
  EXPECT_EQ(w.seenPrevious.layout[0], 0);
  EXPECT_EQ(w.style().layout[3], 2);
  w.LayoutIn(Rect{0, 0, 40, 20});
  // Detached: no layout ran, so the bounds stayed empty.
  EXPECT_EQ(w.ContentRect(), (Rect{2, 2, 2, 2}));
}

}  // namespace
}  // namespace vexa::ui
