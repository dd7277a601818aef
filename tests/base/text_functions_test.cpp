#include "base/text_functions.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace vexa {
namespace {

using Texts = std::vector<std::string>;

TEST(TextFunctions, CopyBounded) {
  struct Case {
    const char* name;
    uint32_t destinationSize;
    const char* source;
    uint32_t maxLength;
    uint32_t returned;
    const char* written;  // null: the destination must be untouched
  } cases[] = {
      {"fits", 16, "abcdef", kNoLimit, 6, "abcdef"},
      {"cut by size", 4, "abcdef", kNoLimit, 3, "abc"},
      {"cut by max", 16, "abcdef", 2, 2, "ab"},
      {"size one", 1, "abcdef", kNoLimit, 0, ""},
      {"null source", 16, nullptr, kNoLimit, 0, ""},
      {"size zero asks", 0, "abcdef", kNoLimit, 7, nullptr},
      {"size zero with max", 0, "abcdef", 3, 4, nullptr},
      {"size zero null", 0, nullptr, kNoLimit, 1, nullptr},
  };
  for (const Case& c : cases) {
    char destination[32];
    std::memset(destination, '#', sizeof destination);
    EXPECT_EQ(copyBounded(destination, c.destinationSize, c.source, c.maxLength), c.returned)
        << c.name;
    if (c.written == nullptr) destination[1] = '\0';  // untouched: still "#"
    EXPECT_STREQ(destination, c.written ? c.written : "#") << c.name;
  }
  EXPECT_EQ(copyBounded(nullptr, 100, "abcdef", kNoLimit), 7u) << "null destination";
}

TEST(TextFunctions, InsertBounded) {
  struct Case {
    const char* initial;
    uint32_t size, position;
    const char* source;
    uint32_t maxLength;
    const char* expected;
  } cases[] = {
      {"abc", 16, kEnd, "def", kNoLimit, "abcdef"},
      {"abc", 16, 1, "xy", kNoLimit, "axybc"},
      {"abc", 16, 40, "xy", kNoLimit, "abcxy"},  // past the end: appended
      {"abc", 16, kEnd, "defgh", 2, "abcde"},
      {"abcdef", 8, 0, "XYZ", kNoLimit, "XYZabcd"},  // the tail is cut
      {"abc", 6, 1, "XYZW", kNoLimit, "aXYZW"},      // the insert is cut
      {"abcd", 5, 2, "XY", kNoLimit, "abXY"},        // the whole tail falls off
      {"abc", 16, 0, nullptr, kNoLimit, "abc"},
  };
  for (const Case& c : cases) {
    char destination[32] = {};
    std::strcpy(destination, c.initial);
    std::memset(destination + c.size, '#', sizeof destination - c.size);
    insertBounded(destination, c.size, c.position, c.source, c.maxLength);
    EXPECT_STREQ(destination, c.expected);
    EXPECT_EQ(destination[c.size], '#') << c.expected << ": wrote past the destination";
  }
  // With nothing to insert, an unterminated destination still gets its NUL.
  char destination[6];
  std::memcpy(destination, "abcdef", 6);
  insertBounded(destination, 6, 0, nullptr, kNoLimit);
  EXPECT_STREQ(destination, "abcde");
  insertBounded(nullptr, 6, 0, "z", kNoLimit);  // no crash
}

TEST(TextFunctions, TrimInPlace) {
  const std::pair<const char*, const char*> cases[] = {
      {" \tx y\r\n", "x y"}, {"plain", "plain"},       {"", ""},
      {" \t \r\n", ""},      {"\r\nlead", "\r\nlead"},  // CR and LF are trimmed only at the end
      {"  a  b  ", "a  b"},
  };
  for (const auto& [input, expected] : cases) {
    std::string text = input;
    trimInPlace(text.data());
    EXPECT_STREQ(text.c_str(), expected) << '[' << input << ']';
  }
  trimInPlace(nullptr);
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
  struct Case {
    const char* text;
    bool keepQuotes;
    uint32_t textEnd;
    Texts expected;
  } cases[] = {
      {"  \"a b\"  c", false, kEnd, {"a b", "c"}},
      {"  \"a b\"  c", true, kEnd, {"\"a b\"", "c"}},
      {"one two\tthree  ", false, kEnd, {"one", "two", "three"}},
      {"'x \"y' z", false, kEnd, {"x \"y", "z"}},
      {"'x \"y' z", true, kEnd, {"'x \"y'", "z"}},
      {"\"open ended", false, kEnd, {"open ended"}},
      {"\"open ended", true, kEnd, {"\"open ended"}},
      {"ab\"cd\" e", false, kEnd, {"ab", "cd", "e"}},  // the quote that ends ab is stepped over
      {"\"\" x", false, kEnd, {"", "x"}},
      {" \t ", false, kEnd, {}},
      {"abc def ghi", false, 6, {"abc", "de"}},
      {"\"abc def\"", false, 4, {"abc"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(tokens(c.text, c.keepQuotes, c.textEnd), c.expected) << '[' << c.text << ']';
  }
  uint32_t start = 0, end = 0;
  EXPECT_FALSE(nextToken(start, end, nullptr, kEnd, false));
}

Texts listItems(const char* list) {
  Texts out;
  for (const char* item = nextInList(list, nullptr); item; item = nextInList(list, item)) {
    out.emplace_back(item);
  }
  return out;
}

TEST(TextFunctions, NulSeparatedLists) {
  TextBuffer list;
  EXPECT_TRUE(listItems(list.data()).empty());
  Texts expected;
  for (int i = 0; i < 40; ++i) {
    expected.push_back("item" + std::to_string(i) + std::string(i % 7, '.'));
    appendToList(list, expected.back().c_str());
  }
  appendToList(list, "");         // an empty string would close the list early: ignored
  appendToList(list, nullptr);    // likewise
  for (int i = 0; i < 20; ++i) {  // grows the block while the source lies inside it
    appendToList(list, list.data());
    expected.push_back("item0");
  }
  EXPECT_EQ(listItems(list.data()), expected);
  EXPECT_EQ(listItems("a\0bc\0\0"), (Texts{"a", "bc"}));
  EXPECT_TRUE(listItems(nullptr).empty());
}

}  // namespace
}  // namespace vexa
