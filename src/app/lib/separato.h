// A separate reader window: a small reader with its own frame set, history
// and document, opened by links that show their target in a named window, a
// new full window or a popup next to the click.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QRect>
#include <QTimer>
#include <memory>
#include <string>

#include "document/services.h"
#include "document/zebset.h"
#include "pageobjects/zebframeset.h"
#include "shell/history.h"
#include "shell/linkdispatch.h"

class QAction;
class QComboBox;
class QMenu;
class QStatusBar;
class QToolBar;
class TFseparato;
class TOxLanguager;

// What a separate window asks of the main window.
class ISeparateHost {
public:
  virtual ~ISeparateHost() = default;
  virtual TZEBset* MainDocument() = 0;
  virtual QSize MainWindowSize() const = 0;
  virtual bool ProgramClosing() const = 0;
  virtual TLinkDispatcher& Dispatcher() = 0;
  // The main window's own link handling (links clicked in a popup).
  virtual void MainDoLink(QObject* sender, QObject* obj, TZEBoggetto* aogg) = 0;
  // Posted by a window that closed: the main window frees it.
  virtual void SeparateClosed(TFseparato* window) = 0;
  virtual void ShowAbout() = 0;
  virtual void ShowKeywordSearch() = 0;
  // The main window's printer and margin setup.
  virtual void ShowPrinterSetup() = 0;
  virtual void ShowMarginsSetup() = 0;
  // A page's own print command (a link that prints) from a window showing
  // the main ebook.
  virtual void PrintFromWindow(bool ask, QObject* source) = 0;
  virtual TServices Services() = 0;
  virtual IMessageSink& Messages() = 0;
};

// The 22-byte window layout record of a special link.
struct TWindowLayout {
  static constexpr int Size = 22;
  static constexpr int Keep = -20000;
  int left = Keep, top = 0, width = Keep, height = 0;
  bool maximised = false, history = false, menu = false, resizable = true;
  bool statusBar = false, toolbar = false;
  // False for a record shorter than 22 bytes (then nothing is read).
  static bool Read(const std::string& data, TWindowLayout& out);
};

// A size from a layout record made usable: sizes below 120 pixels or larger
// than the screen become the screen's bounds.
QSize BoundedSize(QSize wanted, const QRect& screen);
// A window rectangle moved so that at least its top-left part stays on screen
// (the title bar can still be grabbed).
QRect KeepReachable(const QRect& window, const QRect& screen);
// Where a popup of `size` opens after a click at `click`: left 50 pixels to the
// left of the click, above the click when it would run off the bottom. The
// height may be cut to the screen's.
QRect PopupRect(const QPoint& click, QSize size, const QRect& screen);

class TFseparato : public QMainWindow, public ISeparateWindow {
  Q_OBJECT
public:
  static constexpr int ShowTimerMs = 500;

  TFseparato(ISeparateHost& host, QWidget* parent = nullptr);
  ~TFseparato() override;

  // ---- Components, named as the form names them.
  TZEBframeSet* Preview = nullptr;
  std::unique_ptr<TZEBset> ZEBset1;
  QWidget* Panel1 = nullptr;
  QToolBar* ToolbarFile = nullptr;
  QToolBar* ToolbarHistory = nullptr;
  QAction *BPrecedente = nullptr, *Bseguente = nullptr, *PrintButton = nullptr, *PrintSeparator = nullptr;
  QAction *CoverButton = nullptr, *SummaryButton = nullptr, *CercaKeyButton = nullptr;
  QComboBox* HistoryCombo = nullptr;
  QStatusBar* StatusBar = nullptr;
  QMenuBar* MainMenu = nullptr;
  QAction *Impostastampante1 = nullptr, *Impostamargini1 = nullptr, *Stampa1 = nullptr, *Esci1 = nullptr;
  QAction *Copertina1 = nullptr, *Sommario1 = nullptr, *Paginaprecedente1 = nullptr, *Paginaseguente1 = nullptr;
  QAction* Informazioni1 = nullptr;
  TOxLanguager* Languager = nullptr;

  // ---- ISeparateWindow.
  std::string WindowName() const override { return name_; }
  bool FindNamedFrame(const std::string& name, QObject*& frame) override;
  void ShowInWindow(QObject* frame, TZEBoggetto* target, int position, TWindowKind kind, int nested) override;
  void ApplyLayout(const std::string* layout, const std::string& name) override;
  void HideToolbarPanel() override;
  void PlaceNearClick(QObject* box) override;
  void PrintCurrent() override;
  void Close() override;

  // ---- Main ebook replaced.
  void MainEbookClosing();
  void MainEbookOpened();

  // ---- Handlers.
  void PreviewDoLink(QObject* sender, QObject* obj, TZEBoggetto* aogg);
  void PreviewPageChanged();
  void BPrecedenteClick();
  void BseguenteClick();
  void HistoryComboClick(int index);
  void OpenLumoLinkInWindow(const std::string& link);
  void OpenInWindow(const std::string& file);

  // ---- State.
  TWindowKind Kind() const { return kind_; }
  bool Maximised() const { return maximised_; }
  bool Closing() const { return closing_; }
  QSize TargetSize() const { return targetSize_; }
  const THistoryModel& History() const { return history_; }
  bool ShowTimerActive() const { return showTimer_ && showTimer_->isActive(); }

protected:
  void closeEvent(QCloseEvent* e) override;
  bool event(QEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;

private:
  void BuildMenus();
  void BuildToolbars();
  void ApplyTexts();
  void ApplyRecord(const TWindowLayout& l);
  void ApplyFixedSize();
  void SetKind(TWindowKind kind);
  void ShowTarget(TZEBoggetto* target, int position);
  void ShowOrRaise();
  void ShowTimerTick();
  void FollowInWindow(TZEBoggetto* target, int position, QObject* sender, QObject* obj);
  void SpecialInWindow(TZEBoggetto* link, const TLinkEvent& ev);
  void GoToTarget(const TSpecLink& s, TZEBoggetto* link, const TLinkEvent& ev);
  void GoToHistory(int index);
  void SyncHistoryCombo();
  void UpdateHistoryButtons();
  void Release();
  void PostClose();
  QRect Screen() const;
  bool Idle() const { return closing_ || host_.ProgramClosing(); }

  ISeparateHost& host_;
  std::string name_;
  TWindowKind kind_ = TWindowKind::Full;
  bool maximised_ = false;
  bool resizable_ = true;
  QSize targetSize_;
  std::string layout_;
  THistoryModel history_;
  bool updating_ = false;
  bool closing_ = false;
  bool released_ = false;
  std::string rememberedFile_;
  int rememberedPage_ = -1;
  QTimer* showTimer_ = nullptr;
  int showCount_ = 0;
  int showAnchor_ = -1;
};
