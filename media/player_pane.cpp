#include "media/player_pane.h"

#include "base/log_stream.h"
#include "media/stream_address.h"
#include "platform/desktop/device_context.h"
#include "platform/desktop/gdi_objects.h"
#include "platform/desktop/host_windows.h"
#include "platform/desktop/native_window.h"
#include "platform/media/mpv_player.h"
#include "platform/text_encoding.h"

namespace vexa::media {
namespace {

using namespace platform;

constexpr const char* kPaneClass = "VexaPlayerPane";
constexpr uint32_t kPlayerWakeMessage = WM_USER + 0x70;

LRESULT PaneProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* pane = reinterpret_cast<PlayerPane*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (message == WM_DESTROY) SetWindowLongPtrA(window, GWLP_USERDATA, 0);
  if (pane && message != WM_DESTROY) return pane->handleMessage(message, wParam, lParam);
  return DefWindowProcA(window, message, wParam, lParam);
}

bool RegisterPaneClass() {
  static bool registered = false;
  if (registered) return true;
  WNDCLASSA windowClass;
  windowClass.lpfnWndProc = PaneProc;
  windowClass.lpszClassName = kPaneClass;
  windowClass.background = RGB(0, 0, 0);
  registered = RegisterClassA(windowClass) != 0;
  return registered;
}

}  // namespace

intptr_t PlayerPane::Events::windowProc(uint32_t message, uintptr_t, intptr_t) {
  if (message == kPlayerWakeMessage && pane) pane->drainPlayerEvents();
  return 0;
}

PlayerPane::PlayerPane(MessageQueue& queue, PlayerPaneOptions options)
    : queue_(queue), options_(options) {
  events_.pane = this;
}

PlayerPane::~PlayerPane() {
  // The player's threads stop here, so no wake-up can follow the removal of posted ones.
  player_.reset();
  queue_.removeMessagesFor(&events_);
  if (window_ && IsWindow(window_)) {
    SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
  }
}

bool PlayerPane::create(HWND parent, int controlId) {
  if (!window_ && RegisterPaneClass()) {
    window_ =
        CreateWindowExA(0, kPaneClass, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, parent,
                        reinterpret_cast<HMENU>(static_cast<intptr_t>(controlId)), nullptr, this);
  }
  if (!window_) {
    logLine("ERROR: fail to create Media Player.");
    return true;
  }
  return false;
}

bool PlayerPane::startPlayer(std::string* error) {
  if (player_) return true;
  uint64_t wid = window_ && IsWindow(window_) ? NativeWindowId(window_) : 0;
  if (wid == 0) {
    *error = "the pane has no window to play in";
  } else {
    MpvOptions options;
    options.windowId = wid;
    options.audioOff = options_.audioOff;
    options.networkTimeoutSeconds = options_.networkTimeoutSeconds;
    options.wakeup = [this] {
      if (!wakePending_.exchange(true)) queue_.post(&events_, kPlayerWakeMessage);
    };
    player_ = MpvPlayer::Create(options, error);
    if (!player_ && error->empty()) *error = "the player cannot be started";
  }
  if (!player_) logLine("ERROR: fail to create Media Player.");
  return player_ != nullptr;
}

void PlayerPane::play(std::string_view urlCp932) {
  load(cp932ToUtf8(urlCp932));
}

void PlayerPane::playLink(std::string_view urlUtf8) {
  load(std::string(urlUtf8));
}

void PlayerPane::load(const std::string& utf8) {
  if (!window_) return;
  std::string address = PlayerAddress(utf8);
  state_.startLoad(address);
  int64_t entry = -1;
  std::string error;
  // The player's core (and its library) is made by the first play, not with the window.
  if (startPlayer(&error) && player_->Load(address, &entry, &error)) {
    state_.loadAccepted(entry);
  } else {
    state_.loadRefused(error);
  }
  stateChanged();
}

