#pragma once

#include <cstdint>

#include "platform/desktop/host_windows.h"
#include "ui/host_window.h"
#include "ui/native_host.h"

namespace vexa::ui {

// The style record of a new host window: flags (bit 0: the kind below decides) and, in the
// second word, the kind (low four bits: 0 plain, 1 pop-up, 2 child; others make no window) and
// options (0x10 adds the overlapped frame, 0x20 leaves out clipping of children).
struct HostStyle {
  uint32_t flags = 0;
  uint32_t kindAndOptions = 0;
};

// The window style a style record asks for; false when it asks for no window.
bool WindowStyleOf(const HostStyle& style, bool hasParent, platform::DWORD& windowStyle,
                   platform::DWORD& extendedStyle);

// Binds a HostWindow to one desktop window: it creates or wraps the window, hands every
// message of it to HandleMessage, and offers the native side (posting, capture, cursors,
// geometry) back to the host.
class DesktopHostWindow : public NativeHost {
 public:
  // A new window, hidden until shown; `title` is Shift_JIS. A rectangle narrower than 1 means a
  // default place and size.
  DesktopHostWindow(HostOwner& owner, const char* title, const Rect& rect,
                    platform::HWND parent = nullptr, HostStyle style = {});
  // An existing window: its procedure is hooked, nothing is created.
  DesktopHostWindow(HostOwner& owner, platform::HWND existing);
  ~DesktopHostWindow() override;
  DesktopHostWindow(const DesktopHostWindow&) = delete;
  DesktopHostWindow& operator=(const DesktopHostWindow&) = delete;

  HostWindow& host() { return host_; }
  platform::HWND hwnd() const { return hwnd_; }

  bool Post(uint32_t message) override;
  void SetCapture(bool capture) override;
  void SetCursor(CursorId cursor) override;
  Rect ClientRect() override;
  Point ClientOrigin() override;
  Point CursorPosition() override;
  void KeyboardState(uint8_t (&state)[256]) override;
  int32_t Translate(uint32_t virtualKey, uint32_t scanCode, const uint8_t (&state)[256], char* out,
                    uint32_t capacity) override;
  void TrackLeave() override;
  void Focus() override;
  int32_t PlacementState() override;
  void Show(int32_t state) override;
  void InvalidateAll() override;
  void MoveClient(const Rect& screenRect) override;
  void PostClose() override;
  intptr_t Default(WindowMessage& message) override;

 private:
  static platform::LRESULT Procedure(platform::HWND window, platform::UINT message,
                                     platform::WPARAM wParam, platform::LPARAM lParam);
  void Bind(platform::HWND window);

  HostWindow host_;
  platform::HWND hwnd_ = nullptr;
  bool owned_ = false;
  platform::WNDPROC previous_ = nullptr;
};

}  // namespace vexa::ui
