#pragma once

#include <cstdint>
#include <string_view>

#include "view/post_record.h"

namespace vexa {

// A stream address found at the start of a text: `length` source bytes, of which `target` is
// what follows "mms://" in the link. length 0 means no address.
struct StreamAddress {
  uint32_t length = 0;
  std::string_view target;
};

// Recognises "http://", "ttp://" and "mms://" followed by address characters, or a dotted quad
// of four digit groups with an optional tail of address characters.
StreamAddress recogniseAddress(std::string_view text);

// Turns a post body from the board's markup into display HTML in record.body and sets
// record.hasStreamLink: line breaks collapse, reply anchors become "#" links with a pop-up of the
// referenced post (looked up in `posts`, the posts parsed so far), addresses become "mms://"
// links. Text the board did not mark up stays as it is, except that a "<" which opens no tag
// we know is written as "&lt;", so a post cannot add tags or links of its own. Returns true when
// memory ran out (the body is then incomplete). Runs on the watch task's fiber while it parses.
bool convertBody(PostRecord& record, std::string_view body, const PostList& posts);

// The body of a referenced post as a pop-up shows it: every "<span"..."</span>" section, every
// "<a href=\"...>" tag and every "</a>" removed, so pop-ups go only one level deep.
void stripForPopup(std::string_view html, std::string& result);

}  // namespace vexa
