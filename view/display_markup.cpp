#include "view/display_markup.h"

namespace vexa {

namespace {

bool isColourChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// "<font color=V>" with V a colour name, or "#" and up to eight hex digits; 0 when it is not.
size_t fontTagLength(std::string_view text) {
  constexpr std::string_view kOpen = "<font color=";
  if (!text.starts_with(kOpen)) return 0;
  size_t at = kOpen.size();
  const bool quoted = at < text.size() && text[at] == '"';
  if (quoted) ++at;
  if (at < text.size() && text[at] == '#') ++at;
  const size_t start = at;
  while (at < text.size() && at - start < 20 && isColourChar(text[at])) ++at;
  if (at == start) return 0;
  if (quoted) {
    if (at >= text.size() || text[at] != '"') return 0;
    ++at;
  }
  if (at >= text.size() || text[at] != '>') return 0;
  return at + 1;
}

}  // namespace

DisplayTag displayTagAt(std::string_view text) {
  static const struct {
    std::string_view text;
    DisplayElement element;
    bool closing;
  } kFixed[] = {
      {"<br>", DisplayElement::Break, false}, {"<br />", DisplayElement::Break, false},
      {"<hr>", DisplayElement::Rule, false},  {"<b>", DisplayElement::Bold, false},
      {"</b>", DisplayElement::Bold, true},   {"<i>", DisplayElement::Italic, false},
      {"</i>", DisplayElement::Italic, true}, {"</font>", DisplayElement::Font, true},
  };
  if (text.empty() || text[0] != '<') return {};
  for (const auto& fixed : kFixed) {
    if (text.starts_with(fixed.text)) return {fixed.element, fixed.closing, fixed.text.size()};
  }
  if (const size_t length = fontTagLength(text)) return {DisplayElement::Font, false, length};
  return {};
}

}  // namespace vexa
