// The frame set: page changes, the frame tree of a page, links and the
// automatic link, the pages to go back to, focus and scrolling.
#include "pageobjects/zebframeset.h"

#include <QKeyEvent>
#include <QWheelEvent>
#include <QtGlobal>
#include <algorithm>
#include <cstdio>

#include "document/strutil.h"
#include "pageobjects/zebbox.h"
#include "pageobjects/zebpage.h"

namespace {

constexpr char kUnknownError[] = "Errore sconociuto. E' meglio salvare e uscire. Eventualmente riavviare.";
// Where a map object keeps the length of the records it was written with;
// a missing or unusable value means the current 58.
constexpr int kMapRecordLengthField = 89;
constexpr int kMaxMapRecordLength = 4096;
// The pages to go back to are a short list; the oldest go beyond this.
constexpr size_t kMaxPreviousPages = 1000;

}  // namespace

std::string ObjectNoticeText(TZEBoggetto* obj) {
  char id[9];
  std::snprintf(id, sizeof id, "%08x", static_cast<unsigned>(obj ? obj->Id() : NoObject));
  std::string name;
  for (char c : obj ? obj->Name() : std::string()) {
    switch (c) {
      case '\t': name += "        "; break;
      case '&': name += "&#38;"; break;
      case '<': name += "&lt;"; break;
      case '>': name += "&gt;"; break;
      default: name += c;
    }
  }
  return "<Z S0 >QUI APPARE UN OGGETTO. PER VEDERLO CLICCA SOTTO.<Z S0 ><$" + std::string(id) + ">" + name +
         "<%>";
}

TZEBCustomFrameSet::TZEBCustomFrameSet(QWidget* parent) : TZEBFramePanel(parent) {
  autoLinkTimer_.setSingleShot(true);
  autoLinkTimer_.setInterval(100);
  connect(&autoLinkTimer_, &QTimer::timeout, this, [this] { AutoLinkFired(); });
  setFocusPolicy(Qt::StrongFocus);
}

TZEBCustomFrameSet::~TZEBCustomFrameSet() {
  closing_ = true;
  autoLinkTimer_.stop();
  SetRoot(nullptr);
  if (doc_) doc_->DetachView(this);
}

// ---- Properties.

void TZEBCustomFrameSet::SetLinkedZEBset(TZEBset* doc) {
  if (doc_) doc_->DetachView(this);
  active_ = nullptr;
  if (!doc) focused_ = nullptr;
  // The tree shows the old document's pages: it goes before the new one comes.
  ++generation_;
  autoLinkTimer_.stop();
  SetRoot(nullptr);
  currentMap_ = nullptr;
  pages_.clear();
  doc_ = doc;
  SetMainPageNumber(-1);
  if (doc_) doc_->AttachView(this);
}

void TZEBCustomFrameSet::SetMainPageNumber(int value) { ChangePage(value, false); }

void TZEBCustomFrameSet::ChangePage(int value, bool force) {
  if (errorLatch_) return;
  try {
    FireNotify(OnPageChanging, this);
    if (!force && value == mainPage_ && !tmpMode_) {
      FocusActive();
      loading_ = false;
      return;
    }
    active_ = nullptr;
    focused_ = nullptr;
    loading_ = true;
    if (LoadMain(value)) {
      active_ = nullptr;
      focused_ = nullptr;
      loading_ = false;
      try {
        FocusActive();
      } catch (...) {
      }
    }
    pageChanged_ = true;
    FireNotify(OnPageChanged, this);
    pageChanged_ = false;
  } catch (...) {
    // Something left the tree half built: stop changing pages rather than
    // work on it.
    errorLatch_ = true;
    pageChanged_ = false;
    if (!closing_) Message(TMsgKind::Error, kUnknownError);
  }
  loading_ = false;
}

void TZEBCustomFrameSet::SetShowNested(bool on) {
  if (on == showNested_) return;
  showNested_ = on;
  if (mainPage_ >= 0) ChangePage(mainPage_, true);
}

void TZEBCustomFrameSet::SetAutoJump(bool on) {
  if (on != autoJump_) previous_.clear();
  autoJump_ = on;
}

void TZEBCustomFrameSet::SetSaveOnExit(bool on) {
  if (on && tmpMode_) SetTmpFrameSet(false);
  saveOnExit_ = on;
}

