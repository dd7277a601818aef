#include "board/title_filter.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "base/text_functions.h"
#include "platform/sjis_char.h"
#include "platform/text_encoding.h"
#include "view/normalising_reader.h"

namespace vexa {

namespace {

// The full-width space in code page 932.
constexpr std::string_view kWideSpace = "\x81\x40";

// Length of the separator at the start of `text`, 0 when there is none. The full-width space is
// only taken as a whole character, so a lead byte 0x81 before some other trail byte stays text.
size_t separatorAt(std::string_view text) {
  if (text.empty()) return 0;
  if (text[0] == ' ') return 1;
  if (text.starts_with(kWideSpace)) return 2;
  return 0;
}

// Steps over one Shift_JIS character, so a trail byte is never mistaken for a separator's
// first byte.
size_t characterLength(std::string_view text) {
  return isSjisLeadByte(static_cast<unsigned char>(text[0])) && text.size() >= 2 ? 2 : 1;
}

bool occurs(std::string_view title, const std::string& word) {
  return findNormalised(title, word) != kNotFound;
}

// A code point as Shift_JIS, the way the filter box would hold it when typed: a character the
// code page lacks becomes "?", as typed text does.
void appendCodePoint(uint32_t cp, std::string& out) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
    return;
  }
  char utf8[4];
  size_t length;
  if (cp < 0x800) {
    utf8[0] = static_cast<char>(0xC0 | (cp >> 6));
    length = 2;
  } else if (cp < 0x10000) {
    utf8[0] = static_cast<char>(0xE0 | (cp >> 12));
    length = 3;
  } else {
    utf8[0] = static_cast<char>(0xF0 | (cp >> 18));
    length = 4;
  }
  for (size_t i = 1; i < length; ++i) {
    utf8[i] = static_cast<char>(0x80 | ((cp >> (6 * (length - 1 - i))) & 0x3F));
  }
  out += platform::utf8ToCp932(std::string_view(utf8, length));
}

// The character reference at text[0] == '&', appended as its character; its length, or 0 when it
// is none (NUL, surrogates and values past Unicode are none either).
size_t decodeReference(std::string_view text, std::string& out) {
  const size_t semicolon = text.substr(0, 12).find(';');
  if (semicolon == std::string_view::npos) return 0;
  const std::string_view name = text.substr(1, semicolon - 1);
  static const struct {
    std::string_view name;
    char byte;
  } kNamed[] = {{"quot", '"'}, {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"apos", '\''}};
  for (const auto& named : kNamed) {
    if (name == named.name) {
      out += named.byte;
      return semicolon + 1;
    }
  }
  if (name.size() < 2 || name[0] != '#') return 0;
  const bool hex = name[1] == 'x' || name[1] == 'X';
  const std::string_view digits = name.substr(hex ? 2 : 1);
  if (digits.empty()) return 0;
  uint32_t cp = 0;
  for (const char c : digits) {
    const int digit = hexDigitValue(c);
    if (digit < 0 || (!hex && digit > 9)) return 0;
    cp = cp * (hex ? 16 : 10) + static_cast<uint32_t>(digit);  // 9 decimal or 8 hex digits at most
  }
  if (cp == 0 || (cp >= 0xD800 && cp < 0xE000) || cp > 0x10FFFF) return 0;
  appendCodePoint(cp, out);
  return semicolon + 1;
}

// The title as the list page shows it: character references decoded, other bytes as they are.
// False when it has nothing to decode.
bool decodeReferences(std::string_view title, std::string& out) {
  if (title.find('&') == std::string_view::npos) return false;
  out.clear();
  size_t position = 0;
  while (position < title.size()) {
    const size_t amp = title.find('&', position);
    if (amp == std::string_view::npos) break;
    out.append(title.substr(position, amp - position));
    const size_t length = decodeReference(title.substr(amp), out);
    if (length == 0) out += '&';
    position = amp + (length ? length : 1);
  }
  out.append(title.substr(std::min(position, title.size())));
  return true;
}

}  // namespace

void TitleFilter::apply(std::string_view text) {
  required_.clear();
  optional_.clear();
  excluded_.clear();
  text = trimBlanks(text);
  size_t position = 0;
  while (position < text.size()) {
    if (size_t separator = separatorAt(text.substr(position))) {
      position += separator;
      continue;
    }
    const size_t start = position;
    while (position < text.size() && separatorAt(text.substr(position)) == 0) {
      position += characterLength(text.substr(position));
    }
    const std::string_view word = text.substr(start, position - start);
    if (word.front() == '+') {
      if (word.size() > 1) required_.emplace_back(word.substr(1));
    } else if (word.front() == '-') {
      if (word.size() > 1) excluded_.emplace_back(word.substr(1));
    } else {
      optional_.emplace_back(word);
    }
  }
}

bool TitleFilter::matches(std::string_view title) const {
  if (noFilter()) return true;
  // Words are typed as the page shows titles, with "&amp;" as "&" and "&#169;" as its character.
  std::string decoded;
  if (decodeReferences(title, decoded)) title = decoded;
  for (const auto& word : excluded_) {
    if (occurs(title, word)) return false;
  }
  for (const auto& word : required_) {
    if (!occurs(title, word)) return false;
  }
  if (optional_.empty()) return true;
  for (const auto& word : optional_) {
    if (occurs(title, word)) return true;
  }
  return false;
}

}  // namespace vexa
