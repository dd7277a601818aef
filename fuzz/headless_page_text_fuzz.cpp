// A page as the terminal front end renders it, with any bytes: the text lines it makes must be
// valid UTF-8 without control characters, whatever the page holds.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "app/headless_page_text.h"

namespace {

// Checks UTF-8 well-formedness and the absence of C0 controls and DEL.
void checkLine(std::string_view line) {
  for (size_t i = 0; i < line.size();) {
    const unsigned char lead = static_cast<unsigned char>(line[i]);
    if (lead < 0x20 || lead == 0x7F) __builtin_trap();
    size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
    if (length == 0 || i + length > line.size()) __builtin_trap();
    for (size_t k = 1; k < length; ++k) {
      if ((static_cast<unsigned char>(line[i + k]) & 0xC0) != 0x80) __builtin_trap();
    }
    i += length;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view page(reinterpret_cast<const char*>(data), size);
  for (const std::string& line : vexa::pageTextLines(page)) checkLine(line);
  checkLine(vexa::statusText(page));
  return 0;
}
