#include "app/desktop/tray_blinker.h"

namespace vexa {

void TrayIconButton::Show(TrayIconKind kind) {
  SetLamp(kind == TrayIconKind::Normal ? 0 : kind == TrayIconKind::Second ? 1 : 2);
}

void TrayIconButton::OnPointer(const ui::Event& event) {
  if (event.pointer == nullptr) return;
  const bool pressed = event.hit && event.pointer->pressed && event.pointer->button == 1;
  // Released to pressed: the menu opens once the main window has the deferred request.
  if (pressed && !pressed_ && onPress_) onPress_();
  pressed_ = pressed;
}

uint32_t TrayBlinker::step(uint32_t now) {
  const TrayState state = state_;
  if (state == TrayState::Blinking) {
    if (!seenAny_ || seen_ != state) {
      seenAny_ = true;
      seen_ = state;
      changedAt_ = now;
      phase_ = 0;
      show_(TrayIconKind::Blink);
    } else if (now - changedAt_ >= kBlinkMs) {
      changedAt_ = now;
      phase_ ^= 1;
      show_(phase_ == 1 ? TrayIconKind::Normal : TrayIconKind::Blink);
    }
    return changedAt_ + kBlinkMs;
  }
  if (!seenAny_ || seen_ != state) {
    seenAny_ = true;
    seen_ = state;
    show_(state == TrayState::Normal ? TrayIconKind::Normal : TrayIconKind::Second);
  }
  // Nothing changes by itself: a new state is seen at the next pass anyway.
  return now + 60000;
}

void TrayBlinker::run() {
  uint32_t wake = clock_();
  for (;;) {
    yieldUntil(wake);
    wake = step(clock_());
  }
}

}  // namespace vexa
