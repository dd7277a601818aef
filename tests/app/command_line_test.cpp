#include "app/command_line.h"

#include <gtest/gtest.h>

#include <map>
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

TEST(CommandLineTest, SplitsTheTextOrCopiesTheVector) {
  const char* argv[] = {"vexa", "--board", "\xe3\x83\x9b", "", "a b", nullptr};
  struct Case {
    const char* text;  // when set, it wins over the vector
    uint32_t count;
    const char* const* vector;
    std::vector<std::string> expected;
  } cases[] = {
      {"prog \"a b\" 'c d' e", 5, argv, {"prog", "a b", "c d", "e"}},
      {"  \t prog\t\targ  ", 5, argv, {"prog", "arg"}},
      {"", 5, argv, {}},
      {"\"it's\" 'say \"hi\"'", 0, nullptr, {"it's", "say \"hi\""}},
      // A plain word ends at a quote, and the quote itself is stepped over.
      {"ab\"cd ef\"", 0, nullptr, {"ab", "cd", "ef"}},
      // An unclosed quote runs to the end.
      {"prog \"a b", 0, nullptr, {"prog", "a b"}},
      {"\"", 0, nullptr, {""}},
      {"a \"\" b", 0, nullptr, {"a", "", "b"}},
      {"prog \x83\x7A\x83\x8D", 0, nullptr, {"prog", "\x83\x7A\x83\x8D"}},
      {"a\r\nb", 0, nullptr, {"a\r\nb"}},  // CR and LF are not blanks
      {nullptr, 5, argv, {"vexa", "--board", "\xe3\x83\x9b", "", "a b"}},
      {nullptr, 2, argv, {"vexa", "--board"}},
      {nullptr, 0, argv, {}},
      {nullptr, 3, nullptr, {}},
      // A null entry inside the count must not be read.
      {nullptr, 6, argv, {"vexa", "--board", "\xe3\x83\x9b", "", "a b", ""}},
  };
  // One CommandLine for all: each build replaces what the one before stored.
  CommandLine line;
  for (const Case& c : cases) {
    const CommandSource source = {c.text, c.count, c.vector};
    EXPECT_FALSE(line.build(source)) << (c.text ? c.text : "vector");
    EXPECT_EQ(argumentsOf(line), c.expected) << (c.text ? c.text : "vector");
  }
}

TEST(CommandLineTest, ImportsTheEnvironmentUnderTrimmedNames) {
  // Leading spaces and tabs and trailing spaces, tabs, CRs and LFs are not part of a name.
  const char* environment[] = {"  PADDED \t=value with = inside",
                               "NOEQUALS",
                               "=no name",
                               " \t =blank name",
                               "EMPTY=",
                               "DUP=first",
                               "DUP \r\n=second",
                               "\x83\x7A=japanese",
                               "NA ME=inner",
                               "\nLF=x",
                               "VT\v=x",
                               nullptr};
  CommandLine line;
  line.importEnvironment(environment);
  line.importEnvironment(nullptr);
  std::map<std::string, std::string> imported;
  line.variables().forEach([&](const VariableTable::Entry& entry) {
    imported[entry.key.text()] = entry.value.text();
    return false;
  });
  // Blanks inside a name stay, leading CRs and LFs and other controls too; bytes compare exactly.
  const std::map<std::string, std::string> expected = {{"PADDED", "value with = inside"},
                                                       {"EMPTY", ""},
                                                       {"DUP", "second"},
                                                       {"\x83\x7A", "japanese"},
                                                       {"NA ME", "inner"},
                                                       {"\nLF", "x"},
                                                       {"VT\v", "x"}};
  EXPECT_EQ(imported, expected);
  // Names are trimmed when looked up too.
  EXPECT_STREQ(line.variables().value(" PADDED\r\n"), "value with = inside");
  EXPECT_EQ(line.variables().find(" \t"), nullptr);
}

}  // namespace
}  // namespace vexa
