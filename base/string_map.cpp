#include "base/string_map.h"

#include <new>
#include <tuple>

namespace vexa {

namespace {
std::string_view keyView(const char* key) {
  return key != nullptr ? key : "";
}
}  // namespace

StringMap::Entry* StringMap::find(const char* key) const {
  auto found = entries_.find(keyView(key));
  return found != entries_.end() ? const_cast<Entry*>(&found->second) : nullptr;
}

StringMap::Entry* StringMap::insert(const char* key) {
  std::string_view view = keyView(key);
  auto found = entries_.find(view);
  if (found != entries_.end()) return &found->second;
  try {
    auto [placed, inserted] =
        entries_.emplace(std::piecewise_construct, std::forward_as_tuple(view), std::tuple<>());
    Entry& entry = placed->second;
    if (inserted) entry.key.assign(placed->first.c_str());
    return &entry;
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

bool StringMap::remove(const char* key) {
  auto found = entries_.find(keyView(key));
  if (found == entries_.end()) return false;
  entries_.erase(found);
  return true;
}

}  // namespace vexa
