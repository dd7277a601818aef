#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "base/text_buffer.h"

namespace vexa {

// An ordered map from byte-string keys to text values. Keys compare as unsigned bytes (the way
// std::string compares char), so Shift_JIS lead bytes (0x81 and up) sort after ASCII. Entries keep
// their addresses until the map is cleared or destroyed. The owner normalises keys before calling
// find or insert.
class StringMap {
 public:
  struct Entry {
    TextBuffer key;
    TextBuffer value;
  };

  StringMap() = default;
  StringMap(const StringMap&) = delete;
  StringMap& operator=(const StringMap&) = delete;

  // A null key stands for the empty key.
  Entry* find(const char* key) const;
  // The existing entry for the key, or a new one with an empty value; null only when memory
  // runs out.
  Entry* insert(const char* key);
  // False when the key was not there.
  bool remove(const char* key);
  void clear() { entries_.clear(); }
  uint32_t count() const { return static_cast<uint32_t>(entries_.size()); }

  // Visits the entries in key order; `visit` returns true to stop early.
  template <typename Visit>
  void forEach(Visit visit) const {
    for (auto& [key, entry] : entries_) {
      if (visit(const_cast<Entry&>(entry))) return;
    }
  }

 private:
  std::map<std::string, Entry, std::less<>> entries_;
};

}  // namespace vexa
