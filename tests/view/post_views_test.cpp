#include "view/post_views.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "view_test_support.h"

namespace vexa {
namespace {

using test::hoverPage;
using test::plainPage;

// Posts 1..count with ID "idN" and body "bN"; odd ones hidden when asked; those in `withLink`
// carry a stream link.
struct Thread {
  Thread(uint32_t count, bool oddHidden, std::vector<uint32_t> withLink = {}) {
    for (uint32_t n = 1; n <= count; ++n) {
      const std::string s = std::to_string(n);
      posts.append(test::makePost(n, "id" + s, "b" + s, !(oddHidden && n % 2 == 1)));
    }
    for (uint32_t n : withLink) posts.at(n)->hasStreamLink = true;
    links.rebuild(posts);
  }
  PostList posts;
  StreamLinkList links;
};

std::string lines(uint32_t first, uint32_t last, uint32_t step = 1) {
  std::string text;
  for (uint32_t n = first; n <= last; n += step) {
    text += test::postLine(n, "id" + std::to_string(n), "b" + std::to_string(n));
  }
  return text;
}

TEST(PostViewsTest, LatestBatchShowsAtMost15VisiblePostsSinceTheLastCount) {
  struct Case {
    uint32_t count;
    bool oddHidden;
    uint32_t previous;
    std::string page;  // empty: nothing rendered
  };
  const std::vector<Case> cases = {
      {80, false, 40, hoverPage(lines(66, 80))},
      // Hidden posts are not counted: 15 visible even posts reach back to 32.
      {60, true, 10, hoverPage(lines(32, 60, 2))},
      {43, true, 42, ""},
      {0, false, 0, ""},
      {5, false, 9, ""},
  };
  for (const Case& c : cases) {
    Thread thread(c.count, c.oddHidden);
    test::RecordingSink sink;
    PageWriter writer(sink);
    EXPECT_EQ(renderLatestBatch(writer, thread.posts, c.previous), !c.page.empty()) << c.count;
    EXPECT_EQ(sink.pages, c.page.empty() ? std::vector<std::string>{} : std::vector{c.page});
  }
}

TEST(PostViewsTest, StreamLinksNewestFirstWhenTheirCountChanged) {
  Thread thread(10, false, {2, 5, 9});
  test::RecordingSink sink;
  PageWriter writer(sink);
  EXPECT_FALSE(renderStreamLinks(writer, thread.links, 3));
  EXPECT_TRUE(renderStreamLinks(writer, thread.links, 2));
  EXPECT_FALSE(renderStreamLinks(writer, StreamLinkList(), 0));
  EXPECT_EQ(sink.pages, std::vector{plainPage(lines(9, 9) + lines(5, 5) + lines(2, 2))});
}

TEST(PostViewsTest, ResetRendersBothViewsFromTheStart) {
  Thread thread(20, false, {3});
  test::RecordingSink sink;
  PageWriter writer(sink);
  for (bool reset : {false, true}) {
    EXPECT_EQ(renderPosts(writer, ViewMode::LatestBatch, thread.posts, thread.links, 20, 1, reset),
              reset);
    EXPECT_EQ(renderPosts(writer, ViewMode::StreamLinks, thread.posts, thread.links, 20, 1, reset),
              reset);
  }
  EXPECT_EQ(sink.pages, (std::vector{hoverPage(lines(6, 20)), plainPage(lines(3, 3))}));
  // The view button twice returns to the latest posts; an opened stream forces them.
  EXPECT_EQ(toggledViewMode(ViewMode::LatestBatch, false), ViewMode::StreamLinks);
  EXPECT_EQ(toggledViewMode(ViewMode::StreamLinks, false), ViewMode::LatestBatch);
  EXPECT_EQ(toggledViewMode(ViewMode::StreamLinks, true), ViewMode::LatestBatch);
  EXPECT_EQ(toggledViewMode(ViewMode::LatestBatch, true), ViewMode::LatestBatch);
}

}  // namespace
}  // namespace vexa
