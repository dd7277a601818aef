#include "app/usage.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/app/test_argv.h"

namespace vexa {
namespace {

TEST(UsageTest, ChoosesTheRunMode) {
  struct Case {
    std::vector<std::string> args;
    RunMode expected;
  } cases[] = {
      {{}, RunMode::Windowed},
      {{"--headless", "--help"}, RunMode::Help},
      {{"--menu-host", "127.0.0.1:8080", "--headless"}, RunMode::Headless},
      {{"--fetch", "--headless"}, RunMode::Fetch},
      {{"--headless", "--fetch"}, RunMode::Headless},
      // An option's value is not an option, whatever it looks like, except after --fetch, where
      // all are URLs; the first of --help and --version wins.
      {{"--ng", "--help", "--version", "--help"}, RunMode::Version},
      {{"--fetch", "--board", "--help"}, RunMode::Help},
      // A trailing valued option without its value must not read past argv.
      {{"--board"}, RunMode::Windowed},
  };
  for (const Case& c : cases) {
    TestArgv argv(c.args);
    EXPECT_EQ(chooseRunMode(argv.argc(), argv.argv()), c.expected)
        << ::testing::PrintToString(c.args);
  }
}

TEST(UsageTest, HostAndPort) {
  for (const char* text : {"example.org", "127.0.0.1:8080", "h:1", "h:65535"}) {
    EXPECT_TRUE(isValidHostAndPort(text)) << text;
  }
  for (const char* text : {"h:0", "h:65536", "h:99999999999999999999", "h:80x", "h:", ":80", "",
                           "a b", "h/x:80", "h:-80"}) {
    EXPECT_FALSE(isValidHostAndPort(text)) << text;
  }
}

TEST(UsageTest, WindowedUsageErrors) {
  WindowedOptions options;
  std::string error;
  const std::vector<std::string> refused[] = {
      {"--menu-host", "h:0"}, {"--menu-host"}, {"--board", ""}, {"--unknown"},
      {"--board=x"},          {"stray"},       {"-"},
  };
  for (const std::vector<std::string>& args : refused) {
    TestArgv argv(args);
    error.clear();
    EXPECT_TRUE(parseWindowedOptions(argv.argc(), argv.argv(), options, error)) << args[0];
    EXPECT_FALSE(error.empty()) << args[0];
  }
}

}  // namespace
}  // namespace vexa
