#pragma once

#include "platform/desktop/win_messages.h"
#include "platform/desktop/win_types.h"

// Windows: classes, creation and destruction, window procedures, geometry, show states, text,
// messages. Each window is a GTK widget: a top-level window (no WS_CHILD) is a GtkWindow whose
// whole inside is the client area; a child window (WS_CHILD) sits at its rectangle inside its
// parent's client area. The window manager's frame lies outside the client area, so a window's
// rectangle is its client rectangle in screen coordinates and AdjustWindowRectEx changes nothing.
//
// All functions run on the GUI thread (see window_system.h) and accept any handle: one that
// names no live window makes them fail (0, FALSE, or null) without side effects.
namespace vexa::platform {

using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);

struct WNDCLASSA {
  WNDPROC lpfnWndProc = nullptr;
  const char* lpszClassName = nullptr;       // copied
  COLORREF background = RGB(255, 255, 255);  // fills a new or grown client area before WM_PAINT
};

// lParam of WM_CREATE.
struct CREATESTRUCTA {
  void* lpCreateParams = nullptr;
  HWND hwndParent = nullptr;
  HMENU hMenu = nullptr;
  int cy = 0;
  int cx = 0;
  int y = 0;
  int x = 0;
  DWORD style = 0;
  DWORD dwExStyle = 0;
};

struct WINDOWPLACEMENT {
  UINT showCmd = 0;  // SW_SHOWMAXIMIZED (3), SW_SHOWMINIMIZED (2) or SW_SHOWNORMAL (1)
  RECT rcNormalPosition;
};

// The built-in class of the single-line edit control (edit_control.h).
constexpr const char* kEditClassName = "Edit";

// 0 on failure (no name, name taken, or "Edit").
ATOM RegisterClassA(const WNDCLASSA& windowClass);
BOOL UnregisterClassA(const char* className, HINSTANCE instance);

// Creates a window of a registered class (or "Edit"). WM_CREATE is sent before it returns, with
// a CREATESTRUCTA; a result of -1 destroys the window again and gives null. A width below 1 with
// x == CW_USEDEFAULT means a default position and size. A child needs a live parent. WS_VISIBLE
// shows the window at once. `title` is Shift_JIS.
HWND CreateWindowExA(DWORD exStyle, const char* className, const char* title, DWORD style, int x,
                     int y, int width, int height, HWND parent, HMENU menuOrId, HINSTANCE instance,
                     void* param);
// Sends WM_DESTROY to the window and then to its children, WM_NCDESTROY last, drops its posted
// messages, releases capture and focus it holds. Safe from inside its own window procedure.
BOOL DestroyWindow(HWND window);
BOOL IsWindow(HWND window);
HWND GetParent(HWND window);
HINSTANCE GetModuleHandleA(const char* name);

// GWLP_WNDPROC (replacing it returns the procedure it displaced: subclassing), GWLP_USERDATA,
// GWLP_ID, GWL_STYLE, GWL_EXSTYLE. Changing the style changes no look; it is kept for callers.
LONG_PTR GetWindowLongPtrA(HWND window, int index);
LONG_PTR SetWindowLongPtrA(HWND window, int index, LONG_PTR value);
// Calls `procedure` with the message; null procedure gives 0.
LRESULT CallWindowProcA(WNDPROC procedure, HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// The default processing: WM_CLOSE destroys the window, WM_PAINT validates it, WM_SETTEXT,
// WM_GETTEXT and WM_GETTEXTLENGTH work on the window's text, WM_SETICON gives a top-level
// window its icon (lParam: an HICON, null for none); everything else gives 0.
LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Calls the window's procedure at once.
LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Queues the message on the GUI thread's queue; FALSE when the window is gone or the queue
// refused. A null window posts a thread message.
BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// The tick (tickMs clock) at which the message being handled was taken from the queue or sent.
DWORD GetMessageTime();

// SW_HIDE, SW_SHOWNORMAL, SW_SHOW, SW_SHOWNOACTIVATE, SW_SHOWMINIMIZED, SW_MINIMIZE,
// SW_SHOWMAXIMIZED, SW_RESTORE. Returns whether the window was visible before.
BOOL ShowWindow(HWND window, int command);
BOOL IsWindowVisible(HWND window);
BOOL GetWindowPlacement(HWND window, WINDOWPLACEMENT* placement);

// Client rectangle: (0, 0, width, height).
BOOL GetClientRect(HWND window, RECT* rect);
// The client rectangle in screen coordinates (see above: the frame is not included).
BOOL GetWindowRect(HWND window, RECT* rect);
BOOL ClientToScreen(HWND window, POINT* point);
BOOL ScreenToClient(HWND window, POINT* point);
BOOL AdjustWindowRectEx(RECT* rect, DWORD style, BOOL menu, DWORD exStyle);
// A top-level window moves to (x, y) in screen coordinates, a child to (x, y) in its parent's
// client area. Sizes below 0 count as 0; a top-level window is at least 1 x 1, a child of zero
// width or height is not shown until it has both again. WM_SIZE and WM_MOVE follow once the
// window system has applied the change (at the next peek for a child). `repaint` is ignored:
// the moved window is always repainted.
BOOL MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint);

// Marks (part of) the client area for a WM_PAINT at a following peek; null rect: all of it.
// `erase` is ignored (nothing is erased; the previous picture stays until painted over).
BOOL InvalidateRect(HWND window, const RECT* rect, BOOL erase);
BOOL ValidateRect(HWND window, const RECT* rect);
// Sends WM_PAINT at once when part of the window is invalid, unless the window is painting
// already (then the paint comes at the next turn, not nested inside the first).
BOOL UpdateWindow(HWND window);

// Shift_JIS text: the title of a top-level window, the contents of an edit control, the stored
// text of other windows. The length is in bytes; GetWindowTextA copies at most size - 1 bytes
// (never half a double-byte character) and a terminating NUL, and returns the bytes copied.
BOOL SetWindowTextA(HWND window, const char* text);
int GetWindowTextA(HWND window, char* buffer, int size);
int GetWindowTextLengthA(HWND window);

// Keyboard focus: a window's client area, or an edit control, within its top-level window. When
// the window system moves the focus, WM_KILLFOCUS and WM_SETFOCUS are posted to the two windows.
// Returns the previous focus.
HWND SetFocus(HWND window);
HWND GetFocus();
// The control identifier of a child window (its HMENU at creation).
int GetDlgCtrlID(HWND window);

}  // namespace vexa::platform
