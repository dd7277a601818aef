#pragma once

#include <string_view>

#include "view/post_record.h"

namespace vexa {

// Turns a post body from the board's markup into display HTML in record.body and sets
// record.hasStreamLink: line breaks collapse, reply anchors become "#" links with a pop-up of the
// referenced post (looked up in `posts`, the posts parsed so far), addresses become "mms://"
// links (https ones stay https links). The board's display markup (see display_markup.h) is kept
// where it nests properly, and closed at the body's end. Text the board did not mark up stays as
// it is, except that a "<" which opens no tag we know is written as "&lt;", so a post cannot add
// tags or links of its own. Returns true when memory ran out (the body is then incomplete). Runs
// on the watch task's fiber while it parses.
bool convertBody(PostRecord& record, std::string_view body, const PostList& posts);

}  // namespace vexa
