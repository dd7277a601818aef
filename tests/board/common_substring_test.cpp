#include "board/common_substring.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

namespace vexa {

TEST(CommonSubstringTest, AgreesWithBruteForceOnRandomTexts) {
  // Few distinct bytes make long repeats likely, which is where the automaton's links matter;
  // NUL and high bytes count as bytes like any other.
  const char alphabet[] = {'a', 'b', '\0', '\x80', '\xFF'};
  std::mt19937 random(12345);
  for (int round = 0; round < 2000; ++round) {
    const size_t letters = 1 + random() % 5;
    std::string a(random() % 40, 'a'), b(random() % 40, 'a');
    for (char& c : a) c = alphabet[random() % letters];
    for (char& c : b) c = alphabet[random() % letters];
    uint32_t longest = 0;
    for (size_t i = 0; i < a.size(); ++i) {
      for (size_t j = 0; j < b.size(); ++j) {
        uint32_t length = 0;
        while (i + length < a.size() && j + length < b.size() && a[i + length] == b[j + length]) {
          ++length;
        }
        longest = std::max(longest, length);
      }
    }
    ASSERT_EQ(CommonSubstring(a).longestWith(b), longest) << a << " / " << b;
  }
}

}  // namespace vexa
