#include "board/thread_posts.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace vexa {
namespace {

std::string datLine(const std::string& id, const std::string& body) {
  return "name<>sage<>2024/01/01 00:00:00" + (id.empty() ? "" : " ID:" + id) + "<>" + body +
         "<>title\n";
}

// Lines first..last, post n with the body "post n".
std::string datBody(uint32_t last, uint32_t first = 1) {
  std::string body;
  for (uint32_t n = first; n <= last; ++n) body += datLine("id", "post " + std::to_string(n));
  return body;
}

// Every post as "number:ID:body", with "!" for ":" before the ID of a hidden one.
std::string describe(const ThreadPosts& thread) {
  std::string text;
  for (uint32_t n = 1; n <= thread.posts().size(); ++n) {
    const PostRecord& post = *thread.posts().at(n);
    text += std::to_string(post.number) + (post.visible ? ":" : "!") + post.id.text() + ":" +
            post.body.text() + " ";
  }
  return text;
}

TEST(ThreadPostsTest, FullLoadNumbersEveryLineAndHidesNgIdsAndBrokenLines) {
  NgIdList ngIds;
  ngIds.add("bad");
  // Broken Shift_JIS stays bytes; a line past 4095 bytes keeps its first 4095.
  const std::string huge = datLine("y", std::string(10000, 'z'));
  const std::string kept = huge.substr(0, 4095).substr(huge.find("<>z") + 2);
  const std::string body = datLine("a", "hello") + "\r\n" + datLine("bad", "spam") +
                           datLine("", "no id") + "short<>line\n" + datLine("x", "\xFF\xFD \x83") +
                           huge + datLine("z", "http://o/l");
  // A first refresh reads every line, as a full load does.
  ThreadPosts thread;
  thread.refresh(body, ngIds);
  EXPECT_EQ(describe(thread), "1:a:hello 2!: 3!bad:spam 4::no id 5!: 6:x:\xFF\xFD \x83 7:y:" +
                                  kept + " 8:z:<a href=\"mms://o/l\">http://o/l</a> ");
  // The stream links are counted before and after a refresh.
  EXPECT_EQ(thread.streamLinks().size(), 1u);
  thread.refresh(body + datLine("c", "mms://h/x"), ngIds);
  EXPECT_EQ(thread.previousLinkCount(), 1u);
  EXPECT_EQ(thread.streamLinks().size(), 2u);
}

TEST(ThreadPostsTest, StoresTheThousandthLineAndDropsTheNext) {
  ThreadPosts thread;
  thread.refresh(datBody(1001), NgIdList());
  ASSERT_EQ(thread.posts().size(), 1000u);
  EXPECT_STREQ(thread.posts().at(1000)->body.text(), "post 1000");
  EXPECT_EQ(thread.refresh(datBody(1005), NgIdList()).newPosts, 0u);
  EXPECT_EQ(thread.posts().size(), 1000u);
}

TEST(ThreadPostsTest, RefreshParsesOnlyNewLinesAndReloadsACopyThatShrank) {
  // The copy that follows one of three lines; whether it was read again in full, the new posts,
  // the count before, and the posts after.
  const std::vector<std::tuple<std::string, bool, uint32_t, uint32_t, std::string>> cases = {
      {datBody(3), false, 0, 3, "1:id:post 1 2:id:post 2 3:id:post 3 "},
      // Known lines are stepped over: an edited old line is not parsed again.
      {datLine("id", "edited") + datBody(4, 2), false, 1, 3,
       "1:id:post 1 2:id:post 2 3:id:post 3 4:id:post 4 "},
      {datBody(2), true, 2, 0, "1:id:post 1 2:id:post 2 "},
      {datLine("id", "new") + datLine("x", "one"), true, 2, 0, "1:id:new 2:x:one "},
      {"", true, 0, 0, ""},
  };
  for (const auto& [after, reloaded, newPosts, previous, posts] : cases) {
    ThreadPosts thread;
    thread.refresh(datBody(3), NgIdList());
    const RefreshResult result = thread.refresh(after, NgIdList());
    EXPECT_FALSE(result.failed);
    EXPECT_EQ(result.reloaded, reloaded) << posts;
    EXPECT_EQ(result.newPosts, newPosts) << posts;
    EXPECT_EQ(thread.previousPostCount(), previous) << posts;
    EXPECT_EQ(describe(thread), posts);
  }
}

TEST(ThreadPostsTest, ALastLineWithoutItsLineEndWaitsForTheNextCopy) {
  // The copy that follows two whole lines, then the next copy; the posts after each.
  const std::string third =
      datLine("c", "<a href=\"../test/read.cgi/b/1/1\">&gt;&gt;1</a> \x82\xA0");
  const std::vector<std::tuple<std::string, std::string, std::string>> cases = {
      // Half a post, cut inside its anchor and inside a double-byte character.
      {datBody(2) + third.substr(0, third.size() - 6), datBody(2) + third,
       "1:id:post 1 2:id:post 2 3:c:<a href=\"#\">&gt;&gt;1<span class=\"popup\">post 1</span>"
       "</a> \x82\xA0 "},
      // A line cut just before its LF, and a body with no line end at all.
      {datBody(2) + third.substr(0, third.size() - 1), datBody(2) + third.substr(0, 3),
       "1:id:post 1 2:id:post 2 "},
      {"name<>", "", ""},
      // A CR alone ends a line.
      {datBody(1) + "x<>y<>z ID:r<>cr\r", datBody(1) + "x<>y<>z ID:r<>cr\r\n",
       "1:id:post 1 2:r:cr "},
  };
  for (const auto& [first, second, posts] : cases) {
    ThreadPosts thread;
    thread.refresh(first, NgIdList());
    thread.refresh(second, NgIdList());
    EXPECT_EQ(describe(thread), posts);
  }
}

}  // namespace
}  // namespace vexa