void TZEBCustomFrameSet::SetTmpFrameSetRequest(bool on) {
  if (on && tmpMode_) {
    Message(TMsgKind::Information, "Error: this property must be set true with IsShowingTmpFrameSet false");
    return;
  }
  tmpRequest_ = on;
}

void TZEBCustomFrameSet::SetTmpFrameSet(bool on) {
  if (on == tmpMode_) return;
  if (on) {
    savedReadOnly_ = readOnly_;
    savedSaveOnExit_ = saveOnExit_;
    savedMainPage_ = mainPage_;
    tmpMode_ = true;
    if (!readOnly_ || tmpRequest_) {
      Reset();
      SetReadOnly(true);
      SetMainPageNumber(savedMainPage_);
    }
    saveOnExit_ = false;
    return;
  }
  saveOnExit_ = false;
  Reset();
  tmpMode_ = false;
  if (doc_ && doc_->Count(testoHtml) > 0) {
    SetReadOnly(savedReadOnly_);
    SetMainPageNumber(savedMainPage_);
    saveOnExit_ = savedSaveOnExit_;
  }
}

void TZEBCustomFrameSet::SetShowBoundaries(bool on) {
  showBoundaries_ = on;
  update();
}

void TZEBCustomFrameSet::Message(TMsgKind kind, const std::string& text) {
  if (doc_)
    doc_->Say(kind, text);
  else
    qWarning("%s", text.c_str());
}

void TZEBCustomFrameSet::FireNotify(const TNotifyEvent& ev, QObject* sender) {
  if (ev) ev(sender);
}

void TZEBCustomFrameSet::SetRoot(TZEBFrame* root) {
  TZEBFrame* old = single_;
  single_ = root;
  if (old) {
    old->hide();
    delete old;
  }
}

// ---- Showing a page.

TZEBFrame* TZEBCustomFrameSet::NewRootFrame() {
  auto* root = new TZEBFrame(this, this);
  root->SetAlign(TAlign::Client);
  root->TakeSettingsFrom(*this);
  root->setGeometry(rect());
  root->lower();
  return root;
}

void TZEBCustomFrameSet::TearDownTree() {
  if (!single_) return;
  std::vector<TZEBFrame*> leaves;
  single_->CollectLeaves(leaves);
  for (TZEBFrame* f : leaves) f->LeavePage();
  int savedMap = -1;
  if (mapFromStore_ && saveOnExit_ && doc_) {
    std::string records;
    if (single_->WriteMap(records, 0)) {
      TZEBoggetto* map = currentMap_;
      if (!map || map->Document() != doc_ || map->Kind() != mappaFrame)
        map = doc_->Store(doc_->NewObject(mappaFrame));
      map->Rec().SetI32(kMapRecordLengthField, TFrameMapRecord::Size);
      map->SetMainPayload(std::move(records));
      savedMap = map->Index();
    }
  }
  for (TZEBFrame* f : leaves) f->ReleasePage();
  TZEBoggetto* current = doc_ ? doc_->Page(mainPage_) : nullptr;
  if (!current)
    Message(TMsgKind::Error, "Nessuna cornice è stata registrata come master per la mappa cornici!");
  else if (savedMap >= 0)
    current->Rec().SetI32(81, savedMap);
  mapFromStore_ = false;
  pages_.clear();
}

bool TZEBCustomFrameSet::LoadMain(int value) {
  autoLinkTimer_.stop();
  if (!doc_) {
    SetRoot(nullptr);
    update();
    mapFromStore_ = false;
    active_ = nullptr;
    focused_ = nullptr;
    return false;
  }
  const bool wasAnimated = animated_;
  SetAnimated(false);
  struct Restore {
    TZEBCustomFrameSet* fs;
    bool animated;
    ~Restore() { fs->SetAnimated(animated); }
  } restore{this, wasAnimated};

  TearDownTree();
  // Any negative number means no page (a page index is never negative).
  mainPage_ = value < 0 ? -1 : value;
  if (mainPage_ < 0) {
    active_ = nullptr;
    focused_ = nullptr;
    currentMap_ = nullptr;
    SetRoot(nullptr);
    return false;
  }
  TZEBtesto* page = doc_->Page(mainPage_);
  if (!page) {
    page = static_cast<TZEBtesto*>(doc_->Store(doc_->NewObject(testoHtml)));
    mainPage_ = page->Index();
  }
  pages_.clear();
  TZEBoggetto* map = doc_->PageFrameLayout(mainPage_);
  currentMap_ = map;
  mapFromStore_ = showNested_;
  TZEBFrame* old = single_;
  if (old) old->hide();
  single_ = NewRootFrame();
  bool shown = false;
  if (showNested_ && map) {
    shown = ShowMap(single_, map);
    if (!shown) {
      // A map lost to a failed read has been reported by the document already.
      if (!doc_->ReadFailed()) Message(TMsgKind::Warning, "Map problem.");
      delete single_;
      single_ = NewRootFrame();
    }
  }
  if (!shown) {
    single_->SetEdgeBarMode(showNested_ ? 2 : 3);
    single_->Record().SetParentId(-1);
    single_->SetName("Pag" + std::to_string(mainPage_));
    single_->show();
    single_->LoadPage(page);
  }
  delete old;
  StartAutoLink(page);
  return true;
}

