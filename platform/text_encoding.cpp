#include "platform/text_encoding.h"
#include "platform/sjis_char.h"

#include <errno.h>
#include <iconv.h>

#include <cstdint>

namespace vexa::platform {

namespace {

const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);
constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

// One converter per direction and thread: opening one loads tables, and a converter keeps
// shift state, so it must not be shared between threads.
class Converter {
 public:
  Converter(const char* to, const char* from) : handle_(iconv_open(to, from)) {}
  ~Converter() {
    if (handle_ != kNoConverter) iconv_close(handle_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  bool usable() const { return handle_ != kNoConverter; }

  // Converts as much as it can, appending to `out`. Returns 0 when all input was used, or the
  // errno that stopped it (EILSEQ at a bad sequence, EINVAL at a cut one at the end); `input`
  // then points at the byte that stopped it.
  int convert(std::string_view& input, std::string& out) {
    char buffer[1024];
    char* in = const_cast<char*>(input.data());
    size_t inLeft = input.size();
    int error = 0;
    while (inLeft > 0) {
      char* outPointer = buffer;
      size_t outLeft = sizeof buffer;
      size_t result = iconv(handle_, &in, &inLeft, &outPointer, &outLeft);
      out.append(buffer, static_cast<size_t>(outPointer - buffer));
      if (result != static_cast<size_t>(-1)) continue;
      if (errno == E2BIG) continue;
      error = errno;
      break;
    }
    iconv(handle_, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
    input = std::string_view(in, inLeft);
    return error;
  }

 private:
  iconv_t handle_;
};

// Bytes of the malformed or unmappable UTF-8 sequence at the start of `text` to skip as one.
size_t utf8SequenceLength(std::string_view text) {
  unsigned char lead = static_cast<unsigned char>(text[0]);
  size_t expected = lead >= 0xF0 && lead <= 0xF4   ? 4
                    : lead >= 0xE0 && lead <= 0xEF ? 3
                    : lead >= 0xC2 && lead <= 0xDF ? 2
                                                   : 1;
  size_t length = 1;
  while (length < expected && length < text.size() &&
         (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) {
    ++length;
  }
  return length;
}

}  // namespace

std::string cp932ToUtf8(std::string_view text) {
  thread_local Converter converter("UTF-8", "CP932");
  std::string out;
  out.reserve(text.size() + text.size() / 2);
  while (!text.empty()) {
    int error = converter.usable() ? converter.convert(text, out) : EILSEQ;
    if (error == 0) break;
    if (error == EINVAL) {
      out += kReplacement;  // a lead byte cut off at the end
      break;
    }
    if (error != EILSEQ) {
      out += kReplacement;
      break;
    }
    unsigned char byte = static_cast<unsigned char>(text[0]);
    if (!converter.usable() && byte < 0x80) {
      out += static_cast<char>(byte);
      text.remove_prefix(1);
      continue;
    }
    out += kReplacement;
    // An unmapped pair is one character, but an ASCII byte after a lead byte is kept: it is
    // more likely a broken lead than a trail.
    bool pair = text.size() >= 2 && static_cast<unsigned char>(text[1]) >= 0x80 &&
                sjisCharLength(text) == 2;
    text.remove_prefix(pair ? 2 : 1);
  }
  return out;
}

std::string utf8ToCp932(std::string_view text) {
  thread_local Converter converter("CP932", "UTF-8");
  std::string out;
  out.reserve(text.size());
  while (!text.empty()) {
    int error = converter.usable() ? converter.convert(text, out) : EILSEQ;
    if (error == 0) break;
    if (error != EILSEQ) {
      out += '?';  // a sequence cut off at the end
      break;
    }
    if (!converter.usable() && static_cast<unsigned char>(text[0]) < 0x80) {
      out += text[0];
      text.remove_prefix(1);
      continue;
    }
    out += '?';
    text.remove_prefix(utf8SequenceLength(text));
  }
  return out;
}

}  // namespace vexa::platform
