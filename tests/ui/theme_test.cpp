#include "ui/theme.h"

#include <gtest/gtest.h>

#include "tests/ui/ui_test_support.h"
#include "ui/painters.h"

namespace vexa::ui {
namespace {

using test::FakeCanvas;

TEST(Theme, PulseAndRampFrames) {
  auto k = Theme::PulseBrightness();
  const struct {
    int frame;
    uint8_t value;
  } pulse[] = {{0, 136}, {29, 136}, {14, 255}, {15, 255}, {1, 149}};
  for (const auto& p : pulse) EXPECT_EQ(k[p.frame], p.value) << p.frame;
  for (int i = 0; i < kPulseFrames; ++i) EXPECT_EQ(k[i], k[29 - i]) << i;

  auto g = Theme::GreyRamp();
  EXPECT_EQ(g[0], 221);
  EXPECT_EQ(g[29], 136);
  for (int i = 1; i < kPulseFrames; ++i) EXPECT_LE(g[i], g[i - 1]) << i;

  Theme theme;
  EXPECT_EQ(theme.PulseColour(0, 0), Colour::Grey(109));
  EXPECT_EQ(theme.PulseColour(1, 0), Colour::Grey(136));
  EXPECT_EQ(theme.PulseColour(2, 0), Colour::Grey(82));
  EXPECT_EQ(theme.PulseColour(1, 14), Colour::Grey(255));
  EXPECT_EQ(theme.RampColour(0), Colour::Grey(221));
  for (int a = 0; a < 3; ++a)
    for (int i = 0; i < kPulseFrames; ++i) EXPECT_EQ(theme.PulseColour(a, i).alpha(), 0xFF);
}

TEST(Theme, InitialisesOnceAndHandsPaintersOnlyThen) {
  Theme theme;
  int owner = 0;
  EXPECT_FALSE(theme.Bevel(0));
  EXPECT_TRUE(theme.Initialise(nullptr, 0, 0));
  EXPECT_FALSE(theme.Initialise(&owner, 0, 0));
  EXPECT_TRUE(theme.Initialise(&owner, 0, 0));
  EXPECT_TRUE(theme.Bevel(0));
  EXPECT_EQ(theme.KindTag(), kind::kTheme);
  theme.Shutdown();
  EXPECT_FALSE(theme.Bevel(0));
}

TEST(Theme, LevelAccessorsChooseOneOfThree) {
  Theme theme;
  int owner = 0;
  ASSERT_FALSE(theme.Initialise(&owner, 0, 0));
  Painter* bevelLow = theme.Bevel(-1).painter;
  Painter* bevelZero = theme.Bevel(0).painter;
  Painter* bevelHigh = theme.Bevel(1).painter;
  EXPECT_NE(bevelLow, bevelZero);
  EXPECT_NE(bevelZero, bevelHigh);
  const struct {
    int32_t level;
    Painter* expected;
  } cases[] = {{-3, bevelLow}, {INT32_MIN, bevelLow}, {0, bevelZero}, {7, bevelHigh}};
  for (const auto& c : cases) EXPECT_EQ(theme.Bevel(c.level).painter, c.expected) << c.level;
  EXPECT_EQ(theme.Panel(-9).painter, theme.PainterA().painter);
  EXPECT_EQ(theme.Panel(0).painter, theme.PainterB().painter);
  EXPECT_EQ(theme.Panel(9).painter, theme.PainterC().painter);
  EXPECT_EQ(theme.StateValue(), 9);
}

TEST(Theme, DirectionStateOutputs) {
  const struct {
    uint32_t side;
    bool flag;
    bool d[4];
  } cases[] = {
      {0, false, {false, false, false, true}}, {0, true, {false, true, false, false}},
      {1, false, {true, false, false, false}}, {1, true, {false, false, true, false}},
      {2, false, {false, true, false, false}}, {2, true, {false, false, false, false}},
      {3, false, {false, false, true, false}}, {3, true, {true, false, false, true}},
      {7, true, {true, false, false, true}},  // only the low two bits count
  };
  Theme theme;
  int owner = 0;
  ASSERT_FALSE(theme.Initialise(&owner, 0, 0));
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.side << " " << c.flag);
    DirectionFlags out = DirectionOutputs(DirectionState{c.flag, c.side});
    for (int i = 0; i < 4; ++i) EXPECT_EQ(out.d[i], c.d[i]) << i;
    auto* edges = static_cast<EdgePainter*>(theme.Edges(DirectionState{c.flag, c.side}).painter);
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(edges->values[i], c.d[i] ? 0 : 1);
      EXPECT_EQ(edges->present[i], !c.d[i]);
    }
    auto* arrow = static_cast<ArrowPainter*>(theme.Arrow(DirectionState{c.flag, c.side}).painter);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(arrow->flags.d[i], c.d[i]);
  }
}

