#include "platform/desktop/html_page.h"

#include <algorithm>
#include <cstring>

#include "platform/text_encoding.h"

namespace vexa::platform::desktop {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

bool isLink(const litehtml::element::ptr& el) {
  return el && std::strcmp(el->get_tagName(), "a") == 0 && el->get_attr("href") != nullptr;
}

// The link an element belongs to (itself or an ancestor), or null.
litehtml::element::ptr enclosingLink(litehtml::element::ptr el) {
  for (; el; el = el->parent()) {
    if (isLink(el)) return el;
  }
  return nullptr;
}

bool startsPost(const litehtml::element::ptr& el) {
  if (!isLink(el)) return false;
  return std::strncmp(el->get_attr("href"), "ngid:", 5) == 0;
}

bool isOpeningBracket(const litehtml::element::ptr& el) {
  if (!el || el->get_children_count() != 0) return false;
  std::string text;
  el->get_text(text);
  return text == "[";
}

// The text of `el` as it reads on screen: breaks become line ends, runs of white space one
// space, and pop-ups (absolutely placed) are left out.
void appendShownText(const litehtml::element::ptr& el, std::string& out) {
  std::vector<litehtml::element::ptr> stack{el};
  while (!stack.empty()) {
    litehtml::element::ptr at = std::move(stack.back());
    stack.pop_back();
    const litehtml::element_position position = at->get_element_position();
    if (position == litehtml::element_position_absolute ||
        position == litehtml::element_position_fixed ||
        at->get_display() == litehtml::display_none) {
      continue;
    }
    if (at->is_break()) {
      out += '\n';
      continue;
    }
    const size_t count = at->get_children_count();
    if (count == 0) {
      if (at->is_white_space()) {
        if (!out.empty() && out.back() != ' ' && out.back() != '\n') out += ' ';
      } else {
        at->get_text(out);
      }
      continue;
    }
    for (size_t i = count; i > 0; --i) {
      litehtml::element::ptr child = at->get_child(static_cast<int>(i - 1));
      if (child) stack.push_back(std::move(child));
    }
  }
}

// The child of `block` whose text lies under page point (x, y): the last one, in page order,
// with a word on that line at or left of x; failing that, the last one with a word above. -1
// when there is none. One pass over the block's content.
int childAtPoint(const litehtml::element::ptr& block, int x, int y) {
  int originX = 0;
  int originY = 0;
  for (litehtml::element::ptr el = block; el; el = el->parent()) {
    originX += el->get_position().x;
    originY += el->get_position().y;
  }
  x -= originX;
  y -= originY;
  int onLine = -1;
  int above = -1;
  struct Frame {
    litehtml::element::ptr el;
    int child;  // the block's child it belongs to
    int dx;
    int dy;
  };
  std::vector<Frame> stack;
  const int count = static_cast<int>(block->get_children_count());
  for (int i = count - 1; i >= 0; --i) {
    litehtml::element::ptr child = block->get_child(i);
    if (child) stack.push_back(Frame{std::move(child), i, 0, 0});
  }
  while (!stack.empty()) {
    Frame at = std::move(stack.back());
    stack.pop_back();
    if (!at.el->is_visible() ||
        at.el->get_element_position() == litehtml::element_position_absolute) {
      continue;
    }
    const litehtml::position& pos = at.el->get_position();
    const size_t children = at.el->get_children_count();
    if (children == 0) {
      if (at.el->is_break() || at.el->is_white_space()) continue;
      const int top = at.dy + pos.y;
      if (top <= y && y < top + pos.height && at.dx + pos.x <= x) onLine = at.child;
      if (top <= y) above = at.child;
      continue;
    }
    if (at.el->get_display() != litehtml::display_inline) continue;
    for (size_t i = children; i > 0; --i) {
      litehtml::element::ptr child = at.el->get_child(static_cast<int>(i - 1));
      if (child) stack.push_back(Frame{std::move(child), at.child, at.dx + pos.x, at.dy + pos.y});
    }
  }
  return onLine >= 0 ? onLine : above;
}

}  // namespace

HtmlPage::HtmlPage() {
  context_.load_master_stylesheet(kHtmlMasterStyleSheet);
}

HtmlPage::~HtmlPage() = default;

