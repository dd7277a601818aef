#pragma once

#include "app/viewer_options.h"

namespace vexa {

// The modes that run without a window, the single-instance guard or vexa.log. Each gets the
// process's whole argument vector (its own option included) and returns the exit status.
int runFetchFrontEnd(int argc, char** argv);
int runHeadlessFrontEnd(int argc, char** argv);

// The docked viewer's interactive part, inside the run of the Application (which holds the
// guard and the log): opens the display, runs the main window until the user quits or a signal
// ends the run, and closes every window. Returns the exit status; a display that cannot be
// opened is logged, said on standard error, and gives 1.
int runDockedViewer(const ViewerOptions& options);

}  // namespace vexa
