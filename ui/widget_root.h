#pragma once

#include <cstdint>

#include "ui/component.h"
#include "ui/event.h"
#include "ui/geometry.h"

namespace vexa::ui {

class Widget;
class HostServices;
class PointerSource;
class Canvas;
class Theme;

// Begins and ends a paint pass: the host's graphics device (double buffering lives there).
class PaintTarget {
 public:
  virtual ~PaintTarget() = default;
  // The canvas to paint on; null when nothing can be painted now.
  virtual Canvas* BeginPaint(bool full) = 0;
  virtual void EndPaint() = 0;
};

// The root of one widget tree: the seven signals its widgets connect to, the pointer and key
// trackers, and the layout and paint phases.
class WidgetRoot {
 public:
  // Codes of root notifications (signal 1).
  static constexpr int32_t kServicesChanged = 1;

  RootSignal& signal(int index) { return signals_[index - 1]; }

  // The widget laid out in the root's rectangle and painted by the paint phase (borrowed).
  void SetContent(Widget* content);
  Widget* content() const { return content_; }

  // Host bindings; null when the tree has no host (tests, a detached tree).
  void SetServices(HostServices* services, PointerSource* pointer);
  HostServices* services() const { return services_; }
  PointerSource* pointerSource() const { return pointerSource_; }

  // Layout phase. Null lays out again in the rectangle held now.
  void Layout(const Rect* rect);
  const Rect& layoutRect() const { return layoutRect_; }
  bool layoutFrozen = false;
  uint32_t layoutCount() const { return layoutCount_; }

  // Paint phase. False when it could not run (a paint already running, or no canvas).
  bool Paint(PaintTarget& target, Theme* theme, bool full);
  bool painting() const { return painting_; }
  const PaintState& paintState() const { return paint_; }

  // Pointer tracker. Each routes one event over signal 4 (topmost widget first) and returns
  // after the widgets have seen it; the cursor negotiation runs around it in the pointer source.
  void RouteMove(Point position, bool captured);
  void RouteLeave(Point position);
  void RouteButton(int32_t button, bool pressed, uint32_t modifiers);
  // Routes the stored position again as a move (after layout and paint).
  void Retrack();
  const PointerState& pointer() const { return pointer_; }
  Widget* captureHolder() const { return captureHolder_; }
  void SetCaptureHolder(Widget* widget) { captureHolder_ = widget; }

  // Key tracker: stores the record and emits signal 5.
  void RouteKey(const KeyState& key);
  const KeyState& key() const { return key_; }

  void Notify(int32_t code);  // signal 1
  void Refresh();             // signal 2
  void Retest();              // signal 3

 private:
  void EmitPointer();

  RootSignal signals_[7];
  Widget* content_ = nullptr;
  HostServices* services_ = nullptr;
  PointerSource* pointerSource_ = nullptr;
  Widget* captureHolder_ = nullptr;
  PointerState pointer_;
  KeyState key_;
  Rect layoutRect_;
  uint32_t layoutCount_ = 0;
  PaintState paint_;
  bool painting_ = false;
  bool laying_ = false;
};

}  // namespace vexa::ui
