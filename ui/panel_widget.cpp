#include "ui/panel_widget.h"

#include <algorithm>

#include "ui/theme.h"
#include "ui/widget_root.h"

namespace vexa::ui {

namespace {

constexpr int32_t kPixelsPerByte = 6;

}  // namespace

void PanelWidget::SetLabel(const char* text) {
  label_ = text != nullptr ? text : "";
  RequestRelayout();
  RequestRepaint();
}

void PanelWidget::Measure(Size& out, const Event&) {
  const int32_t* m = style().layout;
  int64_t text = static_cast<int64_t>(label_.size()) * kPixelsPerByte;
  constexpr int32_t kPadding = 8;  // beside the label, inside the bevel
  int64_t width = text + (label_.empty() ? 0 : 2 * kPadding) + 4 + m[0] + m[2];
  out = Size{static_cast<int32_t>(std::min<int64_t>(width, INT32_MAX / 2)),
             Theme::kFontHeight + 8 + m[1] + m[3]};
}

void PanelWidget::Paint(const Event& event) {
  if (event.paint == nullptr || event.paint->theme == nullptr) return;
  Theme& theme = *event.paint->theme;
  Rect box = ContentRect();
  if (box.empty()) return;
  PainterHandle frame = Bevelled() ? theme.Bevel(Level()) : theme.Panel(Level());
  if (frame) {
    frame->SetBounds(box);
    frame->Draw();
    frame->Release();
  }
  if (label_.empty()) return;
  TextBoxState state;
  state.run.text = label_.data();
  state.run.length = static_cast<uint32_t>(label_.size());
  // A pressed button's label moves with its face.
  state.padding = Level() < 0 ? 1 : 0;
  PainterHandle text = theme.TextBox(state);
  if (!text) return;
  Rect inner{box.left + 2, box.top + 2, box.right - 2, box.bottom - 2};
  text->SetBounds(inner.empty() ? box : inner);
  text->Draw();
  text->Release();
}

ButtonWidget::ButtonWidget() {
  BeginEdit().cursor = kCursorHand;
  Commit();
}

void ButtonWidget::OnRootChanged(WidgetRoot* const& root) {
  if (root == nullptr) {
    // Losing the root ends a press: nothing is held any more.
    pressed_ = false;
    ButtonRecord next = record_;
    next.held = false;
    next.hover = false;
    Publish(next);
  }
}

void ButtonWidget::OnPointer(const Event& event) {
  if (event.pointer == nullptr) return;
  const PointerState& p = *event.pointer;
  bool inside = p.hover && bounds().contains(p.position);
  ButtonRecord next = record_;
  if (p.action == -1 && p.button == 1) {
    if (event.hit && inside) {
      pressed_ = true;
      CapturePointer(true);
    }
  } else if (p.action == 1 && p.button == 1) {
    if (pressed_) {
      pressed_ = false;
      CapturePointer(false);
      if (inside) ++next.activations;
    }
  }
  next.hover = inside && (event.hit || pressed_);
  next.held = pressed_ && inside;
  Publish(next);
}

void ButtonWidget::Publish(ButtonRecord next) {
  if (next == record_) return;
  ButtonRecord before = record_;
  record_ = next;
  RequestRepaint();
  if (listener_ != nullptr) listener_->ButtonChanged(*this, record_, before);
}

void IconWidget::SetLamp(uint32_t lamp) {
  lamp_ = lamp & 3;
  RequestRepaint();
}

void IconWidget::Measure(Size& out, const Event&) {
  const int32_t* m = style().layout;
  out = Size{20 + m[0] + m[2], 20 + m[1] + m[3]};
}

void IconWidget::Paint(const Event& event) {
  if (event.paint == nullptr || event.paint->theme == nullptr) return;
  Theme& theme = *event.paint->theme;
  Rect box = ContentRect();
  if (box.empty()) return;
  PainterHandle bevel = theme.Bevel(1);
  if (bevel) {
    bevel->SetBounds(box);
    bevel->Draw();
    bevel->Release();
  }
  int32_t side = std::min(box.width(), box.height()) / 2;
  Point c{box.left + box.width() / 2, box.top + box.height() / 2};
  PainterHandle lamp = theme.Lamp(lamp_);
  if (lamp && side >= 2) {
    lamp->SetBounds(Rect{c.x - side / 2, c.y - side / 2, c.x + side / 2, c.y + side / 2});
    lamp->Draw();
    lamp->Release();
  }
}

}  // namespace vexa::ui
