// Feeds arbitrary bytes, cut into arbitrary pieces with pauses between them, to the response read
// step, and checks that the outcome does not depend on the cuts: the same state, failure and body
// as when the bytes arrive in one piece. Also checks that the read ends within a bounded number
// of steps and that the body never holds more bytes than arrived.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "net/cookie_store.h"
#include "net/memory_transport.h"
#include "net/response_reader.h"

namespace {

class StoreJar : public vexa::CookieJar {
 public:
  bool nextCookie(const char**, uint32_t*, const char**, uint32_t*, uint32_t) override {
    return false;
  }
  void setCookie(const char* name, const char* value, const char* attribute) override {
    if (attribute == nullptr) store.set(name, value);
  }
  vexa::CookieStore store;
};

struct Outcome {
  bool ended = false;
  int32_t state = 0;
  vexa::ResponseReader::Failure failure = vexa::ResponseReader::Failure::None;
  std::string body;
  size_t cookies = 0;
};

Outcome read(const std::vector<std::string>& pieces, int end, size_t bytes) {
  vexa::MemoryTransport transport;
  for (const std::string& piece : pieces) transport.addPiece(piece);
  if (end == 1) transport.failAtEnd();
  if (end == 2) transport.stallAtEnd();
  vexa::ResponseReader reader;
  StoreJar jar;
  Outcome outcome;
  uint64_t taken = 0;
  // Each step takes a byte or more, or meets a pause; a few more end the transfer.
  const size_t limit = bytes + pieces.size() + 8;
  for (size_t step = 0; step < limit; ++step) {
    int32_t n = reader.readStep(transport, &jar, 2048);
    taken += reader.lastStepBytes();
    if (n < 0) {
      outcome.ended = true;
      break;
    }
  }
  if (!outcome.ended && end != 2) std::abort();  // a transfer that never ends without a stall
  if (taken != transport.bytesRead() || taken > bytes) std::abort();
  const vexa::StreamBuffer& body = reader.receiveBuffer();
  if (body.size() > bytes || body.data()[body.size()] != '\0') std::abort();
  outcome.state = reader.receiveState();
  outcome.failure = reader.failure();
  outcome.body.assign(body.data(), body.size());
  outcome.cookies = jar.store.size();
  return outcome;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider provider(data, size);
  const int end = provider.ConsumeIntegralInRange<int>(0, 2);
  const size_t cutCount = provider.ConsumeIntegralInRange<size_t>(0, 64);
  std::vector<size_t> cuts;
  for (size_t i = 0; i < cutCount; ++i) cuts.push_back(provider.ConsumeIntegral<uint16_t>());
  const std::string bytes = provider.ConsumeRemainingBytesAsString();

  std::vector<std::string> pieces;
  size_t at = 0;
  for (size_t cut : cuts) {
    size_t length = bytes.empty() ? 0 : cut % (bytes.size() + 1);
    if (length > bytes.size() - at) length = bytes.size() - at;
    pieces.push_back(bytes.substr(at, length));  // an empty piece is a pause
    at += length;
  }
  pieces.push_back(bytes.substr(at));

  Outcome whole = read({bytes}, end, bytes.size());
  Outcome cut = read(pieces, end, bytes.size());
  if (whole.ended != cut.ended || whole.state != cut.state || whole.failure != cut.failure ||
      whole.cookies != cut.cookies) {
    std::abort();
  }
  if (whole.ended && whole.state == 0 && whole.body != cut.body) std::abort();
  return 0;
}
