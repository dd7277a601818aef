#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

// One embedded player on libmpv. It runs on mpv's own threads; every call here returns without
// waiting for the network. Calls come from the GUI thread; only `wakeup` is called from mpv's
// threads, and it must do no more than post a message.
namespace vexa::platform {

struct MpvOptions {
  uint64_t windowId = 0;  // the X11 window the video is drawn into
  bool audioOff = false;  // ao=null, for tests
  int networkTimeoutSeconds = 15;
  std::function<void()> wakeup;
};

struct MpvEvent {
  enum class Kind { StartFile, FileLoaded, EndFile, Pause, ErrorLine };
  Kind kind = Kind::StartFile;
  int64_t entryId = -1;
  // EndFile: 0 finished, 1 stopped, 2 replaced or quit, 3 error (with `text` the player's
  // message for it).
  int endReason = 0;
  bool paused = false;
  std::string text;  // UTF-8
};

class MpvPlayer {
 public:
  // Null with `error` set when mpv cannot be created or started.
  static std::unique_ptr<MpvPlayer> Create(const MpvOptions& options, std::string* error);
  ~MpvPlayer();
  MpvPlayer(const MpvPlayer&) = delete;
  MpvPlayer& operator=(const MpvPlayer&) = delete;

  // Replaces what plays with `utf8`. True on success with the load's entry id.
  bool Load(const std::string& utf8, int64_t* entryId, std::string* error);
  // Stops playback; the player closes the media and its connection.
  void Stop();
  void SetPause(bool paused);
  bool Paused();
  // 0 to 100.
  void SetVolume(int volume);
  int Volume();
  // Seconds played of the current media; negative when nothing plays.
  double PlaybackSeconds();
  // Whether a video frame is being shown.
  bool HasVideo();
  // The next event that is ready; false when none is. Never blocks.
  bool NextEvent(MpvEvent& event);

  struct Handle;  // inside mpv_player.cpp

 private:
  explicit MpvPlayer(std::unique_ptr<Handle> handle);
  std::unique_ptr<Handle> handle_;
};

}  // namespace vexa::platform