void HtmlPage::load(std::string_view pageCp932) {
  // The old page goes first: two large documents are never held at once.
  popups_.clear();
  placed_.clear();
  document_.reset();
  if (pageCp932.empty()) return;
  std::string utf8 = cp932ToUtf8(pageCp932);
  // A NUL would end the text litehtml reads: it shows as a replacement character instead.
  if (utf8.find('\0') != std::string::npos) {
    std::string cleaned;
    cleaned.reserve(utf8.size() + 16);
    for (char c : utf8) {
      if (c == '\0') {
        cleaned.append(kReplacement);
      } else {
        cleaned += c;
      }
    }
    utf8 = std::move(cleaned);
  }
  document_ = litehtml::document::createFromUTF8(utf8.c_str(), &container_, &context_);
  if (document_) popups_ = findInlinePopups(document_->root());
}

void HtmlPage::layout(int width, int viewHeight) {
  width_ = std::max(width, 1);
  viewHeight_ = std::max(viewHeight, 0);
  container_.setViewport(width_, viewHeight_);
  if (!document_) return;
  document_->render(width_);
  placed_.clear();
  for (const litehtml::element::ptr& popup : popups_) {
    if (popup->is_visible()) placed_.push_back(popup.get());
  }
  placePopups(top_);
}

void HtmlPage::resizeView(int viewHeight) {
  viewHeight_ = std::max(viewHeight, 0);
  container_.setViewport(width_, viewHeight_);
  placePopups(top_);
}

bool HtmlPage::needsLayout() const {
  size_t shown = 0;
  for (const litehtml::element::ptr& popup : popups_) {
    if (!popup->is_visible()) continue;
    if (shown >= placed_.size() || placed_[shown] != popup.get()) return true;
    ++shown;
  }
  return shown != placed_.size();
}

void HtmlPage::placePopups(int top) {
  top_ = top;
  placeInlinePopups(popups_, PopupBox{0, top_, width_, viewHeight_});
}

int HtmlPage::height() const {
  return document_ ? document_->height() : 0;
}

uint32_t HtmlPage::background() const {
  if (!document_) return 0xFFFFFF;
  litehtml::element::ptr root = document_->root();
  litehtml::element::ptr body = root ? root->select_one("body") : nullptr;
  for (const litehtml::element::ptr& el : {body, root}) {
    if (!el) continue;
    const litehtml::background* bg = el->get_background(true);
    if (bg != nullptr && bg->m_color.alpha > 0) {
      return uint32_t{bg->m_color.red} << 16 | uint32_t{bg->m_color.green} << 8 | bg->m_color.blue;
    }
  }
  return 0xFFFFFF;
}

void HtmlPage::draw(cairo_t* cr, int scrollY, int left, int top, int right, int bottom) {
  if (right <= left || bottom <= top) return;
  cairo_save(cr);
  cairo_rectangle(cr, left, top, right - left, bottom - top);
  cairo_clip(cr);
  // The body's background covers the whole view, also below a short page.
  const uint32_t bg = background();
  cairo_set_source_rgb(cr, (bg >> 16 & 0xFF) / 255.0, (bg >> 8 & 0xFF) / 255.0,
                       (bg & 0xFF) / 255.0);
  cairo_paint(cr);
  if (document_) {
    container_.setDrawArea(left, top, right, bottom);
    const litehtml::position clip(left, top, right - left, bottom - top);
    document_->draw(reinterpret_cast<litehtml::uint_ptr>(cr), 0, -scrollY, &clip);
  }
  cairo_restore(cr);
}

bool HtmlPage::mouseOver(int x, int y, int clientX, int clientY) {
  if (!document_) return false;
  litehtml::position::vector redraw;
  return document_->on_mouse_over(x, y, clientX, clientY, redraw);
}

bool HtmlPage::mouseLeave() {
  if (!document_) return false;
  litehtml::position::vector redraw;
  return document_->on_mouse_leave(redraw);
}

bool HtmlPage::leftDown(int x, int y, int clientX, int clientY) {
  if (!document_) return false;
  litehtml::position::vector redraw;
  return document_->on_lbutton_down(x, y, clientX, clientY, redraw);
}

bool HtmlPage::leftUp(int x, int y, int clientX, int clientY) {
  if (!document_) return false;
  litehtml::position::vector redraw;
  return document_->on_lbutton_up(x, y, clientX, clientY, redraw);
}

std::string HtmlPage::linkAt(int x, int y, int clientX, int clientY) const {
  if (!document_ || !document_->root()) return {};
  litehtml::element::ptr link =
      enclosingLink(document_->root()->get_element_by_point(x, y, clientX, clientY));
  return link ? std::string(link->get_attr("href")) : std::string();
}

