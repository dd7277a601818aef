#include "base/text_buffer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <tuple>

namespace vexa {
namespace {

// Every byte from the first NUL to the end of the block is NUL.
bool zeroPastText(const TextBuffer& buffer) {
  return std::all_of(buffer.data() + buffer.length(), buffer.data() + buffer.capacity(),
                     [](char c) { return c == '\0'; });
}

TEST(TextBuffer, AssignRoundsTheCapacityUpToTheGranularity) {
  TextBuffer fresh;
  EXPECT_TRUE(fresh.data() == nullptr && fresh.length() == 0 && fresh.find('a') == nullptr);
  const std::tuple<uint32_t, uint32_t, uint32_t> cases[] = {
      // granularity, text length, capacity
      {64, 3, 64},  {64, 64, 128}, {64, 128, 192},
      {16, 16, 32}, {1, 5, 6},     {0, 3, 64},  // granularity 0 falls back to 64
  };
  for (const auto& [granularity, length, capacity] : cases) {
    TextBuffer buffer(granularity);
    const std::string text(length, 'x');
    buffer.assign(text.c_str());
    EXPECT_EQ(buffer.capacity(), capacity) << granularity << "/" << length;
    EXPECT_EQ(buffer.text(), text);
  }
}

TEST(TextBuffer, ReserveWithAndWithoutExact) {
  const std::tuple<uint32_t, bool, uint32_t> cases[] = {
      // size, exact, capacity; the buffer holds 200 bytes of text in a 256-byte block
      {200, true, 256},  {100, true, 128},  // shrinks, cutting the text but keeping a terminator
      {100, false, 256},                    // never shrinks without exact
      {257, false, 320}, {1, true, 64},    {0, false, 0}, {0, true, 0},
  };
  for (const auto& [size, exact, capacity] : cases) {
    TextBuffer buffer;
    buffer.assign(std::string(200, 'q').c_str());
    char* data = buffer.reserve(size, -1, exact);
    EXPECT_EQ(data, size ? buffer.data() : nullptr);
    EXPECT_EQ(buffer.capacity(), capacity) << size << (exact ? " exact" : "");
    EXPECT_EQ(buffer.length(), std::min(200u, capacity ? capacity - 1 : 0)) << size;
    buffer.append("x");
    EXPECT_EQ(buffer.length(), size ? std::min(201u, capacity) : 1u) << "the old text is gone";
  }
}

TEST(TextBuffer, ReserveKeepsOrZeroesBytesAsAsked) {
  TextBuffer buffer;
  buffer.assign("abcdef");
  buffer.data()[3] = '\0';  // "abc", NUL, then stale "ef"
  buffer.reserve(1000, -1, false);
  EXPECT_EQ(std::memcmp(buffer.data(), "abc\0ef", 7), 0) << "negative fill keeps bytes";
  EXPECT_TRUE(std::all_of(buffer.data() + 7, buffer.data() + 1024, [](char c) { return !c; }))
      << "grown bytes start zeroed";
  buffer.reserve(10, 0, false);
  EXPECT_STREQ(buffer.data(), "abc");
  EXPECT_TRUE(zeroPastText(buffer)) << "fill 0 zeroes past the text";
}

TEST(TextBuffer, InsertAndAppend) {
  const std::tuple<uint32_t, const char*, uint32_t, const char*> steps[] = {
      {kEnd, "abc", kNoLimit, "abc"},      {kEnd, "def", kNoLimit, "abcdef"},
      {0, "x", kNoLimit, "xabcdef"},       {kEnd, "defgh", 2, "xabcdefde"},
      {4, "--", kNoLimit, "xabc--defde"},  {kEnd, nullptr, kNoLimit, "xabc--defde"},
      {99, "!", kNoLimit, "xabc--defde!"}, {3, "zz", 0, "xabc--defde!"},
  };
  TextBuffer buffer;
  for (const auto& [position, text, maxLength, expected] : steps) {
    buffer.insert(position, text, maxLength);
    EXPECT_STREQ(buffer.text(), expected);
    EXPECT_TRUE(zeroPastText(buffer)) << expected;
  }
  EXPECT_EQ(buffer.find('-') - buffer.data(), 4);
  buffer.insertChar(0, '<');
  buffer.appendChar('\0');  // a NUL changes nothing
  buffer.insertChar(kEnd, '>');
  EXPECT_STREQ(buffer.text(), "<xabc--defde!>");
  // Huge requests round past 4 GiB: they fail and leave an empty, usable buffer.
  for (uint32_t size : {0xFFFFFFFFu, 0xFFFFFFC1u}) {
    EXPECT_EQ(buffer.reserve(size, 0, false), nullptr) << size;
    buffer.append("after");
    EXPECT_STREQ(buffer.text(), "after");
  }
}

TEST(TextBuffer, TextFromItsOwnBlock) {
  TextBuffer buffer;
  buffer.assign("hello world");
  buffer.assign(buffer.data() + 6);  // overlapping tail
  EXPECT_STREQ(buffer.text(), "world");
  // Doubling moves the block while the source lies inside it.
  std::string expected = "world";
  for (int i = 0; i < 6; ++i, expected += expected) buffer.append(buffer.text());
  buffer.insert(2, buffer.text() + 1, 3);
  expected.insert(2, expected.substr(1, 3));
  EXPECT_EQ(buffer.text(), expected);
}

}  // namespace
}  // namespace vexa
