#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vexa {

// What `vexa --headless` was asked to do. Texts are as given on the command line (UTF-8).
struct HeadlessOptions {
  std::string menuHost;  // [https://]HOST[:PORT]; empty for the default menu server
  std::string board;     // the board's title; empty for the default board
  std::string filter;    // the thread-name filter's text
  std::string thread;    // the key of the thread to watch; empty: show the list and stop
  std::vector<std::string> ngIds;
  bool hasPolls = false;  // without --polls the thread is watched until a signal ends the run
  uint32_t polls = 0;
  std::string pagesDir;  // where every page is written as 0001.html, ...; empty for none
};

// Reads the options of the headless mode from argv[1..] (its own --headless included). On a
// usage error returns true and sets `error` to a one-line message without the program name.
bool parseHeadlessOptions(int argc, char** argv, HeadlessOptions& options, std::string& error);

}  // namespace vexa
