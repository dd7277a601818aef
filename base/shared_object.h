#pragma once

#include <cstdint>

namespace vexa {

// A heap object with a reference count. The creator holds the first reference. A negative count
// marks a static instance that is never counted or freed.
class SharedObject {
 public:
  static constexpr int32_t kStatic = -1;

  explicit SharedObject(int32_t count = 1) : count_(count) {}
  virtual ~SharedObject() = default;
  SharedObject(const SharedObject&) = delete;
  SharedObject& operator=(const SharedObject&) = delete;

  void addReference();
  // Drops one reference and deletes the object with its last one. The caller forgets the
  // pointer afterwards.
  void release();
  int32_t referenceCount() const { return count_; }

 private:
  int32_t count_;
};

}  // namespace vexa
