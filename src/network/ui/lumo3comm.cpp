#include "network/ui/lumo3comm.h"

#include <QLabel>
#include <QProgressBar>
#include <QToolButton>

#include "app/lang/oxlangs.h"
#include "network/update.h"

TLumo3Comm::TLumo3Comm(QObject* parent) : QObject(parent) {}

TLumo3Comm::~TLumo3Comm() {
  if (stop_) stop_->store(true);
  if (worker_.joinable()) worker_.join();
}

QString TLumo3Comm::LastTrace() {
  std::lock_guard<std::mutex> lock(traceLock_);
  return QString::fromUtf8(trace_.c_str());
}

int TLumo3Comm::Download(const std::string& address, std::FILE* out) {
  statusText_ = "Occupato";
  emit showBusy();
  if (busy_) {
    emit hideBusy();
    return -1;
  }
  if (worker_.joinable()) worker_.join();
  stop_ = MakeStopFlag();
  bytes_ = 0;
  total_ = 0;
  failed_ = stopped_ = false;
  const int generation = ++generation_;
  busy_ = true;
  worker_ = std::thread([this, address, out, generation, stop = stop_, limits = Limits] {
    int status = 0;
    QString text;
    bool failed = false;
    try {
      auto trace = [this](const std::string& s, TTraceLevel, int64_t) {
        std::lock_guard<std::mutex> lock(traceLock_);
        trace_ = s;
      };
      auto progress = [this](int64_t b, int64_t t) {
        bytes_ = b;
        total_ = t;
      };
      const update::TFetchResult r = update::Fetch(address, out, limits, stop, trace, progress);
      status = r.status;
      text = QString::fromUtf8(r.statusText.c_str());
    } catch (const std::exception& e) {
      status = -6;
      text = QString::fromUtf8(e.what());
      failed = true;
    }
    QMetaObject::invokeMethod(
        this, [this, generation, status, text, failed] { Finish(generation, status, text, failed); },
        Qt::QueuedConnection);
  });
  QEventLoop loop;
  loop_ = &loop;
  if (busy_) loop.exec();
  loop_ = nullptr;
  if (worker_.joinable()) worker_.join();
  emit hideBusy();
  return status_;
}

void TLumo3Comm::Finish(int generation, int status, const QString& text, bool failed) {
  if (generation != generation_ || !busy_) return;  // a stopped transfer's late report
  status_ = status;
  statusText_ = text;
  failed_ = failed;
  busy_ = false;
  if (loop_) loop_->quit();
}

void TLumo3Comm::Abort() {
  if (!busy_) return;
  stop_->store(true);
  if (worker_.joinable()) worker_.join();
  ++generation_;
  emit hideBusy();
  status_ = 0;
  statusText_ = "Interrotto dall'utente";
  busy_ = false;
  stopped_ = true;
  if (loop_) loop_->quit();
  emit stopClicked();
}

// ------------------------------------------------------------------ bar

TLumo3TxRxBar::TLumo3TxRxBar(QWidget* parent) : QFrame(parent), Comm(new TLumo3Comm(this)) {
  setFrameShape(QFrame::NoFrame);
  setFixedHeight(25);
  StopButton = new QToolButton(this);
  StopButton->setObjectName("StopButton");
  StopButton->setText("Stop! ");
  StopButton->setAutoRaise(true);
  StopButton->setGeometry(0, 0, 75, 25);
  Gauge = new QProgressBar(this);
  Gauge->setGeometry(83, 4, 59, 21);
  Gauge->setRange(0, 100);
  StatusLabel = new QLabel(this);
  StatusLabel->setObjectName("StatusLabel");
  StatusLabel->move(150, 4);
  timer_.setInterval(150);
  connect(&timer_, &QTimer::timeout, this, &TLumo3TxRxBar::Tick);
  connect(StopButton, &QToolButton::clicked, Comm, &TLumo3Comm::Abort);
  connect(Comm, &TLumo3Comm::showBusy, this, &TLumo3TxRxBar::ShowBusy);
  connect(Comm, &TLumo3Comm::hideBusy, this, &TLumo3TxRxBar::HideBusy);
  HideBusy();
}

void TLumo3TxRxBar::ShowBusy() {
  setVisible(true);
  StopButton->setVisible(true);
  Gauge->setVisible(true);
  Gauge->setValue(0);
  timer_.start();
}

void TLumo3TxRxBar::HideBusy() {
  setVisible(false);
  StopButton->setVisible(false);
  Gauge->setVisible(false);
  timer_.stop();
}

void TLumo3TxRxBar::Tick() {
  QString caption = StopButton->text();
  if (!caption.isEmpty()) StopButton->setText(caption.mid(1) + caption.left(1));
  const int64_t total = Comm->Total();
  if (total > 0) {
    StatusLabel->clear();
    Gauge->setValue(int(std::min<int64_t>(100, Comm->Bytes() * 100 / total)));
  } else {
    StatusLabel->setText(QString::fromStdString(TranslateMessage(Comm->LastTrace().toStdString())));
  }
  StatusLabel->resize(std::max(0, width() - 150), 21);
  StatusLabel->repaint();
  Gauge->repaint();
}
