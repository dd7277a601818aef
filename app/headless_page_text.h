#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vexa {

// Turns a generated page (Shift_JIS HTML) into readable UTF-8 text for a terminal: one line per
// thread or post, tags dropped, entities decoded. A thread line starts with the thread's key (what
// --thread takes); a post line starts with "[number ID:id]". Reply pop-ups are left out (they
// repeat another post), line breaks inside a post become " ⏎ ", runs of spaces shrink to one,
// and bytes that are not valid Shift_JIS become U+FFFD. Control characters never reach the
// terminal: they become U+FFFD too.
std::vector<std::string> pageTextLines(std::string_view page);

// A status line (Shift_JIS) as one line of UTF-8 text, with the same care for control bytes.
std::string statusText(std::string_view status);

}  // namespace vexa
