#include "board/subject_line.h"

namespace vexa {

namespace {

// Keys become "board/dat/KEY" in a request line and "thread:KEY" in a page, so only bytes that
// are harmless in both are accepted.
bool isUsableKey(std::string_view key) {
  if (key.empty()) return false;
  for (const char c : key) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (byte <= 0x20 || byte >= 0x7F) return false;
    switch (c) {
      case '"':
      case '\'':
      case '<':
      case '>':
      case '&':
      case '\\':
      case '#':
      case '?':
      case '%':
      case '/':
        return false;
      default:
        break;
    }
  }
  return true;
}

// The last " (" or tab and "(" of the text: where the count begins. npos when there is none.
size_t lastCountOpening(std::string_view text) {
  for (size_t at = text.size(); at >= 2; --at) {
    if (text[at - 1] == '(' && (text[at - 2] == ' ' || text[at - 2] == '\t')) return at - 2;
  }
  return std::string_view::npos;
}

}  // namespace

bool parseSubjectLine(std::string_view line, SubjectLine& parsed) {
  parsed = SubjectLine{};
  const size_t lt = line.find('<');
  if (lt == std::string_view::npos) return false;
  const size_t titleStart = lt + 2;
  if (titleStart > line.size()) return false;
  const std::string_view rest = line.substr(titleStart);
  const size_t open = lastCountOpening(rest);
  if (open == std::string_view::npos) return false;
  const size_t close = rest.find(')', open + 2);
  if (close == std::string_view::npos) return false;

  uint64_t count = 0;
  for (size_t i = open + 2; i < close; ++i) {
    const char c = rest[i];
    if (c < '0' || c > '9') break;
    count = count * 10 + static_cast<uint64_t>(c - '0');
    if (count > UINT32_MAX) return false;
  }
  if (count == 0) return false;

  const std::string_view key = line.substr(0, lt);
  if (!isUsableKey(key)) return false;
  parsed.key = key;
  std::string_view title = rest.substr(0, open);
  // Lists of today put tabs before the count instead of a space; they are no part of the title.
  if (rest[open] == '\t') {
    while (!title.empty() && title.back() == '\t') title.remove_suffix(1);
  }
  parsed.title = title;
  parsed.count = static_cast<uint32_t>(count);
  return true;
}

}  // namespace vexa
