#include "ui/gdi_canvas.h"

#include <algorithm>
#include <cstring>

#include "base/sjis.h"
#include "platform/desktop/host_windows.h"

namespace vexa::ui {

namespace P = vexa::platform;

namespace {

// Enough for the theme's palette and pulse; beyond it the oldest object is dropped.
constexpr size_t kCacheLimit = 128;

}  // namespace

GdiCanvas::GdiCanvas(P::HWND window, int32_t width, int32_t height)
    : window_(window), width_(std::max(width, 0)), height_(std::max(height, 0)) {}

GdiCanvas::~GdiCanvas() {
  Close();
  for (auto& p : pens_) P::DeleteObject(p.handle);
  for (auto& b : brushes_) P::DeleteObject(b.handle);
  for (auto& f : fonts_) P::DeleteObject(f.handle);
  if (bitmap_ != nullptr) P::DeleteObject(bitmap_);
  if (clip_ != nullptr) P::DeleteObject(clip_);
}

bool GdiCanvas::Open() {
  if (dc_ != nullptr) return false;
  if (window_ != nullptr) {
    dc_ = P::GetDC(window_);
    ownsDc_ = false;
    return dc_ == nullptr;
  }
  P::HDC screen = P::GetDC(nullptr);
  if (screen == nullptr) return true;
  P::HDC memory = P::CreateCompatibleDC(screen);
  P::HBITMAP bitmap =
      memory != nullptr ? P::CreateCompatibleBitmap(screen, width_, height_) : nullptr;
  P::ReleaseDC(nullptr, screen);
  if (bitmap == nullptr) {
    if (memory != nullptr) P::DeleteDC(memory);
    return true;
  }
  dc_ = memory;
  ownsDc_ = true;
  if (bitmap_ != nullptr) P::DeleteObject(bitmap_);
  bitmap_ = bitmap;
  Select(bitmap_, firstBitmap_);
  return false;
}

void GdiCanvas::Close() {
  if (dc_ == nullptr) return;
  // Put back what was selected first, so every object of ours can be deleted.
  if (firstBitmap_) P::SelectObject(dc_, firstBitmap_);
  if (firstPen_) P::SelectObject(dc_, firstPen_);
  if (firstBrush_) P::SelectObject(dc_, firstBrush_);
  if (firstFont_) P::SelectObject(dc_, firstFont_);
  firstBitmap_ = firstPen_ = firstBrush_ = firstFont_ = nullptr;
  if (ownsDc_) {
    P::DeleteDC(dc_);
  } else {
    P::ReleaseDC(window_, dc_);
  }
  dc_ = nullptr;
}

bool GdiCanvas::GetSize(Size& out) {
  if (window_ == nullptr) {
    out = Size{width_, height_};
    return false;
  }
  P::RECT r;
  if (!P::GetClientRect(window_, &r)) return true;
  out = Size{r.right - r.left, r.bottom - r.top};
  return false;
}

bool GdiCanvas::Resize(Rect& rect) {
  int32_t width = rect.width();
  int32_t height = rect.height();
  P::HBITMAP bitmap = nullptr;
  if (width >= 0 && height >= 0) {
    P::HDC screen = P::GetDC(nullptr);
    bitmap = P::CreateCompatibleBitmap(screen, width, height);
    if (screen != nullptr) P::ReleaseDC(nullptr, screen);
  }
  if (bitmap == nullptr) {
    rect = Rect{0, 0, width_, height_};
    return true;
  }
  if (dc_ != nullptr && ownsDc_) Select(bitmap, firstBitmap_);
  if (bitmap_ != nullptr) P::DeleteObject(bitmap_);
  bitmap_ = bitmap;
  width_ = width;
  height_ = height;
  return false;
}

bool GdiCanvas::BlitTo(Canvas& target, Point at, const Rect* source) {
  auto* other = dynamic_cast<GdiCanvas*>(&target);
  if (other == nullptr || other->dc_ == nullptr || dc_ == nullptr) return true;
  Rect from = source != nullptr ? *source : Rect{0, 0, width_, height_};
  return !P::BitBlt(other->dc_, at.x, at.y, from.width(), from.height(), dc_, from.left, from.top,
                    P::SRCCOPY);
}

void GdiCanvas::Select(P::HGDIOBJ object, P::HGDIOBJ& firstDisplaced) {
  if (dc_ == nullptr || object == nullptr) return;
  P::HGDIOBJ displaced = P::SelectObject(dc_, object);
  if (firstDisplaced == nullptr) firstDisplaced = displaced;
}

void GdiCanvas::SelectPen(Colour colour) {
  uint32_t key = colour.PixelColour();
  for (auto& p : pens_) {
    if (p.key == key) return Select(p.handle, firstPen_);
  }
  P::HPEN pen = P::CreatePen(P::PS_SOLID, 0, key);
  if (pen == nullptr) return;
  if (pens_.size() >= kCacheLimit) {
    // The oldest may be selected; select the new one first so it can go.
    Select(pen, firstPen_);
    P::DeleteObject(pens_.front().handle);
    pens_.erase(pens_.begin());
  }
  pens_.push_back({key, pen});
  Select(pen, firstPen_);
}

P::HBRUSH GdiCanvas::Brush(Colour colour) {
  uint32_t key = colour.PixelColour();
  for (auto& b : brushes_) {
    if (b.key == key) return b.handle;
  }
  P::HBRUSH brush = P::CreateSolidBrush(key);
  if (brush == nullptr) return nullptr;
  if (brushes_.size() >= kCacheLimit) {
    Select(brush, firstBrush_);
    P::DeleteObject(brushes_.front().handle);
    brushes_.erase(brushes_.begin());
  }
  brushes_.push_back({key, brush});
  return brush;
}

void GdiCanvas::SelectBrush(Colour colour) {
  Select(Brush(colour), firstBrush_);
}

void GdiCanvas::SelectFont(int32_t height) {
  uint32_t key = static_cast<uint32_t>(height);
  for (auto& f : fonts_) {
    if (f.key == key) return Select(f.handle, firstFont_);
  }
  P::LOGFONTA font;
  font.lfHeight = height;
  font.lfCharSet = P::SHIFTJIS_CHARSET;
  const char* face = "ＭＳ Ｐゴシック"_sjis;
  std::strncpy(font.lfFaceName, face, sizeof(font.lfFaceName) - 1);
  P::HFONT handle = P::CreateFontIndirectA(&font);
  if (handle == nullptr) return;
  fonts_.push_back({key, handle});
  Select(handle, firstFont_);
  P::SetBkMode(dc_, P::TRANSPARENT);
}

void GdiCanvas::SetTextColour(uint32_t colorRef) {
  if (dc_ != nullptr) P::SetTextColor(dc_, colorRef);
}

void GdiCanvas::SetClip(const Rect* rect) {
  if (dc_ == nullptr) return;
  if (rect == nullptr) {
    P::SelectClipRgn(dc_, nullptr);
    return;
  }
  if (clip_ == nullptr) {
    clip_ = P::CreateRectRgn(rect->left, rect->top, rect->right, rect->bottom);
  } else {
    P::SetRectRgn(clip_, rect->left, rect->top, rect->right, rect->bottom);
  }
  if (clip_ != nullptr) P::SelectClipRgn(dc_, clip_);
}

void GdiCanvas::FillRect(const Rect& rect, Colour colour) {
  if (dc_ == nullptr) return;
  P::RECT r{rect.left, rect.top, rect.right, rect.bottom};
  P::FillRect(dc_, &r, Brush(colour));
}

void GdiCanvas::SetPixel(Point at, uint32_t colorRef) {
  if (dc_ != nullptr) P::SetPixel(dc_, at.x, at.y, colorRef);
}

void GdiCanvas::MoveTo(Point at) {
  if (dc_ != nullptr) P::MoveToEx(dc_, at.x, at.y, nullptr);
}

void GdiCanvas::LineTo(Point to) {
  if (dc_ != nullptr) P::LineTo(dc_, to.x, to.y);
}

void GdiCanvas::Polygon(const Point* points, uint32_t count) {
  if (dc_ == nullptr) return;
  points_.resize(count);
  for (uint32_t i = 0; i < count; ++i) points_[i] = P::POINT{points[i].x, points[i].y};
  P::Polygon(dc_, points_.data(), static_cast<int>(count));
}

void GdiCanvas::PolylineTo(const Point* points, uint32_t count) {
  if (dc_ == nullptr) return;
  points_.resize(count);
  for (uint32_t i = 0; i < count; ++i) points_[i] = P::POINT{points[i].x, points[i].y};
  P::PolylineTo(dc_, points_.data(), count);
}

void GdiCanvas::Ellipse(const Rect& r) {
  if (dc_ != nullptr) P::Ellipse(dc_, r.left, r.top, r.right, r.bottom);
}

void GdiCanvas::TextOut(Point at, const char* text, uint32_t length) {
  if (dc_ == nullptr || text == nullptr) return;
  P::SetTextAlign(dc_, 0);
  P::TextOutA(dc_, at.x, at.y, text, static_cast<int>(std::min<uint32_t>(length, INT32_MAX)));
}

Size GdiCanvas::TextExtent(const char* text, uint32_t length) {
  P::SIZE size;
  if (dc_ == nullptr || text == nullptr ||
      !P::GetTextExtentPoint32A(dc_, text, static_cast<int>(std::min<uint32_t>(length, INT32_MAX)),
                                &size))
    return Size{};
  return Size{size.cx, size.cy};
}

}  // namespace vexa::ui
