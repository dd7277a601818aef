#include "net/response_reader.h"

#include <algorithm>

#include "base/text_functions.h"

namespace vexa {

namespace {

bool equalsFolded(const char* text, const char* lowerCase) {
  for (; *lowerCase != '\0'; ++text, ++lowerCase) {
    char byte = *text;
    if (byte >= 'A' && byte <= 'Z') byte = static_cast<char>(byte + 32);
    if (byte != *lowerCase) return false;
  }
  return *text == '\0';
}

// Decimal digits only (blanks around them allowed), at most 0xFFFFFFFF.
bool parseContentLength(const char* text, uint32_t* value) {
  while (*text == ' ' || *text == '\t') ++text;
  uint64_t number = 0;
  const char* digits = text;
  for (; *text >= '0' && *text <= '9'; ++text) {
    number = number * 10 + static_cast<uint64_t>(*text - '0');
    if (number > 0xFFFFFFFFu) return false;
  }
  if (text == digits) return false;
  while (*text == ' ' || *text == '\t') ++text;
  if (*text != '\0') return false;
  *value = static_cast<uint32_t>(number);
  return true;
}

// The leading hexadecimal number of a size line; what follows it (chunk extensions) is
// ignored. A line without digits or a size beyond 32 bits is malformed.
bool parseChunkSize(const char* line, uint32_t length, uint32_t* value) {
  uint32_t at = 0;
  while (at < length && (line[at] == ' ' || line[at] == '\t')) ++at;
  uint64_t number = 0;
  uint32_t start = at;
  for (int digit; at < length && (digit = hexDigitValue(line[at])) >= 0; ++at) {
    number = number * 16 + static_cast<uint64_t>(digit);
    if (number > 0xFFFFFFFFu) return false;
  }
  if (at == start) return false;
  *value = static_cast<uint32_t>(number);
  return true;
}

}  // namespace

void ResponseReader::resetResponse(int direction) {
  headersDone_ = false;
  framing_ = Framing::Unknown;
  contentLength_ = 0;
  bodyReceived_ = 0;
  firstSizeLineRead_ = false;
  chunkSize_ = 0;
  chunkReceived_ = 0;
  chunkEnd_ = 0;
  scanFrom_ = 0;
  // A new transfer must not report the status of the previous response.
  if (direction == 0) headers_.clear();
}

int32_t ResponseReader::endTransfer(int32_t value) {
  resetResponse(value >= 0 ? 1 : -1);
  receiveBuffer_.close();
  receiveBuffer_.openForReading("recv");
  if (receiveState_ > 0) receiveState_ = 0;
  return -1;
}

int32_t ResponseReader::fail(Failure reason) {
  bool running = receiveState_ == 1;
  receiveState_ = -1;
  failure_ = reason;
  if (running) endTransfer(-1);
  return -1;
}

int32_t ResponseReader::receive(ByteTransport& transport, uint32_t maxLength) {
  if (receiveState_ < 1) {
    receiveBuffer_.close();
    receiveBuffer_.openForWriting("recv");
    resetResponse(0);
    receiveState_ = 1;
    failure_ = Failure::None;
  }
  // Ending on purpose comes first: a body that is whole stays whole even when the peer has
  // reset the connection after sending it.
  if (maxLength == 0) return endTransfer(0);
  ByteTransport::Readiness readiness = transport.transportPoll();
  if (readiness == ByteTransport::Readiness::Failed) return fail(Failure::Socket);
  if (readiness == ByteTransport::Readiness::Waiting) return 0;
  uint32_t length = std::min(maxLength, kReadSize);
  char* tail = receiveBuffer_.reserveTail(length);
  if (tail == nullptr) return fail(Failure::NoMemory);
  int32_t read = transport.transportRead(tail, length);
  if (read > 0) {
    receiveBuffer_.commit(static_cast<uint32_t>(read));
    stepBytes_ += static_cast<uint32_t>(read);
    return read;
  }
  if (read == 0) return endTransfer(0);
  if (read == -1) return 0;
  return fail(Failure::Socket);
}

int32_t ResponseReader::readStep(ByteTransport& transport, CookieJar* cookies, uint32_t readSize) {
  stepBytes_ = 0;
  if (!headersDone_) return headerStep(transport, cookies, readSize);
  return bodyStep(transport, readSize);
}

// A read that ended the transfer where the framing still expected bytes cuts the body short.
int32_t ResponseReader::afterRead(int32_t read) {
  if (read < 0) return receiveState_ == -1 ? -1 : fail(Failure::CutShort);
  return static_cast<int32_t>(stepBytes_);
}

void ResponseReader::moveToAux(uint32_t offset, uint32_t count, const char* tag) {
  auxBuffer_.close();
  auxBuffer_.openForWriting(tag);
  auxBuffer_.append(receiveBuffer_.data() + offset, count);
  receiveBuffer_.erase(offset, count);
}

int32_t ResponseReader::finishBody(uint32_t bodySize) {
  // Bytes past the framed body (extra bytes, the last chunk's trailer) are not body.
  receiveBuffer_.truncate(bodySize);
  return endTransfer(0);
}

int32_t ResponseReader::headerStep(ByteTransport& transport, CookieJar* cookies,
                                   uint32_t readSize) {
  int32_t read = receive(transport, readSize);
  if (read < 0) return afterRead(read);
  int64_t at = receiveBuffer_.find("\r\n\r\n", 4, scanFrom_);
  if (at < 0) {
    // Only the last three bytes can begin the end of the block: search on from there.
    uint32_t size = receiveBuffer_.size();
    scanFrom_ = size > 3 ? size - 3 : 0;
    return static_cast<int32_t>(stepBytes_);
  }
  moveToAux(0, static_cast<uint32_t>(at) + 4, "header");
  auxBuffer_.close();
  auxBuffer_.openForReading("header");
  headers_.parse(auxBuffer_, cookies);
  headersDone_ = true;
  scanFrom_ = 0;

  if (const char* length = headers_.find("Content-Length")) {
    if (!parseContentLength(length, &contentLength_)) return fail(Failure::Malformed);
    framing_ = Framing::Length;
    bodyReceived_ = receiveBuffer_.size();
    if (bodyReceived_ >= contentLength_) return finishBody(contentLength_);
    return bodyStep(transport, readSize);
  }
  const char* coding = headers_.find("Transfer-Encoding");
  if (coding != nullptr && equalsFolded(coding, "chunked")) {
    framing_ = Framing::Chunked;
    chunkSize_ = 1;
    return bodyStep(transport, readSize);
  }
  framing_ = Framing::UntilClose;
  return static_cast<int32_t>(stepBytes_);
}

int32_t ResponseReader::bodyStep(ByteTransport& transport, uint32_t readSize) {
  switch (framing_) {
    case Framing::Length: {
      int32_t read = receive(transport, contentLength_ - bodyReceived_);
      if (read < 0) return afterRead(read);
      bodyReceived_ += static_cast<uint32_t>(read);
      if (bodyReceived_ >= contentLength_) return finishBody(contentLength_);
      return static_cast<int32_t>(stepBytes_);
    }
    case Framing::Chunked:
      return chunkedStep(transport);
    case Framing::UntilClose:
      // The peer's close is the end of such a body; a failed transport has failed it already.
      return receive(transport, readSize) < 0 ? -1 : static_cast<int32_t>(stepBytes_);
    case Framing::Unknown:
      break;
  }
  return endTransfer(0);
}

// Chunk data stays where it is in the receive buffer; the size lines and the CR LF after each
// chunk's data are cut out into the aux buffer. A size line is read one byte at a time, so no
// read runs past it.
int32_t ResponseReader::chunkedStep(ByteTransport& transport) {
  if (!firstSizeLineRead_) {
    int64_t at = receiveBuffer_.find("\r\n", 2, scanFrom_);
    if (at < 0) {
      uint32_t size = receiveBuffer_.size();
      scanFrom_ = size > 1 ? size - 1 : 0;
      return afterRead(receive(transport, 1));
    }
    uint32_t size;
    if (!parseChunkSize(receiveBuffer_.data(), static_cast<uint32_t>(at), &size)) {
      return fail(Failure::Malformed);
    }
    moveToAux(0, static_cast<uint32_t>(at) + 2, "chunk");
    firstSizeLineRead_ = true;
    scanFrom_ = 0;
    chunkSize_ = size;
    chunkReceived_ = std::min(size, receiveBuffer_.size());
    chunkEnd_ = chunkReceived_;
    if (size == 0) return finishBody(0);
  }
  while (chunkReceived_ == chunkSize_) {
    const char* data = receiveBuffer_.data();
    uint32_t available = receiveBuffer_.size() - chunkEnd_;
    if ((available >= 1 && data[chunkEnd_] != '\r') ||
        (available >= 2 && data[chunkEnd_ + 1] != '\n')) {
      return fail(Failure::Malformed);
    }
    uint32_t lineStart = chunkEnd_ + 2;
    int64_t at = receiveBuffer_.find("\r\n", 2, std::max(lineStart, scanFrom_));
    if (at < 0) {
      uint32_t size = receiveBuffer_.size();
      scanFrom_ = std::max(lineStart, size > 1 ? size - 1 : 0);
      return afterRead(receive(transport, 1));
    }
    uint32_t size;
    if (!parseChunkSize(data + lineStart, static_cast<uint32_t>(at) - lineStart, &size)) {
      return fail(Failure::Malformed);
    }
    moveToAux(chunkEnd_, static_cast<uint32_t>(at) + 2 - chunkEnd_, "chunk");
    scanFrom_ = 0;
    chunkSize_ = size;
    chunkReceived_ = std::min(size, receiveBuffer_.size() - chunkEnd_);
    chunkEnd_ += chunkReceived_;
    if (size == 0) return finishBody(chunkEnd_);
  }
  int32_t read = receive(transport, chunkSize_ - chunkReceived_);
  if (read < 0) return afterRead(read);
  chunkReceived_ += static_cast<uint32_t>(read);
  chunkEnd_ += static_cast<uint32_t>(read);
  return static_cast<int32_t>(stepBytes_);
}

}  // namespace vexa
