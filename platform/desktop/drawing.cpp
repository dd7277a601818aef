#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "platform/desktop/device_context.h"
#include "platform/desktop/gdi_record.h"

namespace vexa::platform {

using desktop::DeviceContext;
using desktop::DrawTarget;
using desktop::findDc;
using desktop::findObject;
using desktop::GdiKind;
using desktop::GdiObject;

namespace {

// Cairo works in 24.8 fixed point: coordinates beyond this would wrap.
constexpr double kCairoLimit = 1 << 22;

double forCairo(double v) {
  return std::clamp(v, -kCairoLimit, kCairoLimit);
}

struct Pixels {
  uint32_t* data = nullptr;
  int stride = 0;  // in pixels
  explicit Pixels(cairo_surface_t* surface) {
    cairo_surface_flush(surface);
    data = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(surface));
    stride = cairo_image_surface_get_stride(surface) / 4;
  }
  uint32_t& at(LONG x, LONG y) { return data[static_cast<size_t>(y) * stride + x]; }
};

// A cairo context on the target, clipped, drawing whole pixels as GDI does.
class Painter {
 public:
  explicit Painter(const DrawTarget& target) : cr_(cairo_create(target.surface)) {
    const RECT& c = target.clip;
    cairo_rectangle(cr_, c.left, c.top, c.right - c.left, c.bottom - c.top);
    cairo_clip(cr_);
    cairo_set_antialias(cr_, CAIRO_ANTIALIAS_NONE);
    cairo_set_operator(cr_, CAIRO_OPERATOR_SOURCE);
  }
  ~Painter() { cairo_destroy(cr_); }
  Painter(const Painter&) = delete;
  Painter& operator=(const Painter&) = delete;
  cairo_t* get() { return cr_; }
  void colour(COLORREF c) {
    cairo_set_source_rgb(cr_, GetRValue(c) / 255.0, GetGValue(c) / 255.0, GetBValue(c) / 255.0);
  }

