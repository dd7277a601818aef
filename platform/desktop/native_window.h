#pragma once

#include <cstdint>

#include "platform/desktop/win_types.h"

namespace vexa::platform {

// The X11 id of a host window's client area, for a player or a foreign window that draws into
// it. The window is realized (with its parents) and given an X window of its own first. 0 when
// the handle names no live host window.
uint64_t NativeWindowId(HWND window);

}  // namespace vexa::platform
