#pragma once

#include <cstdint>
#include <memory>

namespace vexa::platform {

// A TLS client over a connected non-blocking socket: SNI, and the server's certificate checked
// against the system's trust store (or the bundle that SSL_CERT_FILE names) and the host name.
// Nothing here waits: each call does what the socket allows now and says what it still needs.
//
// One session is used by one thread at a time: the connect worker steps the handshake, then
// the download task reads and writes. The session does not own the socket.
class TlsSession {
 public:
  // Why a session could not be set up.
  enum class Failure {
    None,
    Untrusted,    // no chain to a trusted authority (or a signature that does not verify)
    WrongHost,    // the certificate names another host
    Expired,      // expired or not yet valid
    Certificate,  // another certificate fault
    Handshake,    // the peer does not speak TLS, sent an alert, or the socket failed
  };
  enum class Step { Done, Pending, Failed };

  // Trust anchors loaded once and shared by every session of one connection. Loading reads
  // and parses the bundle, so do it on a worker. Null when no anchor could be loaded.
  class Trust;
  static std::shared_ptr<Trust> loadTrust();

  // A session for the server `serverName` (a DNS name or an IPv4 address) over `fd`, or null
  // when the library refuses one.
  static std::unique_ptr<TlsSession> create(int fd, const char* serverName,
                                            std::shared_ptr<Trust> trust);
  ~TlsSession();
  TlsSession(const TlsSession&) = delete;
  TlsSession& operator=(const TlsSession&) = delete;

  // One step of the handshake, certificate check included.
  Step handshake();
  Failure failure() const { return failure_; }

  // Bytes sent (>= 0; 0 when the socket takes nothing now) or -2 on failure. After a 0 the
  // same bytes must be offered again.
  int32_t send(const char* bytes, uint32_t length);
  // Bytes read (> 0), 0 when the peer ended the session properly, -1 when nothing is waiting
  // yet, -2 on failure: an alert, a damaged record, or a close that cut the stream.
  int32_t receive(char* out, uint32_t length);
  // Decrypted bytes waiting inside the session that a socket poll would not see.
  bool hasBuffered() const;
  // Sends the closing alert if the socket takes it now; never waits.
  void closeNotify();

 private:
  struct State;
  explicit TlsSession(std::unique_ptr<State> state);
  std::unique_ptr<State> state_;
  Failure failure_ = Failure::None;
};

}  // namespace vexa::platform
