#pragma once

#include "platform/desktop/input.h"
#include "platform/desktop/win_types.h"

// Menus from the program's resources and the pop-up menu that returns the chosen command.
// GUI thread only.
namespace vexa::platform {

constexpr UINT MF_BYCOMMAND = 0x0000;
constexpr UINT MF_BYPOSITION = 0x0400;
constexpr UINT MF_ENABLED = 0x0000;
constexpr UINT MF_GRAYED = 0x0001;
constexpr UINT MF_DISABLED = 0x0002;
constexpr UINT MF_SEPARATOR = 0x0800;
constexpr UINT MF_POPUP = 0x0010;

constexpr UINT TPM_RIGHTALIGN = 0x0008;
constexpr UINT TPM_BOTTOMALIGN = 0x0020;
constexpr UINT TPM_NONOTIFY = 0x0080;
constexpr UINT TPM_RETURNCMD = 0x0100;

constexpr WORD kMainMenu = 102;

// MAKEINTRESOURCEA(102) (the menu "main": one pop-up holding the tray commands); null for any
// other name. Each call makes a new menu, released with DestroyMenu (which takes its pop-ups).
HMENU LoadMenuA(HINSTANCE instance, const char* name);
BOOL DestroyMenu(HMENU menu);
// The pop-up at `position`, owned by `menu`; null when there is none.
HMENU GetSubMenu(HMENU menu, int position);
int GetMenuItemCount(HMENU menu);
// The command id at `position`; -1 (as UINT) for a pop-up, a separator or no item.
UINT GetMenuItemID(HMENU menu, int position);
// MF_BYCOMMAND (searching pop-ups too) or MF_BYPOSITION; MF_ENABLED or MF_GRAYED (or
// MF_DISABLED). Returns the item's previous state (MF_ENABLED, MF_GRAYED, MF_DISABLED bits),
// -1 when there is no such item.
int EnableMenuItem(HMENU menu, UINT item, UINT flags);
// MF_GRAYED / MF_DISABLED / MF_SEPARATOR / MF_POPUP bits of the item, -1 (as UINT) for none.
UINT GetMenuState(HMENU menu, UINT item, UINT flags);
// The item's text in Shift_JIS, copied like GetWindowTextA; the bytes copied, 0 for none.
int GetMenuStringA(HMENU menu, UINT item, char* buffer, int size, UINT flags);

// Shows `menu` (a pop-up) with its top-left corner at (x, y) in screen coordinates, or its
// right edge there with TPM_RIGHTALIGN and its bottom with TPM_BOTTOMALIGN, kept on the screen,
// and runs until it closes: a choice, Escape, a click elsewhere, `owner` destroyed, or a quit
// signal. Window messages wait in the queue meanwhile. With TPM_RETURNCMD it returns the chosen
// command id, 0 when none; otherwise it posts WM_COMMAND (the id) to `owner` unless
// TPM_NONOTIFY, and returns TRUE. Greyed items cannot be chosen. Returns 0 at once for a bad
// menu or owner, or while another pop-up menu runs.
UINT TrackPopupMenuEx(HMENU menu, UINT flags, int x, int y, HWND owner, void* excluded);

// Raises and activates the top-level window of `window`. FALSE for no live window.
BOOL SetForegroundWindow(HWND window);

// The key's state now, from the X server's keyboard (not from the message being handled): the
// top bit set while it is down. VK_MENU, VK_SHIFT, VK_CONTROL (either side) and their left and
// right codes, and the mouse buttons are known; other keys give 0.
SHORT GetAsyncKeyState(int virtualKey);
constexpr int VK_LSHIFT = 0xA0;
constexpr int VK_RSHIFT = 0xA1;
constexpr int VK_LCONTROL = 0xA2;
constexpr int VK_RCONTROL = 0xA3;
constexpr int VK_LMENU = 0xA4;
constexpr int VK_RMENU = 0xA5;

}  // namespace vexa::platform
