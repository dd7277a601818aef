#include "board/subject_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vexa {
namespace {

struct SubjectCase {
  const char* name;
  std::string line;
  bool ok;
  std::string key;
  std::string title;
  uint32_t count;
};

TEST(SubjectLineTest, ParsesKeyTitleAndCount) {
  const std::vector<SubjectCase> cases = {
      {"plain line", "1234567890.dat<>Live thread (123)", true, "1234567890.dat", "Live thread",
       123},
      {"title holding \" (\"", "1.dat<>A (b) (12)", true, "1.dat", "A (b)", 12},
      {"title holding \" (\" and \")\" after", "1.dat<>x (y) z (7)", true, "1.dat", "x (y) z", 7},
      {"empty title", "1.dat<> (5)", true, "1.dat", "", 5},
      {"count followed by text", "1.dat<>T (15abc)", true, "1.dat", "T", 15},
      {"count 1000", "9.dat<>Full (1000)", true, "9.dat", "Full", 1000},
      {"largest count", "9.dat<>Big (4294967295)", true, "9.dat", "Big", 4294967295u},
      {"separator not <> still skips two", "1.dat<|T (3)", true, "1.dat", "T", 3},
      {"count 0 is ignored", "1.dat<>T (0)", false, "", "", 0},
      {"no digits reads as 0", "1.dat<>T (abc)", false, "", "", 0},
      {"empty count", "1.dat<>T ()", false, "", "", 0},
      {"count past 32 bits", "1.dat<>T (4294967296)", false, "", "", 0},
      {"absurd count", "1.dat<>T (99999999999999999999999)", false, "", "", 0},
      {"no <", "1.dat T (3)", false, "", "", 0},
      {"no \" (\"", "1.dat<>T(3)", false, "", "", 0},
      {"no )", "1.dat<>T (3", false, "", "", 0},
      {"last \" (\" lacks )", "1.dat<>T (3) (x", false, "", "", 0},
      {"line ends at <", "1.dat<", false, "", "", 0},
      {"line ends after <>", "1.dat<>", false, "", "", 0},
      {"\" (\" inside the separator is not the title end", "1.dat< (3)", false, "", "", 0},
      {"empty line", "", false, "", "", 0},
      {"empty key", "<>T (3)", false, "", "", 0},
      {"key with a space", "1 2.dat<>T (3)", false, "", "", 0},
      {"key with a quote", "1\".dat<>T (3)", false, "", "", 0},
      {"key with a slash", "../x<>T (3)", false, "", "", 0},
      {"key with a high byte", "\x83\x7A.dat<>T (3)", false, "", "", 0},
  };
  for (const auto& c : cases) {
    SubjectLine parsed;
    ASSERT_EQ(parseSubjectLine(c.line, parsed), c.ok) << c.name;
    if (!c.ok) continue;
    EXPECT_EQ(parsed.key, c.key) << c.name;
    EXPECT_EQ(parsed.title, c.title) << c.name;
    EXPECT_EQ(parsed.count, c.count) << c.name;
  }
}

TEST(SubjectLineTest, KeepsShiftJisTitleBytesAsTheyAre) {
  // Trail bytes 0x28 ("(") do not exist in Shift_JIS, but 0x5C and 0x7C do: the title is bytes.
  const std::string title = "\x83\x5C\x83\x74\x83\x67 \x95\x5C";
  const std::string line = "5.dat<>" + title + " (42)";
  SubjectLine parsed;
  ASSERT_TRUE(parseSubjectLine(line, parsed));
  EXPECT_EQ(parsed.title, title);
  EXPECT_EQ(parsed.count, 42u);
}

}  // namespace
}  // namespace vexa
