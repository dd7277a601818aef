#pragma once

#include <cstdint>
#include <string>

#include "net/download_host.h"
#include "platform/message_queue.h"
#include "ui/panel_widget.h"

namespace vexa {

// A task's status view in the content slot: its current status line. A download replaces the
// line for every piece it receives and each change repaints the window, so a line is shown at
// most every 100 ms; one that comes sooner is held and shown by a timer, so the last line of a
// load is never lost. A hidden panel holds its line until it is shown.
class StatusPanel : public ui::PanelWidget, public StatusView, public platform::MessageTarget {
 public:
  static constexpr uint32_t kIntervalMs = 100;

  explicit StatusPanel(platform::MessageQueue& queue) : queue_(queue) {}
  ~StatusPanel() override;

  void statusChanged(const char* text) override;
  // Shows a held line, also before its time (the panel was just shown).
  void showHeld();
  const std::string& text() const { return text_; }

  intptr_t windowProc(uint32_t message, uintptr_t wParam, intptr_t lParam) override;

 private:
  void show(uint32_t now);

  platform::MessageQueue& queue_;
  std::string text_;
  bool held_ = false;
  bool shownOnce_ = false;
  uint32_t shownAt_ = 0;
  uint32_t timer_ = 0;
};

}  // namespace vexa
