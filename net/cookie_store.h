#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "base/text_buffer.h"

namespace vexa {

// Orders names as the cookie store does: bytes below "0" in byte order, then the punctuation
// ":" to "@", "[" to "`" and "{" to "~", then the digits, then the letters with ASCII case
// ignored, then the bytes from 0x7F upward. Returns <0, 0 or >0 like strcmp.
int compareNames(const char* a, uint32_t aLength, const char* b, uint32_t bLength);

struct CookieEntry {
  TextBuffer name;   // trimmed, never empty; the spelling first seen
  TextBuffer value;  // may be empty
};

// The process-wide map from cookie name to value, sorted by compareNames, one entry per name
// (names that differ only in letter case are the same cookie). Entries are only added or
// changed, never removed, and keep their addresses. A server may send any number of cookies of
// any size, so the store keeps at most kMaxCookies of at most kMaxCookieBytes each (the least
// a user agent is expected to support): later ones are dropped, the first ones keep working.
// Used on the GUI thread only.
class CookieStore {
 public:
  static constexpr size_t kMaxCookies = 50;
  static constexpr size_t kMaxCookieBytes = 4096;  // name and value together

  CookieStore() = default;
  CookieStore(const CookieStore&) = delete;
  CookieStore& operator=(const CookieStore&) = delete;

  // Trims spaces, tabs, CR and LF from both ends of the name; an empty result gives null.
  // Otherwise the existing entry of that name, or a new one with an empty value; null when
  // there is none and the store is full, or the name alone is too long.
  CookieEntry* findOrCreate(const char* name);
  // findOrCreate, then the value (null gives the empty string). A value that would make the
  // cookie too long is dropped: a new cookie is not made, an existing one keeps its value.
  void set(const char* name, const char* value);

  // In store order; null when the store is empty / after the last entry.
  const CookieEntry* first() const;
  const CookieEntry* after(const CookieEntry* entry) const;
  size_t size() const { return entries_.size(); }

 private:
  struct Order {
    bool operator()(const std::string& a, const std::string& b) const;
  };
  std::map<std::string, CookieEntry, Order> entries_;
};

}  // namespace vexa
