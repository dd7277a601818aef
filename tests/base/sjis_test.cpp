#include "base/sjis.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace vexa
