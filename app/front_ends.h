#pragma once

namespace vexa {

// The modes that run without a window, the single-instance guard or vexa.log. Each gets the
// process's whole argument vector (its own option included) and returns the exit status.
int runFetchFrontEnd(int argc, char** argv);
int runHeadlessFrontEnd(int argc, char** argv);

}  // namespace vexa
