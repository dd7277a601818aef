#include "app/viewer_options.h"

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

bool parseViewerOptions(int argc, char** argv, bool headless, ViewerOptions& options,
                        std::string& error) {
  bool seenHeadless = !headless;
  bool seen[6] = {};
  for (int i = 1; i < argc && argv[i] != nullptr; ++i) {
    const char* arg = argv[i];
    if (std::strcmp(arg, "--headless") == 0 && !seenHeadless) {
      seenHeadless = true;
      continue;
    }
    // Every option but --ng may be given once; the enum doubles as the index into `seen`.
    enum Option { MenuHost, Board, Filter, Thread, Polls, Pages, Ng };
    struct Valued {
      const char* name;
      Option option;
    };
    static const Valued kValued[] = {
        {"--menu-host", MenuHost}, {"--board", Board}, {"--filter", Filter}, {"--thread", Thread},
        {"--polls", Polls},        {"--pages", Pages}, {"--ng", Ng}};
    const Valued* option = nullptr;
    for (const Valued& valued : kValued) {
      if (std::strcmp(arg, valued.name) == 0) option = &valued;
    }
    if (option == nullptr || (!headless && option->option == Polls)) {
      error = std::string(arg[0] == '-' ? "unknown option '" : "unexpected argument '") +
              shownArgument(arg) + (headless ? "' for --headless" : "'");
      return true;
    }
    if (i + 1 >= argc || argv[i + 1] == nullptr) {
      error = std::string(arg) + " needs a value";
      return true;
    }
    if (option->option != Ng) {
      if (seen[option->option]) {
        error = std::string(arg) + " given twice";
        return true;
      }
      seen[option->option] = true;
    }
    const char* value = argv[++i];
    switch (option->option) {
      case MenuHost:
        options.menuHost = value;
        if (!isValidHostAndPort(options.menuHost)) {
          error = "bad menu host '" + shownArgument(options.menuHost) +
                  "' (expected [https://]HOST[:PORT])";
          return true;
        }
        break;
      case Board:
        options.board = value;
        if (options.board.empty()) {
          error = "--board needs a title";
          return true;
        }
        break;
      case Filter:
        options.filter = value;
        break;
      case Thread:
        options.thread = value;
        if (options.thread.empty()) {
          error = "--thread needs a key";
          return true;
        }
        break;
      case Polls:
        if (!parseCount(value, options.polls)) {
          error = "bad poll count '" + shownArgument(value) + "' (expected a whole number)";
          return true;
        }
        options.hasPolls = true;
        break;
      case Pages:
        options.pagesDir = value;
        if (options.pagesDir.empty()) {
          error = "--pages needs a folder";
          return true;
        }
        break;
      case Ng:
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
