#pragma once

#include <cstdint>

namespace vexa::ui {

// Page size, position and maximum, kept consistent: 0 <= page <= maximum and
// 0 <= position <= maximum - page. Any change raises the changed flag.
class ScrollBar {
 public:
  void Set(int32_t page, int32_t position, int32_t maximum);
  int32_t page() const { return page_; }
  int32_t position() const { return position_; }
  int32_t maximum() const { return maximum_; }
  bool changed() const { return changed_; }
  void ClearChanged() { changed_ = false; }

 private:
  int32_t page_ = 0;
  int32_t position_ = 0;
  int32_t maximum_ = 0;
  bool changed_ = false;
};

}  // namespace vexa::ui
