#pragma once

// TLS servers for tests: an authority made at test time with Debian's openssl (nothing that
// expires is kept in the repository), and a scripted HTTPS peer on 127.0.0.1 that sends its
// pieces as separate TLS records and then ends in a chosen way.

#include <gnutls/gnutls.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/net/scripted_peer.h"

namespace vexa::test {

// A certificate authority and server certificates in a temporary folder.
class TestAuthority {
 public:
  // Server certificates: for localhost and 127.0.0.1, for another name only, expired, and one
  // from an authority nobody trusts.
  enum Leaf { Good, WrongHost, Expired, Untrusted };

  TestAuthority() {
    char pattern[] = "/tmp/vexa-tls-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) return;
    dir_ = pattern;
    ok_ = makeAuthority("ca") && makeAuthority("rogue") &&
          makeLeaf("good", "ca", "DNS:localhost,IP:127.0.0.1", "1") &&
          makeLeaf("wronghost", "ca", "DNS:other.invalid", "1") &&
          makeLeaf("expired", "ca", "DNS:localhost,IP:127.0.0.1", "-1") &&
          makeLeaf("untrusted", "rogue", "DNS:localhost,IP:127.0.0.1", "1");
  }
  ~TestAuthority() {
    std::error_code ignored;
    if (!dir_.empty()) std::filesystem::remove_all(dir_, ignored);
  }

  bool ok() const { return ok_; }
  // The bundle a client should trust (for SSL_CERT_FILE).
  std::string bundle() const { return dir_ + "/ca.pem"; }
  std::string certificate(Leaf leaf) const { return dir_ + "/" + name(leaf) + ".pem"; }
  std::string key(Leaf leaf) const { return dir_ + "/" + name(leaf) + ".key"; }

 private:
  static const char* name(Leaf leaf) {
    static const char* const kNames[] = {"good", "wronghost", "expired", "untrusted"};
    return kNames[leaf];
  }
  bool run(const std::string& command) {
    return std::system(("cd " + dir_ + " && (" + command + ") >/dev/null 2>&1").c_str()) == 0;
  }
  bool makeAuthority(const std::string& ca) {
    return run("openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -keyout " +
               ca + ".key -out " + ca + ".pem -subj /CN=vexa-test-" + ca + " -days 2");
  }
  bool makeLeaf(const std::string& leaf, const std::string& ca, const std::string& names,
                const std::string& days) {
    return run("printf 'basicConstraints=CA:FALSE\\nsubjectAltName=" + names + "\\n' > " + leaf +
               ".ext") &&
           run("openssl req -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -keyout " + leaf +
               ".key -out " + leaf + ".csr -subj /CN=vexa-test-leaf") &&
           run("openssl x509 -req -in " + leaf + ".csr -CA " + ca + ".pem -CAkey " + ca +
               ".key -CAcreateserial -out " + leaf + ".pem -days " + days + " -extfile " + leaf +
               ".ext");
  }

  std::string dir_;
  bool ok_ = false;
};

// An HTTPS server on 127.0.0.1 with an ephemeral port. On each connection, one after another,
// it completes the handshake, reads the request up to its blank line, sends each piece as one
// record (2 ms apart when there are few), then ends the session as asked. StallHandshake never
// answers the client's first message; PlainAnswer answers it with the first piece as plain
// bytes, as an HTTP server on the HTTPS port would.
class TlsPeer {
 public:
  enum End { CloseNotify, Abrupt, CutMidRecord, StallHandshake, PlainAnswer };

