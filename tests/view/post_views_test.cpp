#include "view/post_views.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "view_test_support.h"

namespace vexa {
namespace {

using test::hoverPage;
using test::plainPage;

// Posts 1..count with ID "idN" and body "bN", every seventh hidden; those in `withLink` carry a
// stream link.
struct Thread {
  explicit Thread(uint32_t count, std::vector<uint32_t> withLink = {}) {
    for (uint32_t n = 1; n <= count; ++n) {
      const std::string s = std::to_string(n);
      posts.append(test::makePost(n, "id" + s, "b" + s, n % 7 != 0));
    }
    for (uint32_t n : withLink) posts.at(n)->hasStreamLink = true;
    links.rebuild(posts);
  }
  PostList posts;
  StreamLinkList links;
};

// The lines of the visible posts first..last.
std::string lines(uint32_t first, uint32_t last) {
  std::string text;
  for (uint32_t n = first; n <= last; ++n) {
    if (n % 7 != 0) text += test::postLine(n, "id" + std::to_string(n), "b" + std::to_string(n));
  }
  return text;
}

TEST(PostViewsTest, LatestBatchShowsAtMost15VisiblePostsSinceTheLastCount) {
  Thread thread(40);
  test::RecordingSink sink;
  PageWriter writer(sink);
  // Hidden posts are not counted: after post 10 the newest 15 visible ones reach back to 24;
  // after post 33 come 34 to 40.
  EXPECT_TRUE(renderLatestBatch(writer, thread.posts, 10));
  EXPECT_TRUE(renderLatestBatch(writer, thread.posts, 33));
  // Nothing new, a count past the end, no posts, or only hidden new posts: the page stays.
  EXPECT_FALSE(renderLatestBatch(writer, thread.posts, 40));
  EXPECT_FALSE(renderLatestBatch(writer, thread.posts, 41));
  EXPECT_FALSE(renderLatestBatch(writer, Thread(0).posts, 0));
  EXPECT_FALSE(renderLatestBatch(writer, Thread(35).posts, 34));
  EXPECT_EQ(sink.pages, (std::vector{hoverPage(lines(24, 40)), hoverPage(lines(34, 40))}));
}

TEST(PostViewsTest, StreamLinksNewestFirstWhenTheirCountChangedAndResetRendersFromTheStart) {
  Thread thread(20, {2, 5, 9});
  test::RecordingSink sink;
  PageWriter writer(sink);
  // Nothing changed since the counts of the last poll unless the view is reset.
  for (bool reset : {false, true}) {
    EXPECT_EQ(renderPosts(writer, ViewMode::LatestBatch, thread.posts, thread.links, 20, 3, reset),
              reset);
    EXPECT_EQ(renderPosts(writer, ViewMode::StreamLinks, thread.posts, thread.links, 20, 3, reset),
              reset);
  }
  EXPECT_TRUE(renderStreamLinks(writer, thread.links, 2));
  EXPECT_FALSE(renderStreamLinks(writer, StreamLinkList(), 0));
  const std::string links = plainPage(lines(9, 9) + lines(5, 5) + lines(2, 2));
  EXPECT_EQ(sink.pages, (std::vector{hoverPage(lines(4, 20)), links, links}));
  // The view button twice returns to the latest posts; an opened stream forces them.
  EXPECT_EQ(toggledViewMode(ViewMode::LatestBatch, false), ViewMode::StreamLinks);
  EXPECT_EQ(toggledViewMode(ViewMode::StreamLinks, false), ViewMode::LatestBatch);
  EXPECT_EQ(toggledViewMode(ViewMode::StreamLinks, true), ViewMode::LatestBatch);
  EXPECT_EQ(toggledViewMode(ViewMode::LatestBatch, true), ViewMode::LatestBatch);
}

TEST(PostViewsTest, AStreamLinkPageOfHugePostsStopsTakingOlderOnes) {
  // 1000 linked posts of 100,000 bytes each: the page holds the newest posts up to its cap.
  PostList posts;
  const std::string body(100000, 'x');
  for (uint32_t n = 1; n <= 1000; ++n) {
    posts.append(test::makePost(n, "i", body));
    posts.at(n)->hasStreamLink = true;
  }
  StreamLinkList links;
  links.rebuild(posts);
  test::RecordingSink sink;
  PageWriter writer(sink);
  ASSERT_TRUE(renderStreamLinks(writer, links, 0));
  const std::string& page = sink.pages.at(0);
  EXPECT_LT(page.size(), kMaxStreamLinkPageBytes + body.size() + 1000);
  EXPECT_GE(page.size(), kMaxStreamLinkPageBytes);
  EXPECT_NE(page.find(test::postLine(1000, "i", body)), std::string::npos);
  EXPECT_EQ(page.find(test::postLine(900, "i", body)), std::string::npos);
  EXPECT_TRUE(page.ends_with(test::kEnd));
}

}  // namespace
}  // namespace vexa
