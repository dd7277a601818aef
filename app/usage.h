#pragma once

#include <string>
#include <string_view>

namespace vexa {

// How vexa was asked to run, decided from the whole argument vector before anything starts.
enum class RunMode { Windowed, Headless, Fetch, Help, Version };

// --help or --version anywhere (outside an option's value) wins; otherwise the first --headless
// or --fetch chooses its mode; otherwise the docked viewer runs.
RunMode chooseRunMode(int argc, char** argv);

// True when `text` is HOST or HOST:PORT with a port of 1 to 65535, optionally after https://.
bool isValidHostAndPort(const std::string& text);

// An argument as a message echoes it: control characters (CR, LF, ESC, ...), DEL, the C1
// controls and the bidirectional controls written as escapes ("\r", "\x1B", "\u202E"), so an
// echoed argument can neither move the cursor nor reorder the line. Other bytes pass as they are.
std::string shownArgument(std::string_view argument);

const char* usageText();
// "vexa " and the product version.
const char* versionText();

}  // namespace vexa
