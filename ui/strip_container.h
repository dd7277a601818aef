#pragma once

#include <cstdint>
#include <vector>

#include "ui/align_span.h"
#include "ui/scroll_bar.h"
#include "ui/widget.h"

namespace vexa::ui {

// One axis of a strip: the children's lengths along it, where the content and the window lie,
// and which children are visible.
struct ItemRun {
  Span cross;    // across the strip
  Span window;   // along the strip
  Span content;  // along the strip
  int32_t crossLength = 0;
  uint32_t firstVisible = 0;
  uint32_t lastVisible = 0;  // one past the last visible child
  uint32_t visibleCount = 0;
};

// Lines its children up in one row or column, in either direction, keeps the anchor child in
// view and aligns the line across the other axis. Children are borrowed; an empty slot (null)
// takes no room.
class StripContainer : public Widget {
 public:
  // 0 left to right, 1 top to bottom, 2 right to left, 3 bottom to top.
  enum Mode : uint32_t { kRow = 0, kColumn = 1, kReverseRow = 2, kReverseColumn = 3 };

  void SetMode(uint32_t mode) { mode_ = mode & 3; }
  uint32_t mode() const { return mode_; }
  // The cross alignment code (see AlignSpan) and the two fitting switches.
  void SetAlignment(int32_t code, bool noShrink, bool noGrow);
  void SetCrossScroll(int32_t pixels) { crossScroll_ = pixels < 0 ? 0 : pixels; }
  void SetAnchor(uint32_t index) { anchor_ = index; }
  uint32_t anchor() const { return anchor_; }

  // Appends a child (attached to this strip's root).
  void Append(Widget* child);
  // Fills slot i, first appending empty slots up to it.
  void SetSlot(uint32_t index, Widget* child);
  uint32_t Count() const { return static_cast<uint32_t>(children_.size()); }
  Widget* Child(uint32_t index) const {
    return index < children_.size() ? children_[index] : nullptr;
  }
  // Length of child i along the strip, as measured by the last layout.
  int32_t ItemLength(uint32_t index) const;

  const ScrollBar& countBar() const { return countBar_; }
  const ScrollBar& pixelBar() const { return pixelBar_; }
  // The run of the strip's axis: rows for modes 0 and 2, columns for 1 and 3.
  const ItemRun& run() const { return IsRow() ? rows_ : columns_; }

  void OnRootChanged(WidgetRoot* const& root) override;
  void OnRootSignal(const Event&) override {}
  // Children hear refresh and retest from the root themselves.
  void OnRefresh(const Event&) override {}
  void OnPointerRetest(const Event&) override {}
  void OnPointer(const Event&) override {}
  CursorId GetCursor() override { return style().cursor; }
  void OnKey(const Event&) override {}
  void Arrange(const Event& event) override;
  void Measure(Size& out, const Event& event) override;
  void Paint(const Event& event) override;

 private:
  bool IsRow() const { return (mode_ & 1) == 0; }
  bool IsReverse() const { return mode_ >= 2; }
  void MeasureChildren();

  std::vector<Widget*> children_;
  std::vector<int32_t> lengths_;
  uint32_t mode_ = kRow;
  int32_t alignment_ = 0;
  bool noShrink_ = false;
  bool noGrow_ = false;
  int32_t crossScroll_ = 0;
  uint32_t anchor_ = 0;
  ScrollBar countBar_;
  ScrollBar pixelBar_;
  ItemRun rows_;
  ItemRun columns_;
};

}  // namespace vexa::ui
