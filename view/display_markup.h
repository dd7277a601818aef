#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vexa {

// The board's own display markup that a post body may keep: line breaks and rules, bold, italic
// and coloured text. Nothing else a body holds may become markup.
enum class DisplayElement : uint8_t { None, Break, Rule, Bold, Italic, Font };

struct DisplayTag {
  DisplayElement element = DisplayElement::None;
  bool closing = false;
  size_t length = 0;  // the bytes of the tag as written
};

// Recognises one tag of the board's display markup at the start of `text`, exactly as the board
// writes it (lower case): "<br>", "<br />", "<hr>", "<b>", "</b>", "<i>", "</i>", "</font>" and
// "<font color=V>" whose value V, quoted or not, is a colour name or "#" and hex digits (nothing
// else: no other attribute, no style, no script). element None when there is none.
DisplayTag displayTagAt(std::string_view text);

}  // namespace vexa
