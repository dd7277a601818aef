#pragma once

#include <cstddef>
#include <string_view>

// Where Shift_JIS (code page 932) characters begin and end. Every pass that walks Shift_JIS text
// by character uses these, so that a trail byte that looks like ASCII ("\", "|", "h", "<") is
// never taken for a character of its own. It lives at the bottom layer because the conversion to
// UTF-8 needs it too.
namespace vexa {

// 0x81-0x9F and 0xE0-0xFC start a double-byte character.
inline bool isSjisLeadByte(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// 0x40-0x7E and 0x80-0xFC may follow a lead byte.
inline bool isSjisTrailByte(unsigned char byte) {
  return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFC);
}

// The length of the character at text[position] (position < size): 2 for a lead byte followed by
// a trail byte, otherwise 1 (a lead byte alone at the end, or before a byte that cannot follow it).
inline size_t sjisCharLength(std::string_view text, size_t position = 0) {
  return position + 1 < text.size() && isSjisLeadByte(static_cast<unsigned char>(text[position])) &&
                 isSjisTrailByte(static_cast<unsigned char>(text[position + 1]))
             ? 2
             : 1;
}

}  // namespace vexa
