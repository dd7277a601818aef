#include "view/normalising_reader.h"

#include <gtest/gtest.h>

#include <string_view>
#include <tuple>
#include <vector>

namespace vexa {
namespace {

// Shift_JIS bytes below are worked out from the CP932 code table by hand.
TEST(NormalisingReaderTest, ReadsOneCharacterAsItsCanonicalCode) {
  const std::vector<std::tuple<std::string_view, uint16_t, uint32_t>> cases = {
      {"Q", 0x71, 1},
      {"\x82\x79", 0x7A, 2},            // Ｚ
      {"\x81\x40", 0x20, 2},            // the full-width space
      {"\xB0", 0x2D, 1},                // ｰ
      {"\x81\x8F", 0x5C, 2},            // ￥
      {"\x83\x41", 0x82A0, 2},          // ア -> あ
      {"\xB1", 0x82A0, 1},              // ｱ -> あ
      {"\x82\x9F", 0x82A0, 2},          // ぁ -> あ
      {"\xAF", 0x82C2, 1},              // ｯ -> つ
      {"\xB6\xDE", 0x82AA, 2},          // ｶﾞ -> が, one character
      {"\xB6x", 0x82A9, 1},             // ｶ then something else -> か
      {"\xB6\xDF", 0x82A9, 1},          // ｶﾟ is no pair
      {"\xA9\xDE", 0x8394, 2},          // ｩﾞ -> ヴ
      {"\x83\xC7\x81\x4A", 0x82B6, 4},  // ι゛ -> じ
      {"\x83\xC7\xDE", 0x82B6, 3},      // ιﾞ -> じ
      {"\x83\xC7", 0x83C7, 2},          // ι alone
      {"\x88\x9F", 0x889F, 2},          // 亜, in no group
      {"\x83", 0x83, 1},                // a lone lead byte at the end
      {"\x83\x20", 0x83, 1},            // a lead byte with a bad trail byte
  };
  for (const auto& [bytes, code, length] : cases) {
    const NormalisedChar read = readNormalised(bytes.data(), bytes.data() + bytes.size());
    EXPECT_EQ(read.code, code) << std::hex << code;
    EXPECT_EQ(read.length, length) << std::hex << code;
  }
}

TEST(NormalisingReaderTest, NeverReadsPastTheEnd) {
  const char pair[] = "\xB6\xDE";
  EXPECT_EQ(readNormalised(pair, pair + 1).code, 0x82A9);  // only ｶ is inside
  const char iota[] = "\x83\xC7\x81\x4A";
  const NormalisedChar cut = readNormalised(iota, iota + 3);  // the mark is cut
  EXPECT_EQ(cut.code, 0x83C7);
  EXPECT_EQ(cut.length, 2u);
  EXPECT_EQ(readNormalised(pair, pair).length, 0u);
}

TEST(NormalisingReaderTest, FindsWordsUnderNormalisation) {
  const std::vector<std::tuple<std::string_view, std::string_view, size_t>> cases = {
      {"x\x82\xA0\x82\xA2", "\xB1\xB2", 1},          // ｱｲ in あい
      {"Live \x82\x60\x82\x61\x82\x62!", "abc", 5},  // abc in ＡＢＣ
      {"x\xB6\xDE", "\x83\x4B", 1},                  // ガ in ｶﾞ
      {"\xB6\xDE", "\x82\xA9", kNotFound},           // ｶﾞ holds no か
      {"\x83\x41", "a", kNotFound},                  // ア's trail byte is no "A"
      {"a\x81\x40z", "a z", 0},
      {"abab c", "ab c", 2},
      {"ab", "abc", kNotFound},
      {"abc", "", 0},
  };
  for (const auto& [text, word, position] : cases) {
    EXPECT_EQ(findNormalised(text, word), position) << word;
  }
}

}  // namespace
}  // namespace vexa
