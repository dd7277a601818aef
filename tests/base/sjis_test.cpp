#include "base/sjis.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace vexa {
namespace {

TEST(Sjis, LiteralsGiveTheirCp932Bytes) {
  struct Case {
    const char* converted;
    const char* expected;  // worked out from the CP932 code table
  };
  const Case cases[] = {
      {"ホ"_sjis, "\x83\x7A"},
      {"～"_sjis, "\x81\x60"},
      {"①"_sjis, "\x87\x40"},
      {"￥"_sjis, "\x81\x8F"},
      {"－"_sjis, "\x81\x7C"},
      {"ホロメキ"_sjis, "\x83\x7A\x83\x8D\x83\x81\x83\x4C"},
      {"- データ取得 サイズ : "_sjis, nullptr},
      {"ascii stays"_sjis, "ascii stays"},
      {""_sjis, ""},
  };
  for (const Case& c : cases) {
    ASSERT_NE(c.converted, nullptr);
    if (c.expected != nullptr) {
      EXPECT_STREQ(c.converted, c.expected);
    }
  }
  // The ASCII around the Japanese words keeps its place and spaces.
  std::string status = "- データ取得 サイズ : "_sjis;
  EXPECT_EQ(status.substr(0, 2), "- ");
  EXPECT_EQ(status.substr(status.size() - 3), " : ");
  EXPECT_EQ(status.find('?'), std::string::npos);
}

const char* title() {
  return "ホロメキ"_sjis;
}

TEST(Sjis, EachLiteralIsConvertedOnceAndKept) {
  const char* first = title();
  const char* second = title();
  EXPECT_EQ(first, second);
  EXPECT_STREQ(first, "\x83\x7A\x83\x8D\x83\x81\x83\x4C");
}

}  // namespace
}  // namespace vexa
