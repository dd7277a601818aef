#include "net/download_host.h"

#include "platform/clock.h"

namespace vexa {

int64_t DownloadHost::currentTime() {
  return platform::calendarSeconds();
}

}  // namespace vexa
