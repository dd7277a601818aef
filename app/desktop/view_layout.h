#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/desktop/win_types.h"
#include "ui/widget.h"

namespace vexa {

// A window of the desktop layer placed by the toolkit's layout, like the edit widget places its
// control: the post view and the player panes; or, with a placer, something that places itself
// (the hosted foreign windows). Hidden when its style says so.
class NativeChildWidget : public ui::Widget {
 public:
  // `height` is the preferred height; 0 means "as tall as wide * heightPerMille / 1000".
  explicit NativeChildWidget(int32_t height = 0, int32_t heightPerMille = 0)
      : height_(height), heightPerMille_(heightPerMille) {}

  void SetWindow(platform::HWND window);
  platform::HWND window() const { return window_; }
  void SetPlacer(std::function<void(const ui::Rect&)> placer) { placer_ = std::move(placer); }
  void SetHeight(int32_t height) { height_ = height; }
  void SetHidden(bool hidden);

  void OnRootChanged(ui::WidgetRoot* const&) override {}
  void OnRootSignal(const ui::Event&) override {}
  void OnRefresh(const ui::Event&) override {}
  void OnPointerRetest(const ui::Event&) override {}
  void OnPointer(const ui::Event&) override {}
  void OnKey(const ui::Event&) override {}
  void Arrange(const ui::Event& event) override;
  void Measure(ui::Size& out, const ui::Event& event) override;
  void Paint(const ui::Event&) override {}

  // The height it asks for at a given width.
  int32_t HeightFor(int32_t width) const;

 private:
  platform::HWND window_ = nullptr;
  std::function<void(const ui::Rect&)> placer_;
  int32_t height_;
  int32_t heightPerMille_;
};

// The view window's layout: its children stacked top to bottom at the full width, each as tall
// as it asks, except one that takes what is left (the content slot). Children are borrowed; a
// hidden child takes no room.
class ViewLayout : public ui::Widget {
 public:
  // Replaces the children; `fill` is the index of the one that takes the rest (-1 for none).
  void SetChildren(std::vector<ui::Widget*> children, int32_t fill);
  const std::vector<ui::Widget*>& children() const { return children_; }
  void SetFill(int32_t fill);

  void OnRootChanged(ui::WidgetRoot* const& root) override;
  void OnRootSignal(const ui::Event&) override {}
  void OnRefresh(const ui::Event&) override {}
  void OnPointerRetest(const ui::Event&) override {}
  void OnPointer(const ui::Event&) override {}
  void OnKey(const ui::Event&) override {}
  void Arrange(const ui::Event& event) override;
  void Measure(ui::Size& out, const ui::Event& event) override;
  void Paint(const ui::Event& event) override;

 private:
  std::vector<ui::Widget*> children_;
  int32_t fill_ = -1;
};

// Takes a child window out of sight until it is placed again.
void HideChildWindow(platform::HWND window);

// Shows or hides a widget through its style record.
void SetWidgetHidden(ui::Widget& widget, bool hidden);

// The rectangles of a column of `heights` in `area` where child `fill` takes what is left
// (never less than 0); a height of -1 marks a hidden child (an empty rectangle).
std::vector<ui::Rect> StackRects(const ui::Rect& area, const std::vector<int32_t>& heights,
                                 int32_t fill);

}  // namespace vexa
