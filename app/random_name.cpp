#include "app/random_name.h"

#include <cstring>

namespace vexa {

void makeRandomName(RandomSource* source, char* buffer, uint32_t size, bool noDigits,
                    bool noLowerCase, bool noUpperCase) {
  if (buffer == nullptr || size == 0) return;
  if (source == nullptr) source = &processRandomSource();

  char alphabet[63] = {};
  uint32_t length = 0;
  auto add = [&](const char* group) {
    const size_t n = std::strlen(group);
    std::memcpy(alphabet + length, group, n);
    length += static_cast<uint32_t>(n);
  };
  if (!noDigits) add("0123456789");
  if (!noLowerCase) add("abcdefghijklmnopqrstuvwxyz");
  if (!noUpperCase) add("ABCDEFGHIJKLMNOPQRSTUVWXYZ");
  if (length == 0) {
    buffer[0] = '\0';
    return;
  }
  for (uint32_t i = 0; i + 1 < size; ++i) buffer[i] = alphabet[source->nextInteger() % length];
  buffer[size - 1] = '\0';
}

const char* windowClassName() {
  static char name[16];
  if (name[0] == '\0') makeRandomName(nullptr, name, sizeof name, false, false, false);
  return name;
}

}  // namespace vexa
