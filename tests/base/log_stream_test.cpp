#include "base/log_stream.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "tests/platform/test_support.h"

namespace vexa {
namespace {

std::string contents(const std::string& name) {
  std::ostringstream bytes;
  bytes << std::ifstream(name, std::ios::binary).rdbuf();
  return bytes.str();
}

void writeLine(LogStream& stream, const char* text) {
  LogLine(stream).writeText(text).endLine().release();
}

TEST(LogStreamTest, ARunLeavesExactlyTheLinesWrittenInAFreshLog) {
  test::TempDir dir;
  const std::string name = dir.path + "/vexa.log";
  std::ofstream(name, std::ios::binary) << "a much longer line from an earlier run\r\n\r\n";
  logStream.setConfiguredName(name.c_str());
  EXPECT_FALSE(logStream.isOpen()) << "nothing is opened before the first line";
  logLine("");
  EXPECT_EQ(contents(name), "\r\n") << "flushed at once, the old log truncated";
  logLine("ERROR: fail to create view window.");
  logLine(nullptr);
  logLine("===== program termination correctly =====");
  logStream.close();
  logStream.setConfiguredName(nullptr);
  EXPECT_EQ(contents(name),
            "\r\nERROR: fail to create view window.\r\n\r\n"
            "===== program termination correctly =====\r\n");
}

TEST(LogStreamTest, AnUnwritableLogIsRetriedAndNeverFallsBackToStandardOutput) {
  test::TempDir dir;
  // A directory where the file must go, then a missing folder in the name.
  for (const std::string& name : {dir.path + "/vexa.log", dir.path + "/missing/vexa.log"}) {
    const bool blocked = mkdir(name.c_str(), 0700) == 0;
    LogStream stream;
    stream.setConfiguredName(name.c_str());
    writeLine(stream, "lost");
    EXPECT_FALSE(stream.isOpen() || stream.isStandardOutput()) << name;
    EXPECT_EQ(stream.output().write("x", 1), 0) << name << ": a write reports nothing written";
    // Once the obstacle is gone the next line opens the file.
    ASSERT_EQ(blocked ? rmdir(name.c_str()) : mkdir((dir.path + "/missing").c_str(), 0700), 0);
    writeLine(stream, "found");
    stream.close();
    EXPECT_EQ(contents(name), "found\r\n") << name;
  }
  LogStream unnamed;
  EXPECT_TRUE(unnamed.ensureOpen() && unnamed.isStandardOutput()) << "only without a name";
  unnamed.close();
  EXPECT_NE(fcntl(STDOUT_FILENO, F_GETFD), -1) << "the process's standard output stays open";
}

TEST(LogStreamTest, RedirectChainsEndAtTheirLastStreamAndLoopsGoNowhere) {
  test::TempDir dir;
  const std::string last = dir.path + "/last.log", loop = dir.path + "/loop.log";
  LogStream first, second, third;
  third.setConfiguredName(last.c_str());
  first.setRedirect(&second);
  second.setRedirect(&third);
  writeLine(first, "via two");
  EXPECT_FALSE(first.isOpen() || second.isOpen());
  third.close();
  EXPECT_EQ(contents(last), "via two\r\n");
  // A loop must neither hang nor write.
  first.setConfiguredName(loop.c_str());
  third.setRedirect(&first);
  EXPECT_FALSE(first.ensureOpen());
  writeLine(second, "nowhere");
  EXPECT_NE(access(loop.c_str(), F_OK), 0);
}

}  // namespace
}  // namespace vexa
