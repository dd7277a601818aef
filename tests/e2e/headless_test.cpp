// Whole-program tests of `vexa --headless` against the demo board (tools/demo_board.py) in its
// seeded mode: the pages are checked byte for byte against pages built here from the page rules
// and from the board's own files, the status lines and exit statuses as a user would see them.
// Polls come at most every 30 seconds, so the tests that need one take that long.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "platform/text_encoding.h"
#include "tools/demo_board_launcher.h"

namespace vexa {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;
constexpr auto& sjis = platform::utf8ToCp932;

const std::string kHead =
    "<html><head><style type=\"text/css\">\r\n"
    "body{color:#000;background-color:#EEE;}\r\n"
    "a{color:#00F;}\r\n"
    "a:hover{position:relative;text-decoration:none;}\r\n"
    ".popup{display:none;position:absolute;top:0em;left:0em;font-size:9pt;}\r\n";
const std::string kPostHead = kHead +
                              "a:hover .popup{display:block;padding:1px;color:#000;"
                              "background-color:#EEE;border:#000 solid 1px;}\r\n";
const std::string kBodyStart = "</style></head><body>\r\n";
const std::string kEnd = "</body></html>\r\n";

// The threads of the seeded demo board that the tests use.
const std::string kMainKey = "1700000400.dat";      // Part41, 900 posts, grows
const std::string kShowcaseKey = "1699985000.dat";  // 20 hand-written posts

// The list page after a first load: every speed is still 0, so threads that take posts come
// first, then the full ones, each group in subject.txt order. `keep` chooses the threads shown.
std::string listPage(const std::vector<demo::Thread>& threads,
                     const std::function<bool(const demo::Thread&)>& keep = {}) {
  std::string page = kHead + kBodyStart;
  for (bool full : {false, true}) {
    for (const demo::Thread& thread : threads) {
      if ((thread.count >= 1000) != full || (keep && !keep(thread))) continue;
      page += "<a href=\"thread:" + thread.key + "\">" + thread.title + " (" +
              std::to_string(thread.count) + ")</a><br>";
    }
  }
  return page + kEnd;
}

// The line of post `number` as the page shows it, from the data line the board served: the ID
// from the date field, the body as it is when it holds nothing to convert (no markup, entities,
// addresses or IP numbers), else only the part before the body.
std::string expectedLine(uint32_t number, const std::string& datLine) {
  const size_t date = datLine.find("<>", datLine.find("<>") + 2) + 2;
  const size_t dateEnd = datLine.find("<>", date);
  const size_t idAt = datLine.find("ID:", date);
  const std::string id = idAt < dateEnd ? datLine.substr(idAt + 3, dateEnd - idAt - 3) : "";
  const std::string body = datLine.substr(dateEnd + 2, datLine.rfind("<>") - dateEnd - 2);
  // Of the bytes the NG link escapes, the board's IDs only ever hold '%'.
  std::string link;
  for (char c : id) link += c == '%' ? std::string("%25") : std::string(1, c);
  const std::string head = "[<a href=\"ngid:" + link + "\">" + std::to_string(number) +
                           "<span class=\"popup\">" + id + "</span></a>]";
  return body.find_first_of("<&:.") == std::string::npos ? head + body + "<br>\r\n" : head;
}

// Checks a post page showing posts `shown` of the data file `dat`.
void expectPostPage(const std::string& page, const std::string& dat,
                    const std::vector<uint32_t>& shown) {
  const std::string head = kPostHead + kBodyStart;
  ASSERT_TRUE(page.starts_with(head) && page.ends_with(kEnd)) << page;
  const std::vector<std::string> lines = demo::splitLines(page.substr(head.size()));
  const std::vector<std::string> posts = demo::splitLines(dat);
  ASSERT_EQ(lines.size(), shown.size() + 1) << page;
  for (size_t i = 0; i < shown.size(); ++i) {
    const std::string line = lines[i] + "\n";
    EXPECT_TRUE(line.starts_with(expectedLine(shown[i], posts.at(shown[i] - 1))) &&
                line.ends_with("<br>\r\n"))
        << line;
  }
}

class HeadlessTest : public ::testing::Test {
 protected:
  // A file as the board serves it now; each request of a data file may grow it.
  std::string served(const std::string& path) const { return board_.get(path).out; }

