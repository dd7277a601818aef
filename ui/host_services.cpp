#include "ui/host_services.h"

#include <new>

namespace vexa::ui {

namespace {

template <typename Make>
CreatedObject CreateWith(Make make, uint32_t guess) {
  CreatedObject created;
  uint32_t size = guess;
  unsigned char* storage = size ? new (std::nothrow) unsigned char[size] : nullptr;
  Tagged* object = make(storage, size);
  if (object == nullptr && storage != nullptr && size > guess) {
    // The guess was too small: the factory told the size it needs.
    delete[] storage;
    storage = new (std::nothrow) unsigned char[size];
    object = storage ? make(storage, size) : nullptr;
  } else if (object == nullptr && storage == nullptr && size > 0) {
    storage = new (std::nothrow) unsigned char[size];
    object = storage ? make(storage, size) : nullptr;
  }
  if (object == nullptr) {
    delete[] storage;
    return created;
  }
  created.object = object;
  created.storage = storage;
  created.size = size;
  return created;
}

}  // namespace

CreatedObject CreateInCallerStorage(ObjectFactory& factory, void* requester, int32_t kind,
                                    uint32_t guess) {
  return CreateWith(
      [&](void* buffer, uint32_t& size) { return factory.Create(buffer, size, requester, kind); },
      guess);
}

CreatedObject CreateInCallerStorage(HostServices& services, void* requester, int32_t kind,
                                    uint32_t guess) {
  return CreateWith(
      [&](void* buffer, uint32_t& size) {
        return services.CreateObject(buffer, size, requester, kind);
      },
      guess);
}

void DestroyCreated(CreatedObject& created) {
  if (created.object != nullptr) created.object->~Tagged();
  delete[] created.storage;
  created = CreatedObject{};
}

}  // namespace vexa::ui
