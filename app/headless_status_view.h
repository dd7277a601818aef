#pragma once

#include <string>

#include "app/status_printer.h"
#include "net/download_host.h"

namespace vexa {

// A task's status view for the terminal: each time the status line changes to a different text
// it goes to the printer after `prefix` ("[list] ", "[watch] ", or nothing). Called on the
// task's fiber.
class HeadlessStatusView : public StatusView {
 public:
  HeadlessStatusView(StatusPrinter& printer, const char* prefix)
      : printer_(printer), prefix_(prefix) {}

  void statusChanged(const char* text) override;

 private:
  StatusPrinter& printer_;
  const char* prefix_;
  std::string last_;
  bool any_ = false;
};

}  // namespace vexa
