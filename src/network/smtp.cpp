#include "network/smtp.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

namespace {

std::string Upper(std::string s) {
  for (char& c : s) c = char(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

bool Separator(char c) { return c == ' ' || c == ',' || c == ';'; }

// Header values travel on one line: a line break inside one would start a
// header (or the body) of the sender's choosing.
std::string OneLine(std::string s) {
  for (char& c : s)
    if (c == '\r' || c == '\n') c = ' ';
  return s;
}

// Splits entries at their own line breaks (CR LF, LF or CR).
std::vector<std::string> Lines(const std::vector<std::string>& entries) {
  std::vector<std::string> out;
  for (const std::string& e : entries) {
    std::string line;
    for (size_t i = 0; i < e.size(); ++i) {
      if (e[i] == '\r' || e[i] == '\n') {
        out.push_back(line);
        line.clear();
        if (e[i] == '\r' && i + 1 < e.size() && e[i + 1] == '\n') ++i;
      } else {
        line += e[i];
      }
    }
    out.push_back(line);
  }
  return out;
}

}  // namespace

std::string NthAddress(const std::string& text, int n) {
  size_t at = std::string::npos;
  for (size_t from = 0; n > 0; --n) {
    at = text.find('@', from);
    if (at == std::string::npos) return {};
    from = at + 1;
  }
  size_t start = at;
  while (start > 0 && !Separator(text[start - 1])) --start;
  size_t end = start;
  while (end < text.size() && !Separator(text[end])) ++end;
  std::string a = text.substr(start, end - start);
  for (bool changed = true; changed && !a.empty();) {
    changed = false;
    if (a.front() == '"' || a.front() == '(' || a.front() == '<') a.erase(0, 1), changed = true;
    if (!a.empty() && (a.back() == '"' || a.back() == ')' || a.back() == '>')) a.pop_back(), changed = true;
  }
  return a;
}

std::string MailZone(int biasMinutes) {
  if (biasMinutes == 0) return "GMT";
  const int t = std::abs(biasMinutes);
  char buf[16];
  std::snprintf(buf, sizeof buf, "%c%02d%02d", biasMinutes < 0 ? '+' : '-', (t / 60) % 100, t % 60);
  return buf;
}

std::string MailDate(std::time_t now) {
  static const char* const days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::tm tm{};
  localtime_r(&now, &tm);
  char buf[64];
  std::snprintf(buf, sizeof buf, "%s, %d %s %04d %02d:%02d:%02d ", days[tm.tm_wday % 7], tm.tm_mday,
                months[tm.tm_mon % 12], tm.tm_year + 1900, tm.tm_hour, tm.tm_min, tm.tm_sec);
  return buf + MailZone(int(-tm.tm_gmtoff / 60));
}

std::string Base64(const std::string& bytes) {
  static const char* const table = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (size_t i = 0; i < bytes.size(); i += 3) {
    uint32_t v = uint32_t(uint8_t(bytes[i])) << 16;
    if (i + 1 < bytes.size()) v |= uint32_t(uint8_t(bytes[i + 1])) << 8;
    if (i + 2 < bytes.size()) v |= uint8_t(bytes[i + 2]);
    out += table[(v >> 18) & 63];
    out += table[(v >> 12) & 63];
    out += i + 1 < bytes.size() ? table[(v >> 6) & 63] : '=';
    out += i + 2 < bytes.size() ? table[v & 63] : '=';
  }
  return out;
}

// ------------------------------------------------------------------ T_SMTP

void T_SMTP::ReadReply() {
  std::string line = ReadLine();
  Trace(line, tlLine);
  int code = 0;
  for (size_t i = 0; i < 3 && i < line.size() && std::isdigit(static_cast<unsigned char>(line[i])); ++i)
    code = code * 10 + (line[i] - '0');
  ReplyCode = code;
  ReplyText = line.size() > 4 ? line.substr(4) : std::string();
  // Continuation lines carry "-" after the code; a bounded number is read.
  for (int n = 0; line.find('-') == 3; ++n) {
    if (n >= Limits.maxHeaderLines) throw ELimitError("Il server ha mandato una risposta senza fine");
    if (AtEnd()) break;
    line = ReadLine();
    Trace(line, tlLine);
  }
}

void T_SMTP::Check() {
  if (ReplyCode >= 300) throw EProtocolError("SMTP", ReplyCode, ReplyText);
}

void T_SMTP::Command(const std::string& line, bool check) {
  SendLine(line);
  ReadReply();
  if (check) Check();
}

std::vector<std::string> T_SMTP::Extensions(const std::string& localName) {
  SendLine("EHLO " + localName);
  std::vector<std::string> ext;
  std::string line = ReadLine();
  Trace(line, tlLine);
  for (int n = 0;; ++n) {
    if (line.size() > 4) ext.push_back(Upper(line.substr(4)));
    if (line.find('-') != 3 || AtEnd()) break;
    if (n >= Limits.maxHeaderLines) throw ELimitError("Il server ha mandato una risposta senza fine");
    line = ReadLine();
    Trace(line, tlLine);
  }
  ReplyCode = line.size() >= 3 ? std::atoi(line.substr(0, 3).c_str()) : 0;
  ReplyText = ext.empty() ? std::string() : ext.front();
  Check();
  return ext;
}

void T_SMTP::SignIn(const std::string& localName) {
  std::vector<std::string> ext = Extensions(localName);
  auto offers = [&ext](const std::string& word) {
    return std::any_of(ext.begin(), ext.end(), [&](const std::string& e) { return e.rfind(word, 0) == 0; });
  };
  if (!Secure()) {
    // A password never travels in clear.
    if (!offers("STARTTLS"))
      throw EProtocolError("SMTP", 0, "Il server non offre una connessione cifrata: la password non viene inviata");
    Command("STARTTLS", true);
    StartTls();
    ext = Extensions(localName);
  }
  const bool plain = std::any_of(ext.begin(), ext.end(), [](const std::string& e) {
    return e.rfind("AUTH", 0) == 0 && (" " + e + " ").find(" PLAIN ") != std::string::npos;
  });
  if (!plain) throw EProtocolError("SMTP", 0, "Il server non accetta l'accesso con password (AUTH PLAIN)");
  const std::string user = User.empty() ? NthAddress(SenderAddress, 1) : User;
  SendLine("AUTH PLAIN " + Base64(std::string(1, '\0') + user + std::string(1, '\0') + Password));
  ReadReply();
  Check();
}

void T_SMTP::SendData() {
  Command("DATA", false);
  if (ReplyCode != 354) return;
  for (std::string& line : Message) {
    if (line == ".") line = ",";
  }
  std::string data;
  // Other lines that begin with a dot get a second one, which the server
  // removes again: otherwise it would drop the line's own dot.
  for (const std::string& line : Message) data += (line.empty() || line[0] != '.' ? "" : ".") + line + "\r\n";
  data += ".\r\n";
  SendBlock(data.data(), data.size());
  ReadReply();
}

void T_SMTP::Deliver() {
  if (Recipients.empty() || Message.empty() || SenderAddress.empty()) return;
  // Lines travel one by one: a line break inside an entry would let a lone
  // "." end the data early.
  Message = Lines(Message);
  const std::string localName = LocalHostName();
  StartClock(Limits.requestTimeoutMs);
  Login();
  if (Port == 465) StartTls();
  ReadReply();
  if (!Password.empty())
    SignIn(localName);
  else
    Command("HELO " + localName, true);
  Command("MAIL FROM: <" + NthAddress(SenderAddress, 1) + ">", true);
  for (const std::string& entry : Recipients) {
    for (int i = 1;; ++i) {
      const std::string a = NthAddress(entry, i);
      if (a.empty()) break;
      Command("RCPT TO: <" + a + ">", false);
    }
  }
  SendData();
  Check();
}

// ------------------------------------------------------------------ composition

void T_MailNews::Compose(std::time_t now, const std::string& localName) {
  std::vector<std::string> lines = std::move(Composed);
  Composed.clear();
  std::tm tm{};
  localtime_r(&now, &tm);
  const long long localSeconds = (long long)now + tm.tm_gmtoff;
  Composed.push_back("From: " + OneLine(From));
  Composed.push_back("Message-ID: <" + std::to_string(localSeconds) + "@" + localName + ">");
  Composed.push_back("Date: " + MailDate(now));
  Composed.push_back("Subject: " + OneLine(Subject));
  for (std::string& l : lines) Composed.push_back(OneLine(l));
  if (!Sender.empty()) {
    Composed.push_back("Sender: " + OneLine(Sender));
    Composed.push_back("Errors-To: " + OneLine(Sender));
  }
  if (!References.empty()) Composed.push_back("References: " + OneLine(References));
  if (!ReplyTo.empty()) Composed.push_back("Reply-To: " + OneLine(ReplyTo));
  for (const std::string& h : Header) Composed.push_back(OneLine(h));
  Composed.push_back("");
  Composed.insert(Composed.end(), Body.begin(), Body.end());
}

void T_Mail::Send() { Send(std::time(nullptr), LocalHostName()); }

void T_Mail::Send(std::time_t now, const std::string& localName) {
  if (!SMTP || Recipients.empty() || From.empty()) return;
  const bool ownSender = SMTP->SenderAddress.empty();
  if (ownSender) SMTP->SenderAddress = Sender.empty() ? From : Sender;
  Composed.clear();
  if (Disclose_Receipts)
    Composed.push_back("To: disclosed recipients list");
  else
    for (const std::string& r : Recipients) Composed.push_back("To: " + r);
  SMTP->Recipients = Recipients;
  for (const std::string& c : CC) {
    Composed.push_back("CC: " + c);
    SMTP->Recipients.push_back(c);
  }
  for (const std::string& b : BCC) SMTP->Recipients.push_back(b);
  Compose(now, localName);
  SMTP->Message = Composed;
  Composed.clear();
  struct TRestore {
    T_SMTP* s;
    bool own;
    ~TRestore() {
      if (own) s->SenderAddress.clear();
    }
  } restore{SMTP, ownSender};
  SMTP->Deliver();
}
