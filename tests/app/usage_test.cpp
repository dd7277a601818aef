#include "app/usage.h"
#include "app/viewer_options.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
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
  for (const char* text :
       {"example.org", "127.0.0.1:8080", "h:1", "h:65535", "https://h", "HTTPS://h:8443"}) {
    EXPECT_TRUE(isValidHostAndPort(text)) << text;
  }
  for (const char* text :
       {"h:0", "h:65536", "h:99999999999999999999", "h:80x", "h:", ":80", "", "a b", "h/x:80",
        "h:-80", "https://", "https://h:0", "http://h", "https://h/board/", "ftp://h"}) {
    EXPECT_FALSE(isValidHostAndPort(text)) << text;
  }
}

TEST(UsageTest, WindowedUsageErrors) {
  ViewerOptions options;
  std::string error;
  const std::vector<std::string> refused[] = {
      {"--menu-host", "h:0"}, {"--menu-host"}, {"--board", ""}, {"--unknown"},
      {"--board=x"},          {"stray"},       {"-"},
  };
  for (const std::vector<std::string>& args : refused) {
    TestArgv argv(args);
    error.clear();
    EXPECT_TRUE(parseViewerOptions(argv.argc(), argv.argv(), false, options, error)) << args[0];
    EXPECT_FALSE(error.empty()) << args[0];
  }
}

TEST(UsageTest, EchoedArgumentsCannotDriveTheTerminal) {
  const std::string rlo = "\xE2\x80\xAE", lri = "\xE2\x81\xA6";
  const std::pair<std::string, std::string> cases[] = {
      {"plain ホロメキ h:80", "plain ホロメキ h:80"},
      {"a\r\nb\tc", "a\\r\\nb\\tc"},
      {"\x1B[2J\x1B]0;title\x07\x7F", "\\x1B[2J\\x1B]0;title\\x07\\x7F"},
      {"abc" + rlo + "txt.exe" + lri, "abc\\u202Etxt.exe\\u2066"},
      // C1 CSI as UTF-8; a cut sequence and stray bytes pass as they are.
      {"\xC2\x9B"
       "2J",
       "\\u009B2J"},
      {"\xE2\x80", "\xE2\x80"},
      {"\xFF\x80", "\xFF\x80"},
  };
  for (const auto& [argument, shown] : cases) EXPECT_EQ(shownArgument(argument), shown);

  // Every echo of an argument goes through it.
  const std::vector<std::string> echoed[] = {
      {"--menu-host", "h\r\n\x1B[31m"}, {"\x1B[2J"}, {"--x" + rlo}};
  for (const std::vector<std::string>& args : echoed) {
    TestArgv argv(args);
    ViewerOptions options;
    std::string error;
    EXPECT_TRUE(parseViewerOptions(argv.argc(), argv.argv(), false, options, error));
    EXPECT_EQ(error.find_first_of("\r\n\x1B"), std::string::npos) << error;
    EXPECT_EQ(error.find(rlo), std::string::npos) << error;
  }
}

}  // namespace
}  // namespace vexa
