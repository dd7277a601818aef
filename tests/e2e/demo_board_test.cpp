// The demo board server (tools/demo_board.py) checked from outside, through Python's own HTTP
// client: the seeded mode's determinism and its growth by request up to a full thread, in both
// framings. The viewer reading the board's menu, lists, threads (every form of post the pages
// convert), write forms, successors and gone threads is shown by headless_test.cpp.

#include <gtest/gtest.h>

#include <fstream>
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

// The first bytes of an endless stream, through a plain socket: Python's client would wait for
// the end. Prints the status line, then the first 12 body bytes in hex and how many came.
demo::RunResult firstBytes(const std::string& address, const std::string& path) {
  static const char* const kScript =
      "import socket, sys\n"
      "host, port = sys.argv[1].rsplit(':', 1)\n"
      "s = socket.create_connection((host, int(port)), timeout=20)\n"
      "s.sendall(('GET %s HTTP/1.1\\r\\nHost: x\\r\\n\\r\\n' % sys.argv[2]).encode())\n"
      "data = b''\n"
      "while b'\\r\\n\\r\\n' not in data or len(data.split(b'\\r\\n\\r\\n', 1)[1]) < 16044:\n"
      "    piece = s.recv(65536)\n"
      "    if not piece: break\n"
      "    data += piece\n"
      "head, _, body = data.partition(b'\\r\\n\\r\\n')\n"
      "print(head.split(b'\\r\\n')[0].decode(), body[:12].hex(), len(body) >= 16044)\n";
  return demo::runProgram({"python3", "-c", kScript, address, path}, 30000);
}

TEST(DemoBoardTest, LocalStreamsArePlayedAndLinkedFromTheStreamLinkThread) {
  demo::TempDir folder;
  const std::string clip = folder.path + "/clip.webm";
  std::ofstream(clip, std::ios::binary) << "\x1a\x45\xdf\xa3 not really video";
  demo::DemoBoard board;
  ASSERT_FALSE(board.start(VEXA_SOURCE_DIR, {"--seed", "1", "--local-streams", "--stream", clip}))
      << board.errors();

  // Two posts after the twenty hand-written ones, each with one address on this server.
  const std::vector<std::string> lines =
      demo::splitLines(board.get("/live/dat/1699985000.dat").out);
  ASSERT_EQ(lines.size(), 22u);
  EXPECT_NE(lines[20].find(" http://" + board.address() + "/stream/tone.wav <>"),
            std::string::npos);
  EXPECT_NE(lines[21].find(" http://" + board.address() + "/stream/1.webm <>"), std::string::npos);
  EXPECT_NE(lines[21].find("ID:Local1St"), std::string::npos);

  const demo::RunResult file = board.get("/stream/1.webm");
  EXPECT_EQ(file.err, "200 length");
  EXPECT_EQ(file.out, demo::readFile(clip));

  // The tone is a WAV that never ends: RIFF, a huge size, WAVE; and a second of it at once.
  const demo::RunResult tone = firstBytes(board.address(), "/stream/tone.wav");
  EXPECT_EQ(tone.out, "HTTP/1.1 200 OK 524946461400008057415645 True\n") << tone.err;

  // What a confused player or user might ask for.
  for (const char* path :
       {"/stream/2.webm", "/stream/", "/stream/../clip.webm", "/stream/TONE.WAV"}) {
    EXPECT_EQ(board.get(path).err, "404 length") << path;
  }
}

TEST(DemoBoardTest, WithoutLocalStreamsTheBoardServesNoMedia) {
  demo::DemoBoard board;
  ASSERT_FALSE(board.start(VEXA_SOURCE_DIR, {"--seed", "1"})) << board.errors();
  EXPECT_EQ(demo::splitLines(board.get("/live/dat/1699985000.dat").out).size(), 20u);
  EXPECT_EQ(board.get("/stream/tone.wav").err, "404 length");

  // A file to serve that is not there stops the board at once with a clear line.
  demo::DemoBoard wrong;
  EXPECT_TRUE(wrong.start(VEXA_SOURCE_DIR, {"--stream", "/nonexistent/clip.webm"}));
  EXPECT_NE(wrong.errors().find("--stream /nonexistent/clip.webm: no such file"), std::string::npos)
      << wrong.errors();
}

}  // namespace
}  // namespace vexa
