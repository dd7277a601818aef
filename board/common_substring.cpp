#include "board/common_substring.h"

namespace vexa {

// A suffix automaton of the text: every substring of the text is a path from state 0.

int32_t CommonSubstring::addState(uint32_t length) {
  State state;
  state.length = length;
  state.next.fill(-1);
  states_.push_back(state);
  return static_cast<int32_t>(states_.size() - 1);
}

CommonSubstring::CommonSubstring(std::string_view text) {
  states_.reserve(text.size() * 2 + 1);
  addState(0);
  int32_t last = 0;
  for (const char c : text) {
    const uint8_t byte = static_cast<uint8_t>(c);
    const int32_t current = addState(states_[last].length + 1);
    int32_t p = last;
    while (p != -1 && states_[p].next[byte] == -1) {
      states_[p].next[byte] = current;
      p = states_[p].link;
    }
    if (p == -1) {
      states_[current].link = 0;
    } else {
      const int32_t q = states_[p].next[byte];
      if (states_[p].length + 1 == states_[q].length) {
        states_[current].link = q;
      } else {
        const int32_t clone = addState(states_[p].length + 1);
        states_[clone].next = states_[q].next;
        states_[clone].link = states_[q].link;
        while (p != -1 && states_[p].next[byte] == q) {
          states_[p].next[byte] = clone;
          p = states_[p].link;
        }
        states_[q].link = clone;
        states_[current].link = clone;
      }
    }
    last = current;
  }
}

uint32_t CommonSubstring::longestWith(std::string_view other) const {
  int32_t state = 0;
  uint32_t length = 0;
  uint32_t best = 0;
  for (const char c : other) {
    const uint8_t byte = static_cast<uint8_t>(c);
    while (state != 0 && states_[state].next[byte] == -1) {
      state = states_[state].link;
      length = states_[state].length;
    }
    if (states_[state].next[byte] != -1) {
      state = states_[state].next[byte];
      ++length;
    } else {
      length = 0;
    }
    if (length > best) best = length;
  }
  return best;
}

}  // namespace vexa
