#pragma once

#include "platform/desktop/win_types.h"

// The program's icons, compiled in: resources 101 (normal), 103 (second state) and 105 (the
// blink partner of 101), each drawn at 16, 22 and 48 pixels. GUI thread only.
namespace vexa::platform {

constexpr UINT IMAGE_ICON = 1;
constexpr UINT LR_DEFAULTSIZE = 0x0040;

constexpr WORD kIconNormal = 101;
constexpr WORD kIconSecond = 103;
constexpr WORD kIconBlink = 105;

// `name` must be MAKEINTRESOURCEA of 101, 103 or 105 and `type` IMAGE_ICON; anything else gives
// null. `cx`/`cy` of 0 keep every drawn size (the tray and the window pick what fits); a size
// asks for that one square size (the nearest drawn one, scaled). The handle is released with
// DestroyIcon. The instance is not looked at.
HANDLE LoadImageA(HINSTANCE instance, const char* name, UINT type, int cx, int cy, UINT flags);
inline HICON LoadIconA(HINSTANCE instance, const char* name) {
  return static_cast<HICON>(LoadImageA(instance, name, IMAGE_ICON, 0, 0, 0));
}
// FALSE for a handle that names no icon. A tray icon or window showing it keeps its picture.
BOOL DestroyIcon(HICON icon);

// Draws the icon scaled to cx x cy (0: its largest size) at (x, y) of the DC.
constexpr UINT DI_NORMAL = 0x0003;
BOOL DrawIconEx(HDC dc, int x, int y, HICON icon, int cx, int cy, UINT step, HBRUSH background,
                UINT flags);

}  // namespace vexa::platform
