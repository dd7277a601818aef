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

}  // namespace vexa
