// The background requests of forms: a web submission (TOxWebThread) and an
// e-mail (TOxMailThread). Each receives copies of what it needs, runs on its
// own thread and reports once through its completion callback, on that thread.
// A TNetThreadGroup owns running requests: destroying it stops and joins them,
// so no callback outlives its receiver.
#pragma once

#include <functional>
#include <list>
#include <optional>
#include <string>
#include <thread>

#include "network/tcpip.h"

struct TNetResult {
  int status = -1;      // HTTP status or last SMTP reply code; -1 when it never ran
  bool failed = false;  // an exception ended the request
  std::string error;    // its message
};

// Runs a form submission synchronously: POST of `body` when given, else GET.
TNetResult RunWebRequest(const std::string& address, const std::optional<std::string>& body,
                         const TNetLimits& limits, const TStopFlag& stop);

struct TMailRequest {
  std::string sender, recipient, server, subject, body;
  std::string password;  // empty: plain delivery without signing in
};
// Delivers one form e-mail synchronously. `server` may carry ":port".
TNetResult RunMailRequest(const TMailRequest& mail, const TNetLimits& limits, const TStopFlag& stop);

using TNetDone = std::function<void(const TNetResult&)>;

class TNetThreadGroup {
public:
  TNetThreadGroup() = default;
  TNetThreadGroup(const TNetThreadGroup&) = delete;
  ~TNetThreadGroup();
  // Runs `work` on a new thread; `done` gets its result there.
  void Start(std::function<TNetResult(const TStopFlag&)> work, TNetDone done);
  size_t Running();
  void StopAll();

private:
  struct TEntry {
    std::thread thread;
    TStopFlag stop;
    std::shared_ptr<std::atomic<bool>> finished;
  };
  void Reap();
  std::list<TEntry> entries_;
};

class TOxWebThread {
public:
  // Starts at once in `group`.
  TOxWebThread(TNetThreadGroup& group, std::string address, std::optional<std::string> body, TNetLimits limits,
               TNetDone done);
};

class TOxMailThread {
public:
  TOxMailThread(TNetThreadGroup& group, TMailRequest mail, TNetLimits limits, TNetDone done);
};
