#include "app/lib/boxsink.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>

#include "app/lang/oxlangs.h"

bool TBoxSink::Message(TMsgKind kind, const std::string& text) {
  const QString t = QString::fromStdString(TranslateMessage(text));
  QWidget* p = parent_.data();
  switch (kind) {
    case TMsgKind::Information: QMessageBox::information(p, Tr(InformationCaption), t); return true;
    case TMsgKind::Warning: QMessageBox::warning(p, Tr(WarningCaption), t); return true;
    case TMsgKind::Error: QMessageBox::critical(p, Tr(ErrorCaption), t); return true;
    case TMsgKind::Question:
      return QMessageBox::question(p, QString::fromStdString(title), t) == QMessageBox::Yes;
  }
  return false;
}

std::optional<std::string> TBoxSink::ChooseFolder(const std::string& status) {
  const QString dir = QFileDialog::getExistingDirectory(parent_.data(), QString::fromStdString(status));
  if (dir.isEmpty()) return std::nullopt;
  return QFile::encodeName(dir).toStdString();
}

void TBoxSink::ProcessMessages() { QCoreApplication::processEvents(); }

void TBoxSink::BusyCursor(bool on) {
  if (on) {
    ++busy_;
    QApplication::setOverrideCursor(Qt::WaitCursor);
  } else if (busy_ > 0) {
    --busy_;
    QApplication::restoreOverrideCursor();
  }
}
