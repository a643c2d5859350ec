// The update's transfer: TLumo3Comm runs one download on a worker thread
// while the window keeps processing messages; TLumo3TxRxBar shows it with a
// stop button, a gauge and the client's latest trace text.
#pragma once

#include <QEventLoop>
#include <QFrame>
#include <QPointer>
#include <QTimer>
#include <atomic>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>

#include "network/tcpip.h"

class QLabel;
class QProgressBar;
class QToolButton;

class TLumo3Comm : public QObject {
  Q_OBJECT
public:
  explicit TLumo3Comm(QObject* parent = nullptr);
  ~TLumo3Comm() override;

  TNetLimits Limits;

  // Downloads `address` into `out`; returns the HTTP status, -6 after a
  // failure, 0 after a stop, -1 at once when a transfer is running.
  int Download(const std::string& address, std::FILE* out);
  void Abort();

  bool Busy() const { return busy_; }
  bool Failed() const { return failed_; }
  bool Stopped() const { return stopped_; }
  int LastStatus() const { return status_; }
  const QString& StatusText() const { return statusText_; }
  QString LastTrace();
  int64_t Bytes() const { return bytes_; }
  int64_t Total() const { return total_; }

signals:
  void showBusy();
  void hideBusy();
  void stopClicked();

private:
  void Finish(int generation, int status, const QString& text, bool failed);

  std::thread worker_;
  TStopFlag stop_;
  std::atomic<int64_t> bytes_{0}, total_{0};
  std::mutex traceLock_;
  std::string trace_;
  bool busy_ = false, failed_ = false, stopped_ = false;
  int status_ = 0;
  int generation_ = 0;
  QString statusText_ = "Error unknown!";
  QPointer<QEventLoop> loop_;
};

class TLumo3TxRxBar : public QFrame {
  Q_OBJECT
public:
  explicit TLumo3TxRxBar(QWidget* parent = nullptr);

  TLumo3Comm* Comm;
  QToolButton* StopButton;
  QProgressBar* Gauge;
  QLabel* StatusLabel;

  void ShowBusy();
  void HideBusy();
  // One step of the 150 ms timer.
  void Tick();

private:
  QTimer timer_;
};
