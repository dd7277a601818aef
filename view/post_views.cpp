#include "view/post_views.h"

namespace vexa {

bool renderLatestBatch(PageWriter& writer, const PostList& posts, uint32_t previousCount) {
  uint32_t newest = posts.size();
  uint32_t first = newest + 1;
  uint32_t visible = 0;
  for (uint32_t number = newest; number > previousCount && visible < kLatestBatchPosts; --number) {
    if (!posts.at(number)->visible) continue;
    ++visible;
    first = number;
  }
  if (visible == 0) return false;
  writer.openPage();
  writer.writeHead(true);
  for (uint32_t number = first; number <= newest; ++number) writer.writePostLine(*posts.at(number));
  writer.writeEnd();
  return !writer.closePage();
}

bool renderStreamLinks(PageWriter& writer, const StreamLinkList& links, uint32_t previousCount) {
  if (links.size() == previousCount) return false;
  writer.openPage();
  writer.writeHead(false);
  for (uint32_t index = links.size(); index > 0 && writer.length() < kMaxStreamLinkPageBytes;
       --index) {
    writer.writePostLine(*links.at(index - 1));
  }
  writer.writeEnd();
  return !writer.closePage();
}

bool renderPosts(PageWriter& writer, ViewMode mode, const PostList& posts,
                 const StreamLinkList& links, uint32_t previousPostCount,
                 uint32_t previousLinkCount, bool reset) {
  if (mode == ViewMode::StreamLinks) {
    return renderStreamLinks(writer, links, reset ? 0 : previousLinkCount);
  }
  return renderLatestBatch(writer, posts, reset ? 0 : previousPostCount);
}

ViewMode toggledViewMode(ViewMode mode, bool forceLatest) {
  if (forceLatest || mode == ViewMode::StreamLinks) return ViewMode::LatestBatch;
  return ViewMode::StreamLinks;
}

}  // namespace vexa
