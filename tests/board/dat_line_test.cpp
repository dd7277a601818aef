#include "board/dat_line.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace vexa {

TEST(DatLineTest, SplitsAtSeparatorsAndTakesTheIdFromTheDateOnly) {
  // Expected: "ID|body", led by "incomplete" for a line without the fields up to the date.
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"name<>sage<>2024/01/02 03:04:05.67 ID:Ab+/9<> hello <>title", "Ab+/9| hello "},
      {"name<><>2024/01/02 03:04:05<>body to the end", "|body to the end"},
      {"n<>m<>d ID:<>b<>", "|b"},
      {"n<>m<>d<> a <br> <a href=\"x\">y</a> <>b<>c", "| a <br> <a href=\"x\">y</a> "},
      {"n<>m<>d<>", "|"},
      {"n<>m<>a<b ID:z<>body<>", "z|body"},
      {"n<>m<>date<>see ID:xyz <br> ok<>", "|see ID:xyz <br> ok"},
      // A trip in the name and tags in the mail field must not shift the fields.
      {"Name </b>\x81\x9Ftrip<b><>m<i>x</i><>d ID:q<>b<>", "q|b"},
      {"n<>m<>d<", "incomplete|"},
      {"name<>mail<>date", "incomplete|"},
      {"", "incomplete|"},
  };
  for (const auto& [line, expected] : cases) {
    const DatLine fields = splitDatLine(line);
    EXPECT_EQ((fields.complete ? "" : "incomplete") + std::string(fields.id) + "|" +
                  std::string(fields.body),
              expected);
  }
}

}  // namespace vexa