TEST(Theme, OrientedStateOutputs) {
  struct Case {
    const char* name;
    OrientedState in;
    OrientedOutputs out;
  };
  const Case cases[] = {
      {"horizontal", {false, 1, false, 5, 9}, {true, true, false, true, false, false, 0, 5, -1}},
      {"horizontal hidden",
       {false, 0, true, 5, -1},
       {false, false, false, true, false, true, 1, -1, -1}},
      {"vertical", {true, 3, false, -2, 4}, {true, true, true, false, false, true, 0, -1, -2}},
      {"vertical flag clear",
       {false, 2, false, 6, -1},
       {false, true, true, false, true, false, 0, -1, 6}},
      {"flag set mode 1",
       {true, 1, false, 0, 0},
       {true, false, false, true, false, false, 0, 0, -1}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    EXPECT_EQ(OrientedOutputsOf(k.in), k.out);
  }
}

TEST(Theme, SelectionDirection) {
  const struct {
    bool focus;
    uint32_t anchor, caret;
    int32_t direction;
  } cases[] = {{false, 1, 5, 0}, {true, 5, 2, -1}, {true, 3, 3, -1}, {true, 2, 5, 1}};
  for (const auto& c : cases) {
    TextBoxState state;
    state.focus = c.focus;
    state.run.anchor = c.anchor;
    state.run.caret = c.caret;
    EXPECT_EQ(SelectionDirection(state), c.direction);
  }
}

TEST(Theme, PainterProgramsNeed780Bytes) {
  Theme theme;
  uint32_t size = 779;
  alignas(16) unsigned char buffer[780];
  EXPECT_EQ(theme.Create(buffer, size, nullptr, Painter::kKind), nullptr);
  EXPECT_EQ(size, 780u);
  Tagged* made = theme.Create(buffer, size, nullptr, Painter::kKind);
  ASSERT_NE(made, nullptr);
  made->~Tagged();
  EXPECT_EQ(theme.Create(buffer, size, nullptr, kind::kFillStyle), nullptr);
  EXPECT_EQ(size, 0u);
}

TEST(BevelPainter, DrawsTheTwoEdgesInsideItsBounds) {
  FakeCanvas canvas;
  Theme theme;
  int owner = 0;
  ASSERT_FALSE(theme.Initialise(&owner, 0, 0));
  theme.SetCanvas(&canvas);
  PainterHandle bevel = theme.Bevel(1);
  ASSERT_TRUE(bevel);
  EXPECT_EQ(bevel->GetBounds(), (Rect{0, 0, 200, 100}));  // the canvas size on acquire
  bevel->SetBounds(Rect{10, 20, 30, 30});
  bevel->Draw();
  EXPECT_EQ(canvas.log,
            (std::vector<std::string>{"begin", "fill 10,20-30,30 238", "move 11,28",
                                      "polyline 11,21 28,21", "pixel 28,21 16777215", "move 28,21",
                                      "polyline 28,28 11,28", "pixel 11,28 10066329", "end"}));
  canvas.Clear();
  theme.Bevel(-1)->Draw();
  EXPECT_EQ(canvas.log.front(), "begin pressed");

  canvas.Clear();
  canvas.failBegin = true;
  theme.Bevel(0)->Draw();
  EXPECT_EQ(canvas.log, (std::vector<std::string>{"begin"}));
}

TEST(Painters, EveryPainterStaysInsideItsBounds) {
  const Rect bounds[] = {{10, 10, 60, 30}, {0, 0, 1, 1}, {5, 5, 5, 5}, {20, 20, 10, 10}};
  for (const Rect& b : bounds) {
    SCOPED_TRACE(test::FakeCanvas::Box(b));
    FakeCanvas canvas;
    Theme theme;
    int owner = 0;
    ASSERT_FALSE(theme.Initialise(&owner, 0, 0));
    theme.SetCanvas(&canvas);
    TextBoxState box;
    box.focus = true;
    box.framed = 1;
    box.run.text = "abc";
    box.run.length = 3;
    box.run.anchor = 0;
    box.run.caret = 3;
    PainterHandle handles[] = {
        theme.PainterA(),
        theme.PainterB(),
        theme.PainterC(),
        theme.Bevel(-1),
        theme.Bevel(0),
        theme.Bevel(1),
        theme.Marker(Point{4, 4}),
        theme.Arrow(DirectionState{true, 3}),
        theme.Scroll(OrientedState{false, 0, false, 30, 40}),
        theme.Edges(DirectionState{true, 3}),
        theme.Lamp(2),
        theme.Gauge(3, 4),
        theme.TextBox(box),
    };
    for (PainterHandle& h : handles) {
      ASSERT_TRUE(h);
      canvas.Clear();
      h->SetBounds(b);
      h->Draw();
      if (b.empty() || !canvas.touched) continue;
      EXPECT_GE(canvas.reach.left, b.left);
      EXPECT_GE(canvas.reach.top, b.top);
      EXPECT_LE(canvas.reach.right, b.right);
      EXPECT_LE(canvas.reach.bottom, b.bottom);
    }
  }
}

TEST(Painters, FitResizesTheCanvasOrReportsEmpty) {
  FakeCanvas canvas;
  Theme theme;
  int owner = 0;
  ASSERT_FALSE(theme.Initialise(&owner, 0, 0));
  PainterHandle h = theme.PainterB();  // no canvas yet
  EXPECT_EQ(h->Fit(Size{10, 10}), Rect{});
  theme.SetCanvas(&canvas);
  h = theme.PainterB();
  EXPECT_EQ(h->Fit(Size{40, -3}), (Rect{0, 0, 40, 0}));
  canvas.failResize = true;
  EXPECT_EQ(h->Fit(Size{80, 80}), (Rect{0, 0, 40, 0}));
  EXPECT_EQ(h->GetMinimumSize(), (Rect{0, 0, 2, 2}));
}

}  // namespace
}  // namespace vexa::ui
