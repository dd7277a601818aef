#include "base/log_stream.h"

#include <cmath>
#include <cstring>

namespace vexa {

LogStream logStream;

int32_t ByteSink::write(const char* bytes, uint32_t count) {
  int32_t written = count == 0 ? -1 : bytes == nullptr ? 0 : writeBytes(bytes, count);
  transferred_ += written > 0 ? static_cast<uint32_t>(written) : 0;
  requested_ += count;
  return written;
}

int32_t TextSink::writeBytes(const char* bytes, uint32_t count) {
  uint32_t written = 0;
  while (written < count) {
    // Appends up to the next NUL, which the buffer could not hold.
    uint32_t piece = static_cast<uint32_t>(strnlen(bytes + written, count - written));
    if (piece > 0) buffer_.append(bytes + written, piece);
    written += piece;
    if (written < count) ++written;
  }
  return static_cast<int32_t>(count > INT32_MAX ? INT32_MAX : count);
}

int32_t LogOutput::writeBytes(const char* bytes, uint32_t count) {
  LogStream* target = stream_.chainEnd();
  if (target == nullptr || target->file_ == nullptr || target->mode_ > 0) return 0;
  size_t written = std::fwrite(bytes, 1, count, target->file_);
  return static_cast<int32_t>(written > INT32_MAX ? INT32_MAX : written);
}

void LogOutput::flush() {
  LogStream* target = stream_.chainEnd();
  if (target != nullptr && target->file_ != nullptr) std::fflush(target->file_);
}

int LogStream::open(const char* name, int mode, bool text) {
  if (file_ != nullptr) return -1;
  if (name == nullptr || name[0] == '\0') {
    fileName_.clear();
    return -1;
  }
  // "e": the descriptor must not leak into the helper processes the program starts.
  const char* how = mode > 0   ? (text ? "rte" : "rbe")
                    : mode < 0 ? (text ? "wte" : "wbe")
                               : (text ? "a+te" : "abe");
  FILE* file = std::fopen(name, how);
  if (file == nullptr) {
    fileName_.clear();
    return -1;
  }
  size_ = 0;
  if (mode >= 0) {
    long start = (std::fseek(file, 0, SEEK_END) == 0) ? std::ftell(file) : -1;
    long end = start;
    if (std::fseek(file, 0, SEEK_SET) == 0) start = std::ftell(file);
    if (start >= 0 && end >= start) {
      uint64_t measured = static_cast<uint64_t>(end - start);
      size_ = measured > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(measured);
    }
  }
  file_ = file;
  mode_ = mode;
  text_ = text;
  isStandardOutput_ = false;
  isStandardStream_ = false;
  fileName_.assign(name);
  return 0;
}

void LogStream::attachStandard(FILE* file, const char* name) {
  if (file_ != nullptr) return;
  file_ = file;
  mode_ = -1;
  text_ = false;
  size_ = 0;
  isStandardStream_ = true;
  fileName_.assign(name);
}

void LogStream::openStandardOutput() {
  if (file_ != nullptr) return;
  attachStandard(stdout, "stdout");
  isStandardOutput_ = true;
}

void LogStream::openStandardError() {
  attachStandard(stderr, "stderr");
}

void LogStream::close() {
  fileName_.clear();
  output_.resetCounters();
  if (file_ != nullptr) {
    if (isStandardStream_) {
      std::fflush(file_);  // the process's own stream stays open for others
    } else {
      std::fclose(file_);
    }
  }
  file_ = nullptr;
  isStandardOutput_ = false;
  isStandardStream_ = false;
  mode_ = 0;
  size_ = 0;
}

LogStream* LogStream::chainEnd() {
  // Two pointers at different speeds: a loop of any length is caught instead of followed
  // forever.
  LogStream* slow = this;
  LogStream* fast = this;
  while (true) {
    for (int i = 0; i < 2; ++i) {
      LogStream* next = fast->redirect_;
      if (next == nullptr || next == fast) return fast;
      fast = next;
    }
    slow = slow->redirect_;
    if (slow == fast) return nullptr;
  }
}

bool LogStream::ensureOpen() {
  if (redirect_ != nullptr) {
    LogStream* end = chainEnd();
    if (end == nullptr) return false;
    // The end of the chain opens its own file, so a redirected line is not lost.
    if (end != this) return end->ensureOpen();
  }
  if (file_ == nullptr) {
    if (!configuredName_.empty()) {
      open(configuredName_.text(), -1, false);
    } else {
      openStandardOutput();
    }
  }
  return file_ != nullptr;
}

void LogStream::setConfiguredName(const char* name) {
  configuredName_.assign(name);
}

LogLine::LogLine(LogStream& stream) : sink_(&stream.output()) {
  stream.ensureOpen();
}

LogLine& LogLine::writeText(const char* text) {
  if (sink_ != nullptr && text != nullptr && text[0] != '\0') {
    sink_->write(text, static_cast<uint32_t>(strlen(text)));
    dirty_ = true;
  }
  return *this;
}

LogLine& LogLine::writeChar(char byte) {
  if (sink_ != nullptr && byte != '\0') {
    sink_->write(&byte, 1);
    dirty_ = true;
  }
  return *this;
}

LogLine& LogLine::endLine() {
  if (sink_ != nullptr) {
    sink_->write("\r\n", 2);
    dirty_ = true;
  }
  return *this;
}

void LogLine::release() {
  if (sink_ != nullptr) sink_->flush();
  dirty_ = false;
}

namespace {

// Room for 64 binary digits, a sign and the NUL.
constexpr uint32_t kScratchSize = 72;

uint32_t toDigits(char* scratch, uint64_t value, uint32_t radix, bool negative) {
  static const char kDigits[] = "0123456789ABCDEF";
  char reversed[kScratchSize];
  uint32_t n = 0;
  do {
    reversed[n++] = kDigits[value % radix];
    value /= radix;
  } while (value != 0);
  uint32_t length = 0;
  if (negative) scratch[length++] = '-';
  while (n > 0) scratch[length++] = reversed[--n];
  scratch[length] = '\0';
  return length;
}

uint32_t usableRadix(uint32_t radix) {
  return radix >= 2 && radix <= 16 ? radix : 10;
}

}  // namespace

void LogLine::writePadded(const char* digits, uint32_t length) {
  for (uint32_t i = length; i < format_.width; ++i) writeChar(format_.fill);
  writeText(digits);
}

LogLine& LogLine::writeInteger(int64_t value) {
  char scratch[kScratchSize];
  // The magnitude is taken unsigned so that the most negative value does not overflow.
  uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  writePadded(scratch, toDigits(scratch, magnitude, usableRadix(format_.radix), value < 0));
  return *this;
}

LogLine& LogLine::writeUnsigned(uint64_t value) {
  char scratch[kScratchSize];
  writePadded(scratch, toDigits(scratch, value, usableRadix(format_.radix), false));
  return *this;
}

LogLine& LogLine::writeReal(double value) {
  char scratch[kScratchSize];
  int precision = format_.precision > 17 ? 17 : static_cast<int>(format_.precision);
  int length = std::snprintf(scratch, sizeof scratch, "%.*f", precision, value);
  if (length < 0 || length >= static_cast<int>(sizeof scratch)) {
    // Too many digits before the point for the scratch: the exponent form always fits.
    length = std::snprintf(scratch, sizeof scratch, "%.*e", precision, value);
  }
  if (length < 0) return *this;
  writePadded(scratch, static_cast<uint32_t>(length));
  return *this;
}

void logLine(const char* text) {
  LogLine line(logStream);
  line.writeText(text);
  line.endLine();
  line.release();
}

}  // namespace vexa
