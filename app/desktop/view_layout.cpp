#include "app/desktop/view_layout.h"

#include <algorithm>

#include "platform/desktop/host_windows.h"

namespace vexa {

namespace P = platform;

void NativeChildWidget::SetWindow(P::HWND window) {
  window_ = window;
  RequestRelayout();
}

void HideChildWindow(P::HWND window) {
  // Hidden at its size: a post view sized to nothing would lay its whole page out again, twice.
  P::ShowWindow(window, P::SW_HIDE);
}

void SetWidgetHidden(ui::Widget& widget, bool hidden) {
  widget.BeginEdit().hidden = hidden;
  widget.Commit();
}

void NativeChildWidget::SetHidden(bool hidden) {
  SetWidgetHidden(*this, hidden);
  if (hidden && window_ != nullptr) HideChildWindow(window_);
}

int32_t NativeChildWidget::HeightFor(int32_t width) const {
  if (height_ > 0) return height_;
  return static_cast<int32_t>(int64_t{std::max(width, 0)} * heightPerMille_ / 1000);
}

void NativeChildWidget::Arrange(const ui::Event&) {
  const ui::Rect& r = bounds();
  if (placer_ && !style().hidden) placer_(r);
  if (window_ == nullptr) return;
  if (style().hidden || r.empty()) {
    HideChildWindow(window_);
    return;
  }
  P::MoveWindow(window_, r.left, r.top, r.width(), r.height(), 1);
  if (!P::IsWindowVisible(window_)) P::ShowWindow(window_, P::SW_SHOWNOACTIVATE);
}

void NativeChildWidget::Measure(ui::Size& out, const ui::Event& event) {
  const int32_t width = event.layout != nullptr ? event.layout->rect.width() : 0;
  out = ui::Size{width, HeightFor(width)};
}

std::vector<ui::Rect> StackRects(const ui::Rect& area, const std::vector<int32_t>& heights,
                                 int32_t fill) {
  int64_t fixed = 0;
  for (size_t i = 0; i < heights.size(); ++i) {
    if (static_cast<int32_t>(i) != fill && heights[i] > 0) fixed += heights[i];
  }
  const int64_t rest = std::max<int64_t>(0, int64_t{area.height()} - fixed);
  std::vector<ui::Rect> rects;
  rects.reserve(heights.size());
  int64_t y = area.top;
  for (size_t i = 0; i < heights.size(); ++i) {
    int64_t h = static_cast<int32_t>(i) == fill ? rest : std::max(heights[i], 0);
    // What does not fit is cut at the bottom edge.
    h = std::min<int64_t>(h, std::max<int64_t>(0, area.bottom - y));
    if (heights[i] < 0 && static_cast<int32_t>(i) != fill) h = 0;
    rects.push_back(
        ui::Rect{area.left, static_cast<int32_t>(y), area.right, static_cast<int32_t>(y + h)});
    y += h;
  }
  return rects;
}

void ViewLayout::SetChildren(std::vector<ui::Widget*> children, int32_t fill) {
  children_ = std::move(children);
  fill_ = fill;
  for (ui::Widget* child : children_) {
    if (root() != nullptr && child->root() != root()) child->Attach(root());
  }
  RequestRelayout();
}

void ViewLayout::SetFill(int32_t fill) {
  if (fill == fill_) return;
  fill_ = fill;
  RequestRelayout();
}

void ViewLayout::OnRootChanged(ui::WidgetRoot* const& root) {
  for (ui::Widget* child : children_) child->Attach(root);
}

void ViewLayout::Arrange(const ui::Event&) {
  const ui::Rect area = ContentRect();
  std::vector<int32_t> heights;
  heights.reserve(children_.size());
  for (ui::Widget* child : children_) {
    if (child->style().hidden) {
      heights.push_back(-1);
    } else if (auto* native = dynamic_cast<NativeChildWidget*>(child)) {
      heights.push_back(native->HeightFor(area.width()));
    } else {
      heights.push_back(child->MeasureNow().height);
    }
  }
  const std::vector<ui::Rect> rects = StackRects(area, heights, fill_);
  for (size_t i = 0; i < children_.size(); ++i) children_[i]->LayoutIn(rects[i]);
}

void ViewLayout::Measure(ui::Size& out, const ui::Event& event) {
  out = event.layout != nullptr ? ui::Size{event.layout->rect.width(), event.layout->rect.height()}
                                : ui::Size{};
}

void ViewLayout::Paint(const ui::Event& event) {
  for (ui::Widget* child : children_) {
    if (!child->style().hidden) child->PaintWith(event);
  }
}

}  // namespace vexa
