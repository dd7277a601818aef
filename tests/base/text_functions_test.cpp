#include "base/text_functions.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace vexa {
namespace {

TEST(TextFunctions, BoundedLength) {
  EXPECT_EQ(boundedLength(nullptr, 10), 0u);
  EXPECT_EQ(boundedLength("abc", kNoLimit), 3u);
  EXPECT_EQ(boundedLength("abcdef", 2), 2u);
  EXPECT_EQ(boundedLength("", 5), 0u);
}

TEST(TextFunctions, CopyBounded) {
  struct Case {
    const char* name;
    uint32_t destinationSize;
    const char* source;
    uint32_t maxLength;
    uint32_t returned;
    const char* written;  // null: the destination must be untouched
  };
  const Case cases[] = {
      {"fits", 16, "abcdef", kNoLimit, 6, "abcdef"},
      {"cut by size", 4, "abcdef", kNoLimit, 3, "abc"},
      {"cut by max", 16, "abcdef", 2, 2, "ab"},
      {"exact fit", 7, "abcdef", kNoLimit, 6, "abcdef"},
      {"size one", 1, "abcdef", kNoLimit, 0, ""},
      {"null source", 16, nullptr, kNoLimit, 0, ""},
      {"max zero", 16, "abcdef", 0, 0, ""},
      {"size zero asks", 0, "abcdef", kNoLimit, 7, nullptr},
      {"size zero with max", 0, "abcdef", 3, 4, nullptr},
      {"size zero empty", 0, "", kNoLimit, 1, nullptr},
      {"size zero null", 0, nullptr, kNoLimit, 1, nullptr},
  };
  for (const Case& c : cases) {
    char destination[32];
    std::memset(destination, '#', sizeof destination);
    EXPECT_EQ(copyBounded(destination, c.destinationSize, c.source, c.maxLength), c.returned)
        << c.name;
    if (c.written != nullptr) {
      EXPECT_STREQ(destination, c.written) << c.name;
    } else {
      EXPECT_EQ(destination[0], '#') << c.name;
    }
  }
  EXPECT_EQ(copyBounded(nullptr, 100, "abcdef", kNoLimit), 7u) << "null destination";
  EXPECT_EQ(copyBounded(nullptr, 0, nullptr, kNoLimit), 1u);
}

TEST(TextFunctions, InsertBounded) {
  struct Case {
    const char* name;
    const char* initial;
    uint32_t size;
    uint32_t position;
    const char* source;
    uint32_t maxLength;
    const char* expected;
  };
  const Case cases[] = {
      {"append", "abc", 16, kEnd, "def", kNoLimit, "abcdef"},
      {"front", "abc", 16, 0, "xy", kNoLimit, "xyabc"},
      {"middle", "abc", 16, 1, "xy", kNoLimit, "axybc"},
      {"past end", "abc", 16, 40, "xy", kNoLimit, "abcxy"},
      {"limited", "abc", 16, kEnd, "defgh", 2, "abcde"},
      {"full tail cut", "abcdef", 8, 0, "XYZ", kNoLimit, "XYZabcd"},
      {"insert cut", "abc", 6, 1, "XYZW", kNoLimit, "aXYZW"},
      {"append cut", "abc", 5, kEnd, "XYZ", kNoLimit, "abcX"},
      {"tail falls off", "abcd", 5, 2, "XY", kNoLimit, "abXY"},
      {"null source", "abc", 16, 0, nullptr, kNoLimit, "abc"},
      {"empty source", "abc", 16, 0, "", kNoLimit, "abc"},
      {"into empty", "", 16, 0, "abc", kNoLimit, "abc"},
  };
  for (const Case& c : cases) {
    char destination[32] = {};
    std::strcpy(destination, c.initial);
    std::memset(destination + c.size, '#', sizeof destination - c.size);
    insertBounded(destination, c.size, c.position, c.source, c.maxLength);
    EXPECT_STREQ(destination, c.expected) << c.name;
    EXPECT_EQ(destination[c.size], '#') << c.name << ": wrote past the destination";
  }
}

TEST(TextFunctions, InsertBoundedTerminatesAnUnterminatedDestination) {
  char destination[6];
  std::memcpy(destination, "abcdef", 6);
  insertBounded(destination, 6, 0, nullptr, kNoLimit);
  EXPECT_STREQ(destination, "abcde");
  std::memcpy(destination, "abcdef", 6);
  insertBounded(destination, 6, kEnd, "z", kNoLimit);
  EXPECT_STREQ(destination, "abcde");
  insertBounded(nullptr, 6, 0, "z", kNoLimit);  // no crash
}

TEST(TextFunctions, TrimInPlace) {
  struct Case {
    const char* input;
    const char* expected;
  };
  const Case cases[] = {
      {" \tx y\r\n", "x y"}, {"plain", "plain"},       {"", ""},
      {" \t \r\n", ""},      {"\r\nlead", "\r\nlead"},  // CR and LF are trimmed only at the end
      {"a\t", "a"},          {"  a  b  ", "a  b"},     {"\n", ""},
  };
  for (const Case& c : cases) {
    std::string text = c.input;
    trimInPlace(text.data());
    EXPECT_STREQ(text.c_str(), c.expected) << '[' << c.input << ']';
  }
  trimInPlace(nullptr);
}

std::vector<std::string> tokens(const char* text, bool keepQuotes, uint32_t textEnd = kEnd) {
  std::vector<std::string> out;
  uint32_t start = 0, end = 0;
  for (uint32_t at = 0; nextToken(start = at, end, text, textEnd, keepQuotes); at = end + 1) {
    out.emplace_back(text + start, end - start);
    if (out.size() > 50) break;  // a runaway loop is a failure, not a hang
  }
  return out;
}

TEST(TextFunctions, NextToken) {
  using V = std::vector<std::string>;
  struct Case {
    const char* text;
    bool keepQuotes;
    V expected;
  };
  const Case cases[] = {
      {"  \"a b\"  c", false, V{"a b", "c"}},
      {"  \"a b\"  c", true, V{"\"a b\"", "c"}},
      {"one two\tthree", false, V{"one", "two", "three"}},
      {"'x \"y' z", false, V{"x \"y", "z"}},
      {"'x \"y' z", true, V{"'x \"y'", "z"}},
      {"\"open ended", false, V{"open ended"}},
      {"\"open ended", true, V{"\"open ended"}},
      {"ab\"cd\" e", false, V{"ab", "cd", "e"}},  // the quote that ends ab is stepped over
      {"\"\" x", false, V{"", "x"}},
      {"", false, V{}},
      {" \t ", false, V{}},
      {"trailing  ", false, V{"trailing"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(tokens(c.text, c.keepQuotes), c.expected) << '[' << c.text << ']';
  }
}

TEST(TextFunctions, NextTokenHonoursTextEnd) {
  EXPECT_EQ(tokens("abc def ghi", false, 6), (std::vector<std::string>{"abc", "de"}));
  EXPECT_EQ(tokens("\"abc def\"", false, 4), (std::vector<std::string>{"abc"}));
  uint32_t start = 0, end = 0;
  EXPECT_FALSE(nextToken(start, end, nullptr, kEnd, false));
}

std::vector<std::string> listItems(const char* list) {
  std::vector<std::string> out;
  for (const char* item = nextInList(list, nullptr); item; item = nextInList(list, item)) {
    out.emplace_back(item);
    if (out.size() > 1000) break;
  }
  return out;
}

TEST(TextFunctions, NulSeparatedLists) {
  TextBuffer list;
  EXPECT_TRUE(listItems(list.data()).empty());
  std::vector<std::string> expected;
  for (int i = 0; i < 40; ++i) {
    std::string item = "item" + std::to_string(i) + std::string(i % 7, '.');
    appendToList(list, item.c_str());
    expected.push_back(item);
  }
  appendToList(list, "");       // an empty string would close the list early: ignored
  appendToList(list, nullptr);  // likewise
  appendToList(list, "last");
  expected.push_back("last");
  EXPECT_EQ(listItems(list.data()), expected);
  EXPECT_STREQ(list.text(), "item0");

  // Raw lists written by hand.
  EXPECT_EQ(listItems("a\0bc\0\0"), (std::vector<std::string>{"a", "bc"}));
  EXPECT_TRUE(listItems("\0").empty());
  EXPECT_TRUE(listItems(nullptr).empty());
}

TEST(TextFunctions, ListAppendFromItsOwnItem) {
  TextBuffer list;
  appendToList(list, "first");
  std::vector<std::string> expected{"first"};
  for (int i = 0; i < 20; ++i) {  // grows the block while the source lies inside it
    appendToList(list, list.data());
    expected.push_back("first");
  }
  EXPECT_EQ(listItems(list.data()), expected);
}

}  // namespace
}  // namespace vexa
