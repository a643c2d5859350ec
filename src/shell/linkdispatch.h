// What an activated link does. The main frame set reports every link through
// OnDoLink; the main window hands it to TLinkDispatcher::EditorDoLink, which
// decides by the target's kind and the link string and calls back the window,
// the frame sets and the desktop through the interfaces below.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "document/recordformat.h"
#include "document/zebtypes.h"
#include "shell/shellservices.h"

class QObject;
class TZEBoggetto;
class TZEBset;
class TZEBtesto;
class TSettings;
class IMessageSink;

// The control on which a link was activated, as far as dispatch cares.
enum class TLinkSourceKind { TextBox, Visual, Zone, FrameSet, Page, Other };

// One OnDoLink event, completed by the host with what it knows of the controls.
struct TLinkEvent {
  QObject* sender = nullptr;           // the frame set that raised the event
  QObject* obj = nullptr;              // the control the link was activated on
  TLinkSourceKind objKind = TLinkSourceKind::Other;
  TZEBoggetto* target = nullptr;       // the link's target object (AOgg)
  QObject* clickedBox = nullptr;       // text box holding the link: obj, its parent or grandparent
  TZEBtesto* boxPage = nullptr;        // stored page shown by the clicked box
  TZEBtesto* pageText = nullptr;       // text of the page when objKind is Page
  TZEBset* senderDocument = nullptr;   // ebook of the frame set that raised the event
  bool fromMainFrameSet = true;
};

// How a separate window shows a target.
enum class TWindowKind { Unchanged, Full, Named, Popup };

// A separate reader window, as link dispatch uses it.
class ISeparateWindow {
public:
  virtual ~ISeparateWindow() = default;
  virtual std::string WindowName() const = 0;
  // True when the window answers to `name`: either itself (a window that is
  // not full and carries that name; `frame` is then null) or one of its frames.
  virtual bool FindNamedFrame(const std::string& name, QObject*& frame) = 0;
  // `frame` null: the window's own frame set.
  virtual void ShowInWindow(QObject* frame, TZEBoggetto* target, int position, TWindowKind kind, int nested) = 0;
  // `layout` null: no layout record (all bars and the menu shown).
  virtual void ApplyLayout(const std::string* layout, const std::string& name) = 0;
  virtual void HideToolbarPanel() = 0;
  virtual void PlaceNearClick(QObject* box) = 0;
  virtual void PrintCurrent() = 0;  // with the print dialog
  virtual void Close() = 0;         // posted
};

// What dispatch needs from the main window and its frame set.
class ILinkHost {
public:
  virtual ~ILinkHost() = default;
  // The ebook shown in the main frame set.
  virtual TZEBset* MainDocument() = 0;
  virtual bool MainReadOnly() = 0;
  virtual void SetMainEnabled(bool enabled) = 0;
  // MainPageNumber of `frameSet`, or of the main frame set when null; the
  // history combo's own handler is held off meanwhile.
  virtual void SetMainPageNumber(QObject* frameSet, int page) = 0;
  virtual void GoToCover() = 0;
  virtual void ScrollMainToAnchor(int anchor) = 0;
  // The main frame set's ShowInTarget; false when it has no frame of that name.
  virtual bool ShowInTarget(const std::string& name, TZEBoggetto* target, int position, int nested) = 0;
  virtual void ShowInFrameOfPage(QObject* box, TZEBoggetto* target, int position, int nested) = 0;
  // The main frame set's FindFrame(name), printed (with the print dialog)
  // when found; false when nothing has that name.
  virtual bool PrintNamedFrame(const std::string& name) = 0;
  // PrintCurrent of the main frame set with the print dialog; box may be null.
  virtual void PrintCurrent(QObject* box) = 0;
  virtual std::string ExportBoxText(QObject* box) = 0;
  // Opening an ebook as the Open command does; false when it failed.
  virtual bool OpenEbookFile(const std::string& path) = 0;
  // Schedules a page of the open ebook with its window presentation.
  virtual void ShowPageWithLayout(int page) = 0;
  virtual void CloseMainWindow() = 0;  // posted: the program ends
  virtual void ShowKeywordSearch() = 0;
  virtual void ShowPrintDialog() = 0;
  virtual void ShowUserDataDialog() = 0;
  virtual void BusyCursor(bool on) = 0;
  // Open separate windows in order of creation, and a new one.
  virtual std::vector<ISeparateWindow*> SeparateWindows() = 0;
  virtual ISeparateWindow* CreateSeparateWindow() = 0;
};

