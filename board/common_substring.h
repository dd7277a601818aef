#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace vexa {

// Measures the longest common substring (plain bytes) of one fixed text with many others.
// Built once in time linear in the text, each query is linear in the other text, so comparing a
// title with every thread of a long list stays cheap even for hostile 4 KB titles.
class CommonSubstring {
 public:
  explicit CommonSubstring(std::string_view text);

  // Length in bytes of the longest byte string that occurs in both texts.
  uint32_t longestWith(std::string_view other) const;

 private:
  struct State {
    int32_t link = -1;
    uint32_t length = 0;
    std::array<int32_t, 256> next;
  };
  int32_t addState(uint32_t length);

  std::vector<State> states_;
};

}  // namespace vexa
