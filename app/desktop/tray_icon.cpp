#include "app/desktop/tray_icon.h"

#include "base/text_functions.h"

namespace vexa {

namespace P = platform;

bool TrayIcon::add(P::HWND window, P::HICON icon, const char* tip) {
  data_.hWnd = window;
  data_.uFlags = P::NIF_MESSAGE | P::NIF_ICON | P::NIF_TIP;
  data_.hIcon = icon;
  copyBounded(data_.szTip, sizeof data_.szTip, tip, sizeof data_.szTip - 1);
  if (!P::Shell_NotifyIconA(P::NIM_ADD, &data_)) {
    data_.hWnd = nullptr;
    return true;
  }
  return false;
}

bool TrayIcon::setVersion() {
  data_.uVersion = 3;
  return !P::Shell_NotifyIconA(P::NIM_SETVERSION, &data_);
}

void TrayIcon::show(P::HICON icon) {
  if (data_.hWnd == nullptr) return;
  data_.uFlags = P::NIF_ICON;
  data_.hIcon = icon;
  P::Shell_NotifyIconA(P::NIM_MODIFY, &data_);
}

void TrayIcon::reset() {
  if (data_.hWnd != nullptr) P::Shell_NotifyIconA(P::NIM_DELETE, &data_);
  data_ = P::NOTIFYICONDATAA{};
  data_.cbSize = P::NOTIFYICONDATAA_V3_SIZE;
  data_.uID = kCallbackMessage;
  data_.uFlags = P::NIF_MESSAGE;
  data_.uCallbackMessage = kCallbackMessage;
}

}  // namespace vexa
