#pragma once

#include "platform/desktop/tray_icon.h"

namespace vexa {

// The program's icon in the notification area, kept for the whole run. Its callback message
// and id are both 1129; a right click arrives as that message with WM_CONTEXTMENU.
class TrayIcon {
 public:
  static constexpr platform::UINT kCallbackMessage = 0x469;

  TrayIcon() { reset(); }
  ~TrayIcon() { reset(); }
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;

  // Adds the icon for `window` with a tip (Shift_JIS, cut to 127 bytes); true on failure.
  bool add(platform::HWND window, platform::HICON icon, const char* tip);
  // Version 3 of the callback's form; true on failure.
  bool setVersion();
  // Shows another icon; failures are ignored.
  void show(platform::HICON icon);
  // Removes the icon, when there is one, and refills the defaults.
  void reset();

  bool added() const { return data_.hWnd != nullptr; }

 private:
  platform::NOTIFYICONDATAA data_;
};

}  // namespace vexa
