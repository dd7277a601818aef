#include "ui/align_span.h"

#include <gtest/gtest.h>

#include <climits>

namespace vexa::ui {
namespace {

TEST(AlignSpan, EveryModeWithAndWithoutFitting) {
  struct Case {
    const char* name;
    Span span;
    int32_t lo, hi, code;
    bool shrink, grow;
    Span expected;
  };
  const Case cases[] = {
      {"centre", {0, 5}, 0, 10, 0, false, false, {2, 7}},
      {"centre odd room", {0, 4}, 0, 9, 0, false, false, {2, 6}},
      {"centre longer", {0, 14}, 0, 10, 0, false, false, {-2, 12}},
      {"centre longer shrinks", {0, 14}, 0, 10, 0, true, false, {0, 10}},
      {"centre shorter grows", {0, 4}, 0, 10, 0, false, true, {0, 10}},
      {"centre shorter no grow", {0, 4}, 0, 10, 0, true, false, {3, 7}},
      {"near edge", {3, 8}, 10, 30, -1, false, false, {10, 15}},
      {"near edge inset", {0, 5}, 10, 30, -4, false, false, {13, 18}},
      {"near longer cut", {0, 30}, 10, 30, -1, true, false, {10, 30}},
      {"near longer kept", {0, 30}, 10, 30, -1, false, false, {10, 40}},
      {"near grows", {0, 5}, 10, 30, -1, false, true, {10, 30}},
      {"far edge", {0, 5}, 10, 30, 1, false, false, {25, 30}},
      {"far edge inset", {0, 5}, 10, 30, 3, false, false, {23, 28}},
      {"far longer cut", {0, 30}, 10, 30, 1, true, false, {10, 30}},
      {"far longer kept", {0, 30}, 10, 30, 1, false, false, {0, 30}},
      {"far grows", {0, 5}, 10, 30, 1, false, true, {10, 30}},
      {"empty room", {0, 5}, 7, 7, 0, true, true, {7, 7}},
      {"inverted room", {0, 5}, 10, 0, -1, true, false, {10, 0}},
      {"hostile code", {0, 5}, 0, 10, INT32_MIN, false, false, {INT32_MAX, INT32_MAX}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    Span s = k.span;
    AlignSpan(s, k.lo, k.hi, k.code, k.shrink, k.grow);
    EXPECT_EQ(s.a, k.expected.a);
    EXPECT_EQ(s.b, k.expected.b);
  }
}

}  // namespace
}  // namespace vexa::ui
