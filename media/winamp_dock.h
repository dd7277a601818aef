#pragma once

#include <cstdint>

#include "media/window_class_match.h"
#include "platform/desktop/win_types.h"
#include "platform/media/foreign_windows.h"

// The element that takes in a running foreign player's windows (main, playlist, generic) and
// shows them stacked. They are measured once, when taken in, and go back to the desktop where
// they were, mapped, when the element goes away (and, through the X save-set, when the process
// dies).
namespace vexa::media {

class WinampDock {
 public:
  WinampDock() = default;
  ~WinampDock();
  WinampDock(const WinampDock&) = delete;
  WinampDock& operator=(const WinampDock&) = delete;

  static constexpr int kWidth = 275;

  // Finds the visible windows of the three classes and takes them in as children of three slot
  // windows inside `parent`. True when at least the main window was taken in.
  bool embed(platform::HWND parent);
  // Gives every window back to the desktop and drops the slots.
  void release();

  int width() const { return kWidth; }
  // The sum of the heights measured at embedding.
  int height() const;
  // Places the slots one below the other from (x, y) in the parent.
  void place(int x, int y);

  // The foreign window of a slot (0 when none was taken in).
  uint64_t hosted(ForeignSlot slot) const { return slots_[static_cast<int>(slot)].hosted.window; }

  // A window taken in and where it came from; cleared once it is given back.
  struct Hosted {
    uint64_t window = 0;
    platform::ForeignPlace wasAt;
  };
  platform::HWND slotWindow(ForeignSlot slot) const { return slots_[static_cast<int>(slot)].host; }

 private:
  struct Slot {
    platform::HWND host = nullptr;
    Hosted hosted;
    int width = 0;
    int height = 0;
  };
  bool host(Slot& slot, platform::HWND parent, const platform::ForeignWindow& window);

  Slot slots_[kForeignSlotCount];
};

}  // namespace vexa::media
