#include "platform/tls_session.h"

#include <arpa/inet.h>
#include <gnutls/gnutls.h>
#include <gnutls/x509.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace vexa::platform {

class TlsSession::Trust {
 public:
  Trust() { gnutls_certificate_allocate_credentials(&credentials); }
  ~Trust() {
    if (credentials != nullptr) gnutls_certificate_free_credentials(credentials);
  }
  Trust(const Trust&) = delete;
  Trust& operator=(const Trust&) = delete;

  gnutls_certificate_credentials_t credentials = nullptr;
};

struct TlsSession::State {
  ~State() {
    if (session != nullptr) gnutls_deinit(session);
  }
  gnutls_session_t session = nullptr;
  std::shared_ptr<Trust> trust;  // the credentials must outlive the session
};

namespace {

bool isAddressLiteral(const char* name) {
  in_addr address;
  return inet_pton(AF_INET, name, &address) == 1;
}

TlsSession::Failure certificateFailure(unsigned status) {
  // A chain that leads nowhere trusted says nothing reliable about its other faults.
  if ((status & (GNUTLS_CERT_SIGNER_NOT_FOUND | GNUTLS_CERT_SIGNER_NOT_CA |
                 GNUTLS_CERT_SIGNATURE_FAILURE | GNUTLS_CERT_INSECURE_ALGORITHM)) != 0) {
    return TlsSession::Failure::Untrusted;
  }
  if ((status & (GNUTLS_CERT_EXPIRED | GNUTLS_CERT_NOT_ACTIVATED)) != 0) {
    return TlsSession::Failure::Expired;
  }
  if ((status & GNUTLS_CERT_UNEXPECTED_OWNER) != 0) return TlsSession::Failure::WrongHost;
  return TlsSession::Failure::Certificate;
}

bool isRetry(int code) {
  return code == GNUTLS_E_AGAIN || code == GNUTLS_E_INTERRUPTED;
}

}  // namespace

std::shared_ptr<TlsSession::Trust> TlsSession::loadTrust() {
  auto trust = std::make_shared<Trust>();
  if (trust->credentials == nullptr) return nullptr;
  // An unreadable bundle leaves no anchor, so every certificate is then refused as untrusted:
  // never a silent fall-back to accepting anything.
  const char* bundle = std::getenv("SSL_CERT_FILE");
  if (bundle != nullptr && bundle[0] != '\0') {
    gnutls_certificate_set_x509_trust_file(trust->credentials, bundle, GNUTLS_X509_FMT_PEM);
  } else {
    gnutls_certificate_set_x509_system_trust(trust->credentials);
  }
  return trust;
}

TlsSession::TlsSession(std::unique_ptr<State> state) : state_(std::move(state)) {}

TlsSession::~TlsSession() = default;

std::unique_ptr<TlsSession> TlsSession::create(int fd, const char* serverName,
                                               std::shared_ptr<Trust> trust) {
  if (trust == nullptr || serverName == nullptr || serverName[0] == '\0') return nullptr;
  auto state = std::make_unique<State>();
  state->trust = std::move(trust);
  if (gnutls_init(&state->session, GNUTLS_CLIENT | GNUTLS_NONBLOCK | GNUTLS_NO_SIGNAL) != 0) {
    state->session = nullptr;
    return nullptr;
  }
  gnutls_session_t session = state->session;
  if (gnutls_set_default_priority(session) != 0 ||
      gnutls_credentials_set(session, GNUTLS_CRD_CERTIFICATE, state->trust->credentials) != 0) {
    return nullptr;
  }
  // Server names carry DNS names only; an address is still checked against the certificate.
  if (!isAddressLiteral(serverName) &&
      gnutls_server_name_set(session, GNUTLS_NAME_DNS, serverName, std::strlen(serverName)) != 0) {
    return nullptr;
  }
  gnutls_session_set_verify_cert(session, serverName, 0);
  // The download's own time limit ends a slow handshake.
  gnutls_handshake_set_timeout(session, GNUTLS_INDEFINITE_TIMEOUT);
  gnutls_transport_set_int(session, fd);
  return std::unique_ptr<TlsSession>(new TlsSession(std::move(state)));
}

TlsSession::Step TlsSession::handshake() {
  int code = gnutls_handshake(state_->session);
  if (code == GNUTLS_E_SUCCESS) return Step::Done;
  if (isRetry(code) || gnutls_error_is_fatal(code) == 0) return Step::Pending;
  if (code == GNUTLS_E_CERTIFICATE_VERIFICATION_ERROR) {
    failure_ = certificateFailure(gnutls_session_get_verify_cert_status(state_->session));
  } else {
    failure_ = Failure::Handshake;
  }
  return Step::Failed;
}

int32_t TlsSession::send(const char* bytes, uint32_t length) {
  ssize_t sent = gnutls_record_send(state_->session, bytes, length);
  if (sent >= 0) return static_cast<int32_t>(sent);
  return isRetry(static_cast<int>(sent)) ? 0 : -2;
}

int32_t TlsSession::receive(char* out, uint32_t length) {
  ssize_t read = gnutls_record_recv(state_->session, out, length);
  if (read >= 0) return static_cast<int32_t>(read);
  int code = static_cast<int>(read);
  // A warning alert or a renegotiation request is not an answer; the time limit still runs.
  if (isRetry(code) || gnutls_error_is_fatal(code) == 0) return -1;
  return -2;
}

bool TlsSession::hasBuffered() const {
  return gnutls_record_check_pending(state_->session) > 0;
}

void TlsSession::closeNotify() {
  gnutls_bye(state_->session, GNUTLS_SHUT_WR);
}

}  // namespace vexa::platform
