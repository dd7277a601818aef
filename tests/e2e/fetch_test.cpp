// Runs the built program's --fetch mode against scripted peers on 127.0.0.x.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <string>
#include <tuple>
#include <vector>

#include "tests/net/scripted_peer.h"

namespace {

using vexa::test::ScriptedPeer;

std::string readAll(FILE* file) {
  std::string text(static_cast<size_t>(std::ftell(file)), '\0');
  std::rewind(file);
  text.resize(std::fread(text.data(), 1, text.size(), file));
  std::fclose(file);
  return text;
}

// Where a run's standard output goes.
enum class Output { File, Full, ClosedPipe };

// The exit status (-1 when killed), standard output and standard error of one run.
std::tuple<int, std::string, std::string> runVexa(std::vector<std::string> arguments,
                                                  Output output = Output::File) {
  FILE* out = std::tmpfile();
  FILE* err = std::tmpfile();
  int pipeEnds[2] = {-1, -1};
  if (output == Output::ClosedPipe && ::pipe(pipeEnds) == 0) ::close(pipeEnds[0]);
  std::vector<char*> argv{const_cast<char*>(VEXA_BINARY)};
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  pid_t pid = ::fork();
  if (pid == 0) {
    // As a shell starts it: a closed pipe raises SIGPIPE unless the program says otherwise.
    ::signal(SIGPIPE, SIG_DFL);
    if (output == Output::Full) {
      ::dup2(::open("/dev/full", O_WRONLY), 1);
    } else if (output == Output::ClosedPipe) {
      ::dup2(pipeEnds[1], 1);
    } else {
      ::dup2(::fileno(out), 1);
    }
    ::dup2(::fileno(err), 2);
    ::alarm(60);  // a hung run ends as killed, not as a hung test
    ::execv(VEXA_BINARY, argv.data());
    ::_exit(127);
  }
  if (pipeEnds[1] >= 0) ::close(pipeEnds[1]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readAll(out), readAll(err)};
}

TEST(Fetch, UsageErrorsExitWithTwo) {
  std::vector<std::vector<std::string>> cases = {{"--fetch"},
                                                 {"--board", "x", "--fetch", "http://127.0.0.1/"}};
  for (const char* url :
       {"ftp://127.0.0.1/x", "http://", "http:///path", "http://127.0.0.1:0/",
        "http://127.0.0.1:99999/", "http://127.0.0.1/a b", "http://127.0.0.1/a\r\nX-Evil: 1",
        "http://user@127.0.0.1/", "127.0.0.1/path"}) {
    cases.push_back({"--fetch", url});
  }
  for (const std::vector<std::string>& arguments : cases) {
    SCOPED_TRACE(arguments.back());
    const auto [status, out, err] = runVexa(arguments);
    EXPECT_EQ(status, 2);
    EXPECT_TRUE(out.empty());
    EXPECT_NE(err.find("vexa:"), std::string::npos) << err;
  }
}

TEST(Fetch, BodiesInUrlOrderFailuresSkippedAndStatusOnStderr) {
  std::string big(700000, '\0');
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>((i * 13 + i / 509) % 256);
  ScriptedPeer setter(
      {"HTTP/1.1 200 OK\r\nSet-Cookie: sid=42; path=/\r\nContent-Length: 6\r\n\r\nsmall\n"});
  ScriptedPeer missing({"HTTP/1.1 404 Not Found\r\nContent-Length: 4\r\n\r\ngone"});
  ScriptedPeer cut({"HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nonly this"});
  ScriptedPeer large({"HTTP/1.0 200 OK\r\n\r\n", big}, ScriptedPeer::Close, "127.0.0.10");
  auto url = [](const ScriptedPeer& peer) { return "http://" + peer.host(); };

  const auto [status, out, err] = runVexa(
      {"--fetch", url(setter), url(missing) + "/x", url(cut), url(large) + "/y?z=1", url(setter)});
  EXPECT_EQ(status, 1) << err;
  EXPECT_TRUE(out == "small\n" + big + "small\n") << "stdout holds " << out.size();
  for (const std::string& line : std::vector<std::string>{
           "- 接続開始 " + missing.host() + " -", "サーバーがエラーを返しました (HTTP 404)",
           "- 接続開始 " + cut.host() + " -", "不明なエラーが発生しました",
           "- データ取得 サイズ : " + std::to_string(19 + big.size()) + " -"}) {
    EXPECT_NE(err.find(line + "\n"), std::string::npos) << line << "\n" << err;
  }

  // The request is the client's own, and one cookie store serves the whole run.
  const std::string version = std::get<1>(runVexa({"--version"}));
  ASSERT_EQ(large.requests().size(), 1u);
  EXPECT_NE(large.requests()[0].find("\r\nUser-Agent: Monazilla/1.00 (" +
                                     version.substr(0, version.find('\n')).replace(4, 1, "/") +
                                     ")\r\nCookie: sid=42;\r\nConnection: close\r\n\r\n"),
            std::string::npos)
      << large.requests()[0];

  const auto [goodStatus, goodOut, goodErr] = runVexa({"--fetch", url(setter) + "/", url(setter)});
  EXPECT_EQ(goodStatus, 0) << goodErr;
  EXPECT_EQ(goodOut, "small\nsmall\n");
}

TEST(Fetch, ABodyThatCannotBeWrittenFailsTheRun) {
  ScriptedPeer peer({"HTTP/1.1 200 OK\r\nContent-Length: 6\r\n\r\nsmall\n"});
  const std::string url = "http://" + peer.host() + "/";
  const std::pair<Output, std::string> cases[] = {
      {Output::Full, "No space left on device"},
      {Output::ClosedPipe, "Broken pipe"},
  };
  for (const auto& [output, reason] : cases) {
    SCOPED_TRACE(reason);
    const auto [status, out, err] = runVexa({"--fetch", url, url}, output);
    EXPECT_EQ(status, 1) << err;
    // The run stops at the first body it could not deliver.
    EXPECT_TRUE(err.ends_with("vexa: cannot write to standard output: " + reason + "\n")) << err;
    EXPECT_EQ(err.find("- 接続開始 " + peer.host() + " -"), err.rfind("- 接続開始")) << err;
  }
}

TEST(Fetch, ADribblingServerGetsAFewSizeLinesAndTheLastOne) {
  // 600 one-byte pieces, 2 ms apart: over a second of size lines that change at every read.
  std::vector<std::string> pieces = {"HTTP/1.1 200 OK\r\nContent-Length: 600\r\n\r\n"};
  for (int i = 0; i < 600; ++i) pieces.push_back(std::string(1, static_cast<char>('a' + i % 26)));
  ScriptedPeer dribbler(pieces);
  const auto [status, out, err] = runVexa({"--fetch", "http://" + dribbler.host() + "/"});
  EXPECT_EQ(status, 0) << err;
  EXPECT_EQ(out.size(), 600u);
  size_t sizeLines = 0;
  for (size_t at = 0; (at = err.find("- データ取得 サイズ : ", at)) != std::string::npos; ++at) {
    ++sizeLines;
  }
  // One line a tenth of a second at most, whatever the speed of the machine; without the limit
  // there would be one a piece.
  EXPECT_LT(sizeLines, 100u) << err;
  EXPECT_TRUE(err.ends_with("- データ取得 サイズ : 640 -\n")) << err;
}

}  // namespace
