#include "board/subject_line.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace vexa {

TEST(SubjectLineTest, ParsesKeyTitleAndCountAndIgnoresUnusableLines) {
  // Expected: "key|title|count", or "ignored".
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"1234567890.dat<>Live thread (123)", "1234567890.dat|Live thread|123"},
      {"1.dat<>x (y) z (7)", "1.dat|x (y) z|7"},
      {"1.dat<> (5)", "1.dat||5"},
      {"1.dat<>T (15abc)", "1.dat|T|15"},
      {"9.dat<>Big (4294967295)", "9.dat|Big|4294967295"},
      {"1.dat<|T (3)", "1.dat|T|3"},
      // Trail bytes 0x5C and 0x7C exist in Shift_JIS: the title is kept as bytes.
      {"5.dat<>\x83\x5C\x83\x74 \x95\x7C (42)", "5.dat|\x83\x5C\x83\x74 \x95\x7C|42"},
      // Today's lists put tabs before the count; a title keeps a " (" or tab of its own.
      {"1.dat<>Live\t\t(204)", "1.dat|Live|204"},
      {"1.dat<>A (b)\t(7)", "1.dat|A (b)|7"},
      {"1.dat<>A\tB\t(7) (8)", "1.dat|A\tB\t(7)|8"},
      {"1.dat<>\t(9)", "1.dat||9"},
      {"1.dat<>T\t (3)", "1.dat|T\t|3"},
      {"1.dat<>T\t(x)", "ignored"},
      {"1.dat<>T (0)", "ignored"},
      {"1.dat<>T (4294967296)", "ignored"},
      {"1.dat T (3)", "ignored"},
      {"1.dat<>T(3)", "ignored"},
      {"1.dat<>T (3) (x", "ignored"},
      {"1.dat<", "ignored"},
      {"1.dat< (3)", "ignored"},
      {"<>T (3)", "ignored"},
      {"1\".dat<>T (3)", "ignored"},
      {"../x<>T (3)", "ignored"},
  };
  for (const auto& [line, expected] : cases) {
    SubjectLine parsed;
    const bool ok = parseSubjectLine(line, parsed);
    EXPECT_EQ(ok ? std::string(parsed.key) + "|" + std::string(parsed.title) + "|" +
                       std::to_string(parsed.count)
                 : "ignored",
              expected);
  }
}

}  // namespace vexa
