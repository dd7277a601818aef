#pragma once

#include <cstdint>
#include <string_view>

namespace vexa {

// Splits a downloaded body into lines. A line ends at CR, LF or CR LF; an empty line is a line.
// A line keeps at most kMaxLineLength bytes (the rest up to its line end is dropped), and a NUL
// byte cuts the line short the same way. The end of the body ends the last line, so a body that
// ends with a line end has no trailing empty line.
class LineReader {
 public:
  static constexpr uint32_t kMaxLineLength = 4095;

  explicit LineReader(std::string_view body) : body_(body) {}

  // False at the end of the body. On true, `line` views the kept bytes of the next line.
  bool next(std::string_view& line);
  // Steps over the next line without looking at it; false at the end of the body.
  bool skip();

 private:
  std::string_view body_;
  size_t position_ = 0;
};

}  // namespace vexa
