#pragma once

#include <string_view>

#include "base/text_buffer.h"

namespace vexa {

enum class MenuLinkResult {
  Found,
  TitleMissing,    // the title's bytes are not in the menu
  AddressMissing,  // no ">" or no "=" before the title
};

// Finds the link of the board titled `title` in a board menu page. The menu writes its anchors
// unquoted (<A HREF=http://host/abc/>title</A>), so the link is the text between the nearest
// "=" and ">" before the first occurrence of the title. Plain byte comparison throughout.
MenuLinkResult findBoardLink(std::string_view menu, std::string_view title, std::string_view& link);

// Splits a menu link into the host (with its port, when the link gives one) and the board path,
// which always begins and ends with "/". True (failed) when the link has no usable host: none at
// all, or bytes that could not go into a request (blanks, control bytes, non-ASCII).
bool splitBoardLink(std::string_view link, TextBuffer& host, TextBuffer& boardPath);

}  // namespace vexa
