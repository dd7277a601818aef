#include "board/title_filter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/sjis.h"

namespace vexa {
namespace {

using Words = std::vector<std::string>;

struct ParseCase {
  const char* name;
  std::string text;
  Words required, optional, excluded;
};

TEST(TitleFilterTest, SplitsWordsIntoTheThreeLists) {
  const std::string wide = "　"_sjis;
  const std::vector<ParseCase> cases = {
      {"empty", "", {}, {}, {}},
      {"blanks only", " \t \r\n", {}, {}, {}},
      {"full-width spaces only", wide + wide, {}, {}, {}},
      {"three kinds", "+must maybe -never", {"must"}, {"maybe"}, {"never"}},
      {"runs of mixed separators", "a " + wide + "  " + wide + "b", {}, {"a", "b"}, {}},
      {"lone signs dropped", "+ - x", {}, {"x"}, {}},
      {"sign only at the start", "a+b c-d", {}, {"a+b", "c-d"}, {}},
      {"double sign keeps the second", "++a --b", {"+a"}, {}, {"-b"}},
      {"tab inside is not a separator", "a\tb", {}, {"a\tb"}, {}},
      {"leading tab trimmed", "\t\tword\r\n", {}, {"word"}, {}},
      // 0x88 0x81 is one character; with 0x40 after it the bytes 0x81 0x40 are not a space.
      {"no separator across characters", "\x88\x81\x40", {}, {"\x88\x81\x40"}, {}},
  };
  for (const auto& c : cases) {
    TitleFilter filter;
    filter.apply(c.text);
    EXPECT_EQ(filter.required(), c.required) << c.name;
    EXPECT_EQ(filter.optional(), c.optional) << c.name;
    EXPECT_EQ(filter.excluded(), c.excluded) << c.name;
    EXPECT_EQ(filter.noFilter(), c.required.empty() && c.optional.empty() && c.excluded.empty())
        << c.name;
  }
}

struct MatchCase {
  const char* name;
  std::string filter;
  std::string title;
  bool passes;
};

TEST(TitleFilterTest, MatchesUnderNormalisation) {
  const std::vector<MatchCase> cases = {
      {"no filter passes all", "", "anything", true},
      {"required kana in half-width", "+ア -イ"_sjis, "ｱ title"_sjis, true},
      {"required kana in hiragana", "+ア -イ"_sjis, "title あ"_sjis, true},
      {"excluded half-width", "+ア -イ"_sjis, "ア ｲ"_sjis, false},
      {"excluded hiragana", "+ア -イ"_sjis, "ア い"_sjis, false},
      {"excluded katakana", "+ア -イ"_sjis, "アイ"_sjis, false},
      {"required missing", "+ア -イ"_sjis, "ウ"_sjis, false},
      {"optional: one is enough", "foo bar", "the BAR", true},
      {"optional: none occurs", "foo bar", "baz", false},
      {"full-width capitals match ASCII", "live", "ＬＩＶＥ"_sjis, true},
      {"required and optional together", "+live news sport", "Live news", true},
      {"required present, optional absent", "+live news sport", "Live weather", false},
      {"excluded beats required", "+live -live", "live", false},
      {"voiced half-width pair", "が"_sjis, "ｶﾞ"_sjis, true},
      {"unvoiced half-width is not voiced", "が"_sjis, "ｶ"_sjis, false},
  };
  for (const auto& c : cases) {
    TitleFilter filter;
    filter.apply(c.filter);
    EXPECT_EQ(filter.matches(c.title), c.passes) << c.name;
  }
}

}  // namespace
}  // namespace vexa
