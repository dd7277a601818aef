#pragma once

#include <cstddef>
#include <string_view>

namespace vexa {

// A tag found in a page: `start` is where its opening text begins and `end` is its first ">"
// after that text (or the end of the page when none follows).
struct TagSpan {
  size_t start = 0;
  size_t end = 0;
};

// Finds `opening` at or after `from` (exact bytes, case matters). False when it does not occur.
bool findTag(std::string_view page, size_t from, std::string_view opening, TagSpan& tag);

// Reads the value of the attribute `name` (for example "action=") of `tag`. The name is searched
// from the tag's start and is accepted only when its value begins at or before the tag's end.
// Spaces before the value are skipped; a value opened by a double quote runs to the next double
// quote, any other value to the next space or ">". The value is trimmed of blanks. `scanned`, when
// given, receives the position just past the value as written (past its closing quote), so a
// caller can go on from there instead of reading the same bytes again.
bool readAttribute(std::string_view page, const TagSpan& tag, std::string_view name,
                   std::string_view& value, size_t* scanned = nullptr);

}  // namespace vexa
