#include "platform/thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <set>

#include "tests/platform/test_support.h"

namespace vexa::platform {
namespace {

struct StartProbe {
  std::mutex gate;
  uint64_t announced = 0;  // written by the creator under `gate`
  uint64_t seenByThread = 0;
  uint64_t ownId = 0;
  std::atomic<bool> done{false};
};

void probeEntry(void* raw) {
  auto* probe = static_cast<StartProbe*>(raw);
  {
    std::lock_guard<std::mutex> lock(probe->gate);
    probe->seenByThread = probe->announced;
  }
  probe->ownId = currentThreadId();
  probe->done = true;
}

TEST(ThreadTest, StartedThreadsSeeTheirIdFirstAndIdsAreNeverReused) {
  std::set<uint64_t> ids{0, currentThreadId()};  // 0 means "no thread" and is never an id
  for (size_t i = 0; i < 30; ++i) {
    StartProbe probe;
    {
      // The creator holds the gate while it starts the thread, as a suspended start does.
      std::lock_guard<std::mutex> lock(probe.gate);
      const size_t stackSizes[] = {0, 1, 256 * 1024};
      ASSERT_FALSE(startDetachedThread(probeEntry, &probe, stackSizes[i % 3], &probe.announced));
    }
    ASSERT_TRUE(test::eventually([&] { return probe.done.load(); }));
    EXPECT_EQ(probe.seenByThread, probe.announced);
    EXPECT_EQ(probe.ownId, probe.announced);
    EXPECT_TRUE(ids.insert(probe.ownId).second) << "id " << probe.ownId << " came twice";
  }
}

}  // namespace
}  // namespace vexa::platform
