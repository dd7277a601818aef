#pragma once

#include <map>
#include <string>
#include <vector>

#include "net/cookie_jar.h"
#include "net/stream_buffer.h"

namespace vexa {

// The status line and header fields of one response. Field names are looked up with ASCII
// letter case ignored; a field that occurs twice keeps the later value, but every occurrence
// reaches the cookie handler.
class ResponseHeaders {
 public:
  // Header lines are read into a buffer of this size: longer lines are cut to 1023 bytes.
  static constexpr uint32_t kLineSize = 1024;

  // Parses a header block (status line, fields, empty line) from `block`, which must be open
  // for reading. Replaces what was stored before. Each field goes to the cookie handler when
  // `cookies` is given.
  void parse(StreamBuffer& block, CookieJar* cookies);
  void clear();

  // version, code, reason: at most three tokens; the third is the rest of the line.
  const std::vector<std::string>& statusTokens() const { return statusTokens_; }
  // The value of a field, or null when the response has none.
  const char* find(const char* name) const;
  // The status code of a status line "HTTP/... DDD ...", or 0 when the line is not one.
  int statusCode() const;

 private:
  struct FoldedLess {
    bool operator()(const std::string& a, const std::string& b) const;
  };
  std::vector<std::string> statusTokens_;
  std::map<std::string, std::string, FoldedLess> fields_;
};

}  // namespace vexa
