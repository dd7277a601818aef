#include "board/thread_posts.h"

#include "board/line_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vexa {
namespace {

std::string datLine(const std::string& id, const std::string& body) {
  const std::string date = id.empty() ? "2024/01/01 00:00:00" : "2024/01/01 00:00:00 ID:" + id;
  return "name<>sage<>" + date + "<>" + body + "<>title";
}

std::string datBody(uint32_t lines, uint32_t firstNumber = 1) {
  std::string body;
  for (uint32_t n = firstNumber; n < firstNumber + lines; ++n) {
    body += datLine("id" + std::to_string(n % 7), "post " + std::to_string(n)) + "\n";
  }
  return body;
}

void fullLoad(ThreadPosts& thread, std::string_view body, const NgIdList& ngIds) {
  thread.beginFullLoad();
  LineReader reader(body);
  std::string_view line;
  uint32_t number = 0;
  while (reader.next(line)) ASSERT_FALSE(thread.addLine(line, ++number, ngIds));
  thread.finishLoad();
}

TEST(ThreadPostsTest, FullLoadNumbersEveryLineAndHidesNgIds) {
  NgIdList ngIds;
  ngIds.add("bad");
  const std::string body = datLine("good", "hello") + "\r\n" + "\r\n" + datLine("bad", "spam") +
                           "\r\n" + datLine("", "no id") + "\r\n" + "short<>line\r\n" +
                           datLine("good", "again");
  ThreadPosts thread;
  fullLoad(thread, body, ngIds);

  struct Expected {
    uint32_t number;
    bool visible;
    std::string id;
    std::string body;
  };
  const std::vector<Expected> expected = {
      {1, true, "good", "hello"}, {2, false, "", ""}, {3, false, "bad", "spam"},
      {4, true, "", "no id"},     {5, false, "", ""}, {6, true, "good", "again"},
  };
  ASSERT_EQ(thread.posts().size(), expected.size());
  for (const auto& e : expected) {
    const PostRecord* record = thread.posts().at(e.number);
    ASSERT_NE(record, nullptr) << e.number;
    EXPECT_EQ(record->number, e.number);
    EXPECT_EQ(record->visible, e.visible) << e.number;
    EXPECT_STREQ(record->id.text(), e.id.c_str()) << e.number;
    EXPECT_STREQ(record->body.text(), e.body.c_str()) << e.number;
  }
  EXPECT_EQ(thread.previousPostCount(), 0u);
}

TEST(ThreadPostsTest, KeepsBrokenShiftJisAndHugeLines) {
  // A lone lead byte at the end of the body and bytes that are no character at all stay bytes;
  // a line past 4095 bytes keeps its first 4095 and still takes one number.
  const std::string broken = datLine("x", "a\xFF\xFD b \x83");
  const std::string huge = datLine("y", std::string(10000, 'z'));
  ThreadPosts thread;
  fullLoad(thread, broken + "\n" + huge + "\n" + datLine("z", "after"), NgIdList());
  ASSERT_EQ(thread.posts().size(), 3u);
  EXPECT_TRUE(thread.posts().at(1)->visible);
  EXPECT_STREQ(thread.posts().at(1)->body.text(), "a\xFF\xFD b \x83");
  const std::string kept = huge.substr(0, 4095);
  const std::string keptBody = kept.substr(kept.find("ID:y<>") + 6);
  EXPECT_STREQ(thread.posts().at(2)->body.text(), keptBody.c_str());
  EXPECT_STREQ(thread.posts().at(3)->body.text(), "after");
}

TEST(ThreadPostsTest, StoresTheThousandthLineAndDropsTheNext) {
  ThreadPosts thread;
  fullLoad(thread, datBody(1001), NgIdList());
  ASSERT_EQ(thread.posts().size(), 1000u);
  EXPECT_STREQ(thread.posts().at(1000)->body.text(), "post 1000");
  EXPECT_EQ(thread.posts().at(1001), nullptr);

  const RefreshResult result = thread.refresh(datBody(1005), NgIdList());
  EXPECT_FALSE(result.failed);
  EXPECT_EQ(result.newPosts, 0u);
  EXPECT_EQ(thread.posts().size(), 1000u);
}

struct RefreshCase {
  const char* name;
  uint32_t before;    // lines of the first copy
  std::string after;  // the next copy
  bool reloaded;
  uint32_t newPosts;
  uint32_t size;
  uint32_t previous;  // previous post count after the refresh
};

TEST(ThreadPostsTest, RefreshAppendsOnlyNewLines) {
  const std::vector<RefreshCase> cases = {
      {"same lines append nothing", 5, datBody(5), false, 0, 5, 5},
      {"three new lines", 5, datBody(8), false, 3, 8, 5},
      {"new lines past the cap stop at 1000", 998, datBody(1003), false, 2, 1000, 998},
      {"a shorter copy is read again", 5, datBody(3), true, 3, 3, 0},
      {"an empty copy empties the thread", 5, "", true, 0, 0, 0},
      {"a cut copy with a new tail is read again", 5, datBody(2) + datLine("x", "new") + "\n", true,
       3, 3, 0},
  };
  for (const auto& c : cases) {
    ThreadPosts thread;
    fullLoad(thread, datBody(c.before), NgIdList());
    const RefreshResult result = thread.refresh(c.after, NgIdList());
    EXPECT_FALSE(result.failed) << c.name;
    EXPECT_EQ(result.reloaded, c.reloaded) << c.name;
    EXPECT_EQ(result.newPosts, c.newPosts) << c.name;
    EXPECT_EQ(thread.posts().size(), c.size) << c.name;
    EXPECT_EQ(thread.previousPostCount(), c.previous) << c.name;
  }
}

TEST(ThreadPostsTest, ReloadedPostsCarryTheNewText) {
  ThreadPosts thread;
  fullLoad(thread, datBody(4), NgIdList());
  const std::string rewritten = datLine("a", "first") + "\n" + datLine("b", "second") + "\n";
  ASSERT_TRUE(thread.refresh(rewritten, NgIdList()).reloaded);
  EXPECT_STREQ(thread.posts().at(1)->body.text(), "first");
  EXPECT_STREQ(thread.posts().at(2)->body.text(), "second");
}

TEST(ThreadPostsTest, RefreshDoesNotReparseKnownPosts) {
  // The known lines are stepped over: a changed old line does not change the stored post.
  ThreadPosts thread;
  fullLoad(thread, datLine("a", "old") + "\n", NgIdList());
  ASSERT_FALSE(
      thread.refresh(datLine("a", "edited") + "\n" + datLine("b", "new") + "\n", NgIdList())
          .reloaded);
  EXPECT_STREQ(thread.posts().at(1)->body.text(), "old");
  EXPECT_STREQ(thread.posts().at(2)->body.text(), "new");
}

TEST(ThreadPostsTest, StreamLinksAreCountedBeforeAndAfter) {
  ThreadPosts thread;
  fullLoad(thread, datLine("a", "watch http://example.org/live") + "\n" + datLine("b", "text"),
           NgIdList());
  EXPECT_EQ(thread.streamLinks().size(), 1u);
  thread.refresh(datLine("a", "watch http://example.org/live") + "\n" + datLine("b", "text") +
                     "\n" + datLine("c", "mms://host/x") + "\n",
                 NgIdList());
  EXPECT_EQ(thread.previousLinkCount(), 1u);
  EXPECT_EQ(thread.streamLinks().size(), 2u);
}

}  // namespace
}  // namespace vexa
