#include "app/usage.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vexa {
namespace {

// Holds an argv built from a list; argv[argc] is null like the real one.
class Argv {
 public:
  Argv(std::initializer_list<const char*> args) {
    strings_.emplace_back("vexa");
    for (const char* a : args) strings_.emplace_back(a);
    for (std::string& s : strings_) pointers_.push_back(s.data());
    pointers_.push_back(nullptr);
  }
  int argc() const { return static_cast<int>(strings_.size()); }
  char** argv() { return pointers_.data(); }

 private:
  std::vector<std::string> strings_;
  std::vector<char*> pointers_;
};

TEST(UsageTest, ChoosesTheRunMode) {
  struct Case {
    std::initializer_list<const char*> args;
    RunMode expected;
  } cases[] = {
      {{}, RunMode::Windowed},
      {{"--board", "x"}, RunMode::Windowed},
      {{"--help"}, RunMode::Help},
      {{"--version"}, RunMode::Version},
      {{"--headless", "--help"}, RunMode::Help},
      {{"--board", "t", "--version", "--help"}, RunMode::Version},
      {{"--headless", "--thread", "123"}, RunMode::Headless},
      {{"--menu-host", "127.0.0.1:8080", "--headless"}, RunMode::Headless},
      {{"--fetch", "http://127.0.0.1/"}, RunMode::Fetch},
      {{"--fetch", "--headless"}, RunMode::Fetch},
      {{"--headless", "--fetch"}, RunMode::Headless},
      {{"--fetch", "--help"}, RunMode::Help},
      // An option's value is not an option, whatever it looks like.
      {{"--board", "--help"}, RunMode::Windowed},
      {{"--filter", "--fetch", "--headless"}, RunMode::Headless},
      {{"--ng", "--version"}, RunMode::Windowed},
      {{"--fetch", "--board", "--help"}, RunMode::Help},
      // A trailing valued option without its value must not read past argv.
      {{"--board"}, RunMode::Windowed},
      {{"-h"}, RunMode::Windowed},
  };
  for (const Case& c : cases) {
    Argv argv(c.args);
    EXPECT_EQ(chooseRunMode(argv.argc(), argv.argv()), c.expected)
        << "case with " << c.args.size() << " arguments";
  }
}

TEST(UsageTest, WindowedOptions) {
  struct Case {
    std::initializer_list<const char*> args;
    bool failed;
    const char* menuHost;
    const char* board;
    const char* pages;
  } cases[] = {
      {{}, false, "", "", ""},
      {{"--menu-host", "example.org", "--board", "b", "--pages", "/tmp/p"},
       false,
       "example.org",
       "b",
       "/tmp/p"},
      {{"--menu-host", "127.0.0.1:8080"}, false, "127.0.0.1:8080", "", ""},
      {{"--board", "first", "--board", "second"}, false, "", "second", ""},
      {{"--board", "-leading-dash"}, false, "", "-leading-dash", ""},
      {{"--menu-host", "h:0"}, true, "", "", ""},
      {{"--menu-host", "h:65536"}, true, "", "", ""},
      {{"--menu-host", "h:99999999999999999999"}, true, "", "", ""},
      {{"--menu-host", "h:80x"}, true, "", "", ""},
      {{"--menu-host", "h:"}, true, "", "", ""},
      {{"--menu-host", ":80"}, true, "", "", ""},
      {{"--menu-host", "h:65535"}, false, "h:65535", "", ""},
      {{"--menu-host"}, true, "", "", ""},
      {{"--board", ""}, true, "", "", ""},
      {{"--unknown"}, true, "", "", ""},
      {{"--board=x"}, true, "", "", ""},
      {{"stray"}, true, "", "", ""},
      {{"-"}, true, "", "", ""},
  };
  for (const Case& c : cases) {
    Argv argv(c.args);
    WindowedOptions options;
    std::string error;
    const bool failed = parseWindowedOptions(argv.argc(), argv.argv(), options, error);
    EXPECT_EQ(failed, c.failed) << error;
    EXPECT_EQ(failed, !error.empty());
    if (failed || c.failed) continue;
    EXPECT_EQ(options.menuHost, c.menuHost);
    EXPECT_EQ(options.board, c.board);
    EXPECT_EQ(options.pagesDir, c.pages);
  }
}

}  // namespace
}  // namespace vexa
