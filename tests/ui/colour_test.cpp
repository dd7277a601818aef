#include "ui/colour.h"

#include <gtest/gtest.h>

namespace vexa::ui {
namespace {

TEST(BlendTable, RoundsTheProductToNearest) {
  for (uint32_t a = 0; a < 256; ++a) {
    for (uint32_t b = 0; b < 256; ++b) {
      // Nearest integer to a*b/255 without floating point: |255*t - a*b| <= 127.
      int64_t t = Blend(static_cast<uint8_t>(a), static_cast<uint8_t>(b));
      int64_t error = 255 * t - int64_t{a} * b;
      ASSERT_LE(error < 0 ? -error : error, 127) << a << " " << b;
    }
  }
  const struct {
    uint8_t a, b, t;
  } cases[] = {{0, 200, 0},    {255, 77, 77},  {204, 136, 109}, {255, 136, 136},
               {153, 136, 82}, {128, 128, 64}, {1, 127, 0},     {1, 128, 1}};
  for (const auto& c : cases) {
    EXPECT_EQ(Blend(c.a, c.b), c.t);
    EXPECT_EQ(Blend(c.b, c.a), c.t);
    EXPECT_EQ(BlendRow(c.a)[c.b], c.t);
  }
}

TEST(Colour, LayoutConversionAndScaling) {
  Colour c = Colour::Rgb(0x12, 0x34, 0x56);
  EXPECT_EQ(c.value, 0x123456FFu);
  EXPECT_EQ(c.ColorRef(), 0x563412u);
  EXPECT_EQ(Colour::Grey(7).value, 0x070707FFu);

  Colour scaled = Scale(Colour::Grey(204), 136);
  EXPECT_EQ(scaled.red(), 109);
  EXPECT_EQ(scaled.green(), 109);
  EXPECT_EQ(scaled.blue(), 109);
  EXPECT_EQ(scaled.alpha(), 136);
  EXPECT_EQ(Scale(c, 255), c);
  EXPECT_EQ(Scale(c, 0).value, 0u);

  const struct {
    uint8_t alpha;
    uint32_t pixel;
  } visibility[] = {{0x7F, 0}, {0x80, 0x563412u}, {0x00, 0}, {0xFF, 0x563412u}};
  for (const auto& v : visibility) EXPECT_EQ(c.WithAlpha(v.alpha).PixelColour(), v.pixel);
}

}  // namespace
}  // namespace vexa::ui
