#include "app/headless_status_view.h"

#include "app/headless_page_text.h"

namespace vexa {

void HeadlessStatusView::statusChanged(const char* text) {
  const std::string_view line = text != nullptr ? text : "";
  if (any_ && line == last_) return;
  any_ = true;
  last_.assign(line);
  const std::string shown = std::string(prefix_) + statusText(line) + "\n";
  std::fwrite(shown.data(), 1, shown.size(), out_);
  std::fflush(out_);
}

}  // namespace vexa
