#pragma once

#include <cstddef>
#include <string>

#include "platform/text_encoding.h"

namespace vexa {

// A string literal as a template argument.
template <size_t N>
struct FixedString {
  constexpr FixedString(const char (&text)[N]) {
    for (size_t i = 0; i < N; ++i) bytes[i] = text[i];
  }
  char bytes[N];
};

// "スレ検索"_sjis: the CP932 bytes of a literal written in UTF-8. Each literal is converted
// once, on first use, and kept for the life of the process (never destroyed, so text used
// during shutdown stays valid).
template <FixedString Text>
const char* operator""_sjis() {
  static const std::string* const converted =
      new std::string(platform::utf8ToCp932({Text.bytes, sizeof(Text.bytes) - 1}));
  return converted->c_str();
}

}  // namespace vexa
