#pragma once

#include <cstdint>

#include "base/string_map.h"
#include "base/text_buffer.h"

namespace vexa {

// Named values (the environment and the user's folders) keyed by trimmed names: leading spaces
// and tabs and trailing spaces, tabs, CRs and LFs are not part of a name, and a name that is
// empty after trimming is neither stored nor found. The table owns its keys and values.
// GUI thread only.
class VariableTable {
 public:
  using Entry = StringMap::Entry;

  VariableTable() = default;
  VariableTable(const VariableTable&) = delete;
  VariableTable& operator=(const VariableTable&) = delete;

  // `key` is read up to its NUL or `maxLength` bytes, whichever comes first.
  Entry* find(const char* key, uint32_t maxLength = kNoLimit) const;
  // The existing entry for the key or a new one with an empty value, for the caller to assign;
  // null for an empty key (or when memory runs out).
  Entry* insert(const char* key, uint32_t maxLength = kNoLimit);
  // The value stored under `key`, or null.
  const char* value(const char* key) const;
  uint32_t count() const { return map_.count(); }

  template <typename Visit>
  void forEach(Visit visit) const {
    map_.forEach(visit);
  }

 private:
  StringMap map_;
};

}  // namespace vexa
