#include "ui/key_code.h"

#include <array>

namespace vexa::ui {

namespace {

// A flat table indexed by the virtual-key code, built at compile time.
constexpr std::array<uint8_t, kKeyCodeTableSize> MakeTable() {
  std::array<uint8_t, kKeyCodeTableSize> table{};
  for (uint32_t c = '0'; c <= '9'; ++c) table[c] = static_cast<uint8_t>(c - '0' + 1);
  for (uint32_t c = 'A'; c <= 'Z'; ++c) table[c] = static_cast<uint8_t>(c - 'A' + 11);
  table[vk::kSpace] = 37;
  table[vk::kTab] = 38;
  // No key maps to 39.
  table[vk::kReturn] = 40;
  table[vk::kEscape] = 41;
  table[vk::kInsert] = 42;
  table[vk::kDelete] = 43;
  table[vk::kBack] = 44;
  table[vk::kUp] = 45;
  table[vk::kDown] = 46;
  table[vk::kLeft] = 47;
  table[vk::kRight] = 48;
  return table;
}

constexpr auto kTable = MakeTable();

}  // namespace

int32_t KeyCodeOf(uint32_t virtualKey) {
  return virtualKey < kKeyCodeTableSize ? kTable[virtualKey] : 0;
}

uint32_t KeyModifiersOf(const uint8_t (&state)[256]) {
  struct Bit {
    uint32_t key;
    uint32_t bit;
  };
  static constexpr Bit kBits[] = {
      {vk::kShift, modifier::kShift},        {vk::kCapital, modifier::kCapital},
      {vk::kMenu, modifier::kAlt},           {vk::kControl, modifier::kControl},
      {vk::kLButton, modifier::kLeftButton}, {vk::kRButton, modifier::kRightButton},
  };
  uint32_t mask = 0;
  for (const Bit& b : kBits) {
    if (state[b.key] & 0x80) mask |= b.bit;
  }
  return mask;
}

}  // namespace vexa::ui
