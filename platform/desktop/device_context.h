#pragma once

#include "platform/desktop/gdi_objects.h"
#include "platform/desktop/win_types.h"

// Device contexts and drawing, with GDI's rules: a DC has one selected pen, brush, font, bitmap
// and clip region at a time; SelectObject returns what it displaced; a DC from GetDC goes back
// with ReleaseDC, one from CreateCompatibleDC with DeleteDC. Pixel-exact like GDI: no
// antialiasing for lines and shapes, lines leave out their last point, rectangles exclude their
// right and bottom edges. Text is Shift_JIS, converted to UTF-8 here; invalid bytes and a cut
// double-byte character show as U+FFFD. GUI thread only.
//
// A window DC draws into the window's retained picture, which is put on screen at the next
// frame; drawing is clipped to the client area (children are drawn over it). A memory DC draws
// into its selected bitmap (a 1 x 1 stock bitmap until one is selected).
namespace vexa::platform {

// A window's client area; null gives a screen DC that serves only to make compatible DCs and
// bitmaps (drawing on it does nothing).
HDC GetDC(HWND window);
int ReleaseDC(HWND window, HDC dc);
HDC CreateCompatibleDC(HDC dc);
BOOL DeleteDC(HDC dc);

struct PAINTSTRUCT {
  HDC hdc = nullptr;
  BOOL fErase = 0;
  RECT rcPaint;  // the invalid area, clipped to the client area
};
// Inside WM_PAINT: a window DC clipped to the invalid area, which becomes valid.
HDC BeginPaint(HWND window, PAINTSTRUCT* paint);
BOOL EndPaint(HWND window, const PAINTSTRUCT* paint);

// Pens, brushes, fonts and bitmaps (memory DCs only) return the previous object of the kind; a
// region is copied into the clip (as SelectClipRgn) and gives SIMPLEREGION. Null on failure.
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
// Copies the region as the clip; a null region removes the clip. Returns a region kind or 0.
int SelectClipRgn(HDC dc, HRGN region);

COLORREF SetTextColor(HDC dc, COLORREF colour);
COLORREF SetBkColor(HDC dc, COLORREF colour);
constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;
int SetBkMode(HDC dc, int mode);
constexpr UINT TA_LEFT = 0;
constexpr UINT TA_TOP = 0;
constexpr UINT TA_RIGHT = 2;
constexpr UINT TA_CENTER = 6;
constexpr UINT TA_BOTTOM = 8;
constexpr UINT TA_BASELINE = 24;
UINT SetTextAlign(HDC dc, UINT align);

constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;
COLORREF SetPixel(HDC dc, int x, int y, COLORREF colour);
COLORREF GetPixel(HDC dc, int x, int y);
BOOL MoveToEx(HDC dc, int x, int y, POINT* previous);
BOOL LineTo(HDC dc, int x, int y);
BOOL PolylineTo(HDC dc, const POINT* points, DWORD count);
// Outline with the pen, inside with the brush (alternate fill).
BOOL Polygon(HDC dc, const POINT* points, int count);
BOOL Ellipse(HDC dc, int left, int top, int right, int bottom);
BOOL Rectangle(HDC dc, int left, int top, int right, int bottom);
// With the brush only; returns 0 on failure.
int FillRect(HDC dc, const RECT* rect, HBRUSH brush);

constexpr DWORD SRCCOPY = 0x00CC0020;
constexpr DWORD BLACKNESS = 0x00000042;
constexpr DWORD WHITENESS = 0x00FF0062;
// SRCCOPY, BLACKNESS and WHITENESS; other operations fail. Source and target may be the same DC.
BOOL BitBlt(HDC target, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
            DWORD operation);

// Text in the selected font and text colour, placed by the text alignment; with OPAQUE the
// text's box is filled with the background colour first.
BOOL TextOutA(HDC dc, int x, int y, const char* text, int length);
// Width of the text and the font's height (a cell height: ascent + descent).
BOOL GetTextExtentPoint32A(HDC dc, const char* text, int length, SIZE* size);
struct TEXTMETRICA {
  LONG tmHeight = 0;
  LONG tmAscent = 0;
  LONG tmDescent = 0;
  LONG tmAveCharWidth = 0;
};
BOOL GetTextMetricsA(HDC dc, TEXTMETRICA* metrics);

}  // namespace vexa::platform
