#pragma once

#include <cstdint>
#include <string>

#include "net/cookie_store.h"

namespace vexa {

// The tray icon's state while downloads run.
enum class TrayState : int32_t { Normal = 0, Busy = 1, Blinking = 2 };

// What a download reaches of the main frame: the tray state, the poll interval (which the
// download's time limit derives from), the User-Agent text, the one cookie store, and the
// clock. Everything is called on the GUI thread, from the download task's fiber.
class DownloadHost {
 public:
  virtual ~DownloadHost() = default;
  virtual void setTrayState(TrayState state) = 0;
  // Seconds between polls of the watched thread; a download may raise it to 30 and store that.
  virtual int32_t& pollInterval() = 0;
  // The User-Agent of every request, or null before it is built (the header is then left out).
  virtual const char* userAgent() = 0;
  virtual CookieStore& cookieStore() = 0;
  // Calendar time in whole seconds; tests may give a clock of their own.
  virtual int64_t currentTime();
};

// A download task's status view: told each time the task's status line is replaced, after the
// new line is in place. Called on the task's fiber.
class StatusView {
 public:
  virtual ~StatusView() = default;
  virtual void statusChanged(const char* text) = 0;
};

// A host that keeps everything itself, for front ends without a main window and for tests.
class PlainDownloadHost : public DownloadHost {
 public:
  void setTrayState(TrayState state) override { trayState = state; }
  int32_t& pollInterval() override { return interval; }
  const char* userAgent() override { return agent.empty() ? nullptr : agent.c_str(); }
  CookieStore& cookieStore() override { return cookies; }

  TrayState trayState = TrayState::Normal;
  int32_t interval = 30;
  std::string agent;
  CookieStore cookies;
};

}  // namespace vexa
