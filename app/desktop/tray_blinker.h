#pragma once

#include <cstdint>
#include <functional>

#include "base/fiber_task.h"
#include "net/download_host.h"
#include "ui/panel_widget.h"

namespace vexa {

// Which icon the tray and the bar's icon button show.
enum class TrayIconKind { Normal = 101, Second = 103, Blink = 105 };

// The icon button of the bar: it shows the tray's icon as a lamp and asks for the tray menu
// when it is pressed.
class TrayIconButton : public ui::IconWidget {
 public:
  explicit TrayIconButton(std::function<void()> onPress) : onPress_(std::move(onPress)) {}
  void Show(TrayIconKind kind);
  void OnPointer(const ui::Event& event) override;

 private:
  std::function<void()> onPress_;
  bool pressed_ = false;
};

// Follows the tray state: the normal or the second icon, or icons 105 and 101 in turn every
// 500 ms while blinking. Between blinks it waits for its next one, so it never keeps the loop
// polling; the loop still gives it a slice every pass, so a new state shows at once.
class TrayBlinker : public FiberTask {
 public:
  static constexpr uint32_t kBlinkMs = 500;

  // `show` is told every icon change; `clock` gives the pass's tick time.
  TrayBlinker(const TrayState& state, std::function<void(TrayIconKind)> show,
              std::function<uint32_t()> clock)
      : state_(state), show_(std::move(show)), clock_(std::move(clock)) {}

  // One pass of the state machine at `now`; returns the tick at which it wants the next pass
  // (far ahead when nothing will change by itself).
  uint32_t step(uint32_t now);

 protected:
  void run() override;

 private:
  const TrayState& state_;
  std::function<void(TrayIconKind)> show_;
  std::function<uint32_t()> clock_;
  bool seenAny_ = false;
  TrayState seen_ = TrayState::Normal;
  uint32_t changedAt_ = 0;
  int phase_ = 0;
};

}  // namespace vexa
