#pragma once

#include <cstdint>
#include <string>

namespace vexa {

// A host as the board and the user write it: NAME or NAME:PORT.
struct HostPort {
  std::string name;
  uint32_t port = 0;  // 80 when none is given
};

// Splits "NAME[:PORT]". False when the name is empty or the port is not a number from 1 to
// 65535.
bool splitHostPort(const char* host, HostPort& out);

// A server as a download names it: NAME[:PORT] for plain HTTP (port 80 unless given), or
// https://NAME[:PORT] for HTTPS (port 443 unless given; the scheme in any letter case).
struct ServerAddress {
  bool secure = false;
  const char* hostField = nullptr;  // NAME[:PORT] inside the text given: the Host header
  HostPort target;
};

// False when the NAME[:PORT] part is malformed (see splitHostPort).
bool splitServer(const char* server, ServerAddress& out);

}  // namespace vexa
