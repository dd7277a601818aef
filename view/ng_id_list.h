#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vexa {

// Poster IDs whose posts are hidden, as Shift_JIS bytes, in the order they were added, without
// duplicates. Lives for the run and is never saved. Plain data: its owner guards it with the
// viewer lock (the watch task reads it while parsing, the link handler adds to it).
class NgIdList {
 public:
  // Exact byte comparison; the empty ID is an ID like any other.
  bool contains(std::string_view id) const;
  // `link` is a clicked "ngid:" link; anything else is ignored. Returns true when an ID was
  // added (false when it was listed already or the link is not an NG link).
  bool addFromLink(std::string_view link);
  bool add(std::string_view id);

  uint32_t size() const { return static_cast<uint32_t>(ids_.size()); }

 private:
  std::vector<std::string> ids_;
};

}  // namespace vexa
