#include "app/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vexa {
namespace {

std::vector<std::string> argumentsOf(const CommandLine& line) {
  std::vector<std::string> out;
  for (uint32_t i = 0; i < line.count(); ++i) out.emplace_back(line.argument(i));
  EXPECT_EQ(line.argument(line.count()), nullptr);
  return out;
}

// The NUL-separated list, read back by walking it.
std::vector<std::string> listOf(const CommandLine& line) {
  std::vector<std::string> out;
  const char* p = line.argumentText().data();
  if (p == nullptr) return out;
  while (*p != '\0') {
    out.emplace_back(p);
    p += out.back().size() + 1;
  }
  return out;
}

TEST(CommandLineTest, SplitsText) {
  struct Case {
    const char* name;
    const char* text;
    std::vector<std::string> expected;
  } cases[] = {
      {"quotes of both kinds", "prog \"a b\" 'c d' e", {"prog", "a b", "c d", "e"}},
      {"blanks and tabs", "  \t prog\t\targ  ", {"prog", "arg"}},
      {"empty", "", {}},
      {"only blanks", " \t ", {}},
      {"quote inside other quotes", "\"it's\" 'say \"hi\"'", {"it's", "say \"hi\""}},
      // A plain word ends at a quote, and the quote itself is stepped over.
      {"word then quote", "ab\"cd ef\"", {"ab", "cd", "ef"}},
      {"unclosed quote runs to the end", "prog \"a b", {"prog", "a b"}},
      {"unclosed single quote", "'x", {"x"}},
      {"lone quote", "\"", {""}},
      {"empty quotes", "a \"\" b", {"a", "", "b"}},
      {"quote right after quote", "\"a\"\"b\"", {"a", "b"}},
      {"japanese bytes", "prog \x83\x7A\x83\x8D", {"prog", "\x83\x7A\x83\x8D"}},
      {"cr and lf are not blanks", "a\r\nb", {"a\r\nb"}},
  };
  for (const Case& c : cases) {
    CommandSource source;
    source.text = c.text;
    CommandLine line;
    EXPECT_FALSE(line.build(source)) << c.name;
    EXPECT_EQ(argumentsOf(line), c.expected) << c.name;
    EXPECT_EQ(line.source(), &source);
  }
}

TEST(CommandLineTest, ArgumentTextIsAClosedList) {
  CommandSource source;
  source.text = "prog \"a b\" 'c d' e";
  CommandLine line;
  ASSERT_FALSE(line.build(source));
  const char expected[] = "prog\0a b\0c d\0e\0";  // and the array's own NUL closes the list
  ASSERT_NE(line.argumentText().data(), nullptr);
  EXPECT_EQ(std::string(line.argumentText().data(), sizeof expected),
            std::string(expected, sizeof expected));
  EXPECT_EQ(listOf(line), (std::vector<std::string>{"prog", "a b", "c d", "e"}));
  // Each argument points into the list.
  EXPECT_EQ(line.argument(0), line.argumentText().data());
  EXPECT_EQ(line.argument(3), line.argumentText().data() + 13);
}

TEST(CommandLineTest, CopiesAVector) {
  const char* argv[] = {"vexa", "--board", "\xe3\x83\x9b", "", "a b", nullptr};
  struct Case {
    const char* name;
    uint32_t count;
    const char* const* vector;
    std::vector<std::string> expected;
  } cases[] = {
      {"whole argv", 5, argv, {"vexa", "--board", "\xe3\x83\x9b", "", "a b"}},
      {"count limits", 2, argv, {"vexa", "--board"}},
      {"zero count", 0, argv, {}},
      {"null vector", 3, nullptr, {}},
      // A null entry inside the count must not be read.
      {"null entry", 6, argv, {"vexa", "--board", "\xe3\x83\x9b", "", "a b", ""}},
  };
  for (const Case& c : cases) {
    CommandSource source;
    source.count = c.count;
    source.vector = c.vector;
    CommandLine line;
    EXPECT_FALSE(line.build(source)) << c.name;
    EXPECT_EQ(argumentsOf(line), c.expected) << c.name;
  }
}

TEST(CommandLineTest, TextWinsOverVectorAndRebuildReplaces) {
  const char* argv[] = {"from-vector"};
  CommandSource source;
  source.text = "from text";
  source.count = 1;
  source.vector = argv;
  CommandLine line;
  ASSERT_FALSE(line.build(source));
  EXPECT_EQ(argumentsOf(line), (std::vector<std::string>{"from", "text"}));

  CommandSource second;
  second.count = 1;
  second.vector = argv;
  ASSERT_FALSE(line.build(second));
  EXPECT_EQ(argumentsOf(line), (std::vector<std::string>{"from-vector"}));
  EXPECT_EQ(listOf(line), (std::vector<std::string>{"from-vector"}));
}

TEST(CommandLineTest, HugeCommandLines) {
  // 200000 arguments (more than Linux lets a program receive) and one argument of 4 MiB.
  std::string text;
  for (int i = 0; i < 200000; ++i) text += (i % 3 == 0 ? "'q q' " : "ab ");
  std::string big(4 << 20, 'x');
  text += big;
  CommandSource source;
  source.text = text.c_str();
  CommandLine line;
  ASSERT_FALSE(line.build(source));
  ASSERT_EQ(line.count(), 200001u);
  EXPECT_STREQ(line.argument(0), "q q");
  EXPECT_STREQ(line.argument(199999), "ab");
  EXPECT_EQ(std::string(line.argument(200000)), big);

  std::vector<const char*> argv(200000, "--board");
  CommandSource fromVector;
  fromVector.count = static_cast<uint32_t>(argv.size());
  fromVector.vector = argv.data();
  ASSERT_FALSE(line.build(fromVector));
  EXPECT_EQ(line.count(), 200000u);
  EXPECT_STREQ(line.argument(123456), "--board");
}

TEST(CommandLineTest, ImportsTheEnvironment) {
  const char* environment[] = {
      "PATH=/usr/bin:/bin",
      "  PADDED \t=value with = inside",
      "NOEQUALS",
      "=no name",
      "  =blank name",
      "EMPTY=",
      "DUP=first",
      "DUP =second",
      "\x83\x7A=japanese name",
      "TRAILING\r\n=crlf",
      nullptr,
  };
  CommandLine line;
  line.importEnvironment(environment);
  const VariableTable& table = line.variables();
  struct Case {
    const char* key;
    const char* value;  // null: absent
  } cases[] = {
      {"PATH", "/usr/bin:/bin"}, {"PADDED", "value with = inside"},
      {"NOEQUALS", nullptr},     {"EMPTY", ""},
      {"DUP", "second"},         {"\x83\x7A", "japanese name"},
      {"TRAILING", "crlf"},
  };
  for (const Case& c : cases) {
    const char* value = table.value(c.key);
    if (c.value == nullptr) {
      EXPECT_EQ(value, nullptr) << c.key;
    } else {
      ASSERT_NE(value, nullptr) << c.key;
      EXPECT_STREQ(value, c.value) << c.key;
    }
  }
  EXPECT_EQ(table.count(), 6u);
  line.importEnvironment(nullptr);
  EXPECT_EQ(table.count(), 6u);
}

}  // namespace
}  // namespace vexa
