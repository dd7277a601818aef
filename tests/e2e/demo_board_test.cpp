// The demo board server (tools/demo_board.py) checked from outside, through Python's own HTTP
// client: the formats the viewer reads, the seeded mode's determinism, growth, fill and
// successor, gone threads, and both framings.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "platform/text_encoding.h"
#include "tools/demo_board_launcher.h"

namespace vexa {
namespace {

std::string sjis(const std::string& utf8) {
  return platform::utf8ToCp932(utf8);
}

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

struct SubjectEntry {
  std::string key;
  std::string title;
  unsigned count = 0;
};

// subject.txt as the viewer's rules read it: key before "<>", title up to the last " (", count.
std::vector<SubjectEntry> parseSubject(const std::string& text) {
  std::vector<SubjectEntry> entries;
  for (const std::string& line : splitLines(text)) {
    SubjectEntry entry;
    const size_t separator = line.find("<>");
    const size_t open = line.rfind(" (");
    const size_t close = line.find(')', open);
    if (separator == std::string::npos || open == std::string::npos || open < separator ||
        close == std::string::npos) {
      ADD_FAILURE() << "malformed subject line: " << line;
      continue;
    }
    entry.key = line.substr(0, separator);
    entry.title = line.substr(separator + 2, open - separator - 2);
    entry.count = static_cast<unsigned>(std::stoul(line.substr(open + 2, close - open - 2)));
    entries.push_back(entry);
  }
  return entries;
}

size_t longestCommonSubstring(const std::string& a, const std::string& b) {
  size_t best = 0;
  std::vector<size_t> previous(b.size() + 1), current(b.size() + 1);
  for (size_t i = 1; i <= a.size(); ++i) {
    for (size_t j = 1; j <= b.size(); ++j) {
      current[j] = a[i - 1] == b[j - 1] ? previous[j - 1] + 1 : 0;
      best = std::max(best, current[j]);
    }
    std::swap(previous, current);
  }
  return best;
}

class DemoBoardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!demo::hasPython()) GTEST_SKIP() << "python3 is not installed";
    char pattern[] = "/tmp/vexa-demo-board-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override {
    if (!dir_.empty()) demo::runProgram({"rm", "-rf", dir_}, 10000);
  }

  void startBoard(demo::DemoBoard& board, const std::vector<std::string>& args) {
    ASSERT_FALSE(board.start(VEXA_SOURCE_DIR, args)) << board.errors();
  }

  // Status and body of one GET; fails the test when the fetch itself failed.
  std::pair<std::string, std::string> get(demo::DemoBoard& board, const std::string& path) {
    const std::string file = dir_ + "/body";
    const demo::RunResult result = demo::fetchWithPython(board.url(path), file);
    EXPECT_EQ(result.status, 0) << result.err;
    return {result.out.substr(0, result.out.find('\n')), demo::readFile(file)};
  }

  std::string body(demo::DemoBoard& board, const std::string& path) {
    auto [status, text] = get(board, path);
    EXPECT_EQ(status, "200 length") << path;
    return text;
  }

  std::string dir_;
};

TEST_F(DemoBoardTest, MenuLinksTheBoardInTheUnquotedFormTheViewerReads) {
  demo::DemoBoard board;
  startBoard(board, {"--seed", "1"});
  ASSERT_EQ(board.address().rfind("127.0.0.1:", 0), 0u) << board.address();
  EXPECT_NE(board.address(), "127.0.0.1:0");

  const std::string menu = body(board, "/bbsmenu.html");
  // The viewer's rule: first occurrence of the title, back to ">", back to "=".
  for (const char* title : {"ホロメキ", "ニュース実況"}) {
    const size_t at = menu.find(sjis(title));
    ASSERT_NE(at, std::string::npos) << title;
    const size_t close = menu.rfind('>', at);
    ASSERT_NE(close, std::string::npos);
    const size_t equals = menu.rfind('=', close - 1);
    ASSERT_NE(equals, std::string::npos);
    const std::string link = menu.substr(equals + 1, close - equals - 1);
    const std::string path = std::string(title) == "ホロメキ" ? "/live/" : "/newsplus/";
    EXPECT_EQ(link, "http://" + board.address() + path) << title;
  }
  // Other boards are listed too, and the page is valid Shift_JIS.
  EXPECT_NE(menu.find(sjis("ホロメキ避難所")), std::string::npos);
  EXPECT_EQ(platform::cp932ToUtf8(menu).find("\xEF\xBF\xBD"), std::string::npos);
}

