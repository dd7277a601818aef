#pragma once

#include <string_view>

namespace vexa {

// The parts of an absolute URL such as http://user@host:8080/abc/. Every part views the input.
struct UrlParts {
  std::string_view scheme;       // before "://"; empty when the URL has no "//"
  std::string_view user;         // before "@" in the authority, without the "@"
  std::string_view host;         // the name alone, without user and port
  std::string_view port;         // the text after the host's ":", empty when none
  std::string_view hostAndPort;  // the authority without the user part: what the board keeps
  std::string_view path;  // from the first "/" after the authority to the end, empty when none
};

// Host is everything between the scheme's two slashes and the next slash, and path is the rest
// including that slash. Without "//" the whole text is the path and the host is empty.
UrlParts splitUrl(std::string_view url);

}  // namespace vexa
