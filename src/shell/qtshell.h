// The desktop behind IShell and IShellDialogs: QDesktopServices, detached
// processes and Qt dialogs.
#pragma once

#include <QStringList>
#include <memory>

#include "shell/shellservices.h"

class QDialog;
class QWidget;

class TQtShell : public IShell {
public:
  int OpenDocument(const std::string& path, TWindowMode mode) override;
  int OpenUrl(const std::string& url) override;
  int StartProgram(const std::string& program, const std::vector<std::string>& arguments,
                   TWindowMode mode) override;
};

class TQtShellDialogs : public IShellDialogs {
public:
  explicit TQtShellDialogs(QWidget* parent = nullptr) : parent_(parent) {}
  TFileLinkAction AskFileLink(const std::string& shownName) override;
  std::optional<std::string> AskSavePath(const TSaveFileRequest& request) override;

private:
  QWidget* parent_;
};

// The file-link dialog "FFiles", with its texts in the reader's language.
std::unique_ptr<QDialog> MakeFileLinkDialog(QWidget* parent, const std::string& shownName);

// "description|patterns|description|patterns" as Qt name filters.
QStringList QtNameFilters(const std::string& filter);
