#include "app/variable_table.h"

#include <gtest/gtest.h>

namespace vexa {
namespace {

TEST(VariableTableTest, KeysAreTrimmed) {
  struct Case {
    const char* stored;
    const char* lookedUp;
    bool found;
  } cases[] = {
      {"NAME", "NAME", true},       {" \tNAME", "NAME", true}, {"NAME \t\r\n", "NAME", true},
      {"NAME", "  NAME\r\n", true}, {"NA ME", "NA ME", true},  // blanks inside a name stay
      {"NA ME", "NAME", false},     {"name", "NAME", false},   // bytes compare exactly
      {"\nNAME", "NAME", false},                               // leading CR and LF are not trimmed
      {"NAME\v", "NAME", false},
  };
  for (const Case& c : cases) {
    VariableTable table;
    VariableTable::Entry* entry = table.insert(c.stored);
    ASSERT_NE(entry, nullptr) << c.stored;
    entry->value.assign("v");
    EXPECT_EQ(table.find(c.lookedUp) != nullptr, c.found) << c.stored << " / " << c.lookedUp;
  }
}

TEST(VariableTableTest, EmptyKeysAreNeitherStoredNorFound) {
  VariableTable table;
  for (const char* key : {"", " ", "\t \r\n", static_cast<const char*>(nullptr)}) {
    EXPECT_EQ(table.insert(key), nullptr);
    EXPECT_EQ(table.find(key), nullptr);
  }
  EXPECT_EQ(table.count(), 0u);
}

TEST(VariableTableTest, InsertReturnsTheExistingEntry) {
  VariableTable table;
  VariableTable::Entry* first = table.insert("KEY");
  ASSERT_NE(first, nullptr);
  first->value.assign("one");
  VariableTable::Entry* again = table.insert(" KEY ");
  EXPECT_EQ(again, first);
  EXPECT_STREQ(again->value.text(), "one");  // the caller assigns; insert keeps the value
  EXPECT_STREQ(first->key.text(), "KEY");
  EXPECT_EQ(table.count(), 1u);
}

}  // namespace
}  // namespace vexa
