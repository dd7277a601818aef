// The demo board server (tools/demo_board.py) checked from outside, through Python's own HTTP
// client: the seeded mode's determinism and its growth by request up to a full thread, in both
// framings. The viewer reading the board's menu, lists, threads (every form of post the pages
// convert), write forms, successors and gone threads is shown by headless_test.cpp.

#include <gtest/gtest.h>

#include <string>

#include "tools/demo_board_launcher.h"

namespace vexa {
namespace {

TEST(DemoBoardTest, SeededModeIsDeterministicAndGrowsByRequestToAFullThread) {
  // a and b differ only in framing.
  demo::DemoBoard a, b;
  ASSERT_FALSE(a.start(VEXA_SOURCE_DIR, {"--seed", "7", "--step", "30"})) << a.errors();
  ASSERT_FALSE(b.start(VEXA_SOURCE_DIR, {"--seed", "7", "--step", "30", "--chunked", "always"}))
      << b.errors();

  // 30 more posts a request, only ever at the end, up to 1000 and the board's closing line.
  std::string previous;
  for (size_t posts : {900, 930, 960, 990, 1001, 1001}) {
    const demo::RunResult plain = a.get("/live/dat/1700000400.dat");
    const demo::RunResult chunked = b.get("/live/dat/1700000400.dat");
    EXPECT_EQ(plain.err, "200 length");
    EXPECT_EQ(chunked.err, "200 chunked");
    EXPECT_EQ(chunked.out, plain.out) << posts;
    EXPECT_EQ(demo::splitLines(plain.out).size(), posts);
    EXPECT_TRUE(plain.out.starts_with(previous)) << posts;
    previous = plain.out;
  }
}

}  // namespace
}  // namespace vexa
