#include "ui/widget_root.h"

#include <cstring>

#include "ui/host_services.h"
#include "ui/theme.h"
#include "ui/widget.h"

namespace vexa::ui {

void WidgetRoot::SetContent(Widget* content) {
  content_ = content;
  if (content_ != nullptr && content_->root() != this) content_->Attach(this);
}

void WidgetRoot::SetServices(HostServices* services, PointerSource* pointer) {
  services_ = services;
  pointerSource_ = pointer;
  Notify(kServicesChanged);
  Refresh();
}

void WidgetRoot::Layout(const Rect* rect) {
  if (rect != nullptr) layoutRect_ = *rect;
  // A layout asked for from inside a layout runs once the outer one is done: the outer pass
  // already uses the newest rectangle.
  if (laying_ || content_ == nullptr) return;
  laying_ = true;
  content_->LayoutIn(layoutRect_);
  laying_ = false;
  ++layoutCount_;
  Retrack();
}

bool WidgetRoot::Paint(PaintTarget& target, Theme* theme, bool full) {
  if (painting_) return false;
  painting_ = true;
  paint_.begun = false;
  paint_.ended = false;
  if (full) {
    paint_.mode = 0;
  } else if (paint_.mode >= 1) {
    paint_.mode = -1;
  }
  paint_.theme = theme;
  paint_.canvas = target.BeginPaint(full);
  bool painted = paint_.canvas != nullptr;
  if (theme != nullptr) theme->SetCanvas(paint_.canvas);
  if (painted) {
    paint_.begun = true;
    if (content_ != nullptr) {
      Event event;
      event.code = -1;
      event.root = this;
      event.paint = &paint_;
      content_->PaintWith(event);
    }
    target.EndPaint();
    paint_.ended = true;
  }
  paint_.mode = 1;
  paint_.canvas = nullptr;
  if (theme != nullptr) theme->SetCanvas(nullptr);
  painting_ = false;
  if (painted) Retrack();
  return painted;
}

void WidgetRoot::EmitPointer() {
  Event event;
  event.root = this;
  event.pointer = &pointer_;
  if (pointerSource_ != nullptr) pointerSource_->BeginRoute();
  // The widget attached last lies on top and is reached first.
  signal(4).EmitReverse(event);
  if (pointerSource_ != nullptr) pointerSource_->EndRoute();
}

void WidgetRoot::RouteMove(Point position, bool captured) {
  pointer_.position = position;
  pointer_.moved = true;
  pointer_.hover = true;
  pointer_.action = 0;
  pointer_.button = 0;
  pointer_.captured = captured;
  EmitPointer();
}

void WidgetRoot::RouteLeave(Point position) {
  pointer_.position = position;
  pointer_.moved = true;
  pointer_.hover = false;
  pointer_.action = 2;
  pointer_.button = 0;
  EmitPointer();
}

void WidgetRoot::RouteButton(int32_t button, bool pressed, uint32_t modifiers) {
  pointer_.moved = false;
  pointer_.modifiers = modifiers;
  pointer_.button = button;
  pointer_.action = pressed ? -1 : 1;
  if (button == 1) pointer_.pressed = pressed;
  EmitPointer();
}

void WidgetRoot::Retrack() {
  if (!pointer_.hover) return;
  RouteMove(pointer_.position, captureHolder_ != nullptr);
}

void WidgetRoot::RouteKey(const KeyState& key) {
  bool sameKey = key.keyCode == key_.keyCode && key.direction == -1 && key_.direction == -1;
  uint32_t count = sameKey ? key_.repeatCount + 1 : 0;
  key_ = key;
  key_.repeatCount = count;
  key_.text[sizeof(key_.text) - 1] = '\0';
  Event event;
  event.root = this;
  event.key = &key_;
  signal(5).Emit(event);
}

void WidgetRoot::Notify(int32_t code) {
  Event event;
  event.code = code;
  event.root = this;
  signal(1).Emit(event);
}

void WidgetRoot::Refresh() {
  Event event;
  event.root = this;
  signal(2).Emit(event);
}

void WidgetRoot::Retest() {
  Event event;
  event.root = this;
  event.retest = true;
  event.pointer = &pointer_;
  signal(3).Emit(event);
}

}  // namespace vexa::ui
