#include "app/random_name.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace vexa {
namespace {

// Expected names were worked out by hand from the generator's sequence for seed 1.
struct NameCase {
  const char* name;
  bool noDigits, noLower, noUpper;
  const char* expected;
};

TEST(RandomNameTest, AlphabetsFromSeedOne) {
  const NameCase cases[] = {
      {"all", false, false, false, "6l9YOpr"},
      {"digits only", false, true, true, "8712835"},
      {"lower only", true, false, true, "mhvqipv"},
      {"upper only", true, true, false, "MHVQIPV"},
      {"digits and upper", false, true, false, "0F7AIDH"},
      {"nothing", true, true, true, ""},
  };
  for (const NameCase& c : cases) {
    RandomSource source(1);
    char buffer[8];
    std::memset(buffer, 'x', sizeof buffer);
    makeRandomName(&source, buffer, sizeof buffer, c.noDigits, c.noLower, c.noUpper);
    EXPECT_STREQ(buffer, c.expected) << c.name;
  }
}

TEST(RandomNameTest, SizesAndNullBuffers) {
  RandomSource source(1);
  makeRandomName(&source, nullptr, 16, false, false, false);
  char one[1] = {'x'};
  makeRandomName(&source, one, 0, false, false, false);
  EXPECT_EQ(one[0], 'x');                  // size 0 leaves the buffer alone
  EXPECT_EQ(source.currentInteger(), 1u);  // and draws nothing
  makeRandomName(&source, one, 1, false, false, false);
  EXPECT_EQ(one[0], '\0');

  char key[127];
  makeRandomName(&source, key, sizeof key, false, false, false);
  EXPECT_EQ(std::strlen(key), 126u);
}

TEST(RandomNameTest, WindowClassNameIsStable) {
  const std::string first = windowClassName();
  EXPECT_EQ(first.size(), 15u);
  EXPECT_EQ(
      first.find_first_not_of("0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"),
      std::string::npos);
  processRandomSource().nextInteger();
  EXPECT_EQ(windowClassName(), first);
  EXPECT_EQ(windowClassName(), windowClassName());
}

}  // namespace
}  // namespace vexa
