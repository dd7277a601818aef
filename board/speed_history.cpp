#include "board/speed_history.h"

namespace vexa {

void recordPostCount(ThreadRecord& record, uint32_t count, int64_t now) {
  SpeedHistory& history = record.history;
  if (history.size() >= 2 && history.back().count == count) {
    history.back().time = now;
  } else {
    history.push_back(SpeedSample{now, count});
  }
  size_t drop = 0;
  while (history.size() - drop >= 3 && history.back().time - history[drop + 1].time >= 3600) {
    ++drop;
  }
  if (drop > 0) history.erase(history.begin(), history.begin() + static_cast<std::ptrdiff_t>(drop));

  record.speed = 0.0;
  if (history.size() < 2) return;
  const SpeedSample& oldest = history.front();
  const SpeedSample& newest = history.back();
  if (newest.time == oldest.time) return;
  record.speed = (static_cast<double>(newest.count) - static_cast<double>(oldest.count)) /
                 static_cast<double>(newest.time - oldest.time);
}

}  // namespace vexa
