#include "platform/desktop/gdi_objects.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <unordered_map>

#include "platform/desktop/font_faces.h"
#include "platform/desktop/gdi_record.h"
#include "platform/desktop/text_layout.h"
#include "platform/text_encoding.h"

namespace vexa::platform {

using desktop::findObject;
using desktop::GdiKind;
using desktop::GdiObject;

namespace {

constexpr int kMostSide = 32767;
constexpr int64_t kMostBitmapBytes = int64_t{256} << 20;
constexpr LONG kMostFontHeight = 4096;

// The Japanese face every font falls back to when it has none of its own.
constexpr const char* kDefaultFace = "ＭＳ Ｐゴシック";

HGDIOBJ makePenOrBrush(GdiKind kind, int style, int width, COLORREF colour, bool hollow) {
  GdiObject* object = nullptr;
  HGDIOBJ handle = desktop::addObject(object, kind);
  if (handle == nullptr) return nullptr;
  object->penStyle = style;
  object->penWidth = std::max(width, 1);
  object->colour = colour & 0x00FFFFFF;
  object->hollow = hollow;
  return handle;
}

}  // namespace

HPEN CreatePen(int style, int width, COLORREF colour) {
  if (style != PS_SOLID && style != PS_NULL) style = PS_SOLID;
  if (width < 0 || width > kMostSide) return nullptr;
  return static_cast<HPEN>(makePenOrBrush(GdiKind::Pen, style, width, colour, style == PS_NULL));
}

HBRUSH CreateSolidBrush(COLORREF colour) {
  return static_cast<HBRUSH>(makePenOrBrush(GdiKind::Brush, PS_SOLID, 1, colour, false));
}

HGDIOBJ GetStockObject(int which) {
  static std::unordered_map<int, HGDIOBJ> made;
  if (auto found = made.find(which); found != made.end()) return found->second;
  HGDIOBJ handle = nullptr;
  switch (which) {
    case WHITE_BRUSH:
      handle = CreateSolidBrush(RGB(255, 255, 255));
      break;
    case BLACK_BRUSH:
      handle = CreateSolidBrush(RGB(0, 0, 0));
      break;
    case NULL_BRUSH:
      handle = makePenOrBrush(GdiKind::Brush, PS_SOLID, 1, 0, true);
      break;
    case WHITE_PEN:
      handle = CreatePen(PS_SOLID, 1, RGB(255, 255, 255));
      break;
    case BLACK_PEN:
      handle = CreatePen(PS_SOLID, 1, RGB(0, 0, 0));
      break;
    case NULL_PEN:
      handle = CreatePen(PS_NULL, 1, 0);
      break;
    case DEFAULT_GUI_FONT: {
      LOGFONTA font;
      font.lfHeight = 12;
      font.lfCharSet = SHIFTJIS_CHARSET;
      handle = CreateFontIndirectA(&font);
      break;
    }
    default:
      return nullptr;
  }
  if (GdiObject* object = findObject(handle)) object->stock = true;
  if (handle != nullptr) made.emplace(which, handle);
  return handle;
}

HFONT CreateFontIndirectA(const LOGFONTA* logical) {
  if (logical == nullptr) return nullptr;
  if (logical->lfHeight > kMostFontHeight || logical->lfHeight < -kMostFontHeight) return nullptr;
  const size_t faceLength = strnlen(logical->lfFaceName, LF_FACESIZE);
  std::string face = cp932ToUtf8(std::string_view(logical->lfFaceName, faceLength));
  if (face.empty()) face = kDefaultFace;
  const desktop::FaceChoice& choice = desktop::resolveFace(face);
  std::string family = choice.family.empty() ? face : choice.family;
  // A Japanese font must not silently become a Latin one: use the Japanese face instead.
  if (logical->lfCharSet == SHIFTJIS_CHARSET && !choice.japanese) {
    family = desktop::kJapaneseFallbackFamily;
  }
  GdiObject* object = nullptr;
  HGDIOBJ handle = desktop::addObject(object, GdiKind::Font);
  if (handle == nullptr) return nullptr;
  PangoFontDescription* description = pango_font_description_new();
  pango_font_description_set_family(description, family.c_str());
  pango_font_description_set_weight(
      description, logical->lfWeight >= FW_BOLD ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
  pango_font_description_set_style(description,
                                   logical->lfItalic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
  object->font = description;
  desktop::sizeFont(*object, logical->lfHeight == 0 ? 12 : logical->lfHeight);
  return static_cast<HFONT>(handle);
}

HRGN CreateRectRgn(int left, int top, int right, int bottom) {
  GdiObject* object = nullptr;
  HGDIOBJ handle = desktop::addObject(object, GdiKind::Region);
  if (handle == nullptr) return nullptr;
  SetRectRgn(static_cast<HRGN>(handle), left, top, right, bottom);
  return static_cast<HRGN>(handle);
}

BOOL SetRectRgn(HRGN region, int left, int top, int right, int bottom) {
  GdiObject* object = findObject(region, GdiKind::Region);
  if (object == nullptr) return 0;
  object->rect = RECT{std::min(left, right), std::min(top, bottom), std::max(left, right),
                      std::max(top, bottom)};
  return 1;
}

BOOL PtInRegion(HRGN region, int x, int y) {
  GdiObject* object = findObject(region, GdiKind::Region);
  if (object == nullptr) return 0;
  const RECT& r = object->rect;
  return x >= r.left && x < r.right && y >= r.top && y < r.bottom ? 1 : 0;
}

int GetRgnBox(HRGN region, RECT* box) {
  GdiObject* object = findObject(region, GdiKind::Region);
  if (object == nullptr || box == nullptr) return 0;
  *box = object->rect;
  const bool empty = box->left >= box->right || box->top >= box->bottom;
  return empty ? NULLREGION : SIMPLEREGION;
}

HBITMAP CreateCompatibleBitmap(HDC, int width, int height) {
  if (width < 0 || height < 0 || width > kMostSide || height > kMostSide) return nullptr;
  if (int64_t{width} * height * 4 > kMostBitmapBytes) return nullptr;
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
  if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(surface);
    return nullptr;
  }
  GdiObject* object = nullptr;
  HGDIOBJ handle = desktop::addObject(object, GdiKind::Bitmap);
  if (handle == nullptr) {
    cairo_surface_destroy(surface);
    return nullptr;
  }
  object->surface = surface;
  return static_cast<HBITMAP>(handle);
}

int GetObjectA(HGDIOBJ handle, int size, void* out) {
  GdiObject* object = findObject(handle, GdiKind::Bitmap);
  if (object == nullptr || out == nullptr || size < static_cast<int>(sizeof(BITMAP))) return 0;
  BITMAP bitmap;
  bitmap.bmWidth = cairo_image_surface_get_width(object->surface);
  bitmap.bmHeight = cairo_image_surface_get_height(object->surface);
  memcpy(out, &bitmap, sizeof bitmap);
  return sizeof bitmap;
}

}  // namespace vexa::platform

namespace vexa::platform::desktop {

GdiObject::~GdiObject() {
  if (font != nullptr) pango_font_description_free(font);
  if (surface != nullptr) cairo_surface_destroy(surface);
}

}  // namespace vexa::platform::desktop
