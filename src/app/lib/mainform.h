// The reader's main window: the main frame set `Editor` on the main document
// `mainZEBset`, the menus, the two toolbars, the status bar, the visited-pages
// history, the remark panel, and the start-up steps that choose, open and
// present an ebook.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QTimer>
#include <memory>
#include <string>
#include <vector>

#include "document/zebset.h"
#include "pageobjects/zebframeset.h"
#include "platform/settings.h"
#include "shell/bookmemory.h"
#include "shell/history.h"
#include "shell/linkdispatch.h"
#include "shell/startup.h"
#include "app/lib/separato.h"

class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QSplitter;
class QToolBar;
class TFabout;
class TMyyFloating;
class TMyyImage;
class TFcerca;
class TZEBorderedTree;
class TBoxSink;
class TFormSender;
class IFormSender;
class TPageSetupDialog;
class TOxLanguager;

// The status bar: three panels, or one simple panel while a hint is shown.
class TMainStatusBar : public QWidget {
  Q_OBJECT
public:
  explicit TMainStatusBar(QWidget* parent = nullptr);
  void SetSimplePanel(bool on);
  bool SimplePanel() const { return simple_; }
  void SetSimpleText(const QString& text);
  QString SimpleText() const;
  QLabel* Panel(int i) const { return panels_[i]; }

private:
  QWidget* panelBox_;
  QLabel* panels_[3];
  QLabel* simpleLabel_;
  bool simple_ = false;
};

// What the window is built with. Null services are replaced by the desktop's.
struct TMainFormOptions {
  TCommandLine commandLine;
  std::string programFolder;
  std::string currentFolder;
  ISettingsStore* settings = nullptr;  // required
  IMessageSink* messages = nullptr;
  IShell* shell = nullptr;
  IShellDialogs* dialogs = nullptr;
  ISystemInfo* system = nullptr;
  TShowRequestServer* showRequests = nullptr;
  bool splash = false;  // show the about window while starting
};

class TMainForm : public QMainWindow, public ILinkHost, public ISeparateHost {
  Q_OBJECT
public:
  static constexpr const char* AppTitle = "[Lectra Norvane]";
  static constexpr int PresentationDelayMs = 50;
  static constexpr const char* ToolbarKey = "\\Software\\Norv\\Lumo3.0rd\\";

  explicit TMainForm(TMainFormOptions options, QWidget* parent = nullptr);
  ~TMainForm() override;

  // ---- Components, named as the form names them.
  std::unique_ptr<TZEBset> mainZEBset;
  TInsiemeCornici* Editor = nullptr;
  QToolBar* ToolbarFile = nullptr;
  QToolBar* ToolbarHistory = nullptr;
  QAction *BPrecedente = nullptr, *Bseguente = nullptr, *BFileOpen = nullptr, *PrintButton = nullptr,
          *CoverButton = nullptr, *SummaryButton = nullptr, *CercaKeyButton = nullptr, *NestedButton = nullptr;
  QComboBox* HistoryCombo = nullptr;
  QWidget* PanelSottoInsiemeCornici = nullptr;
  QSplitter* PanelSplitter = nullptr;
  QPlainTextEdit* RemarkMemo = nullptr;
  TZEBorderedTree* TreeView = nullptr;
  QPointer<TFcerca> Fcerca;
  TMainStatusBar* StatusBar = nullptr;
  QMenu* MenuFile = nullptr;
  QMenu* PopupMenuTesto = nullptr;
  QMenu *PopupImage = nullptr, *PopupZone = nullptr, *PopupFloating = nullptr;
  QAction* Segui1 = nullptr;
  TOxLanguager* Languager = nullptr;

  // ---- Menu items the handlers change.
  QAction *Apri1 = nullptr, *AutomaticUpdate1 = nullptr, *SemiAutomaticUpdate1 = nullptr, *Esci1 = nullptr;
  QAction *RecentSeparator = nullptr;
  QAction *Copia1 = nullptr, *Selezionatutto1 = nullptr;
  QAction *Copertina1 = nullptr, *Sommario1 = nullptr, *SeeTree1 = nullptr, *AddShowremarks1 = nullptr;
  QAction *Naumenta = nullptr, *Ndiminuisci = nullptr, *Paginaprecedente1 = nullptr, *Paginaseguente1 = nullptr;
  QAction *Informazioni1 = nullptr, *Datiutente1 = nullptr, *Norvane2 = nullptr;
  std::vector<QAction*> ResizeItems;  // every "&Ridimensiona"
  std::vector<QAction*> RecentItems;
  std::vector<QAction*> DisabledCommands;  // search, print, contents and update