std::string HtmlPage::postTextAt(int x, int y, int clientX, int clientY) const {
  if (!document_ || !document_->root()) return {};
  litehtml::element::ptr el = document_->root()->get_element_by_point(x, y, clientX, clientY);
  // Over an open pop-up: the post is the one of the link that opened it.
  for (litehtml::element::ptr up = el; up; up = up->parent()) {
    if (up->get_element_position() == litehtml::element_position_absolute) el = up->parent();
  }
  if (!el) return {};
  // Posts are runs of inline content in one block. litehtml answers with an inline element (a
  // link) or, over plain text, with the block itself.
  litehtml::element::ptr block;
  int at = -1;
  if (el->get_display() == litehtml::display_inline) {
    for (; el; el = el->parent()) {
      litehtml::element::ptr parent = el->parent();
      if (!parent) return {};
      if (parent->get_display() != litehtml::display_inline) {
        block = parent;
        break;
      }
    }
    if (!block) return {};
    const int count = static_cast<int>(block->get_children_count());
    for (int i = 0; i < count && at < 0; ++i) {
      if (block->get_child(i) == el) at = i;
    }
  } else {
    block = el;
    at = childAtPoint(block, x, y);
  }
  if (at < 0) return {};
  const int count = static_cast<int>(block->get_children_count());
  // The "[" before a post's number belongs to that post.
  if (at + 1 < count && isOpeningBracket(block->get_child(at)) &&
      startsPost(block->get_child(at + 1))) {
    ++at;
  }
  int first = at;
  while (first >= 0 && !startsPost(block->get_child(first))) --first;
  if (first < 0) return {};
  if (first > 0 && isOpeningBracket(block->get_child(first - 1))) --first;
  int end = std::max(at, first) + 1;
  while (end < count && !startsPost(block->get_child(end))) ++end;
  if (end < count && end - 1 > at && isOpeningBracket(block->get_child(end - 1))) --end;
  std::string text;
  for (int i = first; i < end; ++i) appendShownText(block->get_child(i), text);
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
  size_t lead = 0;
  while (lead < text.size() && (text[lead] == '\n' || text[lead] == ' ')) ++lead;
  return text.substr(lead);
}

std::string HtmlPage::shownText() const {
  std::string text;
  if (document_ && document_->root()) appendShownText(document_->root(), text);
  return text;
}

std::vector<HtmlPage::Line> HtmlPage::laidOutLines() const {
  std::vector<Line> lines;
  if (!document_ || !document_->root()) return lines;
  struct Frame {
    litehtml::element::ptr el;
    int x;
    int y;
  };
  std::vector<Frame> stack{{document_->root(), 0, 0}};
  while (!stack.empty()) {
    Frame at = std::move(stack.back());
    stack.pop_back();
    if (!at.el->is_visible() ||
        at.el->get_element_position() == litehtml::element_position_absolute)
      continue;
    const litehtml::position& pos = at.el->get_position();
    const size_t count = at.el->get_children_count();
    if (count == 0) {
      if (at.el->is_break()) continue;
      std::string text;
      at.el->get_text(text);
      const int top = at.y + pos.y;
      if (lines.empty() || lines.back().top != top) {
        if (at.el->is_white_space()) continue;
        lines.push_back(Line{{}, top, 0});
      }
      lines.back().text += text;
      if (!at.el->is_white_space()) lines.back().right = at.x + pos.x + pos.width;
      continue;
    }
    for (size_t i = count; i > 0; --i) {
      litehtml::element::ptr child = at.el->get_child(static_cast<int>(i - 1));
      if (child) stack.push_back(Frame{std::move(child), at.x + pos.x, at.y + pos.y});
    }
  }
  for (Line& line : lines) {
    while (!line.text.empty() && line.text.back() == ' ') line.text.pop_back();
  }
  return lines;
}

std::vector<PopupBox> HtmlPage::shownPopups() const {
  std::vector<PopupBox> shown;
  for (const litehtml::element::ptr& popup : popups_) {
    if (!popup->is_visible()) continue;
    int x = 0;
    int y = 0;
    for (litehtml::element::ptr el = popup->parent(); el; el = el->parent()) {
      x += el->get_position().x;
      y += el->get_position().y;
    }
    const litehtml::position& pos = popup->get_position();
    shown.push_back(PopupBox{
        x + pos.x - popup->content_margins_left(), y + pos.y - popup->content_margins_top(),
        pos.width + popup->content_margins_width(), pos.height + popup->content_margins_height()});
  }
  return shown;
}

}  // namespace vexa::platform::desktop
