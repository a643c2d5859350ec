#include "network/http.h"

#include <algorithm>
#include <cctype>
#include <unistd.h>

namespace {

std::string Lower(std::string s) {
  for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

bool StartsWithNoCase(const std::string& s, const std::string& prefix) {
  return s.size() >= prefix.size() && Lower(s.substr(0, prefix.size())) == prefix;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int DefaultPort(const std::string& scheme) { return scheme == "https" ? 443 : 80; }

int ParsePort(const std::string& text) {
  if (text.empty() || text.size() > 5 || !std::all_of(text.begin(), text.end(), IsDigit))
    throw ETcpIpError("Porta non valida: " + text);
  const int port = std::stoi(text);
  if (port < 1 || port > 65535) throw ETcpIpError("Porta non valida: " + text);
  return port;
}

// A whole decimal number, or -1.
int64_t ParseCount(const std::string& text) {
  std::string t = text;
  while (!t.empty() && (t.back() == ' ' || t.back() == '\t')) t.pop_back();
  if (t.empty() || t.size() > 18 || !std::all_of(t.begin(), t.end(), IsDigit)) return -1;
  return std::stoll(t);
}

}  // namespace

TAddressParts ParseAddress(const std::string& address) {
  TAddressParts a;
  std::string rest = address;
  const size_t sep = address.find("://");
  if (sep != std::string::npos) {
    a.scheme = address.substr(0, sep);
    rest = address.substr(sep + 3);
  } else if (StartsWithNoCase(address, "mailto:")) {
    a.scheme = "mailto";
    rest = address.substr(address.find(':') + 1);
  }
  const size_t slash = rest.find('/');
  std::string authority = rest.substr(0, slash);
  if (slash != std::string::npos) a.path = rest.substr(slash);
  const size_t at = authority.rfind('@');
  size_t colon = authority.rfind(':');
  // An IPv6 literal in brackets: its own colons name no port.
  const size_t close = authority.rfind(']');
  if (close != std::string::npos && colon != std::string::npos && colon < close &&
      (at == std::string::npos || close > at))
    colon = std::string::npos;
  const size_t hostStart = at == std::string::npos ? 0 : at + 1;
  if (colon != std::string::npos && (at == std::string::npos || colon > at)) {
    a.port = authority.substr(colon + 1);
    a.host = authority.substr(hostStart, colon - hostStart);
  } else {
    a.host = authority.substr(hostStart);
  }
  if (a.host.size() >= 2 && a.host.front() == '[' && a.host.back() == ']') a.host = a.host.substr(1, a.host.size() - 2);
  if (at != std::string::npos) {
    const std::string cred = authority.substr(0, at);
    const size_t c = cred.find(':');
    a.user = cred.substr(0, c);
    if (c != std::string::npos) a.password = cred.substr(c + 1);
  }
  return a;
}

void TFileSink::Write(const char* data, size_t size) {
  if (std::fwrite(data, 1, size, file_) != size) throw ETcpIpError("Errore nella scrittura/lettura file");
}

void TFileSink::Truncate() {
  std::fflush(file_);
  if (::ftruncate(::fileno(file_), 0) != 0) throw ETcpIpError("Errore nella scrittura/lettura file");
  std::rewind(file_);
}

void T_Http::SetTarget(bool post) {
  if (Proxy.empty()) {
    const TAddressParts a = ParseAddress(URL);
    scheme_ = Lower(a.scheme);
    Hostname = a.host;
    Port = a.port.empty() ? DefaultPort(scheme_) : ParsePort(a.port);
    path_ = a.path;
  } else {
    const TAddressParts p = ParseAddress(Proxy);
    scheme_ = Lower(p.scheme);
    Hostname = p.host;
    Port = p.port.empty() ? 8080 : ParsePort(p.port);
    path_ = (post || URL.find("://") != std::string::npos) ? URL : "http://" + URL;
  }
  if (path_.empty()) path_ = "/";
}

void T_Http::ConnectTarget() {
  Login();
  if (scheme_ == "https") StartTls();
}

void T_Http::SendHead(TMethod m) {
  const char* name = m == TMethod::Head ? "HEAD" : m == TMethod::Get ? "GET" : "POST";
  SendLine(std::string(name) + " " + path_ + " HTTP/1.0");
  if (!Sender.empty()) SendLine("From: " + Sender);
  if (!Reference.empty()) SendLine("Referer: " + Reference);
  if (!Agent.empty()) SendLine("User-Agent: " + Agent);
  if (NoCache) SendLine("Pragma: no-cache");
  if (Agent.find("Mozilla/5.0") != std::string::npos) {
    SendLine("Host: " + Hostname);
    SendLine("Accept-Language: en-us,en");
    SendLine("Accept-Charset: ISO-8859-1,utf-8");
  }
  SendLine("Accept: text/html, text/plain, image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*");
  if (m == TMethod::Post) {
    const size_t n = (RequestBody ? RequestBody->size() : 0) + (RequestBody2 ? RequestBody2->size() : 0);
    SendLine("Content-Length: " + std::to_string(n));
    if (!ContentTypePost.empty()) {
      SendLine("Content-Type: " + ContentTypePost);
      SendLine("Content-Encoding: binary");
    }
  }
  SendLine("");
}

void T_Http::Redirect(const std::string& location) {
  redirected_ = true;
  if (!Proxy.empty()) {
    path_ = location;
    return;
  }
  const TAddressParts a = ParseAddress(location);
  const std::string scheme = Lower(a.scheme);
  if (!scheme.empty() && scheme != scheme_) {
    scheme_ = scheme;
    Port = DefaultPort(scheme_);
  }
  path_ = a.path.empty() ? "/" : a.path;
  Hostname = a.host;
  if (!a.port.empty()) Port = ParsePort(a.port);
}

void T_Http::ReadHeader(const std::string& line) {
  const size_t colon = line.find(':');
  if (colon == std::string::npos) return;
  const std::string name = Lower(line.substr(0, colon));
  const std::string value = colon + 2 <= line.size() ? line.substr(colon + 2) : std::string();
  if (name == "content-length") {
    const int64_t n = ParseCount(value);
    if (n < 0) throw EProtocolError("HTTP", StatusCode, "Lunghezza del contenuto non valida: " + value);
    ContentLength = n;
  } else if (name == "location") {
    Redirect(value);
  }
}

void T_Http::ReadHead() {
  StatusCode = 0;
  StatusText.clear();
  ContentLength = 0;
  redirected_ = false;
  headerLines_ = 0;
  for (;;) {
    const std::string line = ReadLine();
    if (line.empty()) break;
    Trace(line, tlLine);
    if (++headerLines_ > Limits.maxHeaderLines)
      throw ELimitError("Il server ha mandato troppe righe di intestazione (oltre " +
                        std::to_string(Limits.maxHeaderLines) + ")");
    if (line.compare(0, 7, "HTTP/1.") == 0) {
      const std::string code = line.size() > 9 ? line.substr(9, 3) : std::string();
      const int64_t n = code.size() == 3 ? ParseCount(code) : -1;
      if (n < 0) throw EProtocolError("HTTP", 0, "'" + code + "' non è un numero intero valido");
      StatusCode = int(n);
      StatusText = line.size() > 13 ? line.substr(13) : std::string();
      // An error answer is read whole, its remaining head lines included.
      if (StatusCode >= 400) return;
      continue;
    }
    ReadHeader(line);
  }
}

void T_Http::ReadBody() {
  if (!ResponseBody) return;
  if (ContentLength > Limits.maxBodyBytes)
    throw ELimitError("Il server annuncia " + std::to_string(ContentLength) + " byte, oltre il massimo di " +
                      std::to_string(Limits.maxBodyBytes));
  ExtendDeadline(Limits.bodyTimeoutMs);
  int64_t total = 0;
  while (!AtEnd()) {
    int64_t want = BufferSize;
    if (ContentLength > 0) want = std::min(want, ContentLength - total);
    if (want <= 0) break;
    const int n = ReceiveBlock(Buffer(), int(want));
    if (n <= 0) break;
    total += n;
    if (total > Limits.maxBodyBytes)
      throw ELimitError("La risposta supera il massimo di " + std::to_string(Limits.maxBodyBytes) + " byte");
    if (OnDataTxRx) OnDataTxRx(ftpReceiving, total, ContentLength);
    ResponseBody->Write(Buffer(), size_t(n));
  }
  if (ContentLength > 0 && total < ContentLength)
    throw ETcpIpError("Trasferimento incompleto: ricevuti " + std::to_string(total) + " byte di " +
                      std::to_string(ContentLength));
}

void T_Http::SendBody() {
  const int64_t total = int64_t((RequestBody ? RequestBody->size() : 0) + (RequestBody2 ? RequestBody2->size() : 0));
  int64_t sent = 0;
  for (const std::string* part : {RequestBody, RequestBody2}) {
    if (!part) continue;
    for (size_t at = 0; at < part->size(); at += BufferSize) {
      const size_t n = std::min<size_t>(BufferSize, part->size() - at);
      SendBlock(part->data() + at, n);
      sent += int64_t(n);
      if (OnDataTxRx) OnDataTxRx(ftpSending, sent, total);
    }
  }
}

bool T_Http::Exchange(TMethod m) {
  struct TLogout {
    T_Http& h;
    ~TLogout() { h.Logout(); }
  } logout{*this};
  ConnectTarget();
  SendHead(m);
  if (m == TMethod::Post) SendBody();
  ReadHead();
  if (m != TMethod::Head) ReadBody();
  return redirected_;
}

void T_Http::Get() {
  SetTarget(false);
  StartClock(Limits.requestTimeoutMs);
  redirects_ = 0;
  auto follow = [this] {
    if (++redirects_ > Limits.maxRedirects)
      throw ELimitError("Troppi reindirizzamenti (più di " + std::to_string(Limits.maxRedirects) + ")");
    ExtendDeadline(Limits.requestTimeoutMs);
  };
  if (HeadFirst && Exchange(TMethod::Head)) follow();
  while (Exchange(TMethod::Get)) {
    follow();
    if (ResponseBody) ResponseBody->Truncate();
  }
}

void T_Http::Post() {
  SetTarget(true);
  StartClock(Limits.requestTimeoutMs);
  Exchange(TMethod::Post);
}
