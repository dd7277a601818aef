#include "view/ng_id_list.h"

#include <algorithm>

namespace vexa {

bool NgIdList::contains(std::string_view id) const {
  return std::find(ids_.begin(), ids_.end(), id) != ids_.end();
}

bool NgIdList::addFromLink(std::string_view link) {
  constexpr std::string_view kScheme = "ngid:";
  if (!link.starts_with(kScheme)) return false;
  return add(link.substr(kScheme.size()));
}

bool NgIdList::add(std::string_view id) {
  if (contains(id)) return false;
  ids_.emplace_back(id);
  return true;
}

}  // namespace vexa
