#include "view/normalising_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace vexa {
namespace {

// Shift_JIS bytes below are worked out from the CP932 code table by hand.
struct ReadCase {
  const char* name;
  std::string_view bytes;
  uint16_t code;
  uint32_t length;
};

class ReadNormalisedTest : public testing::TestWithParam<ReadCase> {};

TEST_P(ReadNormalisedTest, ReadsOneCharacter) {
  const ReadCase& c = GetParam();
  NormalisedChar read = readNormalised(c.bytes.data(), c.bytes.data() + c.bytes.size());
  EXPECT_EQ(read.code, c.code);
  EXPECT_EQ(read.length, c.length);
}

INSTANTIATE_TEST_SUITE_P(
    Widths, ReadNormalisedTest,
    testing::Values(ReadCase{"LowerAscii", "a", 0x61, 1}, ReadCase{"UpperAscii", "Q", 0x71, 1},
                    ReadCase{"WideLower", "\x82\x81", 0x61, 2},  // ａ
                    ReadCase{"WideUpper", "\x82\x79", 0x7A, 2},  // Ｚ
                    ReadCase{"WideDigit", "\x82\x4F", 0x30, 2},  // ０
                    ReadCase{"Space", " ", 0x20, 1}, ReadCase{"WideSpace", "\x81\x40", 0x20, 2},
                    ReadCase{"WideHyphen", "\x81\x7C", 0x2D, 2},        // －
                    ReadCase{"HalfProlonged", "\xB0", 0x2D, 1},         // ｰ
                    ReadCase{"WideProlonged", "\x81\x5B", 0x2D, 2},     // ー
                    ReadCase{"WideTilde", "\x81\x60", 0x7E, 2},         // ～
                    ReadCase{"YenIsBackslash", "\x81\x8F", 0x5C, 2},    // ￥
                    ReadCase{"RightDoubleQuote", "\x81\x68", 0x22, 2},  // ”
                    ReadCase{"LeftSingleQuote", "\x81\x65", 0x60, 2}),  // ‘
    [](const testing::TestParamInfo<ReadCase>& info) { return info.param.name; });

INSTANTIATE_TEST_SUITE_P(
    Kana, ReadNormalisedTest,
    testing::Values(ReadCase{"Hiragana", "\x82\xA0", 0x82A0, 2},             // あ
                    ReadCase{"Katakana", "\x83\x41", 0x82A0, 2},             // ア
                    ReadCase{"HalfWidth", "\xB1", 0x82A0, 1},                // ｱ
                    ReadCase{"SmallHiragana", "\x82\x9F", 0x82A0, 2},        // ぁ
                    ReadCase{"SmallHalfWidthTsu", "\xAF", 0x82C2, 1},        // ｯ -> つ
                    ReadCase{"HalfVoicedPairIsOne", "\xB6\xDE", 0x82AA, 2},  // ｶﾞ -> が
                    ReadCase{"HalfKaAlone", "\xB6", 0x82A9, 1},              // ｶ -> か
                    ReadCase{"HalfKaThenOther", "\xB6x", 0x82A9, 1},
                    ReadCase{"HalfKaSemiVoicedNotAPair", "\xB6\xDF", 0x82A9, 1},  // ｶﾟ
                    ReadCase{"HalfHaSemiVoiced", "\xCA\xDF", 0x82CF, 2},          // ﾊﾟ -> ぱ
                    ReadCase{"KatakanaVu", "\x83\x94", 0x8394, 2},                // ヴ
                    ReadCase{"HalfVu", "\xB3\xDE", 0x8394, 2},                    // ｳﾞ
                    ReadCase{"SmallHalfVu", "\xA9\xDE", 0x8394, 2},               // ｩﾞ
                    ReadCase{"IotaWideMarkIsJi", "\x83\xC7\x81\x4A", 0x82B6, 4},  // ι゛
                    ReadCase{"IotaHalfMarkIsJi", "\x83\xC7\xDE", 0x82B6, 3},      // ιﾞ
                    ReadCase{"IotaAlone", "\x83\xC7", 0x83C7, 2},
                    ReadCase{"SmallWa", "\x82\xEC", 0x82ED, 2},  // ゎ -> わ
                    ReadCase{"HalfN", "\xDD", 0x82F1, 1}),       // ﾝ -> ん
    [](const testing::TestParamInfo<ReadCase>& info) { return info.param.name; });

INSTANTIATE_TEST_SUITE_P(
    Others, ReadNormalisedTest,
    testing::Values(ReadCase{"KanjiOutsideTable", "\x88\x9F", 0x889F, 2},  // 亜
                    ReadCase{"LoneLeadAtEnd", "\x83", 0x83, 1},
                    ReadCase{"LeadWithBadTrail", "\x83\x20", 0x83, 1},
                    ReadCase{"ByteAbove7F", "\x80", 0x80, 1},
                    ReadCase{"ControlByte", "\x01", 0x01, 1},
                    ReadCase{"Nul", std::string_view("\0", 1), 0x00, 1}),
    [](const testing::TestParamInfo<ReadCase>& info) { return info.param.name; });

TEST(ReadNormalisedBoundsTest, NeverReadsPastTheEnd) {
  const char text[] = "\xB6\xDE";
  NormalisedChar cut = readNormalised(text, text + 1);  // only ｶ is inside
  EXPECT_EQ(cut.code, 0x82A9);
  EXPECT_EQ(cut.length, 1u);
  const char wide[] = "\x83\xC7\x81\x4A";
  NormalisedChar iota = readNormalised(wide, wide + 3);  // the mark is cut
  EXPECT_EQ(iota.code, 0x83C7);
  EXPECT_EQ(iota.length, 2u);
  EXPECT_EQ(readNormalised(text, text).length, 0u);
}

struct FindCase {
  const char* name;
  std::string_view text;
  std::string_view word;
  size_t position;
};

class FindNormalisedTest : public testing::TestWithParam<FindCase> {};

TEST_P(FindNormalisedTest, Finds) {
  const FindCase& c = GetParam();
  EXPECT_EQ(findNormalised(c.text, c.word), c.position);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FindNormalisedTest,
    testing::Values(
        FindCase{"HalfKatakanaWordInHiragana", "x\x82\xA0\x82\xA2", "\xB1\xB2", 1},  // ｱｲ in あい
        FindCase{"HiraganaWordInHalfKatakana", "\xB1\xB2\xB3", "\x82\xA2\x82\xA4", 1},
        FindCase{"WideCapitalsMatchAscii", "Live \x82\x60\x82\x61\x82\x62!", "abc", 5},  // ＡＢＣ
        FindCase{"AsciiMatchesWideLower", "\x82\x81\x82\x82", "AB", 0},                  // ａｂ
        FindCase{"VoicedPairMatchesGa", "\x82\xAA", "\xB6\xDE", 0},
        FindCase{"GaMatchesVoicedPair", "x\xB6\xDE", "\x83\x4B", 1},  // ガ
        // ｶﾞ is one character (が), so it does not contain か.
        FindCase{"VoicedPairIsNotKa", "\xB6\xDE", "\x82\xA9", kNotFound},
        FindCase{"KaBeforeOther", "\xB6x", "\x82\xA9x", 0},
        // ア is 0x83 0x41: its trail byte is no "A".
        FindCase{"NoMatchInsideACharacter", "\x83\x41", "a", kNotFound},
        FindCase{"IotaMarkMatchesJi", "\x83\xC7\x81\x4A", "\x82\xB6", 0},
        FindCase{"WideSpaceMatchesSpace",
                 "a\x81\x40"
                 "b",
                 "a b", 0},
        FindCase{"Overlap", "aab", "ab", 1}, FindCase{"SecondStartMatches", "abab c", "ab c", 2},
        FindCase{"WordLongerThanText", "ab", "abc", kNotFound}, FindCase{"EmptyWord", "abc", "", 0},
        FindCase{"EmptyText", "", "a", kNotFound},
        FindCase{"Absent", "\x82\xA0\x82\xA2", "\x82\xA4", kNotFound}),
    [](const testing::TestParamInfo<FindCase>& info) { return info.param.name; });

TEST(NormalisationTableTest, StoredAsNulSeparatedGroups) {
  std::string_view table = normalisationTable();
  // 143 groups holding 443 strings, each group closed by an empty string, then one more.
  uint32_t groups = 0;
  uint32_t strings = 0;
  bool lastWasEmpty = false;
  size_t position = 0;
  for (;;) {
    ASSERT_LT(position, table.size());
    size_t end = table.find('\0', position);
    ASSERT_NE(end, std::string_view::npos);
    bool empty = end == position;
    position = end + 1;
    if (empty && lastWasEmpty) break;  // the second empty string in a row ends the table
    if (empty)
      ++groups;
    else
      ++strings;
    lastWasEmpty = empty;
  }
  EXPECT_EQ(groups, 143u);
  EXPECT_EQ(strings, 443u);
  EXPECT_EQ(position, table.size());
  EXPECT_EQ(normalisationGroupCount(), 143u);
  // The first group: the space, then the full-width space.
  EXPECT_EQ(table.substr(0, 5), std::string_view(" \0\x81\x40\0", 5));
}

TEST(NormalisationTableTest, EveryMemberReadsAsItsCanonicalForm) {
  std::string_view table = normalisationTable();
  size_t position = 0;
  bool groupStart = true;
  uint16_t canonical = 0;
  while (position < table.size()) {
    size_t end = table.find('\0', position);
    std::string_view member = table.substr(position, end - position);
    position = end + 1;
    if (member.empty()) {
      if (groupStart) break;
      groupStart = true;
      continue;
    }
    NormalisedChar read = readNormalised(member.data(), member.data() + member.size());
    if (groupStart) {
      canonical = read.code;
      groupStart = false;
    }
    EXPECT_EQ(read.code, canonical);
    EXPECT_EQ(read.length, member.size());
  }
}

}  // namespace
}  // namespace vexa
