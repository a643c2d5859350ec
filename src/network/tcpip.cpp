#include "network/tcpip.h"

#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int SliceMs = 50;  // how often a wait looks at the stop flag

int EnvInt(const char* name, int def) {
  const char* v = std::getenv(name);
  if (!v || !*v) return def;
  char* end = nullptr;
  const long n = std::strtol(v, &end, 10);
  return (*end || n <= 0 || n > 24L * 3600 * 1000) ? def : int(n);
}

std::string AddressText(const sockaddr* sa) {
  char text[INET6_ADDRSTRLEN] = {};
  if (sa->sa_family == AF_INET)
    inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(sa)->sin_addr, text, sizeof text);
  else if (sa->sa_family == AF_INET6)
    inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6*>(sa)->sin6_addr, text, sizeof text);
  return text;
}

std::string TlsErrorText() {
  const unsigned long e = ERR_get_error();
  if (!e) return "connessione cifrata interrotta";
  char buf[256];
  ERR_error_string_n(e, buf, sizeof buf);
  return buf;
}

}  // namespace

TNetLimits TNetLimits::FromEnvironment() {
  TNetLimits l;
  const int t = EnvInt("LECTRA_NET_TIMEOUT_MS", 0);
  if (t > 0) l.connectTimeoutMs = l.idleTimeoutMs = l.requestTimeoutMs = t;
  if (const char* ca = std::getenv("LECTRA_NET_CAFILE")) l.caFile = ca;
  return l;
}

struct TTlsSession {
  SSL_CTX* ctx = nullptr;
  SSL* ssl = nullptr;
  ~TTlsSession() {
    if (ssl) SSL_free(ssl);
    if (ctx) SSL_CTX_free(ctx);
  }
};

T_TcpIp::T_TcpIp() : buffer_(BufferSize) { StartClock(Limits.requestTimeoutMs); }

T_TcpIp::~T_TcpIp() {
  if (sock_ >= 0) Logout();
}

void T_TcpIp::Trace(const std::string& s, TTraceLevel level, int64_t bytes) {
  if (OnTrace) OnTrace(s, level, bytes);
}

void T_TcpIp::StartClock(int deadlineMs) {
  lastHeard_ = Clock::now();
  deadline_ = lastHeard_ + std::chrono::milliseconds(deadlineMs);
}

void T_TcpIp::ExtendDeadline(int ms) { deadline_ = Clock::now() + std::chrono::milliseconds(ms); }

void T_TcpIp::Wait(short events, bool connecting) {
  for (;;) {
    if (Stop && Stop->load()) throw EStoppedError();
    const auto now = Clock::now();
    auto until = std::min(deadline_, lastHeard_ + std::chrono::milliseconds(Limits.idleTimeoutMs));
    if (connecting) until = std::min(until, connectDeadline_);
    if (now >= until) throw ETimeoutError();
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - now).count();
    pollfd p{sock_, events, 0};
    const int r = ::poll(&p, 1, int(std::min<long long>(left + 1, SliceMs)));
    if (r > 0) return;
    if (r < 0 && errno != EINTR) throw ESocketError(errno);
  }
}

void T_TcpIp::CloseSocket() {
  tls_.reset();
  if (sock_ >= 0) {
    ::close(sock_);
    Trace("Socket chiuso, ID " + std::to_string(sock_), tlSocket);
  }
  sock_ = -1;
  connected_ = false;
}

