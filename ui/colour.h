#pragma once

#include <cstdint>

namespace vexa::ui {

// Four bytes: as a 32-bit value red is the most significant byte, then green, blue, and alpha
// the least significant.
struct Colour {
  uint32_t value = 0;

  static constexpr Colour Grey(uint8_t v) { return Rgb(v, v, v); }
  static constexpr Colour Rgb(uint8_t r, uint8_t g, uint8_t b) {
    return Colour{(uint32_t{r} << 24) | (uint32_t{g} << 16) | (uint32_t{b} << 8) | 0xFFu};
  }
  constexpr uint8_t red() const { return static_cast<uint8_t>(value >> 24); }
  constexpr uint8_t green() const { return static_cast<uint8_t>(value >> 16); }
  constexpr uint8_t blue() const { return static_cast<uint8_t>(value >> 8); }
  constexpr uint8_t alpha() const { return static_cast<uint8_t>(value); }
  constexpr Colour WithAlpha(uint8_t a) const { return Colour{(value & ~0xFFu) | a}; }
  // Visible when the alpha byte has its top bit set.
  constexpr bool visible() const { return (value & 0x80u) != 0; }
  // The GDI COLORREF: red in the low byte; alpha is ignored.
  constexpr uint32_t ColorRef() const {
    return uint32_t{red()} | (uint32_t{green()} << 8) | (uint32_t{blue()} << 16);
  }
  // The pixel or text colour a style uses: the colour when visible, else 0 (black).
  constexpr uint32_t PixelColour() const { return visible() ? ColorRef() : 0; }
  bool operator==(const Colour&) const = default;
};

// T[a][b] = a*b/255 rounded to the nearest integer.
uint8_t Blend(uint8_t a, uint8_t b);
const uint8_t* BlendRow(uint8_t a);

// Every byte c, alpha included, becomes T[c][k].
Colour Scale(Colour colour, uint8_t k);

}  // namespace vexa::ui
