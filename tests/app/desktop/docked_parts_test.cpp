// The parts of the docked viewer that decide without a display: the column layout, the tray
// blinker's state machine, the URL dialog's caption and the bar's width on each edge.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/desktop/dock_bar.h"
#include "app/desktop/tray_blinker.h"
#include "app/desktop/url_dialog.h"
#include "app/desktop/view_layout.h"
#include "base/sjis.h"

namespace vexa {
namespace {

using ui::Rect;

TEST(ViewLayoutTest, StacksChildrenAndGivesTheRestToTheFill) {
  const Rect area{0, 0, 300, 800};
  struct Case {
    const char* name;
    Rect area;
    std::vector<int32_t> heights;
    int32_t fill;
    std::vector<Rect> rects;
  } cases[] = {
      {"strip, filter, content, editor, two panes",
       area,
       {24, 34, 0, 18, 225, 225},
       2,
       {{0, 0, 300, 24},
        {0, 24, 300, 58},
        {0, 58, 300, 332},
        {0, 332, 300, 350},
        {0, 350, 300, 575},
        {0, 575, 300, 800}}},
      // A hidden child takes no room, also when it asked for some.
      {"hidden children",
       area,
       {24, -1, 0, -1},
       2,
       {{0, 0, 300, 24}, {0, 24, 300, 24}, {0, 24, 300, 800}, {0, 800, 300, 800}}},
      // Too little room: the content gets nothing and what does not fit is cut at the bottom.
      {"too short",
       Rect{10, 100, 310, 150},
       {24, 0, 40},
       1,
       {{10, 100, 310, 124}, {10, 124, 310, 124}, {10, 124, 310, 150}}},
      {"no fill", Rect{0, 0, 10, 10}, {4, 4}, -1, {{0, 0, 10, 4}, {0, 4, 10, 8}}},
      {"empty area", Rect{0, 0, 0, 0}, {4, 0}, 1, {{0, 0, 0, 0}, {0, 0, 0, 0}}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(StackRects(c.area, c.heights, c.fill), c.rects) << c.name;
  }
}

TEST(ViewLayoutTest, PanesAreFourByThreeOfTheWidth) {
  NativeChildWidget pane(0, 750);
  EXPECT_EQ(pane.HeightFor(300), 225);
  EXPECT_EQ(pane.HeightFor(-5), 0);
  NativeChildWidget fixed(116);
  EXPECT_EQ(fixed.HeightFor(300), 116);
}

class BlinkerTest : public ::testing::Test {
 protected:
  std::vector<TrayIconKind> shown;
  TrayState state = TrayState::Normal;
  TrayBlinker blinker{state, [this](TrayIconKind kind) { shown.push_back(kind); },
                      [] { return 0u; }};
};

TEST_F(BlinkerTest, FollowsTheStateAndBlinksEveryHalfSecond) {
  using K = TrayIconKind;
  uint32_t wake = blinker.step(1000);
  EXPECT_EQ(shown, std::vector<K>{K::Normal});
  EXPECT_GT(wake - 1000, 10000u) << "nothing to do: no early wake-up";
  blinker.step(1010);
  EXPECT_EQ(shown.size(), 1u) << "an unchanged state shows nothing again";

  state = TrayState::Busy;
  blinker.step(1020);
  EXPECT_EQ(shown.back(), K::Second);

  state = TrayState::Blinking;
  EXPECT_EQ(blinker.step(2000), 2500u);
  EXPECT_EQ(shown.back(), K::Blink);
  const size_t before = shown.size();
  EXPECT_EQ(blinker.step(2499), 2500u);
  EXPECT_EQ(shown.size(), before);
  blinker.step(2500);
  EXPECT_EQ(shown.back(), K::Normal);
  EXPECT_EQ(blinker.step(3000), 3500u);
  EXPECT_EQ(shown.back(), K::Blink);

  // Leaving the blink shows the new state's icon at once, even mid-blink.
  state = TrayState::Normal;
  blinker.step(3001);
  EXPECT_EQ(shown.back(), K::Normal);
  // Entering it again starts with the blink icon.
  state = TrayState::Blinking;
  blinker.step(3002);
  EXPECT_EQ(shown.back(), K::Blink);
}

TEST_F(BlinkerTest, SurvivesTheTickWrapping) {
  state = TrayState::Blinking;
  blinker.step(0xFFFFFF00u);
  const size_t before = shown.size();
  blinker.step(0xFFFFFF00u + 499);
  EXPECT_EQ(shown.size(), before);
  blinker.step(0xFFFFFF00u + 500);  // wrapped past zero
  EXPECT_EQ(shown.back(), TrayIconKind::Normal);
}

TEST(UrlDialogTest, CaptionNamesThePane) {
  const std::string title = "vexa/1.2";
  EXPECT_EQ(UrlDialog::caption(title, 1), title + " ペイン１で再生するURLを入力"_sjis);
  EXPECT_EQ(UrlDialog::caption(title, 2), title + " ペイン２で再生するURLを入力"_sjis);
  EXPECT_EQ(UrlDialog::caption(title, 3), "error");
  EXPECT_EQ(UrlDialog::caption(title, 0), "error");
}

TEST(DockBarTest, WidthAppliesOnTheDockingEdge) {
  using platform::RECT;
  const RECT screen{0, 0, 1280, 800};
  struct Case {
    platform::UINT edge;
    RECT expected;
  } cases[] = {
      {platform::ABE_LEFT, {0, 0, 300, 800}},
      {platform::ABE_RIGHT, {980, 0, 1280, 800}},
      {platform::ABE_TOP, {0, 0, 1280, 300}},
      {platform::ABE_BOTTOM, {0, 500, 1280, 800}},
  };
  for (const Case& c : cases) {
    RECT rect = screen;
    ApplyDockWidth(rect, c.edge, 300);
    EXPECT_EQ(rect.left, c.expected.left) << c.edge;
    EXPECT_EQ(rect.top, c.expected.top) << c.edge;
    EXPECT_EQ(rect.right, c.expected.right) << c.edge;
    EXPECT_EQ(rect.bottom, c.expected.bottom) << c.edge;
  }
}

}  // namespace
}  // namespace vexa
