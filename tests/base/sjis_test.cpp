#include "base/sjis.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "platform/sjis_char.h"

namespace vexa {
namespace {

TEST(Sjis, LiteralsGiveTheirCp932BytesOnceAndKeepThem) {
  const char* seen[2];
  for (const char*& title : seen) title = "ホロメキ"_sjis;
  // Worked out from the CP932 code table.
  EXPECT_STREQ(seen[0], "\x83\x7A\x83\x8D\x83\x81\x83\x4C");
  EXPECT_EQ(seen[0], seen[1]) << "converted once and kept";
  EXPECT_STREQ("- ～①￥－ : "_sjis, "- \x81\x60\x87\x40\x81\x8F\x81\x7C : ");
}

TEST(Sjis, CharactersAreTwoBytesOnlyForALeadWithATrail) {
  // The text, a position in it, and the length of the character there.
  const std::vector<std::tuple<std::string, size_t, size_t>> cases = {
      {"a", 0, 1},        {"\x83\x5C", 0, 2},  // a trail byte that looks like "\\"
      {"\x81\x40", 0, 2},                      // the full-width space
      {"\xFC\xFC", 0, 2},                      // the highest pair
      {"x\x83", 1, 1},                         // a lead byte cut off at the end
      {"\x83\x20", 0, 1},                      // a space cannot follow a lead byte
      {"\x83\x7F", 0, 1},                      // nor DEL
      {"\xA0\x40", 0, 1},  // half-width katakana and other single bytes lead nothing
      {"\x80\x40", 0, 1}, {"\xFD\x40", 0, 1}, {"\x9F\x3F", 0, 1},
  };
  for (const auto& [text, position, length] : cases) {
    EXPECT_EQ(sjisCharLength(text, position), length) << text;
  }
}

}  // namespace
}  // namespace vexa
