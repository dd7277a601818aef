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
  void setTrayState(TrayState state) override {
    PlainDownloadHost::setTrayState(state);
    trayStates.push_back(state);
  }
  int64_t currentTime() override {
    ++clockReads;
    return clock ? clock() : DownloadHost::currentTime();
  }

  std::function<int64_t()> clock;
  int clockReads = 0;
  std::vector<TrayState> trayStates;
};

// Records every status line in UTF-8.
class StatusRecorder : public StatusView {
 public:
  void statusChanged(const char* text) override { lines.push_back(platform::cp932ToUtf8(text)); }
  std::vector<std::string> lines;
};

// A download task whose body is given by the test.
class TestClient : public DownloadClient {
 public:
  explicit TestClient(DownloadHost& host) : DownloadClient(host) { setStatusView(&recorder); }
  std::function<void(TestClient&)> work;
  StatusRecorder recorder;
  using DownloadClient::setStatus;

 protected:
  void run() override {
    if (work) work(*this);
  }
};

// A task that runs a function once per slice until it returns true.
class StepTask : public FiberTask {
 public:
  explicit StepTask(std::function<bool()> step) : step_(std::move(step)) {}

 protected:
  void run() override {
    while (!step_()) yield();
  }

 private:
  std::function<bool()> step_;
};

// Runs the tasks on a task loop until none is live; returns the passes made.
inline uint64_t runTasks(std::vector<FiberTask*> tasks) {
  platform::MessageQueue queue;
  TaskLoop loop(queue);
  loop.setStopWhenIdle(true);
  for (FiberTask* task : tasks) {
    loop.addTask(task);
    task->start(0);
  }
  loop.run();
  return loop.passes();
}

// Runs one download on the client's own fiber; returns whether it failed.
inline bool downloadOnTask(TestClient& client, const std::string& host, const std::string& path) {
  bool failed = true;
  client.work = [&](TestClient& self) { failed = self.download(host.c_str(), path.c_str()); };
  runTasks({&client});
  return failed;
}

}  // namespace vexa::test
