#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "media/player_state.h"
#include "platform/desktop/win_types.h"
#include "platform/message_queue.h"

namespace vexa::platform {
class MpvPlayer;
struct MpvEvent;
}  // namespace vexa::platform

// A media pane: a child window of the main view in which the player shows the stream of an
// address. The player decodes and buffers on its own threads; the pane follows its events
// through the GUI thread's queue and shows its state (connecting, playing, paused, failed with
// the reason) in its own window whenever no video covers it. A left click pauses or resumes,
// the wheel sets the volume; on video, the player's on-screen controller does the same.
namespace vexa::media {

struct PlayerPaneOptions {
  bool audioOff = false;  // no sound device (tests)
  int networkTimeoutSeconds = 15;
};

class PlayerPane {
 public:
  // `queue` is the GUI thread's queue (borrowed; it outlives the pane).
  explicit PlayerPane(platform::MessageQueue& queue, PlayerPaneOptions options = {});
  ~PlayerPane();
  PlayerPane(const PlayerPane&) = delete;
  PlayerPane& operator=(const PlayerPane&) = delete;

  // Creates the pane's window inside `parent` with the control id. The player itself is
  // started by the first play, so idle panes cost no player. Returns false on success, true on
  // failure (then logged as "ERROR: fail to create Media Player."), as the caller's window
  // creation expects.
  bool create(platform::HWND parent, int controlId);
  // `url` is Shift_JIS: the address typed into the URL dialog. A player that cannot be started
  // is logged as above and shown as a failed play with the reason; the next play tries again.
  void play(std::string_view urlCp932);
  // A stream link's text, already UTF-8, handed over unchanged.
  void playLink(std::string_view urlUtf8);
  // Stops and releases the media and its connection at once.
  void stop();
  void togglePause();
  // 0 to 100.
  void setVolume(int volume);
  int volume() const;

  // The two layout values the pane asks of its slot: 1 and 250.
  static constexpr int32_t kLayoutValues[2] = {1, 250};

  platform::HWND window() const { return window_; }
  bool created() const { return window_ != nullptr; }
  bool playerStarted() const { return player_ != nullptr; }
  const PlayerState& state() const { return state_; }
  // Seconds played of the current stream; negative when nothing plays.
  double playbackSeconds() const;

  // Inside the desktop: the window procedure's and the queue's ways in.
  platform::LRESULT handleMessage(platform::UINT message, platform::WPARAM wParam,
                                  platform::LPARAM lParam);
  void drainPlayerEvents();

 private:
  struct Events : platform::MessageTarget {
    PlayerPane* pane = nullptr;
    intptr_t windowProc(uint32_t message, uintptr_t wParam, intptr_t lParam) override;
  };

  void load(const std::string& address);
  // True when the player runs (started now or before); false with `error` set.
  bool startPlayer(std::string* error);
  void handleEvent(const platform::MpvEvent& event);
  void paint();
  void stateChanged();

  platform::MessageQueue& queue_;
  PlayerPaneOptions options_;
  platform::HWND window_ = nullptr;
  std::unique_ptr<platform::MpvPlayer> player_;
  PlayerState state_;
  int64_t startedEntry_ = -1;
  Events events_;
  std::atomic<bool> wakePending_{false};
};

}  // namespace vexa::media
