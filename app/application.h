#pragma once

#include <array>
#include <cstdint>

#include "app/command_line.h"
#include "app/usage.h"
#include "app/viewer_options.h"
#include "base/shared_object.h"
#include "platform/instance_guard.h"

namespace vexa {

// One of the records the windows may attach a shared object and a colour to. Nothing reads them
// yet; they live as long as the Application and are destroyed in reverse order.
struct ApplicationSlot {
  ApplicationSlot() = default;
  ~ApplicationSlot() {
    if (shared != nullptr) shared->release();
  }
  ApplicationSlot(const ApplicationSlot&) = delete;
  ApplicationSlot& operator=(const ApplicationSlot&) = delete;

  SharedObject* shared = nullptr;                // one counted reference, released on destruction
  uint8_t colour[4] = {0xFF, 0xFF, 0xFF, 0xFF};  // alpha, red, green, blue
  uint32_t fields[3] = {0, 12, 0};
};

// The process's application object. Its constructor is the whole run of the docked viewer:
// it reads the command line and environment, sets the locale, takes the single-instance guard,
// opens vexa.log, runs the main window and shuts down. The entry point only creates and deletes
// it. Lives on the first thread for the life of the process.
class Application {
 public:
  static constexpr int kSlotCount = 33;

  // `source` and the strings it points to must outlive the Application.
  Application(const CommandSource& source, ViewerOptions options);
  virtual ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  const CommandLine& commandLine() const { return commandLine_; }
  const ViewerOptions& options() const { return options_; }
  // What the process should exit with: 0 unless the docked viewer failed.
  int exitStatus() const { return exitStatus_; }

 private:
  void run();

  std::array<ApplicationSlot, kSlotCount> slots_;
  CommandLine commandLine_;
  ViewerOptions options_;
  int exitStatus_ = 0;
  // Held until the process ends, so a second start in the meantime gives way.
  platform::InstanceGuard guard_;
};

}  // namespace vexa
