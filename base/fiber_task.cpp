#include "base/fiber_task.h"

namespace vexa {

void FiberTask::HandleHooks::changed(platform::Fiber* const&, platform::Fiber* const* previous) {
  if (previous == nullptr) return;
  platform::deleteFiber(owner_->parked_);
  owner_->parked_ = *previous;
}

FiberTask::~FiberTask() {
  platform::deleteFiber(parked_);
  // deleteFiber refuses the running fiber, so a task destroyed from its own fiber leaks the
  // stack instead of pulling it from under itself.
  platform::deleteFiber(handle_.get());
}

bool FiberTask::start(uint32_t stackSize) {
  if (handle_.get() != nullptr) return true;
  platform::Fiber* fiber = platform::createFiber(stackSize, entry, this);
  if (fiber == nullptr) return true;
  pace_ = Pace::Polling;
  wakeTick_ = 0;
  handle_.set(fiber);
  return false;
}

void FiberTask::entry(void* self) {
  auto* task = static_cast<FiberTask*>(self);
  task->run();
  // The hook parks this very fiber; it is deleted by the next start() or the destructor.
  task->handle_.set(nullptr);
  platform::leaveFiber(platform::convertThreadToFiber());
}

bool FiberTask::isCurrent() const {
  return platform::fiberData(platform::currentFiber()) == this;
}

void FiberTask::yieldWith(Pace pace, uint32_t tick) {
  if (handle_.get() == nullptr || !isCurrent()) return;
  pace_ = pace;
  wakeTick_ = tick;
  platform::switchToFiber(platform::convertThreadToFiber());
}

FiberTask* currentTask() {
  return static_cast<FiberTask*>(platform::fiberData(platform::currentFiber()));
}

void resume(FiberTask* task) {
  platform::convertThreadToFiber();
  if (FiberTask* running = currentTask(); running != nullptr) {
    // From inside a task this is that task's yield, not a switch between tasks.
    running->yield();
    return;
  }
  if (task != nullptr && task->handle_.get() != nullptr)
    platform::switchToFiber(task->handle_.get());
}

}  // namespace vexa
