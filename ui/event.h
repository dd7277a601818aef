#pragma once

#include <cstdint>

#include "ui/geometry.h"

namespace vexa::ui {

class WidgetRoot;
class Canvas;
class Theme;
struct WindowMessage;

// The pointer tracker's state, read by widgets during a pointer event.
struct PointerState {
  bool pressed = false;    // the left button is down
  bool hover = false;      // the pointer is inside the window
  bool moved = false;      // this event is a move (or leave), not a button change
  bool captured = false;   // a widget holds the pointer capture
  uint32_t modifiers = 0;  // KeyModifiers, button bits included
  Point position;
  int32_t button = 0;  // 0 for moves; 1 left, 2 right
  int32_t action = 0;  // -1 pressed, +1 released, 0 moved, 2 left the window
};

// The key tracker's state: the last key record and the text it typed.
struct KeyState {
  int32_t keyCode = 0;
  int32_t direction = 0;  // -1 down, +1 up
  uint32_t modifiers = 0;
  bool repeat = false;
  uint32_t repeatCount = 0;
  char text[256] = {};
};

// What a layout event hands a widget: the rectangle it may use, and where its measured
// preferred size is kept. result < 0 stops the arrange step (an unusable rectangle).
struct LayoutState {
  Rect rect;
  Size measured;
  int32_t result = 0;
};

// What a paint event hands a widget: the canvas of the pass and the theme to paint with.
struct PaintState {
  Canvas* canvas = nullptr;
  Theme* theme = nullptr;
  int32_t mode = 0;  // 0 full, -1 incremental, 1 once the pass has ended
  bool begun = false;
  bool ended = false;
};

// One event record, copied by value before a widget slot runs. Which pointers are set depends
// on the signal that carries it.
struct Event {
  int32_t code = 0;
  int32_t value = 0;
  WidgetRoot* root = nullptr;
  PointerState* pointer = nullptr;
  KeyState* key = nullptr;
  LayoutState* layout = nullptr;
  PaintState* paint = nullptr;
  WindowMessage* message = nullptr;
  bool* flag = nullptr;  // a handled or veto flag that subscribers may set
  bool retest = false;
  bool hit = false;  // the receiving widget is under the pointer (or holds the capture)
};

}  // namespace vexa::ui