bool T_TcpIp::ConnectTo(const addrinfo* ai, const std::string& shown) {
  sock_ = ::socket(ai->ai_family, ai->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, ai->ai_protocol);
  if (sock_ < 0) return false;
  connectDeadline_ = Clock::now() + std::chrono::milliseconds(Limits.connectTimeoutMs);
  int err = 0;
  if (::connect(sock_, ai->ai_addr, ai->ai_addrlen) < 0) {
    err = errno;
    if (err == EINPROGRESS) {
      try {
        Wait(POLLOUT, true);
      } catch (const ETimeoutError&) {
        CloseSocket();
        throw;
      } catch (const EStoppedError&) {
        CloseSocket();
        throw;
      }
      socklen_t len = sizeof err;
      if (::getsockopt(sock_, SOL_SOCKET, SO_ERROR, &err, &len) < 0) err = errno;
    }
  }
  if (err) {
    errno = err;
    CloseSocket();
    Trace("Apertura fallita per il socket di output " + std::to_string(Port) + " per l' host " + shown, tlSocket);
    errno = err;
    return false;
  }
  int one = 1;
  ::setsockopt(sock_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  return true;
}

void T_TcpIp::Login() {
  if (connected_ || sock_ >= 0) Logout();
  if (Hostname.empty()) throw ETcpIpError("Non riesco a tradurre in numeri il nome host " + Hostname);
  const std::string port = std::to_string(Port);
  addrinfo* list = Resolve(port);
  if (!list) throw ETcpIpError("Non riesco a tradurre in numeri il nome host " + Hostname);
  std::unique_ptr<addrinfo, decltype(&freeaddrinfo)> guard(list, freeaddrinfo);
  int lastError = ECONNREFUSED;
  for (const addrinfo* ai = list; ai; ai = ai->ai_next) {
    const std::string shown = AddressText(ai->ai_addr);
    if (ConnectTo(ai, shown)) {
      Trace("Output socket " + port + " per l' host " + shown + " aperto con successo; ID " + std::to_string(sock_),
            tlSocket);
      eod_ = false;
      connected_ = true;
      return;
    }
    lastError = errno;
  }
  throw ESocketError(lastError);
}

// The name service runs in the background, so that a stalled lookup obeys the
// connect timeout and the stop flag like every other wait. A lookup that
// cannot be cancelled keeps its request block, which the resolver still fills.
addrinfo* T_TcpIp::Resolve(const std::string& port) {
  struct TLookup {
    std::string host, port;
    addrinfo hints{};
    gaicb request{};
  };
  auto* l = new TLookup{Hostname, port};
  l->hints.ai_family = AF_UNSPEC;
  l->hints.ai_socktype = SOCK_STREAM;
  l->request.ar_name = l->host.c_str();
  l->request.ar_service = l->port.c_str();
  l->request.ar_request = &l->hints;
  gaicb* list[] = {&l->request};
  if (::getaddrinfo_a(GAI_NOWAIT, list, 1, nullptr) != 0) {
    delete l;
    return nullptr;
  }
  const auto until = Clock::now() + std::chrono::milliseconds(Limits.connectTimeoutMs);
  for (;;) {
    const int state = ::gai_error(&l->request);
    if (state != EAI_INPROGRESS) {
      addrinfo* result = state == 0 ? l->request.ar_result : nullptr;
      delete l;
      return result;
    }
    const bool stopped = Stop && Stop->load();
    if (stopped || Clock::now() >= std::min(until, deadline_)) {
      const int c = ::gai_cancel(&l->request);
      if (c == EAI_ALLDONE && l->request.ar_result) ::freeaddrinfo(l->request.ar_result);
      if (c != EAI_NOTCANCELED) delete l;  // else the resolver still owns it
      if (stopped) throw EStoppedError();
      throw ETimeoutError();
    }
    const timespec slice{0, SliceMs * 1000000L};
    ::gai_suspend(list, 1, &slice);
  }
}

void T_TcpIp::Logout() { CloseSocket(); }

void T_TcpIp::StartTls() {
  if (!connected_) throw ESocketError(ENOTCONN);
  // OpenSSL writes without MSG_NOSIGNAL: a peer that left must not end the program.
  static const bool pipeIgnored = (std::signal(SIGPIPE, SIG_IGN), true);
  (void)pipeIgnored;
  auto s = std::make_unique<TTlsSession>();
  s->ctx = SSL_CTX_new(TLS_client_method());
  if (!s->ctx) throw ETcpIpError("Connessione cifrata impossibile: " + TlsErrorText());
  SSL_CTX_set_min_proto_version(s->ctx, TLS1_2_VERSION);
  SSL_CTX_set_default_verify_paths(s->ctx);
  if (!Limits.caFile.empty()) SSL_CTX_load_verify_locations(s->ctx, Limits.caFile.c_str(), nullptr);
  SSL_CTX_set_verify(s->ctx, SSL_VERIFY_PEER, nullptr);
  s->ssl = SSL_new(s->ctx);
  SSL_set_fd(s->ssl, sock_);
  SSL_set_tlsext_host_name(s->ssl, Hostname.c_str());
  in6_addr probe6;
  in_addr probe4;
  const bool literal = inet_pton(AF_INET, Hostname.c_str(), &probe4) == 1 ||
                       inet_pton(AF_INET6, Hostname.c_str(), &probe6) == 1;
  if (literal)
    X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(s->ssl), Hostname.c_str());
  else
    SSL_set1_host(s->ssl, Hostname.c_str());
  for (;;) {
    const int r = SSL_connect(s->ssl);
    if (r == 1) break;
    const int e = SSL_get_error(s->ssl, r);
    if (e == SSL_ERROR_WANT_READ) Wait(POLLIN);
    else if (e == SSL_ERROR_WANT_WRITE) Wait(POLLOUT);
    else {
      const long v = SSL_get_verify_result(s->ssl);
      if (v != X509_V_OK)
        throw ETcpIpError(std::string("Certificato del server non valido: ") + X509_verify_cert_error_string(v));
      throw ETcpIpError("Connessione cifrata non riuscita: " + TlsErrorText());
    }
  }
  lastHeard_ = Clock::now();
  tls_ = std::move(s);
}