  TlsPeer(const std::string& certificate, const std::string& key, std::vector<std::string> pieces,
          End end = CloseNotify)
      : pieces_(std::move(pieces)), end_(end) {
    gnutls_certificate_allocate_credentials(&credentials_);
    gnutls_certificate_set_x509_key_file(credentials_, certificate.c_str(), key.c_str(),
                                         GNUTLS_X509_FMT_PEM);
    listener_ = listenOn("127.0.0.1", port_);
    thread_ = std::thread([this] {
      while (waitReadable(listener_)) {
        int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) continue;
        timeval tick{0, 20000};  // blocking calls wake up to look at the stop flag
        ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tick, sizeof tick);
        play(fd);
        ::close(fd);
      }
    });
  }
  ~TlsPeer() {
    stopping_ = true;
    ::shutdown(listener_, SHUT_RDWR);
    thread_.join();
    ::close(listener_);
    gnutls_certificate_free_credentials(credentials_);
  }

  uint16_t port() const { return port_; }
  std::vector<std::string> requests() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return requests_;
  }
  int handshakes() const { return handshakes_.load(); }

 private:
  struct Wire {
    int fd;
    bool cut = false;  // the next record goes out half, then the connection ends
  };

  static ssize_t push(gnutls_transport_ptr_t context, const void* bytes, size_t length) {
    Wire& wire = *static_cast<Wire*>(context);
    if (!wire.cut) return ::send(wire.fd, bytes, length, MSG_NOSIGNAL);
    ::send(wire.fd, bytes, length / 2, MSG_NOSIGNAL);
    ::shutdown(wire.fd, SHUT_RDWR);
    return static_cast<ssize_t>(length);
  }
  static ssize_t pull(gnutls_transport_ptr_t context, void* out, size_t length) {
    return ::recv(static_cast<Wire*>(context)->fd, out, length, 0);
  }

  bool waitReadable(int fd) {
    for (pollfd entry{fd, POLLIN, 0}; !stopping_.load();) {
      if (::poll(&entry, 1, 20) > 0) return true;
    }
    return false;
  }

  void play(int fd) {
    if (end_ == StallHandshake) {
      while (!stopping_.load()) std::this_thread::sleep_for(std::chrono::milliseconds(2));
      return;
    }
    if (end_ == PlainAnswer) {
      char hello[4096];
      if (waitReadable(fd) && ::recv(fd, hello, sizeof hello, 0) > 0 && !pieces_.empty()) {
        ::send(fd, pieces_[0].data(), pieces_[0].size(), MSG_NOSIGNAL);
      }
      return;
    }
    Wire wire{fd};
    gnutls_session_t session;
    gnutls_init(&session, GNUTLS_SERVER);
    gnutls_set_default_priority(session);
    gnutls_credentials_set(session, GNUTLS_CRD_CERTIFICATE, credentials_);
    gnutls_transport_set_ptr(session, &wire);
    gnutls_transport_set_push_function(session, push);
    gnutls_transport_set_pull_function(session, pull);
    int code;
    do {
      code = gnutls_handshake(session);
    } while (code < 0 && gnutls_error_is_fatal(code) == 0 && !stopping_.load());
    if (code == 0) {
      ++handshakes_;
      serve(session, wire);
    }
    gnutls_deinit(session);
  }

  void serve(gnutls_session_t session, Wire& wire) {
    std::string request;
    char buffer[4096];
    while (request.find("\r\n\r\n") == std::string::npos && !stopping_.load()) {
      ssize_t n = gnutls_record_recv(session, buffer, sizeof buffer);
      if (n == 0 || (n < 0 && gnutls_error_is_fatal(static_cast<int>(n)) != 0)) return;
      if (n > 0) request.append(buffer, static_cast<size_t>(n));
    }
    {
      std::lock_guard<std::mutex> guard(mutex_);
      requests_.push_back(request);
    }
    for (const std::string& piece : pieces_) {
      // A piece beyond the largest record goes out as several.
      for (size_t sent = 0; sent < piece.size();) {
        ssize_t n = gnutls_record_send(session, piece.data() + sent, piece.size() - sent);
        if (n < 0) return;
        sent += static_cast<size_t>(n);
      }
      const bool last = &piece == &pieces_.back();
      if (pieces_.size() < 100 && (!last || end_ == CutMidRecord)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
      }
    }
    if (end_ == CutMidRecord) {
      wire.cut = true;
      gnutls_record_send(session, "the rest of the body", 20);
    } else if (end_ == CloseNotify) {
      gnutls_bye(session, GNUTLS_SHUT_WR);
    }
  }

  std::vector<std::string> pieces_;
  End end_;
  gnutls_certificate_credentials_t credentials_ = nullptr;
  uint16_t port_ = 0;
  int listener_ = -1;
  std::atomic<bool> stopping_{false};
  std::atomic<int> handshakes_{0};
  mutable std::mutex mutex_;
  std::vector<std::string> requests_;
  std::thread thread_;
};

}  // namespace vexa::test
