#include "app/headless_status_view.h"

namespace vexa {

void HeadlessStatusView::statusChanged(const char* text) {
  const std::string_view line = text != nullptr ? text : "";
  if (any_ && line == last_) return;
  any_ = true;
  last_.assign(line);
  printer_.print(prefix_, last_);
}

}  // namespace vexa
