#include "ui/key_code.h"

#include <gtest/gtest.h>

namespace vexa::ui {
namespace {

TEST(KeyCode, Table) {
  const struct {
    uint32_t virtualKey;
    int32_t code;
  } cases[] = {
      {'0', 1},
      {'9', 10},
      {'A', 11},
      {'Z', 36},
      {vk::kSpace, 37},
      {vk::kTab, 38},
      {vk::kReturn, 40},
      {vk::kEscape, 41},
      {vk::kInsert, 42},
      {vk::kDelete, 43},
      {vk::kBack, 44},
      {vk::kUp, 45},
      {vk::kDown, 46},
      {vk::kLeft, 47},
      {vk::kRight, 48},
      {'a', 0},
      {vk::kF1, 0},
      {vk::kShift, 0},
      {0, 0},
      {8191, 0},
      {8192, 0},
      {0xFFFFFFFFu, 0},
      {0x10000 + 'A', 0},
  };
  for (const auto& c : cases) EXPECT_EQ(KeyCodeOf(c.virtualKey), c.code) << c.virtualKey;
  for (uint32_t key = 0; key < kKeyCodeTableSize; ++key) EXPECT_NE(KeyCodeOf(key), 39) << key;
}

TEST(KeyModifiers, BitsFollowTheTopBitOfEachKey) {
  const struct {
    uint32_t key;
    uint8_t state;
    uint32_t mask;
  } cases[] = {
      {vk::kShift, 0x80, modifier::kShift},
      {vk::kCapital, 0x81, modifier::kCapital},
      {vk::kCapital, 0x01, 0},
      {vk::kMenu, 0xFF, modifier::kAlt},
      {vk::kControl, 0x80, modifier::kControl},
      {vk::kLButton, 0x80, modifier::kLeftButton},
      {vk::kRButton, 0x80, modifier::kRightButton},
      {vk::kReturn, 0x80, 0},
      {vk::kShift, 0x7F, 0},
  };
  for (const auto& c : cases) {
    uint8_t state[256] = {};
    state[c.key] = c.state;
    EXPECT_EQ(KeyModifiersOf(state), c.mask) << c.key;
  }
  uint8_t all[256];
  for (auto& b : all) b = 0x80;
  EXPECT_EQ(KeyModifiersOf(all), 0xFCu);
}

}  // namespace
}  // namespace vexa::ui
