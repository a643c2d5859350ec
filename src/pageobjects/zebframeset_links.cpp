// The frame set's navigation: the cover and summary, the pages to go back
// to, showing objects in named frames, and the queue of links that page
// objects hand in.
#include "pageobjects/zebframeset.h"

#include <algorithm>

#include "document/strutil.h"
#include "pageobjects/zebbox.h"
#include "pageobjects/zebpage.h"

namespace {

// The pages to go back to are a short list; the oldest go beyond this.
constexpr size_t kMaxPreviousPages = 1000;

}  // namespace

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

void TZEBCustomFrameSet::PrintCurrent(bool ask, QObject* source) {
  if (readOnly_ && OnPrintCurrent) OnPrintCurrent(ask, source);
}

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
