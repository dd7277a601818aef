#include "media/stream_address.h"

namespace vexa::media {
namespace {

bool IsControl(unsigned char c) {
  return c < 0x20 || c == 0x7f;
}

bool IsSchemeChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '+' ||
         c == '-' || c == '.';
}

// Length of "scheme" when the text starts with "scheme://", else 0.
size_t SchemeLength(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && IsSchemeChar(text[i])) ++i;
  if (i == 0 || !((text[0] >= 'a' && text[0] <= 'z') || (text[0] >= 'A' && text[0] <= 'Z'))) {
    return 0;
  }
  return text.substr(i, 3) == "://" ? i : 0;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view lower) {
  if (a.size() != lower.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char c = a[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != lower[i]) return false;
  }
  return true;
}

}  // namespace

std::string PlayerAddress(std::string_view utf8) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(utf8.size());
  bool network = SchemeLength(utf8) != 0;
  for (char ch : utf8) {
    auto c = static_cast<unsigned char>(ch);
    if (network && (c <= 0x20 || c >= 0x7f)) {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    } else if (!IsControl(c)) {
      out += ch;
    }
  }
  return out;
}

std::string HttpRetryAddress(std::string_view address) {
  size_t scheme = SchemeLength(address);
  if (scheme == 0 || !EqualsIgnoringCase(address.substr(0, scheme), "mms")) return {};
  std::string out = "http";
  out.append(address.substr(scheme));
  return out;
}

std::string OneLineReason(std::string_view text, size_t limit) {
  std::string out;
  bool pendingSpace = false;
  for (char ch : text) {
    auto c = static_cast<unsigned char>(ch);
    if (c == ' ' || IsControl(c)) {
      pendingSpace = !out.empty();
      continue;
    }
    if (pendingSpace) {
      out += ' ';
      pendingSpace = false;
    }
    out += ch;
    if (out.size() > limit) break;
  }
  if (out.size() > limit) {
    size_t cut = limit;
    // Back off to the start of a UTF-8 sequence.
    while (cut > 0 && (static_cast<unsigned char>(out[cut]) & 0xC0) == 0x80) --cut;
    out.resize(cut);
    while (!out.empty() && out.back() == ' ') out.pop_back();
  }
  return out;
}

}  // namespace vexa::media
