#include "board/common_substring.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace vexa {
namespace {

uint32_t bruteForce(const std::string& a, const std::string& b) {
  uint32_t best = 0;
  for (size_t i = 0; i < a.size(); ++i) {
    for (size_t j = 0; j < b.size(); ++j) {
      uint32_t length = 0;
      while (i + length < a.size() && j + length < b.size() && a[i + length] == b[j + length]) {
        ++length;
      }
      if (length > best) best = length;
    }
  }
  return best;
}

TEST(CommonSubstringTest, KnownPairs) {
  struct Case {
    std::string a, b;
    uint32_t length;
  };
  const std::vector<Case> cases = {
      {"", "", 0},
      {"abc", "", 0},
      {"", "abc", 0},
      {"abc", "xyz", 0},
      {"abcdef", "zcdez", 3},
      {"Live thread Part 12", "Live thread Part 13", 18},
      {"aaaa", "aa", 2},
      {"abab", "babab", 4},
      {std::string("\x00\xFF\x80", 3), std::string("\xFF\x80\x00", 3), 2},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CommonSubstring(c.a).longestWith(c.b), c.length) << c.a << " / " << c.b;
  }
}

TEST(CommonSubstringTest, AgreesWithBruteForceOnRandomTexts) {
  std::mt19937 random(12345);
  for (int round = 0; round < 400; ++round) {
    // Small alphabets make long repeats likely, which is where the automaton's links matter.
    const int alphabet = 1 + static_cast<int>(random() % 4);
    auto make = [&](size_t length) {
      std::string text;
      for (size_t i = 0; i < length; ++i)
        text.push_back(static_cast<char>('a' + random() % alphabet));
      return text;
    };
    const std::string a = make(random() % 40);
    const CommonSubstring common(a);
    for (int other = 0; other < 5; ++other) {
      const std::string b = make(random() % 40);
      ASSERT_EQ(common.longestWith(b), bruteForce(a, b)) << a << " / " << b;
    }
  }
}

}  // namespace
}  // namespace vexa
