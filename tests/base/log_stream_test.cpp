#include "base/log_stream.h"

#include <gtest/gtest.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/platform/test_support.h"

namespace vexa {
namespace {

// Each test runs in a folder of its own and goes back to the old one afterwards.
class LogStreamTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(getcwd(oldDirectory_, sizeof oldDirectory_), nullptr);
    ASSERT_EQ(chdir(directory_.path.c_str()), 0);
  }
  void TearDown() override { ASSERT_EQ(chdir(oldDirectory_), 0); }

  static std::string contents(const char* name) {
    std::ostringstream bytes;
    bytes << std::ifstream(name, std::ios::binary).rdbuf();
    return bytes.str();
  }

  char oldDirectory_[PATH_MAX];
  test::TempDir directory_;
};

void writeLine(LogStream& stream, const char* text) {
  LogLine line(stream);
  line.writeText(text).endLine().release();
}

TEST_F(LogStreamTest, ARunLeavesExactlyTheLinesWrittenInAFreshLog) {
  std::ofstream("vexa.log", std::ios::binary) << "a much longer line from an earlier run\r\n\r\n";
  logStream.setConfiguredName("vexa.log");
  EXPECT_FALSE(logStream.isOpen()) << "nothing is opened before the first line";
  logLine("");
  EXPECT_EQ(contents("vexa.log"), "\r\n") << "flushed at once, the old log truncated";
  logLine("ERROR: fail to create view window.");
  logLine(nullptr);
  logLine("===== program termination correctly =====");
  logStream.close();
  logStream.setConfiguredName(nullptr);
  EXPECT_EQ(contents("vexa.log"),
            "\r\nERROR: fail to create view window.\r\n\r\n"
            "===== program termination correctly =====\r\n");
}

TEST_F(LogStreamTest, AnUnwritableLogIsRetriedAndNeverFallsBackToStandardOutput) {
  // A directory where the file must go, then a missing folder in the name.
  for (const char* name : {"vexa.log", "missing/vexa.log"}) {
    const bool blocked = mkdir(name, 0700) == 0;
    LogStream stream;
    stream.setConfiguredName(name);
    writeLine(stream, "lost");
    EXPECT_FALSE(stream.isOpen()) << name;
    EXPECT_FALSE(stream.isStandardOutput()) << name;
    EXPECT_EQ(stream.output().write("x", 1), 0) << name << ": a write reports nothing written";
    EXPECT_FALSE(stream.ensureOpen()) << name;
    // Once the obstacle is gone the next line opens the file.
    ASSERT_EQ(blocked ? rmdir(name) : mkdir("missing", 0700), 0);
    writeLine(stream, "found");
    stream.close();
    EXPECT_EQ(contents(name), "found\r\n") << name;
  }
}

TEST_F(LogStreamTest, OnlyAStreamWithoutANameUsesStandardOutput) {
  LogStream stream;
  EXPECT_TRUE(stream.ensureOpen());
  EXPECT_TRUE(stream.isStandardOutput());
  EXPECT_STREQ(stream.fileName(), "stdout");
  stream.close();  // must leave the process's standard output open
  EXPECT_NE(fflush(stdout), EOF);
  EXPECT_NE(fprintf(stdout, "%s", ""), -1);

  LogStream errors;
  errors.openStandardError();
  errors.setConfiguredName("vexa.log");
  EXPECT_TRUE(errors.ensureOpen());
  EXPECT_STREQ(errors.fileName(), "stderr");
  EXPECT_NE(access("vexa.log", F_OK), 0) << "an open stream does not open its configured name";
}

TEST_F(LogStreamTest, OpenModesAndCounters) {
  std::ofstream("data.bin", std::ios::binary) << "0123456789";
  struct Case {
    int mode;
    bool text;
    uint32_t size;      // measured for read and append
    uint32_t written;   // reading streams take nothing
    const char* after;  // the file afterwards
  } cases[] = {
      {1, false, 10, 0, "0123456789"},   {1, true, 10, 0, "0123456789"},
      {0, false, 10, 2, "0123456789ab"}, {0, true, 12, 2, "0123456789abab"},
      {-1, false, 0, 2, "ab"},           {-1, true, 0, 2, "ab"},
  };
  for (const Case& c : cases) {
    LogStream stream;
    ASSERT_EQ(stream.open("data.bin", c.mode, c.text), 0) << c.mode << c.text;
    EXPECT_EQ(stream.open("data.bin", c.mode, c.text), -1) << "already open";
    EXPECT_EQ(stream.size(), c.size) << c.mode << c.text;
    EXPECT_EQ(stream.output().write("ab", 2), static_cast<int32_t>(c.written)) << c.mode;
    EXPECT_EQ(stream.output().write("ab", 0), -1);
    EXPECT_EQ(stream.output().transferred(), c.written);
    EXPECT_EQ(stream.output().requested(), 2u);
    stream.close();
    EXPECT_STREQ(stream.fileName(), "");
    EXPECT_EQ(contents("data.bin"), c.after) << c.mode << c.text;
  }
  LogStream stream;
  EXPECT_EQ(stream.open("no/such/file", 1, false), -1);
  EXPECT_EQ(stream.open(nullptr, -1, false), -1);
}

