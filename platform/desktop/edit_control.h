#pragma once

#include "platform/desktop/host_windows.h"

// The single-line edit control: CreateWindowExA(0, kEditClassName, "", WS_CHILD | WS_VISIBLE |
// WS_BORDER | ES_AUTOHSCROLL, x, y, w, h, parent, (HMENU)id, ...) makes a GtkEntry inside the
// parent's client area, placed by MoveWindow.
//
// Its window procedure (GetWindowLongPtrA(GWLP_WNDPROC)) is the entry's own handling; a hook set
// with SetWindowLongPtrA(GWLP_WNDPROC, hook) sees every message first, key presses included
// (WM_KEYDOWN with VK_RETURN, WM_CHAR, WM_KEYUP, sent synchronously while GTK delivers the key),
// and passes a message on with CallWindowProcA(previous, ...). A key whose message reaches the
// entry's own procedure is then handled by the entry (typed, moved over, ...); a key the hook
// does not pass on is swallowed. The IME and clipboard work as in any GtkEntry.
//
// The entry's own procedure handles WM_SETFONT (the HFONT's face and height; lParam non-zero
// redraws), WM_SETTEXT, WM_GETTEXT, WM_GETTEXTLENGTH, EM_SETSEL and EM_LIMITTEXT; text is
// Shift_JIS, converted at this boundary (GetWindowTextA and friends work the same). Text that is
// not valid Shift_JIS is shown with U+FFFD, and reads back as the Shift_JIS of what is shown.
namespace vexa::platform {

constexpr UINT EM_SETSEL = 0x00B1;     // wParam start, lParam end (characters; -1: the end)
constexpr UINT EM_LIMITTEXT = 0x00C5;  // wParam: most characters, 0 for no limit

}  // namespace vexa::platform
