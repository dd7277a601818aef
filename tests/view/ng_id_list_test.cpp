#include "view/ng_id_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vexa {
namespace {

struct NgCase {
  const char* name;
  std::vector<std::string> clicks;
  std::vector<std::string> listed;
  std::vector<std::string> notListed;
  uint32_t size;
};

class NgIdListTest : public testing::TestWithParam<NgCase> {};

TEST_P(NgIdListTest, AddsFromLinks) {
  const NgCase& c = GetParam();
  NgIdList list;
  for (const std::string& link : c.clicks) list.addFromLink(link);
  for (const std::string& id : c.listed) EXPECT_TRUE(list.contains(id)) << id;
  for (const std::string& id : c.notListed) EXPECT_FALSE(list.contains(id)) << id;
  EXPECT_EQ(list.size(), c.size);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NgIdListTest,
    testing::Values(
        NgCase{"OneId", {"ngid:abc+/9"}, {"abc+/9"}, {"abc", "ABC+/9", "abc+/90", ""}, 1},
        NgCase{"EmptyIdHidesIdlessPosts", {"ngid:"}, {""}, {"x"}, 1},
        NgCase{"SameIdTwiceListedOnce", {"ngid:abc", "ngid:abc"}, {"abc"}, {}, 1},
        NgCase{"OtherSchemesIgnored",
               {"thread:1.dat", "mms://x", "NGID:abc", "ngid"},
               {},
               {"abc", "", "1.dat"},
               0},
        NgCase{"NoNormalisation", {"ngid:\x82\x60"}, {"\x82\x60"}, {"A", "a"}, 1},
        NgCase{"ThreeIds", {"ngid:b", "ngid:a", "ngid:c"}, {"a", "b", "c"}, {}, 3}),
    [](const testing::TestParamInfo<NgCase>& info) { return info.param.name; });

TEST(NgIdListOrderTest, EntriesInClickOrder) {
  NgIdList list;
  EXPECT_TRUE(list.addFromLink("ngid:b"));
  EXPECT_TRUE(list.addFromLink("ngid:a"));
  EXPECT_FALSE(list.addFromLink("ngid:b"));
  EXPECT_FALSE(list.addFromLink("thread:a"));
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list.at(0), "b");
  EXPECT_EQ(list.at(1), "a");
}

}  // namespace
}  // namespace vexa