 private:
  cairo_t* cr_;
};

RECT boundsOf(const POINT* points, size_t count, int grow) {
  RECT box{points[0].x, points[0].y, points[0].x, points[0].y};
  for (size_t i = 1; i < count; ++i) {
    box.left = std::min(box.left, points[i].x);
    box.top = std::min(box.top, points[i].y);
    box.right = std::max(box.right, points[i].x);
    box.bottom = std::max(box.bottom, points[i].y);
  }
  const auto widen = [](LONG v, int by) {
    return static_cast<LONG>(std::clamp<int64_t>(int64_t{v} + by, INT32_MIN, INT32_MAX));
  };
  return RECT{widen(box.left, -grow), widen(box.top, -grow), widen(box.right, grow + 1),
              widen(box.bottom, grow + 1)};
}

void markDrawn(DrawTarget& target, RECT drawn) {
  if (desktop::intersectRect(drawn, target.clip)) desktop::finishDrawing(target, drawn);
}

// A one-pixel line from (x0, y0) towards (x1, y1), leaving out the end point. The pixel of step
// i along the major axis is computed directly, so only the steps inside the clip are visited,
// whatever the length.
void thinLine(DrawTarget& target, Pixels& pixels, LONG x0, LONG y0, LONG x1, LONG y1,
              uint32_t pixel) {
  const int64_t dx = std::abs(int64_t{x1} - x0);
  const int64_t dy = std::abs(int64_t{y1} - y0);
  const int64_t sx = x1 >= x0 ? 1 : -1;
  const int64_t sy = y1 >= y0 ? 1 : -1;
  const bool xMajor = dx >= dy;
  const int64_t steps = xMajor ? dx : dy;
  const int64_t minor = xMajor ? dy : dx;
  if (steps == 0) return;
  const RECT& c = target.clip;
  // Steps whose major coordinate lies inside the clip.
  const int64_t start = xMajor ? x0 : y0;
  const int64_t sign = xMajor ? sx : sy;
  const int64_t low = xMajor ? c.left : c.top;
  const int64_t high = (xMajor ? c.right : c.bottom) - 1;
  int64_t first = sign > 0 ? low - start : start - high;
  int64_t last = sign > 0 ? high - start : start - low;
  first = std::max<int64_t>(first, 0);
  last = std::min<int64_t>(last, steps - 1);
  for (int64_t i = first; i <= last; ++i) {
    const int64_t offset = (2 * i * minor + steps) / (2 * steps);
    const int64_t x = xMajor ? x0 + sx * i : x0 + sx * offset;
    const int64_t y = xMajor ? y0 + sy * offset : y0 + sy * i;
    if (x < c.left || x >= c.right || y < c.top || y >= c.bottom) continue;
    pixels.at(static_cast<LONG>(x), static_cast<LONG>(y)) = pixel;
  }
}

// A line with the DC's pen; the current position is not touched.
void penLine(DeviceContext* dc, DrawTarget& target, POINT from, POINT to) {
  GdiObject* pen = findObject(dc->pen, GdiKind::Pen);
  if (pen == nullptr || pen->hollow) return;
  if (pen->penWidth <= 1) {
    Pixels pixels(target.surface);
    thinLine(target, pixels, from.x, from.y, to.x, to.y, desktop::pixelOf(pen->colour));
  } else {
    Painter painter(target);
    painter.colour(pen->colour);
    cairo_set_line_width(painter.get(), pen->penWidth);
    cairo_set_line_cap(painter.get(), CAIRO_LINE_CAP_ROUND);
    cairo_move_to(painter.get(), forCairo(from.x + 0.5), forCairo(from.y + 0.5));
    cairo_line_to(painter.get(), forCairo(to.x + 0.5), forCairo(to.y + 0.5));
    cairo_stroke(painter.get());
  }
  const POINT ends[2] = {from, to};
  markDrawn(target, boundsOf(ends, 2, pen->penWidth));
}

GdiObject* usableBrush(HGDIOBJ handle) {
  GdiObject* brush = findObject(handle, GdiKind::Brush);
  return brush != nullptr && !brush->hollow ? brush : nullptr;
}

void fillPixels(DrawTarget& target, RECT area, uint32_t pixel) {
  if (!desktop::intersectRect(area, target.clip)) return;
  Pixels pixels(target.surface);
  for (LONG y = area.top; y < area.bottom; ++y) {
    std::fill_n(&pixels.at(area.left, y), area.right - area.left, pixel);
  }
  desktop::finishDrawing(target, area);
}

// The surface a DC reads from in BitBlt: the whole bitmap or client area, whatever its clip.
bool sourceOf(DeviceContext* dc, cairo_surface_t*& surface, RECT& bounds) {
  if (dc == nullptr) return false;
  if (dc->kind == desktop::DcKind::Memory) {
    GdiObject* bitmap = findObject(dc->bitmap, GdiKind::Bitmap);
    if (bitmap == nullptr) return false;
    surface = bitmap->surface;
  } else if (dc->kind == desktop::DcKind::Window) {
    desktop::WindowRecord* w = desktop::findWindow(dc->window);
    if (w == nullptr || w->picture == nullptr) return false;
    surface = w->picture;
  } else {
    return false;
  }
  bounds =
      RECT{0, 0, cairo_image_surface_get_width(surface), cairo_image_surface_get_height(surface)};
  return true;
}

}  // namespace

COLORREF SetPixel(HDC handle, int x, int y, COLORREF colour) {
  DrawTarget target;
  if (!desktop::drawTargetOf(findDc(handle), target)) return CLR_INVALID;
  const RECT& c = target.clip;
  if (x < c.left || x >= c.right || y < c.top || y >= c.bottom) return CLR_INVALID;
  Pixels pixels(target.surface);
  pixels.at(x, y) = desktop::pixelOf(colour);
  desktop::finishDrawing(target, RECT{x, y, x + 1, y + 1});
  return colour & 0x00FFFFFF;
}

