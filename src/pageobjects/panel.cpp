#include "pageobjects/panel.h"

#include <QHelpEvent>
#include <QPaintEvent>
#include <QPainter>

#include "document/records.h"
#include "document/zebset.h"
#include "pageobjects/framesetapi.h"
#include "pageobjects/glyphs.h"
#include "pageobjects/zebpage.h"
#include "platform/qtcanvas.h"

namespace {

struct TPanelKind {
  std::string glyph;       // empty: drawn as a rectangle
  int width = 0;           // 0: the glyph's width
  bool takenAtOnce = false;
  TPopupRole popup = TPopupRole::Comment;
};

TPanelKind KindOf(int kind, int subkind, bool readOnly) {
  if (kind == inizioForm) return {"iniziof", 0, false, TPopupRole::FormStart};
  if (kind == inputStat) return {"hidden", 0, false, TPopupRole::Input};
  if (kind == inputDin) return {subkind == 11 ? "dinlist" : "dinhtml", 0, false, TPopupRole::Input};
  switch (subkind) {
    case 10: return {readOnly ? "ann" : "notepad"};
    case 11: return {"html"};
    case 12: return {"binary"};
    case 13: return {"lancia"};
    case 14: return {"ancora", 0, true};
    case 15: return {"", 18};
    case 21: return {"imagelk", 36, true};
    case 22: return {"fogliolk", 36, true};
    case 23: return {"foglio", 36, true};
    case 24: return {"fond", 36, true};
    case 28: return {"fond", 90, true};
    case 25: return {"xcoord", 36, true};
    case 26: return {"ycoord", 36, true};
    case 27: return {"par", 90, true};
    default: return {"", 18};
  }
}

}  // namespace

TMyyBelPanel::TMyyBelPanel(TZEBpage* page) : TMyyVisual(ViewOf(page)), page_(page) { resize(18, 18); }

TMyyBelPanel::~TMyyBelPanel() {
  if (page_) {
    page_->RemoveAutoStart(this);
    page_->RemoveAnchor(this);
  }
}

int TMyyBelPanel::Subkind() const { return Object() ? Object()->State() : 0; }
bool TMyyBelPanel::IsAnchor() const { return Object() && Object()->Kind() == shortObj && Subkind() == 14; }
bool TMyyBelPanel::IsAutoStart() const { return Object() && Object()->Kind() == shortObj && Subkind() == 13; }

bool TMyyBelPanel::AnchorPreview() const {
  IFrameSetHost* fs = const_cast<TMyyBelPanel*>(this)->GetFrameSet();
  return fs && fs->AnchorPreview();
}

void TMyyBelPanel::LoadFromObject() {
  TZEBoggetto* obj = Object();
  if (!obj) return;
  RefreshLook();
  const TPanelKind k = KindOf(obj->Kind(), Subkind(), ReadOnly());
  glyphName_ = k.glyph;
  glyph_ = k.glyph.empty() ? QImage() : PanelGlyph(k.glyph);
  base_ = QSize(k.width > 0 ? k.width : glyph_.isNull() ? 18 : glyph_.width(), glyph_.isNull() ? 18 : glyph_.height());
  if (k.takenAtOnce) resize(base_);
  if (IFrameSetHost* fs = GetFrameSet()) SetPopup(fs->PopupFor(k.popup));
  // Hidden form fields show only while the page is edited.
  if (obj->Kind() == inputStat || obj->Kind() == inputDin) SetHiddenBits(1);
  if (page_ && IsAutoStart()) page_->AddAutoStart(this);
  if (page_ && IsAnchor()) page_->AddAnchor(this);
  ApplySize();
}

void TMyyBelPanel::RefreshLook() {
  TZEBoggetto* obj = Object();
  IFrameSetHost* fs = GetFrameSet();
  if (!obj) return;
  const std::string hint = fs ? fs->HintFor(obj) : DescriptionHint(obj->Description());
  TZEBset* doc = obj->Document();
  hint_ = QString::fromStdString(doc ? doc->CodePage().ToUtf8(hint) : hint);
}

void TMyyBelPanel::ApplySize() {
  if (!ReadOnly())
    resize(base_);
  else if (IsAnchor() && AnchorPreview())
    resize(base_);
  else
    resize(1, 12);
}

void TMyyBelPanel::SetReadOnly(bool on) {
  TMyyVisual::SetReadOnly(on);
  if (Object() && Object()->Kind() == shortObj && Subkind() == 10) glyph_ = PanelGlyph(on ? "ann" : "notepad");
  ApplySize();
  update();
}

bool TMyyBelPanel::IsHidden(uint8_t mask) const {
  if (Object() && Object()->Kind() == shortObj) {
    if (Subkind() == 14 && AnchorPreview()) return false;
    if (Subkind() == 10) return Object()->Rec().Byte(shortrec::Shown) == 0;
    if (Subkind() == 15) return false;
  }
  return TMyyVisual::IsHidden(mask);
}

TZEBoggetto* TMyyBelPanel::LinkedObject() const {
  TZEBoggetto* obj = Object();
  if (!obj) return nullptr;
  // An anchor is its own link; an auto-start panel names the object it starts.
  if (IsAnchor()) return obj;
  if (!IsAutoStart()) return nullptr;
  const TObjId id = obj->Rec().I32(shortrec::Value);
  TZEBtesto* text = page_ ? page_->DisplayText() : nullptr;
  return text ? text->ResolveContainerId(id) : obj->Document() ? obj->Document()->ObjectById(id) : nullptr;
}

void TMyyBelPanel::ActivateInReader() {
  IFrameSetHost* fs = GetFrameSet();
  if (IsAnchor() && fs && fs->ReadOnly()) fs->RaiseLink(Object(), this);
}

bool TMyyBelPanel::Paints() const {
  TZEBoggetto* obj = Object();
  if (obj && obj->Kind() == shortObj && Subkind() == 10) return obj->Rec().Byte(shortrec::Shown) != 0;
  IFrameSetHost* fs = const_cast<TMyyBelPanel*>(this)->GetFrameSet();
  return (fs && !fs->ReadOnly()) || (IsAnchor() && AnchorPreview()) || glyph_.isNull();
}

void TMyyBelPanel::paintEvent(QPaintEvent*) {
  if (!Paints()) return;
  QPainter p(this);
  if (width() > 36) {
    const int at = hint_.indexOf(": ");
    QFont f("Arial");
    f.setPointSize(8);
    p.setFont(f);
    const QRect r(18, 0, width() - 18, height());
    p.fillRect(r, Qt::white);
    p.setPen(Qt::black);
    p.drawText(r, Qt::AlignLeft | Qt::AlignVCenter, at >= 0 ? hint_.mid(at + 2) : QString());
    p.setPen(Qt::blue);
    p.drawLine(0, 0, width() - 1, 0);
  }
  if (!glyph_.isNull()) {
    p.drawImage(0, 0, glyph_);
    return;
  }
  const int32_t colour = Object() ? Object()->Rec().I32(shortrec::Colour) : 0xC0C0C0;
  p.fillRect(rect(), TQtCanvas::Colour(colour));
  p.setPen(Qt::black);
  p.drawRect(rect().adjusted(0, 0, -1, -1));
}

bool TMyyBelPanel::event(QEvent* e) {
  return TOxHintWindow::HandleToolTip(e, hint_) || TMyyVisual::event(e);
}
