#pragma once

#include <memory>

namespace vexa::platform {

// While it lives, SIGINT and SIGTERM end the run the way the quit command does: the handler asks
// the queue that receives signal quits for a quit (MessageQueue::postQuitFromSignal), so the
// loop ends and shutdown runs as usual. Each handler fires once and then gives its signal back to
// the default action, so a second Ctrl-C still ends a run whose shutdown hangs. The previous
// handlers come back when the object is destroyed. Main thread only.
class QuitSignals {
 public:
  QuitSignals();
  ~QuitSignals();
  QuitSignals(const QuitSignals&) = delete;
  QuitSignals& operator=(const QuitSignals&) = delete;

  // True when a handler could not be installed.
  bool failed() const { return failed_; }

 private:
  struct Saved;
  std::unique_ptr<Saved> saved_;
  bool failed_ = false;
};

// Writes to a closed pipe or socket fail with EPIPE instead of ending the process, so the
// front ends can say what failed. For the whole process; call once at start-up.
void ignoreBrokenPipes();

}  // namespace vexa::platform
