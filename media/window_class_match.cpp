#include "media/window_class_match.h"

namespace vexa::media {

std::string_view ClassPartOfWmClass(std::string_view raw) {
  size_t end = raw.find('\0');
  if (end == std::string_view::npos) return {};
  std::string_view rest = raw.substr(end + 1);
  size_t classEnd = rest.find('\0');
  return classEnd == std::string_view::npos ? rest : rest.substr(0, classEnd);
}

ForeignMatch MatchForeignWindows(const std::vector<TopLevelWindow>& windows) {
  ForeignMatch match;
  for (const TopLevelWindow& window : windows) {
    if (!window.visible || window.id == 0) continue;
    for (int slot = 0; slot < kForeignSlotCount; ++slot) {
      if (window.className == kForeignClassNames[slot]) match.ids[slot] = window.id;
    }
  }
  return match;
}

}  // namespace vexa::media
