#include <cstdio>

#include "app/front_ends.h"

namespace vexa {

int runFetchFrontEnd(int, char**) {
  std::fputs("vexa: this mode is not available in this build\n", stderr);
  return 2;
}

}  // namespace vexa
