#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// What a player pane shows of its player, driven by the player's events. Pure logic: the pane
// feeds it what the player reports and carries out what it answers.
namespace vexa::media {

enum class PlayerPhase { Idle, Connecting, Playing, Paused, Failed };

// How a load ended, as the player reports it.
enum class EndReason { Finished, Stopped, Replaced, Error };

class PlayerState {
 public:
  PlayerPhase phase() const { return phase_; }
  // The failure's reason in one line; empty unless failed.
  const std::string& reason() const { return reason_; }
  // The address being tried now (after a retry, the retry's address).
  const std::string& address() const { return address_; }

  // A new address is being loaded; events of earlier loads are ignored from now on.
  void startLoad(std::string_view address);
  // The player took the load and named it `entryId`. Until then no entry's events count.
  void loadAccepted(int64_t entryId);
  // The player could not even queue the load.
  void loadRefused(std::string_view reason);
  // The media of `entryId` opened and plays.
  void started(int64_t entryId);
  void pauseChanged(bool paused);
  // An error line the player logged while loading or playing; the latest becomes the reason
  // should the load fail.
  void errorLogged(std::string_view line);
  // The load of `entryId` ended. Returns the address to load next (the "http" retry of an
  // "mms" address that failed), or empty.
  std::string ended(int64_t entryId, EndReason reason, std::string_view playerError);
  // stop(): back to idle at once.
  void stopped();

 private:
  void fail(std::string_view reason);

  PlayerPhase phase_ = PlayerPhase::Idle;
  std::string address_;
  std::string reason_;
  std::string lastError_;
  int64_t entry_ = -1;  // -1: no load accepted yet (or none running)
  bool retried_ = false;
};

// A short label for the phase, in UTF-8, for the pane's own picture.
std::string_view PhaseLabel(PlayerPhase phase);

}  // namespace vexa::media