  // ---- Printing (mainform_print.cpp).
  std::unique_ptr<TPageSetupDialog> PageSetup;
  void FilePrint();
  void Stampatutte1Click();
  void Stampacorrente1Click();
  void Printoptions1Click();
  void Impostastampante1Click();
  void Impostamargini1Click();
  void PrintCurrentPage(bool ask, QObject* source);

  // ---- Handlers.
  void FileOpen();
  void BPrecedenteClick();
  void BseguenteClick();
  void HistoryComboClick(int index);
  void HistoryComboKeyPress();
  void CoverButtonClick();
  void SummaryButtonClick();
  void NaumentaClick();
  void NdiminuisciClick();
  void NestedButtonClick();
  void AddShowremarks1Click();
  void EditCopy();
  void CopiaSfondoincartellaappuntiClick();
  void Selezionatutto3Click();
  void Selezionabrano1Click();
  void Seguicollegamento1Click();
  // Object popup menus (mainform_popups.cpp).
  void Segui1Click();
  void SeguiCollZoneClick();
  void PrecedenteFloatClick();
  void Saveas1Click();
  void PopupMenuImmaginePopup();
  void Resize1Click();
  void exit1Click();
  void helpAbout();
  void EditorPageChanged();
  void EditorPageChanging();
  void EditorDoLink(QObject* sender, QObject* obj, TZEBoggetto* aogg);
  void EditorDropFile(const std::vector<std::string>& files);
  void AppShowHint(const QString& hint);
  // mainform_update.cpp
  void AutomaticUpdate1Click();
  void SemiAutomaticUpdate1Click();
  // What page forms send themselves through (web and e-mail submissions).
  IFormSender* FormSender();
  // mainform_search.cpp
  void SeeTree1Click();
  void CercaKeyButtonClick();
  void CercaperparolachiaveClick();
  void Cercasostituisci1Click();
  void Cercaconoperatori1Click();
  void Ripetiultimaricerca1Click();
  void Ripetinellipertesto1Click();
  TFcerca* SearchWindow();

  // ---- Start-up and presentation.
  // Chooses and opens the ebook; run once, when the event loop starts.
  void Start();
  // The pending show request of another program, if any.
  void FollowShowRequest();
  void PresentationStep();
  bool PresentationPending() const { return presentationTimer_.isActive(); }
  int PresentationMode() const { return presentationMode_; }
  bool Locked() const { return locked_; }
  void ApplyReaderMode();

  // ---- State for the tests and the separate windows.
  const THistoryModel& History() const { return history_; }
  int ZoomValue() const { return zoom_.Value(); }
  const std::string& CaptionBase() const { return captionBase_; }
  const TRecentFiles& RecentFiles() const { return recent_; }
  TLinkDispatcher& Dispatcher() override { return *dispatcher_; }
  TSettings& Settings() { return settings_; }
  std::string RemarkPath();
  TFabout* Splash() const;

  // ---- ILinkHost.
  TZEBset* MainDocument() override { return mainZEBset.get(); }
  bool MainReadOnly() override;
  void SetMainEnabled(bool enabled) override;
  void SetMainPageNumber(QObject* frameSet, int page) override;
  void GoToCover() override;
  void ScrollMainToAnchor(int anchor) override;
  bool ShowInTarget(const std::string& name, TZEBoggetto* target, int position, int nested) override;
  void ShowInFrameOfPage(QObject* box, TZEBoggetto* target, int position, int nested) override;
  bool PrintNamedFrame(const std::string& name) override;
  void PrintCurrent(QObject* box) override;
  std::string ExportBoxText(QObject* box) override;
  bool OpenEbookFile(const std::string& path) override;
  void ShowPageWithLayout(int page) override;
  void CloseMainWindow() override;
  void ShowKeywordSearch() override;
  void ShowPrintDialog() override { FilePrint(); }
  void ShowUserDataDialog() override;
  void BusyCursor(bool on) override;
  std::vector<ISeparateWindow*> SeparateWindows() override;
  ISeparateWindow* CreateSeparateWindow() override;