bool TZEBCustomFrameSet::ShowMap(TZEBFrame* frame, TZEBoggetto* map) {
  const std::string records = map->MainPayload();
  int length = map->Rec().I32(kMapRecordLengthField);
  if (length <= 0 || length > kMaxMapRecordLength) length = TFrameMapRecord::Size;
  TFrameMapStream s(records, length);
  if (s.AtEnd()) return false;  // not even one record
  frame->ReadMap(s);
  frame->setGeometry(frame->IsRoot() ? rect() : frame->geometry());
  frame->show();
  frame->LayoutTree();
  LoadLeaves(frame);
  return true;
}

void TZEBCustomFrameSet::LoadLeaves(TZEBFrame* top) {
  std::vector<TZEBFrame*> leaves;
  top->CollectLeaves(leaves);
  // Every frame shows its colour before any text is laid out.
  for (TZEBFrame* f : leaves) f->PreparePage(doc_->Page(f->Record().Page()));
  for (TZEBFrame* f : leaves) f->LoadPage(doc_->Page(f->Record().Page()));
}

void TZEBCustomFrameSet::StartAutoLink(TZEBtesto* page) {
  if (!page || !readOnly_ || !activePreview_) return;
  const TObjId target = page->Rec().I32(227);
  if (target == NoObject) return;
  autoLinkTarget_ = target;
  const int64_t ms = int64_t(page->Rec().I16(221)) * AutoLinkTimeUnit;
  autoLinkTimer_.start(int(std::clamp<int64_t>(ms, 100, INT32_MAX)));
}

void TZEBCustomFrameSet::DropDisplay() {
  ++generation_;
  autoLinkTimer_.stop();
  active_ = nullptr;
  focused_ = nullptr;
  SetRoot(nullptr);
  pages_.clear();
  currentMap_ = nullptr;
  mapFromStore_ = false;
  mainPage_ = -1;
  previous_.clear();
}

void TZEBCustomFrameSet::resizeEvent(QResizeEvent*) {
  if (single_) single_->setGeometry(rect());
}

// ---- Navigation.

int TZEBCustomFrameSet::GoToCover() {
  if (!doc_) return -1;
  const int page = doc_->CoverPage();
  SetMainPageNumber(page);
  FocusActive();
  return page;
}

int TZEBCustomFrameSet::GoToSummary() {
  if (!doc_) return -1;
  const int page = doc_->SummaryPage();
  SetMainPageNumber(page);
  FocusActive();
  return page;
}

int TZEBCustomFrameSet::GoBack() {
  autoLinkTimer_.stop();
  if (previous_.empty()) return mainPage_;
  const int page = previous_.back();
  try {
    SetMainPageNumber(page);
  } catch (...) {
  }
  return page;
}

void TZEBCustomFrameSet::PushPrevious(int page) {
  if (previous_.size() >= kMaxPreviousPages) previous_.erase(previous_.begin());
  previous_.push_back(page);
}

bool TZEBCustomFrameSet::ShowInTarget(const std::string& target, TZEBoggetto* obj, int anchor, int nested) {
  if (str::EqualsNoCase(target, "_root")) {
    if (obj && obj->Kind() == testoHtml) {
      SetMainPageNumber(obj->Index());
      ScrollMainToAnchor(anchor);
    }
    return true;
  }
  TZEBFrame* frame = FindFrame(target);
  return frame ? ShowInFrame(frame, obj, anchor, nested) : false;
}

TZEBFrame* TZEBCustomFrameSet::FindFrame(const std::string& name) {
  return single_ ? single_->FindFrame(name) : nullptr;
}

