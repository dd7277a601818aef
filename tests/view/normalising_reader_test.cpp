#include "view/normalising_reader.h"

#include <gtest/gtest.h>

#include <string_view>
#include <tuple>
#include <vector>

namespace vexa {

// Shift_JIS bytes below are worked out from the CP932 code table by hand.
TEST(NormalisingReaderTest, ReadsOneCharacterAsItsCanonicalCode) {
  const std::vector<std::tuple<std::string_view, uint16_t, uint32_t>> cases = {
      {"Q", 0x71, 1},                   // letters fold to lower case
      {"\x82\x79", 0x7A, 2},            // Ｚ
      {"\x81\x40", 0x20, 2},            // the full-width space
      {"\x81\x8F", 0x5C, 2},            // ￥
      {"\x83\x41", 0x82A0, 2},          // ア -> あ
      {"\xB1", 0x82A0, 1},              // ｱ -> あ
      {"\xAF", 0x82C2, 1},              // ｯ -> つ
      {"\xB6\xDE", 0x82AA, 2},          // ｶﾞ -> が, one character
      {"\xB6x", 0x82A9, 1},             // ｶ then something else -> か
      {"\xA9\xDE", 0x8394, 2},          // ｩﾞ -> ヴ
      {"\x83\xC7\x81\x4A", 0x82B6, 4},  // ι゛ -> じ
      {"\x83\xC7\xDE", 0x82B6, 3},      // ιﾞ -> じ
      {"\x88\x9F", 0x889F, 2},          // 亜, in no group
      {"\x83", 0x83, 1},                // a lone lead byte at the end
      // Nothing is read at or past the end: ｶﾞ and ι゛ cut short, and an empty text.
      {std::string_view("\xB6\xDE", 1), 0x82A9, 1},
      {std::string_view("\x83\xC7\x81\x4A", 3), 0x83C7, 2},
      {std::string_view("\xB6", 0), 0, 0},
  };
  for (const auto& [bytes, code, length] : cases) {
    const NormalisedChar read = readNormalised(bytes.data(), bytes.data() + bytes.size());
    EXPECT_EQ(read.code, code) << std::hex << code;
    EXPECT_EQ(read.length, length) << std::hex << code;
  }
}

TEST(NormalisingReaderTest, FindsWordsUnderNormalisation) {
  const std::vector<std::tuple<std::string_view, std::string_view, size_t>> cases = {
      {"x\xB6\xDE", "\x83\x4B", 1},         // ガ in ｶﾞ
      {"\xB6\xDE", "\x82\xA9", kNotFound},  // ｶﾞ holds no か
      {"\x83\x41", "a", kNotFound},         // ア's trail byte is no "A"
      {"a\x81\x40z", "a z", 0},
      {"abab c", "ab c", 2},
      {"abc", "", 0},
  };
  for (const auto& [text, word, position] : cases) {
    EXPECT_EQ(findNormalised(text, word), position) << word;
  }
}

}  // namespace vexa
