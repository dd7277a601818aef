#pragma once

#include <litehtml.h>

#include <vector>

// Inside the desktop layer only: reply and ID pop-ups at their links. litehtml gives an inline
// element (the link) no box of its own, so an absolutely placed child of it (the pop-up) would be
// drawn at the page's top-left corner; after each layout the visible ones are moved to the link's
// first line box and kept inside the visible part of the page.
namespace vexa::platform::desktop {

struct PopupBox {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  friend bool operator==(const PopupBox&, const PopupBox&) = default;
};

// Where a pop-up of the given size opens for a link whose first line box is `link`: at the link's
// top-left corner, moved left and up as far as it must to stay inside `view`, but never past the
// view's left or top edge (a pop-up larger than the view hangs out at the right and bottom).
// All in page coordinates.
PopupBox placePopup(const PopupBox& link, int width, int height, const PopupBox& view);

// The absolutely placed children of inline elements in the page, found once after parsing.
std::vector<litehtml::element::ptr> findInlinePopups(const litehtml::element::ptr& root);

// Moves each visible one of `popups` to its link, kept inside `view` (page coordinates). Linear
// in the number of pop-ups shown plus their depth in the tree.
void placeInlinePopups(const std::vector<litehtml::element::ptr>& popups, const PopupBox& view);

}  // namespace vexa::platform::desktop
