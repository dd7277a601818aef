#pragma once

#include <cstdint>
#include <vector>

#include "ui/canvas.h"
#include "ui/colour.h"
#include "ui/geometry.h"
#include "ui/kind_tag.h"

namespace vexa::ui {

// Text with anchor and caret (byte positions) and its drawing origin.
struct TextRun {
  const char* text = nullptr;
  uint32_t length = 0;
  uint32_t anchor = 0;
  uint32_t caret = 0;
  Point origin;
};

// The style objects. Each is bound to a canvas before use; binding none releases it.
class Style : public Tagged {
 public:
  explicit Style(Colour colour) : colour_(colour) {}
  virtual void Bind(Canvas* canvas) { canvas_ = canvas; }
  Canvas* canvas() const { return canvas_; }
  Colour colour() const { return colour_; }

 protected:
  Colour colour_;
  Canvas* canvas_ = nullptr;
};

class FillStyle : public Style {
 public:
  using Style::Style;
  int32_t KindTag() const override { return kind::kFillStyle; }
  void FillRect(const Rect& rect);
};

class StrokeStyle : public Style {
 public:
  using Style::Style;
  int32_t KindTag() const override { return kind::kStrokeStyle; }
  void Bind(Canvas* canvas) override;
};

class ShapeStyle : public Style {
 public:
  using Style::Style;
  int32_t KindTag() const override { return kind::kShapeStyle; }
  void Bind(Canvas* canvas) override;
  // 1 point: a pixel; 2: a line with both ends; 3 or more: mode <= 0 a filled polygon,
  // 1 a closed outline, >= 2 an open path whose last pixel is set.
  void DrawShape(const Point* points, uint32_t count, int32_t mode);
  void DrawEllipse(const Rect& rect);
  uint32_t pixelColour() const { return colour_.PixelColour(); }

 private:
  std::vector<Point> buffer_;
};

class TextStyle : public Style {
 public:
  TextStyle(Colour colour, int32_t height) : Style(colour), height_(height) {}
  int32_t KindTag() const override { return kind::kTextStyle; }
  void Bind(Canvas* canvas) override;
  void DrawRun(const TextRun& run);
  // Three rectangles at (0, 0) with the font height: the whole text, the first
  // min(anchor, caret) bytes and the first max(anchor, caret) bytes.
  void MeasureRun(Rect (&out)[3], const TextRun& run);
  int32_t height() const { return height_; }

 private:
  int32_t height_;
};

class ClipRegion : public Style {
 public:
  ClipRegion() : Style(Colour{}) {}
  int32_t KindTag() const override { return kind::kClipRegion; }
  void Bind(Canvas* canvas) override;
  void SetClipRect(const Rect& rect);
  bool Contains(Point point) const { return hasRegion_ && region_.contains(point); }

 private:
  Rect region_;
  bool hasRegion_ = false;
};

// A style descriptor: its kind and parameters; Create builds the style object.
struct StyleDescriptor {
  int32_t kind = kind::kFillStyle;
  Colour colour;
  int32_t fontHeight = 0;
};

}  // namespace vexa::ui
