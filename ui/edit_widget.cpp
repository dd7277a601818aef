#include "ui/edit_widget.h"

#include <cstring>

#include "base/log_stream.h"
#include "base/sjis.h"
#include "platform/desktop/edit_control.h"

namespace vexa::ui {

namespace P = vexa::platform;

namespace {

// One slot per instance, for the life of the process: each hook finds its widget here.
EditWidget* gInstanceSlots[2] = {nullptr, nullptr};

int Index(EditInstance instance) {
  return instance == EditInstance::Post ? 0 : 1;
}

}  // namespace

EditWidget::EditWidget(EditInstance instance, Component* owner)
    : instance_(instance), owner_(owner) {
  logFont_.lfHeight = 14;
  logFont_.lfCharSet = P::SHIFTJIS_CHARSET;
  std::strncpy(logFont_.lfFaceName, "ＭＳ Ｐゴシック"_sjis, sizeof(logFont_.lfFaceName) - 1);
  gInstanceSlots[Index(instance_)] = this;
}

EditWidget::~EditWidget() {
  if (control_ != nullptr && P::IsWindow(control_)) {
    if (previous_ != nullptr) {
      P::SetWindowLongPtrA(control_, P::GWLP_WNDPROC, reinterpret_cast<P::LONG_PTR>(previous_));
    }
    P::DestroyWindow(control_);
  }
  if (font_ != nullptr) P::DeleteObject(font_);
  // A slot must not point at a widget that is gone.
  if (gInstanceSlots[Index(instance_)] == this) gInstanceSlots[Index(instance_)] = nullptr;
}

EditWidget* EditWidget::InstanceSlot(EditInstance instance) {
  return gInstanceSlots[Index(instance)];
}

int32_t EditWidget::ControlId() const {
  return instance_ == EditInstance::Post ? kPostEditId : kFilterEditId;
}

bool EditWidget::CreateControl(P::HWND parent) {
  P::HINSTANCE module = P::GetModuleHandleA(nullptr);
  P::HWND window = nullptr;
  if (parent != nullptr && control_ == nullptr) {
    window = P::CreateWindowExA(
        0, P::kEditClassName, "", P::WS_CHILD | P::WS_VISIBLE | P::WS_BORDER | P::ES_AUTOHSCROLL,
        P::CW_USEDEFAULT, P::CW_USEDEFAULT, P::CW_USEDEFAULT, 0, parent,
        reinterpret_cast<P::HMENU>(static_cast<intptr_t>(ControlId())), module, nullptr);
  }
  if (window == nullptr) {
    logLine("ERROR: fail to create edit control.");
    return true;
  }
  if (control_ != nullptr || parent == nullptr) {
    P::DestroyWindow(window);
    logLine("ERROR: fail to bind edit control.");
    return true;
  }
  control_ = window;
  parent_ = parent;
  font_ = P::CreateFontIndirectA(&logFont_);
  fontCreated_ = font_ != nullptr;
  if (font_ == nullptr) logLine("WARNING: fail to create font on edit control.");
  P::SendMessageA(control_, P::WM_SETFONT, reinterpret_cast<P::WPARAM>(font_), 1);
  P::WNDPROC hook = instance_ == EditInstance::Post ? &HookPost : &HookFilter;
  previous_ = reinterpret_cast<P::WNDPROC>(
      P::SetWindowLongPtrA(control_, P::GWLP_WNDPROC, reinterpret_cast<P::LONG_PTR>(hook)));
  return false;
}

P::LRESULT EditWidget::HookPost(P::HWND w, P::UINT m, P::WPARAM wp, P::LPARAM lp) {
  return Hook(EditInstance::Post, w, m, wp, lp);
}

P::LRESULT EditWidget::HookFilter(P::HWND w, P::UINT m, P::WPARAM wp, P::LPARAM lp) {
  return Hook(EditInstance::Filter, w, m, wp, lp);
}

P::LRESULT EditWidget::Hook(EditInstance instance, P::HWND window, P::UINT message,
                            P::WPARAM wParam, P::LPARAM lParam) {
  EditWidget* self = gInstanceSlots[Index(instance)];
  if (self == nullptr || self->control_ != window) {
    // Not (or no longer) ours: the entry's own procedure still handles it.
    P::WNDPROC own = reinterpret_cast<P::WNDPROC>(P::GetWindowLongPtrA(window, P::GWLP_WNDPROC));
    return own != nullptr && own != &HookPost && own != &HookFilter
               ? P::CallWindowProcA(own, window, message, wParam, lParam)
               : P::DefWindowProcA(window, message, wParam, lParam);
  }
  self->last_ = LastMessage{window, message, wParam, lParam, P::GetMessageTime()};
  P::WNDPROC previous = self->previous_;
  if (message == P::WM_KEYDOWN && wParam == P::VK_RETURN && self->owner_ != nullptr) {
    self->owner_->Invoke(Event{});
  }
  // Enter, too, goes on to the control itself.
  return P::CallWindowProcA(previous, window, message, wParam, lParam);
}

void EditWidget::GetText(TextBuffer& out, bool keep) {
  out.clear();
  if (control_ == nullptr) return;
  int32_t length = P::GetWindowTextLengthA(control_);
  if (length < 0) length = 0;
  char* buffer = out.reserve(static_cast<uint32_t>(length) + 1, 0, false);
  if (buffer != nullptr) P::GetWindowTextA(control_, buffer, length + 1);
  if (!keep) P::SetWindowTextA(control_, "");
}

int32_t EditWidget::TextLength() const {
  return control_ != nullptr ? P::GetWindowTextLengthA(control_) : 0;
}

void EditWidget::SetText(const char* text) {
  if (control_ != nullptr) P::SetWindowTextA(control_, text != nullptr ? text : "");
}

void EditWidget::OnPointer(const Event& event) {
  if (control_ != nullptr && event.hit && event.pointer != nullptr && event.pointer->action == -1)
    P::SetFocus(control_);
}

void EditWidget::Arrange(const Event&) {
  if (control_ == nullptr) return;
  const Rect& r = bounds();
  P::MoveWindow(control_, r.left, r.top, r.width(), r.height(), 1);
}

void EditWidget::Measure(Size& out, const Event&) {
  out = Size{16, logFont_.lfHeight + 4};
}

void EditWidget::Paint(const Event&) {
  if (control_ != nullptr && !P::IsWindowVisible(control_)) {
    P::ShowWindow(control_, P::SW_SHOWNOACTIVATE);
  }
}

}  // namespace vexa::ui
