// Sends arbitrary response bytes through a real TLS session, cut into records of arbitrary
// sizes and ended by a closing alert, a bare close or a close inside a record, and reads them
// with the response reader over the client session. The outcome must be the plain reading's:
// after the closing alert the same state and body; otherwise no body that plain reading would
// not give. The session's certificate comes from an authority made with openssl at start.
#include <fuzzer/FuzzedDataProvider.h>
#include <gnutls/gnutls.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "net/memory_transport.h"
#include "net/response_reader.h"
#include "platform/tls_session.h"
#include "tests/net/tls_peer.h"

namespace {

using vexa::platform::TlsSession;

vexa::test::TestAuthority* authority = nullptr;
gnutls_certificate_credentials_t serverCredentials = nullptr;
std::shared_ptr<TlsSession::Trust> trust;

// The client's side: the session's decrypted bytes, or the socket's end.
class SessionTransport : public vexa::ByteTransport {
 public:
  SessionTransport(TlsSession& session, int fd) : session_(session), fd_(fd) {}
  Readiness transportPoll() override {
    if (session_.hasBuffered()) return Readiness::Readable;
    pollfd entry{fd_, POLLIN, 0};
    if (::poll(&entry, 1, 0) < 0) return Readiness::Failed;
    return (entry.revents & (POLLIN | POLLHUP | POLLERR)) != 0 ? Readiness::Readable
                                                               : Readiness::Waiting;
  }
  int32_t transportRead(char* out, uint32_t length) override {
    return session_.receive(out, length);
  }

 private:
  TlsSession& session_;
  int fd_;
};

struct Wire {
  int fd;
  bool cut = false;
};

ssize_t push(gnutls_transport_ptr_t context, const void* bytes, size_t length) {
  Wire& wire = *static_cast<Wire*>(context);
  if (!wire.cut) return ::send(wire.fd, bytes, length, MSG_NOSIGNAL);
  ::send(wire.fd, bytes, length / 2, MSG_NOSIGNAL);
  ::shutdown(wire.fd, SHUT_WR);
  return static_cast<ssize_t>(length);
}

ssize_t pull(gnutls_transport_ptr_t context, void* out, size_t length) {
  return ::recv(static_cast<Wire*>(context)->fd, out, length, 0);
}

struct Outcome {
  bool ended = false;
  int32_t state = 0;
  std::string body;
};

Outcome readAll(vexa::ByteTransport& transport, size_t bound) {
  vexa::ResponseReader reader;
  Outcome outcome;
  for (size_t step = 0; step < bound; ++step) {
    if (reader.readStep(transport, nullptr, 2048) < 0) {
      outcome.ended = true;
      break;
    }
  }
  outcome.state = reader.receiveState();
  outcome.body.assign(reader.receiveBuffer().data(), reader.receiveBuffer().size());
  return outcome;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  authority = new vexa::test::TestAuthority;
  if (!authority->ok()) std::abort();
  ::setenv("SSL_CERT_FILE", authority->bundle().c_str(), 1);
  trust = TlsSession::loadTrust();
  gnutls_certificate_allocate_credentials(&serverCredentials);
  gnutls_certificate_set_x509_key_file(
      serverCredentials, authority->certificate(vexa::test::TestAuthority::Good).c_str(),
      authority->key(vexa::test::TestAuthority::Good).c_str(), GNUTLS_X509_FMT_PEM);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 65536) return 0;  // the socket pair's buffers hold the whole exchange
  FuzzedDataProvider provider(data, size);
  const int end = provider.ConsumeIntegralInRange<int>(0, 2);
  std::vector<size_t> records;
  for (size_t i = provider.ConsumeIntegralInRange<size_t>(0, 32); i > 0; --i) {
    records.push_back(provider.ConsumeIntegralInRange<size_t>(1, 4096));
  }
  const std::string bytes = provider.ConsumeRemainingBytesAsString();

  int fds[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, fds) != 0) return 0;
  int buffer = 1 << 20;
  for (int fd : fds) {
    ::setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &buffer, sizeof buffer);
    ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &buffer, sizeof buffer);
  }
  Wire wire{fds[1]};
  gnutls_session_t server;
  gnutls_init(&server, GNUTLS_SERVER | GNUTLS_NONBLOCK);
  gnutls_set_default_priority(server);
  gnutls_credentials_set(server, GNUTLS_CRD_CERTIFICATE, serverCredentials);
  gnutls_transport_set_ptr(server, &wire);
  gnutls_transport_set_push_function(server, push);
  gnutls_transport_set_pull_function(server, pull);
  std::unique_ptr<TlsSession> client = TlsSession::create(fds[0], "localhost", trust);
  if (client == nullptr) std::abort();

  bool clientDone = false, serverDone = false;
  for (int round = 0; round < 1000 && !(clientDone && serverDone); ++round) {
    if (!clientDone) {
      TlsSession::Step step = client->handshake();
      if (step == TlsSession::Step::Failed) std::abort();
      clientDone = step == TlsSession::Step::Done;
    }
    if (!serverDone) {
      int code = gnutls_handshake(server);
      if (code < 0 && gnutls_error_is_fatal(code) != 0) std::abort();
      serverDone = code == 0;
    }
  }
  if (!clientDone || !serverDone) std::abort();

  size_t at = 0;
  for (size_t i = 0; at < bytes.size(); ++i) {
    size_t length = records.empty() ? bytes.size() : records[i % records.size()];
    if (length > bytes.size() - at) length = bytes.size() - at;
    if (gnutls_record_send(server, bytes.data() + at, length) != static_cast<ssize_t>(length)) {
      std::abort();
    }
    at += length;
  }
  if (end == 0) {
    gnutls_bye(server, GNUTLS_SHUT_WR);
  } else if (end == 2) {
    wire.cut = true;
    gnutls_record_send(server, "more", 4);
  }
  ::shutdown(fds[1], SHUT_WR);

  SessionTransport secure(*client, fds[0]);
  const Outcome overTls = readAll(secure, bytes.size() + 64);
  vexa::MemoryTransport memory;
  memory.addPiece(bytes);
  const Outcome plain = readAll(memory, bytes.size() + 64);
  if (!overTls.ended) std::abort();  // everything has arrived: the read must end
  if (end == 0 && (overTls.state != plain.state || overTls.body != plain.body)) std::abort();
  if (overTls.state == 0 && (plain.state != 0 || overTls.body != plain.body)) std::abort();

  client.reset();
  gnutls_deinit(server);
  ::close(fds[0]);
  ::close(fds[1]);
  return 0;
}
