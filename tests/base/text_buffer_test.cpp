#include "base/text_buffer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

namespace vexa {
namespace {

// Every byte from the first NUL to the end of the block is NUL.
bool zeroPastText(const TextBuffer& buffer) {
  for (uint32_t i = buffer.length(); i < buffer.capacity(); ++i) {
    if (buffer.data()[i] != '\0') return false;
  }
  return true;
}

TEST(TextBuffer, CapacityFollowsTheGranularity) {
  TextBuffer fresh;
  EXPECT_EQ(fresh.data(), nullptr);
  EXPECT_EQ(fresh.length(), 0u);
  EXPECT_EQ(fresh.find('a'), nullptr);
  EXPECT_STREQ(fresh.text(), "");
  struct Case {
    uint32_t granularity, textLength, capacity;
  } cases[] = {
      {64, 3, 64},  {64, 63, 64}, {64, 64, 128}, {64, 128, 192},
      {16, 16, 32}, {1, 5, 6},    {0, 3, 64},  // granularity 0 falls back to 64
  };
  for (const Case& c : cases) {
    TextBuffer buffer(c.granularity);
    const std::string text(c.textLength, 'x');
    buffer.assign(text.c_str());
    EXPECT_EQ(buffer.capacity(), c.capacity) << c.granularity << "/" << c.textLength;
    EXPECT_EQ(buffer.text(), text);
  }
}

TEST(TextBuffer, ReserveWithAndWithoutExact) {
  struct Case {
    uint32_t size;
    bool exact;
    uint32_t capacity;
  } cases[] = {
      {200, true, 256},   // the target for 200 is 256 already
      {100, true, 128},   // shrinks to the target, cutting the text but keeping a terminator
      {100, false, 256},  // never shrinks without exact
      {257, false, 320},  // grows to the next multiple
      {1, true, 64},
  };
  for (const Case& c : cases) {
    TextBuffer buffer;
    buffer.assign(std::string(200, 'q').c_str());
    ASSERT_EQ(buffer.capacity(), 256u);
    char* data = buffer.reserve(c.size, -1, c.exact);
    EXPECT_EQ(data, buffer.data());
    EXPECT_EQ(buffer.capacity(), c.capacity) << c.size << (c.exact ? " exact" : "");
    EXPECT_EQ(buffer.length(), std::min(200u, c.capacity - 1)) << c.size;
  }
  for (bool exact : {false, true}) {
    TextBuffer buffer;
    buffer.assign("abc");
    EXPECT_EQ(buffer.reserve(0, 0, exact), nullptr);
    EXPECT_EQ(buffer.capacity(), 0u);
    buffer.append("x");
    EXPECT_STREQ(buffer.text(), "x") << "the old text must not come back";
  }
}

TEST(TextBuffer, ReserveFillRulesAndNoUninitialisedBytes) {
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
  buffer.reserve(10, 1, false);
  EXPECT_EQ(buffer.length(), 0u) << "positive fill zeroes the block";
  EXPECT_TRUE(zeroPastText(buffer));
}

TEST(TextBuffer, HugeRequestsFailCleanly) {
  for (uint32_t size : {0xFFFFFFFFu, 0xFFFFFFC1u}) {  // both round past 4 GiB
    TextBuffer buffer;
    buffer.assign("keep");
    EXPECT_EQ(buffer.reserve(size, 0, false), nullptr) << size;
    EXPECT_EQ(buffer.capacity(), 0u);
    buffer.append("after");
    EXPECT_STREQ(buffer.text(), "after");
  }
}

TEST(TextBuffer, InsertAndAppend) {
  struct Step {
    uint32_t position;
    const char* text;
    uint32_t maxLength;
    const char* expected;
  } steps[] = {
      {kEnd, "abc", kNoLimit, "abc"},     {kEnd, "def", kNoLimit, "abcdef"},
      {0, "x", kNoLimit, "xabcdef"},      {kEnd, "defgh", 2, "xabcdefde"},
      {4, "--", kNoLimit, "xabc--defde"}, {kEnd, nullptr, kNoLimit, "xabc--defde"},
      {0, "", kNoLimit, "xabc--defde"},   {99, "!", kNoLimit, "xabc--defde!"},
      {3, "zz", 0, "xabc--defde!"},
  };
  TextBuffer buffer;
  for (const Step& s : steps) {
    buffer.insert(s.position, s.text, s.maxLength);
    EXPECT_STREQ(buffer.text(), s.expected);
    EXPECT_TRUE(zeroPastText(buffer)) << s.expected;
  }
  EXPECT_EQ(buffer.find('-') - buffer.data(), 4);
  EXPECT_EQ(buffer.find('\0'), nullptr);
  buffer.insertChar(0, '<');
  buffer.appendChar('\0');  // a NUL changes nothing
  buffer.insertChar(kEnd, '>');
  EXPECT_STREQ(buffer.text(), "<xabc--defde!>");
}

TEST(TextBuffer, AppendsMoveTheBlockOncePerGranularityStep) {
  TextBuffer buffer(4);
  buffer.assign("ab");
  buffer.appendChar('c');
  EXPECT_EQ(buffer.capacity(), 4u) << "grows only when length + 2 exceeds the capacity";
  buffer.appendChar('d');
  EXPECT_EQ(buffer.capacity(), 8u);

  TextBuffer big;
  int moves = 0;
  for (int i = 0; i < 64 * 10; ++i) {
    const char* before = big.data();
    big.appendChar(static_cast<char>('a' + i % 26));
    moves += big.data() != before;
  }
  // 640 bytes plus the NUL need 704 bytes: the first block and ten growths.
  EXPECT_EQ(big.capacity(), 704u);
  EXPECT_EQ(moves, 11);
}

TEST(TextBuffer, AssignVariantsAndTextFromItsOwnBlock) {
  TextBuffer buffer;
  buffer.assign("abcdef", 3);
  EXPECT_STREQ(buffer.text(), "abc");
  buffer.assign(nullptr);
  EXPECT_TRUE(buffer.empty());
  buffer.assign("hello world");
  buffer.assign(buffer.data());      // no-op
  buffer.assign(buffer.data() + 6);  // overlapping tail
  EXPECT_STREQ(buffer.text(), "world");
  // Doubling moves the block while the source lies inside it.
  std::string expected = "world";
  for (int i = 0; i < 6; ++i) {
    buffer.append(buffer.text());
    expected += expected;
  }
  buffer.insert(2, buffer.text() + 1, 3);
  expected.insert(2, expected.substr(1, 3));
  EXPECT_EQ(buffer.text(), expected);
}

class CountingAllocator : public Allocator {
 public:
  void* allocate(size_t size) override {
    if (failNext) return nullptr;
    ++live;
    return std::malloc(size);
  }
  void release(void* block) override {
    --live;
    std::free(block);
  }
  int live = 0;
  bool failNext = false;
};

TEST(BlockStore, GrowAndResizeRules) {
  CountingAllocator allocator;
  {
    BlockStore store(&allocator);
    ASSERT_TRUE(store.growToAtLeast(10));
    std::memcpy(store.block(), "123456789", 10);
    char* first = store.block();
    EXPECT_TRUE(store.growToAtLeast(5));
    EXPECT_EQ(store.block(), first) << "a smaller request keeps the block";
    ASSERT_TRUE(store.resizeExactly(4));
    ASSERT_TRUE(store.resizeExactly(8));
    EXPECT_EQ(std::memcmp(store.block(), "1234\0\0\0\0", 8), 0);
    allocator.failNext = true;
    EXPECT_FALSE(store.growToAtLeast(100));
    EXPECT_EQ(store.size(), 8u) << "a failed growth keeps the old block";
    EXPECT_EQ(std::memcmp(store.block(), "1234", 4), 0);
    allocator.failNext = false;
    EXPECT_TRUE(store.resizeExactly(0));
    EXPECT_EQ(store.block(), nullptr);
    EXPECT_EQ(allocator.live, 0);
    ASSERT_TRUE(store.growToAtLeast(3));
  }
  EXPECT_EQ(allocator.live, 0) << "the destructor releases to the allocator";
}

}  // namespace
}  // namespace vexa
