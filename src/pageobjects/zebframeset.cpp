// The frame set: page changes, the frame tree of a page, links and the
// automatic link, the pages to go back to, focus and scrolling.
#include "pageobjects/zebframeset.h"

#include <QKeyEvent>
#include <QWheelEvent>
#include <QtGlobal>
#include <algorithm>
#include <cstdio>

#include "document/records.h"
#include "document/strutil.h"
#include "pageobjects/zebbox.h"
#include "pageobjects/zebpage.h"

namespace {

constexpr char kUnknownError[] = "Errore sconociuto. E' meglio salvare e uscire. Eventualmente riavviare.";
// Where a map object keeps the length of the records it was written with;
// a missing or unusable value means the current 58.
constexpr int kMapRecordLengthField = 89;
constexpr int kMaxMapRecordLength = 4096;

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

TZEBCustomFrameSet::TZEBCustomFrameSet(QWidget* parent)
    : TZEBFramePanel(parent), forms_(std::make_unique<TFormHost>()) {
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
      FocusActive();
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
  const TObjId target = page->Rec().I32(pagerec::AutoLinkTarget);
  if (target == NoObject) return;
  autoLinkTarget_ = target;
  const int64_t ms = int64_t(page->Rec().I16(pagerec::AutoLinkDelay)) * AutoLinkTimeUnit;
  autoLinkTimer_.start(int(std::clamp<int64_t>(ms, 100, INT32_MAX)));
}

void TZEBCustomFrameSet::DropDisplay() {
  ++generation_;
  forms_->values.clear();
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

void TZEBCustomFrameSet::SetTextZoom(int tenths) { textZoom_ = std::clamp(tenths, 5, 20); }

void TZEBCustomFrameSet::SetPopup(TPopupRole role, QMenu* menu) { popups_[role] = menu; }

QMenu* TZEBCustomFrameSet::PopupFor(TPopupRole role) const {
  auto it = popups_.find(role);
  return it == popups_.end() ? nullptr : it->second.data();
}
