#include "media/player_state.h"

#include "media/stream_address.h"

namespace vexa::media {

void PlayerState::startLoad(std::string_view address) {
  phase_ = PlayerPhase::Connecting;
  address_ = address;
  reason_.clear();
  lastError_.clear();
  entry_ = -1;
  retried_ = false;
}

void PlayerState::loadAccepted(int64_t entryId) {
  if (phase_ == PlayerPhase::Connecting) entry_ = entryId;
}

void PlayerState::loadRefused(std::string_view reason) {
  entry_ = -1;
  fail(reason);
}

void PlayerState::started(int64_t entryId) {
  if (entryId != entry_ || entry_ < 0) return;
  if (phase_ == PlayerPhase::Connecting) phase_ = PlayerPhase::Playing;
}

void PlayerState::pauseChanged(bool paused) {
  if (phase_ == PlayerPhase::Playing && paused) phase_ = PlayerPhase::Paused;
  if (phase_ == PlayerPhase::Paused && !paused) phase_ = PlayerPhase::Playing;
}

void PlayerState::errorLogged(std::string_view line) {
  if (phase_ == PlayerPhase::Idle || phase_ == PlayerPhase::Failed) return;
  std::string one = OneLineReason(line);
  if (!one.empty()) lastError_ = std::move(one);
}

std::string PlayerState::ended(int64_t entryId, EndReason reason, std::string_view playerError) {
  if (entryId != entry_ || entry_ < 0) return {};
  entry_ = -1;
  if (reason == EndReason::Error) {
    std::string retry = retried_ ? std::string() : HttpRetryAddress(address_);
    if (!retry.empty()) {
      retried_ = true;
      address_ = retry;
      lastError_.clear();
      phase_ = PlayerPhase::Connecting;
      return retry;
    }
    fail(lastError_.empty() ? playerError : std::string_view(lastError_));
    return {};
  }
  // A stream that ended or was stopped leaves the pane idle; a replaced one is followed by
  // the new load's own events.
  if (reason != EndReason::Replaced) phase_ = PlayerPhase::Idle;
  return {};
}

void PlayerState::stopped() {
  phase_ = PlayerPhase::Idle;
  entry_ = -1;
  reason_.clear();
  lastError_.clear();
}

void PlayerState::fail(std::string_view reason) {
  phase_ = PlayerPhase::Failed;
  reason_ = OneLineReason(reason);
  if (reason_.empty()) reason_ = "playback failed";
}

std::string_view PhaseLabel(PlayerPhase phase) {
  switch (phase) {
    case PlayerPhase::Idle:
      return "停止";
    case PlayerPhase::Connecting:
      return "接続中…";
    case PlayerPhase::Playing:
      return "再生中";
    case PlayerPhase::Paused:
      return "一時停止";
    case PlayerPhase::Failed:
      return "再生できません";
  }
  return "";
}

}  // namespace vexa::media
