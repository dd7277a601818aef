#pragma once

#include "platform/desktop/win_types.h"

// Application bars: a top-level window that reserves a strip along a screen edge, with the
// EWMH dock window type and _NET_WM_STRUT_PARTIAL (and _NET_WM_STRUT), which window managers
// take out of the work area. GUI thread only.
namespace vexa::platform {

constexpr DWORD ABM_NEW = 0;
constexpr DWORD ABM_REMOVE = 1;
constexpr DWORD ABM_QUERYPOS = 2;
constexpr DWORD ABM_SETPOS = 3;

constexpr UINT ABE_LEFT = 0;
constexpr UINT ABE_TOP = 1;
constexpr UINT ABE_RIGHT = 2;
constexpr UINT ABE_BOTTOM = 3;

struct APPBARDATA {
  DWORD cbSize = 0;
  HWND hWnd = nullptr;
  UINT uCallbackMessage = 0;
  UINT uEdge = 0;
  RECT rc;
  LPARAM lParam = 0;
};
// The size the record declares in cbSize (its 32-bit form); sizeof(APPBARDATA) is accepted too.
constexpr DWORD APPBARDATA_V1_SIZE = 36;

// ABM_NEW: makes the top-level window a bar: dock type, on every desktop, no frame (a mapped
// window is unmapped and mapped again for it); FALSE when it is one already.
// ABM_QUERYPOS: moves `rc` clear of the strips other windows reserve (a left or right bar
// moves sideways by their width and gives up the height of top and bottom strips across it).
// ABM_SETPOS: the same, then reserves the strip from the screen edge of uEdge to the far side
// of `rc`, along its length. ABM_REMOVE: gives the strip back; the window stays as it is.
// Moving the window to `rc` is the caller's MoveWindow. Returns TRUE, or FALSE for a window
// that is not a live top-level window, is not a bar yet (QUERYPOS, SETPOS, REMOVE), a bad
// edge or size. A destroyed bar's strip goes with its X window.
UINT_PTR SHAppBarMessage(DWORD message, APPBARDATA* data);

constexpr int SM_CXSCREEN = 0;
constexpr int SM_CYSCREEN = 1;
// The size of the X screen (the root window, which struts are measured against); 0 for other
// indexes or without a display.
int GetSystemMetrics(int index);

}  // namespace vexa::platform
