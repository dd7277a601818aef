#pragma once

#include <cstdint>
#include <memory>

#include "base/watched_value.h"
#include "platform/fiber.h"

namespace vexa {

// What a task says when it yields: it has more work ready (Busy), it is polling for something
// that may happen any moment (Polling, the plain yield), or it has nothing to do before a tick
// time (Waiting). The loop sleeps 0 ms, 1 ms or until the earliest wake time accordingly.
enum class Pace { Busy, Polling, Waiting };

// A cooperative task on a fiber of the GUI thread. run() executes on the task's own fiber and
// switches back to the GUI fiber only in the yields (or when it returns). Every other member is
// called on the GUI thread. A finished fiber is parked and deleted by the next start() or the
// destructor, never while it runs. Destroying a task whose fiber is still suspended in a yield
// frees that fiber's stack without running the destructors of what lies on it; a task must never
// be destroyed from its own fiber.
class FiberTask {
 public:
  FiberTask() = default;
  virtual ~FiberTask();
  FiberTask(const FiberTask&) = delete;
  FiberTask& operator=(const FiberTask&) = delete;

  // False when a fiber was created; true when one is already live or creation failed.
  bool start(uint32_t stackSize);
  bool isLive() const { return handle_.get() != nullptr; }

  // Each yield returns when the GUI fiber resumes the task. Outside the task's own fiber they do
  // nothing, so code shared with window handlers may call them freely.
  void yield() { yieldWith(Pace::Polling, 0); }
  void yieldBusy() { yieldWith(Pace::Busy, 0); }
  void yieldUntil(uint32_t tick) { yieldWith(Pace::Waiting, tick); }

  // How the task last yielded, read by the loop after resume() returns.
  Pace pace() const { return pace_; }
  uint32_t wakeTick() const { return wakeTick_; }

  // True when the calling code runs on this task's fiber.
  bool isCurrent() const;

 protected:
  virtual void run() = 0;

 private:
  friend void resume(FiberTask* task);
  static void entry(void* self);
  void yieldWith(Pace pace, uint32_t tick);

  // Parks the fiber that `handle_` held before, deleting the one parked earlier: a finished
  // fiber is still running when its task lets go of it.
  class HandleHooks : public WatchedValue<platform::Fiber*>::Hooks {
   public:
    explicit HandleHooks(FiberTask* owner) : owner_(owner) {}
    void changed(platform::Fiber* const& newValue, platform::Fiber* const* previous) override;

   private:
    FiberTask* owner_;
  };

  HandleHooks hooks_{this};
  WatchedValue<platform::Fiber*> handle_{&hooks_, nullptr};
  platform::Fiber* parked_ = nullptr;
  Pace pace_ = Pace::Polling;
  uint32_t wakeTick_ = 0;
};

// Called by the GUI fiber: runs `task` until it yields or ends. Called from inside a task it
// acts as that task's yield instead of switching between tasks.
void resume(FiberTask* task);

// The task whose fiber is running now, or null on the GUI fiber.
FiberTask* currentTask();

}  // namespace vexa
