#include "app/desktop/status_panel.h"

#include "platform/clock.h"

namespace vexa {

StatusPanel::~StatusPanel() {
  queue_.removeMessagesFor(this);
}

void StatusPanel::statusChanged(const char* text) {
  text_ = text != nullptr ? text : "";
  held_ = true;
  // A hidden panel repaints nothing: the line waits until the panel is shown.
  if (style().hidden) return;
  const uint32_t now = platform::tickMs();
  if (!shownOnce_ || now - shownAt_ >= kIntervalMs) {
    show(now);
  } else if (timer_ == 0) {
    timer_ = queue_.setTimer(kIntervalMs, this);
  }
}

void StatusPanel::showHeld() {
  if (held_) show(platform::tickMs());
}

intptr_t StatusPanel::windowProc(uint32_t message, uintptr_t, intptr_t) {
  if (message != platform::WM_TIMER) return 0;
  queue_.killTimer(timer_);
  timer_ = 0;
  if (!style().hidden) showHeld();
  return 0;
}

void StatusPanel::show(uint32_t now) {
  held_ = false;
  shownOnce_ = true;
  shownAt_ = now;
  SetLabel(text_.c_str());
}

}  // namespace vexa
