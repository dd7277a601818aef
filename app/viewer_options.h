#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vexa {

// What the viewer was asked to do, docked or `--headless`. Texts are as given on the command
// line (UTF-8).
struct ViewerOptions {
  std::string menuHost;  // [https://]HOST[:PORT]; empty for the default menu server
  std::string board;     // the board's title; empty for the default board
  std::string filter;    // the thread-name filter's text
  std::string thread;    // the key of the thread to open at start, as if clicked; empty for none
  std::vector<std::string> ngIds;
  bool hasPolls = false;  // headless only; without it the thread is watched until a signal
  uint32_t polls = 0;
  std::string pagesDir;  // where every page is written as 0001.html, ...; empty for none
};

// Reads the options from argv[1..]: with `headless`, those of `vexa --headless` (its own
// --headless included); without, those of the docked viewer (no --polls). On a usage error
// returns true and sets `error` to a one-line message without the program name.
bool parseViewerOptions(int argc, char** argv, bool headless, ViewerOptions& options,
                        std::string& error);

}  // namespace vexa
