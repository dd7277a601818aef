#include "platform/desktop/html_text_breaks.h"

#include <algorithm>
#include <array>

namespace vexa::platform::desktop {

namespace {

// Sorted, for binary search.
constexpr auto kNoStart = [] {
  auto list = std::to_array<char32_t>(
      {// ASCII
       U'!', U')', U',', U'.', U':', U';', U'?', U']', U'}',
       // Japanese punctuation and brackets
       U'、', U'。', U'〉', U'》', U'」', U'』', U'】', U'〕', U'〗', U'〙', U'〟', U'’', U'”',
       U'ゝ', U'ゞ', U'ヽ', U'ヾ', U'々', U'ー', U'・', U'゛', U'゜',
       // small kana
       U'ぁ', U'ぃ', U'ぅ', U'ぇ', U'ぉ', U'っ', U'ゃ', U'ゅ', U'ょ', U'ゎ', U'ァ', U'ィ', U'ゥ',
       U'ェ', U'ォ', U'ッ', U'ャ', U'ュ', U'ョ', U'ヮ', U'ヵ', U'ヶ',
       // full-width forms
       U'！', U'）', U'，', U'．', U'：', U'；', U'？', U'］', U'｝',
       // half-width forms
       U'｡', U'｣', U'､', U'･', U'ｧ', U'ｨ', U'ｩ', U'ｪ', U'ｫ', U'ｬ', U'ｭ', U'ｮ', U'ｯ', U'ｰ', U'ﾞ',
       U'ﾟ'});
  std::sort(list.begin(), list.end());
  return list;
}();

constexpr auto kNoEnd = [] {
  auto list = std::to_array<char32_t>({U'(', U'[', U'{', U'「', U'『', U'（', U'［', U'｛', U'〔',
                                       U'〈', U'《', U'【', U'〘', U'〖', U'〝', U'‘', U'“', U'｢'});
  std::sort(list.begin(), list.end());
  return list;
}();

bool isSpace(char32_t c) {
  return c == U' ' || c == U'\t' || c == U'\n' || c == U'\r' || c == U'\f';
}

// From here up every character is a word of its own.
constexpr char32_t kFirstWide = 0x1100;

struct Decoded {
  char32_t c = 0;
  size_t length = 1;
};

// One UTF-8 character; a malformed sequence gives its first byte alone (as a narrow character).
Decoded decode(std::string_view text, size_t at) {
  const unsigned char b0 = static_cast<unsigned char>(text[at]);
  if (b0 < 0x80) return {b0, 1};
  size_t length = 0;
  char32_t c = 0;
  if ((b0 & 0xE0) == 0xC0) {
    length = 2;
    c = b0 & 0x1F;
  } else if ((b0 & 0xF0) == 0xE0) {
    length = 3;
    c = b0 & 0x0F;
  } else if ((b0 & 0xF8) == 0xF0) {
    length = 4;
    c = b0 & 0x07;
  } else {
    return {b0, 1};
  }
  if (at + length > text.size()) return {b0, 1};
  for (size_t i = 1; i < length; ++i) {
    const unsigned char b = static_cast<unsigned char>(text[at + i]);
    if ((b & 0xC0) != 0x80) return {b0, 1};
    c = c << 6 | (b & 0x3F);
  }
  // Overlong forms (an encoded line end must not pass for one), surrogates and values past
  // U+10FFFF are malformed too.
  constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
  if (c < kLeast[length] || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) return {b0, 1};
  return {c, length};
}

}  // namespace

bool mayNotStartLine(char32_t c) {
  return std::binary_search(kNoStart.begin(), kNoStart.end(), c);
}

bool mayNotEndLine(char32_t c) {
  return std::binary_search(kNoEnd.begin(), kNoEnd.end(), c);
}

void splitTextForWrapping(std::string_view text, const TextPieceSink& sink) {
  // The word being gathered is text[wordBegin, at); `lastChar` is its last character.
  size_t wordBegin = 0;
  size_t at = 0;
  char32_t lastChar = 0;
  bool lastWide = false;
  auto flush = [&] {
    if (at > wordBegin) sink(text.substr(wordBegin, at - wordBegin), false);
    wordBegin = at;
  };
  while (at < text.size()) {
    const Decoded d = decode(text, at);
    if (isSpace(d.c)) {
      flush();
      sink(text.substr(at, d.length), true);
      at += d.length;
      wordBegin = at;
      continue;
    }
    const bool wide = d.c >= kFirstWide;
    const bool inWord = at > wordBegin;
    // A line may break here unless both sides are narrow (one run), or a rule keeps them together.
    const bool breakHere =
        inWord && (wide || lastWide) && !mayNotStartLine(d.c) && !mayNotEndLine(lastChar);
    if (breakHere) flush();
    at += d.length;
    lastChar = d.c;
    lastWide = wide;
  }
  flush();
}

}  // namespace vexa::platform::desktop
