#include "base/text_buffer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace vexa {
namespace {

// Every byte from the first NUL to the end of the block is NUL.
bool zeroPastText(const TextBuffer& buffer) {
  if (buffer.data() == nullptr) return true;
  for (uint32_t i = buffer.length(); i < buffer.capacity(); ++i) {
    if (buffer.data()[i] != '\0') return false;
  }
  return true;
}

TEST(TextBuffer, FreshBufferIsEmptyWithoutStorage) {
  TextBuffer buffer;
  EXPECT_EQ(buffer.data(), nullptr);
  EXPECT_EQ(buffer.length(), 0u);
  EXPECT_EQ(buffer.capacity(), 0u);
  EXPECT_EQ(buffer.granularity(), 64u);
  EXPECT_EQ(buffer.find('a'), nullptr);
  EXPECT_STREQ(buffer.text(), "");
  EXPECT_TRUE(buffer.empty());
}

TEST(TextBuffer, AssignRoundsCapacityUpToGranularity) {
  struct Case {
    uint32_t granularity;
    size_t textLength;
    uint32_t capacity;
  };
  const Case cases[] = {
      {64, 0, 64},  {64, 3, 64},  {64, 63, 64}, {64, 64, 128}, {64, 127, 128}, {64, 128, 192},
      {16, 15, 16}, {16, 16, 32}, {1, 5, 6},    {0, 3, 64},  // granularity 0 falls back to 64
  };
  for (const Case& c : cases) {
    TextBuffer buffer(c.granularity);
    std::string text(c.textLength, 'x');
    buffer.assign(text.c_str());
    EXPECT_EQ(buffer.capacity(), c.capacity) << c.granularity << "/" << c.textLength;
    EXPECT_EQ(buffer.text(), text);
    EXPECT_EQ(buffer.length(), c.textLength);
  }
}

TEST(TextBuffer, ReserveWithAndWithoutExact) {
  struct Case {
    uint32_t size;
    bool exact;
    uint32_t capacity;
  };
  const Case cases[] = {
      {200, true, 256},   // the target for 200 is 256 already
      {100, true, 128},   // shrinks to the target
      {100, false, 256},  // never shrinks without exact
      {257, false, 320},  // grows to the next multiple
      {256, true, 256},  {1, true, 64},
  };
  for (const Case& c : cases) {
    TextBuffer buffer;
    ASSERT_NE(buffer.reserve(256, 1, true), nullptr);
    ASSERT_EQ(buffer.capacity(), 256u);
    char* data = buffer.reserve(c.size, -1, c.exact);
    EXPECT_NE(data, nullptr) << c.size;
    EXPECT_EQ(data, buffer.data());
    EXPECT_EQ(buffer.capacity(), c.capacity) << c.size << (c.exact ? " exact" : "");
  }
}

TEST(TextBuffer, ReserveZeroEmptiesTheBuffer) {
  for (bool exact : {false, true}) {
    TextBuffer buffer;
    buffer.assign("abc");
    EXPECT_EQ(buffer.reserve(0, 0, exact), nullptr);
    EXPECT_EQ(buffer.data(), nullptr);
    EXPECT_EQ(buffer.capacity(), 0u);
    EXPECT_EQ(buffer.length(), 0u);
    buffer.append("x");  // the old text must not come back
    EXPECT_STREQ(buffer.text(), "x");
    buffer.assign("again");
    EXPECT_STREQ(buffer.text(), "again");
  }
}

TEST(TextBuffer, ReserveFillRules) {
  TextBuffer buffer;
  buffer.assign("abcdef");
  buffer.data()[3] = '\0';  // "abc", NUL, then stale "ef"
  buffer.reserve(10, -1, false);
  EXPECT_EQ(std::memcmp(buffer.data(), "abc\0ef", 7), 0) << "negative fill keeps bytes";

  buffer.reserve(10, 0, false);
  EXPECT_STREQ(buffer.data(), "abc");
  EXPECT_TRUE(zeroPastText(buffer)) << "fill 0 zeroes past the text";

  buffer.reserve(10, 1, false);
  EXPECT_EQ(buffer.length(), 0u) << "positive fill zeroes the block";
  EXPECT_TRUE(zeroPastText(buffer));
}

TEST(TextBuffer, GrowingKeepsTextAndNeverExposesUninitialisedBytes) {
  TextBuffer buffer;
  buffer.assign("hello");
  buffer.reserve(1000, -1, false);
  EXPECT_STREQ(buffer.text(), "hello");
  EXPECT_EQ(buffer.capacity(), 1024u);
  EXPECT_TRUE(zeroPastText(buffer));

  TextBuffer fresh;
  ASSERT_NE(fresh.reserve(500, -1, false), nullptr);
  EXPECT_EQ(fresh.length(), 0u);
  EXPECT_TRUE(zeroPastText(fresh));
}

TEST(TextBuffer, ExactShrinkKeepsATerminator) {
  TextBuffer buffer;
  std::string text(200, 'q');
  buffer.assign(text.c_str());
  ASSERT_EQ(buffer.capacity(), 256u);
  buffer.reserve(100, -1, true);
  EXPECT_EQ(buffer.capacity(), 128u);
  EXPECT_EQ(buffer.length(), 127u);
  EXPECT_EQ(buffer.data()[127], '\0');
}

TEST(TextBuffer, HugeRequestsFailCleanly) {
  const uint32_t sizes[] = {0xFFFFFFFFu, 0xFFFFFFC1u};  // both round past 4 GiB
  for (uint32_t size : sizes) {
    TextBuffer buffer;
    buffer.assign("keep");
    EXPECT_EQ(buffer.reserve(size, 0, false), nullptr) << size;
    EXPECT_EQ(buffer.data(), nullptr);
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
  };
  const Step steps[] = {
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
}

TEST(TextBuffer, ManyAppendsGrowAcrossBlocks) {
  TextBuffer buffer;
  std::string expected;
  for (int i = 0; i < 300; ++i) {
    const char* piece = (i % 3 == 0) ? "abc" : (i % 3 == 1) ? "0123456789" : "Z";
    buffer.append(piece);
    expected += piece;
  }
  EXPECT_EQ(buffer.text(), expected);
  EXPECT_EQ(buffer.capacity() % 64, 0u);
  EXPECT_GT(buffer.capacity(), expected.size());
}

TEST(TextBuffer, AppendsMoveTheBlockOncePerGranularityStep) {
  TextBuffer buffer;
  int moves = 0;
  const char* last = nullptr;
  for (int i = 0; i < 64 * 10; ++i) {
    buffer.appendChar('a' + i % 26);
    if (buffer.data() != last) ++moves;
    last = buffer.data();
  }
  // 640 bytes plus the NUL need 704 bytes: the first block and ten growths.
  EXPECT_EQ(buffer.capacity(), 704u);
  EXPECT_EQ(moves, 11);
}

TEST(TextBuffer, InsertCharRules) {
  TextBuffer buffer;
  buffer.appendChar('b');
  buffer.insertChar(0, 'a');
  buffer.appendChar('\0');  // a NUL changes nothing
  buffer.insertChar(kEnd, 'c');
  EXPECT_STREQ(buffer.text(), "abc");

  // Growth happens exactly when length + 2 exceeds the capacity.
  TextBuffer small(4);
  small.assign("ab");
  ASSERT_EQ(small.capacity(), 4u);
  small.appendChar('c');
  EXPECT_EQ(small.capacity(), 4u);
  small.appendChar('d');
  EXPECT_EQ(small.capacity(), 8u);
  EXPECT_STREQ(small.text(), "abcd");
}

TEST(TextBuffer, AssignVariants) {
  TextBuffer buffer;
  buffer.assign("abcdef", 3);
  EXPECT_STREQ(buffer.text(), "abc");
  buffer.assign(nullptr);
  EXPECT_STREQ(buffer.text(), "");
  EXPECT_EQ(buffer.length(), 0u);
  buffer.assign("xyz", 10);
  EXPECT_STREQ(buffer.text(), "xyz");
  buffer.clear();
  EXPECT_TRUE(buffer.empty());
}

TEST(TextBuffer, AssignAndInsertFromItsOwnText) {
  TextBuffer buffer;
  buffer.assign("hello world");
  buffer.assign(buffer.data());  // no-op
  EXPECT_STREQ(buffer.text(), "hello world");
  buffer.assign(buffer.data() + 6);  // overlapping tail
  EXPECT_STREQ(buffer.text(), "world");

  // Doubling forces a move of the block while the source lies inside it.
  std::string expected = "world";
  for (int i = 0; i < 6; ++i) {
    buffer.append(buffer.text());
    expected += expected;
  }
  EXPECT_EQ(buffer.text(), expected);
  buffer.insert(2, buffer.text() + 1, 3);
  expected.insert(2, expected.substr(1, 3));
  EXPECT_EQ(buffer.text(), expected);
}

TEST(TextBuffer, FindLooksOnlyInsideTheText) {
  TextBuffer buffer;
  buffer.assign("a=b=c");
  ASSERT_NE(buffer.find('='), nullptr);
  EXPECT_EQ(buffer.find('=') - buffer.data(), 1);
  EXPECT_EQ(buffer.find('z'), nullptr);
  EXPECT_EQ(buffer.find('\0'), nullptr);
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
    EXPECT_EQ(store.size(), 10u);
    ASSERT_TRUE(store.resizeExactly(4));
    EXPECT_EQ(store.size(), 4u);
    EXPECT_EQ(std::memcmp(store.block(), "1234", 4), 0);
    ASSERT_TRUE(store.resizeExactly(8));
    EXPECT_EQ(std::memcmp(store.block(), "1234\0\0\0\0", 8), 0);
    EXPECT_EQ(allocator.live, 1);

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
