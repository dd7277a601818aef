// Text of a hostile page as the post view splits it for wrapping: the pieces must give the text
// back, none may be empty, and every space piece is one white-space byte.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/desktop/html_text_breaks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::string joined;
  vexa::platform::desktop::splitTextForWrapping(text, [&](std::string_view piece, bool isSpace) {
    if (piece.empty()) __builtin_trap();
    if (isSpace && (piece.size() != 1 ||
                    std::string_view(" \t\r\n\f").find(piece[0]) == std::string_view::npos)) {
      __builtin_trap();
    }
    joined += piece;
  });
  if (joined != text) __builtin_trap();
  return 0;
}
