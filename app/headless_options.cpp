#include "app/headless_options.h"

#include <cstring>

#include "app/usage.h"

namespace vexa {

namespace {

// A count of polls: decimal digits only, at most 4294967295.
bool parseCount(const char* text, uint32_t& value) {
  if (*text == '\0') return false;
  uint64_t total = 0;
  for (const char* p = text; *p != '\0'; ++p) {
    if (*p < '0' || *p > '9') return false;
    total = total * 10 + static_cast<uint64_t>(*p - '0');
    if (total > UINT32_MAX) return false;
  }
  value = static_cast<uint32_t>(total);
  return true;
}

}  // namespace

bool parseHeadlessOptions(int argc, char** argv, HeadlessOptions& options, std::string& error) {
  bool seenHeadless = false;
  bool seen[6] = {};  // menu host, board, filter, thread, polls, pages: each at most once
  for (int i = 1; i < argc && argv[i] != nullptr; ++i) {
    const char* arg = argv[i];
    if (std::strcmp(arg, "--headless") == 0 && !seenHeadless) {
      seenHeadless = true;
      continue;
    }
    struct Valued {
      const char* name;
      int once;  // index into `seen`, -1 for a repeatable option
    };
    static const Valued kValued[] = {{"--menu-host", 0}, {"--board", 1}, {"--filter", 2},
                                     {"--thread", 3},    {"--polls", 4}, {"--pages", 5},
                                     {"--ng", -1}};
    const Valued* option = nullptr;
    for (const Valued& valued : kValued) {
      if (std::strcmp(arg, valued.name) == 0) option = &valued;
    }
    if (option == nullptr) {
      error = std::string("unknown option '") + arg + "' for --headless";
      return true;
    }
    if (i + 1 >= argc || argv[i + 1] == nullptr) {
      error = std::string(arg) + " needs a value";
      return true;
    }
    if (option->once >= 0) {
      if (seen[option->once]) {
        error = std::string(arg) + " given twice";
        return true;
      }
      seen[option->once] = true;
    }
    const char* value = argv[++i];
    switch (option->once) {
      case 0:
        options.menuHost = value;
        if (!isValidHostAndPort(options.menuHost)) {
          error = "bad menu host '" + options.menuHost + "' (expected HOST or HOST:PORT)";
          return true;
        }
        break;
      case 1:
        options.board = value;
        if (options.board.empty()) {
          error = "--board needs a title";
          return true;
        }
        break;
      case 2:
        options.filter = value;
        break;
      case 3:
        options.thread = value;
        if (options.thread.empty()) {
          error = "--thread needs a key";
          return true;
        }
        break;
      case 4:
        if (!parseCount(value, options.polls)) {
          error = std::string("bad poll count '") + value + "' (expected a whole number)";
          return true;
        }
        options.hasPolls = true;
        break;
      case 5:
        options.pagesDir = value;
        if (options.pagesDir.empty()) {
          error = "--pages needs a folder";
          return true;
        }
        break;
      default:
        options.ngIds.emplace_back(value);
        break;
    }
  }
  if (options.hasPolls && options.thread.empty()) {
    error = "--polls needs --thread";
    return true;
  }
  return false;
}

}  // namespace vexa
