#include "app/desktop/dock_bar.h"

#include "platform/desktop/host_windows.h"

namespace vexa {

namespace P = platform;

void ApplyDockWidth(P::RECT& rect, P::UINT edge, int width) {
  switch (edge) {
    case P::ABE_LEFT:
      rect.right = rect.left + width;
      break;
    case P::ABE_RIGHT:
      rect.left = rect.right - width;
      break;
    case P::ABE_TOP:
      rect.bottom = rect.top + width;
      break;
    case P::ABE_BOTTOM:
      rect.top = rect.bottom - width;
      break;
  }
}

bool DockBar::registerBar(P::HWND window, int width) {
  reset();
  data_.hWnd = window;
  if (P::SHAppBarMessage(P::ABM_NEW, &data_) == 0) {
    data_.hWnd = nullptr;
    return true;
  }
  data_.uEdge = P::ABE_LEFT;
  dock(width);
  return false;
}

void DockBar::dock(int width) {
  if (data_.hWnd == nullptr) return;
  data_.rc =
      P::RECT{0, 0, P::GetSystemMetrics(P::SM_CXSCREEN), P::GetSystemMetrics(P::SM_CYSCREEN)};
  ApplyDockWidth(data_.rc, data_.uEdge, width);
  // The shell may move the rectangle away from other bars; failures leave it where it was.
  P::SHAppBarMessage(P::ABM_QUERYPOS, &data_);
  ApplyDockWidth(data_.rc, data_.uEdge, width);
  P::SHAppBarMessage(P::ABM_SETPOS, &data_);
  P::MoveWindow(data_.hWnd, data_.rc.left, data_.rc.top, data_.rc.right - data_.rc.left,
                data_.rc.bottom - data_.rc.top, 1);
}

void DockBar::toggleSide(int width) {
  data_.uEdge = dockedRight() ? P::ABE_LEFT : P::ABE_RIGHT;
  dock(width);
}

void DockBar::reset() {
  if (data_.hWnd != nullptr) P::SHAppBarMessage(P::ABM_REMOVE, &data_);
  data_ = P::APPBARDATA{};
  data_.cbSize = P::APPBARDATA_V1_SIZE;
  data_.uCallbackMessage = kCallbackMessage;
}

}  // namespace vexa
