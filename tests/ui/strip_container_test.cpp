#include "ui/strip_container.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "tests/ui/ui_test_support.h"
#include "ui/widget_root.h"

namespace vexa::ui {
namespace {

using test::ProbeWidget;

// A strip in a root with children of the given sizes, laid out in `rect`.
struct Strip {
  Strip(uint32_t mode, std::vector<Size> sizes) {
    strip.SetMode(mode);
    root.SetContent(&strip);
    for (Size s : sizes) {
      children.push_back(std::make_unique<ProbeWidget>(s));
      strip.Append(children.back().get());
    }
  }
  void Layout(Rect rect) { root.Layout(&rect); }
  std::vector<Rect> Rects() const {
    std::vector<Rect> out;
    for (auto& c : children) out.push_back(c->bounds());
    return out;
  }
  WidgetRoot root;
  StripContainer strip;
  std::vector<std::unique_ptr<ProbeWidget>> children;
};

TEST(StripContainer, MainAxisSpansKeepTheAnchorInView) {
  struct Case {
    const char* name;
    uint32_t mode;
    uint32_t anchor;
    int32_t window;
    std::vector<std::pair<int32_t, int32_t>> spans;
  };
  const Case cases[] = {
      {"anchor 1", StripContainer::kRow, 1, 120, {{-100, 0}, {0, 50}, {50, 130}}},
      {"anchor 2 ends at the edge",
       StripContainer::kRow,
       2,
       120,
       {{-110, -10}, {-10, 40}, {40, 120}}},
      {"anchor 0", StripContainer::kRow, 0, 120, {{0, 100}, {100, 150}, {150, 230}}},
      {"anchor past the end", StripContainer::kRow, 9, 120, {{-110, -10}, {-10, 40}, {40, 120}}},
      {"all fit", StripContainer::kRow, 2, 400, {{0, 100}, {100, 150}, {150, 230}}},
      {"reverse anchor 1", StripContainer::kReverseRow, 1, 120, {{120, 220}, {70, 120}, {-10, 70}}},
      {"reverse anchor 0",
       StripContainer::kReverseRow,
       0,
       120,
       {{20, 120}, {-30, 20}, {-110, -30}}},
      {"reverse all fit",
       StripContainer::kReverseRow,
       2,
       400,
       {{300, 400}, {250, 300}, {170, 250}}},
      {"column anchor 1", StripContainer::kColumn, 1, 120, {{-100, 0}, {0, 50}, {50, 130}}},
      {"upward column anchor 2",
       StripContainer::kReverseColumn,
       2,
       120,
       {{130, 230}, {80, 130}, {0, 80}}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    bool row = (k.mode & 1) == 0;
    auto size = [&](int32_t along) { return row ? Size{along, 10} : Size{10, along}; };
    Strip s(k.mode, {size(100), size(50), size(80)});
    s.strip.SetAnchor(k.anchor);
    s.Layout(row ? Rect{0, 0, k.window, 10} : Rect{0, 0, 10, k.window});
    auto rects = s.Rects();
    for (size_t i = 0; i < rects.size(); ++i) {
      SCOPED_TRACE(i);
      EXPECT_EQ(row ? rects[i].left : rects[i].top, k.spans[i].first);
      EXPECT_EQ(row ? rects[i].right : rects[i].bottom, k.spans[i].second);
      EXPECT_EQ(row ? rects[i].top : rects[i].left, 0);
      EXPECT_EQ(row ? rects[i].bottom : rects[i].right, 10);
      EXPECT_EQ(s.children[i]->arranges, 1);
    }
  }
}

TEST(StripContainer, CrossAlignmentAndScroll) {
  struct Case {
    const char* name;
    int32_t code;
    bool noShrink, noGrow;
    int32_t scroll;
    int32_t childHeight;
    int32_t top, bottom;
  };
  const Case cases[] = {
      {"centre grows", 0, false, false, 0, 10, 0, 40},
      {"centre no grow", 0, false, true, 0, 10, 15, 25},
      {"near edge no grow", -1, false, true, 0, 10, 0, 10},
      {"near inset grows to the end", -3, false, false, 0, 10, 2, 40},
      {"far edge no grow", 1, false, true, 0, 10, 30, 40},
      {"near longer cut", -1, false, false, 0, 60, 0, 40},
      {"near longer kept scrolls back", -1, true, false, 5, 60, -5, 55},
      {"scroll limited to the overflow", -1, true, false, 500, 60, -20, 40},
      {"far longer kept scrolls forward", 1, true, false, 5, 60, -15, 45},
      {"centre does not scroll", 0, true, false, 5, 60, -10, 50},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    Strip s(StripContainer::kRow, {Size{30, k.childHeight}, Size{20, 5}});
    s.strip.SetAlignment(k.code, k.noShrink, k.noGrow);
    s.strip.SetCrossScroll(k.scroll);
    s.Layout(Rect{0, 0, 100, 40});
    EXPECT_EQ(s.children[0]->bounds().top, k.top);
    EXPECT_EQ(s.children[0]->bounds().bottom, k.bottom);
    EXPECT_EQ(s.children[1]->bounds().top, k.top);  // one cross span for the whole line
    EXPECT_EQ(s.strip.pixelBar().maximum(), k.childHeight);
  }
}

TEST(StripContainer, ScrollBarsAndVisibleRange) {
  Strip s(StripContainer::kRow, {{100, 10}, {50, 10}, {80, 10}, {30, 10}});
  s.strip.SetAnchor(1);
  s.Layout(Rect{0, 0, 120, 10});
  // Children span [-100,0) [0,50) [50,130) [130,160): from child 1 to child 2 show.
  const ItemRun& run = s.strip.run();
  EXPECT_EQ(run.firstVisible, 1u);
  EXPECT_EQ(run.lastVisible, 3u);
  EXPECT_EQ(run.visibleCount, 2u);
  EXPECT_EQ(run.content, (Span{-100, 160}));
  EXPECT_EQ(s.strip.countBar().maximum(), 4);
  EXPECT_EQ(s.strip.countBar().page(), 2);  // 30 + 80 fit in 120, 50 more does not
  EXPECT_EQ(s.strip.countBar().position(), 0);
  EXPECT_EQ(s.strip.pixelBar().page(), 10);
  EXPECT_TRUE(s.strip.countBar().changed());

  // Painting is limited to the visible range.
  test::FakeCanvas canvas;
  struct Target : PaintTarget {
    Canvas* c;
    Canvas* BeginPaint(bool) override { return c; }
    void EndPaint() override {}
  } target;
  target.c = &canvas;
  s.root.Paint(target, nullptr, true);
  EXPECT_EQ(s.children[0]->paints, 0);
  EXPECT_EQ(s.children[1]->paints, 1);
  EXPECT_EQ(s.children[2]->paints, 1);
  EXPECT_EQ(s.children[3]->paints, 0);
}

TEST(StripContainer, MeasureSumsAlongAndTakesTheWidestAcross) {
  Strip row(StripContainer::kRow, {{100, 10}, {50, 30}, {80, 20}});
  Strip column(StripContainer::kReverseColumn, {{100, 10}, {50, 30}, {80, 20}});
  for (int32_t& m : row.strip.BeginEdit().layout) m = 2;
  row.strip.Commit();
  EXPECT_EQ(row.strip.MeasureNow(), (Size{234, 34}));
  EXPECT_EQ(column.strip.MeasureNow(), (Size{100, 60}));
}

TEST(StripContainer, HostileSizesAndSlots) {
  struct Case {
    const char* name;
    std::vector<Size> sizes;
    Rect rect;
  };
  const Case cases[] = {
      {"no children", {}, {0, 0, 100, 20}},
      {"zero window", {{10, 10}, {20, 10}}, {0, 0, 0, 0}},
      {"negative window", {{10, 10}}, {50, 50, -50, -50}},
      {"negative children", {{-10, -10}, {-5, 4}}, {0, 0, 100, 20}},
      {"huge children", {{INT32_MAX, INT32_MAX}, {INT32_MAX, 1}, {INT32_MAX, 1}}, {0, 0, 100, 20}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    Strip s(StripContainer::kRow, k.sizes);
    s.strip.SetAnchor(1);
    s.Layout(k.rect);
    for (auto& c : s.children) {
      EXPECT_LE(c->bounds().left, c->bounds().right);
      EXPECT_LE(c->bounds().top, c->bounds().bottom);
    }
    EXPECT_LE(s.strip.run().visibleCount, s.strip.Count());
  }

  // Filling slot 2 of an empty strip makes slots 0 and 1 empty; they take no room.
  Strip s(StripContainer::kRow, {});
  ProbeWidget late(Size{40, 10});
  s.strip.SetSlot(2, &late);
  EXPECT_EQ(s.strip.Count(), 3u);
  EXPECT_EQ(s.strip.Child(0), nullptr);
  EXPECT_EQ(late.root(), &s.root);
  s.Layout(Rect{0, 0, 100, 10});
  EXPECT_EQ(late.bounds(), (Rect{0, 0, 40, 10}));
}

TEST(StripContainer, ChildrenFollowTheStripsRoot) {
  Strip s(StripContainer::kRow, {{10, 10}, {10, 10}});
  WidgetRoot other;
  s.strip.Attach(&other);
  for (auto& c : s.children) EXPECT_EQ(c->root(), &other);
  s.strip.Attach(nullptr);
  for (auto& c : s.children) EXPECT_EQ(c->root(), nullptr);
}

}  // namespace
}  // namespace vexa::ui
