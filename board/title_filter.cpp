#include "board/title_filter.h"

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
  const unsigned char lead = static_cast<unsigned char>(text[0]);
  const bool doubleByte = (lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC);
  return doubleByte && text.size() >= 2 ? 2 : 1;
}

std::string_view trimFilterText(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r' ||
                           text.back() == '\n')) {
    text.remove_suffix(1);
  }
  return text;
}

bool occurs(std::string_view title, const std::string& word) {
  return findNormalised(title, word) != kNotFound;
}

}  // namespace

void TitleFilter::apply(std::string_view text) {
  required_.clear();
  optional_.clear();
  excluded_.clear();
  text = trimFilterText(text);
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
