#pragma once

#include <cstdint>
#include <string>

#include "ui/widget.h"

namespace vexa::ui {

class ButtonWidget;

// A flat panel with an optional one-line label (Shift_JIS), painted with the theme's panel
// painter and the label with its text-box painter.
class PanelWidget : public Widget {
 public:
  void SetLabel(const char* text);
  const std::string& label() const { return label_; }

  void OnRootChanged(WidgetRoot* const&) override {}
  void OnRootSignal(const Event&) override {}
  void OnRefresh(const Event&) override { RequestRepaint(); }
  void OnPointerRetest(const Event&) override {}
  void OnPointer(const Event&) override {}
  CursorId GetCursor() override { return style().cursor; }
  void OnKey(const Event&) override {}
  void Arrange(const Event&) override {}
  // The label's estimated width (6 pixels a byte: a double-byte character is one em of the
  // 12-pixel face) and one line, plus the margins and the painter's insets.
  void Measure(Size& out, const Event& event) override;
  void Paint(const Event& event) override;

 protected:
  // -1 sunk, 0 plain, 1 lit.
  virtual int32_t Level() const { return 0; }
  virtual bool Bevelled() const { return false; }

 private:
  std::string label_;
};

// What a button publishes: held while pressed with the pointer over it; the activation
// counter advances once per completed click (press and release over the button).
struct ButtonRecord {
  bool held = false;
  bool hover = false;
  uint32_t activations = 0;
  bool operator==(const ButtonRecord&) const = default;
};

// Hears every change of a button's record, with the record before it.
class ButtonListener {
 public:
  virtual ~ButtonListener() = default;
  virtual void ButtonChanged(ButtonWidget& button, const ButtonRecord& now,
                             const ButtonRecord& before) = 0;
};

// A bevelled panel that acts as a push button.
class ButtonWidget : public PanelWidget {
 public:
  ButtonWidget();
  void SetListener(ButtonListener* listener) { listener_ = listener; }
  const ButtonRecord& record() const { return record_; }
  void OnPointer(const Event& event) override;
  void OnRootChanged(WidgetRoot* const& root) override;

 protected:
  // Raised until held down.
  int32_t Level() const override { return record_.held ? -1 : 1; }
  bool Bevelled() const override { return true; }

 private:
  void Publish(ButtonRecord next);

  ButtonRecord record_;
  bool pressed_ = false;  // the press started on this button
  ButtonListener* listener_ = nullptr;
};

// A small square lamp that pulses with the theme: the blinker's place in the tool strip.
class IconWidget : public PanelWidget {
 public:
  // 0 off, 1 on, 2 and 3 pulsing.
  void SetLamp(uint32_t lamp);
  void Measure(Size& out, const Event& event) override;
  void Paint(const Event& event) override;

 private:
  uint32_t lamp_ = 1;
};

}  // namespace vexa::ui
