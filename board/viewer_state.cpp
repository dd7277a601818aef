#include "board/viewer_state.h"

namespace vexa {

const char* viewerStateName(ViewerState state) {
  switch (state) {
    case ViewerState::Idle:
      return "Idle";
    case ViewerState::LoadingList:
      return "LoadingList";
    case ViewerState::ListShown:
      return "ListShown";
    case ViewerState::LoadingThread:
      return "LoadingThread";
    case ViewerState::Watching:
      return "Watching";
  }
  return "?";
}

}  // namespace vexa