bool TZEBCustomFrameSet::ShowInFrameOfPage(TZEBpage* page, TZEBoggetto* obj, int anchor, int nested) {
  return page ? ShowInFrame(page->Frame(), obj, anchor, nested) : false;
}

bool TZEBCustomFrameSet::ShowInFrame(TZEBFrame* frame, TZEBoggetto* obj, int anchor, int nested) {
  if (!frame) return false;
  const std::string name = frame->Name();
  QPointer<TZEBFrame> guard(frame);
  SetTmpFrameSet(true);
  // Turning the temporary mode on may have rebuilt the tree.
  if (!guard) frame = FindFrame(name);
  if (!frame) return true;
  if (!frame->Children().empty()) frame->FreeChildren();
  if (obj && obj->Kind() != testoHtml) {
    auto notice = std::make_unique<TZEBtesto>(doc_);
    notice->Clear();
    notice->SetMainPayload(ObjectNoticeText(obj));
    frame->ShowNotice(std::move(notice));
    return true;
  }
  auto* page = static_cast<TZEBtesto*>(obj);
  TZEBoggetto* map = page && doc_ ? doc_->PageFrameLayout(page->Index()) : nullptr;
  if (nested == 1 && map && map->HasMainPayload()) {
    frame->FreePage();
    frame->SetReadOnly(true);
    if (ShowMap(frame, map)) return true;
  }
  frame->LoadPage(page);
  if (frame->PageControl()) frame->PageControl()->GoToAnchor(anchor);
  return true;
}

bool TZEBCustomFrameSet::ScrollMainToAnchor(int anchor) {
  if (anchor == -1) return false;
  TZEBpage* target = nullptr;
  for (TZEBpage* p : CollectPages())
    if (p->StoredPage() && p->PageIndex() == mainPage_) {
      target = p;
      break;
    }
  if (!target)
    if (TZEBbox* box = ActiveBox()) target = box->Page();
  return target ? target->GoToAnchor(anchor) : false;
}

void TZEBCustomFrameSet::Reset() {
  if (active_ && active_->hasFocus()) active_->clearFocus();
  active_ = nullptr;
  try {
    SetMainPageNumber(-1);
  } catch (...) {
  }
  previous_.clear();
  active_ = nullptr;
}

void TZEBCustomFrameSet::PrintCurrent(bool, QObject*) {}

// ---- Links.

void TZEBCustomFrameSet::RaiseLink(TZEBoggetto* obj, QObject* source) {
  // Never inside the caller: the control that raised the link may be freed
  // by what the link does.
  QPointer<QObject> src(source);
  Later([this, obj, src] { HandleLink(obj, src); });
}

TZEBbox* TZEBCustomFrameSet::BoxOf(QObject* source) {
  for (QObject* o = source; o; o = o->parent()) {
    if (auto* box = qobject_cast<TZEBbox*>(o)) return box;
    if (qobject_cast<TZEBCustomFrameSet*>(o)) break;
  }
  return nullptr;
}

int TZEBCustomFrameSet::SpecialLinkTarget(TZEBoggetto* link, QObject* source) const {
  TZEBbox* box = BoxOf(source);
  if (!box) return -1;
  if (link->State() == 1) {
    const TObjId id = link->Rec().I32(13);
    TZEBoggetto* target = box->Text() ? box->Text()->ResolveContainerId(id) : doc_->ObjectById(id);
    return target && target->Kind() == testoHtml ? target->Index() : -1;
  }
  TZEBtesto* page = box->Page() ? box->Page()->StoredPage() : nullptr;
  if (!page) page = box->Text();
  if (!page) return -1;
  TZEBtesto* next = link->State() == 4 ? page->PreviousPage() : page->NextPage();
  return next ? next->Index() : -1;
}

