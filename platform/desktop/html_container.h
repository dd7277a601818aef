#pragma once

#include <cairo.h>
#include <litehtml.h>
#include <pango/pango.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

// Inside the desktop layer only: the litehtml document container of the post view. It measures
// and draws text with Pango on cairo (the hdc litehtml passes around is a cairo_t*), draws
// backgrounds, borders and list markers, and refuses every outside resource: style sheets,
// images and fonts are never loaded, from a file or the network. Text is split for wrapping by
// html_text_breaks.h so Japanese wraps at the width. GUI thread only.
namespace vexa::platform::desktop {

// The style sheet every page starts from (litehtml ships none).
extern const char kHtmlMasterStyleSheet[];

class HtmlContainer : public litehtml::document_container {
 public:
  HtmlContainer();
  ~HtmlContainer();
  HtmlContainer(const HtmlContainer&) = delete;
  HtmlContainer& operator=(const HtmlContainer&) = delete;

  // The visible area of the page, for media queries and fixed boxes.
  void setViewport(int width, int height);
  // Called with the href of a left-clicked link, exactly as written.
  void onAnchorClick(std::function<void(const std::string&)> handler) {
    anchorClick_ = std::move(handler);
  }
  // The cursor the page last asked for ("pointer" over a link, "auto" elsewhere).
  const std::string& cursor() const { return cursor_; }
  // How many times the page asked for an outside resource (each was refused).
  int refusedLoads() const { return refusedLoads_; }
  size_t cachedWidths() const { return widths_.size(); }
  // The cairo clip of the drawing going on: text outside it is not laid out at all.
  void setDrawArea(int left, int top, int right, int bottom);

  // litehtml::document_container
  litehtml::uint_ptr create_font(const litehtml::tchar_t* faceName, int size, int weight,
                                 litehtml::font_style italic, unsigned int decoration,
                                 litehtml::font_metrics* fm) override;
  void delete_font(litehtml::uint_ptr font) override;
  int text_width(const litehtml::tchar_t* text, litehtml::uint_ptr font) override;
  void draw_text(litehtml::uint_ptr hdc, const litehtml::tchar_t* text, litehtml::uint_ptr font,
                 litehtml::web_color color, const litehtml::position& pos) override;
  int pt_to_px(int pt) const override;
  int get_default_font_size() const override;
  const litehtml::tchar_t* get_default_font_name() const override;
  void draw_list_marker(litehtml::uint_ptr hdc, const litehtml::list_marker& marker) override;
  void load_image(const litehtml::tchar_t* src, const litehtml::tchar_t* baseurl,
                  bool redraw_on_ready) override;
  void get_image_size(const litehtml::tchar_t* src, const litehtml::tchar_t* baseurl,
                      litehtml::size& sz) override;
  void draw_background(litehtml::uint_ptr hdc, const litehtml::background_paint& bg) override;
  void draw_borders(litehtml::uint_ptr hdc, const litehtml::borders& borders,
                    const litehtml::position& draw_pos, bool root) override;
  void set_caption(const litehtml::tchar_t* caption) override;
  void set_base_url(const litehtml::tchar_t* base_url) override;
  void link(const std::shared_ptr<litehtml::document>& doc,
            const litehtml::element::ptr& el) override;
  void on_anchor_click(const litehtml::tchar_t* url, const litehtml::element::ptr& el) override;
  void set_cursor(const litehtml::tchar_t* cursor) override;
  void transform_text(litehtml::tstring& text, litehtml::text_transform tt) override;
  void import_css(litehtml::tstring& text, const litehtml::tstring& url,
                  litehtml::tstring& baseurl) override;
  void set_clip(const litehtml::position& pos, const litehtml::border_radiuses& bdr_radius,
                bool valid_x, bool valid_y) override;
  void del_clip() override;
  void get_client_rect(litehtml::position& client) const override;
  std::shared_ptr<litehtml::element> create_element(
      const litehtml::tchar_t* tag_name, const litehtml::string_map& attributes,
      const std::shared_ptr<litehtml::document>& doc) override;
  void get_media_features(litehtml::media_features& media) const override;
  void get_language(litehtml::tstring& language, litehtml::tstring& culture) const override;
  void split_text(const char* text, const std::function<void(const litehtml::tchar_t*)>& on_word,
                  const std::function<void(const litehtml::tchar_t*)>& on_space) override;

 private:
  struct Font {
    PangoFontDescription* description = nullptr;  // owned
    uint32_t serial = 0;                          // never reused: the width cache's key
    int ascent = 0;
    int descent = 0;
    bool underline = false;
    bool strike = false;
    bool overline = false;
  };

  void setLayoutText(const Font& font, const char* text, size_t length);
  void applyClip(cairo_t* cr) const;
  bool outsideDrawArea(int left, int top, int right, int bottom) const;

  PangoContext* context_ = nullptr;  // owned
  PangoLayout* layout_ = nullptr;    // owned; shared by measuring and drawing
  const Font* layoutFont_ = nullptr;
  std::vector<std::unique_ptr<Font>> fonts_;
  uint32_t nextSerial_ = 1;
  // Width by font serial and text; cleared when it reaches its bound.
  std::unordered_map<std::string, int> widths_;
  std::string key_;
  std::vector<litehtml::position> clips_;
  int drawLeft_ = 0;
  int drawTop_ = 0;
  int drawRight_ = 0;
  int drawBottom_ = 0;
  bool drawAreaSet_ = false;
  int viewWidth_ = 0;
  int viewHeight_ = 0;
  std::function<void(const std::string&)> anchorClick_;
  std::string cursor_ = "auto";
  int refusedLoads_ = 0;
};

}  // namespace vexa::platform::desktop