TEST_F(DemoBoardTest, SubjectListsAFullThreadWhoseSuccessorTheSearchFinds) {
  demo::DemoBoard board;
  startBoard(board, {"--seed", "1"});
  const std::vector<SubjectEntry> entries = parseSubject(body(board, "/live/subject.txt"));
  ASSERT_GE(entries.size(), 8u);

  bool titleWithParenthesis = false;
  const SubjectEntry* full = nullptr;
  for (const SubjectEntry& entry : entries) {
    EXPECT_GT(entry.count, 0u) << entry.key;
    EXPECT_EQ(entry.key.substr(entry.key.size() - 4), ".dat");
    if (entry.title.find(" (") != std::string::npos) titleWithParenthesis = true;
    if (entry.count >= 1000) full = &entry;
  }
  EXPECT_TRUE(titleWithParenthesis);
  ASSERT_NE(full, nullptr);
  // The successor rule: the longest common substring wins, earliest first, and must reach a
  // third of the full thread's title.
  const SubjectEntry* best = nullptr;
  size_t bestScore = 0;
  for (const SubjectEntry& entry : entries) {
    if (entry.key == full->key) continue;
    const size_t score = longestCommonSubstring(full->title, entry.title);
    if (best == nullptr || score > bestScore) best = &entry, bestScore = score;
  }
  ASSERT_NE(best, nullptr);
  EXPECT_GE(bestScore, full->title.size() / 3);
  EXPECT_LT(best->count, 1000u);
  EXPECT_EQ(best->title, sjis("ホロメキ実況スレ Part41"));
}

TEST_F(DemoBoardTest, DataFilesHoldEveryFormThePagesConvert) {
  demo::DemoBoard board;
  startBoard(board, {"--seed", "1"});
  const std::string dat = body(board, "/live/dat/1700000400.dat");
  const std::vector<std::string> lines = splitLines(dat);
  ASSERT_EQ(lines.size(), 900u);
  EXPECT_EQ(dat.back(), '\n');
  EXPECT_EQ(platform::cp932ToUtf8(dat).find("\xEF\xBF\xBD"), std::string::npos);

  int withId = 0, withoutId = 0, ranges = 0, replies = 0, blanks = 0;
  for (const std::string& line : lines) {
    size_t fields = 0;
    for (size_t at = line.find("<>"); at != std::string::npos; at = line.find("<>", at + 2)) {
      ++fields;
    }
    EXPECT_EQ(fields, 4u) << line;
    // Name, mail and date: only the date can hold "ID:".
    const std::string head =
        line.substr(0, line.find("<>", line.find("<>", line.find("<>") + 2) + 2));
    (head.find("ID:") != std::string::npos ? withId : withoutId)++;
    if (line.find("<a href=\"../test/read.cgi/live/1700000400/") != std::string::npos) ++replies;
    if (line.find("target=\"_blank\">&gt;&gt;") != std::string::npos &&
        line.find("-", line.find("&gt;&gt;")) < line.find("</a>")) {
      ++ranges;
    }
    if (line.find(sjis(" <br>  <br> 　<br> &nbsp;<br> ")) != std::string::npos) ++blanks;
  }
  EXPECT_GT(withId, 700);
  EXPECT_GT(withoutId, 5);
  EXPECT_GT(replies, 100);
  EXPECT_GT(ranges, 3);
  EXPECT_GT(blanks, 3);
  for (const char* address : {"http://", "ttp://sub", "mms://", "198.51.100.23:8080/"}) {
    EXPECT_NE(dat.find(address), std::string::npos) << address;
  }
  // The first line carries the title in its last field.
  EXPECT_EQ(lines[0].substr(lines[0].rfind("<>") + 2), sjis("ホロメキ実況スレ Part41"));
}

TEST_F(DemoBoardTest, SeededModeGrowsByRequestAndIsDeterministic) {
  demo::DemoBoard a, b, c;
  startBoard(a, {"--seed", "7", "--step", "30"});
  startBoard(b, {"--seed", "7", "--step", "30"});
  startBoard(c, {"--seed", "8", "--step", "30"});
  std::string previous;
  for (int request = 0; request < 4; ++request) {
    const std::string first = body(a, "/live/dat/1700000400.dat");
    EXPECT_EQ(first, body(b, "/live/dat/1700000400.dat")) << request;
    EXPECT_EQ(splitLines(first).size(), 900u + 30u * request) << request;
    // Data only grows at its end.
    EXPECT_EQ(first.compare(0, previous.size(), previous), 0) << request;
    previous = first;
  }
  EXPECT_EQ(body(a, "/live/subject.txt"), body(b, "/live/subject.txt"));
  EXPECT_NE(body(a, "/live/dat/1699975000.dat"), body(c, "/live/dat/1699975000.dat"));

  // Two more requests are worth 1050 posts: the thread stops at 1000 plus the board's closing
  // line, and its successor has appeared in the list.
  std::string full;
  for (int request = 0; request < 2; ++request) full = body(a, "/live/dat/1700000400.dat");
  const std::vector<std::string> lines = splitLines(full);
  ASSERT_EQ(lines.size(), 1001u);
  EXPECT_EQ(lines[1000].find("ID:"), std::string::npos);
  bool successorListed = false;
  for (const SubjectEntry& entry : parseSubject(body(a, "/live/subject.txt"))) {
    if (entry.title == sjis("ホロメキ実況スレ Part41")) {
      EXPECT_EQ(entry.count, 1001u);
    }
    if (entry.title == sjis("ホロメキ実況スレ Part42")) successorListed = true;
  }
  EXPECT_TRUE(successorListed);
}

