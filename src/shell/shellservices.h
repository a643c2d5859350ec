// What the reader shell needs from the desktop: opening documents, addresses
// and programs, and the file dialogs. The application supplies the Qt-backed
// versions (qtshell.h); tests record the calls and answer the dialogs.
#pragma once

#include <optional>
#include <string>
#include <vector>

enum class TWindowMode { Hidden, Normal, Maximized, Minimized };

// Result codes follow the old shell convention: above 32 is success, 32 or
// below names the failure (2 file not found, 5 access denied, 31 no program
// associated with the file, ...).
constexpr int ShellOk = 42;
constexpr int ShellFileNotFound = 2;
constexpr int ShellAccessDenied = 5;
constexpr int ShellOutOfMemory = 8;
constexpr int ShellNoAssociation = 31;
inline bool ShellFailed(int code) { return code <= 32; }

class IShell {
public:
  virtual ~IShell() = default;
  // A local file with the program that handles it; an executable file is run.
  virtual int OpenDocument(const std::string& path, TWindowMode mode) = 0;
  // A web or e-mail address with the desktop's handler.
  virtual int OpenUrl(const std::string& url) = 0;
  // Starts a program with an argument list. Nothing is ever interpreted by a
  // command interpreter: the program path and each argument are passed as is.
  virtual int StartProgram(const std::string& program, const std::vector<std::string>& arguments,
                           TWindowMode mode) = 0;
};

// A save dialog: filter in the "description|patterns|..." form, the proposed
// file name and the default extension (without the dot).
struct TSaveFileRequest {
  std::string filter;
  std::string proposedName;
  std::string defaultExt;
  std::string folder;
  bool overwritePrompt = false;
  bool folderMustExist = false;
};

enum class TFileLinkAction { Save, Run, Cancel };

class IShellDialogs {
public:
  virtual ~IShellDialogs() = default;
  // The "Collegamento a file" dialog for an embedded file; `shownName` is the
  // name it shows.
  virtual TFileLinkAction AskFileLink(const std::string& shownName) = 0;
  // nullopt when cancelled.
  virtual std::optional<std::string> AskSavePath(const TSaveFileRequest& request) = 0;
};
