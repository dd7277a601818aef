#include "view/post_views.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "view_test_support.h"

namespace vexa {
namespace {

using test::makePost;
using test::RecordingSink;

const std::string kLatestHead =
    "<html><head><style type=\"text/css\">\r\n"
    "body{color:#000;background-color:#EEE;}\r\n"
    "a{color:#00F;}\r\n"
    "a:hover{position:relative;text-decoration:none;}\r\n"
    ".popup{display:none;position:absolute;top:0em;left:0em;font-size:9pt;}\r\n"
    "a:hover .popup{display:block;padding:1px;color:#000;background-color:#EEE;"
    "border:#000 solid 1px;}\r\n"
    "</style></head><body>\r\n";
const std::string kLinkHead =
    "<html><head><style type=\"text/css\">\r\n"
    "body{color:#000;background-color:#EEE;}\r\n"
    "a{color:#00F;}\r\n"
    "a:hover{position:relative;text-decoration:none;}\r\n"
    ".popup{display:none;position:absolute;top:0em;left:0em;font-size:9pt;}\r\n"
    "</style></head><body>\r\n";
const std::string kEnd = "</body></html>\r\n";

std::string line(uint32_t number) {
  std::string n = std::to_string(number);
  return "[<a href=\"ngid:id" + n + "\">" + n + "<span class=\"popup\">id" + n + "</span></a>]b" +
         n + "<br>\r\n";
}

// Posts 1..count with ID "idN" and body "bN"; `hidden` says which are NG'd.
PostList makePosts(uint32_t count, bool (*hidden)(uint32_t) = nullptr) {
  PostList posts;
  for (uint32_t n = 1; n <= count; ++n) {
    std::string s = std::to_string(n);
    posts.append(makePost(n, "id" + s, "b" + s, !(hidden && hidden(n))));
  }
  return posts;
}

std::string lines(const std::vector<uint32_t>& numbers) {
  std::string text;
  for (uint32_t n : numbers) text += line(n);
  return text;
}

std::vector<uint32_t> range(uint32_t first, uint32_t last, uint32_t step = 1) {
  std::vector<uint32_t> numbers;
  for (uint32_t n = first; n <= last; n += step) numbers.push_back(n);
  return numbers;
}

struct LatestCase {
  const char* name;
  uint32_t count;
  bool (*hidden)(uint32_t);
  uint32_t previous;
  bool rendered;
  std::vector<uint32_t> shown;
};

class LatestBatchTest : public testing::TestWithParam<LatestCase> {};

TEST_P(LatestBatchTest, ShowsTheNewestVisiblePosts) {
  const LatestCase& c = GetParam();
  PostList posts = makePosts(c.count, c.hidden);
  RecordingSink sink;
  PageWriter writer(sink);
  EXPECT_EQ(renderLatestBatch(writer, posts, c.previous), c.rendered);
  if (!c.rendered) {
    EXPECT_TRUE(sink.pages.empty());
    return;
  }
  ASSERT_EQ(sink.pages.size(), 1u);
  EXPECT_EQ(sink.pages[0], kLatestHead + lines(c.shown) + kEnd);
}

bool even(uint32_t n) {
  return n % 2 == 0;
}
bool all(uint32_t) {
  return true;
}
bool above40(uint32_t n) {
  return n > 40;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LatestBatchTest,
    testing::Values(LatestCase{"FirstRenderShowsNewest15", 100, nullptr, 0, true, range(86, 100)},
                    LatestCase{"ShortThreadShowsAll", 3, nullptr, 0, true, range(1, 3)},
                    LatestCase{"PollShowsOnlyNewPosts", 40, nullptr, 38, true, range(39, 40)},
                    LatestCase{"PollOf40ShowsNewest15", 80, nullptr, 40, true, range(66, 80)},
                    // Hidden posts are not counted: 15 visible odd posts reach back to 11.
                    LatestCase{"HiddenPostsNotCounted", 40, even, 0, true, range(11, 39, 2)},
                    LatestCase{"OnlyHiddenNewPostsKeepThePage", 43, above40, 40, false, {}},
                    LatestCase{"NothingNew", 40, nullptr, 40, false, {}},
                    LatestCase{"EverythingHidden", 10, all, 0, false, {}},
                    LatestCase{"EmptyThread", 0, nullptr, 0, false, {}},
                    LatestCase{"PreviousBeyondEnd", 5, nullptr, 9, false, {}}),
    [](const testing::TestParamInfo<LatestCase>& info) { return info.param.name; });

PostList postsWithLinks(StreamLinkList& links, std::vector<uint32_t> withLink, uint32_t count) {
  PostList posts = makePosts(count);
  for (uint32_t n : withLink) posts.at(n)->hasStreamLink = true;
  links.rebuild(posts);
  return posts;
}

TEST(StreamLinkViewTest, NewestFirstWithoutHoverRule) {
  StreamLinkList links;
  PostList posts = postsWithLinks(links, {2, 5, 9}, 10);
  RecordingSink sink;
  PageWriter writer(sink);
  EXPECT_TRUE(renderStreamLinks(writer, links, 0));
  ASSERT_EQ(sink.pages.size(), 1u);
  EXPECT_EQ(sink.pages[0], kLinkHead + line(9) + line(5) + line(2) + kEnd);
}

TEST(StreamLinkViewTest, UnchangedCountRendersNothing) {
  StreamLinkList links;
  PostList posts = postsWithLinks(links, {2, 5}, 10);
  RecordingSink sink;
  PageWriter writer(sink);
  EXPECT_FALSE(renderStreamLinks(writer, links, 2));
  StreamLinkList none;
  EXPECT_FALSE(renderStreamLinks(writer, none, 0));
  EXPECT_TRUE(sink.pages.empty());
}

TEST(RenderPostsTest, ResetRebuildsFromTheStart) {
  StreamLinkList links;
  PostList posts = postsWithLinks(links, {3}, 20);
  RecordingSink sink;
  PageWriter writer(sink);
  // Without reset nothing changed since the last poll.
  EXPECT_FALSE(renderPosts(writer, ViewMode::LatestBatch, posts, links, 20, 1, false));
  EXPECT_FALSE(renderPosts(writer, ViewMode::StreamLinks, posts, links, 20, 1, false));
  EXPECT_TRUE(renderPosts(writer, ViewMode::LatestBatch, posts, links, 20, 1, true));
  EXPECT_TRUE(renderPosts(writer, ViewMode::StreamLinks, posts, links, 20, 1, true));
  ASSERT_EQ(sink.pages.size(), 2u);
  EXPECT_EQ(sink.pages[0], kLatestHead + lines(range(6, 20)) + kEnd);
  EXPECT_EQ(sink.pages[1], kLinkHead + line(3) + kEnd);
}

TEST(ViewModeTest, ViewButtonTwiceReturnsToLatest) {
  EXPECT_EQ(toggledViewMode(ViewMode::LatestBatch, false), ViewMode::StreamLinks);
  EXPECT_EQ(toggledViewMode(ViewMode::StreamLinks, false), ViewMode::LatestBatch);
  EXPECT_EQ(toggledViewMode(ViewMode::StreamLinks, true), ViewMode::LatestBatch);
  EXPECT_EQ(toggledViewMode(ViewMode::LatestBatch, true), ViewMode::LatestBatch);
}

}  // namespace
}  // namespace vexa
