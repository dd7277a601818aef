#pragma once

#include <cstdint>
#include <string_view>

namespace vexa {

// One line of subject.txt: KEY<>TITLE (COUNT). Every part views the line.
struct SubjectLine {
  std::string_view key;
  std::string_view title;
  uint32_t count = 0;
};

// False when the line is not a usable thread line: a separator, the " (" or the ")" is missing,
// the count is 0 or does not fit in 32 bits, or the key could not be used in a request path or
// a link (empty, or holding blanks, quotes, markup or URL syntax bytes).
// The title ends at the last " (" of the line, so a title may itself hold " (". A count after a
// tab ("TITLE\t\t(204)", as lists of today write it) counts too; the title then ends before the
// tabs.
bool parseSubjectLine(std::string_view line, SubjectLine& parsed);

}  // namespace vexa
