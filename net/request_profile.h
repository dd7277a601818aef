#pragma once

#include <cstdint>

namespace vexa {

// One download's context, handed unchanged to the profile's notify and to the monitor.
struct TransferContext {
  int64_t startTime = 0;  // calendar seconds at the start; the time limit counts from it
};

// Progress codes of performRequest, in the order they occur; the result code comes last.
enum NotifyCode : int32_t {
  kNotifyConnecting = 3,  // before the connect starts
  kNotifyConnected = 1,   // connected, before the request is composed
  kNotifyReceiving = 2,   // request sent, before the response is read
};

// Result codes of performRequest.
enum RequestResult : int32_t {
  kRequestComplete = 0,
  kRequestFailed = -1,         // socket error, or a response cut short or malformed
  kRequestTooLarge = -2,       // stopped by the size limit
  kRequestTooSlow = -3,        // stopped by the time limit (or a cancel) while receiving
  kRequestNotConnected = -4,   // time limit or cancel before the connection was made
  kRequestConnectFailed = -5,  // the worker ended without a connection (empty host)
};

// The variable header values of a request and its progress sink. A null value omits its
// header. Called on the download task's fiber.
class RequestProfile {
 public:
  virtual ~RequestProfile() = default;
  virtual const char* httpVersion() = 0;
  virtual const char* acceptValue() = 0;
  virtual const char* acceptLanguageValue() = 0;
  virtual const char* acceptCharsetValue() = 0;
  virtual const char* userAgentValue() = 0;
  virtual void notify(TransferContext& context, int32_t code) = 0;
};

}  // namespace vexa
