#pragma once

#include "platform/desktop/win_types.h"

// GDI objects: pens, brushes, fonts, rectangular regions and bitmaps. Each handle owns its
// object until DeleteObject. Deleting an object that is selected into a device context is
// refused (FALSE), as Windows does; stock objects cannot be deleted. GUI thread only.
namespace vexa::platform {

constexpr int PS_SOLID = 0;
constexpr int PS_NULL = 5;
// Width 0 and 1 draw one-pixel lines that leave out their last point; wider pens draw with
// round ends.
HPEN CreatePen(int style, int width, COLORREF colour);
HBRUSH CreateSolidBrush(COLORREF colour);

constexpr int WHITE_BRUSH = 0;
constexpr int BLACK_BRUSH = 4;
constexpr int NULL_BRUSH = 5;
constexpr int HOLLOW_BRUSH = NULL_BRUSH;
constexpr int WHITE_PEN = 6;
constexpr int BLACK_PEN = 7;
constexpr int NULL_PEN = 8;
constexpr int DEFAULT_GUI_FONT = 17;
HGDIOBJ GetStockObject(int which);

constexpr BYTE ANSI_CHARSET = 0;
constexpr BYTE DEFAULT_CHARSET = 1;
constexpr BYTE SHIFTJIS_CHARSET = 128;
constexpr LONG FW_NORMAL = 400;
constexpr LONG FW_BOLD = 700;
constexpr int LF_FACESIZE = 32;

struct LOGFONTA {
  LONG lfHeight = 0;  // > 0: cell height in pixels; < 0: character height; 0: 12 pixels
  LONG lfWidth = 0;
  LONG lfEscapement = 0;
  LONG lfOrientation = 0;
  LONG lfWeight = 0;  // 0 or FW_NORMAL: regular; FW_BOLD and above: bold
  BYTE lfItalic = 0;
  BYTE lfUnderline = 0;
  BYTE lfStrikeOut = 0;
  BYTE lfCharSet = 0;
  BYTE lfOutPrecision = 0;
  BYTE lfClipPrecision = 0;
  BYTE lfQuality = 0;
  BYTE lfPitchAndFamily = 0;
  char lfFaceName[LF_FACESIZE] = {};  // Shift_JIS, NUL-terminated within the field
};
// The face goes through fontconfig, where the shipped alias maps "ＭＳ Ｐゴシック" and
// "MS PGothic" to IPAPGothic. With SHIFTJIS_CHARSET the font must cover Japanese: a face that
// resolves to a font without kana is replaced by IPAPGothic rather than falling back to a
// Latin-only face. An empty face gives the Japanese face. Null only on a bad height.
HFONT CreateFontIndirectA(const LOGFONTA* font);

// Rectangular regions. Coordinates are normalised (left <= right, top <= bottom).
HRGN CreateRectRgn(int left, int top, int right, int bottom);
BOOL SetRectRgn(HRGN region, int left, int top, int right, int bottom);
BOOL PtInRegion(HRGN region, int x, int y);
int GetRgnBox(HRGN region, RECT* box);  // NULLREGION (1), SIMPLEREGION (2), or 0 on failure
constexpr int NULLREGION = 1;
constexpr int SIMPLEREGION = 2;

// A 24-bit bitmap of that size, black at first. Null when a side is negative, above 32767, or the
// pixels would take more than 256 MiB (so a hostile size fails instead of exhausting memory).
// A 0 x 0 bitmap is valid and holds nothing. `dc` is accepted for the signature and may be null.
HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height);
struct BITMAP {
  LONG bmType = 0;
  LONG bmWidth = 0;
  LONG bmHeight = 0;
};
// Fills a BITMAP for a bitmap handle; returns the bytes written, 0 for anything else.
int GetObjectA(HGDIOBJ object, int size, void* out);

BOOL DeleteObject(HGDIOBJ object);

}  // namespace vexa::platform
