#pragma once

#include <cstddef>

namespace vexa::platform {

// Cooperative fibers on one thread. A fiber runs until it switches to another fiber of the same
// thread; nothing here is shared between threads, and a fiber never moves to another thread.
class Fiber;

using FiberEntry = void (*)(void* data);

// The stack a fiber gets when 0 is asked for. The lowest page of every stack is a guard page,
// so an overflow faults instead of corrupting the neighbouring memory.
constexpr size_t kDefaultFiberStackSize = size_t{1} << 20;

// The calling thread's own fiber, made on the first call; it lives until the thread ends.
Fiber* convertThreadToFiber();

// The fiber running now, or null when the thread has not been converted.
Fiber* currentFiber();

// A new fiber that will call entry(data) when first switched to. The entry must not return; it
// ends by leaveFiber(). Null when the stack cannot be had.
Fiber* createFiber(size_t stackSize, FiberEntry entry, void* data);

// Saves the running fiber and continues `target`. Returns when some fiber switches back. The
// thread is converted first when needed. Switching to the running fiber does nothing.
void switchToFiber(Fiber* target);

// The last switch away from a fiber that will never run again; lets the sanitizer release the
// fiber's bookkeeping. The fiber is then deleted by its owner.
[[noreturn]] void leaveFiber(Fiber* target);

// Frees a created fiber's stack. Never the running fiber, never a thread's own fiber. Objects
// still on the stack of a suspended fiber are abandoned without their destructors.
void deleteFiber(Fiber* fiber);

// The data given to createFiber; null for a thread's own fiber.
void* fiberData(const Fiber* fiber);

}  // namespace vexa::platform
