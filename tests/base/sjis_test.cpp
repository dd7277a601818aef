#include "base/sjis.h"

#include <gtest/gtest.h>

namespace vexa {
namespace {

const char* title() {
  return "ホロメキ"_sjis;
}

TEST(Sjis, LiteralsGiveTheirCp932BytesOnceAndKeepThem) {
  // Worked out from the CP932 code table.
  EXPECT_STREQ(title(), "\x83\x7A\x83\x8D\x83\x81\x83\x4C");
  EXPECT_EQ(title(), title()) << "converted once and kept";
  EXPECT_STREQ("- ～①￥－ : "_sjis, "- \x81\x60\x87\x40\x81\x8F\x81\x7C : ");
  EXPECT_STREQ(""_sjis, "");
}

}  // namespace
}  // namespace vexa