  // ---- ISeparateHost (mainform_separate.cpp).
  static constexpr int MaxSeparateWindows = 24;
  QSize MainWindowSize() const override { return size(); }
  bool ProgramClosing() const override { return closing_; }
  void MainDoLink(QObject* sender, QObject* obj, TZEBoggetto* aogg) override { EditorDoLink(sender, obj, aogg); }
  void SeparateClosed(TFseparato* window) override;
  void ShowAbout() override { helpAbout(); }
  void ShowPrinterSetup() override { Impostastampante1Click(); }
  void ShowMarginsSetup() override { Impostamargini1Click(); }
  void PrintFromWindow(bool ask, QObject* source) override { PrintCurrentPage(ask, source); }
  TServices Services() override;
  IMessageSink& Messages() override { return *messages_; }
  std::vector<TFseparato*> SeparateForms() const;

protected:
  bool event(QEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  void changeEvent(QEvent* e) override;
  void dragEnterEvent(QDragEnterEvent* e) override;
  void dropEvent(QDropEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;

private:
  void BuildPanels();
  // mainform_search.cpp
  void BuildContentsPanel();
  void BuildSearchCommands();
  void EbookOpenedForSearch();
  // Built in mainform_menus.cpp.
  void BuildMenus();
  void BuildFileMenu();
  void BuildToolbars();
  void BuildPopupMenu();
  void BuildObjectPopups();
  TMyyImage* PopupPicture() const;
  void SetUpPrinting();
  bool LoadPrinterProfile();
  void PrintShownPage(bool ask, QObject* source);
  void ReportPrintFailure(const std::string& error, bool unreachable);
  QAction* AddItem(QMenu* menu, const QString& caption, const char* name, const QKeySequence& key = {});
  void UpdateRecentMenu();
  void SetResizeChecks(bool normal);
  void AttachPopups();

  // mainform_update.cpp
  void BuildNetworkCommands();
  void AskUserDataIfNeeded();

  // mainform_nav.cpp
  void GoToHistory(int index);
  void SyncHistoryCombo();
  void UpdateHistoryButtons();
  void SetCaption();
  void ReshowPage();
  void LoadRemark();
  void SaveRemarkIfChanged();
  std::string RemarkKey();
  void UpdateHintFromPointer();

  // mainform_readerror.cpp
  void WatchReadFailures();
  void OfferReopen(const std::string& file);

  // mainform_open.cpp
  void SchedulePresentation(int page);
  void ApplyPlacement();
  void ApplyPresentation(const TPresentation& p);
  void ShowMaximisedWindow();
  void ShowNormalWindow();
  TRect WindowRect() const;
  TRect ScreenRect() const;
  void CloseSplashLater();

  void SaveWindowState();
  TLinkEvent MakeLinkEvent(QObject* sender, QObject* obj, TZEBoggetto* aogg);

  void CloseSeparateWindows();
  void WatchMainDocument();

  TMainFormOptions options_;
  std::vector<QPointer<TFseparato>> separate_;  // in order of creation
  std::unique_ptr<TBoxSink> ownSink_;
  std::unique_ptr<IShell> ownShell_;
  std::unique_ptr<IShellDialogs> ownDialogs_;
  std::unique_ptr<ISystemInfo> ownSystem_;
  IMessageSink* messages_ = nullptr;
  IShell* shell_ = nullptr;
  IShellDialogs* dialogs_ = nullptr;
  TSettings settings_;
  std::unique_ptr<TLinkDispatcher> dispatcher_;
  std::unique_ptr<TFormSender> formSender_;
  QPointer<TFabout> splash_;
  QPointer<TZEBbox> popupBox_;
  QPointer<TMyyFloating> popupFloating_;

  THistoryModel history_;
  TZoomModel zoom_;
  TRecentFiles recent_;
  TBookMemory books_;       // where each ebook was left
  int64_t bookSize_ = -1;   // size of the open ebook when it was opened
  std::string captionBase_ = "Senza titolo";
  std::string lastFile_;
  std::string lastHintShort_, lastHintLong_;
  bool updating_ = false;   // the window itself changes the combo or the page
  bool hintCheckPosted_ = false;
  bool linkHintShown_ = false;
  bool remarkChanged_ = false;  // the remark panel's text changed since it was loaded
  bool loadingRemark_ = false;

  QTimer presentationTimer_;
  QTimer treeTimer_;  // shows the page of the chosen contents node
  int pendingPage_ = -1;
  int presentationMode_ = 0;
  std::string rdwindow_;
  bool presenting_ = false;
  bool presented_ = false;   // the presentation step placed the window once
  bool locked_ = false;      // presentation mode 10
  bool maximisedByEbook_ = false;
  bool topRestored_ = false;
  int designedTop_ = 0;
  QRect normalRect_;  // the window's place before it was maximised
  bool started_ = false;
  bool closing_ = false;
  bool brochure_ = false;
  int storedRemarkWidth_ = 200;
};
