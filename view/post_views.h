#pragma once

#include <cstdint>

#include "view/page_writer.h"
#include "view/post_record.h"

namespace vexa {

// What the post page shows: the posts that came with the latest load or poll (with pop-ups), or
// every post that carries a stream link (without).
enum class ViewMode { LatestBatch, StreamLinks };

// At most this many visible posts make up a latest-batch page.
inline constexpr uint32_t kLatestBatchPosts = 15;

// Writes the page of the newest visible posts after `previousCount` (at most 15). Writes nothing
// and returns false when none of them is visible, so the page on screen stays. Returns true when
// a page was handed to the writer's sink.
bool renderLatestBatch(PageWriter& writer, const PostList& posts, uint32_t previousCount);

// A stream-link page stops taking older posts once it holds this many bytes. Ordinary posts fill
// it only past several thousand links; hostile ones would make a page of tens of megabytes.
inline constexpr uint32_t kMaxStreamLinkPageBytes = 1536 * 1024;

// Writes every post with a stream link, newest first (older ones left out once the page holds
// kMaxStreamLinkPageBytes), unless their number still equals `previousCount`. Returns true when a
// page was handed to the sink.
bool renderStreamLinks(PageWriter& writer, const StreamLinkList& links, uint32_t previousCount);

// Renders `mode` from the counts before the last load or refresh; `reset` renders from the start
// (counts taken as 0), as after a full load or a switch of view.
bool renderPosts(PageWriter& writer, ViewMode mode, const PostList& posts,
                 const StreamLinkList& links, uint32_t previousPostCount,
                 uint32_t previousLinkCount, bool reset);

// The mode after the view button (forceLatest off) or after a stream was opened (on).
ViewMode toggledViewMode(ViewMode mode, bool forceLatest);

}  // namespace vexa
