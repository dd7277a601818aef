#include "platform/text_encoding.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

namespace vexa::platform {
namespace {

// Byte values worked out from the CP932 code table.
struct Pair {
  const char* name;
  std::string cp932;
  std::string utf8;
};

const Pair kPairs[] = {
    {"ascii", "abc 123", "abc 123"},
    {"katakana ho", "\x83\x7A", "ホ"},
    {"board title", "\x83\x7A\x83\x8D\x83\x81\x83\x4C", "ホロメキ"},
    {"search button", "\x83\x58\x83\x8C", "スレ"},
    {"hiragana a", "\x82\xA0", "あ"},
    {"wave dash", "\x81\x60", "～"},
    {"circled one", "\x87\x40", "①"},
    {"fullwidth yen", "\x81\x8F", "￥"},
    {"fullwidth minus", "\x81\x7C", "－"},
    {"parallel", "\x81\x61", "∥"},
    {"font face", "\x82\x6C\x82\x72\x20\x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E",
     "ＭＳ Ｐゴシック"},
    {"halfwidth katakana", "\xB1", "ｱ"},
    {"mixed", "ID:\x83\x7A 1", "ID:ホ 1"},
    {"empty", "", ""},
};

TEST(TextEncoding, ConvertsBothWays) {
  for (const Pair& p : kPairs) {
    EXPECT_EQ(cp932ToUtf8(p.cp932), p.utf8) << p.name;
    EXPECT_EQ(utf8ToCp932(p.utf8), p.cp932) << p.name;
  }
}

TEST(TextEncoding, BadShiftJisBecomesReplacementAndGoesOn) {
  const std::string kFffd = "\xEF\xBF\xBD";
  struct Case {
    const char* name;
    std::string cp932;
    std::string utf8;
  };
  const Case cases[] = {
      {"cut at the end", "abc\x83", "abc" + kFffd},
      {"lead then space", "\x83 x", kFffd + " x"},
      {"lead then newline", "\x83\nx", kFffd + "\nx"},
      {"unassigned row, ascii trail kept", "\x85\x40z", kFffd + "@z"},
      {"unassigned row, pair dropped", "\x85\x9Fz", kFffd + "z"},
      {"two cut pieces", "\x83\x7A\x83", "ホ" + kFffd},
      {"bad then good", "\x85\x9F\x83\x7A", kFffd + "ホ"},
      {"embedded nul passes", std::string("a\0b", 3), std::string("a\0b", 3)},
  };
  for (const Case& c : cases) EXPECT_EQ(cp932ToUtf8(c.cp932), c.utf8) << c.name;
}

TEST(TextEncoding, UnconvertibleUtf8BecomesQuestionMark) {
  struct Case {
    const char* name;
    std::string utf8;
    std::string cp932;
  };
  const Case cases[] = {
      {"emoji", "a😀b", "a?b"},
      {"euro sign", "5€", "5?"},
      {"invalid byte",
       "a\xFF"
       "b",
       "a?b"},
      {"stray continuation",
       "a\x80"
       "b",
       "a?b"},
      {"cut at the end", "ホ\xE3\x83", "\x83\x7A?"},
      {"surrogate half",
       "a\xED\xA0\x80"
       "b",
       "a?b"},
      {"lead then ascii",
       "\xE3"
       "ab",
       "?ab"},
  };
  for (const Case& c : cases) EXPECT_EQ(utf8ToCp932(c.utf8), c.cp932) << c.name;
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
  // A bad byte deep inside must not stop the rest.
  std::string broken = cp932;
  broken[3000] = '\x85';  // each piece is 5 bytes: a lead byte of an unassigned row before "z"
  std::string converted = cp932ToUtf8(broken);
  EXPECT_EQ(converted.substr(converted.size() - 4), "a①");
  EXPECT_EQ(converted.find("\xEF\xBF\xBD"), 600 * 7u);
  EXPECT_EQ(converted.size(), utf8.size() - 3 + 3 + 1) << "one character became U+FFFD and z";
}

TEST(TextEncoding, WorksOnOtherThreads) {
  std::string seen;
  std::thread worker([&] { seen = utf8ToCp932("ホ"); });
  worker.join();
  EXPECT_EQ(seen, "\x83\x7A");
}

}  // namespace
}  // namespace vexa::platform
