#pragma once

#include "net/download_host.h"
#include "ui/panel_widget.h"

namespace vexa {

// A task's status view in the content slot: its current status line.
class StatusPanel : public ui::PanelWidget, public StatusView {
 public:
  void statusChanged(const char* text) override { SetLabel(text); }
};

}  // namespace vexa
