#pragma once

#include <cstdint>

#include "net/cookie_jar.h"
#include "net/request_profile.h"
#include "net/socket_connection.h"
#include "net/transfer_monitor.h"

namespace vexa {

// The HTTP layer of a connection: one request, one TCP connection ("Connection: close").
// A connection is reused for every request of its download task; between requests it holds no
// socket and no worker, and its receive buffer keeps the last body until the next request
// starts receiving. Runs on the download task's fiber.
class HttpConnection : public SocketConnection {
 public:
  // Connects to host:port (over TLS when asked), sends one request (a POST when contentType, body
  // and bodyLength are all given, else a GET), shuts the sending side and reads the response.
  // Progress goes to profile.notify (3 connecting, 1 connected, 2 receiving, then the result once).
  // Returns a RequestResult: 0 when the response arrived whole, else -1 to -5. The status code is
  // not examined here.
  int32_t performRequest(RequestProfile& profile, TransferMonitor& monitor, CookieJar* cookies,
                         const char* contentType, const char* body, uint32_t bodyLength,
                         const char* host, const char* path, uint32_t port, const char* referer,
                         TransferContext& context, Security security = Security::Plain);

  // One read step of the response, with header fields going to `cookies`.
  int32_t readStep(CookieJar* cookies, uint32_t readSize) {
    return response().readStep(*this, cookies, readSize);
  }

 private:
  // Reads the response until it ends or the monitor stops it; a RequestResult.
  int32_t responseLoop(TransferMonitor& monitor, TransferContext& context);
};

}  // namespace vexa
