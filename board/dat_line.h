#pragma once

#include <string_view>

namespace vexa {

// The fields of one thread data line that the viewer keeps. The line's fields are separated by
// "<>": name, mail, date with the poster's ID, body, thread title.
struct DatLine {
  bool complete = false;  // false when the line lacks the separators up to the date field
  std::string_view id;    // text after "ID:" in the date field up to a blank, empty when none
  std::string_view body;  // the raw body, still in the board's markup
};

// Never fails: an incomplete line gives complete == false with an empty ID and body.
DatLine splitDatLine(std::string_view line);

}  // namespace vexa
