#pragma once

#include <cstdint>

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

// Removes leading spaces and tabs and trailing spaces, tabs, CRs and LFs, in place.
void trimInPlace(char* text);

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
