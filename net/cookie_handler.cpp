#include "net/cookie_handler.h"

#include <string>
#include <string_view>

#include "base/text_functions.h"

namespace vexa {

namespace {

bool equalsFolded(const char* text, std::string_view expected) {
  size_t i = 0;
  for (; i < expected.size(); ++i) {
    char byte = text[i];
    if (byte >= 'A' && byte <= 'Z') byte = static_cast<char>(byte - 'A' + 'a');
    if (byte != expected[i]) return false;  // also stops at the terminator
  }
  return text[i] == '\0';
}

}  // namespace

void handleCookieField(const char* name, const char* value, CookieJar& jar) {
  if (name == nullptr || value == nullptr) return;
  if (!equalsFolded(name, "cookie") && !equalsFolded(name, "set-cookie")) return;
  std::string_view rest(value);
  std::string cookieName;
  bool first = true;
  while (true) {
    size_t semicolon = rest.find(';');
    std::string_view part = trimBlanksAndLineEnds(rest.substr(0, semicolon));
    if (!part.empty()) {
      size_t equals = part.find('=');
      std::string partName(trimBlanksAndLineEnds(part.substr(0, equals)));
      std::string partValue;
      if (equals != std::string_view::npos)
        partValue = trimBlanksAndLineEnds(part.substr(equals + 1));
      if (first) {
        cookieName = partName;
        jar.setCookie(cookieName.c_str(),
                      equals == std::string_view::npos ? nullptr : partValue.c_str(), nullptr);
        first = false;
      } else {
        jar.setCookie(cookieName.c_str(), partValue.c_str(), partName.c_str());
      }
    }
    if (semicolon == std::string_view::npos) break;
    rest.remove_prefix(semicolon + 1);
  }
}

}  // namespace vexa
