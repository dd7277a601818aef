#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "base/text_buffer.h"

namespace vexa {

// strnlen that accepts null (length 0).
uint32_t boundedLength(const char* text, uint32_t maxLength);

// Copies min(strnlen(source, maxLength), destinationSize - 1) bytes and a NUL; returns the
// bytes copied. With a null destination or size 0 it copies nothing and returns the size
// that would be needed (strnlen + 1).
uint32_t copyBounded(char* destination, uint32_t destinationSize, const char* source,
                     uint32_t maxLength);

// Inserts at `position` (kEnd = the end), never writing past destinationSize - 1 plus the NUL.
void insertBounded(char* destination, uint32_t destinationSize, uint32_t position,
                   const char* source, uint32_t maxLength);

// The trim family: the text without the blanks at its ends. trimBlanks drops leading spaces and
// tabs and trailing spaces, tabs, CRs and LFs (how the board's values and the filter text are
// trimmed); trimBlanksAndLineEnds drops all four on both sides (names of form fields, menu links
// and cookies); trimInPlace is trimBlanks on a NUL-terminated text.
std::string_view trimBlanks(std::string_view text);
std::string_view trimBlanksAndLineEnds(std::string_view text);
void trimInPlace(char* text);

// True when `prefix` occurs in `text` at `position` (exact bytes; a position past the end never
// matches).
bool startsWithAt(std::string_view text, size_t position, std::string_view prefix);

// The value of one hexadecimal digit (either case), or -1 for any other byte.
int hexDigitValue(char byte);

// Finds the next token of text[start..textEnd): blanks are skipped; a token opened by a double
// or single quote runs to the matching quote (kept only with keepQuotes); any other token ends
// at a blank or a quote. On true, start and end hold the token's offsets (end is one past its
// last byte); callers go on from end + 1. A start just past the text's NUL finds nothing, so that
// step is safe after the last token too.
bool nextToken(uint32_t& start, uint32_t& end, const char* text, uint32_t textEnd, bool keepQuotes);

// A NUL-separated list: strings each followed by one NUL, closed by an empty string.
void appendToList(TextBuffer& list, const char* text);
// The string after `current` in a NUL-separated list, or null at the closing empty string.
// Start with nextInList(list, nullptr).
const char* nextInList(const char* list, const char* current);

}  // namespace vexa
