#pragma once

#include "platform/desktop/host_windows.h"
#include "platform/desktop/win_messages.h"
#include "platform/desktop/win_types.h"

// Modeless dialogs from the program's resources. GUI thread only.
//
// Dialog 106 (the stream address dialog): a small top-level window, transient for its owner,
// holding an edit control 1002 and the buttons "再生" (IDOK, the default) and "キャンセル"
// (IDCANCEL). Enter in the dialog sends IDOK; Escape and the window's close button send
// IDCANCEL. The dialog procedure receives WM_INITDIALOG (lParam = the init value) before the
// dialog shows, then the window's messages, and WM_COMMAND with LOWORD(wParam) = the button's
// id for a press (posted, so it arrives through the loop; lParam is 0, the buttons are not
// windows of their own). It returns TRUE for a message it
// handled; otherwise the default handling runs (WM_CLOSE becomes WM_COMMAND IDCANCEL; nothing
// closes the dialog but DestroyWindow).
namespace vexa::platform {

using DLGPROC = INT_PTR (*)(HWND, UINT, WPARAM, LPARAM);

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;

constexpr WORD kUrlDialog = 106;
constexpr int kUrlDialogEdit = 1002;

// Null when `name` is not MAKEINTRESOURCEA(106), `proc` is null, the owner is given but is not
// a live window, or the procedure's WM_INITDIALOG destroyed the dialog.
HWND CreateDialogParamA(HINSTANCE instance, const char* name, HWND owner, DLGPROC proc,
                        LPARAM init);
// The child control of `dialog` with the id; null for none.
HWND GetDlgItem(HWND dialog, int id);
// The control's text in Shift_JIS, bounded like GetWindowTextA; the bytes copied.
UINT GetDlgItemTextA(HWND dialog, int id, char* buffer, int size);
BOOL SetDlgItemTextA(HWND dialog, int id, const char* text);

}  // namespace vexa::platform
