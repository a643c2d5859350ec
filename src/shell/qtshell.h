// The desktop behind IShell and IShellDialogs: QDesktopServices, detached
// processes and Qt dialogs.
#pragma once

#include <QStringList>

#include "shell/shellservices.h"

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

// "description|patterns|description|patterns" as Qt name filters.
QStringList QtNameFilters(const std::string& filter);
