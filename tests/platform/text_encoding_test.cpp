#include "platform/text_encoding.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace vexa::platform {
namespace {

using Pair = std::pair<std::string, std::string>;
const std::string kFffd = "\xEF\xBF\xBD";

TEST(TextEncoding, ConvertsBothWays) {
  // CP932 bytes worked out from the code table, and their UTF-8.
  const Pair pairs[] = {
      {"abc 123", "abc 123"},
      {"\x83\x7A\x83\x8D\x83\x81\x83\x4C", "ホロメキ"},
      {"\x81\x60\x87\x40\x81\x8F\x81\x7C\x81\x61", "～①￥－∥"},
      {"\x82\x6C\x82\x72\x20\x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E", "ＭＳ Ｐゴシック"},
      {"\xB1", "ｱ"},
  };
  for (const auto& [cp932, utf8] : pairs) {
    EXPECT_EQ(cp932ToUtf8(cp932), utf8);
    EXPECT_EQ(utf8ToCp932(utf8), cp932);
  }
}

TEST(TextEncoding, BadInputIsReplacedAndTheRestGoesOn) {
  const Pair shiftJis[] = {
      {"abc\x83", "abc" + kFffd},          // cut at the end
      {"\x83 x", kFffd + " x"},            // lead byte, then a space
      {"\x85\x40z", kFffd + "@z"},         // unassigned row: an ASCII trail is kept
      {"\x85\x9F\x83\x7A", kFffd + "ホ"},  // unassigned row: a pair goes as one
      {std::string("a\0b", 3), std::string("a\0b", 3)},
  };
  for (const auto& [cp932, utf8] : shiftJis) EXPECT_EQ(cp932ToUtf8(cp932), utf8);
  const Pair utf8[] = {
      {"a😀b 5€", "a?b 5?"},          // not in CP932
      {"a\xFF\x80", "a??"},          // an invalid byte, a stray continuation
      {"\xED\xA0\x80\xE3z", "??z"},  // a surrogate half, a lead byte before ASCII
      {"ホ\xE3\x83", "\x83\x7A?"},   // cut at the end
  };
  for (const auto& [text, cp932] : utf8) EXPECT_EQ(utf8ToCp932(text), cp932) << text;
  // Long text crosses the converter's internal buffers; a bad pair deep inside must not stop
  // the rest: 85 83 goes, and the 7A left of the piece's ホ reads as "z".
  std::string cp932, text;
  for (int i = 0; i < 3000; ++i) {
    cp932 += "\x83\x7A\x61\x87\x40";
    text += "ホa①";
  }
  EXPECT_EQ(utf8ToCp932(text), cp932);
  cp932[3000] = '\x85';
  text.replace(600 * 7, 3, kFffd + "z");
  EXPECT_EQ(cp932ToUtf8(cp932), text);
}

}  // namespace
}  // namespace vexa::platform
