#include "ui/gdi_canvas.h"

#include <gtest/gtest.h>

#include "ui/styles.h"

namespace vexa::ui {
namespace {

namespace P = vexa::platform;

// Off-screen canvases need no display: the desktop layer draws memory DCs itself.
TEST(GdiCanvas, AResizeThatCannotAllocateKeepsTheOldBitmap) {
  GdiCanvas canvas(nullptr, 10, 8);
  ASSERT_FALSE(canvas.Open());
  const Rect hostile[] = {{0, 0, 40000, 40000}, {0, 0, -5, 10}, {0, 0, 20000, 20000}};
  for (const Rect& r : hostile) {
    Rect asked = r;
    EXPECT_TRUE(canvas.Resize(asked));
    EXPECT_EQ(asked, (Rect{0, 0, 10, 8}));
  }
  canvas.FillRect(Rect{0, 0, 10, 8}, Colour::Rgb(10, 20, 30));
  EXPECT_EQ(P::GetPixel(canvas.dc(), 9, 7), P::RGB(10, 20, 30));

  Rect grown{0, 0, 30, 20};
  EXPECT_FALSE(canvas.Resize(grown));
  Size size;
  canvas.GetSize(size);
  EXPECT_EQ(size, (Size{30, 20}));
  canvas.FillRect(Rect{0, 0, 30, 20}, Colour::Grey(200));
  EXPECT_EQ(P::GetPixel(canvas.dc(), 29, 19), P::RGB(200, 200, 200));
}

TEST(GdiCanvas, ShapesAndPixelColoursOnRealPixels) {
  GdiCanvas canvas(nullptr, 20, 20);
  ASSERT_FALSE(canvas.Open());
  canvas.FillRect(Rect{0, 0, 20, 20}, Colour::Grey(255));
  ShapeStyle faint(Colour::Rgb(200, 0, 0).WithAlpha(0x7F));
  ShapeStyle solid(Colour::Rgb(200, 0, 0).WithAlpha(0x80));
  const Point one{1, 1};
  faint.Bind(&canvas);
  faint.DrawShape(&one, 1, 0);
  const Point two{2, 1};
  solid.Bind(&canvas);
  solid.DrawShape(&two, 1, 0);
  EXPECT_EQ(P::GetPixel(canvas.dc(), 1, 1), P::RGB(0, 0, 0));
  EXPECT_EQ(P::GetPixel(canvas.dc(), 2, 1), P::RGB(200, 0, 0));

  // A two-point line shows both ends; an open path shows its last point.
  const Point line[2] = {{3, 5}, {9, 5}};
  solid.DrawShape(line, 2, 0);
  EXPECT_EQ(P::GetPixel(canvas.dc(), 3, 5), P::RGB(200, 0, 0));
  EXPECT_EQ(P::GetPixel(canvas.dc(), 9, 5), P::RGB(200, 0, 0));
  const Point path[3] = {{3, 10}, {9, 10}, {9, 15}};
  solid.DrawShape(path, 3, 2);
  EXPECT_EQ(P::GetPixel(canvas.dc(), 9, 15), P::RGB(200, 0, 0));
  EXPECT_EQ(P::GetPixel(canvas.dc(), 6, 12), P::RGB(255, 255, 255));
}

TEST(GdiCanvas, MeasureRunWithTheJapaneseFace) {
  GdiCanvas canvas(nullptr, 50, 20);
  ASSERT_FALSE(canvas.Open());
  TextStyle text(Colour::Grey(0), 12);
  text.Bind(&canvas);
  TextRun run;
  run.text = "abcdefgh";
  run.length = 8;
  run.anchor = 5;
  run.caret = 2;
  Rect out[3];
  text.MeasureRun(out, run);
  EXPECT_GT(out[0].right, out[2].right);
  EXPECT_GT(out[2].right, out[1].right);
  EXPECT_GT(out[1].right, 0);
  EXPECT_EQ(out[0].bottom, 12);
  // The widths of 2 and 5 bytes, as the device measures them on their own.
  EXPECT_EQ(out[1].right, canvas.TextExtent("ab", 2).width);
  EXPECT_EQ(out[2].right, canvas.TextExtent("abcde", 5).width);
}

}  // namespace
}  // namespace vexa::ui
