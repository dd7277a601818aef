#pragma once

#include <functional>
#include <string>

#include "base/text_buffer.h"
#include "platform/desktop/win_types.h"
#include "ui/component.h"
#include "ui/edit_widget.h"
#include "ui/panel_widget.h"
#include "ui/widget.h"

namespace vexa::ui {

// The thread-name filter: a titled frame holding a panel and the filter's edit control. Enter
// in the control runs the owner's action (the viewer reloads the thread list).
class FilterWindow : public Widget {
 public:
  explicit FilterWindow(std::function<void()> onEnter);

  // Creates the edit control in `parent`; on success sets the title and the frame's layout
  // values. True on failure.
  bool CreateFilter(platform::HWND parent, const char* title);
  // The control's text as Shift_JIS, kept in the control; empty without reading when the
  // control is empty.
  void GetFilterText(TextBuffer& out);

  EditWidget& edit() { return edit_; }
  const std::string& title() const { return title_; }
  uint32_t enterCount() const { return owner_.invokes; }

  void OnRootChanged(WidgetRoot* const& root) override;
  void OnRootSignal(const Event&) override {}
  void OnRefresh(const Event&) override { RequestRepaint(); }
  void OnPointerRetest(const Event&) override {}
  void OnPointer(const Event&) override {}
  CursorId GetCursor() override { return style().cursor; }
  void OnKey(const Event&) override {}
  void Arrange(const Event& event) override;
  void Measure(Size& out, const Event& event) override;
  void Paint(const Event& event) override;

 private:
  class EnterOwner : public Component {
   public:
    explicit EnterOwner(std::function<void()> action) : action_(std::move(action)) {}
    void Invoke(const Event&) override {
      ++invokes;
      if (action_) action_();
    }
    uint32_t invokes = 0;

   private:
    std::function<void()> action_;
  };

  static constexpr int32_t kTitleHeight = 16;

  std::string title_;
  PanelWidget panel_;
  EnterOwner owner_;
  EditWidget edit_;
};

}  // namespace vexa::ui
