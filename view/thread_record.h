#pragma once

#include <cstdint>
#include <vector>

#include "base/text_buffer.h"

namespace vexa {

// A thread takes at most this many posts; at this count it is full.
inline constexpr uint32_t kThreadFullCount = 1000;

// One observation of a thread's post count.
struct SpeedSample {
  int64_t time = 0;  // seconds since the epoch
  uint32_t count = 0;
};

// Samples oldest first; the thread list keeps it short and derives the speed from it.
using SpeedHistory = std::vector<SpeedSample>;

// One thread of the board's subject.txt, kept for the whole run once seen. Plain data: the thread
// list in board/ fills it, sorts it and computes its speed; the page writer only reads it.
struct ThreadRecord {
  uint32_t lineNumber = 0;  // 1-based line in the latest subject.txt that listed it
  uint32_t postCount = 0;   // the count given in that line
  TextBuffer key;           // e.g. digits + ".dat"; compared byte for byte
  TextBuffer title;         // Shift_JIS as the line carries it, entities not decoded
  SpeedHistory history;
  double speed = 0.0;     // posts per second; 0 when it cannot be computed
  uint32_t listedIn = 0;  // the thread list's load that last listed it

  // Listed at some point and at 1000 posts or more.
  bool full() const { return lineNumber != 0 && postCount >= kThreadFullCount; }
};

}  // namespace vexa
