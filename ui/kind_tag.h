#pragma once

#include <cstdint>

namespace vexa::ui {

// Objects that arrive through a generic pointer tell their kind by a virtual KindTag() that
// returns one of these constants, instead of run-time type information.
namespace kind {
constexpr int32_t kKeySource = -2;
constexpr int32_t kPointerSource = -3;
constexpr int32_t kGraphicsDevice = static_cast<int32_t>(0xA0000000u);
constexpr int32_t kTheme = static_cast<int32_t>(0xB0000000u);
constexpr int32_t kStyle = static_cast<int32_t>(0xC0000000u);
constexpr int32_t kFillStyle = static_cast<int32_t>(0xC1000000u);
constexpr int32_t kStrokeStyle = static_cast<int32_t>(0xC2000000u);
constexpr int32_t kShapeStyle = static_cast<int32_t>(0xC3000000u);
constexpr int32_t kTextStyle = static_cast<int32_t>(0xC4000000u);
constexpr int32_t kClipRegion = static_cast<int32_t>(0xC5000000u);
}  // namespace kind

class Tagged {
 public:
  virtual ~Tagged() = default;
  virtual int32_t KindTag() const = 0;
};

}  // namespace vexa::ui
