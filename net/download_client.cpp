#include "net/download_client.h"

#include <cstdio>
#include <cstring>

#include "base/sjis.h"
#include "net/host_port.h"

namespace vexa {

namespace {

// The line for a server whose certificate was refused, or null when that was not the reason.
const char* certificateLine(platform::TlsSession::Failure failure) {
  using Failure = platform::TlsSession::Failure;
  switch (failure) {
    case Failure::Untrusted:
      return "サーバーの証明書を信頼できないので接続を中止しました"_sjis;
    case Failure::WrongHost:
      return "サーバーの証明書が別のホストのものなので接続を中止しました"_sjis;
    case Failure::Expired:
      return "サーバーの証明書の有効期限が切れているので接続を中止しました"_sjis;
    case Failure::Certificate:
      return "サーバーの証明書を確認できないので接続を中止しました"_sjis;
    case Failure::None:
    case Failure::Handshake:
      break;
  }
  return nullptr;
}

}  // namespace

DownloadClient::DownloadClient(DownloadHost& host) : host_(host) {}

DownloadClient::~DownloadClient() = default;

void DownloadClient::setStatus(const char* line) {
  statusText_.clear();
  statusText_.append(line);
  if (statusView_ != nullptr) statusView_->statusChanged(statusText_.text());
}

void DownloadClient::onConnectStart() {
  TextBuffer line;
  line.append("- 接続開始 "_sjis);
  line.append(lastHost_.text());
  line.append(" -");
  setStatus(line.text());
}

void DownloadClient::onDataSize(uint64_t total) {
  char number[24];
  std::snprintf(number, sizeof number, "%llu", static_cast<unsigned long long>(total));
  TextBuffer line;
  line.append("- データ取得 サイズ : "_sjis);
  line.append(number);
  line.append(" -");
  setStatus(line.text());
}

void DownloadClient::onReceiving() {
  setStatus("- データを取得しています -"_sjis);
}

bool DownloadClient::download(const char* contentType, uint32_t bodyLength, const char* body,
                              const char* host, const char* path, const char* referer) {
  lastHost_.assign(host);
  cancelRequested_ = false;
  receivingStarted_ = false;
  lastStep_ = 0;
  lastResult_ = -1;
  TransferContext context;
  context.startTime = host_.currentTime();
  // A malformed NAME:PORT leaves port 0, which the worker refuses at once.
  ServerAddress server;
  uint32_t port = splitServer(host, server) ? server.target.port : 0;
  const char* hostField = server.hostField != nullptr ? server.hostField : host;
  int32_t result = connection_.performRequest(
      *this, *this, this, contentType, body, bodyLength, hostField, path, port, referer, context,
      server.secure ? HttpConnection::Security::Tls : HttpConnection::Security::Plain);
  lastResult_ = result;
  int status = lastStatusCode();
  if (result >= 0 && status >= 200 && status <= 299) return false;
  // A response that arrived whole but is not a success is a failure too.
  if (result >= 0) host_.setTrayState(TrayState::Normal);
  if (quiet) return true;

  const char* line = failureText();
  TextBuffer serverError;
  if (line == nullptr) {
    if (cancelRequested_) {
      line = "ユーザによりキャンセルされました"_sjis;
    } else if (result >= 0 && status != 0) {
      char code[16];
      std::snprintf(code, sizeof code, "%d", status);
      serverError.append("サーバーがエラーを返しました (HTTP "_sjis);
      serverError.append(code);
      serverError.append(")");
      line = serverError.text();
    } else if (const char* certificate = certificateLine(connection_.tlsFailure())) {
      line = certificate;
    } else if (result == kRequestNotConnected) {
      line = "接続がタイムアウトしました"_sjis;
    } else if (result == kRequestTooSlow) {
      line = "受信時間が長すぎるので強制切断しました"_sjis;
    } else if (result == kRequestTooLarge) {
      line = "受信サイズが大きすぎるので強制切断しました"_sjis;
    } else {
      line = "不明なエラーが発生しました"_sjis;
    }
  }
  setStatus(line);
  return true;
}

std::string_view DownloadClient::body() const {
  const StreamBuffer& buffer = connection_.receiveBuffer();
  return std::string_view(buffer.data(), buffer.size());
}

const char* DownloadClient::findInBody(const char* needle, uint32_t length) const {
  const StreamBuffer& buffer = connection_.receiveBuffer();
  if (length == 0) return buffer.data();
  if (needle == nullptr) return nullptr;
  int64_t at = buffer.find(needle, length, 0);
  return at < 0 ? nullptr : buffer.data() + at;
}

int DownloadClient::lastStatusCode() const {
  return connection_.response().headers().statusCode();
}

void DownloadClient::yieldStep() {
  if (lastStep_ > 0) {
    yieldBusy();
  } else {
    yield();
  }
}

void DownloadClient::notify(TransferContext&, int32_t code) {
  if (code == kNotifyConnecting) {
    if (!quiet) onConnectStart();
    host_.setTrayState(TrayState::Busy);
  } else if (code == kNotifyReceiving) {
    if (!quiet) onReceiving();
    receivingStarted_ = true;
    host_.setTrayState(TrayState::Blinking);
  } else if (code < 0) {
    host_.setTrayState(TrayState::Normal);
    return;
  }
  // Each stage leaves more work ready.
  yieldBusy();
}

int32_t DownloadClient::readStep(HttpConnection& connection) {
  lastStep_ = connection.readStep(this, kReadSize);
  return lastStep_;
}

bool DownloadClient::sizeLimitReached(uint64_t total) {
  if (!quiet && total != 0) onDataSize(total);
  return cancelRequested_ || total > kSizeLimit;
}

bool DownloadClient::timeLimitReached(TransferContext& context) {
  int32_t elapsed = static_cast<int32_t>(static_cast<uint32_t>(host_.currentTime()) -
                                         static_cast<uint32_t>(context.startTime));
  int32_t& interval = host_.pollInterval();
  if (interval < 30) interval = 30;
  if (elapsed >= interval / 2) return true;
  yieldStep();
  return cancelRequested_;
}

bool DownloadClient::nextCookie(const char** name, uint32_t* nameLength, const char** value,
                                uint32_t* valueLength, uint32_t index) {
  CookieStore& store = host_.cookieStore();
  cookieWalk_ = index == 0 ? store.first() : store.after(cookieWalk_);
  if (cookieWalk_ == nullptr) return false;
  *name = cookieWalk_->name.text();
  *nameLength = cookieWalk_->name.length();
  *value = cookieWalk_->value.text();
  *valueLength = cookieWalk_->value.length();
  return true;
}

void DownloadClient::setCookie(const char* name, const char* value, const char* attributeName) {
  if (attributeName != nullptr) return;
  host_.cookieStore().set(name, value);
}

}  // namespace vexa
