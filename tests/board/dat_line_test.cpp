#include "board/dat_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vexa {
namespace {

struct DatCase {
  const char* name;
  std::string line;
  bool complete;
  std::string id;
  std::string body;
};

TEST(DatLineTest, SplitsIdAndBody) {
  const std::vector<DatCase> cases = {
      {"date with ID", "name<>sage<>2024/01/02 03:04:05.67 ID:abc<> hello <>title", true, "abc",
       " hello "},
      {"date without ID", "name<><>2024/01/02 03:04:05<>body text<>", true, "", "body text"},
      {"ID with + and /", "n<>m<>d ID:Ab+/9xYz0<>b<>", true, "Ab+/9xYz0", "b"},
      {"empty ID after ID:", "n<>m<>d ID:<>b<>", true, "", "b"},
      {"body without title separator", "n<>m<>d ID:x<>body to end", true, "x", "body to end"},
      {"body keeps its tags", "n<>m<>d<> a <br> <a href=\"x\">y</a> <>t", true, "",
       " a <br> <a href=\"x\">y</a> "},
      {"body ends at the first <>", "n<>m<>d<>a<>b<>c", true, "", "a"},
      {"line ends with the date separator", "n<>m<>d<>", true, "", ""},
      {"line ends inside the date separator", "n<>m<>d<", false, "", ""},
      {"date field holding a lone <", "n<>m<>a<b ID:z<>body<>", true, "z", "body"},
      {"ID: in the body of a post without ID", "n<>m<>date<>see ID:xyz <br> ok<>", true, "",
       "see ID:xyz <br> ok"},
      {"empty line", "", false, "", ""},
      {"one separator", "name<>mail", false, "", ""},
      {"two separators", "name<>mail<>date", false, "", ""},
      {"mail separator cut short", "n<>m<", false, "", ""},
      {"lone < are not separators", "a<b<c<d", false, "", ""},
      {"name with a trip in tags", "Name </b>\x81\x9Ftrip<b><>sage<>d ID:q<>b<>", true, "q", "b"},
      {"mail holding a tag", "n<>m<i>x</i><>d ID:r<>b<>", true, "r", "b"},
  };
  for (const auto& c : cases) {
    const DatLine fields = splitDatLine(c.line);
    EXPECT_EQ(fields.complete, c.complete) << c.name;
    EXPECT_EQ(fields.id, c.id) << c.name;
    EXPECT_EQ(fields.body, c.body) << c.name;
  }
}

}  // namespace
}  // namespace vexa
