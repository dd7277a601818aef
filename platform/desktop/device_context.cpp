#include "platform/desktop/device_context.h"

#include "platform/desktop/gdi_record.h"

namespace vexa::platform {

using desktop::DcKind;
using desktop::DeviceContext;
using desktop::findDc;
using desktop::findObject;
using desktop::GdiKind;
using desktop::GdiObject;

namespace {

HGDIOBJ stockBitmap() {
  static HGDIOBJ bitmap = [] {
    HGDIOBJ made = CreateCompatibleBitmap(nullptr, 1, 1);
    if (GdiObject* object = findObject(made)) object->stock = true;
    return made;
  }();
  return bitmap;
}

void selectInto(HGDIOBJ& slot, HGDIOBJ object) {
  if (GdiObject* old = findObject(slot)) --old->selections;
  slot = object;
  if (GdiObject* now = findObject(slot)) ++now->selections;
}

HDC makeDc(DcKind kind, HWND window) {
  DeviceContext* dc = nullptr;
  HDC handle = desktop::addDc(dc, kind);
  dc->window = window;
  selectInto(dc->pen, GetStockObject(BLACK_PEN));
  selectInto(dc->brush, GetStockObject(WHITE_BRUSH));
  selectInto(dc->font, GetStockObject(DEFAULT_GUI_FONT));
  if (kind == DcKind::Memory) selectInto(dc->bitmap, stockBitmap());
  return handle;
}

void dropDc(HDC handle) {
  DeviceContext* dc = findDc(handle);
  if (dc == nullptr) return;
  selectInto(dc->pen, nullptr);
  selectInto(dc->brush, nullptr);
  selectInto(dc->font, nullptr);
  selectInto(dc->bitmap, nullptr);
  desktop::removeDc(handle);
}

}  // namespace

HDC GetDC(HWND window) {
  if (window == nullptr) return makeDc(DcKind::Screen, nullptr);
  desktop::WindowRecord* w = desktop::findWindow(window);
  if (w == nullptr || w->kind != desktop::WindowKind::Host) return nullptr;
  return makeDc(DcKind::Window, window);
}

int ReleaseDC(HWND, HDC handle) {
  DeviceContext* dc = findDc(handle);
  if (dc == nullptr || dc->kind == DcKind::Memory) return 0;
  dropDc(handle);
  return 1;
}

HDC CreateCompatibleDC(HDC) {
  return makeDc(DcKind::Memory, nullptr);
}

BOOL DeleteDC(HDC handle) {
  DeviceContext* dc = findDc(handle);
  if (dc == nullptr) return 0;
  dropDc(handle);
  return 1;
}

HDC BeginPaint(HWND window, PAINTSTRUCT* paint) {
  desktop::WindowRecord* w = desktop::findWindow(window);
  if (w == nullptr || paint == nullptr || w->kind != desktop::WindowKind::Host) return nullptr;
  HDC handle = makeDc(DcKind::Window, window);
  DeviceContext* dc = findDc(handle);
  dc->painting = true;
  dc->paintClip = w->invalid ? w->invalidRect : RECT{};
  RECT client{0, 0, w->width, w->height};
  if (!desktop::intersectRect(dc->paintClip, client)) dc->paintClip = RECT{};
  w->invalid = false;
  paint->hdc = handle;
  paint->fErase = 0;
  paint->rcPaint = dc->paintClip;
  return handle;
}

BOOL EndPaint(HWND, const PAINTSTRUCT* paint) {
  if (paint == nullptr) return 0;
  dropDc(paint->hdc);
  return 1;
}

HGDIOBJ SelectObject(HDC handle, HGDIOBJ object) {
  DeviceContext* dc = findDc(handle);
  GdiObject* selected = findObject(object);
  if (dc == nullptr || selected == nullptr) return nullptr;
  HGDIOBJ previous = nullptr;
  switch (selected->kind) {
    case GdiKind::Pen:
      previous = dc->pen;
      selectInto(dc->pen, object);
      return previous;
    case GdiKind::Brush:
      previous = dc->brush;
      selectInto(dc->brush, object);
      return previous;
    case GdiKind::Font:
      previous = dc->font;
      selectInto(dc->font, object);
      return previous;
    case GdiKind::Bitmap:
      // A bitmap lives in one memory DC at a time.
      if (dc->kind != DcKind::Memory) return nullptr;
      if (selected->selections > 0 && dc->bitmap != object && !selected->stock) return nullptr;
      previous = dc->bitmap;
      selectInto(dc->bitmap, object);
      return previous;
    case GdiKind::Region:
      return reinterpret_cast<HGDIOBJ>(
          static_cast<uintptr_t>(SelectClipRgn(handle, static_cast<HRGN>(object))));
  }
  return nullptr;
}

int SelectClipRgn(HDC handle, HRGN region) {
  DeviceContext* dc = findDc(handle);
  if (dc == nullptr) return 0;
  if (region == nullptr) {
    dc->clipped = false;
    return SIMPLEREGION;
  }
  GdiObject* object = findObject(region, GdiKind::Region);
  if (object == nullptr) return 0;
  dc->clipped = true;
  dc->clip = object->rect;
  const bool empty = dc->clip.left >= dc->clip.right || dc->clip.top >= dc->clip.bottom;
  return empty ? NULLREGION : SIMPLEREGION;
}

COLORREF SetTextColor(HDC handle, COLORREF colour) {
  DeviceContext* dc = findDc(handle);
  if (dc == nullptr) return CLR_INVALID;
  const COLORREF previous = dc->textColour;
  dc->textColour = colour & 0x00FFFFFF;
  return previous;
}

COLORREF SetBkColor(HDC handle, COLORREF colour) {
  DeviceContext* dc = findDc(handle);
  if (dc == nullptr) return CLR_INVALID;
  const COLORREF previous = dc->backColour;
  dc->backColour = colour & 0x00FFFFFF;
  return previous;
}

int SetBkMode(HDC handle, int mode) {
  DeviceContext* dc = findDc(handle);
  if (dc == nullptr || (mode != TRANSPARENT && mode != OPAQUE)) return 0;
  const int previous = dc->backMode;
  dc->backMode = mode;
  return previous;
}

UINT SetTextAlign(HDC handle, UINT align) {
  DeviceContext* dc = findDc(handle);
  if (dc == nullptr) return 0xFFFFFFFF;  // GDI_ERROR
  const UINT previous = dc->textAlign;
  dc->textAlign = align;
  return previous;
}

}  // namespace vexa::platform
