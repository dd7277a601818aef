#include "media/window_class_match.h"

#include <gtest/gtest.h>

namespace vexa::media {
namespace {

using namespace std::string_literals;

TEST(ClassPartOfWmClass, TakesTheSecondString) {
  const struct {
    std::string raw, classPart;
  } cases[] = {
      {"winamp\0Winamp v1.x\0"s, "Winamp v1.x"},
      {"winamp\0Winamp PE"s, "Winamp PE"},  // no final terminator
      {"\0Winamp Gen\0"s, "Winamp Gen"},
      {"onlyinstance"s, ""},
      {"onlyinstance\0"s, ""},
      {""s, ""},
      {"a\0b\0c\0"s, "b"},
  };
  for (const auto& c : cases) EXPECT_EQ(ClassPartOfWmClass(c.raw), c.classPart) << c.raw;
}

TEST(MatchForeignWindows, ExactVisibleAndLastOneWins) {
  const struct {
    const char* name;
    std::vector<TopLevelWindow> windows;
    uint64_t main, playlist, generic;
  } cases[] = {
      {"none", {}, 0, 0, 0},
      {"all three",
       {{1, "Winamp v1.x", true}, {2, "Winamp PE", true}, {3, "Winamp Gen", true}},
       1,
       2,
       3},
      {"last of a class wins",
       {{1, "Winamp v1.x", true}, {2, "Winamp v1.x", true}, {3, "Winamp PE", true}},
       2,
       3,
       0},
      {"hidden ones do not count, even when later",
       {{1, "Winamp v1.x", true}, {2, "Winamp v1.x", false}, {3, "Winamp Gen", false}},
       1,
       0,
       0},
      {"only hidden main", {{7, "Winamp v1.x", false}, {8, "Winamp PE", true}}, 0, 8, 0},
      {"case and spacing matter",
       {{1, "winamp v1.x", true},
        {2, "Winamp v1.x ", true},
        {3, "Winamp  PE", true},
        {4, "WINAMP GEN", true},
        {5, "Winamp", true}},
       0,
       0,
       0},
      {"unreadable names and other classes skipped",
       {{1, "", true}, {2, "XTerm", true}, {3, "Winamp PE", true}},
       0,
       3,
       0},
  };
  for (const auto& c : cases) {
    ForeignMatch m = MatchForeignWindows(c.windows);
    EXPECT_EQ(m.ids[0], c.main) << c.name;
    EXPECT_EQ(m.ids[1], c.playlist) << c.name;
    EXPECT_EQ(m.ids[2], c.generic) << c.name;
  }
}

}  // namespace
}  // namespace vexa::media
