#pragma once

#include <cstdint>

#include "base/text_buffer.h"
#include "platform/desktop/gdi_objects.h"
#include "platform/desktop/host_windows.h"
#include "ui/component.h"
#include "ui/widget.h"

namespace vexa::ui {

// The two edit widgets of the program, each with its control identifier, its process-wide
// instance slot and its own window hook.
enum class EditInstance { Post = 0, Filter = 1 };
constexpr int32_t kPostEditId = 301;
constexpr int32_t kFilterEditId = 302;

// A native single-line edit control placed by the toolkit's layout. Enter pressed in it is
// reported to the owner's Invoke; the key then goes on to the control.
class EditWidget : public Widget {
 public:
  // The most recent message the hook saw.
  struct LastMessage {
    platform::HWND window = nullptr;
    platform::UINT message = 0;
    platform::WPARAM wParam = 0;
    platform::LPARAM lParam = 0;
    platform::DWORD time = 0;
  };

  // Registers the widget in its instance's slot (a second widget of the instance replaces it).
  EditWidget(EditInstance instance, Component* owner);
  ~EditWidget() override;

  // Creates the control in the parent window; true on failure (logged).
  bool CreateControl(platform::HWND parent);
  // The control's text; with `keep` false the control is emptied afterwards.
  void GetText(TextBuffer& out, bool keep);
  // Text length in bytes; 0 without a control.
  int32_t TextLength() const;
  void SetText(const char* text);

  static EditWidget* InstanceSlot(EditInstance instance);
  int32_t ControlId() const;
  platform::HWND control() const { return control_; }
  bool fontCreated() const { return fontCreated_; }
  const LastMessage& lastMessage() const { return last_; }

  void OnRootChanged(WidgetRoot* const&) override {}
  void OnRootSignal(const Event&) override {}
  void OnRefresh(const Event&) override {}
  void OnPointerRetest(const Event&) override {}
  // A press over the control gives it the keyboard (the host may see the press first).
  void OnPointer(const Event& event) override;
  CursorId GetCursor() override { return kCursorArrow; }
  void OnKey(const Event&) override {}
  // Moves the control to the rectangle the layout gave.
  void Arrange(const Event& event) override;
  // (0, 0, 16, font height + 4).
  void Measure(Size& out, const Event& event) override;
  // Shows the control.
  void Paint(const Event& event) override;

 private:
  static platform::LRESULT HookPost(platform::HWND, platform::UINT, platform::WPARAM,
                                    platform::LPARAM);
  static platform::LRESULT HookFilter(platform::HWND, platform::UINT, platform::WPARAM,
                                      platform::LPARAM);
  static platform::LRESULT Hook(EditInstance instance, platform::HWND window,
                                platform::UINT message, platform::WPARAM wParam,
                                platform::LPARAM lParam);

  EditInstance instance_;
  Component* owner_;
  platform::HWND control_ = nullptr;
  platform::HWND parent_ = nullptr;
  bool fontCreated_ = false;
  platform::HFONT font_ = nullptr;
  platform::LOGFONTA logFont_;
  LastMessage last_;
  platform::WNDPROC previous_ = nullptr;
};

}  // namespace vexa::ui