  // Runs vexa --headless on the board, with the pages written afresh to pages_.
  demo::RunResult vexa(const std::vector<std::string>& args,
                       const std::function<void(demo::ChildProcess&)>& watch = {}) {
    std::filesystem::remove_all(pages_);
    std::vector<std::string> argv = {VEXA_BINARY,      "--headless", "--menu-host",
                                     board_.address(), "--pages",    pages_};
    argv.insert(argv.end(), args.begin(), args.end());
    return demo::runProgram(argv, 120000, watch);
  }

  std::string page(int number) const {
    return demo::readFile(pages_ + "/" + std::to_string(10000 + number).substr(1) + ".html");
  }

  // Sends `signal` once page `number` has been written.
  std::function<void(demo::ChildProcess&)> signalAfterPage(int number, int signal) {
    return [this, number, signal, sent = false](demo::ChildProcess& child) mutable {
      if (!sent && !page(number).empty()) {
        child.kill(signal);
        sent = true;
      }
    };
  }

  demo::TempDir dir_;
  const std::string pages_ = dir_.path + "/pages";
  demo::DemoBoard board_;
};

TEST_F(HeadlessTest, ShowsTheListAndEndsWithoutAThread) {
  ASSERT_FALSE(board_.start(VEXA_SOURCE_DIR, {"--seed", "1", "--chunked", "alternate"}));
  // Half-width katakana finds the full-width title, and a "-" word excludes.
  const demo::RunResult run = vexa({"--filter", "ﾎﾛﾒｷ -雑談"});
  EXPECT_EQ(run.status, 0) << run.err;
  const std::set<std::string> found = {kMainKey,         "1699975000.dat", "1699955000.dat",
                                       "1699915000.dat", "1699855000.dat", "1699996000.dat"};
  EXPECT_EQ(page(1), listPage(demo::parseSubject(served("/live/subject.txt")),
                              [&](const demo::Thread& t) { return found.count(t.key); }));
  EXPECT_EQ(page(2), "");
  // The terminal gets one line per thread, key first.
  EXPECT_TRUE(
      run.out.starts_with("--- page 1 ---\n1700000400.dat ホロメキ実況スレ Part41 (900)\n"));
  EXPECT_EQ(demo::splitLines(run.out).size(), found.size() + 1);
  // Status lines change by change, in UTF-8, from the menu to the last rendered position.
  EXPECT_EQ(run.err.find("[list]"), run.err.find("[list] - bbsmenu.html へ接続 -\n")) << run.err;
  EXPECT_TRUE(run.err.ends_with("\n[list] - subject.txt 11 行目を描画 -\n")) << run.err;
  EXPECT_THAT(run.err, Not(HasSubstr("[watch]")));
}

TEST_F(HeadlessTest, AThreadShowsItsNewestFifteenPostsThatNoNgIdHides) {
  // The same twenty posts for every run.
  ASSERT_FALSE(
      board_.start(VEXA_SOURCE_DIR, {"--seed", "1", "--chunked", "alternate", "--step", "0"}));
  const std::string dat = served("/live/dat/" + kShowcaseKey);
  const std::vector<uint32_t> all = {6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20};
  struct Case {
    std::vector<std::string> args;
    std::vector<uint32_t> shown;
    int signal;  // ends the watch once the page is shown; 0: --polls 0 ends it
  } cases[] = {
      // Six posts hidden: the page walks back to the first post and still shows only 14.
      {{"--ng", "Mms0Fan0"}, {1, 2, 4, 6, 7, 9, 10, 11, 12, 14, 15, 16, 18, 19}, 0},
      // The empty ID hides the posts without one; the newest 15 of the rest are shown.
      {{"--ng", ""}, {4, 5, 6, 7, 8, 9, 10, 12, 13, 14, 15, 17, 18, 19, 20}, 0},
      // Either signal ends the watch the way quitting does, long before the first poll.
      {{}, all, SIGINT},
      {{}, all, SIGTERM},
  };
  demo::RunResult run;
  for (const Case& c : cases) {
    std::vector<std::string> args = c.args;
    args.insert(args.end(), {"--thread", kShowcaseKey});
    if (c.signal == 0) args.insert(args.end(), {"--polls", "0"});
    run = vexa(args, c.signal != 0 ? signalAfterPage(2, c.signal) : nullptr);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_LT(run.seconds, 20);
    EXPECT_EQ(page(3), "");
    expectPostPage(page(2), dat, c.shown);
  }
  // The text rendering goes on past the stray bytes of post 19.
  EXPECT_THAT(run.out, HasSubstr("\n[19 ID:Url1Shar] 文字化け\xEF\xBF\xBD \xEF\xBF\xBD\n"));
  // Every post line was parsed with its status line; the load ends with the write form.
  EXPECT_THAT(run.err, HasSubstr("[watch] - 20 番目のレスを解析 -\n"));
  EXPECT_THAT(run.err, HasSubstr("[watch] - 書き込みパラメタを解析：/test/read.cgi/live/"
                                 "1699985000/l1 -\n"));
}

TEST_F(HeadlessTest, AThreadThatFillsWhileWatchedMovesOnToItsSuccessor) {
  // Each later request of a data file brings 100 posts: the first poll fills Part41 (and the
  // board opens Part42 on the way), the second sees it full and moves on.
  ASSERT_FALSE(
      board_.start(VEXA_SOURCE_DIR, {"--seed", "1", "--chunked", "alternate", "--step", "100"}));
  const demo::RunResult run = vexa({"--thread", kMainKey}, signalAfterPage(4, SIGTERM));
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(page(5), "");
  const std::string main = served("/live/dat/" + kMainKey);
  ASSERT_EQ(demo::splitLines(main).size(), 1001u);
  expectPostPage(page(2), main,
                 {886, 887, 888, 889, 890, 891, 892, 893, 894, 895, 896, 897, 898, 899, 900});
  // The poll shows only the new posts, up to the 1000th (the board's 1001st line is not a post),
  // and parses them without status lines.
  expectPostPage(page(3), main,
                 {986, 987, 988, 989, 990, 991, 992, 993, 994, 995, 996, 997, 998, 999, 1000});
  EXPECT_THAT(run.err, Not(HasSubstr("901 番目のレスを解析")));

  std::string successor;
  for (const demo::Thread& thread : demo::parseSubject(served("/live/subject.txt"))) {
    if (thread.title == sjis("ホロメキ実況スレ Part42")) successor = thread.key;
  }
  ASSERT_FALSE(successor.empty());
  // Its only post so far: blanks between line breaks collapse, the reply to a post that does not
  // exist yet becomes a dead "#" link.
  const std::string body = sjis(
      " ホロメキ実況スレ Part42 <br> 実況はこちらで <br> 次スレは<a href=\"#\">&gt;&gt;980</a>"
      "が立ててください ");
  const std::string first = expectedLine(1, served("/live/dat/" + successor));
  EXPECT_EQ(page(4), kPostHead + kBodyStart + first + body + "<br>\r\n" + kEnd);
  // The list was refreshed quietly before each poll: no list status lines after the first list.
  EXPECT_THAT(run.err.substr(run.err.find("[watch]")), Not(HasSubstr("[list]")));
}

TEST_F(HeadlessTest, FailuresAndUsageErrorsSayWhy) {
  ASSERT_FALSE(board_.start(VEXA_SOURCE_DIR, {"--seed", "1", "--chunked", "alternate"}));
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string line;  // the last line on standard error; the first one for usage errors
    int pages;
  } cases[] = {
      {{"--thread", "1699855000.dat"}, 1, "[watch] サーバーがエラーを返しました (HTTP 404)", 1},
      {{"--board", "存在しない板"}, 1, "[list] \"存在しない板\"が見つかりません", 0},
      {{"--thread", "9999.dat"}, 1, "vexa: the board lists no thread '9999.dat'", 1},
      {{"--bogus"}, 2, "vexa: unknown option '--bogus' for --headless", 0},
      {{"--polls", "2"}, 2, "vexa: --polls needs --thread", 0},
  };
  for (const Case& c : cases) {
    const demo::RunResult run = vexa(c.args);
    EXPECT_EQ(run.status, c.status) << run.err;
    EXPECT_TRUE(c.status == 2 ? run.err.starts_with(c.line + "\n")
                              : run.err.ends_with(c.line + "\n"))
        << run.err;
    EXPECT_EQ(page(c.pages + 1), "") << c.line;
  }
  // A folder that cannot hold the pages is a usage error too.
  const demo::RunResult run =
      demo::runProgram({VEXA_BINARY, "--headless", "--pages", "/proc/version/pages"}, 30000);
  EXPECT_EQ(run.status, 2);
  EXPECT_TRUE(run.err.starts_with("vexa: cannot keep pages in '/proc/version/pages'")) << run.err;
  EXPECT_EQ(run.out, "");
}

}  // namespace
}  // namespace vexa
