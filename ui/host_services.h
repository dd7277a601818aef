#pragma once

#include <cstdint>

#include "ui/cursor.h"
#include "ui/kind_tag.h"

namespace vexa::ui {

// Builds objects in storage the caller provides. Called first with a null buffer (or a size too
// small): the factory stores the size it needs and returns null; called again with a buffer of
// at least that size, it constructs the object there and returns it. A factory that cannot
// make the kind sets the size to 0.
class ObjectFactory {
 public:
  virtual ~ObjectFactory() = default;
  virtual Tagged* Create(void* buffer, uint32_t& size, void* requester, int32_t kind) = 0;
};

// What a widget tree asks of the host window that carries it.
class HostServices {
 public:
  virtual ~HostServices() = default;
  // Kind -2 objects are made by the active theme, all others by the owner's factory.
  virtual Tagged* CreateObject(void* buffer, uint32_t& size, void* requester, int32_t kind) = 0;
  // Runs the object's destructor; the storage stays the caller's.
  virtual void DestroyObject(Tagged* object) = 0;
  virtual void SetFocus() = 0;
  // Each posts at most one private message until that message has been handled.
  virtual void RequestRelayout() = 0;
  virtual void RequestRepaint() = 0;
};

// The pointer side of a host: capture and the cursor the widgets negotiate.
class PointerSource : public Tagged {
 public:
  int32_t KindTag() const override { return kind::kPointerSource; }
  virtual void SetCapture(bool capture) = 0;
  virtual void SetCursor(CursorId cursor) = 0;
  // Cursor negotiation: the first widget under the pointer to offer its cursor during one
  // routed event wins.
  virtual void OfferCursor(CursorId cursor) = 0;
  // Bracket the routing of one pointer event.
  virtual void BeginRoute() {}
  virtual void EndRoute() {}
};

class KeySource : public Tagged {
 public:
  int32_t KindTag() const override { return kind::kKeySource; }
};

// The two-call creation protocol from the caller's side: asks for the size, allocates it
// (starting from `guess` bytes), and asks again. The storage is owned by the returned holder.
struct CreatedObject {
  Tagged* object = nullptr;
  unsigned char* storage = nullptr;
  uint32_t size = 0;
};
CreatedObject CreateInCallerStorage(ObjectFactory& factory, void* requester, int32_t kind,
                                    uint32_t guess);
CreatedObject CreateInCallerStorage(HostServices& services, void* requester, int32_t kind,
                                    uint32_t guess);
// Destroys the object in place and frees its storage.
void DestroyCreated(CreatedObject& created);

}  // namespace vexa::ui
