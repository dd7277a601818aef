#pragma once

#include <cstdint>

namespace vexa::ui {

// A half-open span [a, b).
struct Span {
  int32_t a = 0;
  int32_t b = 0;
  int32_t length() const { return b - a; }
  bool operator==(const Span&) const = default;
};

// Places a span inside [lo, hi): code 0 centres it, a negative code -n puts it n - 1 pixels
// from lo, a positive code n puts its end n - 1 pixels before hi. `shrink` lets a span longer
// than the room be cut to it, `grow` lets a shorter one be stretched.
void AlignSpan(Span& span, int32_t lo, int32_t hi, int32_t code, bool shrink, bool grow);

}  // namespace vexa::ui
