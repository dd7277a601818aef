#pragma once

#include <cstdint>

// The Windows-shaped vocabulary of the desktop layer: integer types, handles, rectangles and
// colours, with the names and values Windows gives them, so toolkit code reads like the Win32 it
// stands in for. Handles are opaque numbers looked up in tables; a stale or foreign handle makes a
// call fail instead of touching freed memory.
namespace vexa::platform {

using BYTE = uint8_t;
using WORD = uint16_t;
using DWORD = uint32_t;
using UINT = unsigned int;
using LONG = int32_t;
using BOOL = int;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;
using LONG_PTR = intptr_t;
using COLORREF = DWORD;  // 0x00BBGGRR
using ATOM = WORD;
using SHORT = int16_t;
using INT_PTR = intptr_t;
using UINT_PTR = uintptr_t;
using HRESULT = int32_t;
using HANDLE = void*;

// TRUE and FALSE are left to GLib's macros of the same values (1 and 0).

// Distinct handle types that never convert into each other; every GDI handle converts to HGDIOBJ.
struct HWND__;
struct HDC__;
struct HPEN__;
struct HBRUSH__;
struct HFONT__;
struct HRGN__;
struct HBITMAP__;
struct HCURSOR__;
struct HMENU__;
struct HINSTANCE__;
struct HICON__;
using HWND = HWND__*;
using HDC = HDC__*;
using HGDIOBJ = void*;
using HPEN = HPEN__*;
using HBRUSH = HBRUSH__*;
using HFONT = HFONT__*;
using HRGN = HRGN__*;
using HBITMAP = HBITMAP__*;
using HCURSOR = HCURSOR__*;
using HMENU = HMENU__*;  // for a child window: its control identifier
using HINSTANCE = HINSTANCE__*;
using HICON = HICON__*;

// A resource named by number instead of by text, as Windows does it.
inline const char* MAKEINTRESOURCEA(WORD id) {
  return reinterpret_cast<const char*>(static_cast<uintptr_t>(id));
}
// True when `name` is a number made by MAKEINTRESOURCEA rather than a text.
inline bool IS_INTRESOURCE(const char* name) {
  return (reinterpret_cast<uintptr_t>(name) >> 16) == 0;
}

struct POINT {
  LONG x = 0;
  LONG y = 0;
};

struct SIZE {
  LONG cx = 0;
  LONG cy = 0;
};

// Right and bottom are exclusive, as in Windows.
struct RECT {
  LONG left = 0;
  LONG top = 0;
  LONG right = 0;
  LONG bottom = 0;
};

constexpr COLORREF RGB(BYTE r, BYTE g, BYTE b) {
  return static_cast<COLORREF>(r) | static_cast<COLORREF>(g) << 8 | static_cast<COLORREF>(b) << 16;
}
constexpr BYTE GetRValue(COLORREF c) {
  return static_cast<BYTE>(c);
}
constexpr BYTE GetGValue(COLORREF c) {
  return static_cast<BYTE>(c >> 8);
}
constexpr BYTE GetBValue(COLORREF c) {
  return static_cast<BYTE>(c >> 16);
}

constexpr WORD LOWORD(uintptr_t v) {
  return static_cast<WORD>(v & 0xFFFF);
}
constexpr WORD HIWORD(uintptr_t v) {
  return static_cast<WORD>((v >> 16) & 0xFFFF);
}
constexpr LPARAM MAKELPARAM(int low, int high) {
  return static_cast<LPARAM>(static_cast<DWORD>(static_cast<WORD>(low)) |
                             static_cast<DWORD>(static_cast<WORD>(high)) << 16);
}
// Pointer coordinates are signed 16-bit values (negative outside the window while captured).
constexpr int GET_X_LPARAM(LPARAM v) {
  return static_cast<int16_t>(LOWORD(static_cast<uintptr_t>(v)));
}
constexpr int GET_Y_LPARAM(LPARAM v) {
  return static_cast<int16_t>(HIWORD(static_cast<uintptr_t>(v)));
}

}  // namespace vexa::platform
