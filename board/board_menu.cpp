#include "board/board_menu.h"

#include "base/text_functions.h"
#include "board/url_split.h"

namespace vexa {

namespace {

bool isRequestSafe(std::string_view text) {
  for (const char c : text) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (byte <= 0x20 || byte >= 0x7F) return false;
    if (c == '"' || c == '\'' || c == '<' || c == '>') return false;
  }
  return true;
}

// An explicit port must be a number a socket can use; no port means 80.
bool isUsablePort(const UrlParts& parts) {
  if (parts.hostAndPort.size() == parts.host.size()) return true;
  if (parts.port.empty() || parts.port.size() > 5) return false;
  unsigned value = 0;
  for (const char c : parts.port) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  return value >= 1 && value <= 65535;
}

}  // namespace

MenuLinkResult findBoardLink(std::string_view menu, std::string_view title,
                             std::string_view& link) {
  link = {};
  const size_t found = menu.find(title);
  if (found == std::string_view::npos) return MenuLinkResult::TitleMissing;
  const size_t tagEnd = menu.rfind('>', found == 0 ? 0 : found - 1);
  if (found == 0 || tagEnd == std::string_view::npos) return MenuLinkResult::AddressMissing;
  if (tagEnd == 0) return MenuLinkResult::AddressMissing;
  const size_t equals = menu.rfind('=', tagEnd - 1);
  if (equals == std::string_view::npos) return MenuLinkResult::AddressMissing;
  link = menu.substr(equals + 1, tagEnd - equals - 1);
  return MenuLinkResult::Found;
}

bool splitBoardLink(std::string_view link, TextBuffer& host, TextBuffer& boardPath) {
  host.clear();
  boardPath.clear();
  // Whatever lies between "=" and ">" goes into request lines and the Host header later, so a
  // link that would smuggle blanks or line ends into them counts as having no host; so does a
  // quoted link, whose quotes would end up in every path.
  link = trimBlanksAndLineEnds(link);
  const UrlParts parts = splitUrl(link);
  if (parts.host.empty() || !isRequestSafe(link) || !isUsablePort(parts)) return true;
  host.assign(parts.hostAndPort.data(), static_cast<uint32_t>(parts.hostAndPort.size()));
  if (parts.path.empty()) {
    boardPath.assign("/");
  } else {
    boardPath.assign(parts.path.data(), static_cast<uint32_t>(parts.path.size()));
    if (parts.path.back() != '/') boardPath.appendChar('/');
  }
  return false;
}

}  // namespace vexa
