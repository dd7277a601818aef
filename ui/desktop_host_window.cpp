#include "ui/desktop_host_window.h"

#include "platform/desktop/input.h"
#include "platform/desktop/win_messages.h"
#include "ui/gdi_device.h"

namespace vexa::ui {

namespace P = vexa::platform;

namespace {

constexpr const char* kClassName = "vexa-host";

bool RegisterHostClass(P::WNDPROC procedure) {
  // Registered once per process; the window system refuses a second registration anyway.
  static bool registered = [procedure] {
    P::WNDCLASSA windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.lpszClassName = kClassName;
    windowClass.background = P::RGB(238, 238, 238);
    return P::RegisterClassA(windowClass) != 0;
  }();
  return registered;
}

}  // namespace

bool WindowStyleOf(const HostStyle& style, bool hasParent, P::DWORD& windowStyle,
                   P::DWORD& extendedStyle) {
  if ((style.flags & 1) == 0) {
    windowStyle = hasParent ? P::WS_CHILD | P::WS_CLIPSIBLINGS | P::WS_CLIPCHILDREN
                            : P::WS_OVERLAPPEDWINDOW | P::WS_CLIPCHILDREN;
  } else {
    uint32_t kind = style.kindAndOptions & 0xF;
    windowStyle = (style.kindAndOptions & 0x20) ? 0 : P::WS_CLIPCHILDREN;
    if (kind == 1) {
      windowStyle |= P::WS_POPUP;
    } else if (kind == 2) {
      windowStyle |= P::WS_CHILD | P::WS_CLIPSIBLINGS;
    } else if (kind != 0) {
      return false;
    }
    if (style.kindAndOptions & 0x10) windowStyle |= P::WS_OVERLAPPEDWINDOW;
  }
  extendedStyle = P::WS_EX_ACCEPTFILES;
  if (windowStyle & P::WS_POPUP) extendedStyle |= P::WS_EX_TOOLWINDOW;
  return true;
}

DesktopHostWindow::DesktopHostWindow(HostOwner& owner, const char* title, const Rect& rect,
                                     P::HWND parent, HostStyle style)
    : host_(owner, std::make_unique<GdiDevice>(nullptr)) {
  P::DWORD windowStyle = 0;
  P::DWORD extendedStyle = 0;
  if (!WindowStyleOf(style, parent != nullptr, windowStyle, extendedStyle)) return;
  if (!RegisterHostClass(&Procedure)) return;
  bool useDefault = rect.width() < 1;
  P::HWND window = P::CreateWindowExA(
      extendedStyle, kClassName, title != nullptr ? title : "", windowStyle,
      useDefault ? P::CW_USEDEFAULT : rect.left, useDefault ? P::CW_USEDEFAULT : rect.top,
      useDefault ? P::CW_USEDEFAULT : rect.width(), useDefault ? 0 : rect.height(), parent, nullptr,
      nullptr, this);
  if (window == nullptr) return;
  owned_ = true;
  Bind(window);
}

DesktopHostWindow::DesktopHostWindow(HostOwner& owner, P::HWND existing)
    : host_(owner, std::make_unique<GdiDevice>(nullptr)) {
  if (!P::IsWindow(existing)) return;
  P::SetWindowLongPtrA(existing, P::GWLP_USERDATA, reinterpret_cast<P::LONG_PTR>(this));
  previous_ = reinterpret_cast<P::WNDPROC>(
      P::SetWindowLongPtrA(existing, P::GWLP_WNDPROC, reinterpret_cast<P::LONG_PTR>(&Procedure)));
  Bind(existing);
}

void DesktopHostWindow::Bind(P::HWND window) {
  hwnd_ = window;
  static_cast<GdiDevice&>(host_.device()).SetWindow(window);
  host_.BindNative(this);
}

DesktopHostWindow::~DesktopHostWindow() {
  if (hwnd_ == nullptr) return;
  P::HWND window = hwnd_;
  host_.BindNative(nullptr);
  hwnd_ = nullptr;
  P::SetWindowLongPtrA(window, P::GWLP_USERDATA, 0);
  if (previous_ != nullptr) {
    P::SetWindowLongPtrA(window, P::GWLP_WNDPROC, reinterpret_cast<P::LONG_PTR>(previous_));
  }
  if (owned_) P::DestroyWindow(window);
}

P::LRESULT DesktopHostWindow::Procedure(P::HWND window, P::UINT message, P::WPARAM wParam,
                                        P::LPARAM lParam) {
  if (message == P::WM_CREATE) {
    auto* create = reinterpret_cast<P::CREATESTRUCTA*>(lParam);
    P::SetWindowLongPtrA(window, P::GWLP_USERDATA,
                         reinterpret_cast<P::LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<DesktopHostWindow*>(P::GetWindowLongPtrA(window, P::GWLP_USERDATA));
  if (self == nullptr || self->hwnd_ == nullptr) {
    return P::DefWindowProcA(window, message, wParam, lParam);
  }
  WindowMessage m{window, message, wParam, lParam, P::GetMessageTime(), 0};
  self->host_.HandleMessage(m);
  return m.result;
}

bool DesktopHostWindow::Post(uint32_t message) {
  return !P::PostMessageA(hwnd_, message, 0, 0);
}

void DesktopHostWindow::SetCapture(bool capture) {
  if (capture) {
    P::SetCapture(hwnd_);
  } else if (P::GetCapture() == hwnd_) {
    P::ReleaseCapture();
  }
}

void DesktopHostWindow::SetCursor(CursorId cursor) {
  static constexpr uintptr_t kSystem[] = {P::IDC_IBEAM, P::IDC_SIZEWE, P::IDC_SIZENS, P::IDC_HAND,
                                          P::IDC_ARROW};
  if (!IsKnownCursor(cursor)) return;
  P::SetCursor(P::LoadCursorA(nullptr, kSystem[cursor - kCursorIBeam]));
}

Rect DesktopHostWindow::ClientRect() {
  P::RECT r;
  if (!P::GetClientRect(hwnd_, &r)) return Rect{};
  return Rect{r.left, r.top, r.right, r.bottom};
}

Point DesktopHostWindow::ClientOrigin() {
  P::POINT p;
  P::ClientToScreen(hwnd_, &p);
  return Point{p.x, p.y};
}

Point DesktopHostWindow::CursorPosition() {
  P::POINT p;
  P::GetCursorPos(&p);
  return Point{p.x, p.y};
}

void DesktopHostWindow::KeyboardState(uint8_t (&state)[256]) {
  if (!P::GetKeyboardState(state)) {
    for (auto& b : state) b = 0;
  }
}

int32_t DesktopHostWindow::Translate(uint32_t virtualKey, uint32_t scanCode,
                                     const uint8_t (&state)[256], char* out, uint32_t capacity) {
  P::WORD typed[2] = {0, 0};
  int n = P::ToAscii(virtualKey, scanCode, state, typed, 0);
  if (n <= 0) return 0;
  const auto* bytes = reinterpret_cast<const char*>(typed);
  uint32_t count = std::min<uint32_t>(static_cast<uint32_t>(n), capacity);
  for (uint32_t i = 0; i < count; ++i) out[i] = bytes[i];
  return static_cast<int32_t>(count);
}

void DesktopHostWindow::TrackLeave() {
  P::TRACKMOUSEEVENT track;
  track.dwFlags = P::TME_LEAVE;
  track.hwndTrack = hwnd_;
  P::TrackMouseEvent(&track);
}

void DesktopHostWindow::Focus() {
  P::SetFocus(hwnd_);
}

int32_t DesktopHostWindow::PlacementState() {
  P::WINDOWPLACEMENT placement;
  if (!P::GetWindowPlacement(hwnd_, &placement)) return 0;
  return placement.showCmd == P::SW_SHOWMAXIMIZED ? 3 : 0;
}

void DesktopHostWindow::Show(int32_t state) {
  int command = state == -1  ? P::SW_HIDE
                : state == 2 ? P::SW_SHOWMINIMIZED
                : state == 3 ? P::SW_SHOWMAXIMIZED
                             : P::SW_SHOWNORMAL;
  P::ShowWindow(hwnd_, command);
}

void DesktopHostWindow::InvalidateAll() {
  P::InvalidateRect(hwnd_, nullptr, 0);
}

void DesktopHostWindow::MoveClient(const Rect& screenRect) {
  P::RECT r{screenRect.left, screenRect.top, screenRect.right, screenRect.bottom};
  P::AdjustWindowRectEx(&r, static_cast<P::DWORD>(P::GetWindowLongPtrA(hwnd_, P::GWL_STYLE)), 0,
                        static_cast<P::DWORD>(P::GetWindowLongPtrA(hwnd_, P::GWL_EXSTYLE)));
  P::MoveWindow(hwnd_, r.left, r.top, r.right - r.left, r.bottom - r.top, 1);
}

void DesktopHostWindow::PostClose() {
  P::PostMessageA(hwnd_, P::WM_CLOSE, 0, 0);
}

intptr_t DesktopHostWindow::Default(WindowMessage& m) {
  auto window = static_cast<P::HWND>(m.window);
  if (previous_ != nullptr)
    return P::CallWindowProcA(previous_, window, m.message, m.wParam, m.lParam);
  return P::DefWindowProcA(window, m.message, m.wParam, m.lParam);
}

}  // namespace vexa::ui
