#include "platform/desktop/html_container.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <cstring>

#include "platform/desktop/html_text_breaks.h"

namespace vexa::platform::desktop {

const char kHtmlMasterStyleSheet[] = R"(
html{display:block;}
br{display:inline-block;}
head,style,script,title,link,meta,base,noscript,template{display:none;}
body{display:block;margin:8px;}
div,p,dl,dt,dd,ul,ol,form,pre,blockquote,center,address,h1,h2,h3,h4,h5,h6,header,footer,section,article,nav,main{display:block;}
p,dl,blockquote,pre,ul,ol{margin-top:1em;margin-bottom:1em;}
dd{margin-left:40px;}
blockquote{margin-left:40px;margin-right:40px;}
h1{font-size:2em;font-weight:bold;margin:0.67em 0;}
h2{font-size:1.5em;font-weight:bold;margin:0.83em 0;}
h3{font-size:1.17em;font-weight:bold;margin:1em 0;}
h4,h5,h6{font-weight:bold;margin:1.33em 0;}
ul,ol{padding-left:40px;}
ul{list-style-type:disc;}
ol{list-style-type:decimal;}
li{display:list-item;}
b,strong,th{font-weight:bold;}
i,em,cite,var,address{font-style:italic;}
u,ins{text-decoration:underline;}
s,strike,del{text-decoration:line-through;}
small{font-size:smaller;}
big{font-size:larger;}
sub{vertical-align:sub;font-size:smaller;}
sup{vertical-align:super;font-size:smaller;}
center{text-align:center;}
pre,tt,code,kbd,samp{font-family:monospace;}
pre{white-space:pre;}
nobr{white-space:nowrap;}
a[href]{color:#00F;text-decoration:underline;cursor:pointer;}
/* The view places pop-ups itself; litehtml would draw a positioned link's text nowhere. */
a{position:static !important;}
hr{display:block;height:0;margin:0.5em 0;border-style:inset;border-width:1px;border-color:#888;}
table{display:table;border-spacing:2px;}
thead,tbody,tfoot{display:table-row-group;vertical-align:middle;}
tr{display:table-row;vertical-align:inherit;}
td,th{display:table-cell;padding:1px;vertical-align:inherit;}
caption{display:table-caption;text-align:center;}
img{display:inline-block;}
)";

namespace {

// Beyond this many measured words the cache starts again: a page of distinct words cannot grow
// it without bound. Longer words are measured every time rather than kept.
constexpr size_t kMostCachedWidths = 16384;
constexpr size_t kLongestCachedWord = 64;

constexpr const char* kProportionalFamily = "IPAPGothic";
constexpr const char* kFixedFamily = "IPAGothic";

bool namesFixedFace(const char* faces) {
  if (faces == nullptr) return false;
  std::string lower(faces);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower.find("monospace") != std::string::npos || lower.find("courier") != std::string::npos;
}

void setSourceColour(cairo_t* cr, const litehtml::web_color& c) {
  cairo_set_source_rgba(cr, c.red / 255.0, c.green / 255.0, c.blue / 255.0, c.alpha / 255.0);
}

}  // namespace

HtmlContainer::HtmlContainer() {
  context_ = pango_font_map_create_context(pango_cairo_font_map_get_default());
  pango_cairo_context_set_resolution(context_, 96);
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
  cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
  // Whole-pixel advances, so the widths litehtml adds up are the widths drawn.
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
  pango_cairo_context_set_font_options(context_, options);
  cairo_font_options_destroy(options);
  pango_context_set_language(context_, pango_language_from_string("ja"));
  layout_ = pango_layout_new(context_);
  pango_layout_set_single_paragraph_mode(layout_, TRUE);
}

HtmlContainer::~HtmlContainer() {
  for (auto& font : fonts_) pango_font_description_free(font->description);
  g_object_unref(layout_);
  g_object_unref(context_);
}

void HtmlContainer::setViewport(int width, int height) {
  viewWidth_ = std::max(width, 0);
  viewHeight_ = std::max(height, 0);
}

void HtmlContainer::setDrawArea(int left, int top, int right, int bottom) {
  drawLeft_ = left;
  drawTop_ = top;
  drawRight_ = right;
  drawBottom_ = bottom;
  drawAreaSet_ = true;
}

bool HtmlContainer::outsideDrawArea(int left, int top, int right, int bottom) const {
  return drawAreaSet_ &&
         (right < drawLeft_ || left > drawRight_ || bottom < drawTop_ || top > drawBottom_);
}

litehtml::uint_ptr HtmlContainer::create_font(const litehtml::tchar_t* faceName, int size,
                                              int weight, litehtml::font_style italic,
                                              unsigned int decoration, litehtml::font_metrics* fm) {
  auto font = std::make_unique<Font>();
  font->serial = nextSerial_++;
  font->description = pango_font_description_new();
  // Every face goes to the installed Japanese font: pages name Windows faces, or none.
  pango_font_description_set_family(font->description,
                                    namesFixedFace(faceName) ? kFixedFamily : kProportionalFamily);
  pango_font_description_set_absolute_size(font->description,
                                           std::clamp(size, 1, 512) * double{PANGO_SCALE});
  pango_font_description_set_weight(font->description,
                                    static_cast<PangoWeight>(std::clamp(weight, 100, 1000)));
  pango_font_description_set_style(font->description, italic == litehtml::fontStyleItalic
                                                          ? PANGO_STYLE_ITALIC
                                                          : PANGO_STYLE_NORMAL);
  font->underline = (decoration & litehtml::font_decoration_underline) != 0;
  font->strike = (decoration & litehtml::font_decoration_linethrough) != 0;
  font->overline = (decoration & litehtml::font_decoration_overline) != 0;

  PangoFontMetrics* metrics =
      pango_context_get_metrics(context_, font->description, pango_language_from_string("ja"));
  font->ascent = PANGO_PIXELS_CEIL(pango_font_metrics_get_ascent(metrics));
  font->descent = PANGO_PIXELS_CEIL(pango_font_metrics_get_descent(metrics));
  pango_font_metrics_unref(metrics);
  if (fm != nullptr) {
    fm->ascent = font->ascent;
    fm->descent = font->descent;
    fm->height = font->ascent + font->descent;
    fm->x_height = std::max(1, font->ascent / 2);
    fm->draw_spaces = font->underline || font->strike || font->overline;
  }
  fonts_.push_back(std::move(font));
  return reinterpret_cast<litehtml::uint_ptr>(fonts_.back().get());
}

void HtmlContainer::delete_font(litehtml::uint_ptr handle) {
  auto* font = reinterpret_cast<Font*>(handle);
  auto it = std::find_if(fonts_.begin(), fonts_.end(),
                         [font](const std::unique_ptr<Font>& f) { return f.get() == font; });
  if (it == fonts_.end()) return;
  if (layoutFont_ == font) layoutFont_ = nullptr;
  pango_font_description_free((*it)->description);
  fonts_.erase(it);
}

void HtmlContainer::setLayoutText(const Font& font, const char* text, size_t length) {
  if (layoutFont_ != &font) {
    pango_layout_set_font_description(layout_, font.description);
    layoutFont_ = &font;
  }
  pango_layout_set_text(layout_, text, static_cast<int>(length));
}

int HtmlContainer::text_width(const litehtml::tchar_t* text, litehtml::uint_ptr handle) {
  auto* font = reinterpret_cast<Font*>(handle);
  if (text == nullptr || font == nullptr) return 0;
  const size_t length = std::strlen(text);
  if (length == 0) return 0;
  const bool cached = length <= kLongestCachedWord;
  if (cached) {
    key_.assign(reinterpret_cast<const char*>(&font->serial), sizeof font->serial);
    key_.append(text, length);
    auto it = widths_.find(key_);
    if (it != widths_.end()) return it->second;
  }
  setLayoutText(*font, text, length);
  int width = 0;
  pango_layout_get_pixel_size(layout_, &width, nullptr);
  if (cached) {
    if (widths_.size() >= kMostCachedWidths) widths_.clear();
    widths_.emplace(key_, width);
  }
  return width;
}

void HtmlContainer::applyClip(cairo_t* cr) const {
  for (const litehtml::position& clip : clips_) {
    cairo_rectangle(cr, clip.x, clip.y, clip.width, clip.height);
    cairo_clip(cr);
  }
}

void HtmlContainer::draw_text(litehtml::uint_ptr hdc, const litehtml::tchar_t* text,
                              litehtml::uint_ptr handle, litehtml::web_color color,
                              const litehtml::position& pos) {
  auto* cr = reinterpret_cast<cairo_t*>(hdc);
  auto* font = reinterpret_cast<Font*>(handle);
  if (cr == nullptr || font == nullptr || text == nullptr || *text == '\0') return;
  if (outsideDrawArea(pos.left(), pos.top(), pos.right(), pos.bottom())) return;
  setLayoutText(*font, text, std::strlen(text));
  cairo_save(cr);
  applyClip(cr);
  setSourceColour(cr, color);
  const int baseline = pos.bottom() - font->descent;
  const int layoutBaseline = pango_layout_get_baseline(layout_) / PANGO_SCALE;
  cairo_move_to(cr, pos.x, baseline - layoutBaseline);
  pango_cairo_show_layout(cr, layout_);
  if (font->underline || font->strike || font->overline) {
    int width = 0;
    pango_layout_get_pixel_size(layout_, &width, nullptr);
    if (font->underline) cairo_rectangle(cr, pos.x, baseline + 1, width, 1);
    if (font->strike) cairo_rectangle(cr, pos.x, baseline - font->ascent / 3, width, 1);
    if (font->overline) cairo_rectangle(cr, pos.x, baseline - font->ascent, width, 1);
    cairo_fill(cr);
  }
  cairo_restore(cr);
}

int HtmlContainer::pt_to_px(int pt) const {
  return pt * 96 / 72;
}

int HtmlContainer::get_default_font_size() const {
  return 16;
}

const litehtml::tchar_t* HtmlContainer::get_default_font_name() const {
  return kProportionalFamily;
}

void HtmlContainer::draw_list_marker(litehtml::uint_ptr hdc, const litehtml::list_marker& marker) {
  auto* cr = reinterpret_cast<cairo_t*>(hdc);
  if (cr == nullptr || marker.pos.width <= 0 || marker.pos.height <= 0) return;
  cairo_save(cr);
  applyClip(cr);
  setSourceColour(cr, marker.color);
  const double cx = marker.pos.x + marker.pos.width / 2.0;
  const double cy = marker.pos.y + marker.pos.height / 2.0;
  const double r = std::min(marker.pos.width, marker.pos.height) / 2.0;
  if (marker.marker_type == litehtml::list_style_type_square) {
    cairo_rectangle(cr, marker.pos.x, marker.pos.y, marker.pos.width, marker.pos.height);
    cairo_fill(cr);
  } else {
    cairo_arc(cr, cx, cy, r, 0, 2 * G_PI);
    if (marker.marker_type == litehtml::list_style_type_circle) {
      cairo_set_line_width(cr, 1);
      cairo_stroke(cr);
    } else {
      cairo_fill(cr);
    }
  }
  cairo_restore(cr);
}

void HtmlContainer::load_image(const litehtml::tchar_t*, const litehtml::tchar_t*, bool) {
  ++refusedLoads_;
}

void HtmlContainer::get_image_size(const litehtml::tchar_t*, const litehtml::tchar_t*,
                                   litehtml::size& sz) {
  sz.width = 0;
  sz.height = 0;
}

void HtmlContainer::draw_background(litehtml::uint_ptr hdc, const litehtml::background_paint& bg) {
  auto* cr = reinterpret_cast<cairo_t*>(hdc);
  if (cr == nullptr || bg.color.alpha == 0) return;
  const litehtml::position& box = bg.clip_box;
  if (box.width <= 0 || box.height <= 0) return;
  if (outsideDrawArea(box.left(), box.top(), box.right(), box.bottom())) return;
  cairo_save(cr);
  applyClip(cr);
  setSourceColour(cr, bg.color);
  cairo_rectangle(cr, box.x, box.y, box.width, box.height);
  cairo_fill(cr);
  cairo_restore(cr);
}

void HtmlContainer::draw_borders(litehtml::uint_ptr hdc, const litehtml::borders& borders,
                                 const litehtml::position& pos, bool) {
  auto* cr = reinterpret_cast<cairo_t*>(hdc);
  if (cr == nullptr) return;
  if (outsideDrawArea(pos.left(), pos.top(), pos.right(), pos.bottom())) return;
  auto visible = [](const litehtml::border& b) {
    return b.width > 0 && b.style != litehtml::border_style_none &&
           b.style != litehtml::border_style_hidden && b.color.alpha > 0;
  };
  cairo_save(cr);
  applyClip(cr);
  // Each side as a filled band: pages use thin solid borders only.
  if (visible(borders.top)) {
    setSourceColour(cr, borders.top.color);
    cairo_rectangle(cr, pos.x, pos.y, pos.width, borders.top.width);
    cairo_fill(cr);
  }
  if (visible(borders.bottom)) {
    setSourceColour(cr, borders.bottom.color);
    cairo_rectangle(cr, pos.x, pos.bottom() - borders.bottom.width, pos.width,
                    borders.bottom.width);
    cairo_fill(cr);
  }
  if (visible(borders.left)) {
    setSourceColour(cr, borders.left.color);
    cairo_rectangle(cr, pos.x, pos.y, borders.left.width, pos.height);
    cairo_fill(cr);
  }
  if (visible(borders.right)) {
    setSourceColour(cr, borders.right.color);
    cairo_rectangle(cr, pos.right() - borders.right.width, pos.y, borders.right.width, pos.height);
    cairo_fill(cr);
  }
  cairo_restore(cr);
}

void HtmlContainer::set_caption(const litehtml::tchar_t*) {}

void HtmlContainer::set_base_url(const litehtml::tchar_t*) {}

void HtmlContainer::link(const std::shared_ptr<litehtml::document>&,
                         const litehtml::element::ptr&) {
  ++refusedLoads_;
}

void HtmlContainer::on_anchor_click(const litehtml::tchar_t* url, const litehtml::element::ptr&) {
  if (anchorClick_) anchorClick_(url != nullptr ? url : "");
}

void HtmlContainer::set_cursor(const litehtml::tchar_t* cursor) {
  cursor_ = cursor != nullptr ? cursor : "auto";
}

void HtmlContainer::transform_text(litehtml::tstring& text, litehtml::text_transform tt) {
  // ASCII only: Japanese has no case.
  for (char& c : text) {
    if (tt == litehtml::text_transform_uppercase) {
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    } else if (tt == litehtml::text_transform_lowercase) {
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
  }
}

void HtmlContainer::import_css(litehtml::tstring& text, const litehtml::tstring&,
                               litehtml::tstring&) {
  text.clear();
  ++refusedLoads_;
}

void HtmlContainer::set_clip(const litehtml::position& pos, const litehtml::border_radiuses&, bool,
                             bool) {
  clips_.push_back(pos);
}

void HtmlContainer::del_clip() {
  if (!clips_.empty()) clips_.pop_back();
}

void HtmlContainer::get_client_rect(litehtml::position& client) const {
  client = litehtml::position(0, 0, viewWidth_, viewHeight_);
}

std::shared_ptr<litehtml::element> HtmlContainer::create_element(
    const litehtml::tchar_t*, const litehtml::string_map&,
    const std::shared_ptr<litehtml::document>&) {
  return nullptr;
}

void HtmlContainer::get_media_features(litehtml::media_features& media) const {
  media.type = litehtml::media_type_screen;
  media.width = viewWidth_;
  media.height = viewHeight_;
  media.device_width = viewWidth_;
  media.device_height = viewHeight_;
  media.color = 8;
  media.monochrome = 0;
  media.color_index = 256;
  media.resolution = 96;
}

void HtmlContainer::get_language(litehtml::tstring& language, litehtml::tstring& culture) const {
  language = "ja";
  culture = "ja-JP";
}

void HtmlContainer::split_text(const char* text,
                               const std::function<void(const litehtml::tchar_t*)>& on_word,
                               const std::function<void(const litehtml::tchar_t*)>& on_space) {
  if (text == nullptr) return;
  std::string piece;
  splitTextForWrapping(text, [&](std::string_view part, bool isSpace) {
    piece.assign(part);
    if (isSpace) {
      on_space(piece.c_str());
    } else {
      on_word(piece.c_str());
    }
  });
}

}  // namespace vexa::platform::desktop
