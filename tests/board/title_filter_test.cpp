#include "board/title_filter.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "base/sjis.h"

namespace vexa {

TEST(TitleFilterTest, SplitsWordsAtBlanksIntoTheThreeLists) {
  // Expected: each word with its list's sign, "?" for the optional ones.
  const std::string wide = "　"_sjis;
  const std::vector<std::pair<std::string, std::string>> cases = {
      {" \t" + wide + wide + "\r\n", ""},
      {"\t+must maybe -never\r\n", "+must ?maybe -never"},
      {"a " + wide + "  " + wide + "b", "?a ?b"},
      {"+ - x a+b c-d ++a --b", "++a ?x ?a+b ?c-d --b"},
      {"a\tb", "?a\tb"},
      // 0x88 0x81 is one character; the 0x81 0x40 after its lead byte is no space.
      {"\x88\x81\x40", "?\x88\x81\x40"},
  };
  for (const auto& [text, expected] : cases) {
    TitleFilter filter;
    filter.apply(text);
    std::string words;
    for (const auto& word : filter.required()) words += " +" + word;
    for (const auto& word : filter.optional()) words += " ?" + word;
    for (const auto& word : filter.excluded()) words += " -" + word;
    EXPECT_EQ(words.empty() ? words : words.substr(1), expected);
  }
}

TEST(TitleFilterTest, PassesTitlesWithEveryRequiredNoExcludedAndSomeOptionalWord) {
  // The filter, the title, and whether it passes; words compare under normalisation.
  const std::vector<std::tuple<std::string, std::string, bool>> cases = {
      {"", "anything", true},
      {"+ア -イ"_sjis, "ｱ title"_sjis, true},
      {"+ア -イ"_sjis, "アい"_sjis, false},
      {"+ア -イ"_sjis, "ウ"_sjis, false},
      {"foo bar", "the BAR", true},
      {"foo bar", "baz", false},
      {"+live news sport", "ＬＩＶＥ news"_sjis, true},
      {"+live news sport", "Live weather", false},
      {"+live -live", "live", false},
      // Titles are matched as the page shows them: character references decoded.
      {"\"a&b\"", "&quot;a&amp;b&quot; (c)", true},
      {"\"a&b\"", "\"a&amp;amp;b\"", false},
      {"&amp;", "&amp;", false},
      {"©", "&#169; 2025", false},  // not in the code page: typed, it becomes "?"
      {"? 2025", "&#169; 2025", true},
      {"? 2025", "&#127757; 2025", true},
      {"あ"_sjis, "&#12354;&#x3042;&#X3044;"_sjis, true},
      {"ああい"_sjis, "&#12354;&#x3042;&#X3044;"_sjis, true},
      // Broken or unknown references, and ones that are no character, stay as written.
      {"&#;", "&#; &#x; &#12a; &foo; &#0; &#xD800; &#1114112; &amp", true},
      {"&#x;", "&#; &#x; &#12a; &foo; &#0; &#xD800; &#1114112; &amp", true},
      {"&#xd800;", "&#xD800;", true},
      {"&#1114112;", "&#1114112;", true},
      {"&#00000000065;", "&#00000000065;", true},
      {"A", "&#00000065;", true},
  };
  for (const auto& [text, title, passes] : cases) {
    TitleFilter filter;
    filter.apply(text);
    EXPECT_EQ(filter.matches(title), passes) << text << " / " << title;
  }
}

}  // namespace vexa