COLORREF GetPixel(HDC handle, int x, int y) {
  cairo_surface_t* surface = nullptr;
  RECT bounds;
  if (!sourceOf(findDc(handle), surface, bounds)) return CLR_INVALID;
  if (x < bounds.left || x >= bounds.right || y < bounds.top || y >= bounds.bottom) {
    return CLR_INVALID;
  }
  Pixels pixels(surface);
  return desktop::colourOfPixel(pixels.at(x, y));
}

BOOL MoveToEx(HDC handle, int x, int y, POINT* previous) {
  DeviceContext* dc = findDc(handle);
  if (dc == nullptr) return 0;
  if (previous != nullptr) *previous = dc->position;
  dc->position = POINT{x, y};
  return 1;
}

BOOL LineTo(HDC handle, int x, int y) {
  DeviceContext* dc = findDc(handle);
  if (dc == nullptr) return 0;
  DrawTarget target;
  if (desktop::drawTargetOf(dc, target)) penLine(dc, target, dc->position, POINT{x, y});
  dc->position = POINT{x, y};
  return 1;
}

BOOL PolylineTo(HDC handle, const POINT* points, DWORD count) {
  if (points == nullptr && count > 0) return 0;
  for (DWORD i = 0; i < count; ++i) {
    if (!LineTo(handle, points[i].x, points[i].y)) return 0;
  }
  return 1;
}

BOOL Polygon(HDC handle, const POINT* points, int count) {
  DeviceContext* dc = findDc(handle);
  if (dc == nullptr || points == nullptr || count < 2) return 0;
  DrawTarget target;
  if (!desktop::drawTargetOf(dc, target)) return 1;
  const size_t n = static_cast<size_t>(count);
  if (GdiObject* brush = usableBrush(dc->brush)) {
    Painter painter(target);
    painter.colour(brush->colour);
    cairo_set_fill_rule(painter.get(), CAIRO_FILL_RULE_EVEN_ODD);
    cairo_move_to(painter.get(), forCairo(points[0].x), forCairo(points[0].y));
    for (size_t i = 1; i < n; ++i) {
      cairo_line_to(painter.get(), forCairo(points[i].x), forCairo(points[i].y));
    }
    cairo_close_path(painter.get());
    cairo_fill(painter.get());
    markDrawn(target, boundsOf(points, n, 0));
  }
  for (size_t i = 0; i < n; ++i) penLine(dc, target, points[i], points[(i + 1) % n]);
  return 1;
}

BOOL Ellipse(HDC handle, int left, int top, int right, int bottom) {
  DeviceContext* dc = findDc(handle);
  if (dc == nullptr) return 0;
  if (left > right) std::swap(left, right);
  if (top > bottom) std::swap(top, bottom);
  DrawTarget target;
  if (right - left < 1 || bottom - top < 1 || !desktop::drawTargetOf(dc, target)) return 1;
  const double cx = forCairo((static_cast<double>(left) + right) / 2);
  const double cy = forCairo((static_cast<double>(top) + bottom) / 2);
  const double rx = forCairo((static_cast<double>(right) - left) / 2);
  const double ry = forCairo((static_cast<double>(bottom) - top) / 2);
  const auto path = [&](cairo_t* cr, double shrink) {
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_scale(cr, std::max(rx - shrink, 0.01), std::max(ry - shrink, 0.01));
    cairo_new_path(cr);
    cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
    cairo_restore(cr);
  };
  if (GdiObject* brush = usableBrush(dc->brush)) {
    Painter painter(target);
    painter.colour(brush->colour);
    path(painter.get(), 0);
    cairo_fill(painter.get());
  }
  GdiObject* pen = findObject(dc->pen, GdiKind::Pen);
  if (pen != nullptr && !pen->hollow) {
    Painter painter(target);
    painter.colour(pen->colour);
    path(painter.get(), pen->penWidth / 2.0);
    cairo_set_line_width(painter.get(), pen->penWidth);
    cairo_stroke(painter.get());
  }
  markDrawn(target, RECT{left, top, right, bottom});
  return 1;
}

