#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vexa {

// One character read under normalisation: the code of its group's canonical form (or its own
// Shift_JIS code when no group holds it) and the bytes it took.
struct NormalisedChar {
  uint16_t code = 0;
  uint32_t length = 0;
};

// Reads the character at `position` so that full-width and half-width forms, letter case, small
// and large kana, and hiragana, katakana and half-width katakana (with a separate voiced mark)
// of the same sound give the same code. Never reads at or past `end`; at `end` it returns length
// 0. Pure function over constant data: any thread may call it.
NormalisedChar readNormalised(const char* position, const char* end);

inline constexpr size_t kNotFound = static_cast<size_t>(-1);

// The offset of the first character of `text` from which `word` follows under normalisation,
// or kNotFound. An empty word is found at 0.
size_t findNormalised(std::string_view text, std::string_view word);

}  // namespace vexa
