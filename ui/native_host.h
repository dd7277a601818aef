#pragma once

#include <cstdint>

#include "ui/cursor.h"
#include "ui/geometry.h"
#include "ui/window_message.h"

namespace vexa::ui {

class Canvas;

// What a host window needs of the native window it is bound to. The desktop binding gives
// the real one; tests give a fake.
class NativeHost {
 public:
  virtual ~NativeHost() = default;
  // Posts a message to the window; true on failure.
  virtual bool Post(uint32_t message) = 0;
  virtual void SetCapture(bool capture) = 0;
  virtual void SetCursor(CursorId cursor) = 0;
  virtual Rect ClientRect() = 0;
  // Screen position of the client area's origin, and of the pointer.
  virtual Point ClientOrigin() = 0;
  virtual Point CursorPosition() = 0;
  virtual void KeyboardState(uint8_t (&state)[256]) = 0;
  // The text a key types (ToAscii); its length, 0 for none.
  virtual int32_t Translate(uint32_t virtualKey, uint32_t scanCode, const uint8_t (&state)[256],
                            char* out, uint32_t capacity) = 0;
  virtual void TrackLeave() = 0;
  virtual void Focus() = 0;
  // 3 when maximised, else 0.
  virtual int32_t PlacementState() = 0;
  // Show states: -1 hide, 0 normal, 2 minimised, 3 maximised.
  virtual void Show(int32_t state) = 0;
  virtual void InvalidateAll() = 0;
  virtual void MoveClient(const Rect& screenRect) = 0;
  virtual void PostClose() = 0;
  // The window's own default processing of the last message.
  virtual intptr_t Default(WindowMessage& message) = 0;
};

}  // namespace vexa::ui
