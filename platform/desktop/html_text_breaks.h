#pragma once

#include <functional>
#include <string_view>

// Where text in the post view may wrap. Japanese has no spaces between words, so every character
// from U+1100 up (kana, kanji, full-width forms, half-width katakana) is a word of its own, while
// a run of narrower characters (ASCII, Latin) stays one word. A character that may not start a
// line (closing brackets, 。、, small kana, the prolonged sound mark) is kept with the word before
// it, and one that may not end a line (opening brackets) with the word after it.
namespace vexa::platform::desktop {

// One piece of the text: a word, or a single white-space character (where a line may break).
using TextPieceSink = std::function<void(std::string_view piece, bool isSpace)>;

// Splits UTF-8 text into words and spaces, in order; the pieces put together give the text back.
// One pass; bytes that are not valid UTF-8 count as narrow characters.
void splitTextForWrapping(std::string_view utf8, const TextPieceSink& sink);

// Whether a code point may not start a line, or may not end one.
bool mayNotStartLine(char32_t c);
bool mayNotEndLine(char32_t c);

}  // namespace vexa::platform::desktop
