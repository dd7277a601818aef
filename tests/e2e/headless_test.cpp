// Whole-program tests of `vexa --headless` against the demo board (tools/demo_board.py) in its
// seeded mode: the pages are checked byte for byte against pages built here from the page rules
// and from the board's own files, the status lines and exit statuses as a user would see them.
// Polls come at most every 30 seconds, so the tests that need one take that long.

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <cctype>
#include <functional>
#include <string>
#include <vector>

#include "platform/text_encoding.h"
#include "tools/demo_board_launcher.h"

namespace vexa {
namespace {

std::string sjis(const std::string& utf8) {
  return platform::utf8ToCp932(utf8);
}

const std::string kHead =
    "<html><head><style type=\"text/css\">\r\n"
    "body{color:#000;background-color:#EEE;}\r\n"
    "a{color:#00F;}\r\n"
    "a:hover{position:relative;text-decoration:none;}\r\n"
    ".popup{display:none;position:absolute;top:0em;left:0em;font-size:9pt;}\r\n";
const std::string kHoverRule =
    "a:hover .popup{display:block;padding:1px;color:#000;background-color:#EEE;border:#000 solid "
    "1px;}\r\n";
const std::string kBodyStart = "</style></head><body>\r\n";
const std::string kEnd = "</body></html>\r\n";

// The threads of the seeded demo board that the tests use.
const std::string kMainKey = "1700000400.dat";      // Part41, 900 posts, grows
const std::string kFullKey = "1699996000.dat";      // Part40, full; its successor is Part41
const std::string kShowcaseKey = "1699985000.dat";  // 20 hand-written posts
const std::string kFallingKey = "1699885000.dat";   // served once, then gone
const std::string kGoneKey = "1699855000.dat";      // listed, but its data is gone

std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

struct Thread {
  std::string key, title;
  unsigned count;
};

std::vector<Thread> parseSubject(const std::string& text) {
  std::vector<Thread> threads;
  for (const std::string& line : splitLines(text)) {
    const size_t separator = line.find("<>");
    const size_t open = line.rfind(" (");
    threads.push_back({line.substr(0, separator), line.substr(separator + 2, open - separator - 2),
                       static_cast<unsigned>(std::stoul(line.substr(open + 2)))});
  }
  return threads;
}

// The list page after a first load: every speed is still 0, so threads that take posts come
// first, then the full ones, each group in subject.txt order.
std::string listPage(const std::vector<Thread>& threads) {
  std::string page = kHead + kBodyStart;
  for (bool full : {false, true}) {
    for (const Thread& thread : threads) {
      if ((thread.count >= 1000) != full) continue;
      page += "<a href=\"thread:" + thread.key + "\">" + thread.title + " (" +
              std::to_string(thread.count) + ")</a><br>";
    }
  }
  return page + kEnd;
}

std::vector<Thread> without(std::vector<Thread> threads, const std::string& key) {
  std::erase_if(threads, [&](const Thread& thread) { return thread.key == key; });
  return threads;
}

std::vector<Thread> only(const std::vector<Thread>& threads, const std::vector<std::string>& keys) {
  std::vector<Thread> kept;
  for (const Thread& thread : threads) {
    for (const std::string& key : keys) {
      if (thread.key == key) kept.push_back(thread);
    }
  }
  return kept;
}

// An ID inside the NG link: bytes that could break the attribute are percent-encoded.
std::string linkText(const std::string& text) {
  std::string out;
  for (unsigned char c : text) {
    if (c <= ' ' || c == '"' || c == '%' || c == '&' || c == '<' || c == '>' || c == 0x7F) {
      char escaped[4];
      std::snprintf(escaped, sizeof escaped, "%%%02X", c);
      out += escaped;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

std::string postLine(uint32_t number, const std::string& id, const std::string& bodyHtml) {
  return "[<a href=\"ngid:" + linkText(id) + "\">" + std::to_string(number) +
         "<span class=\"popup\">" + id + "</span></a>]" + bodyHtml + "<br>\r\n";
}

// The hand-written thread of the demo board, as the page rules convert it: line breaks with
// blanks collapse, reply anchors become "#" links with the referenced body stripped of its own
// links and pop-ups, every address form becomes an "mms://" link.
struct ShowcasePost {
  const char* id;
  std::string body;  // UTF-8, converted to Shift_JIS when the page is built
};
const std::string kPost2Stripped =
    " メイン http://www.example.com/live/main.asx <br> サブ "
    "ttp://sub.example.net/ch2?id=7&amp;q=1 ";
const ShowcasePost kShowcase[21] = {
    {"", ""},
    {"Url1Shar", " 配信のURLはここに貼ってください <br> 荒らしはスルーで <br> よろしく "},
    {"Url1Shar",
     " メイン <a "
     "href=\"mms://www.example.com/live/main.asx\">http://www.example.com/live/main.asx</a>"
     " <br> サブ <a href=\"mms://sub.example.net/ch2?id=7&amp;q=1\">"
     "ttp://sub.example.net/ch2?id=7&amp;q=1</a> "},
    {"Mms0Fan0",
     " 音声だけ <a "
     "href=\"mms://media.example.jp/holo/radio\">mms://media.example.jp/holo/radio</a> "},
    {"Quad+/9x",
     " 直リン <a href=\"mms://198.51.100.23:8080/stream.nsv\">198.51.100.23:8080/stream.nsv</a> "
     "<br>"
     " 予備 <a href=\"mms://203.0.113.5\">203.0.113.5</a> <br> これは違う 1.2.3 "},
    {"Mms0Fan0", " <a href=\"#\">&gt;&gt;2<span class=\"popup\">" + kPost2Stripped +
                     "</span></a> <br> サブ落ちてる "},
    {"Quad+/9x",
     " <a href=\"#\">&gt;&gt;3-4<span class=\"popup\"> 音声だけ mms://media.example.jp/holo/radio "
     "</span></a> 両方見れた "},
    {"Url1Shar", " <a href=\"#\">&gt;&gt;999</a> 次スレよろ "},
    {"Mms0Fan0",
     " <a href=\"#\">&gt;&gt;5<span class=\"popup\"> &gt;&gt;2 <br> サブ落ちてる </span></a> "
     "見れない "},
    {"Path%7e_",
     " <a href=\"mms://example.org/a_b~c/%E3%81%82;x,y+z-1=2\">"
     "http://example.org/a_b~c/%E3%81%82;x,y+z-1=2</a> で見てる "},
    {"Url1Shar", " https://secure.example.com/ はダメだった "},
    {"", " 音ズレ直った？ <br><a href=\"mms://example.com/x\">http://example.com/x</a> "},
    {"Quad+/9x", " a <br>&nbsp;&nbsp; b "},
    {"Mms0Fan0", " <a href=\"#\">&gt;&gt;0</a> ぬるぽ "},
    {"???", " &lt;&gt;&amp;&quot; ｷﾀ━━━━(ﾟ∀ﾟ)━━━━!! "},
    {"Url1Shar", " <a href=\"mms://1.2.3.4\">1.2.3.4</a>は予備のアドレス "},
    {"", " IDなしの書き込み "},
    {"Mms0Fan0",
     " <a href=\"#\">&gt;&gt;12-15<span class=\"popup\"> a <br>&nbsp;&nbsp; b </span></a> 了解 "},
    {"Quad+/9x", " ＵＲＬ　ｍｍｓ：／／全角は無理 "},
    {"Url1Shar", " 文字化け"},  // followed by the stray bytes of a cut character
    {"Mms0Fan0", " 20げと "},
};

std::string showcaseLine(uint32_t number) {
  std::string body = sjis(kShowcase[number].body);
  if (number == 19) body += "\x82 \xFD ";
  return postLine(number, kShowcase[number].id, body);
}

std::string postPage(const std::vector<std::string>& lines) {
  std::string page = kHead + kHoverRule + kBodyStart;
  for (const std::string& line : lines) page += line;
  return page + kEnd;
}

// A data line split the way the viewer splits it: the ID from the date field and the body.
struct DatPost {
  std::string id, body;
};
DatPost splitDatLine(const std::string& line) {
  const size_t mailEnd = line.find('<', line.find('<') + 1);
  const size_t dateStart = mailEnd + 2;
  const size_t dateEnd = line.find('<', dateStart);
  const size_t id = line.find("ID:", dateStart);
  size_t bodyStart = dateEnd + 2;
  DatPost post;
  if (id != std::string::npos) {
    const size_t idEnd = line.find('<', id);
    post.id = line.substr(id + 3, idEnd - id - 3);
    bodyStart = idEnd + 2;
  }
  post.body = line.substr(bodyStart, line.find("<>", bodyStart) - bodyStart);
  return post;
}

// Bodies without markup or addresses are shown as the board wrote them.
bool isPlain(const std::string& body) {
  for (const char* mark : {"<", "ttp://", "mms://", "&nbsp;"}) {
    if (body.find(mark) != std::string::npos) return false;
  }
  for (size_t i = 1; i + 1 < body.size(); ++i) {
    if (body[i] == '.' && isdigit(static_cast<unsigned char>(body[i - 1])) &&
        isdigit(static_cast<unsigned char>(body[i + 1]))) {
      return false;
    }
  }
  return true;
}

// Checks a post page whose posts come from `dat`, all visible: the page skeleton and each post
// line byte for byte where the body is plain, else up to its body.
void expectPostPage(const std::string& page, const std::vector<std::string>& dat, uint32_t first,
                    uint32_t last) {
  const std::string head = kHead + kHoverRule + kBodyStart;
  ASSERT_EQ(page.substr(0, head.size()), head);
  ASSERT_GE(page.size(), head.size() + kEnd.size());
  EXPECT_EQ(page.substr(page.size() - kEnd.size()), kEnd);
  const std::vector<std::string> lines =
      splitLines(page.substr(head.size(), page.size() - head.size() - kEnd.size()));
  ASSERT_EQ(lines.size(), last - first + 1);
  int plain = 0;
  for (uint32_t number = first; number <= last; ++number) {
    const DatPost post = splitDatLine(dat[number - 1]);
    const std::string expected = postLine(number, post.id, post.body);
    const std::string& line = lines[number - first];
    if (isPlain(post.body)) {
      EXPECT_EQ(line + "\n", expected) << "post " << number;
      ++plain;
    } else {
      const std::string prefix = expected.substr(0, expected.find("]") + 1);
      EXPECT_EQ(line.substr(0, prefix.size()), prefix) << "post " << number;
      EXPECT_EQ(line.substr(line.size() - 5), "<br>\r") << "post " << number;
    }
  }
  EXPECT_GT(plain, 0);
}

// The lines vexa wrote to standard error, without the notes a sanitizer build adds.
std::vector<std::string> statusLines(const std::string& err) {
  std::vector<std::string> lines = splitLines(err);
  std::erase_if(lines, [](const std::string& line) { return line.rfind("==", 0) == 0; });
  return lines;
}

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

class HeadlessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!demo::hasPython()) GTEST_SKIP() << "python3 is not installed";
    char pattern[] = "/tmp/vexa-headless-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    pages_ = dir_ + "/pages";
  }
  void TearDown() override {
    if (!dir_.empty()) demo::runProgram({"rm", "-rf", dir_}, 10000);
  }

  // The seeded board's files as its first requests serve them.
  std::string dumped(const std::string& path, const std::string& seed = "1") {
    const std::string dump = dir_ + "/dump" + seed;
    struct stat info;
    if (stat(dump.c_str(), &info) != 0) {
      const demo::RunResult result = demo::runProgram(
          {"python3", demo::demoBoardScript(VEXA_SOURCE_DIR), "--seed", seed, "--dump", dump},
          60000);
      EXPECT_EQ(result.status, 0) << result.err;
    }
    return demo::readFile(dump + path);
  }

  void startBoard(const std::vector<std::string>& extra = {}) {
    std::vector<std::string> args = {"--seed", "1", "--chunked", "alternate"};
    args.insert(args.end(), extra.begin(), extra.end());
    ASSERT_FALSE(board_.start(VEXA_SOURCE_DIR, args)) << board_.errors();
  }

  demo::RunResult vexa(const std::vector<std::string>& args, int timeoutMs = 90000,
                       const std::function<void(demo::ChildProcess&)>& watch = {}) {
    std::vector<std::string> argv = {VEXA_BINARY, "--headless", "--menu-host", board_.address()};
    argv.insert(argv.end(), args.begin(), args.end());
    return demo::runProgram(argv, timeoutMs, watch);
  }

  std::string page(int number) {
    char name[32];
    std::snprintf(name, sizeof name, "/%04d.html", number);
    return demo::readFile(pages_ + name);
  }
  int pageCount() {
    int count = 0;
    while (!page(count + 1).empty()) ++count;
    return count;
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

  std::string dir_, pages_;
  demo::DemoBoard board_;
};

TEST_F(HeadlessTest, ShowsTheListAndEndsWithoutAThread) {
  startBoard();
  const demo::RunResult run = vexa({"--pages", pages_});
  EXPECT_EQ(run.status, 0) << run.err;
  const std::vector<Thread> threads = parseSubject(dumped("/live/subject.txt"));
  EXPECT_EQ(page(1), listPage(threads));
  EXPECT_EQ(pageCount(), 1);

  // The terminal gets one line per thread, key first, entities decoded.
  EXPECT_EQ(run.out.substr(0, run.out.find('\n')), "--- page 1 ---");
  EXPECT_TRUE(contains(run.out, "\n1700000400.dat ホロメキ実況スレ Part41 (900)\n")) << run.out;
  EXPECT_TRUE(contains(run.out, "\n1699935000.dat 【雑談】ホロメキ総合 (仮) & 何でも (611)\n"));
  EXPECT_EQ(splitLines(run.out).size(), threads.size() + 1);
  // Status lines change by change, in UTF-8, from the menu to the last rendered position.
  const std::vector<std::string> status = statusLines(run.err);
  ASSERT_FALSE(status.empty());
  EXPECT_EQ(status.front(), "[list] - bbsmenu.html へ接続 -");
  EXPECT_TRUE(contains(run.err, "[list] - 実況板のアドレスを抽出 -\n"));
  EXPECT_TRUE(contains(run.err, "[list] - subject.txt 10 行目を解析 -\n"));
  EXPECT_FALSE(contains(run.err, "[list] - subject.txt 11 行目を解析 -\n"));
  EXPECT_EQ(status.back(), "[list] - subject.txt 11 行目を描画 -");
  EXPECT_FALSE(contains(run.err, "[watch]"));
}

TEST_F(HeadlessTest, FilterAndBoardChooseWhatIsListed) {
  startBoard();
  struct Case {
    std::vector<std::string> args;
    std::string subjectPath;
    std::vector<std::string> keys;  // empty: every thread
  } cases[] = {
      // Half-width katakana finds the full-width title; a "-" word excludes.
      {{"--filter", "ﾎﾛﾒｷ -雑談"},
       "/live/subject.txt",
       {kMainKey, "1699975000.dat", "1699955000.dat", "1699915000.dat", kGoneKey, kFullKey}},
      // Hiragana and full-width letters find katakana and ASCII of any case.
      {{"--filter", "+ほろめき +ｐａｒｔ"},
       "/live/subject.txt",
       {kMainKey, "1699975000.dat", kFullKey}},
      {{"--filter", "　 　"}, "/live/subject.txt", {}},
      {{"--board", "ニュース実況"}, "/newsplus/subject.txt", {}},
  };
  for (const Case& c : cases) {
    demo::runProgram({"rm", "-rf", pages_}, 10000);
    std::vector<std::string> args = c.args;
    args.insert(args.end(), {"--pages", pages_});
    const demo::RunResult run = vexa(args);
    EXPECT_EQ(run.status, 0) << c.args[1] << run.err;
    std::vector<Thread> threads = parseSubject(dumped(c.subjectPath));
    if (!c.keys.empty()) threads = only(threads, c.keys);
    EXPECT_EQ(page(1), listPage(threads)) << c.args[1];
  }
}

TEST_F(HeadlessTest, FirstPageOfAThreadShowsItsNewestFifteenPosts) {
  startBoard();
  const demo::RunResult run = vexa({"--thread", kShowcaseKey, "--polls", "0", "--pages", pages_});
  EXPECT_EQ(run.status, 0) << run.err;
  ASSERT_EQ(pageCount(), 2);
  std::vector<std::string> lines;
  for (uint32_t number = 6; number <= 20; ++number) lines.push_back(showcaseLine(number));
  EXPECT_EQ(page(2), postPage(lines));

  // The text rendering goes on past the stray bytes of post 19.
  const std::string text = run.out.substr(run.out.find("--- page 2 ---"));
  EXPECT_TRUE(contains(text, "\n[6 ID:Quad+/9x] >>3-4 両方見れた\n")) << text;
  EXPECT_TRUE(contains(text, "\n[11] 音ズレ直った？ ⏎ http://example.com/x\n"));
  EXPECT_TRUE(contains(text, "\n[19 ID:Url1Shar] 文字化け\xEF\xBF\xBD \xEF\xBF\xBD\n"));
  EXPECT_TRUE(contains(text, "\n[20 ID:Mms0Fan0] 20げと\n"));
  // Every post line was parsed with its status line; the load ends with the receive line.
  EXPECT_TRUE(contains(run.err, "[watch] - 20 番目のレスを解析 -\n"));
  EXPECT_FALSE(contains(run.err, "[watch] - 21 番目のレスを解析 -\n"));
  EXPECT_TRUE(contains(run.err, "[watch] - 受信完了 -\n"));
  EXPECT_TRUE(
      contains(run.err, "[watch] - 書き込みパラメタを解析：/test/read.cgi/live/1699985000/l1 -\n"));
}

TEST_F(HeadlessTest, NgIdsHidePostsBeforeTheThreadLoads) {
  startBoard({"--step", "0"});  // the same twenty posts for every case
  struct Case {
    const char* id;
    std::vector<uint32_t> shown;
  } cases[] = {
      // Six posts hidden: the page walks back to the first post and still shows only 14.
      {"Mms0Fan0", {1, 2, 4, 6, 7, 9, 10, 11, 12, 14, 15, 16, 18, 19}},
      // The empty ID hides the posts without one; the newest 15 of the rest are shown.
      {"", {4, 5, 6, 7, 8, 9, 10, 12, 13, 14, 15, 17, 18, 19, 20}},
  };
  for (const Case& c : cases) {
    demo::runProgram({"rm", "-rf", pages_}, 10000);
    const demo::RunResult run =
        vexa({"--ng", c.id, "--thread", kShowcaseKey, "--polls", "0", "--pages", pages_});
    EXPECT_EQ(run.status, 0) << run.err;
    std::vector<std::string> lines;
    for (uint32_t number : c.shown) lines.push_back(showcaseLine(number));
    EXPECT_EQ(page(2), postPage(lines)) << "NG ID '" << c.id << "'";
  }
}

TEST_F(HeadlessTest, APollShowsOnlyTheNewPosts) {
  startBoard({"--step", "3"});
  const demo::RunResult run = vexa({"--thread", kShowcaseKey, "--polls", "1", "--pages", pages_});
  EXPECT_EQ(run.status, 0) << run.err;
  ASSERT_EQ(pageCount(), 3);
  // The poll downloaded the file a second time: the board served three more posts.
  const std::string file = dir_ + "/dat";
  const demo::RunResult fetched =
      demo::fetchWithPython(board_.url("/live/dat/" + kShowcaseKey), file);
  const std::vector<std::string> lines = splitLines(demo::readFile(file));
  ASSERT_GE(lines.size(), 23u) << fetched.out << fetched.err;
  expectPostPage(page(3), lines, 21, 23);
  // A refresh parses without status lines.
  EXPECT_FALSE(contains(run.err, "21 番目のレスを解析"));
}

TEST_F(HeadlessTest, AFullThreadMovesOnToItsSuccessor) {
  startBoard();
  const demo::RunResult run =
      vexa({"--thread", kFullKey, "--pages", pages_}, 90000, signalAfterPage(3, SIGTERM));
  EXPECT_EQ(run.status, 0) << run.err;
  ASSERT_EQ(pageCount(), 3);
  // The full thread's newest posts (its 1001st line is not a post), then Part41's.
  expectPostPage(page(2), splitLines(dumped("/live/dat/" + kFullKey)), 986, 1000);
  expectPostPage(page(3), splitLines(dumped("/live/dat/" + kMainKey)), 886, 900);
  EXPECT_TRUE(
      contains(run.err, "[watch] - 書き込みパラメタを解析：/test/read.cgi/live/1700000400/l1 -\n"));
  // The list was refreshed quietly before the poll: no list status lines after the first list.
  EXPECT_FALSE(contains(run.err.substr(run.err.find("[watch]")), "[list]"));
}

TEST_F(HeadlessTest, AThreadThatFillsWhileWatchedMovesOnToItsSuccessor) {
  // Each later request of a data file brings 100 posts: the first poll fills Part41 (and the
  // board opens Part42 on the way), the second sees it full and moves on.
  startBoard({"--step", "100"});
  const demo::RunResult run =
      vexa({"--thread", kMainKey, "--pages", pages_}, 120000, signalAfterPage(4, SIGTERM));
  EXPECT_EQ(run.status, 0) << run.err;
  ASSERT_EQ(pageCount(), 4);

  const std::string file = dir_ + "/fetched";
  demo::fetchWithPython(board_.url("/live/dat/" + kMainKey), file);
  const std::vector<std::string> main = splitLines(demo::readFile(file));
  ASSERT_EQ(main.size(), 1001u);
  expectPostPage(page(2), main, 886, 900);
  // The refresh took the new posts up to the 1000th; the board's 1001st line is not a post.
  expectPostPage(page(3), main, 986, 1000);

  demo::fetchWithPython(board_.url("/live/subject.txt"), file);
  std::string successorKey;
  for (const Thread& thread : parseSubject(demo::readFile(file))) {
    if (thread.title == sjis("ホロメキ実況スレ Part42")) successorKey = thread.key;
  }
  ASSERT_FALSE(successorKey.empty());
  demo::fetchWithPython(board_.url("/live/dat/" + successorKey), file);
  const std::vector<std::string> successor = splitLines(demo::readFile(file));
  ASSERT_FALSE(successor.empty());
  // Its only post so far: blanks between line breaks collapse, the reply to a post that does not
  // exist yet becomes a dead "#" link.
  const std::string body = sjis(
      " ホロメキ実況スレ Part42 <br> 実況はこちらで <br> 次スレは<a href=\"#\">&gt;&gt;980</a>"
      "が立ててください ");
  EXPECT_EQ(page(4), postPage({postLine(1, splitDatLine(successor[0]).id, body)}));
}

TEST_F(HeadlessTest, AThreadThatVanishesGoesBackToTheList) {
  startBoard();
  const demo::RunResult run = vexa({"--thread", kFallingKey, "--pages", pages_});
  EXPECT_EQ(run.status, 0) << run.err;
  ASSERT_EQ(pageCount(), 3);
  const std::vector<Thread> threads = parseSubject(dumped("/live/subject.txt"));
  EXPECT_EQ(page(1), listPage(threads));
  expectPostPage(page(2), splitLines(dumped("/live/dat/" + kFallingKey)), 388, 402);
  // The board menu is read again after the failure, and the list no longer has the thread.
  EXPECT_EQ(page(3), listPage(without(threads, kFallingKey)));
  // The failed poll was a background download: it says nothing; the list load that follows
  // starts again from the board menu.
  EXPECT_FALSE(contains(run.err, "HTTP 404")) << run.err;
  const std::string after = run.err.substr(run.err.find("[watch]"));
  EXPECT_TRUE(contains(after, "[list] - bbsmenu.html へ接続 -\n"));
}

TEST_F(HeadlessTest, FailuresEndInIdleWithTheReasonShown) {
  startBoard();
  struct Case {
    std::vector<std::string> args;
    std::string lastLine;  // the last line on standard error
    int pages;
  } cases[] = {
      {{"--thread", kGoneKey}, "[watch] サーバーがエラーを返しました (HTTP 404)", 1},
      {{"--board", "存在しない板"}, "[list] \"存在しない板\"が見つかりません", 0},
      {{"--thread", "9999.dat"}, "vexa: the board lists no thread '9999.dat'", 1},
  };
  for (const Case& c : cases) {
    demo::runProgram({"rm", "-rf", pages_}, 10000);
    std::vector<std::string> args = c.args;
    args.insert(args.end(), {"--pages", pages_});
    const demo::RunResult run = vexa(args);
    EXPECT_EQ(run.status, 1) << c.args[1] << "\n" << run.err;
    const std::vector<std::string> status = statusLines(run.err);
    ASSERT_FALSE(status.empty()) << c.args[1];
    EXPECT_EQ(status.back(), c.lastLine);
    EXPECT_EQ(pageCount(), c.pages) << c.args[1];
  }
}

TEST_F(HeadlessTest, AnUnreachableMenuServerTimesOut) {
  // Nothing listens on port 1; a refused connect is only noticed at the time limit (15 s).
  const demo::RunResult run =
      demo::runProgram({VEXA_BINARY, "--headless", "--menu-host", "127.0.0.1:1"}, 60000);
  EXPECT_EQ(run.status, 1);
  const std::vector<std::string> status = statusLines(run.err);
  ASSERT_FALSE(status.empty());
  EXPECT_EQ(status.back(), "[list] 接続がタイムアウトしました");
  EXPECT_TRUE(run.out.empty());
}

TEST_F(HeadlessTest, SignalsEndTheWatchNormally) {
  startBoard();
  for (int signal : {SIGINT, SIGTERM}) {
    demo::runProgram({"rm", "-rf", pages_}, 10000);
    const demo::RunResult run =
        vexa({"--thread", kMainKey, "--pages", pages_}, 60000, signalAfterPage(2, signal));
    EXPECT_EQ(run.status, 0) << signal << run.err;
    EXPECT_FALSE(run.timedOut);
    EXPECT_LT(run.seconds, 20) << "the signal must end the watch before its first poll";
  }
}

TEST_F(HeadlessTest, UsageErrorsExitWithTwo) {
  const std::vector<std::vector<std::string>> cases = {
      {"--bogus"},
      {"--thread"},
      {"--polls", "2"},
      {"--thread", "1.dat", "--polls", "x"},
      {"--menu-host", "127.0.0.1:99999"},
      {"--headless"},
      {"--pages", "/proc/version/pages"},
  };
  for (const auto& args : cases) {
    std::vector<std::string> argv = {VEXA_BINARY, "--headless"};
    argv.insert(argv.end(), args.begin(), args.end());
    const demo::RunResult run = demo::runProgram(argv, 30000);
    EXPECT_EQ(run.status, 2) << args[0];
    const std::vector<std::string> status = statusLines(run.err);
    ASSERT_FALSE(status.empty()) << args[0];
    EXPECT_EQ(status.front().rfind("vexa: ", 0), 0u) << run.err;
    EXPECT_TRUE(run.out.empty()) << args[0];
  }
}

}  // namespace
}  // namespace vexa
