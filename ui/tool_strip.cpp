#include "ui/tool_strip.h"

namespace vexa::ui {

ToolStrip::ToolStrip() {
  SetMode(kRow);
  // Near edge, children as tall as the strip.
  SetAlignment(-1, false, false);
}

void ToolStrip::SetButton(uint32_t slot, ButtonWidget* button) {
  if (button != nullptr) {
    for (int32_t& v : button->BeginEdit().layout) v = 1;
    button->Commit();
  }
  SetSlot(slot, button);
}

}  // namespace vexa::ui
