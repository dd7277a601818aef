#include "net/cookie_store.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace vexa {
namespace {

int sign(int value) {
  return value < 0 ? -1 : value > 0 ? 1 : 0;
}

TEST(CompareNames, FollowsTheNameOrder) {
  struct Case {
    const char* a;
    const char* b;
    int expected;
  };
  // The order: bytes below "0" by value; ":"-"@"; "["-"`"; "{"-"~"; digits; letters (case
  // ignored); bytes from 0x7F up.
  const std::vector<Case> cases = {
      {"a", "a", 0},      {"a", "A", 0},     {"ABC", "abc", 0},    {"a", "b", -1},
      {"B", "a", 1},      {"Z", "a", 1},     {"9", "a", -1},       {"0", "9", -1},
      {"@", "0", -1},     {":", "@", -1},    {"/", ":", -1},       {" ", "!", -1},
      {"`", "0", -1},     {"@", "[", -1},    {"`", "{", -1},       {"~", "0", -1},
      {"_", "a", -1},     {"z", "\x7f", -1}, {"\x7f", "\x80", -1}, {"\x81", "\xff", -1},
      {"a", "ab", -1},    {"", "a", -1},     {"ab", "aB", 0},      {"a_b", "a0b", -1},
      {"a-b", "a0b", -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.a) + " vs " + c.b);
    int result = compareNames(c.a, static_cast<uint32_t>(std::strlen(c.a)), c.b,
                              static_cast<uint32_t>(std::strlen(c.b)));
    EXPECT_EQ(sign(result), c.expected);
    int reverse = compareNames(c.b, static_cast<uint32_t>(std::strlen(c.b)), c.a,
                               static_cast<uint32_t>(std::strlen(c.a)));
    EXPECT_EQ(sign(reverse), -c.expected);
  }
}

std::vector<std::string> names(const CookieStore& store) {
  std::vector<std::string> out;
  for (const CookieEntry* entry = store.first(); entry; entry = store.after(entry)) {
    out.push_back(std::string(entry->name.text()) + "=" + entry->value.text());
  }
  return out;
}

TEST(CookieStore, KeepsOneTrimmedEntryPerNameInOrder) {
  CookieStore store;
  store.set("b", "1");
  store.set(" \tA\r\n", "2");
  store.set("_x", "3");
  store.set("9", "4");
  store.set("B", "5");  // same cookie as "b"
  EXPECT_EQ(names(store), (std::vector<std::string>{"_x=3", "9=4", "A=2", "b=5"}));
  EXPECT_EQ(store.size(), 4u);
}

TEST(CookieStore, EmptyNamesAreNotStoredAndNullValuesAreEmpty) {
  CookieStore store;
  EXPECT_EQ(store.findOrCreate(nullptr), nullptr);
  EXPECT_EQ(store.findOrCreate(""), nullptr);
  EXPECT_EQ(store.findOrCreate(" \t\r\n"), nullptr);
  store.set("", "v");
  EXPECT_EQ(store.size(), 0u);
  store.set("a", "1");
  store.set("a", nullptr);
  EXPECT_EQ(names(store), (std::vector<std::string>{"a="}));
  CookieEntry* entry = store.findOrCreate("A");
  ASSERT_NE(entry, nullptr);
  EXPECT_STREQ(entry->name.text(), "a") << "the first spelling stays";
}

TEST(CookieStore, EntriesKeepTheirAddressesAsOthersArrive) {
  CookieStore store;
  CookieEntry* first = store.findOrCreate("m");
  for (int i = 0; i < 200; ++i) store.set(("n" + std::to_string(i)).c_str(), "x");
  EXPECT_EQ(store.findOrCreate("M"), first);
  EXPECT_EQ(store.after(nullptr), nullptr);
}

}  // namespace
}  // namespace vexa
