#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

namespace vexa {

// Writes the download tasks' status lines to the terminal, one UTF-8 line each (see statusText).
// Every line is written except the size line of a download ("- データ取得 サイズ : N -"), which
// changes after every read step: a server sending a byte at a time would otherwise flood the
// terminal. Of those, one is written at most every kSizeLineGapMs; one held back is written
// before the next other line and by flush(), so the last size of a download always shows.
// Called on the GUI thread, from the tasks' fibers.
class StatusPrinter {
 public:
  static constexpr uint32_t kSizeLineGapMs = 100;
  using Clock = std::function<uint32_t()>;

  // `clock` is a millisecond tick that may wrap; the platform's by default.
  explicit StatusPrinter(FILE* out, Clock clock = {});
  ~StatusPrinter() { flush(); }
  StatusPrinter(const StatusPrinter&) = delete;
  StatusPrinter& operator=(const StatusPrinter&) = delete;

  // `line` is Shift_JIS; `prefix` (UTF-8) goes before it, e.g. "[list] ".
  void print(std::string_view prefix, std::string_view line);
  // Writes the size line held back, if any.
  void flush();

 private:
  void write(const std::string& text);

  FILE* out_;
  Clock clock_;
  std::string held_;        // a size line not written yet, ready to write
  std::string sizePrefix_;  // the prefix of the last size line seen
  bool sizeRun_ = false;    // the last line seen was a size line
  uint32_t lastSizeTick_ = 0;
};

}  // namespace vexa
