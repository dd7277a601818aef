#pragma once

#include <cstdint>

namespace vexa::ui {

// Cursor identifiers; SetCursor maps them to the system cursors named in the comments.
using CursorId = uint32_t;
constexpr CursorId kCursorIBeam = 0xF001;   // IDC_IBEAM
constexpr CursorId kCursorSizeWE = 0xF002;  // IDC_SIZEWE
constexpr CursorId kCursorSizeNS = 0xF003;  // IDC_SIZENS
constexpr CursorId kCursorHand = 0xF004;    // IDC_HAND
constexpr CursorId kCursorArrow = 0xF005;   // IDC_ARROW
constexpr CursorId kCursorNone = 0xFFFFFFFFu;

inline bool IsKnownCursor(CursorId id) {
  return id >= kCursorIBeam && id <= kCursorArrow;
}

}  // namespace vexa::ui
