#pragma once

#include "platform/desktop/app_bar.h"

namespace vexa {

// The main window as a bar on the left or right screen edge: full screen height, reserving its
// strip of the screen on every desktop.
class DockBar {
 public:
  static constexpr platform::UINT kCallbackMessage = 0x464;

  DockBar() { reset(); }
  ~DockBar() { reset(); }
  DockBar(const DockBar&) = delete;
  DockBar& operator=(const DockBar&) = delete;

  // Registers `window` as a bar and docks it at the left edge; true on failure.
  bool registerBar(platform::HWND window, int width);
  // Docks at the current edge with `width`: the whole screen's height, moved clear of other
  // bars, the strip reserved, the window moved there.
  void dock(int width);
  // The other edge, the same width.
  void toggleSide(int width);
  // Removes the bar, when there is one, and refills the defaults.
  void reset();

  bool dockedRight() const { return data_.uEdge == platform::ABE_RIGHT; }
  const platform::RECT& rect() const { return data_.rc; }

 private:
  platform::APPBARDATA data_;
};

// The width applied on the docking edge of `rect`.
void ApplyDockWidth(platform::RECT& rect, platform::UINT edge, int width);

}  // namespace vexa
