#include "app/system_variables.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <set>
#include <string>

namespace vexa {
namespace {

TEST(SystemVariablesTest, SixDistinctStableKeys) {
  std::set<std::string> keys;
  for (auto key : {currentDirectoryKey, documentsFolderKey, desktopFolderKey, appDataFolderKey,
                   computerNameKey, userNameKey}) {
    EXPECT_THAT(key(), ::testing::MatchesRegex("[0-9a-zA-Z]{126}"));
    EXPECT_EQ(key(), key());
    keys.insert(key());
  }
  EXPECT_EQ(keys.size(), 6u);
}

TEST(SystemVariablesTest, DisplayKeptOrDefaulted) {
  struct Case {
    const char* stored;  // null: no DISPLAY entry
    const char* value;
    const char* expected;
  } cases[] = {
      {"DISPLAY", ":1", ":1"},
      {nullptr, nullptr, "127.0.0.1:0.0"},
      {"DISPLAY", "", "127.0.0.1:0.0"},
      {" DISPLAY\t", "host:2.0", "host:2.0"},
      {"display", ":3", "127.0.0.1:0.0"},  // another name
  };
  for (const Case& c : cases) {
    VariableTable table;
    if (c.stored != nullptr) table.insert(c.stored)->value.assign(c.value);
    ensureDisplayVariable(table);
    EXPECT_STREQ(table.value("DISPLAY"), c.expected) << (c.stored ? c.stored : "absent");
  }
}

}  // namespace
}  // namespace vexa
