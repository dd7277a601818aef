#pragma once

#include <cstdint>
#include <cstdio>

#include "base/text_buffer.h"

namespace vexa {

// Where a LogLine writes bytes. Every write adds what it moved and what it was asked to move
// to the two counters.
class ByteSink {
 public:
  virtual ~ByteSink() = default;

  // Bytes written: 0 when the sink cannot take output, -1 for a count of 0.
  int32_t write(const char* bytes, uint32_t count);
  virtual void flush() {}

  uint64_t transferred() const { return transferred_; }
  uint64_t requested() const { return requested_; }
  void resetCounters() { transferred_ = requested_ = 0; }

 protected:
  virtual int32_t writeBytes(const char* bytes, uint32_t count) = 0;

 private:
  uint64_t transferred_ = 0;
  uint64_t requested_ = 0;
};

// A sink that appends to a text buffer (status lines, pages). NUL bytes cannot be held by the
// buffer and are dropped.
class TextSink : public ByteSink {
 public:
  explicit TextSink(TextBuffer& buffer) : buffer_(buffer) {}

 protected:
  int32_t writeBytes(const char* bytes, uint32_t count) override;

 private:
  TextBuffer& buffer_;
};

class LogStream;

// The writing side of a LogStream; follows the stream's redirect chain.
class LogOutput : public ByteSink {
 public:
  explicit LogOutput(LogStream& stream) : stream_(stream) {}
  void flush() override;

 protected:
  int32_t writeBytes(const char* bytes, uint32_t count) override;

 private:
  LogStream& stream_;
};

// A file stream opened on first use. The log is used only from the GUI thread and the fibers
// on it; it has no lock, and nothing in the write path yields, so a line is never split.
class LogStream {
 public:
  LogStream() : output_(*this) {}
  ~LogStream() { close(); }
  LogStream(const LogStream&) = delete;
  LogStream& operator=(const LogStream&) = delete;

  // mode < 0 writes (create or truncate), 0 appends, > 0 reads; `text` picks text mode.
  // 0 on success, -1 on failure or when a file is already open.
  int open(const char* name, int mode, bool text);
  // Use the process's standard output or standard error when no file is open.
  void openStandardOutput();
  void openStandardError();
  void close();
  // Whether output can go somewhere: opens the stream at the end of the redirect chain, or
  // the configured name ("wb"), or, only when no name is configured, the standard output. A
  // redirect chain that loops gives false.
  bool ensureOpen();

  // The name opened by the next ensureOpen; null or empty means none. The text is copied.
  void setConfiguredName(const char* name);
  // Sends every write to the end of `target`'s redirect chain; null writes to this stream.
  void setRedirect(LogStream* target) { redirect_ = target; }

  ByteSink& output() { return output_; }
  bool isOpen() const { return file_ != nullptr; }
  bool isStandardOutput() const { return isStandardOutput_; }
  int mode() const { return mode_; }
  uint32_t size() const { return size_; }
  const char* fileName() const { return fileName_.text(); }

 private:
  friend class LogOutput;

  void attachStandard(FILE* file, const char* name);
  // The stream at the end of the redirect chain; null when the chain loops back on itself.
  LogStream* chainEnd();

  LogOutput output_;
  bool isStandardOutput_ = false;
  bool isStandardStream_ = false;  // stdout or stderr: detached, never closed
  bool text_ = false;
  int mode_ = 0;
  uint32_t size_ = 0;
  FILE* file_ = nullptr;
  TextBuffer fileName_;
  TextBuffer configuredName_;
  LogStream* redirect_ = nullptr;
};

// The process-wide log: "vexa.log" for the windowed program once start-up names it.
extern LogStream logStream;

// How numbers are written: integers in radix 2 to 16 (others mean 10), reals in decimal with
// `precision` digits after the point (at most 17), and a minimum width padded on the left with
// `fill`.
struct NumberFormat {
  char fill = ' ';
  uint32_t radix = 10;
  uint32_t precision = 6;
  uint32_t width = 0;
};

// A short-lived text writer. On a LogStream it opens the log if needed and writes one line;
// release flushes. It also writes into any other sink (a status line's text buffer).
class LogLine {
 public:
  explicit LogLine(LogStream& stream);
  explicit LogLine(ByteSink* sink) : sink_(sink) {}
  ~LogLine() {
    if (dirty_) release();
  }
  LogLine(const LogLine&) = delete;
  LogLine& operator=(const LogLine&) = delete;

  LogLine& writeText(const char* text);
  // A NUL byte is not written.
  LogLine& writeChar(char byte);
  LogLine& writeInteger(int64_t value);
  LogLine& writeUnsigned(uint64_t value);
  LogLine& writeReal(double value);
  // CR LF.
  LogLine& endLine();
  // Flushes the sink; further releases do nothing until something is written again.
  void release();

  NumberFormat& format() { return format_; }

 private:
  void writePadded(const char* digits, uint32_t length);

  ByteSink* sink_;
  NumberFormat format_;
  bool dirty_ = false;
};

// Writes `text` and CR LF to the process-wide log as one flushed line.
void logLine(const char* text);

}  // namespace vexa
