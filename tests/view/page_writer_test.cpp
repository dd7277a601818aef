#include "view/page_writer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "view_test_support.h"

namespace vexa {
namespace {

TEST(PageWriterTest, ThreadLinesQuoteTheKeyNeutraliseTheTitleAndTruncateTheSpeed) {
  struct Case {
    const char* key;
    const char* title;
    double speed;
    std::string line;
  };
  const std::vector<Case> cases = {
      {"1.dat", "T", -0.25, test::threadLine("1.dat", "T", "4294967295")},
      // 0.00129 posts/s times 10000 is 12.9: truncated, not rounded.
      {"1.dat", "T", 0.00129, test::threadLine("1.dat", "T", "4294967295/12")},
      // 2^19 * 10000 = 5242880000, whose low 32 bits are 947912704.
      {"1.dat", "T", 524288.0, test::threadLine("1.dat", "T", "4294967295/947912704")},
      // Entities from the board pass through; a raw "<" cannot open a tag.
      {"1\"><b>.dat", "a&amp;b</a><a href=\"ngid:y\">\x83\x7A", 0.0,
       test::threadLine("1%22%3E%3Cb%3E.dat", "a&amp;b&lt;/a>&lt;a href=\"ngid:y\">\x83\x7A",
                        "4294967295")},
  };
  for (const Case& c : cases) {
    ThreadRecord record;
    record.key.assign(c.key);
    record.title.assign(c.title);
    record.postCount = 4294967295u;
    record.lineNumber = 1;
    record.speed = c.speed;
    test::RecordingSink sink;
    PageWriter writer(sink);
    writer.openPage();
    writer.writeHead(false);
    writer.writeThreadLine(record);
    writer.writeThreadLine(record);
    writer.writeEnd();
    EXPECT_FALSE(writer.closePage());
    EXPECT_EQ(sink.pages.at(0), test::plainPage(c.line + c.line)) << c.line;
  }
}

TEST(PageWriterTest, PostLinesQuoteTheIdAndSkipHiddenPosts) {
  test::RecordingSink sink;
  PageWriter writer(sink);
  writer.openPage();
  writer.writePostLine(*test::makePost(7, "", ""));
  writer.writePostLine(*test::makePost(8, "id", "x", false));
  // An ID that tries to close the attribute round-trips through the link encoding.
  writer.writePostLine(*test::makePost(9, "a\" b%>", "x"));
  writer.closePage();
  EXPECT_EQ(
      sink.pages.at(0),
      test::postLine(7, "", "") +
          "[<a href=\"ngid:a%22%20b%25%3E\">9<span class=\"popup\">a\" b%></span></a>]x<br>\r\n");
}

TEST(PageWriterTest, LargePageIsWholeAndTheNextStartsEmpty) {
  test::RecordingSink sink;
  PageWriter writer(sink);
  writer.openPage();
  std::string expected;
  for (int i = 0; i < 20000; ++i) {
    const std::string piece = "line " + std::to_string(i) + "\r\n";
    writer.write(piece);
    expected += piece;
  }
  writer.closePage();
  writer.openPage();
  writer.write("next");
  writer.closePage();
  EXPECT_EQ(sink.pages, (std::vector<std::string>{expected, "next"}));
}

}  // namespace
}  // namespace vexa
