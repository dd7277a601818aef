#include "ui/colour.h"

#include <array>

namespace vexa::ui {

namespace {

using Table = std::array<std::array<uint8_t, 256>, 256>;

constexpr Table MakeBlendTable() {
  Table table{};
  for (uint32_t a = 0; a < 256; ++a) {
    for (uint32_t b = 0; b < 256; ++b) table[a][b] = static_cast<uint8_t>((2 * a * b + 255) / 510);
  }
  return table;
}

// 64 KiB of constant data.
constexpr Table kBlend = MakeBlendTable();

}  // namespace

uint8_t Blend(uint8_t a, uint8_t b) {
  return kBlend[a][b];
}
const uint8_t* BlendRow(uint8_t a) {
  return kBlend[a].data();
}

Colour Scale(Colour colour, uint8_t k) {
  uint32_t out = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    uint8_t c = static_cast<uint8_t>(colour.value >> shift);
    out |= uint32_t{kBlend[c][k]} << shift;
  }
  return Colour{out};
}

}  // namespace vexa::ui
