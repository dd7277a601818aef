#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/desktop/win_types.h"

// The X11 side of hosting another program's windows: finding the top-level client windows
// (beneath the window manager's frames) with their WM_CLASS, and taking one in as a child of a
// host window or giving it back. GUI thread only, on the window system's display.
namespace vexa::platform {

struct ForeignWindow {
  uint64_t id = 0;
  std::string wmClass;  // the raw property ("instance\0class\0"), empty when unreadable
  bool viewable = false;
  int width = 0;  // its size, 0 when unreadable
  int height = 0;
};

// The client windows of the desktop (hidden ones too), in stacking order from the bottom. Empty
// when the window system is not running.
std::vector<ForeignWindow> ListForeignWindows();

// Where a foreign window was, to give it back there.
struct ForeignPlace {
  int x = 0;
  int y = 0;
};

// Takes `window` in as the child of the host window `slot` at (0, 0), mapped. It is put in the
// save-set first, so the X server gives it back to the desktop, mapped, when this process ends
// in any way. False when the window or the slot is gone.
bool TakeInForeignWindow(uint64_t window, HWND slot, ForeignPlace* wasAt);
// Returns it to the desktop at `place`, mapped, for the window manager to frame again.
void GiveBackForeignWindow(uint64_t window, const ForeignPlace& place);

// For checks: the parent of a window (0 when it is gone), the root, whether it is viewable.
uint64_t ForeignParent(uint64_t window);
uint64_t DesktopRoot();
bool ForeignViewable(uint64_t window);

}  // namespace vexa::platform
