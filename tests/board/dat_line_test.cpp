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
      // The ID ends at the first blank: a BE field or anything else after it is not part of it.
      {"n<>m<>2025/01/02(\x96\xd8) 03:04:05.67 ID:abcdEfGH0 BE:1234567890-2BP(1)<>b<>",
       "abcdEfGH0|b"},
      {"n<>m<>d ID:x\ty<>b<>", "x|b"},
      {"n<>m<>d ID: x<>b<>", "|b"},
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
