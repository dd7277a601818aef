#include "view/post_record.h"

#include <gtest/gtest.h>

#include "view_test_support.h"

namespace vexa {
namespace {

using test::makePost;

TEST(PostListTest, KeepsAtMost1000Posts) {
  PostList posts;
  for (uint32_t n = 1; n <= 1000; ++n) EXPECT_FALSE(posts.append(makePost(n, "", "")));
  EXPECT_TRUE(posts.full());
  EXPECT_TRUE(posts.append(makePost(1001, "", "")));
  EXPECT_EQ(posts.size(), 1000u);
  EXPECT_EQ(posts.at(1000)->number, 1000u);
  EXPECT_EQ(posts.at(1001), nullptr);
}

TEST(PostListTest, LookupIsOneBased) {
  PostList posts;
  posts.append(makePost(1, "a", "one"));
  posts.append(makePost(2, "b", "two", false));
  struct Case {
    uint32_t number;
    const char* body;
  };
  for (const Case& c : {Case{0, nullptr}, Case{1, "one"}, Case{2, "two"}, Case{3, nullptr},
                        Case{0xFFFFFFFFu, nullptr}}) {
    const char* body = posts.postBody(c.number);
    if (c.body == nullptr) {
      EXPECT_EQ(body, nullptr) << c.number;
    } else {
      ASSERT_NE(body, nullptr) << c.number;
      EXPECT_STREQ(body, c.body);
    }
  }
}

TEST(StreamLinkListTest, RebuiltInPostOrder) {
  PostList posts;
  for (uint32_t n = 1; n <= 6; ++n) posts.append(makePost(n, "", ""));
  posts.at(5)->hasStreamLink = true;
  posts.at(2)->hasStreamLink = true;
  StreamLinkList links;
  links.rebuild(posts);
  ASSERT_EQ(links.size(), 2u);
  EXPECT_EQ(links.at(0)->number, 2u);
  EXPECT_EQ(links.at(1)->number, 5u);
  // Rebuilding starts from scratch rather than adding to the old list.
  posts.at(2)->hasStreamLink = false;
  links.rebuild(posts);
  ASSERT_EQ(links.size(), 1u);
  EXPECT_EQ(links.at(0)->number, 5u);
}

}  // namespace
}  // namespace vexa
