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

// The body up to and including its last CR or LF. A data file grows while it is read: a last line
// without its line end may be half a post, so it is left for the next copy, which has it whole.
std::string_view completeLines(std::string_view body);

}  // namespace vexa
