#pragma once

#include <cstdint>
#include <memory>

#include "ui/host_services.h"
#include "ui/kind_tag.h"
#include "ui/styles.h"
#include "ui/widget_root.h"

namespace vexa::ui {

// Makes style objects from descriptors in caller storage (the two-call size protocol); the
// requester is the descriptor.
class StyleFactory : public ObjectFactory {
 public:
  Tagged* Create(void* buffer, uint32_t& size, void* requester, int32_t kind) override;
};

// A style object made through the factory, owned by the caller.
std::unique_ptr<Style> MakeStyle(const StyleDescriptor& descriptor);

// The host's graphics device: makes the styles and runs the canvases of a paint pass.
class GraphicsDevice : public Tagged, public PaintTarget {
 public:
  int32_t KindTag() const override { return kind::kGraphicsDevice; }
  // Binds the device to its owner once; true on failure (a second call fails too).
  virtual bool Initialise(void* owner, int32_t, int32_t) = 0;
  virtual void Shutdown() {}
  std::unique_ptr<Style> CreateStyle(const StyleDescriptor& descriptor) {
    return MakeStyle(descriptor);
  }
};

}  // namespace vexa::ui
