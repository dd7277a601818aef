#pragma once

#include <cstdint>
#include <vector>

#include "platform/desktop/device_context.h"
#include "platform/desktop/gdi_objects.h"
#include "ui/canvas.h"

namespace vexa::ui {

// A canvas over a device context of the desktop layer: a window's (GetDC) or an off-screen
// bitmap's (a memory DC compatible with the screen). Pens, brushes and fonts are made once per
// colour or height and kept while the canvas lives.
class GdiCanvas : public Canvas {
 public:
  // `window` null: an off-screen canvas of width x height.
  GdiCanvas(platform::HWND window, int32_t width, int32_t height);
  ~GdiCanvas() override;
  GdiCanvas(const GdiCanvas&) = delete;
  GdiCanvas& operator=(const GdiCanvas&) = delete;

  bool Open() override;
  bool GetSize(Size& out) override;
  bool Resize(Rect& rect) override;
  bool BlitTo(Canvas& target, Point at, const Rect* source) override;
  // Gives the device context back (ReleaseDC or DeleteDC), with its first objects put back.
  void Close();

  void SelectPen(Colour colour) override;
  void SelectBrush(Colour colour) override;
  void SelectFont(int32_t height) override;
  void SetTextColour(uint32_t colorRef) override;
  void SetClip(const Rect* rect) override;
  void FillRect(const Rect& rect, Colour brush) override;
  void SetPixel(Point at, uint32_t colorRef) override;
  void MoveTo(Point at) override;
  void LineTo(Point to) override;
  void Polygon(const Point* points, uint32_t count) override;
  void PolylineTo(const Point* points, uint32_t count) override;
  void Ellipse(const Rect& rect) override;
  void TextOut(Point at, const char* text, uint32_t length) override;
  Size TextExtent(const char* text, uint32_t length) override;

  platform::HDC dc() const { return dc_; }
  int32_t width() const { return width_; }
  int32_t height() const { return height_; }

 private:
  template <typename Handle>
  struct Cached {
    uint32_t key;
    Handle handle;
  };
  void Select(platform::HGDIOBJ object, platform::HGDIOBJ& firstDisplaced);
  platform::HBRUSH Brush(Colour colour);

  platform::HDC dc_ = nullptr;
  platform::HWND window_ = nullptr;
  bool ownsDc_ = false;
  int32_t width_ = 0;
  int32_t height_ = 0;
  platform::HBITMAP bitmap_ = nullptr;
  platform::HGDIOBJ firstBitmap_ = nullptr;
  platform::HGDIOBJ firstPen_ = nullptr;
  platform::HGDIOBJ firstBrush_ = nullptr;
  platform::HGDIOBJ firstFont_ = nullptr;
  platform::HRGN clip_ = nullptr;
  std::vector<Cached<platform::HPEN>> pens_;
  std::vector<Cached<platform::HBRUSH>> brushes_;
  std::vector<Cached<platform::HFONT>> fonts_;
  std::vector<platform::POINT> points_;
};

}  // namespace vexa::ui
