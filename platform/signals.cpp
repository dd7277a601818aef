#include "platform/signals.h"

#include <signal.h>

#include "platform/message_queue.h"

namespace vexa::platform {

namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM};

void onQuitSignal(int) {
  MessageQueue::postQuitFromSignal();
}

}  // namespace

struct QuitSignals::Saved {
  struct sigaction previous[2];
  bool installed[2] = {false, false};
};

QuitSignals::QuitSignals() : saved_(std::make_unique<Saved>()) {
  struct sigaction action = {};
  action.sa_handler = onQuitSignal;
  // SA_RESETHAND: the second signal of a kind takes the default action.
  action.sa_flags = SA_RESTART | SA_RESETHAND;
  sigemptyset(&action.sa_mask);
  for (int signal : kSignals) sigaddset(&action.sa_mask, signal);
  for (int i = 0; i < 2; ++i) {
    saved_->installed[i] = sigaction(kSignals[i], &action, &saved_->previous[i]) == 0;
    if (!saved_->installed[i]) failed_ = true;
  }
}

QuitSignals::~QuitSignals() {
  for (int i = 0; i < 2; ++i) {
    if (saved_->installed[i]) sigaction(kSignals[i], &saved_->previous[i], nullptr);
  }
}

void ignoreBrokenPipes() {
  ::signal(SIGPIPE, SIG_IGN);
}

}  // namespace vexa::platform
