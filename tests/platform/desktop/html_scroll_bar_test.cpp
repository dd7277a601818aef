#include "platform/desktop/html_scroll_bar.h"

#include <gtest/gtest.h>

namespace vexa::platform::desktop {
namespace {

TEST(HtmlScrollBar, Geometry) {
  struct Case {
    const char* name;
    int view;
    int page;
    int scroll;
    bool active;
    int thumbTop;
    int thumbHeight;
  };
  const Case cases[] = {
      {"a page that fits has no thumb", 600, 400, 0, false, 0, 0},
      {"exactly the view's height", 600, 600, 0, false, 0, 0},
      {"twice the view: half-height thumb at the top", 600, 1200, 0, true, 0, 300},
      {"twice the view, at the end", 600, 1200, 600, true, 300, 300},
      {"twice the view, half-way", 600, 1200, 300, true, 150, 300},
      {"a scroll past the end is clamped", 600, 1200, 5000, true, 300, 300},
      {"a negative scroll is clamped", 600, 1200, -50, true, 0, 300},
      {"a very long page keeps a thumb you can grab", 600, 10000000, 0, true, 0, kSmallestThumb},
      {"a very long page at its end", 600, 10000000, 9999400, true, 600 - kSmallestThumb,
       kSmallestThumb},
      {"no view", 0, 1000, 0, false, 0, 0},
  };
  for (const Case& c : cases) {
    const ScrollBarGeometry bar = scrollBarGeometry(c.view, c.page, c.scroll);
    EXPECT_EQ(bar.active, c.active) << c.name;
    EXPECT_EQ(bar.thumbTop, c.thumbTop) << c.name;
    EXPECT_EQ(bar.thumbHeight, c.thumbHeight) << c.name;
  }
}

TEST(HtmlScrollBar, DraggingTheThumbMapsBackToTheScroll) {
  struct Case {
    int view;
    int page;
  };
  for (const Case& c : {Case{600, 1200}, Case{600, 6001}, Case{300, 10000000}, Case{17, 40}}) {
    const int most = maxScroll(c.view, c.page);
    for (int scroll : {0, 1, most / 3, most / 2, most - 1, most}) {
      const ScrollBarGeometry bar = scrollBarGeometry(c.view, c.page, scroll);
      const int back = scrollForThumbTop(bar.thumbTop, c.view, c.page);
      // One pixel of thumb travel covers this many pixels of page.
      const int step = most / std::max(c.view - bar.thumbHeight, 1) + 1;
      EXPECT_NEAR(back, scroll, step) << c.view << " " << c.page << " " << scroll;
    }
    EXPECT_EQ(scrollForThumbTop(-100, c.view, c.page), 0);
    EXPECT_EQ(scrollForThumbTop(c.view * 2, c.view, c.page), most);
  }
  EXPECT_EQ(scrollForThumbTop(50, 600, 300), 0) << "nothing to scroll";
}

TEST(HtmlScrollBar, Clamping) {
  EXPECT_EQ(clampScroll(100, 600, 400), 0);
  EXPECT_EQ(clampScroll(700, 600, 1000), 400);
  EXPECT_EQ(clampScroll(-1, 600, 1000), 0);
  EXPECT_EQ(maxScroll(-5, 100), 100);
}

}  // namespace
}  // namespace vexa::platform::desktop
