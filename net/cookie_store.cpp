#include "net/cookie_store.h"

#include <cstring>

#include "base/text_functions.h"

namespace vexa {

namespace {

// The position of a byte in the name order.
constexpr int rankOf(unsigned char byte) {
  if (byte < '0') return byte;
  if (byte >= ':' && byte <= '@') return 0x30 + (byte - ':');
  if (byte >= '[' && byte <= '`') return 0x37 + (byte - '[');
  if (byte >= '{' && byte <= '~') return 0x3D + (byte - '{');
  if (byte >= '0' && byte <= '9') return 0x41 + (byte - '0');
  if (byte >= 'A' && byte <= 'Z') return 0x4B + (byte - 'A');
  if (byte >= 'a' && byte <= 'z') return 0x4B + (byte - 'a');
  return 0x65 + (byte - 0x7F);
}

}  // namespace

int compareNames(const char* a, uint32_t aLength, const char* b, uint32_t bLength) {
  uint32_t common = aLength < bLength ? aLength : bLength;
  for (uint32_t i = 0; i < common; ++i) {
    int difference =
        rankOf(static_cast<unsigned char>(a[i])) - rankOf(static_cast<unsigned char>(b[i]));
    if (difference != 0) return difference;
  }
  if (aLength == bLength) return 0;
  return aLength < bLength ? -1 : 1;
}

bool CookieStore::Order::operator()(const std::string& a, const std::string& b) const {
  return compareNames(a.data(), static_cast<uint32_t>(a.size()), b.data(),
                      static_cast<uint32_t>(b.size())) < 0;
}

CookieEntry* CookieStore::findOrCreate(const char* name) {
  if (name == nullptr) return nullptr;
  const std::string_view trimmed = trimBlanksAndLineEnds(name);
  if (trimmed.empty() || trimmed.size() > kMaxCookieBytes) return nullptr;
  std::string key(trimmed);
  if (entries_.size() >= kMaxCookies) {
    auto existing = entries_.find(key);
    return existing == entries_.end() ? nullptr : &existing->second;
  }
  auto [position, inserted] = entries_.try_emplace(key);
  if (inserted) position->second.name.assign(key.c_str());
  return &position->second;
}

void CookieStore::set(const char* name, const char* value) {
  if (name == nullptr) return;
  if (value == nullptr) value = "";
  // Measured before anything is made, so an over-long cookie leaves no empty entry behind.
  size_t valueLength = strnlen(value, kMaxCookieBytes + 1);
  if (trimBlanksAndLineEnds(name).size() + valueLength > kMaxCookieBytes) return;
  CookieEntry* entry = findOrCreate(name);
  if (entry != nullptr) entry->value.assign(value);
}

const CookieEntry* CookieStore::first() const {
  return entries_.empty() ? nullptr : &entries_.begin()->second;
}

const CookieEntry* CookieStore::after(const CookieEntry* entry) const {
  if (entry == nullptr) return nullptr;
  auto position = entries_.upper_bound(std::string(entry->name.text()));
  return position == entries_.end() ? nullptr : &position->second;
}

}  // namespace vexa
