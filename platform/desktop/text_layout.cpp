#include "platform/desktop/text_layout.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <string_view>

#include "platform/desktop/device_context.h"
#include "platform/text_encoding.h"

namespace vexa::platform {

using desktop::DeviceContext;
using desktop::DrawTarget;
using desktop::findDc;
using desktop::findObject;
using desktop::GdiKind;
using desktop::GdiObject;

namespace {

// More text than any screen can show in one line is not laid out: a hostile string costs at
// most this much.
constexpr int kMostTextBytes = 65536;

PangoContext* textContext() {
  static PangoContext* context = [] {
    PangoContext* made = pango_font_map_create_context(pango_cairo_font_map_get_default());
    pango_cairo_context_set_resolution(made, 96);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
    // Whole-pixel advances, as GDI gives, so measured prefixes add up.
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
    pango_cairo_context_set_font_options(made, options);
    cairo_font_options_destroy(options);
    pango_context_set_language(made, pango_language_from_string("ja"));
    return made;
  }();
  return context;
}

PangoLayout* sharedLayout() {
  static PangoLayout* layout = [] {
    PangoLayout* made = pango_layout_new(textContext());
    pango_layout_set_single_paragraph_mode(made, TRUE);
    return made;
  }();
  return layout;
}

GdiObject* fontOf(DeviceContext* dc) {
  GdiObject* font = findObject(dc->font, GdiKind::Font);
  return font != nullptr ? font : findObject(GetStockObject(DEFAULT_GUI_FONT), GdiKind::Font);
}

}  // namespace

BOOL TextOutA(HDC handle, int x, int y, const char* text, int length) {
  DeviceContext* dc = findDc(handle);
  if (dc == nullptr || (text == nullptr && length > 0) || length < 0) return 0;
  DrawTarget target;
  if (length == 0 || !desktop::drawTargetOf(dc, target)) return 1;
  GdiObject* font = fontOf(dc);
  PangoLayout* layout = desktop::layoutText(font, text, length);
  PangoRectangle logical;
  pango_layout_get_pixel_extents(layout, nullptr, &logical);
  const int baseline = pango_layout_get_baseline(layout) / PANGO_SCALE;
  const int ascent = font != nullptr ? font->ascent : baseline;
  const int descent = font != nullptr ? font->descent : logical.height - baseline;
  const int width = logical.width;

  int64_t left = x;
  if ((dc->textAlign & TA_CENTER) == TA_CENTER) {
    left -= width / 2;
  } else if (dc->textAlign & TA_RIGHT) {
    left -= width;
  }
  int64_t baselineY = int64_t{y} + ascent;
  if ((dc->textAlign & TA_BASELINE) == TA_BASELINE) {
    baselineY = y;
  } else if (dc->textAlign & TA_BOTTOM) {
    baselineY = int64_t{y} - descent;
  }
  const int64_t top = baselineY - ascent;
  RECT box{static_cast<LONG>(std::clamp<int64_t>(left, INT32_MIN / 2, INT32_MAX / 2)),
           static_cast<LONG>(std::clamp<int64_t>(top, INT32_MIN / 2, INT32_MAX / 2)), 0, 0};
  box.right = box.left + width;
  box.bottom = box.top + ascent + descent;
  RECT visible = box;
  if (!desktop::intersectRect(visible, target.clip)) return 1;

  cairo_t* cr = cairo_create(target.surface);
  const RECT& c = target.clip;
  cairo_rectangle(cr, c.left, c.top, c.right - c.left, c.bottom - c.top);
  cairo_clip(cr);
  if (dc->backMode == OPAQUE) {
    const COLORREF b = dc->backColour;
    cairo_set_source_rgb(cr, GetRValue(b) / 255.0, GetGValue(b) / 255.0, GetBValue(b) / 255.0);
    cairo_rectangle(cr, box.left, box.top, box.right - box.left, box.bottom - box.top);
    cairo_fill(cr);
  }
  const COLORREF t = dc->textColour;
  cairo_set_source_rgb(cr, GetRValue(t) / 255.0, GetGValue(t) / 255.0, GetBValue(t) / 255.0);
  cairo_move_to(cr, static_cast<double>(box.left), static_cast<double>(baselineY - baseline));
  pango_cairo_show_layout(cr, layout);
  cairo_destroy(cr);
  // Glyphs may reach a little outside their advance box (italics, overhangs).
  RECT drawn{visible.left - 2, visible.top - 2, visible.right + 2, visible.bottom + 2};
  desktop::intersectRect(drawn, target.clip);
  desktop::finishDrawing(target, drawn);
  return 1;
}

BOOL GetTextExtentPoint32A(HDC handle, const char* text, int length, SIZE* size) {
  DeviceContext* dc = findDc(handle);
  if (dc == nullptr || size == nullptr || length < 0 || (text == nullptr && length > 0)) return 0;
  GdiObject* font = fontOf(dc);
  size->cy = font != nullptr ? font->height : 0;
  if (length == 0) {
    size->cx = 0;
    return 1;
  }
  PangoRectangle logical;
  pango_layout_get_pixel_extents(desktop::layoutText(font, text, length), nullptr, &logical);
  size->cx = logical.width;
  return 1;
}

BOOL GetTextMetricsA(HDC handle, TEXTMETRICA* metrics) {
  DeviceContext* dc = findDc(handle);
  if (dc == nullptr || metrics == nullptr) return 0;
  GdiObject* font = fontOf(dc);
  if (font == nullptr) return 0;
  metrics->tmHeight = font->height;
  metrics->tmAscent = font->ascent;
  metrics->tmDescent = font->descent;
  metrics->tmAveCharWidth = font->averageWidth;
  return 1;
}

}  // namespace vexa::platform

namespace vexa::platform::desktop {

void sizeFont(GdiObject& font, LONG height) {
  const double wanted = std::max<LONG>(std::abs(height), 1);
  pango_font_description_set_absolute_size(font.font, wanted * PANGO_SCALE);
  PangoFontMetrics* metrics = pango_context_get_metrics(textContext(), font.font, nullptr);
  double ascent = pango_font_metrics_get_ascent(metrics) / double{PANGO_SCALE};
  double descent = pango_font_metrics_get_descent(metrics) / double{PANGO_SCALE};
  pango_font_metrics_unref(metrics);
  if (height > 0 && ascent + descent > 0) {
    // A positive height is the whole cell: scale the em so ascent + descent fill it.
    const double scale = wanted / (ascent + descent);
    pango_font_description_set_absolute_size(font.font, wanted * scale * PANGO_SCALE);
    ascent *= scale;
    descent *= scale;
  }
  metrics = pango_context_get_metrics(textContext(), font.font, nullptr);
  font.averageWidth = static_cast<int>(
      std::lround(pango_font_metrics_get_approximate_char_width(metrics) / double{PANGO_SCALE}));
  pango_font_metrics_unref(metrics);
  font.ascent = static_cast<int>(std::lround(ascent));
  font.height =
      height > 0 ? static_cast<int>(height) : static_cast<int>(std::lround(ascent + descent));
  font.descent = font.height - font.ascent;
}

PangoLayout* layoutText(GdiObject* font, const char* text, int length) {
  PangoLayout* layout = sharedLayout();
  if (font != nullptr && font->font != nullptr)
    pango_layout_set_font_description(layout, font->font);
  const std::string utf8 =
      cp932ToUtf8(std::string_view(text, static_cast<size_t>(std::min(length, kMostTextBytes))));
  pango_layout_set_text(layout, utf8.data(), static_cast<int>(utf8.size()));
  return layout;
}

}  // namespace vexa::platform::desktop
