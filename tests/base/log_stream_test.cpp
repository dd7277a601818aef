#include "base/log_stream.h"

#include <gtest/gtest.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>

namespace vexa {
namespace {

// Runs each test in a fresh temporary directory and returns to the old one afterwards.
class LogStreamTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(getcwd(oldDirectory_, sizeof oldDirectory_), nullptr);
    char pattern[] = "/tmp/vexa-log-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    directory_ = pattern;
    ASSERT_EQ(chdir(directory_.c_str()), 0);
  }
  void TearDown() override {
    ASSERT_EQ(chdir(oldDirectory_), 0);
    std::string command = "rm -rf '" + directory_ + "'";
    ASSERT_EQ(system(command.c_str()), 0);
  }

  static std::string contents(const char* name) {
    std::ifstream file(name, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
  }
  static bool exists(const char* name) {
    struct stat info;
    return stat(name, &info) == 0;
  }

  char oldDirectory_[PATH_MAX];
  std::string directory_;
};

void writeLine(LogStream& stream, const char* text) {
  LogLine line(stream);
  line.writeText(text);
  line.endLine();
  line.release();
}

TEST_F(LogStreamTest, ARunLeavesExactlyTheLinesWritten) {
  {
    LogStream stream;
    stream.setConfiguredName("vexa.log");
    EXPECT_FALSE(exists("vexa.log")) << "nothing is opened before the first line";
    writeLine(stream, "");
    EXPECT_EQ(contents("vexa.log"), "\r\n") << "flushed at release";
    writeLine(stream, "ERROR: fail to create view window.");
    writeLine(stream, "===== program termination correctly =====");
  }
  EXPECT_EQ(contents("vexa.log"),
            "\r\nERROR: fail to create view window.\r\n"
            "===== program termination correctly =====\r\n");
}

TEST_F(LogStreamTest, ASecondRunTruncatesTheLog) {
  {
    std::ofstream old("vexa.log", std::ios::binary);
    old << "a much longer line from an earlier run\r\n\r\n";
  }
  LogStream stream;
  stream.setConfiguredName("vexa.log");
  writeLine(stream, "");
  EXPECT_EQ(contents("vexa.log"), "\r\n");
}

TEST_F(LogStreamTest, AnUnwritableLogIsRetriedAndNeverFallsBackToStandardOutput) {
  struct Case {
    const char* name;
    const char* blocker;  // a directory that stands where the file or its folder must be
  };
  const Case cases[] = {
      {"vexa.log", "vexa.log"},
      {"missing/vexa.log", nullptr},
  };
  for (const Case& c : cases) {
    if (c.blocker != nullptr) {
      ASSERT_EQ(mkdir(c.blocker, 0700), 0);
    }
    LogStream stream;
    stream.setConfiguredName(c.name);
    {
      LogLine line(stream);
      line.writeText("lost");
      line.endLine();
      line.release();
    }
    EXPECT_FALSE(stream.isOpen()) << c.name;
    EXPECT_FALSE(stream.isStandardOutput()) << c.name;
    EXPECT_EQ(stream.output().write("x", 1), 0) << c.name << ": a write reports nothing written";
    EXPECT_FALSE(stream.ensureOpen()) << c.name;

    // Once the obstacle is gone the next line opens the file.
    if (c.blocker != nullptr) {
      ASSERT_EQ(rmdir(c.blocker), 0);
    } else {
      ASSERT_EQ(mkdir("missing", 0700), 0);
    }
    writeLine(stream, "found");
    EXPECT_TRUE(stream.isOpen()) << c.name;
    stream.close();
    EXPECT_EQ(contents(c.name), "found\r\n") << c.name;
  }
}

TEST_F(LogStreamTest, WithoutANameTheStreamUsesStandardOutput) {
  LogStream stream;
  EXPECT_TRUE(stream.ensureOpen());
  EXPECT_TRUE(stream.isStandardOutput());
  EXPECT_STREQ(stream.fileName(), "stdout");
  EXPECT_EQ(stream.mode(), -1);
  stream.close();  // must leave the process's standard output open
  EXPECT_NE(fflush(stdout), EOF);
  EXPECT_NE(fprintf(stdout, "%s", ""), -1);

  LogStream errors;
  errors.openStandardError();
  errors.setConfiguredName("vexa.log");
  EXPECT_TRUE(errors.ensureOpen());
  EXPECT_FALSE(errors.isStandardOutput());
  EXPECT_STREQ(errors.fileName(), "stderr");
  EXPECT_FALSE(exists("vexa.log")) << "an open stream does not open its configured name";
}

TEST_F(LogStreamTest, OpenModes) {
  {
    std::ofstream seed("data.bin", std::ios::binary);
    seed << "0123456789";
  }
  struct Case {
    int mode;
    bool text;
    uint32_t size;      // measured for read and append
    bool writes;        // whether output reaches the file
    const char* after;  // the file afterwards
  };
  const Case cases[] = {
      {1, false, 10, false, "0123456789"},  {1, true, 10, false, "0123456789"},
      {0, false, 10, true, "0123456789ab"}, {0, true, 12, true, "0123456789abab"},
      {-1, false, 0, true, "ab"},           {-1, true, 0, true, "ab"},
  };
  for (const Case& c : cases) {
    LogStream stream;
    ASSERT_EQ(stream.open("data.bin", c.mode, c.text), 0) << c.mode << c.text;
    EXPECT_EQ(stream.open("data.bin", c.mode, c.text), -1) << "already open";
    EXPECT_EQ(stream.size(), c.size) << c.mode << c.text;
    EXPECT_EQ(stream.output().write("ab", 2), c.writes ? 2 : 0) << c.mode << c.text;
    EXPECT_EQ(stream.output().write("ab", 0), -1);
    stream.close();
    EXPECT_STREQ(stream.fileName(), "");
    EXPECT_EQ(contents("data.bin"), c.after) << c.mode << c.text;
  }
  LogStream stream;
  EXPECT_EQ(stream.open("no/such/file", 1, false), -1);
  EXPECT_EQ(stream.open(nullptr, -1, false), -1);
  EXPECT_STREQ(stream.fileName(), "");
}

TEST_F(LogStreamTest, CountersAddTransferredAndRequestedBytes) {
  LogStream stream;
  ASSERT_EQ(stream.open("count.log", -1, false), 0);
  stream.output().write("abc", 3);
  stream.output().write("de", 2);
  EXPECT_EQ(stream.output().transferred(), 5u);
  EXPECT_EQ(stream.output().requested(), 5u);
  stream.close();

  ASSERT_EQ(stream.open("count.log", 1, false), 0);
  stream.output().write("abc", 3);  // a reading stream takes nothing
  EXPECT_EQ(stream.output().transferred(), 0u);
  EXPECT_EQ(stream.output().requested(), 3u);
}

TEST_F(LogStreamTest, RedirectChainsAndLoops) {
  LogStream first, second, last;
  last.setConfiguredName("last.log");
  first.setRedirect(&second);
  second.setRedirect(&last);
  writeLine(first, "via two");
  writeLine(second, "via one");
  EXPECT_FALSE(first.isOpen());
  EXPECT_FALSE(second.isOpen());
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
  EXPECT_FALSE(exists("loop.log"));
}

TEST_F(LogStreamTest, TheProcessLogAndItsConvenienceWriter) {
  logStream.setConfiguredName("vexa.log");
  logLine("");
  logLine("WARNING: fail to create font on edit control.");
  logLine(nullptr);  // an empty line, like the first one
  EXPECT_EQ(contents("vexa.log"), "\r\nWARNING: fail to create font on edit control.\r\n\r\n");
  logStream.close();
  logStream.setConfiguredName(nullptr);
}

TEST(LogLine, WritesTextAndCharsIntoABuffer) {
  TextBuffer status;
  TextSink sink(status);
  LogLine line(&sink);
  line.writeText("- ").writeText(nullptr).writeChar('\0').writeChar('x').writeText(" -");
  EXPECT_STREQ(status.text(), "- x -");
  line.endLine();
  EXPECT_STREQ(status.text(), "- x -\r\n");
  EXPECT_EQ(sink.write("a\0b", 3), 3) << "the NUL is dropped, the rest kept";
  EXPECT_STREQ(status.text(), "- x -\r\nab");

  LogLine unbound(static_cast<ByteSink*>(nullptr));
  unbound.writeText("x").endLine().writeInteger(5).release();  // no crash
}

std::string written(void (*write)(LogLine&), NumberFormat format = {}) {
  TextBuffer out;
  TextSink sink(out);
  LogLine line(&sink);
  line.format() = format;
  write(line);
  return out.text();
}

TEST(LogLine, WritesNumbersInTheFormatRadix) {
  struct Case {
    const char* name;
    void (*write)(LogLine&);
    NumberFormat format;
    const char* expected;
  };
  const Case cases[] = {
      {"zero", [](LogLine& l) { l.writeInteger(0); }, {}, "0"},
      {"size line", [](LogLine& l) { l.writeUnsigned(8388608); }, {}, "8388608"},
      {"negative", [](LogLine& l) { l.writeInteger(-42); }, {}, "-42"},
      {"hex", [](LogLine& l) { l.writeUnsigned(0xBF01); }, {' ', 16, 6, 0}, "BF01"},
      {"octal", [](LogLine& l) { l.writeInteger(-8); }, {' ', 8, 6, 0}, "-10"},
      {"binary", [](LogLine& l) { l.writeUnsigned(5); }, {' ', 2, 6, 0}, "101"},
      {"64 binary digits",
       [](LogLine& l) { l.writeUnsigned(UINT64_MAX); },
       {' ', 2, 6, 0},
       "1111111111111111111111111111111111111111111111111111111111111111"},
      {"most negative binary",
       [](LogLine& l) { l.writeInteger(INT64_MIN); },
       {' ', 2, 6, 0},
       "-1000000000000000000000000000000000000000000000000000000000000000"},
      {"most negative", [](LogLine& l) { l.writeInteger(INT64_MIN); }, {}, "-9223372036854775808"},
      {"radix 1 means 10", [](LogLine& l) { l.writeInteger(12); }, {' ', 1, 6, 0}, "12"},
      {"radix 17 means 10", [](LogLine& l) { l.writeInteger(12); }, {' ', 17, 6, 0}, "12"},
      {"width and fill", [](LogLine& l) { l.writeInteger(7); }, {'0', 10, 6, 3}, "007"},
      {"width with space", [](LogLine& l) { l.writeInteger(-7); }, {' ', 10, 6, 4}, "  -7"},
      {"wider than width", [](LogLine& l) { l.writeInteger(12345); }, {'0', 10, 6, 3}, "12345"},
      {"real default", [](LogLine& l) { l.writeReal(1.5); }, {}, "1.500000"},
      {"real precision", [](LogLine& l) { l.writeReal(-2.25); }, {' ', 10, 1, 0}, "-2.2"},
      {"real no fraction", [](LogLine& l) { l.writeReal(3.7); }, {' ', 10, 0, 0}, "4"},
      {"huge real", [](LogLine& l) { l.writeReal(1e300); }, {' ', 10, 2, 0}, "1.00e+300"},
  };
  for (const Case& c : cases) EXPECT_EQ(written(c.write, c.format), c.expected) << c.name;
}

}  // namespace
}  // namespace vexa
