#include "app/variable_table.h"

#include "base/text_functions.h"

namespace vexa {

namespace {
// The trimmed copy of a key, or false when nothing is left of it.
bool trimmedKey(const char* key, uint32_t maxLength, TextBuffer& trimmed) {
  trimmed.assign(key, maxLength);
  if (trimmed.data() == nullptr) return false;
  trimInPlace(trimmed.data());
  return !trimmed.empty();
}
}  // namespace

VariableTable::Entry* VariableTable::find(const char* key, uint32_t maxLength) const {
  TextBuffer trimmed;
  return trimmedKey(key, maxLength, trimmed) ? map_.find(trimmed.text()) : nullptr;
}

VariableTable::Entry* VariableTable::insert(const char* key, uint32_t maxLength) {
  TextBuffer trimmed;
  return trimmedKey(key, maxLength, trimmed) ? map_.insert(trimmed.text()) : nullptr;
}

const char* VariableTable::value(const char* key) const {
  const Entry* entry = find(key);
  return entry != nullptr ? entry->value.text() : nullptr;
}

}  // namespace vexa
