// Whole-program tests of how `vexa --headless` ends against boards that fail it: every poll
// counts, a run that did less than asked says so and exits 1, a signal ends even a long list at
// once, and what the server sends cannot steer the terminal. The boards are scripted per path
// and per request (hostile_board.h). Polls come every 30 seconds, so the runs that need one go
// side by side.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/text_encoding.h"
#include "tests/e2e/hostile_board.h"
#include "tools/demo_board_launcher.h"

namespace vexa {
namespace {

using test::HostileBoard;
using ::testing::HasSubstr;
using ::testing::Not;
constexpr auto& sjis = platform::utf8ToCp932;

const std::string kKey = "1000000001.dat";
const std::string kPagePath = "/test/read.cgi/live/1000000001/l1";
const std::string kDatPath = "/live/dat/" + kKey;

std::string datLines(int count) {
  std::string lines;
  for (int n = 1; n <= count; ++n) {
    lines += "name<>sage<>2024/01/01 00:00:00 ID:id" + std::to_string(n % 3) + "<> post " +
             std::to_string(n) + " <>\n";
  }
  return lines;
}

// An ordinary board: the menu, a list of one thread whose title carries a right-to-left
// override, the thread's page with its form and its data file of 20 posts.
void serveOrdinaryBoard(HostileBoard& board) {
  auto ok = [](const std::string& body) { return HostileBoard::response(200, body); };
  board.serve("/bbsmenu.html", ok(sjis("<B>実況</B><BR>\n<A HREF=http://" + board.host() +
                                       "/live/>ホロメキ</A><br>\n")));
  board.serve("/live/subject.txt", ok(kKey + "<>Live &#8238;txt.exe (20)\n"));
  board.serve(kPagePath,
              ok(sjis("<a href=\"../live/\">掲示板に戻る</a>\n<form method=post "
                      "action=\"../test/bbs.cgi\"><input type=submit value=\"書き込む\" "
                      "name=\"submit\"><input type=hidden name=bbs value=live></form>")));
  board.serve(kDatPath, ok(datLines(20)));
}

// The first answer of a path as usual, every later one `later`.
HostileBoard::Route firstThen(const std::string& first, const std::string& later) {
  return [first, later](int count) { return count == 1 ? first : later; };
}

std::string lastLine(const std::string& text) {
  const std::vector<std::string> lines = demo::splitLines(text);
  return lines.empty() ? "" : lines.back();
}

// Runs every argument vector at once, each to its end (killed after timeoutMs).
std::vector<demo::RunResult> runAll(const std::vector<std::vector<std::string>>& argvs,
                                    int timeoutMs) {
  std::vector<std::unique_ptr<demo::ChildProcess>> children;
  for (const std::vector<std::string>& argv : argvs) {
    children.push_back(std::make_unique<demo::ChildProcess>());
    EXPECT_FALSE(children.back()->start(argv));
    children.back()->closeInput();
  }
  const auto start = std::chrono::steady_clock::now();
  for (bool any = true; any;) {
    any = false;
    for (auto& child : children) any = child->pump(20) || any;
    if (std::chrono::steady_clock::now() - start > std::chrono::milliseconds(timeoutMs)) {
      for (auto& child : children) child->kill(SIGKILL);
    }
  }
  std::vector<demo::RunResult> results;
  for (auto& child : children) {
    demo::RunResult result;
    result.status = child->wait();
    result.out = child->out;
    result.err = child->err;
    results.push_back(result);
  }
  return results;
}

TEST(HeadlessExitTest, EveryPollCountsAndAShortRunSaysWhy) {
  struct Case {
    const char* name;
    std::vector<std::string> args;
    std::string path;   // the path that fails after its first answer, if any
    std::string later;  // what it answers then
    int status;
    std::string last;  // the last line on standard error
  } cases[] = {
      {"the data file goes during --polls 3",
       {"--thread", kKey, "--polls", "3"},
       kDatPath,
       HostileBoard::response(404, "gone"),
       1,
       "vexa: stopped after 1 of 3 polls: the watched thread's data file is gone (HTTP 404)"},
      {"the list fails after the first load",
       {"--thread", kKey, "--polls", "1"},
       "/live/subject.txt",
       HostileBoard::response(500, "busy"),
       1,
       "vexa: 1 of 1 polls failed; the last: the thread list could not be refreshed (HTTP 500)"},
      {"the thread goes to the archive, no --polls",
       {"--thread", kKey},
       kDatPath,
       HostileBoard::response(203, sjis(datLines(1) + "過去ログ<>\n")),
       0,
       "vexa: the watched thread's data file is gone (HTTP 203); the thread list is shown again"},
      {"the thread page is refused: the data file still loads",
       {"--thread", kKey, "--polls", "1"},
       kPagePath,
       HostileBoard::response(404, "no page"),
       0,
       "[watch] - 20 番目のレスを解析 -"},
  };
  std::vector<std::unique_ptr<HostileBoard>> boards;
  std::vector<std::vector<std::string>> argvs;
  for (const Case& c : cases) {
    boards.push_back(std::make_unique<HostileBoard>());
    HostileBoard& board = *boards.back();
    serveOrdinaryBoard(board);
    // The refused page is refused from the start.
    const std::string first = c.path == kPagePath ? c.later : "";
    if (!first.empty()) {
      board.serve(c.path, c.later);
    } else {
      const std::string served = c.path == kDatPath
                                     ? HostileBoard::response(200, datLines(20))
                                     : HostileBoard::response(200, kKey + "<>Live (20)\n");
      board.route(c.path, firstThen(served, c.later));
    }
    std::vector<std::string> argv = {VEXA_BINARY, "--headless", "--menu-host", board.host()};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    argvs.push_back(argv);
  }
  const std::vector<demo::RunResult> runs = runAll(argvs, 100000);
  for (size_t i = 0; i < runs.size(); ++i) {
    const Case& c = cases[i];
    const demo::RunResult& run = runs[i];
    SCOPED_TRACE(c.name);
    EXPECT_EQ(run.status, c.status) << run.err;
    EXPECT_EQ(lastLine(run.err), c.last) << run.err;
    // One load of the thread and one poll, which reads it unless the list failed first.
    EXPECT_EQ(boards[i]->requests(kDatPath), c.path == "/live/subject.txt" ? 1 : 2);
  }
  // The refused page: the form's failure shows and the data file follows; the poll asks again.
  EXPECT_THAT(runs[3].err, HasSubstr("[watch] サーバーがエラーを返しました (HTTP 404)\n[watch] - "
                                     "書き込みフォーム取得失敗：" +
                                     kPagePath +
                                     " -\n[watch] - "
                                     "接続開始 " +
                                     boards[3]->host() + " -\n"));
  EXPECT_THAT(runs[3].out, HasSubstr("[20 ID:id2] post 20\n"));
  EXPECT_EQ(boards[3]->requests(kPagePath), 2);
  // The title's override is shown, not obeyed.
  EXPECT_THAT(runs[3].out, HasSubstr("\n1000000001.dat Live <U+202E>txt.exe (20)\n"));
}

TEST(HeadlessExitTest, ASignalEndsAnEightMebibyteListAtOnce) {
  HostileBoard board;
  serveOrdinaryBoard(board);
  std::string subject;
  for (uint32_t n = 1; subject.size() < 8 * 1024 * 1024 - 200; ++n) {
    subject += std::to_string(1000000000 + n) + ".dat<>Thread " + std::to_string(n) + " (5)\n";
  }
  board.serve("/live/subject.txt", HostileBoard::response(200, subject));
  bool sent = false;
  const demo::RunResult run =
      demo::runProgram({VEXA_BINARY, "--headless", "--menu-host", board.host()}, 120000,
                       [&](demo::ChildProcess& child) {
                         if (!sent && child.err.find("行目を解析") != std::string::npos) {
                           child.kill(SIGTERM);
                           sent = true;
                         }
                       });
  ASSERT_TRUE(sent) << run.err;
  // A normal end: the task left at its next line, freeing what it held (the sanitizer build
  // fails the exit on a leak).
  EXPECT_EQ(run.status, 0) << lastLine(run.err);
  EXPECT_FALSE(run.timedOut);
  EXPECT_THAT(run.err, Not(HasSubstr("行目を描画")));
}

TEST(HeadlessExitTest, TextThatCannotBeWrittenFailsTheRun) {
  HostileBoard board;
  serveOrdinaryBoard(board);
  // The list page is the first text; a shell puts standard output on a full disk.
  const demo::RunResult run =
      demo::runProgram({"sh", "-c", "exec \"$0\" \"$@\" >/dev/full", VEXA_BINARY, "--headless",
                        "--menu-host", board.host()},
                       60000);
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_EQ(lastLine(run.err), "vexa: cannot write to standard output");
}

TEST(HeadlessExitTest, ASignalBeforeThePollsAskedForIsAShortRun) {
  HostileBoard board;
  serveOrdinaryBoard(board);
  for (const char* polls : {static_cast<const char*>("2"), static_cast<const char*>(nullptr)}) {
    std::vector<std::string> argv = {VEXA_BINARY,  "--headless", "--menu-host",
                                     board.host(), "--thread",   kKey};
    if (polls) argv.insert(argv.end(), {"--polls", polls});
    bool sent = false;
    // Once the thread is shown, long before its first poll.
    const demo::RunResult run = demo::runProgram(argv, 60000, [&](demo::ChildProcess& child) {
      if (!sent && child.out.find("[20 ID:id2] post 20\n") != std::string::npos) {
        child.kill(SIGINT);
        sent = true;
      }
    });
    ASSERT_TRUE(sent) << run.err;
    EXPECT_EQ(run.status, polls ? 1 : 0) << run.err;
    if (polls) {
      EXPECT_EQ(lastLine(run.err), "vexa: interrupted after 0 of 2 polls");
    }
  }
}

}  // namespace
}  // namespace vexa
