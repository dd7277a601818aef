// Runs the built program's --fetch mode against scripted peers on 127.0.0.x.

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

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

// The exit status (-1 when killed), standard output and standard error of one run.
std::tuple<int, std::string, std::string> runVexa(std::vector<std::string> arguments) {
  FILE* out = std::tmpfile();
  FILE* err = std::tmpfile();
  std::vector<char*> argv{const_cast<char*>(VEXA_BINARY)};
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(::fileno(out), 1);
    ::dup2(::fileno(err), 2);
    ::alarm(60);  // a hung run ends as killed, not as a hung test
    ::execv(VEXA_BINARY, argv.data());
    ::_exit(127);
  }
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

}  // namespace
