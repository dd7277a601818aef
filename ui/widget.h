#pragma once

#include <cstdint>

#include "ui/component.h"
#include "ui/cursor.h"
#include "ui/geometry.h"

namespace vexa::ui {

class Widget;
class WidgetRoot;
class RootSignal;

// A widget's style record. Owners change it through BeginEdit/Commit.
struct StyleRecord {
  // Four layout values set together: the margins (left, top, right, bottom) kept free around
  // the widget's content inside the rectangle its container gives it.
  int32_t layout[4] = {0, 0, 0, 0};
  CursorId cursor = kCursorArrow;
  bool hidden = false;
  bool operator==(const StyleRecord&) const = default;
};

// Connects a widget to one signal of its root and forwards each event to one widget slot.
class EventReceiver : public Component {
 public:
  void Invoke(const Event& event) override;
  bool Connected() const { return signal_ != nullptr; }

 private:
  friend class Widget;
  Widget* widget_ = nullptr;
  int index_ = 0;  // 1 to 7
  RootSignal* signal_ = nullptr;
};

// A lightweight visual element without a window of its own. It is also a Component: invoked,
// it attaches itself to the event's root.
class Widget : public Component {
 public:
  Widget();
  ~Widget() override;
  Widget(const Widget&) = delete;
  Widget& operator=(const Widget&) = delete;

  void Invoke(const Event& event) override { Attach(event.root); }
  // Connects the seven receivers to the seven signals of `root`; null detaches.
  void Attach(WidgetRoot* root);

  virtual void OnRootChanged(WidgetRoot* const& root) = 0;
  virtual void OnRootSignal(const Event& event) = 0;
  virtual void OnRefresh(const Event& event) = 0;
  virtual void OnPointerRetest(const Event& event) = 0;
  virtual void OnPointer(const Event& event) = 0;
  virtual CursorId GetCursor() { return kCursorArrow; }
  virtual void OnKey(const Event& event) = 0;
  virtual void Arrange(const Event& event) = 0;
  virtual void Measure(Size& out, const Event& event) = 0;
  virtual void Paint(const Event& event) = 0;

  WidgetRoot* root() const { return root_; }
  EventReceiver& receiver(int index) { return receivers_[index - 1]; }

  // Lays the widget out in `rect` through its layout receiver (used by the root and by
  // containers for their children).
  void LayoutIn(const Rect& rect);
  // Measures without arranging; the size is also kept as measured().
  Size MeasureNow();
  // Paints through the paint receiver with the pass's event.
  void PaintWith(const Event& paintEvent);

  // The rectangle of the last layout, and the size its Measure reported then.
  const Rect& bounds() const { return bounds_; }
  const Size& measured() const { return measured_; }
  // The bounds less the margins of the style record.
  Rect ContentRect() const;

  StyleRecord& BeginEdit() { return live_; }
  // True when something changed (and the change was passed on).
  bool Commit();
  const StyleRecord& style() const { return committed_; }

  // Asks the host, when there is one, to lay out or paint again.
  void RequestRelayout();
  void RequestRepaint();
  // Takes or gives back the pointer capture; the holder gets every pointer event as a hit.
  void CapturePointer(bool capture);

 protected:
  // The visual part: runs on a Commit that changed the record. The stock part asks for a
  // relayout and a repaint.
  virtual void OnStyleCommitted(const StyleRecord& live, const StyleRecord& previous);

 private:
  friend class EventReceiver;
  void Forward(int index, const Event& event);
  void Detach();

  EventReceiver receivers_[7];
  WidgetRoot* root_ = nullptr;
  StyleRecord live_;
  StyleRecord committed_;
  Rect bounds_;
  Size measured_;
  int32_t styleNesting_ = 0;
};

}  // namespace vexa::ui
