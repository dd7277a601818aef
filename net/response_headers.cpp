#include "net/response_headers.h"

#include <cstring>

#include "net/cookie_handler.h"

namespace vexa {

namespace {

char folded(char byte) {
  return (byte >= 'A' && byte <= 'Z') ? static_cast<char>(byte + 32) : byte;
}

bool isBlank(char byte) {
  return byte == ' ' || byte == '\t';
}

void splitStatusLine(const char* line, std::vector<std::string>& tokens) {
  const char* at = line;
  for (int index = 0; index < 3; ++index) {
    while (isBlank(*at)) ++at;
    if (*at == '\0') return;
    if (index == 2) {
      tokens.emplace_back(at);
      return;
    }
    const char* start = at;
    while (*at != '\0' && !isBlank(*at)) ++at;
    tokens.emplace_back(start, at - start);
  }
}

}  // namespace

bool ResponseHeaders::FoldedLess::operator()(const std::string& a, const std::string& b) const {
  size_t common = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < common; ++i) {
    unsigned char left = static_cast<unsigned char>(folded(a[i]));
    unsigned char right = static_cast<unsigned char>(folded(b[i]));
    if (left != right) return left < right;
  }
  return a.size() < b.size();
}

void ResponseHeaders::clear() {
  statusTokens_.clear();
  fields_.clear();
}

void ResponseHeaders::parse(StreamBuffer& block, CookieJar* cookies) {
  clear();
  char line[kLineSize];
  bool first = true;
  while (block.readLine(line, sizeof line) > 0) {
    if (first) {
      splitStatusLine(line, statusTokens_);
      first = false;
      continue;
    }
    if (line[0] == '\0') continue;
    char* colon = std::strchr(line, ':');
    const char* value = "";
    if (colon != nullptr) {
      *colon = '\0';
      value = colon + 1;
      while (isBlank(*value)) ++value;
    }
    // Trailing blanks are not part of a field value ("chunked " is still chunked).
    char* valueEnd = const_cast<char*>(value) + std::strlen(value);
    while (valueEnd > value && isBlank(valueEnd[-1])) *--valueEnd = '\0';
    fields_.insert_or_assign(std::string(line), std::string(value));
    if (cookies != nullptr) handleCookieField(line, value, *cookies);
  }
}

const char* ResponseHeaders::find(const char* name) const {
  auto position = fields_.find(std::string(name ? name : ""));
  return position == fields_.end() ? nullptr : position->second.c_str();
}

int ResponseHeaders::statusCode() const {
  if (statusTokens_.size() < 2 || statusTokens_[0].compare(0, 5, "HTTP/") != 0) return 0;
  const std::string& code = statusTokens_[1];
  if (code.size() != 3) return 0;
  int value = 0;
  for (char digit : code) {
    if (digit < '0' || digit > '9') return 0;
    value = value * 10 + (digit - '0');
  }
  return value < 100 ? 0 : value;
}

}  // namespace vexa
