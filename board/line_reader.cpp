#include "board/line_reader.h"

#include <cstring>

namespace vexa {

bool LineReader::next(std::string_view& line) {
  const size_t size = body_.size();
  if (position_ >= size) return false;
  const char* data = body_.data();
  const size_t start = position_;
  size_t end = start;
  while (end < size) {
    const char c = data[end];
    if (c == '\n' || c == '\r' || c == '\0') break;
    ++end;
  }
  size_t kept = end - start;
  // A NUL cuts the line; the bytes after it up to the line end are dropped.
  size_t lineEnd = end;
  while (lineEnd < size && data[lineEnd] != '\n' && data[lineEnd] != '\r') ++lineEnd;
  if (kept > kMaxLineLength) kept = kMaxLineLength;
  line = std::string_view(data + start, kept);
  position_ = lineEnd;
  if (position_ < size) {
    if (data[position_] == '\r') {
      ++position_;
      if (position_ < size && data[position_] == '\n') ++position_;
    } else {
      ++position_;
    }
  }
  return true;
}

bool LineReader::skip() {
  std::string_view ignored;
  return next(ignored);
}

std::string_view completeLines(std::string_view body) {
  const size_t last = body.find_last_of("\r\n");
  return last == std::string_view::npos ? std::string_view() : body.substr(0, last + 1);
}

}  // namespace vexa