void TZEBCustomFrameSet::HandleLink(TZEBoggetto* obj, QPointer<QObject> source) {
  if (closing_) return;
  lastLinkSource_ = source;
  active_ = nullptr;
  focused_ = nullptr;
  if (!obj || !doc_ || obj->Document() != doc_) return;
  const bool fromFrameSet = qobject_cast<TZEBCustomFrameSet*>(source.data()) != nullptr;
  bool jumped = false;
  if (obj->Kind() == speclink && autoJump_ && !fromFrameSet &&
      (obj->State() == 1 || obj->State() == 4 || obj->State() == 5)) {
    const int index = SpecialLinkTarget(obj, source);
    if (index >= 0 && index <= 0xFFFFFF) {
      PushPrevious(mainPage_);
      SetMainPageNumber(index);
      if (TZEBtesto* page = doc_->Page(mainPage_)) obj = page;
      jumped = true;
    }
  }
  // A jump just made already put the page it left on the list.
  if (!jumped && obj->Kind() == testoHtml && !fromFrameSet && autoJump_) {
    PushPrevious(mainPage_);
    SetMainPageNumber(obj->Index());
  }
  const std::string onclick = str::Lower(obj->GetAttribute("onclick"));
  if (onclick.find("print(1)") != std::string::npos || onclick.find("window.print()") != std::string::npos)
    PrintCurrent(true, source);
  try {
    if (OnDoLink) OnDoLink(this, source, obj);
  } catch (...) {
  }
  autoLinkRunning_ = false;
}

void TZEBCustomFrameSet::AutoLinkFired() {
  autoLinkTimer_.stop();
  if (closing_) return;
  if (autoJump_) PushPrevious(mainPage_);
  if (activePreview_ && doc_) {
    autoLinkRunning_ = true;
    RaiseLink(doc_->ObjectById(autoLinkTarget_), this);
  }
}

// ---- Active control, focus and scrolling.

void TZEBCustomFrameSet::SetActiveControl(QWidget* control) {
  active_ = control;
  if (OnSelectionChange) OnSelectionChange(this, control);
}

void TZEBCustomFrameSet::SetFocusedBox(TZEBbox* box) {
  if (box == focused_) return;
  focused_ = readOnly_ ? box : nullptr;
}

TZEBbox* TZEBCustomFrameSet::FocusedBox() const { return focused_; }

void TZEBCustomFrameSet::SelectionChanged(QWidget* source) {
  if (OnSelectionChange) OnSelectionChange(this, source);
}

void TZEBCustomFrameSet::ClickedAt(QWidget* source) {
  if (!showFramesOnly_) return;
  for (QObject* o = source; o && o != this; o = o->parent())
    if (auto* f = qobject_cast<TZEBFrame*>(o)) {
      selectedFrame_ = f;
      break;
    }
  FireNotify(OnClickFrame, this);
}

// Runs `work` on a later turn of the event loop, unless the display was
// dropped in between (then it would touch objects that are gone).
void TZEBCustomFrameSet::Later(std::function<void()> work) {
  const uint64_t gen = generation_;
  QMetaObject::invokeMethod(
      this,
      [this, gen, work = std::move(work)] {
        if (gen == generation_) work();
      },
      Qt::QueuedConnection);
}

void TZEBCustomFrameSet::PostFocus(int retry) {
  Later([this, retry] { FocusActive(retry); });
}

void TZEBCustomFrameSet::ScrollMainToAnchorLater(int anchor) {
  Later([this, anchor] { ScrollMainToAnchor(anchor); });
}

void TZEBCustomFrameSet::FocusActive(int retry) {
  if (loading_ || closing_) return;
  try {
    QWidget* c = active_ ? active_.data() : ActiveBox();
    if (!c) return;
    if (c->isHidden()) c->show();
    if (c->focusPolicy() == Qt::NoFocus || !c->isEnabled()) return;
    if (auto* box = qobject_cast<TZEBbox*>(c)) focused_ = box;
    if (!c->isVisible() || c->hasFocus() || floating_ || noFocus_) return;
    // The control that asked may still be handling its own event: focus later.
    if (retry < 2) {
      PostFocus(retry + 1);
      return;
    }
    c->setFocus(Qt::OtherFocusReason);
    if (!c->hasFocus() && retry + 1 < 10) PostFocus(retry + 1);
  } catch (...) {
    active_ = nullptr;
  }
}

bool TZEBCustomFrameSet::ScrollByKey(int key) {
  TZEBbox* box = focused_;
  TZEBpage* page = box ? box->Page() : nullptr;
  if (!page) return false;
  const int step = std::max(10, page->height() - 20);
  try {
    switch (key) {
      case Qt::Key_PageUp: page->SetScrollY(page->ScrollY() - step); return true;
      case Qt::Key_PageDown: page->SetScrollY(page->ScrollY() + step); return true;
      case Qt::Key_Up: page->SetScrollY(page->ScrollY() - 20); return true;
      case Qt::Key_Down: page->SetScrollY(page->ScrollY() + 20); return true;
      case Qt::Key_Left: page->SetScrollX(page->ScrollX() - 20); return true;
      case Qt::Key_Right: page->SetScrollX(page->ScrollX() + 20); return true;
      default: return false;
    }
  } catch (...) {
    return true;
  }
}

