#include "base/shared_object.h"

namespace vexa {

void SharedObject::addReference() {
  // Saturates rather than wrapping into the negative (static) range: an object with that many
  // holders is never freed, which beats being freed under them.
  if (count_ >= 0 && count_ < INT32_MAX) ++count_;
}

void SharedObject::release() {
  if (count_ < 0 || count_ == INT32_MAX) return;
  // A count already at 0 belongs to no one; dropping below it would turn the object static and
  // leak it, so the release deletes it instead.
  if (count_ <= 1) {
    count_ = 0;
    delete this;
    return;
  }
  --count_;
}

}  // namespace vexa
