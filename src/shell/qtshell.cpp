#include "shell/qtshell.h"

#include "app/lang/oxlangs.h"

#include <QDesktopServices>
#include <QDialog>
#include <memory>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

namespace {

QString FromPath(const std::string& p) { return QFile::decodeName(QByteArray::fromStdString(p)); }

bool LooksLikeUrl(const QString& s) {
  const QUrl url(s);
  return url.isValid() && url.scheme().size() > 1 && (s.contains(QLatin1String("://")) || url.scheme() == "mailto");
}

}  // namespace

// ---------------------------------------------------------------- shell

int TQtShell::OpenDocument(const std::string& path, TWindowMode mode) {
  const QString p = FromPath(path);
  if (LooksLikeUrl(p)) return OpenUrl(path);
  const QFileInfo fi(p);
  if (!fi.exists()) return ShellFileNotFound;
  // A program is started; anything else goes to the program the desktop associates with it.
  if (fi.isFile() && fi.isExecutable()) return StartProgram(path, {}, mode);
  return QDesktopServices::openUrl(QUrl::fromLocalFile(fi.absoluteFilePath())) ? ShellOk : ShellNoAssociation;
}

int TQtShell::OpenUrl(const std::string& url) {
  const QUrl u(QString::fromStdString(url));
  if (!u.isValid()) return ShellFileNotFound;
  return QDesktopServices::openUrl(u) ? ShellOk : ShellNoAssociation;
}

int TQtShell::StartProgram(const std::string& program, const std::vector<std::string>& arguments, TWindowMode) {
  QString exe = FromPath(program);
  if (exe.isEmpty()) return ShellFileNotFound;
  if (!exe.contains(QLatin1Char('/'))) {
    const QString found = QStandardPaths::findExecutable(exe);
    if (found.isEmpty()) return ShellFileNotFound;
    exe = found;
  }
  const QFileInfo fi(exe);
  if (!fi.exists()) return ShellFileNotFound;
  if (!fi.isFile() || !fi.isExecutable()) return ShellAccessDenied;
  QStringList args;
  for (const std::string& a : arguments) args << FromPath(a);
  // Started directly: the program path and each argument reach the program as they are.
  return QProcess::startDetached(exe, args, fi.absolutePath()) ? ShellOk : ShellOutOfMemory;
}

// ---------------------------------------------------------------- dialogs

QStringList QtNameFilters(const std::string& filter) {
  const QStringList parts = QString::fromStdString(filter).split(QLatin1Char('|'));
  QStringList out;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString patterns = parts[i + 1];
    patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
    out << parts[i] + QLatin1String(" (") + patterns.simplified() + QLatin1Char(')');
  }
  return out;
}

std::unique_ptr<QDialog> MakeFileLinkDialog(QWidget* parent, const std::string& shownName) {
  auto dlg = std::make_unique<QDialog>(parent);
  dlg->setObjectName(QStringLiteral("FFiles"));
  dlg->setWindowTitle(QStringLiteral("Collegamento a file"));
  auto* layout = new QVBoxLayout(dlg.get());
  auto label = [&](const char* name, const QString& text) {
    auto* l = new QLabel(text, dlg.get());
    l->setObjectName(QLatin1String(name));
    layout->addWidget(l);
    return l;
  };
  label("Label1", QStringLiteral("Il collegamento su cui hai cliccato punta al file:"));
  QLabel* labelFile = label("LabelFile", QString::fromStdString(shownName));
  labelFile->setTextFormat(Qt::PlainText);
  label("Label2", QStringLiteral("Scegli l'azione da compiere:"));
  auto* row = new QHBoxLayout;
  auto button = [&](const char* name, const QString& text) {
    auto* b = new QPushButton(text, dlg.get());
    b->setObjectName(QLatin1String(name));
    row->addWidget(b);
    return b;
  };
  QPushButton* save = button("Bsalva", QStringLiteral("&Salva..."));
  button("Besegui", QStringLiteral("&Esegui"));
  button("Bavanzate", QStringLiteral("A&vanzate..."))->hide();
  button("BAnnulla", QStringLiteral("&Annulla"));
  save->setDefault(true);
  layout->addLayout(row);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  auto* languager = new TOxLanguager(dlg.get());
  languager->SetLocalizationString(BuiltInTable("FFiles"));
  // The file's name is the one text no table gives.
  labelFile->setText(QString::fromStdString(shownName));
  return dlg;
}

TFileLinkAction TQtShellDialogs::AskFileLink(const std::string& shownName) {
  std::unique_ptr<QDialog> owned = MakeFileLinkDialog(parent_, shownName);
  QDialog& dlg = *owned;
  auto* save = dlg.findChild<QPushButton*>(QStringLiteral("Bsalva"));
  auto* run = dlg.findChild<QPushButton*>(QStringLiteral("Besegui"));
  auto* cancel = dlg.findChild<QPushButton*>(QStringLiteral("BAnnulla"));
  TFileLinkAction action = TFileLinkAction::Cancel;
  QObject::connect(save, &QPushButton::clicked, &dlg, [&] { action = TFileLinkAction::Save; dlg.accept(); });
  QObject::connect(run, &QPushButton::clicked, &dlg, [&] { action = TFileLinkAction::Run; dlg.accept(); });
  QObject::connect(cancel, &QPushButton::clicked, &dlg, &QDialog::reject);
  // Brought to the front once it is up, in case another window took the focus meanwhile.
  QTimer::singleShot(600, &dlg, [&dlg] { dlg.raise(); dlg.activateWindow(); });
  dlg.exec();
  return action;
}

std::optional<std::string> TQtShellDialogs::AskSavePath(const TSaveFileRequest& r) {
  QFileDialog dlg(parent_);
  dlg.setAcceptMode(QFileDialog::AcceptSave);
  dlg.setFileMode(QFileDialog::AnyFile);
  dlg.setNameFilters(QtNameFilters(r.filter));
  if (!r.folder.empty()) dlg.setDirectory(FromPath(r.folder));
  if (!r.proposedName.empty()) dlg.selectFile(QString::fromStdString(r.proposedName));
  if (!r.defaultExt.empty()) dlg.setDefaultSuffix(QString::fromStdString(r.defaultExt));
  dlg.setOption(QFileDialog::DontConfirmOverwrite, !r.overwritePrompt);
  if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return std::nullopt;
  const QString chosen = dlg.selectedFiles().front();
  if (r.folderMustExist && !QFileInfo(chosen).absoluteDir().exists()) return std::nullopt;
  return QFile::encodeName(chosen).toStdString();
}