void TZEBCustomFrameSet::ScrollByWheel(int angleDelta) {
  if (angleDelta == 0) return;
  try {
    TZEBbox* box = ActiveBox();
    TZEBpage* page = box ? box->Page() : nullptr;
    if (page) page->SetScrollY(page->ScrollY() + (angleDelta > 0 ? -100 : 100));
  } catch (...) {
  }
}

void TZEBCustomFrameSet::keyPressEvent(QKeyEvent* e) {
  if (!ScrollByKey(e->key())) TZEBFramePanel::keyPressEvent(e);
}

void TZEBCustomFrameSet::wheelEvent(QWheelEvent* e) {
  ScrollByWheel(e->angleDelta().y());
  e->accept();
}

bool TZEBCustomFrameSet::eventFilter(QObject* watched, QEvent* e) {
  // Keys a box leaves alone reach its page control: the frame set scrolls
  // with its own steps instead of the scroll area's.
  if (e->type() == QEvent::KeyPress && qobject_cast<TZEBpage*>(watched))
    if (ScrollByKey(static_cast<QKeyEvent*>(e)->key())) return true;
  return TZEBFramePanel::eventFilter(watched, e);
}

TZEBbox* TZEBCustomFrameSet::ActiveBox() const {
  for (QWidget* w = active_; w && w != this; w = w->parentWidget())
    if (auto* box = qobject_cast<TZEBbox*>(w)) return box;
  if (single_ && single_->PageControl() && single_->PageControl()->Box()) return single_->PageControl()->Box();
  for (auto it = pages_.rbegin(); it != pages_.rend(); ++it)
    if (*it && (*it)->Box() && (*it)->DisplayText()) return (*it)->Box();
  return nullptr;
}

TZEBbox* TZEBCustomFrameSet::MainBox() const {
  if (single_ && single_->PageControl() && single_->PageControl()->Box()) return single_->PageControl()->Box();
  for (auto it = pages_.rbegin(); it != pages_.rend(); ++it)
    if (*it && (*it)->Box() && (*it)->StoredPage() && (*it)->PageIndex() == mainPage_) return (*it)->Box();
  return nullptr;
}

std::vector<TZEBpage*> TZEBCustomFrameSet::CollectPages() const {
  std::vector<TZEBpage*> out;
  if (!single_) return out;
  std::vector<TZEBFrame*> leaves;
  single_->CollectLeaves(leaves);
  for (TZEBFrame* f : leaves)
    if (f->PageControl()) out.push_back(f->PageControl());
  return out;
}

void TZEBCustomFrameSet::CollectObjects(int kind, std::vector<std::pair<std::string, TZEBoggetto*>>& out) {
  for (TZEBpage* p : CollectPages()) p->CollectObjects(kind, out);
}

void TZEBCustomFrameSet::RefreshMultimedia() {
  if (closing_) return;
  if (!multimediaTimer_) {
    multimediaTimer_ = new QTimer(this);
    multimediaTimer_->setSingleShot(true);
    multimediaTimer_->setInterval(100);
    connect(multimediaTimer_, &QTimer::timeout, this, [this] {
      multimediaTimer_->stop();
      // Pages show no multimedia objects yet: nothing to restart.
    });
  }
  multimediaTimer_->start();
}

// ---- What page controls ask of the frame set.

int TZEBCustomFrameSet::RegisterPage(TZEBpage* page) {
  if (!page) return -1;
  page->installEventFilter(this);
  pages_.emplace_back(page);
  return int(pages_.size()) - 1;
}

void TZEBCustomFrameSet::UnregisterPage(TZEBpage* page) {
  for (auto& p : pages_)
    if (p == page) p = nullptr;
  if (page) page->removeEventFilter(this);
}

void TZEBCustomFrameSet::DropFiles(const std::vector<std::string>& files, QObject* source) {
  if (OnDropFile && !closing_) OnDropFile(this, files, source);
}

std::string TZEBCustomFrameSet::HintFor(TZEBoggetto* obj) {
  std::string hint = obj ? obj->Description() : std::string();
  if (OnGetHint) OnGetHint(this, obj, hint);
  return hint;
}