TEST_F(DemoBoardTest, GoneThreadsAnswer404) {
  demo::DemoBoard board;
  startBoard(board, {"--seed", "1"});
  struct Case {
    const char* path;
    const char* status;
  } cases[] = {
      {"/live/dat/1699855000.dat", "404 length"},  // listed, but its data is gone
      {"/live/dat/1699885000.dat", "200 length"},  // served once ...
      {"/live/dat/1699885000.dat", "404 length"},  // ... then gone
      {"/live/dat/1234.dat", "404 length"},       {"/nosuchboard/subject.txt", "404 length"},
      {"/live/dat/../subject.txt", "404 length"},
  };
  for (const Case& c : cases) EXPECT_EQ(get(board, c.path).first, c.status) << c.path;
  const std::string subject = body(board, "/live/subject.txt");
  EXPECT_EQ(subject.find("1699885000.dat"), std::string::npos);
  EXPECT_NE(subject.find("1699855000.dat"), std::string::npos);
}

TEST_F(DemoBoardTest, ThreadPageCarriesTheWriteForm) {
  demo::DemoBoard board;
  startBoard(board, {"--seed", "1"});
  const std::string page = body(board, "/test/read.cgi/live/1700000400/l1");
  const size_t marker = page.find(sjis(">掲示板に戻る<"));
  ASSERT_NE(marker, std::string::npos);
  const size_t form = page.find("<form method=post", marker);
  ASSERT_NE(form, std::string::npos);
  const size_t formEnd = page.find("</form>", form);
  ASSERT_NE(formEnd, std::string::npos);
  const size_t tagEnd = page.find('>', form);
  EXPECT_NE(page.substr(form, tagEnd - form).find("action=\"../test/bbs.cgi"), std::string::npos);
  const size_t submit = page.find("<input type=submit", form);
  ASSERT_LT(submit, formEnd);
  const std::string submitTag = page.substr(submit, page.find('>', submit) - submit);
  EXPECT_NE(submitTag.find("name="), std::string::npos);
  EXPECT_NE(submitTag.find("value="), std::string::npos);
  for (const char* hidden : {"name=bbs value=live", "name=key value=1700000400"}) {
    const size_t at = page.find(std::string("<input type=hidden ") + hidden, form);
    EXPECT_LT(at, formEnd) << hidden;
  }
  // A gone thread's page has no form.
  const std::string gone = body(board, "/test/read.cgi/live/1699855000/l1");
  EXPECT_EQ(gone.find("<form method=post"), std::string::npos);
}

TEST_F(DemoBoardTest, ChunkedFramingCarriesTheSameBytes) {
  demo::DemoBoard plain, chunked;
  startBoard(plain, {"--seed", "3"});
  startBoard(chunked, {"--seed", "3", "--chunked", "always"});
  for (const char* path :
       {"/bbsmenu.html", "/live/subject.txt", "/live/dat/1699996000.dat", "/live/dat/1.dat"}) {
    auto [plainStatus, plainBody] = get(plain, path);
    auto [chunkedStatus, chunkedBody] = get(chunked, path);
    EXPECT_EQ(plainStatus.substr(4), "length") << path;
    EXPECT_EQ(chunkedStatus.substr(4), "chunked") << path;
    // The menu names each server's own port, so only the other files can match.
    if (std::string(path) != "/bbsmenu.html") {
      EXPECT_EQ(plainBody, chunkedBody) << path;
    }
  }
}

TEST_F(DemoBoardTest, DumpWritesWhatTheFirstRequestsServe) {
  demo::DemoBoard board;
  startBoard(board, {"--seed", "5"});
  const std::string dump = dir_ + "/dump";
  const demo::RunResult result = demo::runProgram(
      {"python3", demo::demoBoardScript(VEXA_SOURCE_DIR), "--seed", "5", "--dump", dump}, 60000);
  ASSERT_EQ(result.status, 0) << result.err;
  for (const char* path : {"/live/subject.txt", "/live/dat/1699985000.dat",
                           "/live/dat/1699996000.dat", "/test/read.cgi/live/1699985000/l1"}) {
    EXPECT_EQ(demo::readFile(dump + path), body(board, path)) << path;
  }
}

TEST_F(DemoBoardTest, BadOptionsAreRefused) {
  const std::vector<std::vector<std::string>> cases = {
      {"--port", "70000"}, {"--bind", "nocolon"}, {"--step", "-1"}, {"--chunked", "sometimes"}};
  for (const auto& args : cases) {
    std::vector<std::string> argv = {"python3", demo::demoBoardScript(VEXA_SOURCE_DIR)};
    argv.insert(argv.end(), args.begin(), args.end());
    const demo::RunResult result = demo::runProgram(argv, 30000);
    EXPECT_EQ(result.status, 2) << args[0];
    EXPECT_TRUE(result.out.empty()) << args[0];
  }
}

}  // namespace
}  // namespace vexa
