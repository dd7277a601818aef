#include "ui/graphics_device.h"

#include <algorithm>
#include <new>

namespace vexa::ui {

Tagged* StyleFactory::Create(void* buffer, uint32_t& size, void* requester, int32_t kind) {
  const auto* d = static_cast<const StyleDescriptor*>(requester);
  uint32_t need = 0;
  switch (kind) {
    case kind::kFillStyle:
      need = sizeof(FillStyle);
      break;
    case kind::kStrokeStyle:
      need = sizeof(StrokeStyle);
      break;
    case kind::kShapeStyle:
      need = sizeof(ShapeStyle);
      break;
    case kind::kTextStyle:
      need = sizeof(TextStyle);
      break;
    case kind::kClipRegion:
      need = sizeof(ClipRegion);
      break;
    default:
      size = 0;
      return nullptr;
  }
  if (buffer == nullptr || size < need || d == nullptr) {
    size = need;
    return nullptr;
  }
  switch (kind) {
    case kind::kFillStyle:
      return new (buffer) FillStyle(d->colour);
    case kind::kStrokeStyle:
      return new (buffer) StrokeStyle(d->colour);
    case kind::kShapeStyle:
      return new (buffer) ShapeStyle(d->colour);
    case kind::kTextStyle:
      return new (buffer) TextStyle(d->colour, d->fontHeight);
    default:
      return new (buffer) ClipRegion();
  }
}

std::unique_ptr<Style> MakeStyle(const StyleDescriptor& d) {
  switch (d.kind) {
    case kind::kFillStyle:
      return std::make_unique<FillStyle>(d.colour);
    case kind::kStrokeStyle:
      return std::make_unique<StrokeStyle>(d.colour);
    case kind::kShapeStyle:
      return std::make_unique<ShapeStyle>(d.colour);
    case kind::kTextStyle:
      return std::make_unique<TextStyle>(d.colour, d.fontHeight);
    case kind::kClipRegion:
      return std::make_unique<ClipRegion>();
    default:
      return nullptr;
  }
}

}  // namespace vexa::ui