void PlayerPane::stop() {
  // Also clears the failure of a player that could not be started.
  if (player_) player_->Stop();
  state_.stopped();
  stateChanged();
}

void PlayerPane::togglePause() {
  if (!player_) return;
  PlayerPhase phase = state_.phase();
  if (phase == PlayerPhase::Playing || phase == PlayerPhase::Paused) {
    player_->SetPause(phase == PlayerPhase::Playing);
  }
}

void PlayerPane::setVolume(int volume) {
  if (player_) player_->SetVolume(volume);
}

int PlayerPane::volume() const {
  return player_ ? player_->Volume() : 0;
}

double PlayerPane::playbackSeconds() const {
  return player_ ? player_->PlaybackSeconds() : -1;
}

void PlayerPane::drainPlayerEvents() {
  wakePending_.store(false);
  if (!player_) return;
  PlayerPhase before = state_.phase();
  std::string reasonBefore = state_.reason();
  MpvEvent event;
  // Bounded: a player that floods events yields the loop and is read again through the queue.
  int handled = 0;
  for (; handled < 64 && player_->NextEvent(event); ++handled) {
    handleEvent(event);
  }
  if (handled == 64 && !wakePending_.exchange(true)) queue_.post(&events_, kPlayerWakeMessage);
  if (state_.phase() != before || state_.reason() != reasonBefore) stateChanged();
}

void PlayerPane::handleEvent(const MpvEvent& event) {
  switch (event.kind) {
    case MpvEvent::Kind::StartFile:
      startedEntry_ = event.entryId;
      break;
    case MpvEvent::Kind::FileLoaded:
      state_.started(startedEntry_);
      break;
    case MpvEvent::Kind::Pause:
      state_.pauseChanged(event.paused);
      break;
    case MpvEvent::Kind::ErrorLine:
      state_.errorLogged(event.text);
      break;
    case MpvEvent::Kind::EndFile: {
      static constexpr EndReason kReasons[] = {EndReason::Finished, EndReason::Stopped,
                                               EndReason::Replaced, EndReason::Error};
      std::string retry = state_.ended(event.entryId, kReasons[event.endReason], event.text);
      if (!retry.empty()) {
        int64_t entry = -1;
        std::string error;
        if (player_->Load(retry, &entry, &error)) {
          state_.loadAccepted(entry);
        } else {
          state_.loadRefused(error);
        }
      }
      break;
    }
  }
}

void PlayerPane::stateChanged() {
  if (window_) InvalidateRect(window_, nullptr, 0);
}

LRESULT PlayerPane::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      paint();
      return 0;
    case WM_LBUTTONUP:
      togglePause();
      return 0;
    case WM_MOUSEWHEEL: {
      auto delta = static_cast<int16_t>((wParam >> 16) & 0xffff);
      setVolume(volume() + (delta > 0 ? 5 : -5));
      return 0;
    }
    default:
      return DefWindowProcA(window_, message, wParam, lParam);
  }
}

void PlayerPane::paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window_, &ps);
  if (!dc) return;
  RECT client;
  GetClientRect(window_, &client);
  HBRUSH black = CreateSolidBrush(RGB(0, 0, 0));
  FillRect(dc, &client, black);
  DeleteObject(black);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, state_.phase() == PlayerPhase::Failed ? RGB(255, 120, 120) : RGB(230, 230, 230));
  std::string label = utf8ToCp932(PhaseLabel(state_.phase()));
  TextOutA(dc, 6, 6, label.data(), static_cast<int>(label.size()));
  const std::string& detail =
      state_.phase() == PlayerPhase::Failed ? state_.reason() : state_.address();
  if (state_.phase() != PlayerPhase::Idle && !detail.empty()) {
    std::string text = utf8ToCp932(detail);
    SetTextColor(dc, RGB(160, 160, 160));
    TextOutA(dc, 6, 24, text.data(), static_cast<int>(text.size()));
  }
  EndPaint(window_, &ps);
}

}  // namespace vexa::media
