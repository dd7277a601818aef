#include "platform/desktop/app_bar_geometry.h"

#include <gtest/gtest.h>

#include "platform/desktop/app_bar.h"

namespace vexa::platform::desktop {
namespace {

constexpr SIZE kScreen{1280, 1024};

Strut leftStrut(long width, long first = 0, long last = 1023) {
  Strut s{};
  s[kLeft] = width;
  s[kLeftStartY] = first;
  s[kLeftEndY] = last;
  return s;
}
Strut rightStrut(long width, long first = 0, long last = 1023) {
  Strut s{};
  s[kRight] = width;
  s[kRightStartY] = first;
  s[kRightEndY] = last;
  return s;
}
Strut topStrut(long height, long first, long last) {
  Strut s{};
  s[kTop] = height;
  s[kTopStartX] = first;
  s[kTopEndX] = last;
  return s;
}
Strut bottomStrut(long height, long first, long last) {
  Strut s{};
  s[kBottom] = height;
  s[kBottomStartX] = first;
  s[kBottomEndX] = last;
  return s;
}

bool same(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST(AppBarGeometry, RectangleKeepsClearOfOtherStrips) {
  struct Case {
    const char* name;
    UINT edge;
    RECT asked;
    std::vector<Strut> others;
    RECT expected;
  };
  const Case cases[] = {
      {"alone on the left", ABE_LEFT, {0, 0, 300, 1024}, {}, {0, 0, 300, 1024}},
      {"alone on the right", ABE_RIGHT, {980, 0, 1280, 1024}, {}, {980, 0, 1280, 1024}},
      {"beside a left bar", ABE_LEFT, {0, 0, 300, 1024}, {leftStrut(200)}, {200, 0, 500, 1024}},
      {"beside two left bars, the wider counts",
       ABE_LEFT,
       {0, 0, 300, 1024},
       {leftStrut(120), leftStrut(200)},
       {200, 0, 500, 1024}},
      {"beside a right bar",
       ABE_RIGHT,
       {980, 0, 1280, 1024},
       {rightStrut(64)},
       {916, 0, 1216, 1024}},
      {"a right bar does not move a left one",
       ABE_LEFT,
       {0, 0, 300, 1024},
       {rightStrut(64)},
       {0, 0, 300, 1024}},
      {"a left strip on other rows is not in the way",
       ABE_LEFT,
       {0, 0, 300, 500},
       {leftStrut(200, 600, 1023)},
       {0, 0, 300, 500}},
      {"a top panel across the bar takes its rows",
       ABE_RIGHT,
       {980, 0, 1280, 1024},
       {topStrut(24, 1180, 1279)},
       {980, 24, 1280, 1024}},
      {"a top panel elsewhere leaves the full height",
       ABE_LEFT,
       {0, 0, 300, 1024},
       {topStrut(24, 1180, 1279)},
       {0, 0, 300, 1024}},
      {"a bottom panel across the bar",
       ABE_LEFT,
       {0, 0, 300, 1024},
       {bottomStrut(40, 0, 1279)},
       {0, 0, 300, 984}},
      {"a top bar beside a left bar",
       ABE_TOP,
       {0, 0, 1280, 30},
       {leftStrut(200)},
       {200, 0, 1280, 30}},
      {"a bottom bar above a bottom panel",
       ABE_BOTTOM,
       {0, 994, 1280, 1024},
       {bottomStrut(40, 0, 1279)},
       {0, 954, 1280, 984}},
      // What other clients send is not trusted.
      {"a strip wider than the screen",
       ABE_LEFT,
       {0, 0, 300, 1024},
       {leftStrut(1 << 30)},
       {980, 0, 1280, 1024}},
      {"a negative strip",
       ABE_RIGHT,
       {980, 0, 1280, 1024},
       {rightStrut(-500)},
       {980, 0, 1280, 1024}},
      {"panels that leave no height are ignored",
       ABE_LEFT,
       {0, 0, 300, 1024},
       {topStrut(600, 0, 1279), bottomStrut(600, 0, 1279)},
       {0, 0, 300, 1024}},
      {"a bar wider than the screen stays on it",
       ABE_RIGHT,
       {-100, 0, 1400, 1024},
       {},
       {0, 0, 1280, 1024}},
  };
  for (const Case& c : cases) {
    const RECT got = clearOfStruts(c.asked, c.edge, c.others, kScreen);
    EXPECT_TRUE(same(got, c.expected)) << c.name << ": got " << got.left << "," << got.top << ","
                                       << got.right << "," << got.bottom;
  }
}

TEST(AppBarGeometry, StrutReservesFromTheEdgeToTheFarSide) {
  struct Case {
    const char* name;
    UINT edge;
    RECT rect;
    Strut expected;
  };
  const Case cases[] = {
      {"left, full height", ABE_LEFT, {0, 0, 300, 1024}, leftStrut(300, 0, 1023)},
      {"left, beside another bar", ABE_LEFT, {200, 0, 500, 1024}, leftStrut(500, 0, 1023)},
      {"right, full height", ABE_RIGHT, {980, 0, 1280, 1024}, rightStrut(300, 0, 1023)},
      {"right, below a panel", ABE_RIGHT, {980, 24, 1280, 1024}, rightStrut(300, 24, 1023)},
      {"top", ABE_TOP, {0, 0, 1280, 30}, topStrut(30, 0, 1279)},
      {"bottom", ABE_BOTTOM, {0, 994, 1280, 1024}, bottomStrut(30, 0, 1279)},
      {"a rectangle off the screen reserves nothing beyond it",
       ABE_LEFT,
       {0, 0, 5000, 1024},
       leftStrut(1280, 0, 1023)},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(strutForBar(c.rect, c.edge, kScreen), c.expected) << c.name;
  }
}

TEST(AppBarGeometry, OlderStrutCoversWholeEdges) {
  const Strut s = strutFromEdges(10, 20, 30, 40, kScreen);
  EXPECT_EQ(s, (Strut{10, 20, 30, 40, 0, 1023, 0, 1023, 0, 1279, 0, 1279}));
  // And it keeps a bar clear like the newer one.
  EXPECT_TRUE(same(clearOfStruts({0, 0, 300, 1024}, ABE_LEFT, {s}, kScreen), {10, 30, 310, 984}));
}

}  // namespace
}  // namespace vexa::platform::desktop
