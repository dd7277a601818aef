#include "platform/fiber.h"

#include <sys/mman.h>
#include <ucontext.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <new>

#ifdef VEXA_ASAN
#include <sanitizer/asan_interface.h>
#include <sanitizer/common_interface_defs.h>
#endif

namespace vexa::platform {

class Fiber {
 public:
  ucontext_t context{};
  void* mapping = nullptr;  // guard page plus stack; null for a thread's own fiber
  size_t mappingSize = 0;
  const void* stackBottom = nullptr;
  size_t stackSize = 0;
  FiberEntry entry = nullptr;
  void* data = nullptr;
  void* fakeStack = nullptr;  // the sanitizer's saved state while the fiber is switched out
};

namespace {

thread_local std::unique_ptr<Fiber> threadFiber;
thread_local Fiber* runningFiber = nullptr;
// The fiber that switched to the one now starting or returning, so the sanitizer's report of
// the stack we came from can be stored with it (a thread's own stack is learnt this way).
thread_local Fiber* previousFiber = nullptr;

constexpr size_t kMinimumStackSize = 64 * 1024;

size_t pageSize() {
  static const size_t size = static_cast<size_t>(sysconf(_SC_PAGESIZE));
  return size;
}

void beginSwitch([[maybe_unused]] Fiber* from, [[maybe_unused]] Fiber* to,
                 [[maybe_unused]] bool fromEnds) {
#ifdef VEXA_ASAN
  __sanitizer_start_switch_fiber(fromEnds ? nullptr : &from->fakeStack, to->stackBottom,
                                 to->stackSize);
#endif
}

void endSwitch([[maybe_unused]] Fiber* self) {
#ifdef VEXA_ASAN
  const void* fromBottom = nullptr;
  size_t fromSize = 0;
  __sanitizer_finish_switch_fiber(self->fakeStack, &fromBottom, &fromSize);
  if (previousFiber != nullptr && previousFiber->mapping == nullptr) {
    previousFiber->stackBottom = fromBottom;
    previousFiber->stackSize = fromSize;
  }
#endif
}

void fiberStart() {
  Fiber* self = runningFiber;
  endSwitch(self);
  self->entry(self->data);
  // An entry that returns has broken its contract; park the fiber on the thread's own fiber
  // rather than let ucontext end the thread.
  for (;;) switchToFiber(threadFiber.get());
}

// Kept apart so that getcontext, which returns twice, shares no locals with the caller.
[[gnu::noinline]] bool prepareContext(Fiber* fiber) {
  if (getcontext(&fiber->context) != 0) return true;
  fiber->context.uc_stack.ss_sp = const_cast<void*>(fiber->stackBottom);
  fiber->context.uc_stack.ss_size = fiber->stackSize;
  fiber->context.uc_link = nullptr;
  makecontext(&fiber->context, fiberStart, 0);
  return false;
}

}  // namespace

Fiber* convertThreadToFiber() {
  if (!threadFiber) {
    threadFiber = std::make_unique<Fiber>();
    runningFiber = threadFiber.get();
  }
  return threadFiber.get();
}

Fiber* currentFiber() {
  return runningFiber;
}

Fiber* createFiber(size_t stackSize, FiberEntry entry, void* data) {
  if (entry == nullptr) return nullptr;
  const size_t page = pageSize();
  if (stackSize == 0) stackSize = kDefaultFiberStackSize;
  if (stackSize < kMinimumStackSize) stackSize = kMinimumStackSize;
  if (stackSize > (size_t{1} << 40)) return nullptr;
  stackSize = (stackSize + page - 1) / page * page;

  const size_t mappingSize = stackSize + page;
  void* mapping = mmap(nullptr, mappingSize, PROT_READ | PROT_WRITE,
                       MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE | MAP_STACK, -1, 0);
  if (mapping == MAP_FAILED) return nullptr;
  // Stacks grow down, so the guard goes at the lowest address.
  if (mprotect(mapping, page, PROT_NONE) != 0) {
    munmap(mapping, mappingSize);
    return nullptr;
  }

  auto* fiber = new (std::nothrow) Fiber();
  if (fiber == nullptr) {
    munmap(mapping, mappingSize);
    return nullptr;
  }
  fiber->mapping = mapping;
  fiber->mappingSize = mappingSize;
  fiber->stackBottom = static_cast<char*>(mapping) + page;
  fiber->stackSize = stackSize;
  fiber->entry = entry;
  fiber->data = data;
  if (prepareContext(fiber)) {
    munmap(mapping, mappingSize);
    delete fiber;
    return nullptr;
  }
  return fiber;
}

void switchToFiber(Fiber* target) {
  Fiber* from = runningFiber != nullptr ? runningFiber : convertThreadToFiber();
  if (target == nullptr || target == from) return;
  previousFiber = from;
  runningFiber = target;
  beginSwitch(from, target, false);
  swapcontext(&from->context, &target->context);
  endSwitch(from);
}

void leaveFiber(Fiber* target) {
  Fiber* from = runningFiber;
  if (from == nullptr || target == nullptr || target == from) std::abort();
  previousFiber = from;
  runningFiber = target;
  beginSwitch(from, target, true);
  setcontext(&target->context);
  std::abort();
}

void deleteFiber(Fiber* fiber) {
  if (fiber == nullptr || fiber->mapping == nullptr || fiber == runningFiber) return;
#ifdef VEXA_ASAN
  // Frames that never returned leave poisoned shadow behind; clear it before the pages go.
  __asan_unpoison_memory_region(fiber->stackBottom, fiber->stackSize);
#endif
  munmap(fiber->mapping, fiber->mappingSize);
  delete fiber;
}

void* fiberData(const Fiber* fiber) {
  return fiber != nullptr ? fiber->data : nullptr;
}

}  // namespace vexa::platform
