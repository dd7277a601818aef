#include "base/text_functions.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>
#include <vector>

namespace vexa {
namespace {

using Texts = std::vector<std::string>;

TEST(TextFunctions, CopyBounded) {
  const std::tuple<uint32_t, const char*, uint32_t, uint32_t, const char*> cases[] = {
      // destination size, source, max length, result, destination afterwards ("#": untouched)
      {16, "abcdef", kNoLimit, 6, "abcdef"},
      {4, "abcdef", kNoLimit, 3, "abc"},
      {16, "abcdef", 2, 2, "ab"},
      {1, "abcdef", kNoLimit, 0, ""},
      {16, nullptr, kNoLimit, 0, ""},
      {0, "abcdef", kNoLimit, 7, "#"},
      {0, "abcdef", 3, 4, "#"},
      {0, nullptr, kNoLimit, 1, "#"},
  };
  for (const auto& [size, source, maxLength, result, written] : cases) {
    char destination[32] = "#";
    EXPECT_EQ(copyBounded(destination, size, source, maxLength), result) << size << written;
    EXPECT_STREQ(destination, written);
  }
  EXPECT_EQ(copyBounded(nullptr, 100, "abcdef", kNoLimit), 7u) << "null destination";
}

TEST(TextFunctions, TrimInPlace) {
  const std::pair<const char*, const char*> cases[] = {
      {" \tx y\r\n", "x y"},    {"", ""}, {" \t \r\n", ""}, {"  a  b  ", "a  b"},
      {"\r\nlead", "\r\nlead"},  // CR and LF are trimmed only at the end
  };
  for (const auto& [input, expected] : cases) {
    std::string text = input;
    trimInPlace(text.data());
    EXPECT_STREQ(text.c_str(), expected) << '[' << input << ']';
  }
}

TEST(TextFunctions, TrimFamilyPrefixAndHexDigits) {
  // The text, trimBlanks of it, trimBlanksAndLineEnds of it.
  const std::tuple<std::string, std::string, std::string> trims[] = {
      {" \tx y\r\n", "x y", "x y"},
      {"\r\n a \n", "\r\n a", "a"},
      {" \t\r\n", "", ""},
      {"", "", ""},
      {"\x81\x40x\x81\x40", "\x81\x40x\x81\x40", "\x81\x40x\x81\x40"},  // not the wide space
  };
  for (const auto& [text, blanks, lineEnds] : trims) {
    EXPECT_EQ(trimBlanks(text), blanks) << text;
    EXPECT_EQ(trimBlanksAndLineEnds(text), lineEnds) << text;
  }
  // A prefix at a position; one that reaches past the end, or a position past it, never matches.
  EXPECT_TRUE(startsWithAt("a<br>", 1, "<br>"));
  EXPECT_TRUE(startsWithAt("abc", 3, ""));
  EXPECT_FALSE(startsWithAt("a<br", 1, "<br>"));
  EXPECT_FALSE(startsWithAt("abc", 4, ""));
  EXPECT_FALSE(startsWithAt("a<BR>", 1, "<br>"));
  std::string values;
  for (char c : std::string("09afAFgG/:@`")) values += std::to_string(hexDigitValue(c)) + " ";
  EXPECT_EQ(values, "0 9 10 15 10 15 -1 -1 -1 -1 -1 -1 ");
}

Texts tokens(const char* text, bool keepQuotes, uint32_t textEnd = kEnd) {
  Texts out;
  uint32_t start = 0, end = 0;
  for (uint32_t at = 0; nextToken(start = at, end, text, textEnd, keepQuotes); at = end + 1) {
    out.emplace_back(text + start, end - start);
    if (out.size() > 50) break;  // a runaway loop is a failure, not a hang
  }
  return out;
}

TEST(TextFunctions, NextToken) {
  EXPECT_EQ(tokens("  \"a b\"  c", false), (Texts{"a b", "c"}));
  EXPECT_EQ(tokens("  \"a b\"  c", true), (Texts{"\"a b\"", "c"}));
  EXPECT_EQ(tokens("'x \"y' z", false), (Texts{"x \"y", "z"}));
  EXPECT_EQ(tokens("\"open ended", false), Texts{"open ended"});
  EXPECT_EQ(tokens("\"open ended", true), Texts{"\"open ended"});
  EXPECT_EQ(tokens("ab\"cd\" e", false), (Texts{"ab", "cd", "e"}));  // the quote is stepped over
  EXPECT_EQ(tokens("\"\" x", false), (Texts{"", "x"}));
  EXPECT_EQ(tokens("\"abc def\"", false, 4), Texts{"abc"});
  EXPECT_TRUE(tokens(nullptr, false).empty());
}

TEST(TextFunctions, NulSeparatedLists) {
  TextBuffer list;
  // An empty string would read as the end of the list: it is not stored.
  for (const char* item : {"first", "", static_cast<const char*>(nullptr), "second"}) {
    appendToList(list, item);
  }
  Texts expected{"first", "second"}, items;
  for (int i = 0; i < 20; ++i, expected.push_back("first")) {
    appendToList(list, list.data());  // grows the block while the source lies inside it
  }
  for (const char* item = nextInList(list.data(), nullptr); item;
       item = nextInList(list.data(), item)) {
    items.emplace_back(item);
  }
  EXPECT_EQ(items, expected);
  EXPECT_EQ(nextInList(nullptr, nullptr), nullptr);
}

}  // namespace
}  // namespace vexa
