// The frame set: shows the pages of an ebook in a tree of frames, keeps the
// current page, the pages to go back to and the page's automatic link, and is
// the single place where page objects hand in the links the reader clicks.
#pragma once

#include <QPointer>
#include <QTimer>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "document/zebset.h"
#include "pageobjects/formhost.h"
#include "pageobjects/framesetapi.h"
#include "pageobjects/zebframe.h"
#include "pageobjects/zebpage.h"
#include "pageobjects/zebbox.h"

class TZEBbox;
class TZEBtesto;

class TZEBCustomFrameSet : public TZEBFramePanel, public IFrameSetHost, public IDocumentView {
  Q_OBJECT
public:
  explicit TZEBCustomFrameSet(QWidget* parent = nullptr);
  ~TZEBCustomFrameSet() override;

  // ---- Properties.
  TZEBset* LinkedZEBset() const override { return doc_; }
  void SetLinkedZEBset(TZEBset* doc);
  int MainPageNumber() const { return mainPage_; }
  virtual void SetMainPageNumber(int value);
  bool ShowNested() const { return showNested_; }
  void SetShowNested(bool on);
  bool AutoJump() const { return autoJump_; }
  void SetAutoJump(bool on);
  bool SaveOnExit() const { return saveOnExit_; }
  virtual void SetSaveOnExit(bool on);
  bool IsShowingTmpFrameSet() const { return tmpMode_; }
  virtual void SetTmpFrameSet(bool on);
  void SetTmpFrameSetRequest(bool on);
  void SetActivePreview(bool on) { activePreview_ = on; }
  void SetShowBoundaries(bool on);
  void SetSearchOptions(uint8_t options) { searchOptions_ = options; }
  void SetNoFocus(bool on) { noFocus_ = on; }
  void SetFloating(bool on) { floating_ = on; }
  bool Floating() const { return floating_; }
  std::string OwnTargetName;
  std::string HintMoveToCreate;
  // Milliseconds per stored second of a page's automatic link delay.
  int AutoLinkTimeUnit = 1000;
  // Set by the application once it starts closing: handlers then do nothing.
  void SetClosing(bool on) { closing_ = on; }
  bool ErrorLatched() const { return errorLatch_; }
  bool Loading() const { return loading_; }

  TZEBFrame* RootFrame() const { return single_; }
  TZEBFrame* SelectedFrame() const { return selectedFrame_; }
  TZEBoggetto* CurrentFrameMap() const { return currentMap_; }
  const std::vector<int>& PreviousPages() const { return previous_; }
  bool AutoLinkPending() const { return autoLinkTimer_.isActive(); }
  int AutoLinkInterval() const { return autoLinkTimer_.interval(); }

  // ---- Navigation.
  int GoToCover();
  int GoToSummary();
  int GoBack();
  bool ShowInTarget(const std::string& target, TZEBoggetto* obj, int anchor, int nested);
  TZEBFrame* FindFrame(const std::string& name);
  bool ShowInFrame(TZEBFrame* frame, TZEBoggetto* obj, int anchor, int nested);
  bool ShowInFrameOfPage(TZEBpage* page, TZEBoggetto* obj, int anchor, int nested);
  bool ScrollMainToAnchor(int anchor);
  // The same on a later turn of the event loop.
  void ScrollMainToAnchorLater(int anchor);
  void FocusActive(int retry = 0);
  void Reset();
  // Scrolling by key (Page Up/Down, arrows); false for other keys.
  bool ScrollByKey(int key);
  void ScrollByWheel(int angleDelta);

  // Search helpers: find a word from the start of the active (or main) page,
  // from the active box's selection on, or in the pages of every frame.
  bool FindInActive(const std::string& text);
  bool FindInMain(const std::string& text);
  bool FindNextInActive(const std::string& text);
  bool FindInNested(const std::string& text);
  void ResetSearch();

  TZEBbox* ActiveBox() const;
  TZEBbox* MainBox() const;
  TZEBbox* FocusedBox() const;
  std::vector<TZEBpage*> CollectPages() const;
  void CollectObjects(int kind, std::vector<std::pair<std::string, TZEBoggetto*>>& out);
  void RefreshMultimedia();
  // Prints the page a link came from; printing comes with the print layout.
  virtual void PrintCurrent(bool ask, QObject* source);
  // Plain text of the box a link came from (its own box, the box a page
  // object sits in, else the active box), as a "dump:" link hands it over.
  std::string ExportBoxText(QObject* source = nullptr) const;
  // The box copy and select all act on: the box the reader last clicked in
  // (a table cell, a nested frame), else the active box.
  TZEBbox* CommandBox() const;
  // Puts the selection of that box on the clipboard; false when nothing is selected.
  bool CopyToClipboard();
  // Selects the whole text of that box.
  void SelectAll();

