#pragma once

#include <cstdio>
#include <string>

#include "net/download_host.h"

namespace vexa {

// A task's status view for the terminal: each time the status line changes to a different text
// it is written to `out` as one UTF-8 line after `prefix` ("[list] " or "[watch] "). Called on
// the task's fiber.
class HeadlessStatusView : public StatusView {
 public:
  HeadlessStatusView(FILE* out, const char* prefix) : out_(out), prefix_(prefix) {}

  void statusChanged(const char* text) override;

  // The last line written, as the task gave it (Shift_JIS).
  const std::string& last() const { return last_; }

 private:
  FILE* out_;
  const char* prefix_;
  std::string last_;
  bool any_ = false;
};

}  // namespace vexa
