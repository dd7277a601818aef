#include "net/host_port.h"

#include <cstring>

namespace vexa {

bool splitHostPort(const char* host, HostPort& out) {
  out = HostPort{};
  if (host == nullptr) return false;
  const char* colon = std::strrchr(host, ':');
  if (colon == nullptr) {
    out.name = host;
    out.port = 80;
    return !out.name.empty();
  }
  const char* digits = colon + 1;
  size_t count = std::strlen(digits);
  if (count == 0 || count > 5) return false;
  uint32_t port = 0;
  for (const char* at = digits; *at != '\0'; ++at) {
    if (*at < '0' || *at > '9') return false;
    port = port * 10 + static_cast<uint32_t>(*at - '0');
  }
  if (port == 0 || port > 65535) return false;
  out.name.assign(host, colon - host);
  out.port = port;
  return !out.name.empty();
}

}  // namespace vexa