TEST_F(LogStreamTest, RedirectChainsEndAtTheirLastStreamAndLoopsGoNowhere) {
  LogStream first, second, last;
  last.setConfiguredName("last.log");
  first.setRedirect(&second);
  second.setRedirect(&last);
  writeLine(first, "via two");
  writeLine(second, "via one");
  EXPECT_FALSE(first.isOpen() || second.isOpen());
  last.close();
  EXPECT_EQ(contents("last.log"), "via two\r\nvia one\r\n");

  LogStream self;
  self.setConfiguredName("self.log");
  self.setRedirect(&self);  // a self-reference ends the chain at the stream itself
  writeLine(self, "own");
  self.close();
  EXPECT_EQ(contents("self.log"), "own\r\n");

  // A loop of three must neither hang nor write.
  LogStream a, b, c;
  a.setConfiguredName("loop.log");
  a.setRedirect(&b);
  b.setRedirect(&c);
  c.setRedirect(&a);
  EXPECT_FALSE(a.ensureOpen());
  writeLine(b, "nowhere");
  EXPECT_NE(access("loop.log", F_OK), 0);
}

TEST(LogLine, WritesTextAndCharsIntoABuffer) {
  TextBuffer status;
  TextSink sink(status);
  LogLine line(&sink);
  line.writeText("- ").writeText(nullptr).writeChar('\0').writeChar('x').writeText(" -").endLine();
  EXPECT_STREQ(status.text(), "- x -\r\n");
  EXPECT_EQ(sink.write("a\0b", 3), 3) << "the NUL is dropped, the rest kept";
  EXPECT_STREQ(status.text(), "- x -\r\nab");
  LogLine unbound(static_cast<ByteSink*>(nullptr));
  unbound.writeText("x").endLine().writeInteger(5).release();  // no crash
}

TEST(LogLine, WritesNumbersInTheFormatRadix) {
  struct Case {
    const char* name;
    void (*write)(LogLine&);
    NumberFormat format;
    const char* expected;
  } cases[] = {
      {"zero", [](LogLine& l) { l.writeInteger(0); }, {}, "0"},
      {"size line", [](LogLine& l) { l.writeUnsigned(8388608); }, {}, "8388608"},
      {"hex", [](LogLine& l) { l.writeUnsigned(0xBF01); }, {' ', 16, 6, 0}, "BF01"},
      {"octal", [](LogLine& l) { l.writeInteger(-8); }, {' ', 8, 6, 0}, "-10"},
      {"most negative binary",
       [](LogLine& l) { l.writeInteger(INT64_MIN); },
       {' ', 2, 6, 0},
       "-1000000000000000000000000000000000000000000000000000000000000000"},
      {"most negative", [](LogLine& l) { l.writeInteger(INT64_MIN); }, {}, "-9223372036854775808"},
      {"radix 17 means 10", [](LogLine& l) { l.writeInteger(12); }, {' ', 17, 6, 0}, "12"},
      {"width and fill", [](LogLine& l) { l.writeInteger(7); }, {'0', 10, 6, 3}, "007"},
      {"width with space", [](LogLine& l) { l.writeInteger(-7); }, {' ', 10, 6, 4}, "  -7"},
      {"wider than width", [](LogLine& l) { l.writeInteger(12345); }, {'0', 10, 6, 3}, "12345"},
      {"real default", [](LogLine& l) { l.writeReal(1.5); }, {}, "1.500000"},
      {"real precision", [](LogLine& l) { l.writeReal(-2.25); }, {' ', 10, 1, 0}, "-2.2"},
      {"huge real", [](LogLine& l) { l.writeReal(1e300); }, {' ', 10, 2, 0}, "1.00e+300"},
  };
  for (const Case& c : cases) {
    TextBuffer out;
    TextSink sink(out);
    LogLine line(&sink);
    line.format() = c.format;
    c.write(line);
    EXPECT_STREQ(out.text(), c.expected) << c.name;
  }
}

}  // namespace
}  // namespace vexa
