#include "platform/desktop/html_popups.h"

#include <algorithm>

namespace vexa::platform::desktop {

PopupBox placePopup(const PopupBox& link, int width, int height, const PopupBox& view) {
  PopupBox placed{link.x, link.y, width, height};
  const int right = view.x + view.width;
  const int bottom = view.y + view.height;
  if (placed.x + width > right) placed.x = right - width;
  if (placed.y + height > bottom) placed.y = bottom - height;
  placed.x = std::max(placed.x, view.x);
  placed.y = std::max(placed.y, view.y);
  return placed;
}

std::vector<litehtml::element::ptr> findInlinePopups(const litehtml::element::ptr& root) {
  std::vector<litehtml::element::ptr> found;
  if (!root) return found;
  // An explicit stack: a hostile page nests deeper than the call stack would allow.
  std::vector<litehtml::element::ptr> stack{root};
  while (!stack.empty()) {
    litehtml::element::ptr el = std::move(stack.back());
    stack.pop_back();
    const size_t count = el->get_children_count();
    for (size_t i = count; i > 0; --i) {
      litehtml::element::ptr child = el->get_child(static_cast<int>(i - 1));
      if (!child) continue;
      const litehtml::element_position position = child->get_element_position();
      if ((position == litehtml::element_position_absolute ||
           position == litehtml::element_position_fixed) &&
          el->get_display() == litehtml::display_inline) {
        found.push_back(child);
      }
      if (child->get_children_count() > 0) stack.push_back(std::move(child));
    }
  }
  std::reverse(found.begin(), found.end());
  return found;
}

void placeInlinePopups(const std::vector<litehtml::element::ptr>& popups, const PopupBox& view) {
  for (const litehtml::element::ptr& popup : popups) {
    if (!popup->is_visible()) continue;
    litehtml::element::ptr link = popup->parent();
    if (!link) continue;
    litehtml::position::vector boxes;
    link->get_inline_boxes(boxes);
    if (boxes.empty()) continue;
    // The link's boxes and the pop-up's position are both relative to the link's own origin;
    // the origin in page coordinates is the sum of the positions up the tree.
    int originX = 0;
    int originY = 0;
    for (litehtml::element::ptr el = link; el; el = el->parent()) {
      originX += el->get_position().x;
      originY += el->get_position().y;
    }
    const litehtml::position& first = boxes.front();
    const PopupBox linkBox{originX + first.x, originY + first.y, first.width, first.height};
    litehtml::position& pos = popup->get_position();
    const int width = pos.width + popup->content_margins_width();
    const int height = pos.height + popup->content_margins_height();
    const PopupBox placed = placePopup(linkBox, width, height, view);
    pos.x = placed.x - originX + popup->content_margins_left();
    pos.y = placed.y - originY + popup->content_margins_top();
  }
}

}  // namespace vexa::platform::desktop
