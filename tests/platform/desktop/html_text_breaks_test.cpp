#include "platform/desktop/html_text_breaks.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vexa::platform::desktop {
namespace {

// The pieces as strings, spaces written as "_" so a table reads at a glance.
std::vector<std::string> pieces(std::string_view text) {
  std::vector<std::string> out;
  splitTextForWrapping(text, [&](std::string_view piece, bool isSpace) {
    out.push_back(isSpace ? std::string("_") : std::string(piece));
  });
  return out;
}

TEST(TextBreaks, WordsAndSpaces) {
  struct Case {
    const char* name;
    const char* text;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {"empty", "", {}},
      {"an ASCII run stays one word", "internationalization", {"internationalization"}},
      {"spaces each on their own", "a  b", {"a", "_", "_", "b"}},
      {"tabs and line ends are spaces", "a\tb\r\nc", {"a", "_", "b", "_", "_", "c"}},
      {"every kana and kanji is a word", "今日は", {"今", "日", "は"}},
      {"katakana too (the main kanji block is not enough)", "カタカナ", {"カ", "タ", "カ", "ナ"}},
      {"half-width katakana wrap per character", "ﾊﾝｶｸ", {"ﾊ", "ﾝ", "ｶ", "ｸ"}},
      {"full-width letters", "ＡＢ", {"Ａ", "Ｂ"}},
      {"ASCII beside Japanese", "abcあdef", {"abc", "あ", "def"}},
      {"。 and 、 stay with the word before", "はい。いいえ、", {"は", "い。", "い", "い", "え、"}},
      {"closing brackets stay with the word before", "「また」って", {"「ま", "た」っ", "て"}},
      {"small kana and the long mark never start a line",
       "ちょっとラーメン",
       {"ちょっ", "と", "ラー", "メ", "ン"}},
      {"opening brackets stay with the word after", "あ『い』う", {"あ", "『い』", "う"}},
      {"a run of openers joins the next word", "「『（あ", {"「『（あ"}},
      {"half-width punctuation and small kana", "ｷﾀｰ｡｢ｯ", {"ｷ", "ﾀｰ｡", "｢ｯ"}},
      {"ASCII punctuation after Japanese keeps to it", "ね!? (笑)", {"ね!?", "_", "(笑)"}},
      {"iteration marks never start a line", "人々ゝ", {"人々ゝ"}},
      {"a line of closers only is one word", "。。。", {"。。。"}},
      {"characters above the basic plane", "😀😀", {"😀", "😀"}},
      {"the replacement character is wide",
       "a\xEF\xBF\xBD"
       "b",
       {"a", "\xEF\xBF\xBD", "b"}},
      {"malformed UTF-8 counts as narrow",
       "a\xE3\x81"
       "b",
       {"a\xE3\x81"
        "b"}},
      {"a lone continuation byte", "\x80\x80", {"\x80\x80"}},
      {"an overlong line end is no space",
       "a\xC0\x8A"
       "b",
       {"a\xC0\x8A"
        "b"}},
      {"an overlong kana is no kana",
       "\xF0\x83\x81\x82\xF0\x83\x81\x82",
       {"\xF0\x83\x81\x82\xF0\x83\x81\x82"}},
      {"an encoded surrogate", "\xED\xA0\x80\xED\xA0\x80", {"\xED\xA0\x80\xED\xA0\x80"}},
  };
  for (const Case& c : cases) EXPECT_EQ(pieces(c.text), c.expected) << c.name;
}

TEST(TextBreaks, ThePiecesGiveTheTextBack) {
  const std::string texts[] = {
      "今日の配信は最高でした。みんなありがとう！「また来週」って言ってたね。",
      "ｷﾀ━━━━(ﾟ∀ﾟ)━━━━!! ﾊﾝｶｸｶﾀｶﾅ",
      "mms://example.com/live を見てる人いる？ ｗｗｗ",
      std::string("\xFF\xFE\x00\x01", 4) + "あ\xC3",
  };
  for (const std::string& text : texts) {
    std::string joined;
    splitTextForWrapping(text, [&](std::string_view piece, bool) { joined += piece; });
    EXPECT_EQ(joined, text);
  }
}

TEST(TextBreaks, AHugeRunIsOnePassAndOnePiece) {
  // A hostile page: a megabyte without a break opportunity, then one with one everywhere.
  const std::string ascii(1 << 20, 'x');
  size_t count = 0;
  splitTextForWrapping(ascii, [&](std::string_view piece, bool) {
    ++count;
    EXPECT_EQ(piece.size(), ascii.size());
  });
  EXPECT_EQ(count, 1u);
  std::string kana;
  for (int i = 0; i < 100000; ++i) kana += "あ";
  count = 0;
  splitTextForWrapping(kana, [&](std::string_view, bool) { ++count; });
  EXPECT_EQ(count, 100000u);
}

TEST(TextBreaks, LineRules) {
  for (char32_t c : {U'。', U'、', U'」', U'ー', U'っ', U'ｯ', U'ｰ', U'）', U'！', U')'}) {
    EXPECT_TRUE(mayNotStartLine(c)) << static_cast<uint32_t>(c);
    EXPECT_FALSE(mayNotEndLine(c)) << static_cast<uint32_t>(c);
  }
  for (char32_t c : {U'「', U'『', U'（', U'【', U'｢', U'“', U'('}) {
    EXPECT_TRUE(mayNotEndLine(c)) << static_cast<uint32_t>(c);
    EXPECT_FALSE(mayNotStartLine(c)) << static_cast<uint32_t>(c);
  }
  for (char32_t c : {U'あ', U'a', U'亜', U'ｱ', char32_t{0}}) {
    EXPECT_FALSE(mayNotStartLine(c)) << static_cast<uint32_t>(c);
    EXPECT_FALSE(mayNotEndLine(c)) << static_cast<uint32_t>(c);
  }
}

}  // namespace
}  // namespace vexa::platform::desktop
