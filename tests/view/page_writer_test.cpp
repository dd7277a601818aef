#include "view/page_writer.h"

#include <gtest/gtest.h>

#include <string>

#include "view_test_support.h"

namespace vexa {
namespace {

using test::RecordingSink;

// The skeleton pieces, written out by hand from the page layout.
const std::string kHeadPieces =
    "<html><head><style type=\"text/css\">\r\n"
    "body{color:#000;background-color:#EEE;}\r\n"
    "a{color:#00F;}\r\n"
    "a:hover{position:relative;text-decoration:none;}\r\n"
    ".popup{display:none;position:absolute;top:0em;left:0em;font-size:9pt;}\r\n";
const std::string kHover =
    "a:hover .popup{display:block;padding:1px;color:#000;background-color:#EEE;"
    "border:#000 solid 1px;}\r\n";
const std::string kBodyStart = "</style></head><body>\r\n";
const std::string kEndPiece = "</body></html>\r\n";

void fillThread(ThreadRecord& record, const char* key, const char* title, uint32_t count,
                double speed) {
  record.key.assign(key);
  record.title.assign(title);
  record.postCount = count;
  record.lineNumber = 1;
  record.speed = speed;
}

TEST(PageWriterTest, ThreadListPageIsExact) {
  RecordingSink sink;
  PageWriter writer(sink);
  ThreadRecord first, second;
  fillThread(first, "1234567890.dat", "Live (b)", 12, 0.0);
  fillThread(second, "1234500000.dat", "Other", 1000, 0.5);
  writer.openPage();
  writer.writeHead(false);
  writer.writeThreadLine(first);
  writer.writeThreadLine(second);
  writer.writeEnd();
  EXPECT_FALSE(writer.closePage());
  ASSERT_EQ(sink.pages.size(), 1u);
  EXPECT_EQ(sink.pages[0], kHeadPieces + kBodyStart +
                               "<a href=\"thread:1234567890.dat\">Live (b) (12)</a><br>"
                               "<a href=\"thread:1234500000.dat\">Other (1000/5000)</a><br>" +
                               kEndPiece);
}

TEST(PageWriterTest, HoverRuleOnlyWhenAsked) {
  RecordingSink sink;
  PageWriter writer(sink);
  writer.openPage();
  writer.writeHead(true);
  writer.writeEnd();
  writer.closePage();
  ASSERT_EQ(sink.pages.size(), 1u);
  EXPECT_EQ(sink.pages[0], kHeadPieces + kHover + kBodyStart + kEndPiece);
}

TEST(PageWriterTest, OpeningStartsAnEmptyPage) {
  RecordingSink sink;
  PageWriter writer(sink);
  writer.openPage();
  writer.write("first page");
  writer.closePage();
  writer.openPage();
  writer.write("second");
  writer.closePage();
  ASSERT_EQ(sink.pages.size(), 2u);
  EXPECT_EQ(sink.pages[1], "second");
}

struct ThreadLineCase {
  const char* name;
  const char* key;
  const char* title;
  uint32_t count;
  double speed;
  const char* expected;
};

class ThreadLineTest : public testing::TestWithParam<ThreadLineCase> {};

TEST_P(ThreadLineTest, WritesTheLink) {
  const ThreadLineCase& c = GetParam();
  RecordingSink sink;
  PageWriter writer(sink);
  ThreadRecord record;
  fillThread(record, c.key, c.title, c.count, c.speed);
  writer.openPage();
  writer.writeThreadLine(record);
  writer.closePage();
  EXPECT_EQ(sink.pages.at(0), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ThreadLineTest,
    testing::Values(
        ThreadLineCase{"SpeedZeroHasNoSlash", "1.dat", "T", 5, 0.0,
                       "<a href=\"thread:1.dat\">T (5)</a><br>"},
        ThreadLineCase{"NegativeSpeedHasNoSlash", "1.dat", "T", 5, -0.25,
                       "<a href=\"thread:1.dat\">T (5)</a><br>"},
        // 0.00129 posts/s times 10000 is 12.9: truncated, not rounded.
        ThreadLineCase{"SpeedTruncated", "1.dat", "T", 5, 0.00129,
                       "<a href=\"thread:1.dat\">T (5/12)</a><br>"},
        ThreadLineCase{"TinySpeedShowsZero", "1.dat", "T", 5, 0.00001,
                       "<a href=\"thread:1.dat\">T (5/0)</a><br>"},
        // 2^19 * 10000 = 5242880000, whose low 32 bits are 947912704.
        ThreadLineCase{"FigureKeepsLow32Bits", "1.dat", "T", 5, 524288.0,
                       "<a href=\"thread:1.dat\">T (5/947912704)</a><br>"},
        ThreadLineCase{"CountZero", "1.dat", "T", 0, 0.0, "<a href=\"thread:1.dat\">T (0)</a><br>"},
        ThreadLineCase{"MaxCount", "1.dat", "T", 4294967295u, 0.0,
                       "<a href=\"thread:1.dat\">T (4294967295)</a><br>"},
        // Entities from the board pass through; a raw "<" cannot open a tag.
        ThreadLineCase{"TitleEntitiesKept", "1.dat", "a&amp;b&gt;c", 1, 0.0,
                       "<a href=\"thread:1.dat\">a&amp;b&gt;c (1)</a><br>"},
        ThreadLineCase{"TitleTagNeutralised", "1.dat", "x</a><a href=\"ngid:y\">z", 1, 0.0,
                       "<a href=\"thread:1.dat\">x&lt;/a>&lt;a href=\"ngid:y\">z (1)</a><br>"},
        ThreadLineCase{"KeyCannotLeaveTheAttribute", "1\"><b>.dat", "T", 1, 0.0,
                       "<a href=\"thread:1%22%3E%3Cb%3E.dat\">T (1)</a><br>"},
        ThreadLineCase{"ShiftJisTitleUntouched", "1.dat", "\x83\x7A\x83\x8D", 3, 0.0,
                       "<a href=\"thread:1.dat\">\x83\x7A\x83\x8D (3)</a><br>"}),
    [](const testing::TestParamInfo<ThreadLineCase>& info) { return info.param.name; });

struct PostLineCase {
  const char* name;
  uint32_t number;
  const char* id;
  const char* body;
  bool visible;
  const char* expected;
};

class PostLineTest : public testing::TestWithParam<PostLineCase> {};

TEST_P(PostLineTest, WritesTheLine) {
  const PostLineCase& c = GetParam();
  RecordingSink sink;
  PageWriter writer(sink);
  auto record = test::makePost(c.number, c.id, c.body, c.visible);
  writer.openPage();
  writer.writePostLine(*record);
  writer.closePage();
  EXPECT_EQ(sink.pages.at(0), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PostLineTest,
    testing::Values(
        PostLineCase{
            "Plain", 7, "abc+/9", "hello", true,
            "[<a href=\"ngid:abc+/9\">7<span class=\"popup\">abc+/9</span></a>]hello<br>\r\n"},
        PostLineCase{"EmptyId", 1000, "", "x", true,
                     "[<a href=\"ngid:\">1000<span class=\"popup\"></span></a>]x<br>\r\n"},
        PostLineCase{"EmptyBody", 2, "id", "", true,
                     "[<a href=\"ngid:id\">2<span class=\"popup\">id</span></a>]<br>\r\n"},
        PostLineCase{"HiddenWritesNothing", 3, "id", "x", false, ""},
        // An ID that tries to close the attribute round-trips through the link encoding.
        PostLineCase{"HostileId", 4, "a\" b%>", "x", true,
                     "[<a href=\"ngid:a%22%20b%25%3E\">4<span class=\"popup\">a\" b%></span></a>]"
                     "x<br>\r\n"}),
    [](const testing::TestParamInfo<PostLineCase>& info) { return info.param.name; });

TEST(PageWriterTest, LargePageIsWhole) {
  // Many small appends must neither lose bytes nor cost a length count each.
  RecordingSink sink;
  PageWriter writer(sink);
  writer.openPage();
  std::string expected;
  for (int i = 0; i < 20000; ++i) {
    std::string piece = "line " + std::to_string(i) + "\r\n";
    writer.write(piece);
    expected += piece;
  }
  writer.closePage();
  EXPECT_EQ(sink.pages.at(0), expected);
}

}  // namespace
}  // namespace vexa
