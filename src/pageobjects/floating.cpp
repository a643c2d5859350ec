#include "pageobjects/floating.h"

#include <QResizeEvent>
#include <algorithm>

#include "document/records.h"
#include "document/zebset.h"
#include "pageobjects/framesetapi.h"
#include "pageobjects/zebbox.h"
#include "pageobjects/zebframeset.h"
#include "pageobjects/zebpage.h"

TMyyFloating::TMyyFloating(TZEBpage* page)
    : TMyyVisual(ViewOf(page)), page_(page), inner_(new TInsiemeCornici(this)) {
  inner_->SetReadOnly(true);
  inner_->SetSaveOnExit(false);
  inner_->SetFloating(true);
  inner_->setFocusPolicy(Qt::StrongFocus);
  if (page_) page_->AddFrameSet(inner_);
}

TMyyFloating::~TMyyFloating() {
  if (page_) page_->RemoveFrameSet(inner_);
  inner_->SetClosing(true);
  inner_->SetLinkedZEBset(nullptr);
}

bool TMyyFloating::InPercent() const { return Object() && Object()->Rec().Byte(floatrec::SizeMode) != 0; }

bool TMyyFloating::InCell() const {
  auto* box = qobject_cast<TZEBbox*>(parentWidget());
  return box && box->IsCell();
}

int TMyyFloating::Depth() const {
  int depth = 0;
  for (const QWidget* w = page_; w; w = w->parentWidget())
    if (qobject_cast<const TMyyFloating*>(w)) ++depth;
  return depth;
}

bool TMyyFloating::PageEncloses(int page) const {
  for (const QWidget* w = page_; w; w = w->parentWidget())
    if (auto* p = qobject_cast<const TZEBpage*>(w); p && p->PageIndex() == page) return true;
  return false;
}

void TMyyFloating::ApplyFlags() {
  TZEBoggetto* obj = Object();
  IFrameSetHost* outer = GetFrameSet();
  if (!obj || !outer) return;
  inner_->SetAutoJump(obj->Rec().Byte(floatrec::AutoJump) == 1);
  inner_->SetShowNested(obj->Rec().Byte(floatrec::ShowNested) != 0);
  inner_->SetSaveOnExit(false);
  inner_->SetActivePreview(outer->ActivePreview());
  inner_->SetReadOnly(true);
  inner_->SetTextZoom(outer->TextZoom());
  inner_->SetAnchorPreview(outer->AnchorPreview());
  inner_->OwnTargetName = obj->Rec().Str(floatrec::Name, 79);
}

void TMyyFloating::LoadFromObject() {
  IFrameSetHost* outer = GetFrameSet();
  if (!Object() || !outer) return;
  if (QMenu* menu = outer->PopupFor(TPopupRole::Floating))
    for (TPopupRole role : {TPopupRole::Image, TPopupRole::MapZone, TPopupRole::Comment, TPopupRole::Input,
                            TPopupRole::FormStart, TPopupRole::Floating})
      inner_->SetPopup(role, menu);
  ApplyFlags();
  if (inner_->LinkedZEBset() != outer->LinkedZEBset()) inner_->SetLinkedZEBset(outer->LinkedZEBset());
  // Links clicked inside go out through the page's frame set like any other.
  inner_->OnDoLink = [outer](QObject*, QObject* source, TZEBoggetto* obj) { outer->RaiseLink(obj, source); };
  RefreshLook();
}

void TMyyFloating::RefreshLook() {
  TZEBoggetto* obj = Object();
  if (!obj) return;
  const int w = obj->Rec().I16(floatrec::Width), h = obj->Rec().I16(floatrec::Height);
  if (!InPercent())
    resize(std::max(w, 0), std::max(h, 0));
  else if (InCell() && height() < h)
    resize(width(), std::max(h, 0));
  ApplyFlags();
  const int page = obj->Rec().I32(floatrec::Page);
  // A page cannot show itself, nor nest floating frames without end.
  if (!parentWidget() || page == shown_ || PageEncloses(page) || Depth() >= kMaxDepth) return;
  TZEBset* doc = obj->Document();
  if (!doc || !doc->Page(page)) return;
  shown_ = page;
  inner_->SetMainPageNumber(page);
}

void TMyyFloating::SetParentWidth(int width) {
  TMyyVisual::SetParentWidth(width);
  TZEBoggetto* obj = Object();
  if (!obj || !InPercent()) return;
  const int pw = obj->Rec().I16(floatrec::Width), ph = obj->Rec().I16(floatrec::Height);
  const int clientHeight = page_ ? page_->viewport()->height() : 0;
  const int w = static_cast<int>(int64_t(ParentWidth()) * std::clamp(pw, 0, 100) / 100);
  int h = static_cast<int>(int64_t(clientHeight) * std::clamp(ph, 0, 100) / 100);
  if (InCell()) h = std::max(h, height());
  resize(w, h);
}

void TMyyFloating::resizeEvent(QResizeEvent* e) {
  TMyyVisual::resizeEvent(e);
  inner_->setGeometry(rect());
}
