#pragma once

#include <cstdint>

#include "net/cookie_jar.h"
#include "net/request_profile.h"
#include "net/stream_buffer.h"

namespace vexa {

struct RequestText {
  const char* host = nullptr;         // written into Host as given
  const char* path = nullptr;         // the request target, as given
  const char* referer = nullptr;      // null: no Referer line
  const char* contentType = nullptr;  // a POST needs all three of these
  const char* body = nullptr;
  uint32_t bodyLength = 0;
};

// Appends one HTTP request to `out` in the fixed header order: the request line, Host, Accept,
// Accept-Language, Accept-Charset, User-Agent, Referer, Cookie, Content-Type and Content-Length
// (POST only), Connection: close, the empty line, then a POST's body. Values are copied byte
// for byte. The Cookie line lists the jar's entries in its order and stops before the first
// entry with an empty name or value. True when memory ran out.
bool composeRequest(StreamBuffer& out, RequestProfile& profile, CookieJar* cookies,
                    const RequestText& request);

}  // namespace vexa
