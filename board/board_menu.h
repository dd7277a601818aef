#pragma once

#include <string_view>

#include "base/text_buffer.h"

namespace vexa {

enum class MenuLinkResult {
  Found,
  TitleMissing,    // the title's bytes are not in the menu
  AddressMissing,  // no ">" or no "=" before the title
};

// Finds the link of the board titled `title` in a board menu page: the HREF of the first anchor
// whose whole text is the title (<A HREF=http://host/abc/>title</A>, the value quoted or not).
// When no anchor's text is exactly the title, the link is the text between the nearest "=" and
// ">" before the first occurrence of the title, without its double quotes. Plain byte
// comparison throughout; one pass over the menu.
MenuLinkResult findBoardLink(std::string_view menu, std::string_view title, std::string_view& link);

// Splits a menu link into the host (with its port, when the link gives one; after "https://"
// when the link is an HTTPS one, so every download of the board keeps the scheme) and the
// board path, which always begins and ends with "/". True (failed) when the link has no usable
// host: none at all, or bytes that could not go into a request (blanks, control bytes, non-ASCII).
bool splitBoardLink(std::string_view link, TextBuffer& host, TextBuffer& boardPath);

}  // namespace vexa
