#include "ui/scroll_bar.h"

#include <algorithm>

namespace vexa::ui {

void ScrollBar::Set(int32_t page, int32_t position, int32_t maximum) {
  maximum = std::max(maximum, 0);
  page = std::clamp(page, 0, maximum);
  position = std::clamp(position, 0, maximum - page);
  if (page != page_ || position != position_ || maximum != maximum_) changed_ = true;
  page_ = page;
  position_ = position;
  maximum_ = maximum;
}

}  // namespace vexa::ui
