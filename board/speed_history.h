#pragma once

#include <cstdint>

#include "view/thread_record.h"

namespace vexa {

// Records a new post count of `record` at `now` (seconds since the epoch) and recomputes its
// speed. An unchanged count only moves the newest sample's time forward, so a quiet thread's
// speed falls; samples older than about an hour are dropped, keeping at least two.
void recordPostCount(ThreadRecord& record, uint32_t count, int64_t now);

}  // namespace vexa
