#pragma once

#include <cstdint>

#include "ui/panel_widget.h"
#include "ui/strip_container.h"

namespace vexa::ui {

// The tool strip: a left-to-right strip whose slots are filled in order with the blinker's
// icon (0), the "スレ検索" button (1) and the "番組表" button (2).
class ToolStrip : public StripContainer {
 public:
  static constexpr uint32_t kIconSlot = 0;
  static constexpr uint32_t kSearchSlot = 1;
  static constexpr uint32_t kListSlot = 2;

  ToolStrip();
  // Puts a button in a slot with the layout values of a tool button.
  void SetButton(uint32_t slot, ButtonWidget* button);
};

}  // namespace vexa::ui
