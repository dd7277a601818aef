#include "net/response_reader.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "net/memory_transport.h"

namespace vexa {
namespace {

using Failure = ResponseReader::Failure;

enum class End { Close, Fail, Stall };

struct Outcome {
  bool ended = false;  // a step returned -1
  int32_t state = 0;
  Failure failure = Failure::None;
  std::string body;
  int status = 0;
  uint64_t total = 0;  // every byte the steps took
};

class RecordingJar : public CookieJar {
 public:
  bool nextCookie(const char**, uint32_t*, const char**, uint32_t*, uint32_t) override {
    return false;
  }
  void setCookie(const char* name, const char* value, const char* attribute) override {
    if (attribute == nullptr) pairs.push_back(std::string(name) + "=" + (value ? value : ""));
  }
  std::vector<std::string> pairs;
};

Outcome readPieces(const std::vector<std::string>& pieces, End end = End::Close,
                   CookieJar* jar = nullptr) {
  MemoryTransport transport;
  for (const std::string& piece : pieces) transport.addPiece(piece);
  if (end == End::Fail) transport.failAtEnd();
  if (end == End::Stall) transport.stallAtEnd();
  ResponseReader reader;
  Outcome outcome;
  size_t bytes = 0;
  for (const std::string& piece : pieces) bytes += piece.size();
  // Far more steps than any case needs; a stalled transfer just stops here.
  for (size_t step = 0; step < bytes * 3 + 100; ++step) {
    int32_t n = reader.readStep(transport, jar, 2048);
    outcome.total += reader.lastStepBytes();
    if (n < 0) {
      outcome.ended = true;
      break;
    }
    EXPECT_EQ(static_cast<uint32_t>(n), reader.lastStepBytes());
  }
  outcome.state = reader.receiveState();
  outcome.failure = reader.failure();
  outcome.body.assign(reader.receiveBuffer().data(), reader.receiveBuffer().size());
  outcome.status = reader.headers().statusCode();
  return outcome;
}

Outcome readWhole(const std::string& response, End end = End::Close) {
  return readPieces({response}, end);
}

const std::string kChunked =
    "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
    "5\r\nhello\r\n"
    "6;name=value\r\n world\r\n"
    "A\r\n0123456789\r\n"
    "0\r\n\r\n";
const std::string kChunkedBody = "hello world0123456789";

const std::string kSized = "HTTP/1.1 200 OK\r\nContent-Length: 11\r\nX: y\r\n\r\nhello world";

struct Case {
  const char* name;
  std::string response;
  End end;
  bool whole;        // true: ended with state 0; false: ended failed
  Failure failure;   // when not whole
  std::string body;  // when whole
};

std::vector<Case> framingCases() {
  return {
      {"content length", kSized, End::Close, true, Failure::None, "hello world"},
      {"content length without waiting for the close", kSized, End::Stall, true, Failure::None,
       "hello world"},
      {"bytes past the length are not body", kSized + "EXTRA", End::Stall, true, Failure::None,
       "hello world"},
      {"content length zero", "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n", End::Stall, true,
       Failure::None, ""},
      {"lower-case name", "HTTP/1.1 200 OK\r\ncontent-length: 3\r\n\r\nabcdef", End::Stall, true,
       Failure::None, "abc"},
      {"length with blanks", "HTTP/1.1 200 OK\r\nContent-Length:\t 3 \r\n\r\nabc", End::Close, true,
       Failure::None, "abc"},
      {"chunked", kChunked, End::Close, true, Failure::None, kChunkedBody},
      {"chunked without waiting for the close", kChunked, End::Stall, true, Failure::None,
       kChunkedBody},
      {"chunked trailer is not body",
       "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3\r\nabc\r\n0\r\nX-T: 1\r\n\r\n",
       End::Close, true, Failure::None, "abc"},
      {"chunked name and value in any case",
       "HTTP/1.1 200 OK\r\nTRANSFER-ENCODING: Chunked \r\n\r\n2\r\nab\r\n0\r\n\r\n", End::Close,
       true, Failure::None, "ab"},
      {"first chunk empty", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n0\r\n\r\n",
       End::Stall, true, Failure::None, ""},
      {"leading zeros and upper-case hex",
       "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n000B\r\nhello world\r\n0\r\n\r\n",
       End::Close, true, Failure::None, "hello world"},
      {"length wins over chunked",
       "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nContent-Length: "
       "8\r\n\r\n3\r\nabc\r\n0\r\n",
       End::Stall, true, Failure::None, "3\r\nabc\r\n"},
      {"other coding is read until close",
       "HTTP/1.1 200 OK\r\nTransfer-Encoding: gzip, chunked\r\n\r\n3\r\nabc\r\n", End::Close, true,
       Failure::None, "3\r\nabc\r\n"},
      {"no length: read until the close", "HTTP/1.0 200 OK\r\nServer: x\r\n\r\nuntil close",
       End::Close, true, Failure::None, "until close"},
      {"no length and no body", "HTTP/1.0 200 OK\r\n\r\n", End::Close, true, Failure::None, ""},
      {"error status is delivered", "HTTP/1.1 404 Not Found\r\nContent-Length: 4\r\n\r\ngone",
       End::Close, true, Failure::None, "gone"},
      {"a reset after the whole body", kSized, End::Fail, true, Failure::None, "hello world"},
      {"long header line is cut, the next field still counts",
       "HTTP/1.1 200 OK\r\nX-Long: " + std::string(3000, 'a') + "\r\nContent-Length: 3\r\n\r\nabc",
       End::Stall, true, Failure::None, "abc"},

      {"closed before the header block ends", "HTTP/1.1 200 OK\r\nContent-Length: 3\r\n",
       End::Close, false, Failure::CutShort, ""},
      {"closed before anything", "", End::Close, false, Failure::CutShort, ""},
      {"closed before the length", "HTTP/1.1 200 OK\r\nContent-Length: 12\r\n\r\nhello world",
       End::Close, false, Failure::CutShort, ""},
      {"closed inside a chunk", kChunked.substr(0, kChunked.find("wor")), End::Close, false,
       Failure::CutShort, ""},
      {"closed inside a size line", kChunked.substr(0, kChunked.find("A\r\n") + 1), End::Close,
       false, Failure::CutShort, ""},
      {"closed before the last chunk", kChunked.substr(0, kChunked.find("0\r\n\r\n")), End::Close,
       false, Failure::CutShort, ""},
      {"closed before the first size line", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n",
       End::Close, false, Failure::CutShort, ""},
      {"socket error while reading", "HTTP/1.0 200 OK\r\n\r\npartial", End::Fail, false,
       Failure::Socket, ""},
      {"length beyond 32 bits", "HTTP/1.1 200 OK\r\nContent-Length: 4294967296\r\n\r\nabc",
       End::Close, false, Failure::Malformed, ""},
      {"length that is not a number", "HTTP/1.1 200 OK\r\nContent-Length: abc\r\n\r\nabc",
       End::Close, false, Failure::Malformed, ""},
      {"negative length", "HTTP/1.1 200 OK\r\nContent-Length: -1\r\n\r\nabc", End::Close, false,
       Failure::Malformed, ""},
      {"length with trailing junk", "HTTP/1.1 200 OK\r\nContent-Length: 3x\r\n\r\nabc", End::Close,
       false, Failure::Malformed, ""},
      {"largest length is fine but the body is short",
       "HTTP/1.1 200 OK\r\nContent-Length: 4294967295\r\n\r\nabc", End::Close, false,
       Failure::CutShort, ""},
      {"chunk size beyond 32 bits",
       "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n100000000\r\nabc", End::Close, false,
       Failure::Malformed, ""},
      {"chunk size without digits",
       "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3\r\nabc\r\nzz\r\n\r\n", End::Close,
       false, Failure::Malformed, ""},
      {"chunk data longer than its size",
       "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3\r\nabcd\r\n0\r\n\r\n", End::Close,
       false, Failure::Malformed, ""},
  };
}

void expectOutcome(const Case& c, const Outcome& outcome) {
  EXPECT_TRUE(outcome.ended);
  if (c.whole) {
    EXPECT_EQ(outcome.state, 0);
    EXPECT_EQ(outcome.failure, Failure::None);
    EXPECT_EQ(outcome.body, c.body);
  } else {
    EXPECT_EQ(outcome.state, -1);
    EXPECT_EQ(outcome.failure, c.failure);
  }
}

TEST(ResponseReader, FramesBodiesAndRefusesCutOrMalformedOnes) {
  for (const Case& c : framingCases()) {
    SCOPED_TRACE(c.name);
    expectOutcome(c, readWhole(c.response, c.end));
  }
}

TEST(ResponseReader, SameResultAtEverySplitPoint) {
  for (const Case& c : framingCases()) {
    SCOPED_TRACE(c.name);
    for (size_t split = 1; split < c.response.size(); ++split) {
      SCOPED_TRACE("split at " + std::to_string(split));
      expectOutcome(c,
                    readPieces({c.response.substr(0, split), "", c.response.substr(split)}, c.end));
      if (HasFailure()) return;
    }
  }
}

TEST(ResponseReader, SameResultByteByByte) {
  for (const Case& c : framingCases()) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> pieces;
    for (char byte : c.response) pieces.emplace_back(1, byte);
    expectOutcome(c, readPieces(pieces, c.end));
  }
}

TEST(ResponseReader, ChunkedSameResultAtEveryPairOfSplitPoints) {
  for (size_t first = 1; first < kChunked.size(); ++first) {
    for (size_t second = first + 1; second < kChunked.size(); ++second) {
      Outcome outcome =
          readPieces({kChunked.substr(0, first), kChunked.substr(first, second - first),
                      kChunked.substr(second)},
                     End::Stall);
      ASSERT_TRUE(outcome.ended) << first << "," << second;
      ASSERT_EQ(outcome.state, 0) << first << "," << second;
      ASSERT_EQ(outcome.body, kChunkedBody) << first << "," << second;
    }
  }
}

TEST(ResponseReader, LargeChunkedBodyInRandomPieces) {
  std::mt19937 random(20240601);
  std::string body;
  std::string framed = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";
  for (int chunk = 0; chunk < 200; ++chunk) {
    size_t size = random() % 3000 + 1;
    std::string data;
    for (size_t i = 0; i < size; ++i) data.push_back(static_cast<char>(random()));
    char line[32];
    std::snprintf(line, sizeof line, "%zx\r\n", size);
    framed += line + data + "\r\n";
    body += data;
  }
  framed += "0\r\n\r\n";
  for (int round = 0; round < 20; ++round) {
    std::vector<std::string> pieces;
    for (size_t at = 0; at < framed.size();) {
      size_t size = std::min<size_t>(random() % 5000 + 1, framed.size() - at);
      pieces.push_back(framed.substr(at, size));
      if (random() % 4 == 0) pieces.emplace_back();
      at += size;
    }
    Outcome outcome = readPieces(pieces, End::Stall);
    ASSERT_TRUE(outcome.ended);
    ASSERT_EQ(outcome.state, 0);
    ASSERT_EQ(outcome.body.size(), body.size());
    ASSERT_TRUE(outcome.body == body) << "round " << round;
    // Every byte is counted once; the empty line after the last chunk is not waited for.
    EXPECT_LE(outcome.total, framed.size());
    EXPECT_GE(outcome.total, framed.size() - 2);
  }
}

TEST(ResponseReader, CountsEveryByteTakenFromTheSocket) {
  std::string response = "HTTP/1.1 200 OK\r\nContent-Length: 5000\r\n\r\n" + std::string(5000, 'x');
  Outcome outcome = readPieces({response.substr(0, 100), response.substr(100)});
  EXPECT_EQ(outcome.state, 0);
  EXPECT_EQ(outcome.total, response.size());
}

TEST(ResponseReader, ReadUntilCloseKeepsGoingWhileThePeerStalls) {
  Outcome outcome = readWhole("HTTP/1.0 200 OK\r\n\r\nsome", End::Stall);
  EXPECT_FALSE(outcome.ended) << "a body without framing ends only when the peer closes";
}

TEST(ResponseReader, StatusLineAndHeaders) {
  RecordingJar jar;
  MemoryTransport transport;
  transport.addPiece(
      "HTTP/1.1 404 Not  Found Here\r\nSet-Cookie: a=1; path=/\r\nX-Dup: first\r\n"
      "set-cookie: b=2\r\nX-DUP: second\r\nNoColon\r\nContent-Length: 0\r\n\r\n");
  ResponseReader reader;
  while (reader.readStep(transport, &jar, 2048) >= 0) {
  }
  EXPECT_EQ(reader.receiveState(), 0);
  EXPECT_EQ(reader.headers().statusTokens(),
            (std::vector<std::string>{"HTTP/1.1", "404", "Not  Found Here"}));
  EXPECT_EQ(reader.headers().statusCode(), 404);
  ASSERT_NE(reader.headers().find("x-dup"), nullptr);
  EXPECT_STREQ(reader.headers().find("x-dup"), "second");
  EXPECT_EQ(jar.pairs, (std::vector<std::string>{"a=1", "b=2"})) << "both fields reach the jar";
}

TEST(ResponseReader, StatusCodeOnlyFromAWellFormedStatusLine) {
  struct Case {
    const char* line;
    int code;
  };
  const std::vector<Case> cases = {
      {"HTTP/1.1 200 OK", 200},
      {"HTTP/1.0 302", 302},
      {"HTTP/1.1 20 OK", 0},
      {"HTTP/1.1 2000 OK", 0},
      {"HTTP/1.1 2x0 OK", 0},
      {"ICY 200 OK", 0},
      {"", 0},
      {"HTTP/1.1\t503\tBusy", 503},
      {"HTTP/1.1 099 x", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    Outcome outcome = readWhole(std::string(c.line) + "\r\nContent-Length: 0\r\n\r\n");
    EXPECT_EQ(outcome.state, 0);
    EXPECT_EQ(outcome.status, c.code);
  }
}

TEST(ResponseReader, ANewTransferForgetsTheLastResponse) {
  MemoryTransport transport;
  transport.addPiece("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok");
  ResponseReader reader;
  while (reader.readStep(transport, nullptr, 2048) >= 0) {
  }
  EXPECT_EQ(reader.headers().statusCode(), 200);
  EXPECT_EQ(std::string(reader.receiveBuffer().data()), "ok");
  // The body stays readable until the next transfer receives.
  EXPECT_EQ(reader.receiveBuffer().mode(), StreamBuffer::Mode::Reading);

  MemoryTransport second;
  second.addPiece("garbage without a header block");
  while (reader.readStep(second, nullptr, 2048) >= 0) {
  }
  EXPECT_EQ(reader.receiveState(), -1);
  EXPECT_EQ(reader.headers().statusCode(), 0) << "no stale status from the first response";
}

TEST(ResponseReader, ReceiveWithZeroLengthEndsAndKeepsTheBytes) {
  MemoryTransport transport;
  transport.addPiece("HTTP/1.0 200 OK\r\n\r\nabc");
  transport.stallAtEnd();
  ResponseReader reader;
  EXPECT_GT(reader.receive(transport, 2048), 0);
  EXPECT_EQ(reader.receiveState(), 1);
  EXPECT_EQ(reader.receive(transport, 0), -1);
  EXPECT_EQ(reader.receiveState(), 0);
  EXPECT_EQ(std::string(reader.receiveBuffer().data()), "HTTP/1.0 200 OK\r\n\r\nabc");
  // On an ended transfer it starts and ends an empty one.
  EXPECT_EQ(reader.receive(transport, 0), -1);
  EXPECT_EQ(reader.receiveBuffer().size(), 0u);
}

TEST(ResponseReader, ReadsAtMostTheReadSizeAndOneByteForSizeLines) {
  MemoryTransport transport;
  transport.addPiece("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n");
  transport.addPiece("5");
  transport.addPiece("\r\nhel");
  transport.addPiece("lo\r\n0\r\n\r\n");
  ResponseReader reader;
  std::vector<uint32_t> steps;
  while (reader.readStep(transport, nullptr, 2048) >= 0) steps.push_back(reader.lastStepBytes());
  steps.push_back(reader.lastStepBytes());
  EXPECT_EQ(std::string(reader.receiveBuffer().data()), "hello");
  // No read runs past the current chunk: size lines come a byte at a time.
  for (size_t i = 1; i < steps.size(); ++i) EXPECT_LE(steps[i], 3u) << "step " << i;
}

}  // namespace
}  // namespace vexa
