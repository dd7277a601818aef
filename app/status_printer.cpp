#include "app/status_printer.h"

#include <utility>

#include "app/headless_page_text.h"
#include "base/sjis.h"
#include "platform/clock.h"

namespace vexa {

namespace {

bool isSizeLine(std::string_view line) {
  const std::string_view start = "- データ取得 サイズ : "_sjis;
  return line.size() > start.size() && line.substr(0, start.size()) == start &&
         line.ends_with(" -");
}

}  // namespace

StatusPrinter::StatusPrinter(FILE* out, Clock clock) : out_(out), clock_(std::move(clock)) {
  if (!clock_) clock_ = [] { return platform::tickMs(); };
}

void StatusPrinter::write(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), out_);
  std::fflush(out_);
}

void StatusPrinter::flush() {
  if (held_.empty()) return;
  write(held_);
  held_.clear();
}

void StatusPrinter::print(std::string_view prefix, std::string_view line) {
  std::string shown(prefix);
  shown += statusText(line);
  shown += '\n';
  if (!isSizeLine(line)) {
    flush();
    write(shown);
    sizeRun_ = false;
    return;
  }
  // A size line of another task starts a run of its own.
  if (sizeRun_ && prefix != sizePrefix_) flush();
  const uint32_t now = clock_();
  if (sizeRun_ && prefix == sizePrefix_ && now - lastSizeTick_ < kSizeLineGapMs) {
    held_ = std::move(shown);
    return;
  }
  held_.clear();
  write(shown);
  sizeRun_ = true;
  sizePrefix_.assign(prefix);
  lastSizeTick_ = now;
}

}  // namespace vexa
