// The reader installs and removes itself together with an ebook, for the
// current user, on freedesktop terms:
//   lectra /INIT  name.zeb   launchers for the ebook and for its removal, the
//                            "*.zeb" MIME type, the reader as its default handler
//                            (unless another program is), an icon
//   lectra /INITV name.zeb   the same without launchers, and silently
//   lectra /DEINST name.zeb  removes the ebook's launchers; the last removal also
//                            takes the MIME type, the handler and the association,
//                            and deletes the program folder afterwards
//   lectra /DELETE folder    deletes the folder the installation marked as its own
// A trailing "/YES" answers the removal's questions with yes.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "document/services.h"
#include "shell/startup.h"

class TSettings;

// Where the installation writes, and the outside programs it runs.
struct TInstallEnv {
  std::string programPath;    // the reader's executable, absolute
  std::string programFolder;  // the folder the ebooks were installed into
  std::string dataHome;       // $XDG_DATA_HOME (default ~/.local/share)
  std::string configHome;     // $XDG_CONFIG_HOME (default ~/.config)
  std::string homeFolder;
  std::string tempFolder;
  // Runs a program and waits; its standard output in `out`. -1 when it could not start.
  std::function<int(const std::string& program, const std::vector<std::string>& args, std::string* out)> run;
  // Waits for about `ms` milliseconds (the folder deletion waits for the reader to end).
  std::function<void(int ms)> wait;

  // The user's folders from the environment, programs run through QProcess.
  static TInstallEnv FromSystem(const std::string& programPath, const std::string& programFolder);
};

struct TSetupOutcome {
  bool ok = true;
  bool openWindow = true;        // false after a removal or a folder deletion
  std::string title = "Quillon";  // the application title for the questions
  std::string deferredProgram;   // started once the reader has ended
  std::vector<std::string> deferredArgs;
};

class TSelfInstall {
public:
  static constexpr const char* MimeType = "application/x-zeb";
  static constexpr const char* HandlerFile = "lectra.desktop";
  static constexpr const char* MarkerFile = ".lectra-installed";
  static constexpr const char* Support = "assistenza@norvane.it";

  TSelfInstall(TInstallEnv env, TSettings& settings, IMessageSink& messages);

  // The whole step for the arguments of the command line.
  TSetupOutcome Run(const std::vector<std::string>& args);

  // The ebook's menu name: the file name without its extension, "_" as spaces.
  static std::string MenuName(const std::string& ebook);
  // A desktop-entry Exec argument, quoted.
  static std::string ExecArgument(const std::string& arg);
  // An ebook name an installation accepts: a plain file name in the program folder.
  static bool AcceptableEbookName(const std::string& ebook);
  // A folder "/DELETE" may remove: marked by the installation, not "/", not the
  // home folder or one above it.
  bool DeletableFolder(const std::string& folder) const;

  std::string LauncherPath(const std::string& ebook, bool removal) const;
  std::string HandlerPath() const;
  std::string MimePackagePath() const;
  std::string IconPath() const;

private:
  void Install(const std::string& ebook, bool silent);
  void Remove(const std::string& ebook, bool yes, TSetupOutcome& out);
  void DeleteFolder(const std::string& folder, bool yes);
  void WriteLaunchers(const std::string& ebook);
  void WriteAssociation();
  void RemoveAssociation();
  void RemoveDefault();
  bool WriteFile(const std::string& path, const std::string& content);
  std::string CurrentDefault();
  bool Ask(const std::string& question, bool yes);

  TInstallEnv env_;
  TSettings& settings_;
  IMessageSink& messages_;
};
