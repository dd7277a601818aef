#include "app/special_variables.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <set>
#include <string>

namespace vexa {
namespace {

const char* (*const kAccessors[])() = {currentDirectoryKey, documentsFolderKey, desktopFolderKey,
                                       appDataFolderKey,    computerNameKey,    userNameKey};

TEST(SpecialVariablesTest, KeysAreDistinctStableAndRegistered) {
  std::set<std::string> keys;
  for (auto accessor : kAccessors) {
    const std::string key = accessor();
    EXPECT_EQ(key.size(), 126u);
    EXPECT_EQ(
        key.find_first_not_of("0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"),
        std::string::npos);
    EXPECT_EQ(accessor(), key);
    EXPECT_NE(nameRegistry().find(key.c_str()), nullptr);
    keys.insert(key);
  }
  EXPECT_EQ(keys.size(), 6u);
}

TEST(SpecialVariablesTest, ValuesAreStoredUnderTheirKeys) {
  VariableTable table;
  addSpecialVariables(table);

  char cwd[4096];
  ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
  EXPECT_STREQ(table.value(currentDirectoryKey()), cwd);
  char host[256] = {};
  ASSERT_EQ(gethostname(host, sizeof host - 1), 0);
  EXPECT_STREQ(table.value(computerNameKey()), host);
  // Nothing but the six keys is added, and nothing under a readable name.
  EXPECT_LE(table.count(), 6u);
  EXPECT_EQ(table.value("HOME"), nullptr);
}

TEST(SpecialVariablesTest, AMissingValueIsAbsent) {
  char saved[4096];
  ASSERT_NE(getcwd(saved, sizeof saved), nullptr);
  char pattern[] = "/tmp/vexa-special-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  ASSERT_EQ(chdir(pattern), 0);
  ASSERT_EQ(rmdir(pattern), 0);  // the current directory now has no name

  VariableTable table;
  addSpecialVariables(table);
  ASSERT_EQ(chdir(saved), 0);
  EXPECT_EQ(table.find(currentDirectoryKey()), nullptr);
  EXPECT_NE(table.find(computerNameKey()), nullptr);
}

TEST(SpecialVariablesTest, DisplayKeptOrDefaulted) {
  struct Case {
    const char* name;
    const char* stored;  // null: no DISPLAY entry
    const char* value;
    const char* expected;
  } cases[] = {
      {"kept", "DISPLAY", ":1", ":1"},
      {"absent", nullptr, nullptr, "127.0.0.1:0.0"},
      {"empty value", "DISPLAY", "", "127.0.0.1:0.0"},
      {"padded name", " DISPLAY\t", "host:2.0", "host:2.0"},
      {"other case is another name", "display", ":3", "127.0.0.1:0.0"},
  };
  for (const Case& c : cases) {
    VariableTable table;
    if (c.stored != nullptr) table.insert(c.stored)->value.assign(c.value);
    ensureDisplayVariable(table);
    EXPECT_STREQ(table.value("DISPLAY"), c.expected) << c.name;
  }
}

}  // namespace
}  // namespace vexa
