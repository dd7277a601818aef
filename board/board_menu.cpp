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

bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

char lowered(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool startsFolded(std::string_view text, std::string_view lowerPrefix) {
  if (text.size() < lowerPrefix.size()) return false;
  for (size_t i = 0; i < lowerPrefix.size(); ++i) {
    if (lowered(text[i]) != lowerPrefix[i]) return false;
  }
  return true;
}

// A value written in double quotes is the text between them; an unclosed quote is left as it
// is, so the link still counts as having no host.
std::string_view withoutQuotes(std::string_view value) {
  value = trimBlanksAndLineEnds(value);
  if (value.size() < 2 || value.front() != '"') return value;
  const size_t close = value.find('"', 1);
  if (close == std::string_view::npos) return value;
  return value.substr(1, close - 1);
}

// The HREF value inside an opening tag's attributes, quoted or not; false when there is none.
bool hrefValue(std::string_view attributes, std::string_view& value) {
  size_t at = 0;
  while (at < attributes.size()) {
    while (at < attributes.size() && isBlank(attributes[at])) ++at;
    const size_t nameStart = at;
    while (at < attributes.size() && !isBlank(attributes[at]) && attributes[at] != '=') ++at;
    const std::string_view name = attributes.substr(nameStart, at - nameStart);
    while (at < attributes.size() && isBlank(attributes[at])) ++at;
    if (at >= attributes.size() || attributes[at] != '=') continue;
    ++at;
    while (at < attributes.size() && isBlank(attributes[at])) ++at;
    size_t valueStart = at;
    size_t valueEnd;
    if (at < attributes.size() && (attributes[at] == '"' || attributes[at] == '\'')) {
      const size_t close = attributes.find(attributes[at], at + 1);
      if (close == std::string_view::npos) return false;
      valueStart = at + 1;
      valueEnd = close;
      at = close + 1;
    } else {
      while (at < attributes.size() && !isBlank(attributes[at])) ++at;
      valueEnd = at;
    }
    if (name.size() == 4 && startsFolded(name, "href")) {
      value = attributes.substr(valueStart, valueEnd - valueStart);
      return true;
    }
  }
  return false;
}

// True when the title at [at, at + length) is the whole text of an anchor with a link:
// "<a ...HREF=LINK...>TITLE</a>". The walk back stops at the nearest "<" or ">", so the walks
// of all occurrences together cross each byte of the menu at most once.
bool anchorLinkAround(std::string_view menu, size_t at, size_t length, std::string_view& link) {
  if (at == 0 || menu[at - 1] != '>' || !startsFolded(menu.substr(at + length), "</a>")) {
    return false;
  }
  size_t tagStart = at - 1;
  while (tagStart > 0 && menu[tagStart - 1] != '<' && menu[tagStart - 1] != '>') --tagStart;
  if (tagStart == 0 || menu[tagStart - 1] != '<') return false;
  const std::string_view tag = menu.substr(tagStart, at - 1 - tagStart);
  if (tag.size() < 2 || lowered(tag[0]) != 'a' || !isBlank(tag[1])) return false;
  return hrefValue(tag.substr(2), link);
}

}  // namespace

MenuLinkResult findBoardLink(std::string_view menu, std::string_view title,
                             std::string_view& link) {
  link = {};
  if (!title.empty()) {
    for (size_t at = menu.find(title); at != std::string_view::npos;
         at = menu.find(title, at + title.size())) {
      if (anchorLinkAround(menu, at, title.size(), link)) return MenuLinkResult::Found;
    }
  }
  const size_t found = menu.find(title);
  if (found == std::string_view::npos) return MenuLinkResult::TitleMissing;
  const size_t tagEnd = menu.rfind('>', found == 0 ? 0 : found - 1);
  if (found == 0 || tagEnd == std::string_view::npos) return MenuLinkResult::AddressMissing;
  if (tagEnd == 0) return MenuLinkResult::AddressMissing;
  const size_t equals = menu.rfind('=', tagEnd - 1);
  if (equals == std::string_view::npos) return MenuLinkResult::AddressMissing;
  link = withoutQuotes(menu.substr(equals + 1, tagEnd - equals - 1));
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
  if (parts.scheme.size() == 5 && startsFolded(parts.scheme, "https")) host.assign("https://");
  host.append(parts.hostAndPort.data(), static_cast<uint32_t>(parts.hostAndPort.size()));
  if (parts.path.empty()) {
    boardPath.assign("/");
  } else {
    boardPath.assign(parts.path.data(), static_cast<uint32_t>(parts.path.size()));
    if (parts.path.back() != '/') boardPath.appendChar('/');
  }
  return false;
}

}  // namespace vexa
