#include "net/http_connection.h"

#include "net/request_composer.h"

namespace vexa {

int32_t HttpConnection::performRequest(RequestProfile& profile, TransferMonitor& monitor,
                                       CookieJar* cookies, const char* contentType,
                                       const char* body, uint32_t bodyLength, const char* host,
                                       const char* path, uint32_t port, const char* referer,
                                       TransferContext& context, Security security) {
  profile.notify(context, kNotifyConnecting);
  requestConnect(host, port, security);
  bool cancelled = false;
  while (getState() < 0) {
    if (monitor.timeLimitReached(context)) {
      cancelled = true;
      break;
    }
  }
  if (cancelled || getState() == kClosed) {
    reset(true, kClosed, false);
    int32_t result = cancelled ? kRequestNotConnected : kRequestConnectFailed;
    profile.notify(context, result);
    return result;
  }
  profile.notify(context, kNotifyConnected);

  sendBuffer().close();
  sendBuffer().openForWriting("send");
  RequestText request;
  request.host = host;
  request.path = path;
  request.referer = referer;
  request.contentType = contentType;
  request.body = body;
  request.bodyLength = bodyLength;
  composeRequest(sendBuffer(), profile, cookies, request);
  beginSend();
  // A request the socket does not take at once is sent on between time checks. A send that
  // fails is left to the response loop, which then sees the connection end.
  bool timeUp = false;
  while (sendPending() == SendProgress::Pending) {
    if (monitor.timeLimitReached(context)) {
      timeUp = true;
      break;
    }
  }
  int32_t result = kRequestTooSlow;
  if (!timeUp) {
    halfClose();
    profile.notify(context, kNotifyReceiving);
    result = responseLoop(monitor, context);
  }
  // After a stop the receive buffer is left empty, not holding part of a body.
  if (result == kRequestTooSlow || result == kRequestTooLarge) receive(0);
  finish(false);
  profile.notify(context, result);
  return result;
}

int32_t HttpConnection::responseLoop(TransferMonitor& monitor, TransferContext& context) {
  int32_t result = kRequestComplete;
  uint64_t total = 0;
  for (;;) {
    int32_t step = monitor.readStep(*this);
    total += response().lastStepBytes();
    if (step < 0) {
      // The bytes of the step that ended the transfer count toward the size limit too.
      if (response().lastStepBytes() > 0 && response().receiveState() != -1 &&
          monitor.sizeLimitReached(total)) {
        result = kRequestTooLarge;
      }
      break;
    }
    if (monitor.sizeLimitReached(total)) {
      result = kRequestTooLarge;
      break;
    }
    if (monitor.timeLimitReached(context)) {
      result = kRequestTooSlow;
      break;
    }
  }
  if (response().receiveState() == -1) return kRequestFailed;
  if (response().receiveState() == 1) receive(0);
  return result;
}

}  // namespace vexa
