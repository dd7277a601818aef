#include "board/url_split.h"

namespace vexa {

UrlParts splitUrl(std::string_view url) {
  UrlParts parts;
  const size_t slashes = url.find("//");
  if (slashes == std::string_view::npos) {
    parts.path = url;
    return parts;
  }
  std::string_view scheme = url.substr(0, slashes);
  if (!scheme.empty() && scheme.back() == ':') scheme.remove_suffix(1);
  parts.scheme = scheme;

  const size_t authorityStart = slashes + 2;
  size_t authorityEnd = url.find('/', authorityStart);
  if (authorityEnd == std::string_view::npos) authorityEnd = url.size();
  std::string_view authority = url.substr(authorityStart, authorityEnd - authorityStart);
  parts.path = url.substr(authorityEnd);

  const size_t at = authority.rfind('@');
  if (at != std::string_view::npos) {
    parts.user = authority.substr(0, at);
    authority.remove_prefix(at + 1);
  }
  parts.hostAndPort = authority;
  const size_t colon = authority.rfind(':');
  if (colon != std::string_view::npos) {
    parts.host = authority.substr(0, colon);
    parts.port = authority.substr(colon + 1);
  } else {
    parts.host = authority;
  }
  return parts;
}

}  // namespace vexa
