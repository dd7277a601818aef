#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

namespace vexa::test {

// Debian's Python, whose http.server does the HTTP framing in these tests.
inline constexpr const char* kPython = "/usr/bin/python3";
bool pythonAvailable();

// A Python process that serves HTTP on 127.0.0.x and prints "port N" (or http.server's own
// "Serving HTTP on ... port N" line) once it listens. Stopped with SIGTERM when destroyed.
class PythonServer {
 public:
  explicit PythonServer(std::vector<std::string> arguments);
  ~PythonServer();
  PythonServer(const PythonServer&) = delete;
  PythonServer& operator=(const PythonServer&) = delete;

  // 0 when the server did not come up within 20 s.
  uint16_t port() const { return port_; }

 private:
  pid_t pid_ = -1;
  int output_ = -1;
  uint16_t port_ = 0;
};

}  // namespace vexa::test
