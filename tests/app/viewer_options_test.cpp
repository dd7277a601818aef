#include "app/viewer_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/app/test_argv.h"

namespace vexa {
namespace {

struct Parsed {
  bool failed;
  ViewerOptions options;
  std::string error;
};

Parsed parse(const std::vector<std::string>& args) {
  TestArgv argv(args);
  Parsed parsed;
  parsed.failed = parseViewerOptions(argv.argc(), argv.argv(), true, parsed.options, parsed.error);
  return parsed;
}

TEST(ViewerOptionsTest, ReadsEveryOption) {
  // A value is a value, whatever it looks like; --ng adds up.
  const Parsed parsed = parse({"--filter", "--headless", "--headless", "--thread", "--polls",
                               "--ng", "AbC+/9x", "--ng", "", "--polls", "4294967295"});
  ASSERT_FALSE(parsed.failed) << parsed.error;
  EXPECT_EQ(parsed.options.filter, "--headless");
  EXPECT_EQ(parsed.options.thread, "--polls");
  EXPECT_EQ(parsed.options.ngIds, (std::vector<std::string>{"AbC+/9x", ""}));
  EXPECT_TRUE(parsed.options.hasPolls);
  EXPECT_EQ(parsed.options.polls, 4294967295u);
}

TEST(ViewerOptionsTest, UsageErrors) {
  const std::vector<std::string> cases[] = {
      {"--bogus"},
      {"--headless", "--headless"},
      {"--thread"},
      {"--thread", ""},
      {"--menu-host", "host:65536"},
      {"--thread", "1.dat", "--polls", "-1"},
      {"--thread", "1.dat", "--polls", "4294967296"},
      {"--thread", "1.dat", "--polls", "99999999999999999999999"},
      {"--polls", "1"},  // polls of which thread?
      {"--thread", "1.dat", "--thread", "2.dat"},
      {"--pages", "a", "--pages", "b"},
      // Echoed values show their control characters escaped.
      {"--bogus\r\n\x1B[2J"},
      {"--menu-host", "h\n:80"},
      {"--thread", "1.dat", "--polls", "1\x1B[31m"},
  };
  for (const auto& args : cases) {
    const Parsed parsed = parse(args);
    EXPECT_TRUE(parsed.failed) << ::testing::PrintToString(args);
    EXPECT_FALSE(parsed.error.empty()) << ::testing::PrintToString(args);
    EXPECT_EQ(parsed.error.find_first_of("\r\n\x1B"), std::string::npos) << parsed.error;
  }
}

}  // namespace
}  // namespace vexa
