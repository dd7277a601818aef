#pragma once

#include <string>
#include <string_view>

namespace vexa::platform {

// The user's folders and names that start-up records. Each look-up returns true when it failed
// (`out` is then empty) and reads the process environment, so call them on the GUI thread
// during start-up only.
bool currentDirectory(std::string& out);
// The XDG documents and desktop folders, from user-dirs.dirs; without an entry the desktop is
// $HOME/Desktop and documents are $HOME, as xdg-user-dir answers.
bool documentsFolder(std::string& out);
bool desktopFolder(std::string& out);
// $XDG_DATA_HOME, or $HOME/.local/share.
bool appDataFolder(std::string& out);
bool computerName(std::string& out);
bool userName(std::string& out);

// $HOME when it is an absolute path, else the home folder of the user's password entry.
bool homeFolder(std::string& out);

// Finds `key` (for example "XDG_DESKTOP_DIR") in the text of a user-dirs.dirs file. Only the
// forms KEY="$HOME/..." and KEY="/..." count; backslash escapes are undone and a trailing slash
// is dropped. The last valid line wins. True when there is no usable entry.
bool findUserDir(std::string_view fileText, std::string_view key, std::string_view home,
                 std::string& out);

}  // namespace vexa::platform
