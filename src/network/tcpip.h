// One blocking TCP connection on POSIX sockets, optionally over TLS. Every
// wait is bounded: by the connect timeout, by the time the server may stay
// silent, by the deadline of the request the connection serves, and by a stop
// flag another thread may raise at any moment.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

enum TTraceLevel { tlCommand = 0, tlLine = 1, tlBlock = 2, tlSocket = 3 };
using TTraceProc = std::function<void(const std::string& s, TTraceLevel level, int64_t txRxBytes)>;

// The base of every network failure; the message is the one the user sees.
class ETcpIpError : public std::runtime_error {
public:
  explicit ETcpIpError(const std::string& message) : std::runtime_error(message) {}
};

class ESocketError : public ETcpIpError {
public:
  explicit ESocketError(int code) : ETcpIpError("Errore di creazione socket"), Code(uint16_t(code)) {}
  uint16_t Code;
};

class EProtocolError : public ETcpIpError {
public:
  EProtocolError(std::string protocol, int code, const std::string& text)
      : ETcpIpError(text), Protocol(std::move(protocol)), Code(uint16_t(code)) {}
  std::string Protocol;
  uint16_t Code;
};

// The server kept silent too long, or the request ran past its deadline.
class ETimeoutError : public ETcpIpError {
public:
  ETimeoutError() : ETcpIpError("Il server non risponde: tempo scaduto") {}
};

// The user stopped the transfer.
class EStoppedError : public ETcpIpError {
public:
  EStoppedError() : ETcpIpError("Interrotto dall'utente") {}
};

// The server tried to make the client hold more than it accepts.
class ELimitError : public ETcpIpError {
public:
  using ETcpIpError::ETcpIpError;
};

// Timeouts and caps. Tests shorten them; `FromEnvironment` lets the command
// line tools be tested the same way (LECTRA_NET_TIMEOUT_MS, LECTRA_NET_CAFILE).
struct TNetLimits {
  int connectTimeoutMs = 15000;
  int idleTimeoutMs = 30000;     // longest silence of the server, across every phase
  int requestTimeoutMs = 30000;  // connect, request and response head (or a whole mail dialogue)
  int bodyTimeoutMs = 30 * 60 * 1000;  // the body of a response, once its head arrived
  size_t maxLineLength = 8192;
  int maxHeaderLines = 100;
  int maxRedirects = 10;
  int64_t maxBodyBytes = int64_t(1) << 30;  // 1 GiB: far above any real ebook
  std::string caFile;  // extra trusted certificates besides the system's store

  static TNetLimits FromEnvironment();
};

using TStopFlag = std::shared_ptr<std::atomic<bool>>;
inline TStopFlag MakeStopFlag() { return std::make_shared<std::atomic<bool>>(false); }

struct TTlsSession;

class T_TcpIp {
public:
  static constexpr int BufferSize = 0x7F00;

  T_TcpIp();
  virtual ~T_TcpIp();
  T_TcpIp(const T_TcpIp&) = delete;
  T_TcpIp& operator=(const T_TcpIp&) = delete;

  std::string Hostname;
  int Port = 0;
  TTraceProc OnTrace;
  TNetLimits Limits;
  TStopFlag Stop;  // may be null

  void Login();
  void Logout();
  void SendLine(const std::string& text);
  void SendBlock(const char* data, size_t size);
  std::string ReadLine();
  int ReceiveBlock(char* buffer, int size);
  bool AtEnd();
  // Turns the open connection into a TLS one, verifying the certificate
  // against `Hostname`.
  void StartTls();
  bool Connected() const { return connected_; }
  bool Secure() const { return tls_ != nullptr; }
  int Handle() const { return sock_; }
  char* Buffer() { return buffer_.data(); }

  // The clock of one request: silence is counted from now, and nothing may
  // wait past `now + ms`.
  void StartClock(int deadlineMs);
  void ExtendDeadline(int ms);

protected:
  void Trace(const std::string& s, TTraceLevel level, int64_t bytes = 0);

private:
  bool ConnectTo(const struct addrinfo* ai, const std::string& shown);
  struct addrinfo* Resolve(const std::string& port);
  // Waits until the socket is ready for `events`; throws on timeout or stop.
  void Wait(short events, bool connecting = false);
  int RawSend(const char* data, size_t size);
  int RawRecv(char* data, size_t size);
  void CloseSocket();

  int sock_ = -1;
  bool eod_ = false;
  bool connected_ = false;
  std::vector<char> buffer_;
  std::unique_ptr<TTlsSession> tls_;
  std::chrono::steady_clock::time_point lastHeard_, deadline_, connectDeadline_;
};

// The machine's own name as the name service gives it; "127.0.0.1" when it
// has none.
std::string LocalHostName();
