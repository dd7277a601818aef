#pragma once

#include <cstdint>
#include <string_view>

#include "base/fiber_task.h"
#include "base/text_buffer.h"
#include "net/cookie_jar.h"
#include "net/download_host.h"
#include "net/http_connection.h"
#include "net/request_profile.h"
#include "net/transfer_monitor.h"

namespace vexa {

// The base of every download task: a fiber task that fetches one URL at a time over its own
// connection, keeps the task's status line, enforces the limits of a transfer (8 MiB, and half
// the poll interval with a floor of 15 s, both for the whole download) and observes the user's
// cancel. A derived task implements run() and calls download() from it.
//
// Threads and fibers: download() runs on this task's fiber and yields it between steps: busy
// after a step that received bytes, polling otherwise (also while the worker connects). Called
// from elsewhere (another fiber or the GUI fiber) it still completes, polling without yielding.
// The flags may be set by GUI code while the fiber is suspended; no lock is needed.
class DownloadClient : public FiberTask,
                       private RequestProfile,
                       private TransferMonitor,
                       private CookieJar {
 public:
  static constexpr uint64_t kSizeLimit = 0x800000;  // bytes, header block included
  static constexpr uint32_t kReadSize = 2048;

  explicit DownloadClient(DownloadHost& host);
  ~DownloadClient() override;

  // Fetches http://host/path. `host` is NAME or NAME:PORT (port 80 when none is given) and goes
  // into the Host header exactly as given; https://NAME[:PORT] fetches over TLS (port 443 when
  // none is given) with NAME[:PORT] in the Host header. A certificate that does not verify
  // ends the download with a line of its own. A POST needs contentType, body and bodyLength. On
  // false (success) the body is in body() / receiveBuffer(). On true (failure) the status line
  // says why, unless `quiet`. A response whose status is not 2xx is a failure.
  bool download(const char* contentType, uint32_t bodyLength, const char* body, const char* host,
                const char* path, const char* referer);
  bool download(const char* host, const char* path) {
    return download(nullptr, 0, nullptr, host, path, nullptr);
  }

  // The body of the last successful download: a byte range, and a reader (readLine).
  std::string_view body() const;
  StreamBuffer& receiveBuffer() { return connection_.receiveBuffer(); }
  // The first occurrence of the `length` bytes of needle in the body, or null. An empty needle
  // matches at the start.
  const char* findInBody(const char* needle, uint32_t length) const;
  // The status code of the last response read, or 0 when there was none.
  int lastStatusCode() const;

  // The task's current status line (Shift_JIS).
  const char* statusText() const { return statusText_.text(); }
  // Borrowed; null for none. Told of every new status line.
  void setStatusView(StatusView* view) { statusView_ = view; }

  HttpConnection& connection() { return connection_; }
  DownloadHost& host() { return host_; }

  // Asked by the board when the user starts something else on this task, and at shutdown: the
  // transfer stops at its next check with the cancel line, and the task's own loops leave at
  // their next check. Cleared at the start of every download.
  void requestCancel() { cancelRequested_ = true; }
  bool cancelRequested() const { return cancelRequested_; }
  // True once the request is sent and the response is being read. Cleared at the start.
  bool receivingStarted() const { return receivingStarted_; }
  // True when the last download's response arrived whole, whatever its status code: a failure
  // then came from the server's answer, not from the connection.
  bool responseArrived() const { return lastResult_ >= 0; }

  // No status line is written while set (background refreshes); failures still return true.
  bool quiet = false;

 protected:
  // The status lines of the stages; a task class may write its own.
  virtual void onConnectStart();
  virtual void onDataSize(uint64_t total);
  virtual void onReceiving();
  // A task's own failure message, or null for the standard lines.
  virtual const char* failureText() { return nullptr; }

  // Replaces the status line and tells the view.
  void setStatus(const char* line);

 private:
  // RequestProfile
  const char* httpVersion() override { return "1.1"; }
  const char* acceptValue() override { return "text/*"; }
  const char* acceptLanguageValue() override { return "ja,en-us;q=0.7,en;q=0.3"; }
  const char* acceptCharsetValue() override { return "Shift_JIS,utf-8;q=0.7,*;q=0.7"; }
  const char* userAgentValue() override { return host_.userAgent(); }
  void notify(TransferContext& context, int32_t code) override;

  // TransferMonitor
  int32_t readStep(HttpConnection& connection) override;
  bool sizeLimitReached(uint64_t total) override;
  bool timeLimitReached(TransferContext& context) override;

  // CookieJar
  bool nextCookie(const char** name, uint32_t* nameLength, const char** value,
                  uint32_t* valueLength, uint32_t index) override;
  void setCookie(const char* name, const char* value, const char* attributeName) override;

  void yieldStep();

  DownloadHost& host_;
  StatusView* statusView_ = nullptr;
  TextBuffer statusText_;
  HttpConnection connection_;
  TextBuffer lastHost_{64};
  const CookieEntry* cookieWalk_ = nullptr;
  int32_t lastStep_ = 0;
  int32_t lastResult_ = -1;
  bool cancelRequested_ = false;
  bool receivingStarted_ = false;
};

}  // namespace vexa
