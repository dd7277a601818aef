#pragma once

#include "platform/desktop/win_messages.h"
#include "platform/desktop/win_types.h"

// Pointer and keyboard: capture, leave tracking, cursors, the keyboard state and translation.
// GUI thread only (see window_system.h).
//
// Pointer messages reach the window under the pointer (or the one holding capture) with
// client coordinates in lParam and MK_* bits in wParam. Key messages reach the window with the
// keyboard focus: WM_KEYDOWN (WM_SYSKEYDOWN while Alt is held) with the virtual-key code in
// wParam, followed, for a key that types something, by WM_CHAR with its Shift_JIS byte(s); then
// WM_KEYUP (WM_SYSKEYUP). An auto-repeat is another WM_KEYDOWN with KF_REPEAT_BIT set.
namespace vexa::platform {

// Pointer messages go to `window` wherever the pointer is, until ReleaseCapture. The window that
// loses capture gets WM_CAPTURECHANGED. Returns the previous holder.
HWND SetCapture(HWND window);
BOOL ReleaseCapture();
HWND GetCapture();

struct TRACKMOUSEEVENT {
  DWORD cbSize = sizeof(TRACKMOUSEEVENT);
  DWORD dwFlags = 0;  // TME_LEAVE, optionally with TME_CANCEL
  HWND hwndTrack = nullptr;
  DWORD dwHoverTime = 0;
};
// With TME_LEAVE, the next time the pointer leaves the window's client area (or enters a child
// window) WM_MOUSELEAVE is posted once. FALSE for a dead window.
BOOL TrackMouseEvent(TRACKMOUSEEVENT* track);

// The pointer position in screen coordinates, now (as of the last pointer event without a
// display).
BOOL GetCursorPos(POINT* point);

// The system cursors, by the numbers Windows gives their IDC_ names. Only these five exist.
constexpr uintptr_t IDC_ARROW = 32512;
constexpr uintptr_t IDC_IBEAM = 32513;
constexpr uintptr_t IDC_SIZEWE = 32644;
constexpr uintptr_t IDC_SIZENS = 32645;
constexpr uintptr_t IDC_HAND = 32649;
// `instance` must be null and `name` one of the IDC_ numbers (cast to a pointer, as Windows
// does with MAKEINTRESOURCE); anything else gives null.
HCURSOR LoadCursorA(HINSTANCE instance, const char* name);
inline HCURSOR LoadCursorA(HINSTANCE instance, uintptr_t id) {
  return LoadCursorA(instance, reinterpret_cast<const char*>(id));
}
// Shows `cursor` over the window that last received a pointer message (or holds capture) until
// the next SetCursor; null hides the pointer there. Returns the previous cursor.
HCURSOR SetCursor(HCURSOR cursor);

// The keyboard state as of the key and button message being handled (the top bit of a byte:
// down; the low bit of VK_CAPITAL: Caps Lock on). It follows the messages as they are taken
// from the queue, so a handler sees the modifiers that were held when its event happened.
BOOL GetKeyboardState(BYTE state[256]);
short GetKeyState(int virtualKey);

// Translates a key as Windows' ToAscii does: the text that the key with that scan code (the
// X key code, bits 16-23 of a key message's lParam) types under the Shift, Caps Lock and Ctrl
// bits of `state` (Ctrl with a letter gives its control code), in Shift_JIS. Writes up to two
// bytes at `out` (in memory order: the first in the low half of out[0]); returns their number,
// 0 when the key types nothing (a function key, a modifier).
int ToAscii(UINT virtualKey, UINT scanCode, const BYTE state[256], WORD* out, UINT flags);

// The virtual-key code of a GDK key value (taken without modifiers: 'a' and 'A' both give 'A',
// '1' and '!' are only reached through the unshifted key). 0 for keys Windows has no code for.
// Needs no display.
UINT VirtualKeyFromKeyval(unsigned int keyval);

}  // namespace vexa::platform
