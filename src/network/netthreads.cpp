#include "network/netthreads.h"

#include <algorithm>

#include "network/http.h"
#include "network/smtp.h"

namespace {

// A form's answer is not shown: it is read to its end and dropped.
struct TDiscardSink : IByteSink {
  void Write(const char*, size_t) override {}
  void Truncate() override {}
};

// "host", "host:port", "[v6]" or "[v6]:port".
void SplitServer(const std::string& server, std::string& host, int& port) {
  std::string rest;
  if (!server.empty() && server[0] == '[') {
    const size_t close = server.find(']');
    host = server.substr(1, close == std::string::npos ? std::string::npos : close - 1);
    if (close != std::string::npos && close + 1 < server.size() && server[close + 1] == ':')
      rest = server.substr(close + 2);
  } else if (std::count(server.begin(), server.end(), ':') == 1) {
    const size_t colon = server.find(':');
    host = server.substr(0, colon);
    rest = server.substr(colon + 1);
  } else {
    host = server;
  }
  if (!rest.empty()) {
    const int p = std::atoi(rest.c_str());
    if (p > 0 && p < 65536) port = p;
  }
}

}  // namespace

TNetResult RunWebRequest(const std::string& address, const std::optional<std::string>& body,
                         const TNetLimits& limits, const TStopFlag& stop) {
  TNetResult r;
  try {
    T_Http http;
    http.Limits = limits;
    http.Stop = stop;
    http.Agent = "Quillon[]";
    http.ContentTypePost = "application/octet-stream";
    TDiscardSink discard;
    http.ResponseBody = &discard;
    http.URL = address;
    if (body) {
      http.RequestBody = &*body;
      http.Post();
    } else {
      http.Get();
    }
    r.status = http.StatusCode;
  } catch (const std::exception& e) {
    r.failed = true;
    r.error = e.what();
  }
  return r;
}

TNetResult RunMailRequest(const TMailRequest& mail, const TNetLimits& limits, const TStopFlag& stop) {
  TNetResult r;
  T_SMTP smtp;
  smtp.Limits = limits;
  smtp.Stop = stop;
  SplitServer(mail.server, smtp.Hostname, smtp.Port);
  smtp.Password = mail.password;
  T_Mail m;
  m.SMTP = &smtp;
  m.From = mail.sender;
  m.Recipients = {mail.recipient};
  m.Body = {mail.body};
  m.Subject = mail.subject;
  try {
    if (mail.sender.empty()) throw ETcpIpError("Manca l'indirizzo del mittente (email1)");
    m.Send();
    r.status = smtp.ReplyCode;
  } catch (const std::exception& e) {
    r.status = smtp.ReplyCode;
    r.failed = true;
    r.error = e.what();
  }
  return r;
}

TNetThreadGroup::~TNetThreadGroup() { StopAll(); }

void TNetThreadGroup::Reap() {
  for (auto it = entries_.begin(); it != entries_.end();) {
    if (it->finished->load()) {
      it->thread.join();
      it = entries_.erase(it);
    } else {
      ++it;
    }
  }
}

size_t TNetThreadGroup::Running() {
  Reap();
  return entries_.size();
}

void TNetThreadGroup::Start(std::function<TNetResult(const TStopFlag&)> work, TNetDone done) {
  Reap();
  TEntry e;
  e.stop = MakeStopFlag();
  e.finished = std::make_shared<std::atomic<bool>>(false);
  e.thread = std::thread([work = std::move(work), done = std::move(done), stop = e.stop, fin = e.finished] {
    const TNetResult r = work(stop);
    if (done) done(r);
    fin->store(true);
  });
  entries_.push_back(std::move(e));
}

void TNetThreadGroup::StopAll() {
  for (TEntry& e : entries_) e.stop->store(true);
  for (TEntry& e : entries_) e.thread.join();
  entries_.clear();
}

TOxWebThread::TOxWebThread(TNetThreadGroup& group, std::string address, std::optional<std::string> body,
                           TNetLimits limits, TNetDone done) {
  group.Start(
      [address = std::move(address), body = std::move(body), limits](const TStopFlag& stop) {
        return RunWebRequest(address, body, limits, stop);
      },
      std::move(done));
}

TOxMailThread::TOxMailThread(TNetThreadGroup& group, TMailRequest mail, TNetLimits limits, TNetDone done) {
  group.Start([mail = std::move(mail), limits](const TStopFlag& stop) { return RunMailRequest(mail, limits, stop); },
              std::move(done));
}
