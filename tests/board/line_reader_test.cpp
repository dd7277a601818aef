#include "board/line_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vexa {
namespace {

std::vector<std::string> readAll(std::string_view body) {
  LineReader reader(body);
  std::vector<std::string> lines;
  std::string_view line;
  while (reader.next(line)) lines.emplace_back(line);
  return lines;
}

struct LineCase {
  const char* name;
  std::string body;
  std::vector<std::string> lines;
};

TEST(LineReaderTest, SplitsAtEveryLineEndForm) {
  const std::vector<LineCase> cases = {
      {"empty body has no line", "", {}},
      {"last line without end", "a\nb", {"a", "b"}},
      {"final end adds no empty line", "a\n", {"a"}},
      {"lone LF is one empty line", "\n", {""}},
      {"CR LF is one end", "a\r\nb\r\n", {"a", "b"}},
      {"lone CR ends a line", "a\rb", {"a", "b"}},
      {"LF CR is two ends", "a\n\rb", {"a", "", "b"}},
      {"CR CR LF is two ends", "a\r\r\nb", {"a", "", "b"}},
      {"empty lines in the middle count", "a\n\n\nb", {"a", "", "", "b"}},
      {"NUL cuts the rest of the line", std::string("ab\0cd\nef", 8), {"ab", "ef"}},
      {"NUL at line start", std::string("\0x\ny", 4), {"", "y"}},
  };
  for (const auto& c : cases) EXPECT_EQ(readAll(c.body), c.lines) << c.name;
}

TEST(LineReaderTest, KeepsAtMost4095BytesOfALine) {
  const std::string exact(4095, 'x');
  const std::string longer = std::string(4095, 'y') + "TAIL";
  const std::string huge(1 << 20, 'z');
  const std::vector<LineCase> cases = {
      {"exactly the limit", exact + "\nnext", {exact, "next"}},
      {"one past the limit", std::string(4096, 'x') + "\nnext", {exact, "next"}},
      {"tail dropped up to CR LF", longer + "\r\nnext", {std::string(4095, 'y'), "next"}},
      {"a megabyte line", huge + "\nnext", {std::string(4095, 'z'), "next"}},
  };
  for (const auto& c : cases) EXPECT_EQ(readAll(c.body), c.lines) << c.name;
}

TEST(LineReaderTest, SkipStepsOverLinesLikeNext) {
  LineReader reader("one\r\ntwo\nthree");
  EXPECT_TRUE(reader.skip());
  EXPECT_TRUE(reader.skip());
  std::string_view line;
  ASSERT_TRUE(reader.next(line));
  EXPECT_EQ(line, "three");
  EXPECT_FALSE(reader.skip());
  EXPECT_FALSE(reader.next(line));
}

}  // namespace
}  // namespace vexa
