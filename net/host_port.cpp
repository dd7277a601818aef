#include "net/host_port.h"

#include <strings.h>

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

bool splitServer(const char* server, ServerAddress& out) {
  out = ServerAddress{};
  if (server == nullptr) return false;
  static const char kSecure[] = "https://";
  out.secure = strncasecmp(server, kSecure, sizeof kSecure - 1) == 0;
  out.hostField = out.secure ? server + sizeof kSecure - 1 : server;
  if (!splitHostPort(out.hostField, out.target)) return false;
  // A port given as 80 stays 80 even over TLS: only a missing port takes the default.
  if (out.secure && std::strchr(out.hostField, ':') == nullptr) out.target.port = 443;
  return true;
}

}  // namespace vexa
