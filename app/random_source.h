#pragma once

#include <cstdint>

namespace vexa {

// A small linear congruential generator: each step is state * 1664525 + 1013904223 (mod 2^32),
// folded into 0 .. 2147483646 by a reduction modulo 2147483647. It only has to make names
// that differ from run to run, not numbers fit for statistics or secrets.
// Used on the GUI thread only.
class RandomSource {
 public:
  explicit RandomSource(uint32_t seed) : state_(seed) {}

  uint32_t nextInteger();
  uint32_t currentInteger() const { return state_; }
  // state / 2147483647, in [0, 1).
  double nextReal();
  double currentReal() const;
  float nextFloat();
  float currentFloat() const;

 private:
  uint32_t state_;
};

// The process's generator, created on first use and seeded with the calendar time in seconds.
RandomSource& processRandomSource();

}  // namespace vexa
