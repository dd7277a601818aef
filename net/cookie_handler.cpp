#include "net/cookie_handler.h"

#include <string>
#include <string_view>

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

std::string_view trimmed(std::string_view text) {
  auto blank = [](char byte) {
    return byte == ' ' || byte == '\t' || byte == '\r' || byte == '\n';
  };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
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
    std::string_view part = trimmed(rest.substr(0, semicolon));
    if (!part.empty()) {
      size_t equals = part.find('=');
      std::string partName(trimmed(part.substr(0, equals)));
      std::string partValue;
      if (equals != std::string_view::npos) partValue = trimmed(part.substr(equals + 1));
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