BOOL Rectangle(HDC handle, int left, int top, int right, int bottom) {
  DeviceContext* dc = findDc(handle);
  if (dc == nullptr) return 0;
  if (left > right) std::swap(left, right);
  if (top > bottom) std::swap(top, bottom);
  DrawTarget target;
  if (right - left < 1 || bottom - top < 1 || !desktop::drawTargetOf(dc, target)) return 1;
  if (GdiObject* brush = usableBrush(dc->brush)) {
    fillPixels(target, RECT{left, top, right, bottom}, desktop::pixelOf(brush->colour));
  }
  const POINT corners[4] = {
      {left, top}, {right - 1, top}, {right - 1, bottom - 1}, {left, bottom - 1}};
  for (int i = 0; i < 4; ++i) penLine(dc, target, corners[i], corners[(i + 1) % 4]);
  return 1;
}

int FillRect(HDC handle, const RECT* rect, HBRUSH brushHandle) {
  DeviceContext* dc = findDc(handle);
  GdiObject* brush = findObject(brushHandle, GdiKind::Brush);
  if (dc == nullptr || rect == nullptr || brush == nullptr) return 0;
  DrawTarget target;
  if (brush->hollow || !desktop::drawTargetOf(dc, target)) return 1;
  fillPixels(target, *rect, desktop::pixelOf(brush->colour));
  return 1;
}

BOOL BitBlt(HDC targetHandle, int x, int y, int width, int height, HDC sourceHandle, int sourceX,
            int sourceY, DWORD operation) {
  DeviceContext* dc = findDc(targetHandle);
  if (dc == nullptr || width < 0 || height < 0) return 0;
  if (operation != SRCCOPY && operation != BLACKNESS && operation != WHITENESS) return 0;
  DrawTarget target;
  const bool drawable = desktop::drawTargetOf(dc, target);
  RECT area{x, y, static_cast<LONG>(std::min<int64_t>(int64_t{x} + width, INT32_MAX)),
            static_cast<LONG>(std::min<int64_t>(int64_t{y} + height, INT32_MAX))};
  if (operation != SRCCOPY) {
    if (drawable) fillPixels(target, area, operation == WHITENESS ? 0xFFFFFF : 0);
    return 1;
  }
  cairo_surface_t* source = nullptr;
  RECT bounds;
  if (!sourceOf(findDc(sourceHandle), source, bounds)) return 0;
  if (!drawable || !desktop::intersectRect(area, target.clip)) return 1;
  // Only what the source has is copied; the rest of the target is left as it was.
  const int64_t shiftX = int64_t{sourceX} - x;
  const int64_t shiftY = int64_t{sourceY} - y;
  RECT from{static_cast<LONG>(std::clamp<int64_t>(area.left + shiftX, INT32_MIN, INT32_MAX)),
            static_cast<LONG>(std::clamp<int64_t>(area.top + shiftY, INT32_MIN, INT32_MAX)),
            static_cast<LONG>(std::clamp<int64_t>(area.right + shiftX, INT32_MIN, INT32_MAX)),
            static_cast<LONG>(std::clamp<int64_t>(area.bottom + shiftY, INT32_MIN, INT32_MAX))};
  if (!desktop::intersectRect(from, bounds)) return 1;
  area = RECT{static_cast<LONG>(from.left - shiftX), static_cast<LONG>(from.top - shiftY),
              static_cast<LONG>(from.right - shiftX), static_cast<LONG>(from.bottom - shiftY)};
  Pixels in(source);
  Pixels out(target.surface);
  const size_t rowBytes = static_cast<size_t>(area.right - area.left) * 4;
  const LONG rows = area.bottom - area.top;
  // Rows in the order that keeps an overlapping copy within one surface intact.
  const bool upward = source == target.surface && area.top > from.top;
  for (LONG i = 0; i < rows; ++i) {
    const LONG row = upward ? rows - 1 - i : i;
    memmove(&out.at(area.left, area.top + row), &in.at(from.left, from.top + row), rowBytes);
  }
  desktop::finishDrawing(target, area);
  return 1;
}

}  // namespace vexa::platform
