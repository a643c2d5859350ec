// The dialog that downloads a new edition of the open ebook and says whether
// one arrived. The edition goes into the caller's download file; the caller
// puts it in place after the dialog closed.
#pragma once

#include <QDialog>
#include <QTimer>
#include <string>

#include "network/tcpip.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;
class TLumo3TxRxBar;
namespace update {
class TDownloadFile;
}

class TFdownload : public QDialog {
  Q_OBJECT
public:
  static constexpr int StartDelayMs = 600;

  TFdownload(const std::string& title, const std::string& address, const std::string& ebookPath,
             update::TDownloadFile& download, const TNetLimits& limits, QWidget* parent = nullptr);

  QLabel* TopLabel;
  QLabel* StatusLabel;
  QPlainTextEdit* Memo;
  QPushButton* OkButton;
  QPushButton* CancelButton;
  TLumo3TxRxBar* Bar;

  // A whole new edition waits in the download file.
  bool EditionArrived() const { return arrived_; }
  bool Started() const { return started_; }
  bool Finished() const { return finished_; }
  // The download's failure, when there was one (for the status line).
  const QString& Failure() const { return failure_; }

  void OkClick();
  void reject() override;

protected:
  void showEvent(QShowEvent* e) override;
  void closeEvent(QCloseEvent* e) override;

private:
  void Run();
  void Settle(int ms);

  std::string address_, ebookPath_;
  update::TDownloadFile& download_;
  QTimer startTimer_;
  bool started_ = false, finished_ = false, arrived_ = false, placed_ = false;
  bool closePending_ = false;
  QString failure_;
};
