#pragma once

#include <cairo.h>
#include <pango/pango.h>

#include <cstdint>

#include "platform/desktop/device_context.h"
#include "platform/desktop/gdi_objects.h"
#include "platform/desktop/window_record.h"

// Inside the desktop layer only: what GDI handles stand for.
namespace vexa::platform::desktop {

enum class GdiKind { Pen, Brush, Font, Region, Bitmap };

struct GdiObject {
  GdiKind kind = GdiKind::Pen;
  bool stock = false;
  int selections = 0;  // device contexts it is selected into
  // Pens and brushes.
  int penStyle = PS_SOLID;
  int penWidth = 1;
  COLORREF colour = 0;
  bool hollow = false;  // a null brush or pen draws nothing
  // Fonts: the Pango description (owned) and the cell metrics in pixels.
  PangoFontDescription* font = nullptr;
  int height = 0;
  int ascent = 0;
  int descent = 0;
  int averageWidth = 0;
  // Regions.
  RECT rect;
  // Bitmaps (owned).
  cairo_surface_t* surface = nullptr;

  GdiObject() = default;
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;
  ~GdiObject();
};

enum class DcKind { Window, Memory, Screen };

struct DeviceContext {
  DcKind kind = DcKind::Screen;
  HWND window = nullptr;
  bool painting = false;  // from BeginPaint: clipped to the paint rectangle
  RECT paintClip;
  HGDIOBJ pen = nullptr;
  HGDIOBJ brush = nullptr;
  HGDIOBJ font = nullptr;
  HGDIOBJ bitmap = nullptr;
  bool clipped = false;
  RECT clip;
  POINT position;
  COLORREF textColour = RGB(0, 0, 0);
  COLORREF backColour = RGB(255, 255, 255);
  int backMode = OPAQUE;
  UINT textAlign = TA_LEFT | TA_TOP;
};

GdiObject* findObject(HGDIOBJ handle);
GdiObject* findObject(HGDIOBJ handle, GdiKind kind);
HGDIOBJ addObject(GdiObject*& created, GdiKind kind);
DeviceContext* findDc(HDC handle);
HDC addDc(DeviceContext*& created, DcKind kind);
void removeDc(HDC handle);

// Where a DC's drawing lands: a surface, the rectangle that may be touched, and the window
// whose picture it is (for putting it on screen).
struct DrawTarget {
  cairo_surface_t* surface = nullptr;
  RECT clip;
  WindowRecord* window = nullptr;
};
bool drawTargetOf(DeviceContext* dc, DrawTarget& target);
// The rectangle `drawn` (already inside the clip) is new on the target.
void finishDrawing(DrawTarget& target, const RECT& drawn);

// 0x00RRGGBB, the pixel format of the surfaces.
inline uint32_t pixelOf(COLORREF c) {
  return static_cast<uint32_t>(GetRValue(c)) << 16 | static_cast<uint32_t>(GetGValue(c)) << 8 |
         GetBValue(c);
}
inline COLORREF colourOfPixel(uint32_t p) {
  return RGB(static_cast<BYTE>(p >> 16), static_cast<BYTE>(p >> 8), static_cast<BYTE>(p));
}

bool intersectRect(RECT& a, const RECT& b);

}  // namespace vexa::platform::desktop