int T_TcpIp::RawSend(const char* data, size_t size) {
  for (;;) {
    if (tls_) {
      const int r = SSL_write(tls_->ssl, data, int(size));
      if (r > 0) return r;
      const int e = SSL_get_error(tls_->ssl, r);
      if (e == SSL_ERROR_WANT_READ) Wait(POLLIN);
      else if (e == SSL_ERROR_WANT_WRITE) Wait(POLLOUT);
      else throw ESocketError(EPIPE);
      continue;
    }
    const ssize_t r = ::send(sock_, data, size, MSG_NOSIGNAL);
    if (r >= 0) return int(r);
    if (errno == EAGAIN || errno == EWOULDBLOCK) Wait(POLLOUT);
    else if (errno != EINTR) throw ESocketError(errno);
  }
}

// Bytes received, 0 at the end of the data.
int T_TcpIp::RawRecv(char* data, size_t size) {
  for (;;) {
    if (tls_) {
      const int r = SSL_read(tls_->ssl, data, int(size));
      if (r > 0) return r;
      const int e = SSL_get_error(tls_->ssl, r);
      if (e == SSL_ERROR_WANT_READ) Wait(POLLIN);
      else if (e == SSL_ERROR_WANT_WRITE) Wait(POLLOUT);
      else return 0;
      continue;
    }
    const ssize_t r = ::recv(sock_, data, size, 0);
    if (r >= 0) return int(r);
    if (errno == EAGAIN || errno == EWOULDBLOCK) Wait(POLLIN);
    else if (errno != EINTR) return 0;
  }
}

void T_TcpIp::SendBlock(const char* data, size_t size) {
  if (sock_ < 0) throw ESocketError(ENOTCONN);
  size_t sent = 0;
  while (sent < size) {
    const int n = RawSend(data + sent, size - sent);
    sent += size_t(n);
    Trace("Trasmessi " + std::to_string(n) + " bytes sul socket ID " + std::to_string(sock_), tlBlock, n);
  }
}

void T_TcpIp::SendLine(const std::string& text) {
  const std::string line = text + "\r\n";
  if (sock_ < 0) throw ESocketError(ENOTCONN);
  size_t sent = 0;
  while (sent < line.size()) sent += size_t(RawSend(line.data() + sent, line.size() - sent));
  Trace(text, tlCommand);
}

std::string T_TcpIp::ReadLine() {
  std::string line;
  char c;
  while (sock_ >= 0 && !eod_) {
    if (RawRecv(&c, 1) <= 0) {
      eod_ = true;
      break;
    }
    lastHeard_ = Clock::now();
    if (c == '\n') break;
    if (c == '\r') continue;
    if (line.size() >= Limits.maxLineLength)
      throw ELimitError("Il server ha mandato una riga troppo lunga (oltre " + std::to_string(Limits.maxLineLength) +
                        " caratteri)");
    line += c;
  }
  return line;
}

int T_TcpIp::ReceiveBlock(char* buffer, int size) {
  if (sock_ < 0 || eod_) return 0;
  const int n = RawRecv(buffer, size_t(size));
  if (n <= 0) {
    eod_ = true;
    return 0;
  }
  lastHeard_ = Clock::now();
  Trace("Ricevuti " + std::to_string(n) + " bytes sul socket ID " + std::to_string(sock_), tlBlock, n);
  return n;
}

bool T_TcpIp::AtEnd() {
  if (eod_ || sock_ < 0) return true;
  sockaddr_storage peer;
  socklen_t len = sizeof peer;
  return ::getpeername(sock_, reinterpret_cast<sockaddr*>(&peer), &len) != 0;
}

std::string LocalHostName() {
  char name[256] = {};
  if (::gethostname(name, sizeof name - 1) != 0 || !name[0]) return "127.0.0.1";
  addrinfo hints{};
  hints.ai_flags = AI_CANONNAME;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* list = nullptr;
  if (::getaddrinfo(name, nullptr, &hints, &list) != 0 || !list) return "127.0.0.1";
  std::string official = list->ai_canonname ? list->ai_canonname : name;
  freeaddrinfo(list);
  return official.empty() ? "127.0.0.1" : official;
}
