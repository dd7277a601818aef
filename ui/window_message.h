#pragma once

#include <cstdint>

namespace vexa::ui {

// Message numbers keep the values Windows gives them.
namespace wm {
constexpr uint32_t kMove = 0x0003;
constexpr uint32_t kSize = 0x0005;
constexpr uint32_t kActivate = 0x0006;
constexpr uint32_t kPaint = 0x000F;
constexpr uint32_t kClose = 0x0010;
constexpr uint32_t kKeyDown = 0x0100;
constexpr uint32_t kKeyUp = 0x0101;
constexpr uint32_t kSysKeyDown = 0x0104;
constexpr uint32_t kSysKeyUp = 0x0105;
constexpr uint32_t kSysCommand = 0x0112;
constexpr uint32_t kMouseMove = 0x0200;
constexpr uint32_t kLButtonDown = 0x0201;
constexpr uint32_t kLButtonUp = 0x0202;
constexpr uint32_t kRButtonDown = 0x0204;
constexpr uint32_t kRButtonUp = 0x0205;
constexpr uint32_t kMouseLeave = 0x02A3;
// The toolkit's private requests.
constexpr uint32_t kRelayout = 0xBF00;
constexpr uint32_t kRepaint = 0xBF01;
constexpr uint32_t kScClose = 0xF060;
}  // namespace wm

// One message as the window procedure hands it to a host window.
struct WindowMessage {
  void* window = nullptr;
  uint32_t message = 0;
  uintptr_t wParam = 0;
  intptr_t lParam = 0;
  uint32_t time = 0;
  intptr_t result = 0;
};

}  // namespace vexa::ui
