#include "ui/strip_container.h"

#include <algorithm>

#include "ui/widget_root.h"

namespace vexa::ui {

namespace {

int32_t Clamp32(int64_t v) {
  return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

}  // namespace

void StripContainer::SetAlignment(int32_t code, bool noShrink, bool noGrow) {
  alignment_ = code;
  noShrink_ = noShrink;
  noGrow_ = noGrow;
}

void StripContainer::Append(Widget* child) {
  SetSlot(Count(), child);
}

void StripContainer::SetSlot(uint32_t index, Widget* child) {
  if (index >= children_.size()) children_.resize(index + 1, nullptr);
  children_[index] = child;
  if (child != nullptr && root() != nullptr && child->root() != root()) child->Attach(root());
  RequestRelayout();
}

int32_t StripContainer::ItemLength(uint32_t index) const {
  return index < lengths_.size() ? lengths_[index] : 0;
}

void StripContainer::OnRootChanged(WidgetRoot* const& root) {
  for (Widget* child : children_) {
    if (child != nullptr) child->Attach(root);
  }
}

void StripContainer::MeasureChildren() {
  ItemRun& run = IsRow() ? rows_ : columns_;
  lengths_.assign(children_.size(), 0);
  run.crossLength = 0;
  for (size_t i = 0; i < children_.size(); ++i) {
    if (children_[i] == nullptr) continue;
    Size size = children_[i]->MeasureNow();
    int32_t along = std::max(IsRow() ? size.width : size.height, 0);
    int32_t across = std::max(IsRow() ? size.height : size.width, 0);
    lengths_[i] = along;
    run.crossLength = std::max(run.crossLength, across);
  }
}

void StripContainer::Measure(Size& out, const Event&) {
  MeasureChildren();
  int64_t total = 0;
  for (int32_t length : lengths_) total += length;
  const ItemRun& r = run();
  const int32_t* m = style().layout;
  int32_t along = Clamp32(total);
  out = IsRow() ? Size{along, r.crossLength} : Size{r.crossLength, along};
  out.width = Clamp32(int64_t{out.width} + m[0] + m[2]);
  out.height = Clamp32(int64_t{out.height} + m[1] + m[3]);
}

void StripContainer::Arrange(const Event&) {
  // Measure ran just before (the layout receiver measures first), so lengths_ is fresh.
  if (lengths_.size() != children_.size()) MeasureChildren();
  ItemRun& run = IsRow() ? rows_ : columns_;
  Rect rect = ContentRect();
  int32_t w0 = IsRow() ? rect.left : rect.top;
  int32_t w1 = IsRow() ? rect.right : rect.bottom;
  int32_t lo = IsRow() ? rect.top : rect.left;
  int32_t hi = IsRow() ? rect.bottom : rect.right;

  // Across: align, then scroll by at most the overflow.
  Span cross{0, run.crossLength};
  AlignSpan(cross, lo, hi, alignment_, !noShrink_, !noGrow_);
  int64_t overflow = std::max<int64_t>(0, int64_t{cross.length()} - (int64_t{hi} - lo));
  int32_t applied = static_cast<int32_t>(std::min<int64_t>(overflow, crossScroll_));
  if (alignment_ < 0) {
    cross.a -= applied;
    cross.b -= applied;
  } else if (alignment_ > 0) {
    cross.a += applied;
    cross.b += applied;
  }
  run.cross = cross;

  // Along: the anchor's start meets the window start unless that leaves room after the end.
  uint32_t count = Count();
  uint32_t anchor = std::min(anchor_, count);
  int64_t prefix = 0;
  int64_t total = 0;
  for (uint32_t i = 0; i < count; ++i) {
    if (i < anchor) prefix += lengths_[i];
    total += lengths_[i];
  }
  int64_t window = int64_t{w1} - w0;
  int64_t offset = std::min(std::max<int64_t>(0, total - window), prefix);
  int64_t start = IsReverse() ? int64_t{w1} + offset - total : int64_t{w0} - offset;
  run.window = Span{w0, w1};
  run.content = Span{Clamp32(start), Clamp32(start + total)};

  int64_t before = 0;
  for (uint32_t i = 0; i < count; ++i) {
    int64_t a;
    int64_t b;
    if (IsReverse()) {
      b = start + total - before;
      a = b - lengths_[i];
    } else {
      a = start + before;
      b = a + lengths_[i];
    }
    before += lengths_[i];
    Widget* child = children_[i];
    if (child == nullptr) continue;
    Rect r = IsRow() ? Rect{Clamp32(a), cross.a, Clamp32(b), cross.b}
                     : Rect{cross.a, Clamp32(a), cross.b, Clamp32(b)};
    child->LayoutIn(r);
  }

  // Visible range, counted from the content's leading end.
  int64_t windowStart = std::clamp<int64_t>(offset, 0, total);
  int64_t windowEnd = std::clamp<int64_t>(offset + std::max<int64_t>(window, 0), 0, total);
  uint32_t i = 0;
  int64_t cumulative = 0;
  while (i < count && cumulative + lengths_[i] <= windowStart) cumulative += lengths_[i++];
  run.firstVisible = i;
  while (i < count && cumulative < windowEnd) cumulative += lengths_[i++];
  run.lastVisible = i;
  run.visibleCount = run.lastVisible - run.firstVisible;

  // Children that fit, counted from the last one backwards.
  uint32_t fit = 0;
  int64_t sum = 0;
  for (uint32_t k = count; k-- > 0;) {
    if (sum + lengths_[k] > window) break;
    sum += lengths_[k];
    ++fit;
  }
  countBar_.Set(static_cast<int32_t>(fit), 0, static_cast<int32_t>(count));
  pixelBar_.Set(Clamp32(int64_t{hi} - lo), 0, run.crossLength);
}

void StripContainer::Paint(const Event& event) {
  const ItemRun& r = run();
  uint32_t last = std::min<uint32_t>(r.lastVisible, Count());
  for (uint32_t i = r.firstVisible; i < last; ++i) {
    if (children_[i] != nullptr) children_[i]->PaintWith(event);
  }
}

}  // namespace vexa::ui
