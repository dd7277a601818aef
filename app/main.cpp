#include <cstdio>
#include <memory>
#include <new>
#include <string>

#include "app/application.h"
#include "app/front_ends.h"
#include "app/usage.h"
#include "app/viewer_options.h"

int main(int argc, char** argv) {
  using namespace vexa;
  switch (chooseRunMode(argc, argv)) {
    case RunMode::Help:
      std::fputs(usageText(), stdout);
      return 0;
    case RunMode::Version:
      std::printf("%s\n", versionText());
      return 0;
    case RunMode::Fetch:
      return runFetchFrontEnd(argc, argv);
    case RunMode::Headless:
      return runHeadlessFrontEnd(argc, argv);
    case RunMode::Windowed:
      break;
  }

  ViewerOptions options;
  std::string error;
  if (parseViewerOptions(argc, argv, false, options, error)) {
    std::fprintf(stderr, "vexa: %s\nTry 'vexa --help' for more information.\n", error.c_str());
    return 2;
  }

  CommandSource source;
  source.count = argc > 0 ? static_cast<uint32_t>(argc) : 0;
  source.vector = argv;
  // The whole run happens inside the constructor.
  std::unique_ptr<Application> application(new (std::nothrow)
                                               Application(source, std::move(options)));
  const int status = application ? application->exitStatus() : 0;
  application.reset();
  return status;
}
