#include "view/page_writer.h"

#include <gtest/gtest.h>

#include "view_test_support.h"

namespace vexa {

TEST(PageWriterTest, QuotesKeysAndIdsAndSkipsHiddenPosts) {
  // Keys and IDs that try to close the attribute or open a tag round-trip through the link
  // encoding; a raw "<" in a pop-up is written as text.
  ThreadRecord record;
  record.key.assign("1\"><b>.dat");
  record.title.assign("T");
  record.postCount = 5;
  record.lineNumber = 1;
  test::RecordingSink sink;
  PageWriter writer(sink);
  writer.openPage();
  writer.writeThreadLine(record);
  writer.writePostLine(*test::makePost(7, "", ""));
  writer.writePostLine(*test::makePost(8, "id", "x", false));
  writer.writePostLine(*test::makePost(9, "a\" b%<>", "x"));
  EXPECT_FALSE(writer.closePage());
  EXPECT_EQ(sink.pages.at(0),
            test::threadLine("1%22%3E%3Cb%3E.dat", "T", "5") + test::postLine(7, "", "") +
                "[<a href=\"ngid:a%22%20b%25%3C%3E\">9<span class=\"popup\">a\" b%&lt;></span></a>]"
                "x<br>\r\n");
}

}  // namespace vexa
