#include "app/status_printer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "base/sjis.h"
#include "platform/text_encoding.h"

namespace vexa {
namespace {

constexpr auto& sjis = platform::utf8ToCp932;

std::string size(int bytes) {
  return "- データ取得 サイズ : " + std::to_string(bytes) + " -";
}

// Everything written to `file` so far.
std::string contents(FILE* file) {
  std::string text(static_cast<size_t>(std::ftell(file)), '\0');
  std::rewind(file);
  text.resize(std::fread(text.data(), 1, text.size(), file));
  return text;
}

TEST(StatusPrinterTest, SizeLinesAreThinnedButTheLastOneAlwaysShows) {
  struct Step {
    uint32_t tick;  // the clock when the line comes
    std::string prefix, line;
  };
  struct Case {
    const char* name;
    std::vector<Step> steps;
    std::string expected;  // after flush()
  } cases[] = {
      {"a byte a millisecond: one line a tenth of a second, then the last",
       {{0, "", "- 接続開始 h -"},
        {1, "", size(1)},
        {2, "", size(2)},
        {100, "", size(3)},
        {101, "", size(4)},
        {199, "", size(5)},
        {200, "", size(6)},
        {250, "", size(7)}},
       "- 接続開始 h -\n" + size(1) + "\n" + size(4) + "\n" + size(7) + "\n"},
      {"the held line goes before the next other line",
       {{0, "", size(10)},
        {5, "", size(20)},
        {6, "", "不明なエラーが発生しました"},
        {7, "", size(5)}},
       size(10) + "\n" + size(20) + "\n不明なエラーが発生しました\n" + size(5) + "\n"},
      {"a line that only looks alike is shown",
       {{0, "", size(1)}, {1, "", "- データ取得 サイズ : 2"}, {2, "", size(3)}},
       size(1) + "\n- データ取得 サイズ : 2\n" + size(3) + "\n"},
      {"each task's size lines, its prefix kept",
       {{0, "[list] ", size(1)},
        {1, "[list] ", size(2)},
        {2, "[watch] ", size(8)},
        {3, "[watch] ", size(9)},
        {4, "[list] ", "- subject.txt 1 行目を解析 -"}},
       "[list] " + size(1) + "\n[list] " + size(2) + "\n[watch] " + size(8) + "\n[watch] " +
           size(9) + "\n[list] - subject.txt 1 行目を解析 -\n"},
      {"a clock that wraps",
       {{0xFFFFFFF0u, "", size(1)}, {0xFFFFFFF8u, "", size(2)}, {90, "", size(3)}},
       size(1) + "\n" + size(3) + "\n"},
  };
  for (const Case& c : cases) {
    FILE* out = std::tmpfile();
    uint32_t now = 0;
    {
      StatusPrinter printer(out, [&] { return now; });
      for (const Step& step : c.steps) {
        now = step.tick;
        printer.print(step.prefix, sjis(step.line));
      }
    }  // the printer's end writes what it held
    EXPECT_EQ(contents(out), c.expected) << c.name;
    std::fclose(out);
  }
}

}  // namespace
}  // namespace vexa
