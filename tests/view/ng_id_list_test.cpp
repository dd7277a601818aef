#include "view/ng_id_list.h"

#include <gtest/gtest.h>

namespace vexa {
namespace {

TEST(NgIdListTest, AddsIdsFromNgLinksOnceAndComparesBytes) {
  NgIdList list;
  EXPECT_TRUE(list.addFromLink("ngid:abc+/9"));
  EXPECT_FALSE(list.addFromLink("ngid:abc+/9"));
  for (const char* other : {"thread:1.dat", "mms://x", "NGID:x", "ngid"}) {
    EXPECT_FALSE(list.addFromLink(other)) << other;
  }
  EXPECT_TRUE(list.addFromLink("ngid:\x82\x60"));  // Ａ, never normalised
  EXPECT_TRUE(list.addFromLink("ngid:"));          // a post without ID
  EXPECT_EQ(list.size(), 3u);
  for (const char* listed : {"abc+/9", "\x82\x60", ""}) EXPECT_TRUE(list.contains(listed));
  for (const char* notListed : {"abc", "ABC+/9", "abc+/90", "A", "a", "x", "1.dat"}) {
    EXPECT_FALSE(list.contains(notListed)) << notListed;
  }
}

}  // namespace
}  // namespace vexa
