#include "app/usage.h"

#include <strings.h>

#include <cstdio>
#include <cstring>

#include "resources/version.h"

namespace vexa {

namespace {

// Options of any mode that take the next argument as their value.
bool takesValue(const char* option) {
  static const char* const kValued[] = {"--menu-host", "--board", "--pages", "--filter",
                                        "--thread",    "--ng",    "--polls"};
  for (const char* valued : kValued) {
    if (std::strcmp(option, valued) == 0) return true;
  }
  return false;
}

// The code point of the two- or three-byte UTF-8 sequence at text[at], or 0 when there is none.
uint32_t utf8CodePoint(std::string_view text, size_t at, size_t& length) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[at + i]); };
  const auto continuation = [&](size_t i) {
    return at + i < text.size() && (byte(i) & 0xC0) == 0x80;
  };
  if ((byte(0) & 0xE0) == 0xC0 && continuation(1)) {
    length = 2;
    return (byte(0) & 0x1Fu) << 6 | (byte(1) & 0x3Fu);
  }
  if ((byte(0) & 0xF0) == 0xE0 && continuation(1) && continuation(2)) {
    length = 3;
    return (byte(0) & 0x0Fu) << 12 | (byte(1) & 0x3Fu) << 6 | (byte(2) & 0x3Fu);
  }
  return 0;
}

bool isBidiControl(uint32_t cp) {
  return (cp >= 0x202A && cp <= 0x202E) || (cp >= 0x2066 && cp <= 0x2069);
}

}  // namespace

std::string shownArgument(std::string_view argument) {
  std::string shown;
  char escape[8];
  for (size_t at = 0; at < argument.size();) {
    const unsigned char byte = static_cast<unsigned char>(argument[at]);
    size_t length = 1;
    const uint32_t cp = byte >= 0x80 ? utf8CodePoint(argument, at, length) : byte;
    if (cp == '\r' || cp == '\n' || cp == '\t') {
      shown += cp == '\r' ? "\\r" : cp == '\n' ? "\\n" : "\\t";
    } else if (byte < 0x20 || byte == 0x7F) {
      std::snprintf(escape, sizeof escape, "\\x%02X", byte);
      shown += escape;
    } else if ((cp >= 0x80 && cp < 0xA0) || isBidiControl(cp)) {
      std::snprintf(escape, sizeof escape, "\\u%04X", static_cast<unsigned>(cp));
      shown += escape;
    } else {
      shown.append(argument.substr(at, length));
    }
    at += length;
  }
  return shown;
}

RunMode chooseRunMode(int argc, char** argv) {
  RunMode mode = RunMode::Windowed;
  for (int i = 1; i < argc && argv[i] != nullptr; ++i) {
    const char* arg = argv[i];
    if (std::strcmp(arg, "--help") == 0) return RunMode::Help;
    if (std::strcmp(arg, "--version") == 0) return RunMode::Version;
    if (mode == RunMode::Windowed && std::strcmp(arg, "--headless") == 0) mode = RunMode::Headless;
    if (mode == RunMode::Windowed && std::strcmp(arg, "--fetch") == 0) mode = RunMode::Fetch;
    // After --fetch everything is a URL, so only the two questions above still count there.
    if (mode != RunMode::Fetch && takesValue(arg)) ++i;
  }
  return mode;
}

bool isValidHostAndPort(const std::string& given) {
  static const char kSecure[] = "https://";
  const bool secure = strncasecmp(given.c_str(), kSecure, sizeof kSecure - 1) == 0;
  const std::string text = secure ? given.substr(sizeof kSecure - 1) : given;
  const size_t colon = text.rfind(':');
  const std::string host = colon == std::string::npos ? text : text.substr(0, colon);
  if (host.empty() || host.find_first_of(" \t\r\n/") != std::string::npos) return false;
  if (colon == std::string::npos) return true;
  const std::string port = text.substr(colon + 1);
  if (port.empty() || port.size() > 5) return false;
  unsigned value = 0;
  for (char c : port) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  return value >= 1 && value <= 65535;
}

const char* usageText() {
  return "Usage:\n"
         "  vexa [--menu-host H] [--board T] [--filter TEXT] [--thread KEY] [--ng ID]...\n"
         "       [--pages DIR]\n"
         "      Run the viewer docked at the edge of the screen.\n"
         "  vexa --headless [--menu-host H] [--board T] [--filter TEXT] [--thread KEY] [--ng "
         "ID]...\n"
         "                  [--polls N] [--pages DIR]\n"
         "      Run the same viewer in a terminal, without windows.\n"
         "  vexa --fetch URL...\n"
         "      Download each URL and report how it went.\n"
         "  vexa --help\n"
         "      Show this text.\n"
         "  vexa --version\n"
         "      Show the program's version.\n"
         "\n"
         "Options:\n"
         "  --menu-host HOST[:PORT]  the board-menu server (port 80 unless given);\n"
         "                           https://HOST[:PORT] reaches it over HTTPS (port 443)\n"
         "  --board TITLE            the title of the board to watch\n"
         "  --pages DIR              also write every page shown to DIR/0001.html, ...\n"
         "  --filter TEXT            the words of the thread-name filter\n"
         "  --thread KEY             open the thread with this key at start\n"
         "  --ng ID                  hide the posts of this ID (may be repeated)\n"
         "  --polls N                (--headless) stop after N polls of the watched thread\n";
}

const char* versionText() {
  return "vexa " VEXA_PRODUCT_VERSION;
}

}  // namespace vexa
