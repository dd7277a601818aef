#include "net/response_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/memory_transport.h"

namespace vexa {
namespace {

using Failure = ResponseReader::Failure;
using enum Failure;

enum class End { Close, Fail, Stall };
using enum End;

// Reads a response in the given pieces, on a reader that has just read another one whole.
// Returns whether a step ended the transfer.
bool readPieces(ResponseReader& reader, const std::vector<std::string>& pieces, End end) {
  MemoryTransport before;
  before.addPiece("HTTP/1.1 299 Earlier\r\nContent-Length: 2\r\n\r\nok");
  while (reader.readStep(before, nullptr, 2048) >= 0) {
  }
  MemoryTransport transport;
  for (const std::string& piece : pieces) transport.addPiece(piece);
  if (end == Fail) transport.failAtEnd();
  if (end == Stall) transport.stallAtEnd();
  // Far more steps than any case needs; a stalled transfer just stops here.
  for (size_t step = 0; step < pieces.size() * 4 + 100; ++step) {
    if (reader.readStep(transport, nullptr, 2048) < 0) return true;
  }
  return false;
}

std::string withLength(const char* length) {
  return std::string("HTTP/1.1 200 OK\r\nContent-Length: ") + length + "\r\n\r\n";
}

const std::string kChunked =
    "HTTP/1.1 200 OK\r\nTRANSFER-ENCODING: Chunked \r\n\r\n5\r\nhello\r\n6;name=value\r\n world\r\n"
    "00A\r\n0123456789\r\n0\r\n\r\n";
const std::string kChunkedHead = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";
const std::string kSized = withLength("11") + "hello world";

struct Case {
  std::string response;
  End end;
  Failure failure;  // None: the transfer ends whole with `body`
  std::string body = {};
};

const std::vector<Case> kCases = {
    // Whole: a sized or chunked body ends without waiting for the peer.
    {kSized + "EXTRA", Stall, None, "hello world"},
    {withLength("0"), Stall, None},
    {"HTTP/1.1 200 OK\r\ncontent-length:\t 3 \r\n\r\nabcdef", Stall, None, "abc"},
    {kChunked, Stall, None, "hello world0123456789"},
    {kChunkedHead + "0\r\n\r\n", Stall, None},
    {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nContent-Length: 8\r\n\r\n3\r\nabc\r\n0\r\n",
     Stall, None, "3\r\nabc\r\n"},
    {"HTTP/1.1 200 OK\r\nTransfer-Encoding: gzip, chunked\r\n\r\n3\r\nabc\r\n", Close, None,
     "3\r\nabc\r\n"},
    {"HTTP/1.0 200 OK\r\nServer: x\r\n\r\nuntil close", Close, None, "until close"},
    {"HTTP/1.0 200 OK\r\n\r\n", Close, None},
    {kSized, Fail, None, "hello world"},
    // Header lines end at CR, LF or NUL; a line past 1023 bytes is cut and its rest skipped.
    {"HTTP/1.1 200 OK\nX: 1\rContent-Length: 3\r\n\r\nabcdef", Stall, None, "abc"},
    {"HTTP/1.1 200 OK\r\nX: 1" + std::string(1, '\0') + "Content-Length: 3\r\n\r\nabcdef", Stall,
     None, "abc"},
    {"HTTP/1.1 200 OK\r\nX: " + std::string(3000, 'a') + "\r\nContent-Length: 3\r\n\r\nabc", Stall,
     None, "abc"},
    {"HTTP/1.0 200 OK\r\nX: " + std::string(1020, 'a') + "Content-Length: 3\r\n\r\nabcdef", Close,
     None, "abcdef"},
    // Cut short.
    {"HTTP/1.1 200 OK\r\nContent-Length: 3\r\n", Close, CutShort},
    {kSized.substr(0, kSized.size() - 1), Close, CutShort},
    {withLength("4294967295") + "abc", Close, CutShort},
    {kChunkedHead, Close, CutShort},
    {kChunked.substr(0, kChunked.find("wor")), Close, CutShort},
    {kChunked.substr(0, kChunked.find("0A\r\n")), Close, CutShort},
    {kChunked.substr(0, kChunked.find("0\r\n\r\n")), Close, CutShort},
    {"HTTP/1.0 200 OK\r\n\r\npartial", Fail, Socket},
    // Malformed.
    {withLength("4294967296") + "abc", Close, Malformed},
    {withLength("-1") + "abc", Close, Malformed},
    {withLength("3x") + "abc", Close, Malformed},
    {kChunkedHead + "100000000\r\nabc", Close, Malformed},
    {kChunkedHead + "3\r\nabc\r\nzz\r\n\r\n", Close, Malformed},
    {kChunkedHead + "3\r\nabcd\n0\r\n\r\n", Close, Malformed},
    {kChunkedHead + "3\r\nabc\rd0\r\n\r\n", Close, Malformed},
};

void expectOutcome(const Case& c, const std::vector<std::string>& pieces) {
  ResponseReader reader;
  EXPECT_TRUE(readPieces(reader, pieces, c.end));
  EXPECT_EQ(reader.receiveState(), c.failure == Failure::None ? 0 : -1);
  EXPECT_EQ(reader.failure(), c.failure);
  if (c.failure == Failure::None) {
    EXPECT_EQ(std::string(reader.receiveBuffer().data(), reader.receiveBuffer().size()), c.body);
  }
  // No status from the response before may stand in for a missing one.
  EXPECT_TRUE(c.response.find("\r\n\r\n") != std::string::npos ||
              reader.headers().statusCode() == 0);
}

TEST(ResponseReader, SameResultWholeByteByByteAndAtEverySplitPoint) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.response);
    std::vector<std::string> bytes;
    for (char byte : c.response) bytes.emplace_back(1, byte);
    expectOutcome(c, bytes);
    // Split at 0 is the whole response; the empty piece is a read that finds nothing waiting.
    for (size_t split = 0; split < c.response.size() && !HasFailure(); ++split) {
      SCOPED_TRACE("split at " + std::to_string(split));
      expectOutcome(c, {c.response.substr(0, split), "", c.response.substr(split)});
    }
  }
}

}  // namespace
}  // namespace vexa
