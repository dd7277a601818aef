#include "platform/media/mpv_player.h"

#include <clocale>

#include "platform/media/mpv_library.h"

namespace vexa::platform {

struct MpvPlayer::Handle {
  const MpvLibrary* api = nullptr;
  mpv_handle* mpv = nullptr;
  std::function<void()> wakeup;
  ~Handle() {
    if (mpv) api->terminate_destroy(mpv);
  }
};

namespace {

void OnWakeup(void* data) {
  auto* handle = static_cast<MpvPlayer::Handle*>(data);
  if (handle->wakeup) handle->wakeup();
}

}  // namespace

std::unique_ptr<MpvPlayer> MpvPlayer::Create(const MpvOptions& options, std::string* error) {
  // mpv refuses to start under any other numeric locale; GTK sets the user's.
  std::setlocale(LC_NUMERIC, "C");
  const MpvLibrary* api = MpvLibrary::Shared(error);
  if (!api) return nullptr;
  auto handle = std::make_unique<Handle>();
  handle->api = api;
  handle->mpv = api->create();
  if (!handle->mpv) {
    if (error) *error = "mpv_create failed";
    return nullptr;
  }
  mpv_handle* mpv = handle->mpv;
  int64_t wid = static_cast<int64_t>(options.windowId);
  std::string timeout = std::to_string(options.networkTimeoutSeconds);
  const struct {
    const char* name;
    const char* value;
  } settings[] = {
      {"config", "no"},
      {"load-scripts", "no"},
      {"terminal", "no"},
      {"msg-level", "all=error"},
      {"vo", "x11"},
      {"hwdec", "no"},
      {"osc", "yes"},
      {"input-default-bindings", "no"},
      {"input-vo-keyboard", "no"},
      {"ytdl", "no"},
      {"idle", "yes"},
      {"keep-open", "no"},
      {"force-window", "no"},
      {"audio-display", "no"},
      {"cache", "yes"},
      {"demuxer-max-bytes", "4MiB"},
      {"demuxer-max-back-bytes", "1MiB"},
      {"network-timeout", timeout.c_str()},
      {"ao", options.audioOff ? "null" : "pulse,alsa,null"},
  };
  for (const auto& s : settings) {
    int rc = api->set_option_string(mpv, s.name, s.value);
    // A setting this mpv does not know (an older or newer build) is not fatal.
    if (rc < 0 && rc != MPV_ERROR_OPTION_NOT_FOUND) {
      if (error) *error = std::string(s.name) + ": " + api->error_string(rc);
      return nullptr;
    }
  }
  if (wid != 0) api->set_option(mpv, "wid", MPV_FORMAT_INT64, &wid);
  int rc = api->initialize(mpv);
  if (rc < 0) {
    if (error) *error = api->error_string(rc);
    return nullptr;
  }
  api->request_log_messages(mpv, "error");
  api->observe_property(mpv, 1, "pause", MPV_FORMAT_FLAG);
  handle->wakeup = options.wakeup;
  api->set_wakeup_callback(mpv, OnWakeup, handle.get());
  return std::unique_ptr<MpvPlayer>(new MpvPlayer(std::move(handle)));
}

MpvPlayer::MpvPlayer(std::unique_ptr<Handle> handle) : handle_(std::move(handle)) {}

MpvPlayer::~MpvPlayer() {
  handle_->api->set_wakeup_callback(handle_->mpv, nullptr, nullptr);
}

bool MpvPlayer::Load(const std::string& utf8, int64_t* entryId, std::string* error) {
  mpv_node args[3];
  const char* words[3] = {"loadfile", utf8.c_str(), "replace"};
  for (int i = 0; i < 3; ++i) {
    args[i].format = MPV_FORMAT_STRING;
    args[i].u.string = const_cast<char*>(words[i]);
  }
  mpv_node_list list{3, args, nullptr};
  mpv_node command;
  command.format = MPV_FORMAT_NODE_ARRAY;
  command.u.list = &list;
  mpv_node result;
  int rc = handle_->api->command_node(handle_->mpv, &command, &result);
  if (rc < 0) {
    if (error) *error = handle_->api->error_string(rc);
    return false;
  }
  *entryId = -1;
  if (result.format == MPV_FORMAT_NODE_MAP) {
    for (int i = 0; i < result.u.list->num; ++i) {
      if (std::string_view(result.u.list->keys[i]) == "playlist_entry_id" &&
          result.u.list->values[i].format == MPV_FORMAT_INT64) {
        *entryId = result.u.list->values[i].u.int64;
      }
    }
  }
  handle_->api->free_node_contents(&result);
  if (*entryId < 0) {
    if (error) *error = "the player gave no entry for the address";
    return false;
  }
  return true;
}

void MpvPlayer::Stop() {
  const char* command[] = {"stop", nullptr};
  handle_->api->command(handle_->mpv, command);
}

void MpvPlayer::SetPause(bool paused) {
  int flag = paused ? 1 : 0;
  handle_->api->set_property(handle_->mpv, "pause", MPV_FORMAT_FLAG, &flag);
}

bool MpvPlayer::Paused() {
  int flag = 0;
  handle_->api->get_property(handle_->mpv, "pause", MPV_FORMAT_FLAG, &flag);
  return flag != 0;
}

void MpvPlayer::SetVolume(int volume) {
  double value = volume < 0 ? 0 : volume > 100 ? 100 : volume;
  handle_->api->set_property(handle_->mpv, "volume", MPV_FORMAT_DOUBLE, &value);
}

int MpvPlayer::Volume() {
  double value = 0;
  handle_->api->get_property(handle_->mpv, "volume", MPV_FORMAT_DOUBLE, &value);
  return static_cast<int>(value + 0.5);
}

double MpvPlayer::PlaybackSeconds() {
  double value = -1;
  if (handle_->api->get_property(handle_->mpv, "time-pos", MPV_FORMAT_DOUBLE, &value) < 0)
    return -1;
  return value;
}

bool MpvPlayer::HasVideo() {
  int64_t width = 0;
  return handle_->api->get_property(handle_->mpv, "dwidth", MPV_FORMAT_INT64, &width) >= 0 &&
         width > 0;
}

bool MpvPlayer::NextEvent(MpvEvent& out) {
  for (;;) {
    mpv_event* event = handle_->api->wait_event(handle_->mpv, 0);
    switch (event->event_id) {
      case MPV_EVENT_NONE:
        return false;
      case MPV_EVENT_START_FILE: {
        auto* data = static_cast<mpv_event_start_file*>(event->data);
        out = {MpvEvent::Kind::StartFile, data->playlist_entry_id, 0, false, {}};
        return true;
      }
      case MPV_EVENT_FILE_LOADED:
        out = {MpvEvent::Kind::FileLoaded, -1, 0, false, {}};
        return true;
      case MPV_EVENT_END_FILE: {
        auto* data = static_cast<mpv_event_end_file*>(event->data);
        int reason = 2;
        if (data->reason == MPV_END_FILE_REASON_EOF) reason = 0;
        if (data->reason == MPV_END_FILE_REASON_STOP) reason = 1;
        if (data->reason == MPV_END_FILE_REASON_ERROR) reason = 3;
        out = {MpvEvent::Kind::EndFile, data->playlist_entry_id, reason, false,
               reason == 3 ? handle_->api->error_string(data->error) : ""};
        return true;
      }
      case MPV_EVENT_PROPERTY_CHANGE: {
        auto* data = static_cast<mpv_event_property*>(event->data);
        if (data->format != MPV_FORMAT_FLAG) continue;
        out = {MpvEvent::Kind::Pause, -1, 0, *static_cast<int*>(data->data) != 0, {}};
        return true;
      }
      case MPV_EVENT_LOG_MESSAGE: {
        auto* data = static_cast<mpv_event_log_message*>(event->data);
        out = {MpvEvent::Kind::ErrorLine, -1, 0, false, data->text ? data->text : ""};
        return true;
      }
      default:
        continue;
    }
  }
}

}  // namespace vexa::platform
