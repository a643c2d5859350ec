// Start-up of the reader: the command line, the choice of the ebook, the CD
// auto-run list, the recent-files list, the window presentation an ebook asks
// for, and the show requests that a second start hands to the running reader.
#pragma once

#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "shell/shellservices.h"

class TSettings;
class QLocalServer;
class QLocalSocket;

// ---------------------------------------------------------------- command line

struct TLaunchFlags {
  bool setup = false;
  bool install = false;
  bool installSilent = false;
  bool uninstall = false;
  bool deleteFiles = false;
  bool brochure = false;
};

// "/" and a word of letters, optionally "=" and a value: "/PAGE=3", "/INIT".
// Anything else that begins with "/" is an absolute path on this system.
bool IsSwitch(const std::string& arg);

// Flags of the first argument (without the program name).
TLaunchFlags ReadLaunchFlags(const std::vector<std::string>& args);

struct TCommandLine {
  std::string ebookPath;                // the first run of non-switch arguments, joined with spaces
  std::vector<std::string> pageSwitches;  // the text after each "/PAGE=", in order
  TLaunchFlags flags;
};

constexpr size_t MaxSwitchValue = 127;

TCommandLine ParseCommandLine(const std::vector<std::string>& args);
// The lumo link that shows page `page` of `path`.
std::string PageSwitchLink(const std::string& path, const std::string& page);

// ---------------------------------------------------------------- choosing the ebook

// What start-up asks of the file system; tests supply their own.
class IFileProbe {
public:
  virtual ~IFileProbe() = default;
  virtual bool FileExists(const std::string& path) = 0;
  // Names (not paths) of the files in `folder`.
  virtual std::vector<std::string> ListFiles(const std::string& folder) = 0;
  // Whether `folder` is the root of a drive (here: "/" or a mount point).
  virtual bool IsDriveRoot(const std::string& folder) = 0;
};

class TRealFileProbe : public IFileProbe {
public:
  bool FileExists(const std::string& path) override;
  std::vector<std::string> ListFiles(const std::string& folder) override;
  bool IsDriveRoot(const std::string& folder) override;
};

struct TStartupInput {
  std::string commandPath;     // TCommandLine::ebookPath
  std::string programFolder;   // without trailing separator
  std::string currentFolder;
  std::string lastFile;        // option "LastFile"
  std::string atStartBlank;    // option "AtStartBlank"
  bool brochure = false;       // launch flag
  bool showRequestPending = false;
};

enum class TStartAction { FollowShowRequest, OpenCommandFile, OpenLastFile, OpenBrochure, Blank };

struct TEbookChoice {
  TStartAction action = TStartAction::Blank;
  std::string path;
  bool brochure = false;  // brochure mode after the choice
};

TEbookChoice ChooseEbook(const TStartupInput& in, IFileProbe& files);

// ---------------------------------------------------------------- CD auto-run list

struct TAutorunEntry {
  std::string command;  // as written, relative to the program's folder
  TWindowMode mode = TWindowMode::Normal;
};

// Entries with a command, from the text of "autorun.inf".
std::vector<TAutorunEntry> ParseAutorun(const std::string& iniText);
// Reads "autorun.inf" in the folder (bounded) and opens each entry through the
// shell; errors are ignored.
void RunAutorun(const std::string& programFolder, IShell& shell);

// ---------------------------------------------------------------- recent files

class TRecentFiles {
public:
  static constexpr int MaxCount = 5;
  static constexpr const char* Subkey = "RecentFile";

  // Oldest first.
  const std::vector<std::string>& Items() const { return items_; }
  // Opened successfully: moves or adds the path to the end, dropping the oldest.
  void Use(const std::string& path);
  // Failed to open.
  void Remove(const std::string& path);
  void Load(TSettings& settings);
  void Save(TSettings& settings) const;

private:
  std::vector<std::string> items_;
};

// ---------------------------------------------------------------- presentation

struct TRect {
  int left = 0, top = 0, width = 0, height = 0;
  bool operator==(const TRect&) const = default;
};

// Mode 10 (kiosk) when header byte 1785 is set, else header byte 1786.
int PresentationMode(uint8_t fullScreenByte, uint8_t presentationByte);

struct TRdWindow {
  bool applySize = false, hideMenu = false, hideBars = false, noBorder = false;
  int width = 100, height = 100, left = 0, top = 0;
};

// The document property "rdwindow": characters 1, 3, 5, 7 are the four flags,
// then four comma-terminated integers (width, height, left, top).
TRdWindow ParseRdWindow(const std::string& text);

struct TPresentation {
  bool bringToFrontOnly = false;  // mode 11
  bool maximised = false;
  TRdWindow window;               // flags and values after the defaults
  bool moveTo = false;            // position is meaningful
  int left = 0, top = 0;
  bool restoreDesignedTop = false;
  bool maximisedByEbook = false;  // mode 1
  bool kiosk = false;             // mode 10: only the system-menu icon
  bool minMaxIcons = false;       // modes 0..3
};

// Window state, decorations and position for a mode. `window` is the window's
// current rectangle, `screen` the screen's; `designedTop` the top the window
// was designed with, used once (`topRestored` remembers it).
TPresentation ComputePresentation(int mode, const std::string& rdwindow, const TRect& window,
                                  const TRect& screen, int designedTop, bool& topRestored);

// The stored main-window placement, limited to the screen: at least 100 wide
// and high, no larger than the screen, and never above or left of it.
TRect ClampPlacement(TRect stored, const TRect& screen);
// "Main_left", "Main_top", "Main_width", "Main_height", with `current` as defaults.
TRect ReadPlacement(TSettings& settings, const TRect& current);

// ---------------------------------------------------------------- show requests

// The link a show request asks for: "VISUALIZZA" or "SHOW" (any case), a
// space and a link target give "lumo://" + target; anything else nullopt.
std::optional<std::string> ParseShowRequest(const std::string& request);

// Listens for show requests from other starts of the reader, one local socket
// per user.
class TShowRequestServer : public QObject {
  Q_OBJECT
public:
  explicit TShowRequestServer(QObject* parent = nullptr);
  ~TShowRequestServer() override;

  // "lectra-" + the user name.
  static QString DefaultName();
  // False when another reader already serves the name.
  bool Listen(const QString& name = DefaultName());
  void Close();

  bool HasPending() const { return !pending_.empty(); }
  const std::string& Pending() const { return pending_; }
  std::string TakePending();

signals:
  // A show request became pending: run the presentation step.
  void ShowRequested();

private:
  void Accept();
  void Handle(QLocalSocket* socket);

  QLocalServer* server_ = nullptr;
  std::string pending_;
};

// Hands a show request to a running reader. True when one took it.
bool SendShowRequest(const std::string& text, const QString& name = TShowRequestServer::DefaultName(),
                     int timeoutMs = 3000);
