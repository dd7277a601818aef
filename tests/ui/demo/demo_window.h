#pragma once

#include <cstdint>

#include "base/sjis.h"
#include "platform/message_queue.h"
#include "ui/desktop_host_window.h"
#include "ui/filter_window.h"
#include "ui/panel_widget.h"
#include "ui/strip_container.h"
#include "ui/tool_strip.h"

namespace vexa::ui::demo {

// A host window with the tool strip (an icon, "スレ検索", "番組表") above the filter window,
// as the docked window will hold them. It counts what the buttons and the filter do.
class DemoWindow : public HostOwner, public ButtonListener {
 public:
  DemoWindow(platform::MessageQueue& queue, const Rect& rect)
      : queue_(queue),
        window_(*this, "vexa toolkit", rect, nullptr, HostStyle{1, 1}),
        filter_([this] { ++filterReloads; }) {
    column_.SetMode(StripContainer::kColumn);
    column_.SetAlignment(0, false, false);
    search_.SetLabel("スレ検索"_sjis);
    list_.SetLabel("番組表"_sjis);
    search_.SetListener(this);
    list_.SetListener(this);
    strip_.SetSlot(ToolStrip::kIconSlot, &icon_);
    strip_.SetButton(ToolStrip::kSearchSlot, &search_);
    strip_.SetButton(ToolStrip::kListSlot, &list_);
    column_.Append(&strip_);
    column_.Append(&filter_);
  }

  // True on failure.
  bool Open() {
    HostWindow& host = window_.host();
    if (window_.hwnd() == nullptr || host.Open(HostCreation{})) return true;
    host.root().SetContent(&column_);
    if (filter_.CreateFilter(window_.hwnd(), "スレ名フィルタ"_sjis)) return true;
    Rect bounds;
    host.SetShowState(bounds, 0);
    return false;
  }

  // The main frame's rule: act only when a button is let go with a new activation.
  void ButtonChanged(ButtonWidget& button, const ButtonRecord& now,
                     const ButtonRecord& before) override {
    ++recordChanges;
    if (now.held || now.activations == before.activations) return;
    if (&button == &search_) ++searches;
    if (&button == &list_) ++listSwitches;
  }

  void CloseWindow() override {
    ++closes;
    queue_.postQuit(0);
  }

  DesktopHostWindow& window() { return window_; }
  HostWindow& host() { return window_.host(); }
  ButtonWidget& search() { return search_; }
  ButtonWidget& list() { return list_; }
  IconWidget& icon() { return icon_; }
  FilterWindow& filter() { return filter_; }
  ToolStrip& strip() { return strip_; }

  uint32_t searches = 0;
  uint32_t listSwitches = 0;
  uint32_t recordChanges = 0;
  uint32_t filterReloads = 0;
  uint32_t closes = 0;

 private:
  platform::MessageQueue& queue_;
  DesktopHostWindow window_;
  StripContainer column_;
  ToolStrip strip_;
  IconWidget icon_;
  ButtonWidget search_;
  ButtonWidget list_;
  FilterWindow filter_;
};

}  // namespace vexa::ui::demo
