#include "ui/widget.h"

#include "ui/host_services.h"
#include "ui/widget_root.h"

namespace vexa::ui {

Widget::Widget() {
  for (int i = 0; i < 7; ++i) {
    receivers_[i].widget_ = this;
    receivers_[i].index_ = i + 1;
  }
}

Widget::~Widget() {
  if (root_ != nullptr && root_->captureHolder() == this) root_->SetCaptureHolder(nullptr);
  // Receivers in reverse order of construction.
  for (int i = 6; i >= 0; --i) {
    if (receivers_[i].signal_ != nullptr) receivers_[i].signal_->Disconnect(&receivers_[i]);
    receivers_[i].signal_ = nullptr;
  }
  root_ = nullptr;
}

void Widget::Detach() {
  if (root_ != nullptr && root_->captureHolder() == this) root_->SetCaptureHolder(nullptr);
  root_ = nullptr;
  for (auto& r : receivers_) {
    if (r.signal_ != nullptr) r.signal_->Disconnect(&r);
    r.signal_ = nullptr;
  }
}

void Widget::Attach(WidgetRoot* root) {
  WidgetRoot* const none = nullptr;
  OnRootChanged(none);
  Detach();
  if (root == nullptr) return;
  for (int i = 0; i < 7; ++i) {
    receivers_[i].signal_ = &root->signal(i + 1);
    root->signal(i + 1).Connect(&receivers_[i]);
  }
  root_ = root;
  OnRootChanged(root_);
}

void EventReceiver::Invoke(const Event& event) {
  if (widget_ != nullptr) widget_->Forward(index_, event);
}

void Widget::Forward(int index, const Event& event) {
  if (root_ == nullptr) return;
  Event copy = event;
  switch (index) {
    case 1:
      OnRootSignal(copy);
      break;
    case 2:
      OnRefresh(copy);
      break;
    case 3:
      if (copy.retest) OnPointerRetest(copy);
      break;
    case 4: {
      Widget* holder = root_->captureHolder();
      copy.hit = holder != nullptr
                     ? holder == this
                     : copy.pointer != nullptr && copy.pointer->hover && !style().hidden &&
                           bounds_.contains(copy.pointer->position);
      OnPointer(copy);
      // The slot may have detached the widget.
      if (copy.hit && root_ != nullptr && root_->pointerSource() != nullptr)
        root_->pointerSource()->OfferCursor(GetCursor());
      break;
    }
    case 5:
      OnKey(copy);
      break;
    case 6: {
      if (root_->layoutFrozen || copy.layout == nullptr) break;
      Size size;
      Measure(size, copy);
      copy.layout->measured = size;
      measured_ = size;
      bounds_ = copy.layout->rect;
      if (copy.layout->result >= 0) Arrange(copy);
      break;
    }
    case 7:
      if (!style().hidden) Paint(copy);
      break;
  }
}

void Widget::LayoutIn(const Rect& rect) {
  LayoutState state;
  state.rect = rect;
  state.result = rect.right < rect.left || rect.bottom < rect.top ? -1 : 0;
  if (state.result < 0) state.rect = Rect{rect.left, rect.top, rect.left, rect.top};
  Event event;
  event.root = root_;
  event.layout = &state;
  Deliver(receivers_[5], event);
}

Size Widget::MeasureNow() {
  LayoutState state;
  state.rect = bounds_;
  Event event;
  event.root = root_;
  event.layout = &state;
  Size size;
  Measure(size, event);
  measured_ = size;
  return size;
}

void Widget::PaintWith(const Event& paintEvent) {
  Deliver(receivers_[6], paintEvent);
}

Rect Widget::ContentRect() const {
  const int32_t* m = committed_.layout;
  Rect r{bounds_.left + m[0], bounds_.top + m[1], bounds_.right - m[2], bounds_.bottom - m[3]};
  if (r.right < r.left) r.right = r.left;
  if (r.bottom < r.top) r.bottom = r.top;
  return r;
}

bool Widget::Commit() {
  if (live_ == committed_) return false;
  StyleRecord previous = committed_;
  committed_ = live_;
  // A visual part that edits and commits again from inside is allowed one level deep.
  if (styleNesting_ < 2) {
    ++styleNesting_;
    OnStyleCommitted(live_, previous);
    --styleNesting_;
  }
  return true;
}

void Widget::OnStyleCommitted(const StyleRecord&, const StyleRecord&) {
  RequestRelayout();
  RequestRepaint();
}

void Widget::RequestRelayout() {
  if (root_ != nullptr && root_->services() != nullptr) root_->services()->RequestRelayout();
}

void Widget::RequestRepaint() {
  if (root_ != nullptr && root_->services() != nullptr) root_->services()->RequestRepaint();
}

void Widget::CapturePointer(bool capture) {
  if (root_ == nullptr) return;
  if (capture) {
    root_->SetCaptureHolder(this);
  } else if (root_->captureHolder() == this) {
    root_->SetCaptureHolder(nullptr);
  } else {
    return;
  }
  if (root_->pointerSource() != nullptr) root_->pointerSource()->SetCapture(capture);
}

}  // namespace vexa::ui
