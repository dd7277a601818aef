#pragma once

#include <functional>
#include <string>
#include <vector>

#include "base/task_loop.h"
#include "net/download_client.h"
#include "platform/message_queue.h"
#include "platform/text_encoding.h"

namespace vexa::test {

// A host whose clock the test may drive, and which records the tray states it is given.
class TestHost : public PlainDownloadHost {
 public:
  TestHost() { agent = "Monazilla/1.00 (vexa/test)"; }
  void setTrayState(TrayState state) override { trayStates.push_back(state); }
  int64_t currentTime() override {
    ++clockReads;
    return clock ? clock() : DownloadHost::currentTime();
  }

  std::function<int64_t()> clock;
  int clockReads = 0;
  std::vector<TrayState> trayStates;
};

// A download task that is its own host, runs `work` on its fiber and records every status line
// in UTF-8.
class TestClient : public TestHost, public DownloadClient, public StatusView {
 public:
  TestClient() : DownloadClient(static_cast<TestHost&>(*this)) { setStatusView(this); }
  void statusChanged(const char* text) override { lines.push_back(platform::cp932ToUtf8(text)); }
  std::string lastLine() const { return lines.empty() ? "" : lines.back(); }

  std::function<void(TestClient&)> work;
  std::vector<std::string> lines;

 protected:
  void run() override { work(*this); }
};

// Runs the tasks on a task loop until none is live.
inline void runTasks(std::vector<FiberTask*> tasks) {
  platform::MessageQueue queue;
  TaskLoop loop(queue);
  loop.setStopWhenIdle(true);
  for (FiberTask* task : tasks) {
    loop.addTask(task);
    task->start(0);
  }
  loop.run();
}

// Runs one download on the client's own fiber, beside the other tasks given; returns whether it
// failed.
inline bool downloadOnTask(TestClient& client, const std::string& host, const std::string& path,
                           std::vector<FiberTask*> others = {}) {
  bool failed = true;
  client.work = [&](TestClient& self) { failed = self.download(host.c_str(), path.c_str()); };
  others.insert(others.begin(), &client);
  runTasks(others);
  return failed;
}

}  // namespace vexa::test