  // ---- IFrameSetHost.
  bool ReadOnly() const override { return readOnly_; }
  bool Animated() const override { return animated_; }
  bool ActivePreview() const override { return activePreview_; }
  bool ShowBoundaries() const override { return showBoundaries_; }
  uint8_t SearchOptions() const override { return searchOptions_; }
  void RaiseLink(TZEBoggetto* obj, QObject* source) override;
  void SetActiveControl(QWidget* control) override;
  QWidget* ActiveControl() const override { return active_; }
  void SetFocusedBox(TZEBbox* box) override;
  void SelectionChanged(QWidget* source) override;
  void ClickedAt(QWidget* source) override;
  int RegisterPage(TZEBpage* page) override;
  void UnregisterPage(TZEBpage* page) override;
  void DropFiles(const std::vector<std::string>& files, QObject* source) override;
  std::string HintFor(TZEBoggetto* obj) override;
  bool Closing() const override { return closing_; }
  int TextZoom() const override { return textZoom_; }
  QMenu* PopupFor(TPopupRole role) const override;
  // The zoom of the pages shown from now on (clamped to 5..20).
  void SetTextZoom(int tenths);
  void SetPopup(TPopupRole role, QMenu* menu);
  bool AnchorPreview() const override { return anchorPreview_; }
  void SetAnchorPreview(bool on) { anchorPreview_ = on; }
  TFormHost* FormHost() override { return forms_.get(); }
  TFormHost& Forms() { return *forms_; }

  // ---- IDocumentView: the document is about to free its objects.
  void DropDisplay() override;

  // ---- Events.
  using TNotifyEvent = std::function<void(QObject* sender)>;
  std::function<void(QObject* sender, QObject* obj, TZEBoggetto* aogg)> OnDoLink;
  std::function<void(QObject* sender, QObject* obj)> OnSelectionChange;
  std::function<void(QObject* sender, TZEBoggetto* aogg, std::string& hint)> OnGetHint;
  std::function<void(QObject* sender, const std::vector<std::string>& files, QObject* caller)> OnDropFile;
  TNotifyEvent OnPageChanged, OnPageChanging, OnClickFrame, OnFrameSetChanged, OnRulerPosChanged;
  // Printing is installed by the window that owns the frame set.
  std::function<void(bool ask, QObject* source)> OnPrintCurrent;

protected:
  void resizeEvent(QResizeEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void wheelEvent(QWheelEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;

private:
  friend class TZEBFrame;
  void ChangePage(int value, bool force);
  bool LoadMain(int value);
  void TearDownTree();
  TZEBFrame* NewRootFrame();
  bool ShowMap(TZEBFrame* root, TZEBoggetto* map);
  void LoadLeaves(TZEBFrame* top);
  void StartAutoLink(TZEBtesto* page);
  void HandleLink(TZEBoggetto* obj, QPointer<QObject> source);
  static TZEBbox* BoxOf(QObject* source);
  void PostFocus(int retry);
  void Later(std::function<void()> work);
  int SpecialLinkTarget(TZEBoggetto* link, QObject* source) const;
  void AutoLinkFired();
  void PushPrevious(int page);
  void Message(TMsgKind kind, const std::string& text);
  void SetRoot(TZEBFrame* root);
  void FireNotify(const TNotifyEvent& ev, QObject* sender);

  TZEBset* doc_ = nullptr;
  std::unique_ptr<TFormHost> forms_;
  int mainPage_ = -2;
  TZEBoggetto* currentMap_ = nullptr;
  std::vector<QPointer<TZEBpage>> pages_;  // registered page controls; a slot is cleared when one leaves
  QPointer<TZEBFrame> selectedFrame_;
  std::vector<int> previous_;
  QPointer<QWidget> active_;
  QPointer<TZEBbox> focused_;
  bool objectChosen_ = false;  // the active object was chosen after the focused box
  QPointer<QObject> lastLinkSource_;
  QTimer autoLinkTimer_;
  QTimer* multimediaTimer_ = nullptr;
  TObjId autoLinkTarget_ = NoObject;
  uint64_t generation_ = 0;  // bumped when what the display shows is dropped

  bool showNested_ = true, saveOnExit_ = false, tmpMode_ = false, tmpRequest_ = false;
  bool activePreview_ = false, showBoundaries_ = true, autoJump_ = true;
  bool pageChanged_ = false, mapFromStore_ = false, loading_ = false;
  bool noFocus_ = false, errorLatch_ = false, autoLinkRunning_ = false, floating_ = false;
  bool closing_ = false;
  uint8_t searchOptions_ = 0;
  int textZoom_ = 10;
  bool anchorPreview_ = false;
  std::map<TPopupRole, QPointer<QMenu>> popups_;
  bool savedReadOnly_ = false, savedSaveOnExit_ = false;
  int savedMainPage_ = -1;
};

// The frame set of the main window and of the print previews.
class TInsiemeCornici : public TZEBCustomFrameSet {
  Q_OBJECT
public:
  using TZEBCustomFrameSet::TZEBCustomFrameSet;
};

// The frame set of a separate reader window.
class TZEBframeSet : public TInsiemeCornici {
  Q_OBJECT
public:
  using TInsiemeCornici::TInsiemeCornici;
};

// The notice a frame shows for an object that is not a page: a line of text
// and a link to the object.
std::string ObjectNoticeText(TZEBoggetto* obj);
