#include "net/cookie_store.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vexa {
namespace {

int compare(const std::string& a, const std::string& b) {
  int result = compareNames(a.data(), static_cast<uint32_t>(a.size()), b.data(),
                            static_cast<uint32_t>(b.size()));
  return result < 0 ? -1 : result > 0 ? 1 : 0;
}

TEST(CompareNames, FollowsTheNameOrder) {
  // Bytes below "0" by value; ":" to "@"; "[" to "`"; "{" to "~"; digits; letters with their case
  // ignored (the store test shows "B" is "b"); bytes from 0x7F up. A name comes before the
  // longer names it begins.
  const std::vector<std::string> order = {"",   " ", "!", "-", "/",    ":",    "@",    "[",   "_",
                                          "`",  "{", "~", "0", "9",    "a",    "a-b",  "a_b", "a0b",
                                          "ab", "B", "y", "Z", "\x7f", "\x80", "\x81", "\xff"};
  for (size_t i = 0; i < order.size(); ++i) {
    for (size_t j = i + 1; j < order.size(); ++j) {
      EXPECT_EQ(compare(order[i], order[j]), -1) << order[i] << " before " << order[j];
      EXPECT_EQ(compare(order[j], order[i]), 1) << order[i] << " before " << order[j];
    }
  }
}

TEST(CookieStore, KeepsOneTrimmedEntryPerNameInOrder) {
  CookieStore store;
  store.set("b", "1");
  store.set(" \tA\r\n", "2");
  store.set("_x", "3");
  store.set("9", "4");
  store.set("B", "5");  // the same cookie as "b", which keeps its first spelling
  store.set("9", nullptr);
  for (const char* empty : {"", " \t\r\n"}) store.set(empty, "v");
  EXPECT_EQ(store.findOrCreate(nullptr), nullptr);
  std::vector<std::string> entries;
  for (const CookieEntry* entry = store.first(); entry; entry = store.after(entry)) {
    entries.push_back(std::string(entry->name.text()) + "=" + entry->value.text());
  }
  EXPECT_EQ(entries, (std::vector<std::string>{"_x=3", "9=", "A=2", "b=5"}));
}

TEST(CookieStore, KeepsTheFirstFiftyCookiesOfAtMost4096Bytes) {
  const std::string fits(4096 - 4, 'v');  // with the name "keep", exactly the limit
  struct Case {
    std::string name;
    std::string value;
    bool kept;
  };
  const std::vector<Case> cases = {
      {"keep", fits, true},
      {" long ", fits + "v", false},  // the trimmed name counts, the blanks do not
      {std::string(4097, 'n'), "", false},
      {"empty", "", true},
  };
  for (const Case& c : cases) {
    CookieStore store;
    store.set(c.name.c_str(), c.value.c_str());
    EXPECT_EQ(store.size(), c.kept ? 1u : 0u) << c.name.substr(0, 8);
  }

  CookieStore store;
  for (int i = 0; i < 1000; ++i) store.set(("c" + std::to_string(1000 + i)).c_str(), "1");
  EXPECT_EQ(store.size(), CookieStore::kMaxCookies);
  EXPECT_EQ(store.findOrCreate("c1050"), nullptr);
  // The first ones keep working: they change, in any letter case, and stay.
  store.set("C1000", "2");
  store.set("c1049", (fits + "vvvvv").c_str());  // too long: the old value stays
  std::vector<std::string> entries;
  for (const CookieEntry* entry = store.first(); entry; entry = store.after(entry)) {
    entries.push_back(std::string(entry->name.text()) + "=" + entry->value.text());
  }
  ASSERT_EQ(entries.size(), 50u);
  EXPECT_EQ(entries.front(), "c1000=2");
  EXPECT_EQ(entries.back(), "c1049=1");
}

}  // namespace
}  // namespace vexa
