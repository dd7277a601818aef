#pragma once

#include <cstdint>

namespace vexa {

// What the viewer is doing, which decides what the content pane shows.
enum class ViewerState : int32_t {
  Idle = 0,           // nothing loaded; after start-up and after any failure
  LoadingList = 1,    // the thread-list task runs; its status view is shown
  ListShown = 2,      // the thread list page is shown
  LoadingThread = 3,  // the watch task loads a thread; its status view is shown
  Watching = 4,       // the thread's posts are shown and polled
};

}  // namespace vexa
