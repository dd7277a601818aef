#include "app/application.h"

#include <clocale>
#include <utility>

#include "app/front_ends.h"
#include "app/random_name.h"
#include "app/system_variables.h"
#include "base/log_stream.h"
#include "platform/signals.h"

extern char** environ;

namespace vexa {

Application::Application(const CommandSource& source, ViewerOptions options)
    : options_(std::move(options)) {
  // A command line that cannot be stored is left empty: the options were already read from argv.
  commandLine_.build(source);
  commandLine_.importEnvironment(environ);
  addSpecialVariables(commandLine_.variables());
  ensureDisplayVariable(commandLine_.variables());

  std::setlocale(LC_ALL, "");
  // Numbers are read and written the C way whatever the user's language (the player needs it).
  std::setlocale(LC_NUMERIC, "C");

  // The window class name is drawn now, before any window asks for it.
  windowClassName();

  run();
}

Application::~Application() = default;

void Application::run() {
  using Result = platform::InstanceGuard::Result;
  const Result guard = guard_.acquire("vexa-mutex");
  // Another instance runs: leave at once and leave its log alone.
  if (guard == Result::HeldElsewhere) return;

  logStream.setConfiguredName("vexa.log");
  logLine("");
  // Without a lock file we cannot tell whether another instance runs; running is the lesser harm.
  if (guard == Result::Failed) logLine("WARNING: fail to create single-instance lock.");

  {
    platform::QuitSignals quitSignals;
    if (quitSignals.failed()) logLine("WARNING: fail to install signal handlers.");

    exitStatus_ = runDockedViewer(options_);
  }

  logLine("===== program termination correctly =====");
}

}  // namespace vexa
