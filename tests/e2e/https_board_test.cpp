// The whole board over HTTPS: the demo board with a throw-away certificate gives vexa the same
// pages as the same board over plain HTTP, and nothing without the board's authority.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/demo_board_launcher.h"

extern char** environ;

namespace vexa {
namespace {

const std::string kShowcaseKey = "1699985000.dat";  // 20 hand-written posts

struct BoardRun {
  demo::RunResult result;
  std::vector<std::string> pages;
};

// Watches the showcase thread once (--polls 0) and keeps the pages written.
BoardRun watchShowcase(const std::string& menuHost, const std::string& certificates) {
  demo::TempDir dir;
  std::vector<std::string> env;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    if (!std::string(*entry).starts_with("SSL_CERT_FILE=")) env.push_back(*entry);
  }
  if (!certificates.empty()) env.push_back("SSL_CERT_FILE=" + certificates);
  demo::Spawn spawn;
  spawn.env = &env;
  BoardRun run;
  run.result = demo::runProgram({VEXA_BINARY, "--headless", "--menu-host", menuHost, "--pages",
                                 dir.path, "--thread", kShowcaseKey, "--polls", "0"},
                                120000, {}, spawn);
  for (int number = 1;; ++number) {
    std::string page =
        demo::readFile(dir.path + "/" + std::to_string(10000 + number).substr(1) + ".html");
    if (page.empty()) break;
    run.pages.push_back(page);
  }
  return run;
}

// The status lines with `from` read as `to`, without the size lines: how many of those there
// are depends on how the bytes arrive, and TLS delivers them in records.
std::string statusLines(const std::string& text, const std::string& from, const std::string& to) {
  std::string kept;
  for (std::string line : demo::splitLines(text)) {
    if (line.find("- データ取得 サイズ : ") != std::string::npos) continue;
    // The sanitizer's own notes carry the process id.
    if (line.starts_with("==")) continue;
    for (size_t at = from.empty() ? std::string::npos : line.find(from); at != std::string::npos;
         at = line.find(from, at + to.size())) {
      line.replace(at, from.size(), to);
    }
    kept += line + "\n";
  }
  return kept;
}

TEST(HttpsBoard, GivesTheSamePagesAsPlainHttp) {
  demo::TempDir dir;
  const std::string authority = dir.path + "/authority.pem";
  demo::DemoBoard plain, secure;
  const std::vector<std::string> board = {"--seed", "1", "--step", "0", "--chunked", "alternate"};
  std::vector<std::string> secureBoard = board;
  secureBoard.insert(secureBoard.end(), {"--https", authority});
  ASSERT_FALSE(plain.start(VEXA_SOURCE_DIR, board));
  ASSERT_FALSE(secure.start(VEXA_SOURCE_DIR, secureBoard)) << secure.errors();
  ASSERT_TRUE(secure.address().starts_with("https://127.0.0.1:"));

  const BoardRun overHttp = watchShowcase(plain.address(), "");
  const BoardRun overHttps = watchShowcase(secure.address(), authority);
  EXPECT_EQ(overHttp.result.status, 0) << overHttp.result.err;
  EXPECT_EQ(overHttps.result.status, 0) << overHttps.result.err;
  ASSERT_EQ(overHttp.pages.size(), 2u);  // the list, then the thread
  EXPECT_EQ(overHttps.pages, overHttp.pages);
  EXPECT_EQ(overHttps.result.out, overHttp.result.out);
  // The same status lines, the connecting ones naming the server with its scheme.
  EXPECT_EQ(statusLines(overHttps.result.err, secure.address(), plain.address()),
            statusLines(overHttp.result.err, "", ""));

  // Without the board's authority nothing is shown, and the line says why.
  const BoardRun untrusted = watchShowcase(secure.address(), dir.path + "/missing.pem");
  EXPECT_NE(untrusted.result.status, 0);
  EXPECT_TRUE(untrusted.pages.empty());
  EXPECT_NE(untrusted.result.err.find("証明書"), std::string::npos) << untrusted.result.err;
}

}  // namespace
}  // namespace vexa