// ---------------------------------------------------------------- link strings

enum class TLinkForm {
  Lumo,           // "lumo:" / "lumo://" path [| page]
  Run,            // "run:" path
  RunMessage,     // "runm:" path
  Save,           // "save:" path
  ProgRegistry,   // "prog:" registry path
  DumpRegistry,   // "dump:" registry path
  ParamFile,      // "prog:" / "dump:" without a backslash: a parameter file by extension
  Web,            // an address with a scheme, or "www."
  Mail,           // "mailto:"
  Document,       // anything else: a file the desktop opens
};

TLinkForm ClassifyLink(const std::string& link);

// The two parts of a link hint: tooltip and status-bar text.
struct THint {
  std::string shortPart, longPart;
};
THint SplitHint(const std::string& description);

// The error text for a failed shell call (code 32 or below); empty when none.
std::string ShellErrorMessage(int code, const std::string& path);

// The command carried by a plugin link: the lines from the third on, joined,
// up to a "$$mavo-heads$$" or "$$mavo-future$$" line.
std::string PluginCommand(const std::string& pluginText);

// The fields of a special link.
struct TSpecLink {
  TSpecAction action{};
  int32_t position = -1;
  TObjId targetId = NoObject;
  uint8_t nested = 0xFF;
  TSpecTarget targetMode = TSpecTarget::FrameOfPage;
  std::string windowName;
  std::string layout;
};
TSpecLink ReadSpecLink(const TZEBoggetto& link);

// ---------------------------------------------------------------- dispatch

class TLinkDispatcher {
public:
  TLinkDispatcher(ILinkHost& host, IShell& shell, IShellDialogs& dialogs, TSettings& settings,
                  IMessageSink& messages, std::string programFolder);

  void EditorDoLink(const TLinkEvent& ev);
  void FollowLink(TZEBoggetto* target, int position, const TLinkEvent& ev);
  void RunSpecialLink(TZEBoggetto* link, const TLinkEvent& ev);
  // force: from the command line or a show request (always with the layout).
  void FollowLumoLink(const std::string& link, bool force);
  void RunCommandLink(const std::string& link, TZEBoggetto* target, const TLinkEvent* ev = nullptr);
  // The file-link dialog's decisions for an embedded file.
  void FollowFileLink(TZEBoggetto* target);
  void ReportShellError(int code, const std::string& path);

  void ShowInNamedFrame(const std::string& name, TZEBoggetto* target, int position, int nested);
  ISeparateWindow* FindOrCreateWindow(const std::string& name);
  void CloseOrPrintNamed(const std::string& name, TSpecAction action);

private:
  void GoToTarget(const TSpecLink& s, TZEBoggetto* link, const TLinkEvent& ev);
  void OpenWithShell(const std::string& text);
  void RunPath(const std::string& path, bool withMessage);
  void SavePath(const std::string& path);
  void RunWithParamFile(const std::string& link, TZEBoggetto* target, const TLinkEvent* ev);
  void OpenParamFile(const std::string& link, TZEBoggetto* target);
  std::string CommandPath(const std::string& rest);
  std::string WriteParamFile(TZEBoggetto* target, const std::string& name, const std::string& content);
  void RunEmbedded(TZEBoggetto* target);
  void SaveEmbedded(TZEBoggetto* target);
  void RunPlugin(const std::string& text);
  bool NeedsUserData();

  ILinkHost& host_;
  IShell& shell_;
  IShellDialogs& dialogs_;
  TSettings& settings_;
  IMessageSink& messages_;
  std::string programFolder_;
};
