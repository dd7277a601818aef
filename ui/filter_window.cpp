#include "ui/filter_window.h"

#include <algorithm>

#include "ui/theme.h"
#include "ui/widget_root.h"

namespace vexa::ui {

FilterWindow::FilterWindow(std::function<void()> onEnter)
    : owner_(std::move(onEnter)), edit_(EditInstance::Filter, &owner_) {}

bool FilterWindow::CreateFilter(platform::HWND parent, const char* title) {
  if (edit_.CreateControl(parent)) return true;
  title_ = title != nullptr ? title : "";
  for (int32_t& v : BeginEdit().layout) v = 2;
  Commit();
  RequestRelayout();
  return false;
}

void FilterWindow::GetFilterText(TextBuffer& out) {
  if (edit_.TextLength() == 0) {
    out.clear();
    return;
  }
  edit_.GetText(out, true);
}

void FilterWindow::OnRootChanged(WidgetRoot* const& root) {
  panel_.Attach(root);
  edit_.Attach(root);
}

void FilterWindow::Measure(Size& out, const Event&) {
  const int32_t* m = style().layout;
  Size edit = edit_.MeasureNow();
  int32_t title = static_cast<int32_t>(std::min<size_t>(title_.size(), 1000)) * 6 + 8;
  out = Size{std::max(title, edit.width) + m[0] + m[2], kTitleHeight + edit.height + m[1] + m[3]};
}

void FilterWindow::Arrange(const Event&) {
  panel_.LayoutIn(bounds());
  Rect inner = ContentRect();
  int32_t editTop = std::min(inner.top + kTitleHeight, inner.bottom);
  int32_t editBottom = std::min(editTop + edit_.MeasureNow().height, inner.bottom);
  edit_.LayoutIn(Rect{inner.left, editTop, inner.right, editBottom});
}

void FilterWindow::Paint(const Event& event) {
  panel_.PaintWith(event);
  if (event.paint != nullptr && event.paint->theme != nullptr && !title_.empty()) {
    Rect inner = ContentRect();
    TextBoxState state;
    state.align = 2;
    state.run.text = title_.data();
    state.run.length = static_cast<uint32_t>(title_.size());
    PainterHandle text = event.paint->theme->TextBox(state);
    if (text) {
      text->SetBounds(Rect{inner.left, inner.top, inner.right,
                           std::min(inner.top + kTitleHeight, inner.bottom)});
      text->Draw();
      text->Release();
    }
  }
  edit_.PaintWith(event);
}

}  // namespace vexa::ui
