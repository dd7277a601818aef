#include "ui/align_span.h"

namespace vexa::ui {

void AlignSpan(Span& span, int32_t lo, int32_t hi, int32_t code, bool shrink, bool grow) {
  // 64-bit arithmetic: hostile codes and sizes must not overflow.
  int64_t length = int64_t{span.b} - span.a;
  int64_t a = 0;
  int64_t b = 0;
  if (code == 0) {
    a = (int64_t{lo} + hi - length) / 2;
    b = a + length;
    int64_t width = int64_t{hi} - lo;
    if ((shrink && width < length) || (grow && length < width)) {
      a = lo;
      b = hi;
    }
  } else if (code < 0) {
    a = int64_t{lo} - code - 1;
    b = a + length;
    if ((shrink && hi < b) || (grow && b < hi)) b = hi;
  } else {
    b = int64_t{hi} - code + 1;
    a = b - length;
    if ((shrink && a < lo) || (grow && lo < a)) a = lo;
  }
  auto clamp = [](int64_t v) {
    return static_cast<int32_t>(v < INT32_MIN ? INT32_MIN : v > INT32_MAX ? INT32_MAX : v);
  };
  span.a = clamp(a);
  span.b = clamp(b);
}

}  // namespace vexa::ui
