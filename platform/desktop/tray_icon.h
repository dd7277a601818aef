#pragma once

#include "platform/desktop/icons.h"
#include "platform/desktop/win_messages.h"
#include "platform/desktop/win_types.h"

// The notification-area (tray) icon, on an XEmbed system tray. GUI thread only.
//
// An icon is named by its window and id. A right click on it (when the button comes up) posts
// the callback message to the window with wParam = the id and lParam = WM_CONTEXTMENU once the
// version is 3 (WM_RBUTTONUP before); a left click posts WM_LBUTTONUP. Adding an icon succeeds
// without a tray on the screen: it embeds when a tray appears, and again when the tray is
// restarted.
namespace vexa::platform {

constexpr DWORD NIM_ADD = 0;
constexpr DWORD NIM_MODIFY = 1;
constexpr DWORD NIM_DELETE = 2;
constexpr DWORD NIM_SETVERSION = 4;

constexpr UINT NIF_MESSAGE = 0x1;
constexpr UINT NIF_ICON = 0x2;
constexpr UINT NIF_TIP = 0x4;

constexpr UINT NOTIFYICON_VERSION = 3;

struct NOTIFYICONDATAA {
  DWORD cbSize = 0;
  HWND hWnd = nullptr;
  UINT uID = 0;
  UINT uFlags = 0;
  UINT uCallbackMessage = 0;
  HICON hIcon = nullptr;
  char szTip[128] = {};  // Shift_JIS, NUL-terminated within the field
  DWORD dwState = 0;
  DWORD dwStateMask = 0;
  char szInfo[256] = {};
  UINT uVersion = 0;  // also the balloon time-out
  char szInfoTitle[64] = {};
  DWORD dwInfoFlags = 0;
  BYTE guidItem[16] = {};
};
// The size the record declares in cbSize (its 32-bit form); sizeof(NOTIFYICONDATAA) is accepted
// as well.
constexpr DWORD NOTIFYICONDATAA_V3_SIZE = 504;

// NIM_ADD needs a live window and an id not in use; NIM_MODIFY and NIM_DELETE an added icon;
// NIM_SETVERSION takes uVersion 0 or 3. Only the fields uFlags names are read. FALSE on failure.
BOOL Shell_NotifyIconA(DWORD message, NOTIFYICONDATAA* data);

struct NOTIFYICONIDENTIFIER {
  DWORD cbSize = sizeof(NOTIFYICONIDENTIFIER);
  HWND hWnd = nullptr;
  UINT uID = 0;
  BYTE guidItem[16] = {};
};
constexpr HRESULT S_OK = 0;
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005);
// The icon's rectangle on the screen; E_FAIL when it is unknown or not embedded in a tray.
HRESULT Shell_NotifyIconGetRect(const NOTIFYICONIDENTIFIER* identifier, RECT* rect);

}  // namespace vexa::platform
