#include "ui/styles.h"

#include <gtest/gtest.h>

#include <cstring>

#include "tests/ui/ui_test_support.h"
#include "ui/graphics_device.h"
#include "ui/host_services.h"

namespace vexa::ui {
namespace {

using test::FakeCanvas;
using Log = std::vector<std::string>;

TEST(ShapeStyle, DrawShapeByCountAndMode) {
  const Point p[4] = {{1, 1}, {5, 1}, {5, 5}, {1, 5}};
  struct Case {
    const char* name;
    uint32_t count;
    int32_t mode;
    Log expected;
  };
  const Case cases[] = {
      {"none", 0, 0, {}},
      {"one point", 1, 2, {"pixel 1,1 1193046"}},
      {"line draws both ends", 2, 0, {"move 1,1", "line 5,1", "pixel 5,1 1193046"}},
      {"polygon", 3, 0, {"polygon 1,1 5,1 5,5"}},
      {"polygon negative mode", 4, -3, {"polygon 1,1 5,1 5,5 1,5"}},
      {"closed", 3, 1, {"move 1,1", "polyline 5,1 5,5", "line 1,1"}},
      {"open", 3, 2, {"move 1,1", "polyline 5,1 5,5", "pixel 5,5 1193046"}},
      {"open far mode", 4, 9, {"move 1,1", "polyline 5,1 5,5 1,5", "pixel 1,5 1193046"}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    FakeCanvas canvas;
    ShapeStyle shape(Colour::Rgb(0x56, 0x34, 0x12));
    shape.Bind(&canvas);
    shape.DrawShape(p, k.count, k.mode);
    EXPECT_EQ(canvas.log, k.expected);
    EXPECT_EQ(canvas.pen, shape.colour());
  }
}

TEST(ShapeStyle, InvisibleColourDrawsBlackPixelsAndUnboundDrawsNothing) {
  FakeCanvas canvas;
  const Point p{3, 4};
  ShapeStyle faint(Colour::Grey(200).WithAlpha(0x7F));
  faint.Bind(&canvas);
  faint.DrawShape(&p, 1, 0);
  ShapeStyle seen(Colour::Grey(200).WithAlpha(0x80));
  seen.Bind(&canvas);
  seen.DrawShape(&p, 1, 0);
  EXPECT_EQ(canvas.log, (Log{"pixel 3,4 0", "pixel 3,4 13158600"}));
  canvas.Clear();
  seen.Bind(nullptr);
  seen.DrawShape(&p, 1, 0);
  seen.DrawEllipse(Rect{0, 0, 4, 4});
  EXPECT_TRUE(canvas.log.empty());
}

TEST(TextStyle, MeasureRunBoundsTheSelection) {
  struct Case {
    const char* name;
    const char* text;
    uint32_t anchor, caret;
    int32_t whole, low, high;
  };
  const Case cases[] = {
      {"anchor after caret", "abcdefgh", 5, 2, 56, 14, 35},
      {"anchor before caret", "abcdefgh", 2, 5, 56, 14, 35},
      {"empty selection", "abc", 0, 0, 21, 0, 0},
      {"positions past the end", "abc", 9, 40, 21, 21, 21},
      {"no text", nullptr, 3, 1, 0, 0, 0},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    FakeCanvas canvas;
    TextStyle text(Colour::Grey(0), 12);
    text.Bind(&canvas);
    TextRun run;
    run.text = k.text;
    run.length = k.text ? static_cast<uint32_t>(std::strlen(k.text)) : 0;
    run.anchor = k.anchor;
    run.caret = k.caret;
    Rect out[3];
    text.MeasureRun(out, run);
    EXPECT_EQ(out[0], (Rect{0, 0, k.whole, 12}));
    EXPECT_EQ(out[1], (Rect{0, 0, k.low, 12}));
    EXPECT_EQ(out[2], (Rect{0, 0, k.high, 12}));
  }
}

TEST(TextStyle, DrawRunOnlyWithText) {
  FakeCanvas canvas;
  TextStyle text(Colour::Rgb(1, 2, 3).WithAlpha(0x10), 14);
  text.Bind(&canvas);
  EXPECT_EQ(canvas.font, 14);
  TextRun run;
  text.DrawRun(run);
  run.text = "xy";
  text.DrawRun(run);
  run.length = 2;
  run.origin = Point{4, 5};
  text.DrawRun(run);
  EXPECT_EQ(canvas.log, (Log{"text 4,5 xy"}));
  EXPECT_EQ(canvas.textColour, 0u);  // invisible colour: black
}

TEST(ClipRegion, ContainsAfterSetAndBinds) {
  FakeCanvas canvas;
  ClipRegion clip;
  EXPECT_FALSE(clip.Contains(Point{0, 0}));
  clip.SetClipRect(Rect{2, 2, 5, 5});
  EXPECT_TRUE(clip.Contains(Point{2, 2}));
  EXPECT_FALSE(clip.Contains(Point{5, 4}));
  clip.Bind(&canvas);
  EXPECT_TRUE(canvas.clipped);
}

TEST(StyleFactory, TwoCallSizeProtocol) {
  StyleFactory factory;
  struct Case {
    int32_t kind;
    bool makes;
  };
  const Case cases[] = {{kind::kFillStyle, true},  {kind::kStrokeStyle, true},
                        {kind::kShapeStyle, true}, {kind::kTextStyle, true},
                        {kind::kClipRegion, true}, {kind::kStyle, false},
                        {kind::kTheme, false},     {0, false}};
  for (const Case& k : cases) {
    SCOPED_TRACE(k.kind);
    StyleDescriptor d{k.kind, Colour::Grey(3), 11};
    uint32_t size = 0;
    EXPECT_EQ(factory.Create(nullptr, size, &d, k.kind), nullptr);
    EXPECT_EQ(size > 0, k.makes);
    if (!k.makes) continue;
    // Too small a buffer is answered with the size again.
    alignas(16) unsigned char small[4];
    uint32_t tooSmall = sizeof(small);
    EXPECT_EQ(factory.Create(small, tooSmall, &d, k.kind), nullptr);
    EXPECT_EQ(tooSmall, size);
    CreatedObject made = CreateInCallerStorage(factory, &d, k.kind, 1024);
    ASSERT_NE(made.object, nullptr);
    EXPECT_EQ(made.object->KindTag(), k.kind);
    DestroyCreated(made);
    made = CreateInCallerStorage(factory, &d, k.kind, 0);
    ASSERT_NE(made.object, nullptr);
    DestroyCreated(made);
  }
}

}  // namespace
}  // namespace vexa::ui
