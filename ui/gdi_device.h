#pragma once

#include <cstdint>
#include <memory>

#include "platform/desktop/win_types.h"
#include "ui/gdi_canvas.h"
#include "ui/graphics_device.h"

namespace vexa::ui {

// The graphics device of a desktop host window. A paint pass draws on an off-screen canvas the
// size of the client area, which is then copied to the window in one BitBlt, so the window never
// shows a half-drawn picture.
class GdiDevice : public GraphicsDevice {
 public:
  explicit GdiDevice(platform::HWND window) : window_(window) {}
  bool Initialise(void* owner, int32_t, int32_t) override;
  void Shutdown() override;
  Canvas* BeginPaint(bool full) override;
  void EndPaint() override;
  void SetWindow(platform::HWND window) { window_ = window; }
  // The background a pass starts from.
  static constexpr Colour kBackground = Colour::Grey(238);

 private:
  platform::HWND window_;
  void* owner_ = nullptr;
  std::unique_ptr<GdiCanvas> back_;
};

}  // namespace vexa::ui
