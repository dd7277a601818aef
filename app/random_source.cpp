#include "app/random_source.h"

#include <ctime>

namespace vexa {

namespace {
constexpr uint32_t kModulus = 0x7FFFFFFFu;
}

uint32_t RandomSource::nextInteger() {
  // Unsigned arithmetic wraps, which is the mod 2^32 of the step.
  state_ = (state_ * 1664525u + 1013904223u) % kModulus;
  return state_;
}

double RandomSource::nextReal() {
  nextInteger();
  return currentReal();
}

double RandomSource::currentReal() const {
  return state_ / static_cast<double>(kModulus);
}

float RandomSource::nextFloat() {
  nextInteger();
  return currentFloat();
}

float RandomSource::currentFloat() const {
  return static_cast<float>(currentReal());
}

RandomSource& processRandomSource() {
  static RandomSource source(static_cast<uint32_t>(std::time(nullptr)));
  return source;
}

}  // namespace vexa
