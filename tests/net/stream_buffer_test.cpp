#include "net/stream_buffer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace vexa {
namespace {

struct Line {
  uint32_t count;
  std::string text;  // the count - 1 bytes before the terminator or the NUL
};

std::vector<Line> readAll(const std::string& data, uint32_t size) {
  StreamBuffer buffer;
  EXPECT_FALSE(buffer.openForWriting("recv"));
  buffer.append(data.data(), static_cast<uint32_t>(data.size()));
  buffer.close();
  EXPECT_FALSE(buffer.openForReading("recv"));
  std::vector<Line> lines;
  std::vector<char> out(size + 8, 'Z');
  for (int guard = 0; guard < 100; ++guard) {
    uint32_t count = buffer.readLine(out.data(), size);
    if (count == 0) break;
    EXPECT_EQ(out[count - 1], '\0');
    lines.push_back({count, std::string(out.data(), count - 1)});
  }
  return lines;
}

TEST(StreamBufferReadLine, SplitsLinesAsTheRulesSay) {
  struct Case {
    const char* name;
    std::string data;
    uint32_t size;
    std::vector<Line> expected;
  };
  const std::vector<Case> cases = {
      {"crlf", "ab\r\ncd\r\n", 16, {{3, "ab"}, {3, "cd"}}},
      {"lone lf and lone cr", "ab\ncd\ref", 16, {{3, "ab"}, {3, "cd"}, {3, "ef"}}},
      {"empty lines count", "\r\n\r\nx", 16, {{1, ""}, {1, ""}, {2, "x"}}},
      {"lf cr is two line ends", "a\n\rb", 16, {{2, "a"}, {1, ""}, {2, "b"}}},
      {"cr cr lf is an empty line", "a\r\r\nb", 16, {{2, "a"}, {1, ""}, {2, "b"}}},
      {"end of data ends the line", "abc", 16, {{4, "abc"}}},
      {"nothing after the last line end", "abc\r\n", 16, {{4, "abc"}}},
      {"long line is cut and its rest skipped", "abcdefgh\r\nxy", 4, {{4, "abc"}, {3, "xy"}}},
      {"line of exactly size-1", "abc\r\nxy", 4, {{4, "abc"}, {3, "xy"}}},
      {"cut line whose rest ends the data", "abcdefgh", 4, {{4, "abc"}}},
      {"cut line ended by cr lf keeps lf skipped",
       "abcdef\r\n\r\nz",
       4,
       {{4, "abc"}, {1, ""}, {2, "z"}}},
      // The NUL is stored and counted, and the next call goes on after it.
      {"nul ends the call and counts", std::string("ab\0cd\n", 6), 16, {{3, "ab"}, {3, "cd"}}},
      {"nul first", std::string("\0x", 2), 16, {{1, ""}, {2, "x"}}},
      {"nul right after a cr",
       std::string("a\r\0\nb", 5),
       16,
       {{2, "a"}, {1, ""}, {1, ""}, {2, "b"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<Line> lines = readAll(c.data, c.size);
    ASSERT_EQ(lines.size(), c.expected.size());
    for (size_t i = 0; i < lines.size(); ++i) {
      EXPECT_EQ(lines[i].count, c.expected[i].count) << "line " << i;
      EXPECT_EQ(lines[i].text, c.expected[i].text) << "line " << i;
    }
  }
}

TEST(StreamBufferReadLine, RefusesTinyBuffersAndClosedReaders) {
  StreamBuffer buffer;
  buffer.openForWriting("recv");
  buffer.append("abc\n", 4);
  char out[4] = {'Z', 'Z', 'Z', 'Z'};
  EXPECT_EQ(buffer.readLine(out, 2), 0u) << "not open for reading";
  buffer.close();
  buffer.openForReading("recv");
  EXPECT_EQ(buffer.readLine(out, 1), 0u);
  EXPECT_EQ(buffer.readLine(out, 0), 0u);
  EXPECT_EQ(out[0], 'Z') << "nothing written";
  EXPECT_EQ(buffer.readLine(out, 2), 2u);
  EXPECT_STREQ(out, "a");
}

TEST(StreamBuffer, OpensInOneModeAtATime) {
  StreamBuffer buffer;
  EXPECT_FALSE(buffer.openForWriting("send"));
  EXPECT_STREQ(buffer.tag(), "send");
  EXPECT_TRUE(buffer.openForWriting("send"));
  EXPECT_TRUE(buffer.openForReading("recv"));
  buffer.append("xyz", 3);
  buffer.close();
  EXPECT_FALSE(buffer.openForReading("recv"));
  EXPECT_EQ(buffer.mode(), StreamBuffer::Mode::Reading);
  EXPECT_EQ(buffer.size(), 3u) << "reading keeps the bytes";
  buffer.close();
  EXPECT_FALSE(buffer.openForWriting("send"));
  EXPECT_EQ(buffer.size(), 0u) << "writing empties";
  EXPECT_STREQ(buffer.data(), "");
  std::string longTag(100, 't');
  buffer.close();
  buffer.openForWriting(longTag.c_str());
  EXPECT_EQ(std::string(buffer.tag()), std::string(63, 't'));
}

TEST(StreamBuffer, KeepsBinaryBytesAndGrowsInGranules) {
  StreamBuffer buffer;
  buffer.openForWriting("recv");
  std::string bytes;
  for (int i = 0; i < 5000; ++i) bytes.push_back(static_cast<char>(i * 7));
  for (size_t at = 0; at < bytes.size(); at += 333) {
    size_t count = std::min<size_t>(333, bytes.size() - at);
    ASSERT_FALSE(buffer.append(bytes.data() + at, static_cast<uint32_t>(count)));
  }
  EXPECT_EQ(std::string(buffer.data(), buffer.size()), bytes);
  EXPECT_EQ(buffer.capacity() % StreamBuffer::kGranularity, 0u);
  EXPECT_EQ(buffer.data()[buffer.size()], '\0');
}

TEST(StreamBuffer, AlwaysKeepsANulAfterItsBytes) {
  StreamBuffer buffer;
  buffer.openForWriting("recv");
  ASSERT_NE(buffer.reserveTail(4000), nullptr);  // room asked for, nothing kept
  EXPECT_EQ(buffer.size(), 0u);
  EXPECT_EQ(buffer.data()[0], '\0');
  char* tail = buffer.reserveTail(3);
  std::memcpy(tail, "abc", 3);
  buffer.commit(3);
  EXPECT_STREQ(buffer.data(), "abc");
  buffer.commit(100000);  // more than was reserved: ignored
  EXPECT_EQ(buffer.size(), 3u);
}

TEST(StreamBuffer, EraseTruncateAndFind) {
  StreamBuffer buffer;
  buffer.openForWriting("recv");
  buffer.append("0123456789", 10);
  buffer.erase(2, 3);
  EXPECT_EQ(std::string(buffer.data()), "0156789");
  buffer.erase(5, 100);
  EXPECT_EQ(std::string(buffer.data()), "01567");
  buffer.erase(9, 1);
  EXPECT_EQ(buffer.size(), 5u);
  EXPECT_EQ(buffer.find("56", 2, 0), 2);
  EXPECT_EQ(buffer.find("56", 2, 3), -1);
  EXPECT_EQ(buffer.find("7", 1, 4), 4);
  EXPECT_EQ(buffer.find("", 0, 5), 5);
  EXPECT_EQ(buffer.find("x", 1, 6), -1);
  buffer.truncate(2);
  EXPECT_EQ(std::string(buffer.data()), "01");
}

}  // namespace
}  // namespace vexa
