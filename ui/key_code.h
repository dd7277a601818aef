#pragma once

#include <cstdint>

namespace vexa::ui {

// Virtual-key codes the toolkit reads; values as Windows gives them.
namespace vk {
constexpr uint32_t kLButton = 0x01;
constexpr uint32_t kRButton = 0x02;
constexpr uint32_t kBack = 0x08;
constexpr uint32_t kTab = 0x09;
constexpr uint32_t kReturn = 0x0D;
constexpr uint32_t kShift = 0x10;
constexpr uint32_t kControl = 0x11;
constexpr uint32_t kMenu = 0x12;
constexpr uint32_t kCapital = 0x14;
constexpr uint32_t kEscape = 0x1B;
constexpr uint32_t kSpace = 0x20;
constexpr uint32_t kLeft = 0x25;
constexpr uint32_t kUp = 0x26;
constexpr uint32_t kRight = 0x27;
constexpr uint32_t kDown = 0x28;
constexpr uint32_t kInsert = 0x2D;
constexpr uint32_t kDelete = 0x2E;
constexpr uint32_t kF1 = 0x70;
}  // namespace vk

// KeyModifiers bits.
namespace modifier {
constexpr uint32_t kShift = 0x04;
constexpr uint32_t kCapital = 0x08;
constexpr uint32_t kAlt = 0x10;
constexpr uint32_t kControl = 0x20;
constexpr uint32_t kLeftButton = 0x40;
constexpr uint32_t kRightButton = 0x80;
}  // namespace modifier

constexpr uint32_t kKeyCodeTableSize = 8192;

// The toolkit's key code of a virtual key; 0 for unlisted keys and codes from 8192 up.
int32_t KeyCodeOf(uint32_t virtualKey);

// The modifier bits of a 256-byte keyboard state: a bit is set when its key's byte has the top
// bit set.
uint32_t KeyModifiersOf(const uint8_t (&state)[256]);

}  // namespace vexa::ui
