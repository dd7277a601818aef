#include "app/headless_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vexa {
namespace {

struct Parsed {
  bool failed;
  HeadlessOptions options;
  std::string error;
};

Parsed parse(std::vector<std::string> args) {
  args.insert(args.begin(), "vexa");
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  Parsed parsed;
  parsed.failed = parseHeadlessOptions(static_cast<int>(args.size()), argv.data(), parsed.options,
                                       parsed.error);
  return parsed;
}

TEST(HeadlessOptionsTest, ReadsEveryOption) {
  const Parsed parsed = parse({"--headless", "--menu-host", "127.0.0.1:8080", "--board", "ホロメキ",
                               "--filter", "+実況 -雑談", "--thread", "1700000400.dat", "--ng",
                               "AbC+/9x", "--ng", "", "--polls", "3", "--pages", "/tmp/pages"});
  ASSERT_FALSE(parsed.failed) << parsed.error;
  EXPECT_EQ(parsed.options.menuHost, "127.0.0.1:8080");
  EXPECT_EQ(parsed.options.board, "ホロメキ");
  EXPECT_EQ(parsed.options.filter, "+実況 -雑談");
  EXPECT_EQ(parsed.options.thread, "1700000400.dat");
  EXPECT_EQ(parsed.options.ngIds, (std::vector<std::string>{"AbC+/9x", ""}));
  EXPECT_TRUE(parsed.options.hasPolls);
  EXPECT_EQ(parsed.options.polls, 3u);
  EXPECT_EQ(parsed.options.pagesDir, "/tmp/pages");
}

TEST(HeadlessOptionsTest, DefaultsAndValuesThatLookLikeOptions) {
  Parsed parsed = parse({"--headless"});
  ASSERT_FALSE(parsed.failed);
  EXPECT_TRUE(parsed.options.menuHost.empty());
  EXPECT_TRUE(parsed.options.thread.empty());
  EXPECT_FALSE(parsed.options.hasPolls);

  // A value is a value, whatever it looks like.
  parsed = parse({"--filter", "--headless", "--headless", "--thread", "--polls"});
  ASSERT_FALSE(parsed.failed) << parsed.error;
  EXPECT_EQ(parsed.options.filter, "--headless");
  EXPECT_EQ(parsed.options.thread, "--polls");

  parsed = parse({"--headless", "--thread", "1.dat", "--polls", "0"});
  ASSERT_FALSE(parsed.failed);
  EXPECT_TRUE(parsed.options.hasPolls);
  EXPECT_EQ(parsed.options.polls, 0u);

  parsed = parse({"--headless", "--thread", "1.dat", "--polls", "4294967295"});
  ASSERT_FALSE(parsed.failed);
  EXPECT_EQ(parsed.options.polls, 4294967295u);
}

TEST(HeadlessOptionsTest, UsageErrors) {
  const std::vector<std::vector<std::string>> cases = {
      {"--headless", "--bogus"},
      {"--headless", "extra"},
      {"--headless", "--headless"},
      {"--headless", "--fetch", "http://127.0.0.1/"},
      {"--headless", "--thread"},
      {"--headless", "--ng"},
      {"--headless", "--thread", ""},
      {"--headless", "--board", ""},
      {"--headless", "--pages", ""},
      {"--headless", "--menu-host", ""},
      {"--headless", "--menu-host", "host:0"},
      {"--headless", "--menu-host", "host:65536"},
      {"--headless", "--menu-host", "host:80x"},
      {"--headless", "--menu-host", "a b"},
      {"--headless", "--thread", "1.dat", "--polls", "-1"},
      {"--headless", "--thread", "1.dat", "--polls", "1.5"},
      {"--headless", "--thread", "1.dat", "--polls", ""},
      {"--headless", "--thread", "1.dat", "--polls", "4294967296"},
      {"--headless", "--thread", "1.dat", "--polls", "99999999999999999999999"},
      {"--headless", "--polls", "1"},  // polls of which thread?
      {"--headless", "--thread", "1.dat", "--thread", "2.dat"},
      {"--headless", "--pages", "a", "--pages", "b"},
  };
  for (const auto& args : cases) {
    const Parsed parsed = parse(args);
    std::string joined;
    for (const std::string& arg : args) joined += arg + " ";
    EXPECT_TRUE(parsed.failed) << joined;
    EXPECT_FALSE(parsed.error.empty()) << joined;
  }
}

}  // namespace
}  // namespace vexa
