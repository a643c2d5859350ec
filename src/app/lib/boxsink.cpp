#include "app/lib/boxsink.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>

#include "app/lang/oxlangs.h"

namespace {

// A message box whose buttons speak the reader's language, not the toolkit's.
int ShowBox(QWidget* parent, QMessageBox::Icon icon, const QString& caption, const QString& text,
            QMessageBox::StandardButtons buttons) {
  QMessageBox box(icon, caption, text, buttons, parent);
  if (QAbstractButton* b = box.button(QMessageBox::Ok)) b->setText(Tr("&Ok"));
  if (QAbstractButton* b = box.button(QMessageBox::Yes)) b->setText(Tr("&Sì"));
  if (QAbstractButton* b = box.button(QMessageBox::No)) b->setText(Tr("&No"));
  return box.exec();
}

}  // namespace

bool TBoxSink::Message(TMsgKind kind, const std::string& text) {
  const QString t = QString::fromStdString(TranslateMessage(text));
  QWidget* p = parent_.data();
  switch (kind) {
    case TMsgKind::Information:
      ShowBox(p, QMessageBox::Information, Tr(InformationCaption), t, QMessageBox::Ok);
      return true;
    case TMsgKind::Warning: ShowBox(p, QMessageBox::Warning, Tr(WarningCaption), t, QMessageBox::Ok); return true;
    case TMsgKind::Error: ShowBox(p, QMessageBox::Critical, Tr(ErrorCaption), t, QMessageBox::Ok); return true;
    case TMsgKind::Question:
      return ShowBox(p, QMessageBox::Question, QString::fromStdString(title), t, QMessageBox::Yes | QMessageBox::No) ==
             QMessageBox::Yes;
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
