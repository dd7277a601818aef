#pragma once

#include <cstdint>
#include <string_view>

#include "view/ng_id_list.h"
#include "view/post_record.h"

namespace vexa {

// How a refresh went.
struct RefreshResult {
  bool failed = false;    // memory ran out; the posts before that line stay
  bool reloaded = false;  // the file had fewer lines than the posts known: read again in full
  uint32_t newPosts = 0;  // posts now minus posts before
};

// The posts of the watched thread and the counts the views render from. A full load reads every
// line; a refresh reads past the posts already known and parses only the new lines. Touched only
// by the watch task's fiber (the caller holds the viewer lock around reads of the NG list).
class ThreadPosts {
 public:
  // Starts a full load: counts to 0, both lists emptied.
  void beginFullLoad();
  // Parses data line `number` (1-based) into a record and appends it; lines past the 1000th are
  // skipped. True when memory ran out.
  bool addLine(std::string_view line, uint32_t number, const NgIdList& ngIds);
  // Ends a load or refresh: rebuilds the stream-link list.
  void finishLoad();

  // Reads a new copy of the data file. Known lines are stepped over without parsing; when the
  // copy has fewer lines than the posts known (the server rewrote or cut it), it is read again
  // in full, counts from 0, so no post is shown under another post's number.
  RefreshResult refresh(std::string_view body, const NgIdList& ngIds);

  const PostList& posts() const { return posts_; }
  const StreamLinkList& streamLinks() const { return links_; }
  uint32_t previousPostCount() const { return previousPosts_; }
  uint32_t previousLinkCount() const { return previousLinks_; }

 private:
  PostList posts_;
  StreamLinkList links_;
  uint32_t previousPosts_ = 0;
  uint32_t previousLinks_ = 0;
};

}  // namespace vexa
