#include "board/line_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vexa {

TEST(LineReaderTest, SplitsAtEveryLineEndFormAndCutsLongLines) {
  const std::string limit(4095, 'x');
  const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
      {"", {}},
      {"a\nb", {"a", "b"}},
      {"a\n", {"a"}},
      {"\n", {""}},
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\rb", {"a", "b"}},
      {"a\n\rb", {"a", "", "b"}},
      {"a\r\r\nb", {"a", "", "b"}},
      {std::string("ab\0cd\nef", 8), {"ab", "ef"}},
      {limit + "\nnext", {limit, "next"}},
      {limit + std::string(1 << 20, 'y') + "\r\nnext", {limit, "next"}},
  };
  for (const auto& [body, expected] : cases) {
    LineReader reader(body);
    std::vector<std::string> lines;
    std::string_view line;
    while (reader.next(line)) lines.emplace_back(line);
    EXPECT_EQ(lines, expected) << body.substr(0, 20);
  }
}

}  // namespace vexa
