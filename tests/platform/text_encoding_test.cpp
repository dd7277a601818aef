#include "platform/text_encoding.h"

#include <gtest/gtest.h>

#include <string>

namespace vexa::platform {
namespace {

struct Case {
  const char* name;
  std::string from;
  std::string to;
};

const std::string kFffd = "\xEF\xBF\xBD";

TEST(TextEncoding, ConvertsBothWays) {
  // Byte values worked out from the CP932 code table.
  const Case pairs[] = {
      {"ascii", "abc 123", "abc 123"},
      {"board title", "\x83\x7A\x83\x8D\x83\x81\x83\x4C", "ホロメキ"},
      {"wave dash", "\x81\x60", "～"},
      {"circled one", "\x87\x40", "①"},
      {"fullwidth yen", "\x81\x8F", "￥"},
      {"fullwidth minus", "\x81\x7C", "－"},
      {"font face", "\x82\x6C\x82\x72\x20\x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E",
       "ＭＳ Ｐゴシック"},
      {"halfwidth katakana", "\xB1", "ｱ"},
      {"empty", "", ""},
  };
  for (const Case& c : pairs) {
    EXPECT_EQ(cp932ToUtf8(c.from), c.to) << c.name;
    EXPECT_EQ(utf8ToCp932(c.to), c.from) << c.name;
  }
}

TEST(TextEncoding, BadShiftJisBecomesReplacementAndGoesOn) {
  const Case cases[] = {
      {"cut at the end", "abc\x83", "abc" + kFffd},
      {"lead then space", "\x83 x", kFffd + " x"},
      {"unassigned row, ascii trail kept", "\x85\x40z", kFffd + "@z"},
      {"unassigned row, pair dropped", "\x85\x9Fz", kFffd + "z"},
      {"bad then good", "\x85\x9F\x83\x7A", kFffd + "ホ"},
      {"embedded nul passes", std::string("a\0b", 3), std::string("a\0b", 3)},
  };
  for (const Case& c : cases) EXPECT_EQ(cp932ToUtf8(c.from), c.to) << c.name;
}

TEST(TextEncoding, UnconvertibleUtf8BecomesQuestionMark) {
  const Case cases[] = {
      {"emoji", "a😀b", "a?b"},
      {"euro sign", "5€", "5?"},
      {"invalid byte", "a\xFF", "a?"},
      {"stray continuation", "a\x80", "a?"},
      {"cut at the end", "ホ\xE3\x83", "\x83\x7A?"},
      {"surrogate half", "\xED\xA0\x80", "?"},
      {"lead then ascii", "\xE3z", "?z"},
  };
  for (const Case& c : cases) EXPECT_EQ(utf8ToCp932(c.from), c.to) << c.name;
}

TEST(TextEncoding, LongTextCrossesInternalBuffers) {
  std::string cp932, utf8;
  for (int i = 0; i < 3000; ++i) {
    cp932 +=
        "\x83\x7A"
        "a\x87\x40";
    utf8 += "ホa①";
  }
  EXPECT_EQ(cp932ToUtf8(cp932), utf8);
  EXPECT_EQ(utf8ToCp932(utf8), cp932);
  // A bad pair deep inside must not stop the rest: 0x85 leads an unassigned row, so the pair
  // 85 83 goes and the 7A left of the piece's ホ reads as "z".
  cp932[3000] = '\x85';
  utf8.replace(600 * 7, 3, kFffd + "z");
  EXPECT_EQ(cp932ToUtf8(cp932), utf8);
}

}  // namespace
}  // namespace vexa::platform
