#pragma once

#include <cstdint>

#include "ui/colour.h"
#include "ui/geometry.h"

namespace vexa::ui {

// A drawing surface over a device context: a window's, or an off-screen bitmap's. The
// operations that can fail return true on failure and leave the canvas usable. The drawing
// primitives are the device context's; widgets and painters reach them only through the style
// objects.
class Canvas {
 public:
  virtual ~Canvas() = default;

  virtual bool Open() = 0;
  virtual bool GetSize(Size& out) = 0;
  // Gives the canvas a bitmap of the rectangle's size. On failure the old bitmap stays and
  // `rect` becomes (0, 0, current width, current height).
  virtual bool Resize(Rect& rect) = 0;
  // Copies the whole canvas, or `source`, to `target` at `at`.
  virtual bool BlitTo(Canvas& target, Point at, const Rect* source) = 0;

  // Brackets a painter's drawing; `pressed` tells a pressed look. True when drawing cannot
  // begin.
  virtual bool BeginDraw(bool pressed) {
    (void)pressed;
    return false;
  }
  virtual void EndDraw() {}

  // Device-context state.
  virtual void SelectPen(Colour colour) = 0;
  virtual void SelectBrush(Colour colour) = 0;
  virtual void SelectFont(int32_t height) = 0;
  virtual void SetTextColour(uint32_t colorRef) = 0;
  // Null removes the clip.
  virtual void SetClip(const Rect* rect) = 0;

  // Primitives. Colours are COLORREFs where GDI takes one.
  virtual void FillRect(const Rect& rect, Colour brush) = 0;
  virtual void SetPixel(Point at, uint32_t colorRef) = 0;
  virtual void MoveTo(Point at) = 0;
  virtual void LineTo(Point to) = 0;
  virtual void Polygon(const Point* points, uint32_t count) = 0;
  virtual void PolylineTo(const Point* points, uint32_t count) = 0;
  virtual void Ellipse(const Rect& rect) = 0;
  // Shift_JIS text with the selected font, left-top aligned, transparent background.
  virtual void TextOut(Point at, const char* text, uint32_t length) = 0;
  virtual Size TextExtent(const char* text, uint32_t length) = 0;
};

}  // namespace vexa::ui
