#pragma once

#include <string>

namespace vexa {

// Where the board is found. The front ends fill this from the command line; the viewer copies it
// at construction.
struct BoardSettings {
  // The board-menu server, NAME or NAME:PORT. The default is a local server on port 8080, where
  // the demo board (tools/) can run; a real board service is named with --menu-host.
  static constexpr const char* kDefaultMenuHost = "127.0.0.1:8080";
  static constexpr const char* kMenuPath = "/bbsmenu.html";

  std::string menuHost = kDefaultMenuHost;
  // The title of the watched board in the menu, as Shift_JIS bytes. Empty means the default,
  // "ホロメキ".
  std::string boardTitle;
};

// The title to search for: the settings' own, or the default when none is given.
std::string boardTitleOf(const BoardSettings& settings);

}  // namespace vexa
