#include "network/ui/downloadform.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/lang/oxlangs.h"
#include "network/ui/lumo3comm.h"
#include "network/update.h"

TFdownload::TFdownload(const std::string& title, const std::string& address, const std::string& ebookPath,
                       update::TDownloadFile& download, const TNetLimits& limits, QWidget* parent)
    : QDialog(parent), address_(address), ebookPath_(ebookPath), download_(download) {
  setObjectName("Fdownload");
  auto* layout = new QVBoxLayout(this);
  TopLabel = new QLabel(this);
  TopLabel->setObjectName("TopLabel");
  StatusLabel = new QLabel(this);
  StatusLabel->setObjectName("DownloadStatus");
  Memo = new QPlainTextEdit(this);
  Memo->setObjectName("Memo");
  Memo->setReadOnly(true);
  Bar = new TLumo3TxRxBar(this);
  Bar->Comm->Limits = limits;
  OkButton = new QPushButton("&Ok", this);
  OkButton->setObjectName("OkButton");
  CancelButton = new QPushButton("A&nnulla", this);
  CancelButton->setObjectName("CancelButton");
  OkButton->setDefault(true);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(OkButton);
  buttons->addWidget(CancelButton);
  layout->addWidget(TopLabel);
  layout->addWidget(StatusLabel);
  layout->addWidget(Bar);
  layout->addWidget(Memo);
  layout->addLayout(buttons);
  resize(460, 260);
  auto* languager = new TOxLanguager(this);
  languager->SetLocalizationString(BuiltInTable("Fdownload"));
  const QString caption = Tr("Scaricamento update per ") + QString::fromUtf8(title.c_str());
  setWindowTitle(caption);
  TopLabel->setText(caption);
  startTimer_.setSingleShot(true);
  startTimer_.setInterval(StartDelayMs);
  connect(&startTimer_, &QTimer::timeout, this, &TFdownload::Run);
  connect(OkButton, &QPushButton::clicked, this, &TFdownload::OkClick);
  connect(CancelButton, &QPushButton::clicked, this, &TFdownload::reject);
}

void TFdownload::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  if (placed_) return;
  placed_ = true;
  startTimer_.start();
}

void TFdownload::Settle(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

void TFdownload::Run() {
  if (started_ || finished_) return;
  started_ = true;
  raise();
  activateWindow();
  const int status = Bar->Comm->Download(address_, download_.File());
  const bool failed = Bar->Comm->Failed() || Bar->Comm->Stopped() || status >= 400 || status < 0;
  // A stopped or broken transfer never counts, whatever part of it arrived.
  arrived_ = download_.Close() && !failed && update::AcceptedEdition(download_.Path());
  if (Bar->Comm->Failed() || Bar->Comm->Stopped()) failure_ = Bar->Comm->StatusText();
  else if (status >= 400) failure_ = QString::number(status) + " " + Bar->Comm->StatusText();
  const std::string text = arrived_ ? update::OkText(ebookPath_) : update::NoUpdateText(address_);
  Memo->appendPlainText(QString::fromStdString(TranslateMessage(text)).replace("\r\n", "\n"));
  if (!failure_.isEmpty()) StatusLabel->setText(QString::fromStdString(TranslateMessage(failure_.toStdString())));
  finished_ = true;
  if (closePending_) done(QDialog::Accepted);
}

void TFdownload::OkClick() {
  if (Bar->Comm->Busy()) {
    closePending_ = true;
    return;
  }
  if (started_) StatusLabel->setText("100%");
  for (int i = 0; i < 5; ++i) Settle(50);
  startTimer_.stop();
  accept();
}

void TFdownload::reject() {
  // Leaving stops the transfer: nothing of a broken download is used.
  startTimer_.stop();
  if (Bar->Comm->Busy()) {
    closePending_ = true;
    Bar->Comm->Abort();
    return;
  }
  QDialog::reject();
}

void TFdownload::closeEvent(QCloseEvent* e) {
  if (Bar->Comm->Busy()) {
    e->ignore();
    reject();
    return;
  }
  startTimer_.stop();
  QDialog::closeEvent(e);
}
