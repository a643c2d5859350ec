#include "pageobjects/image.h"

#include <QApplication>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

#include "document/records.h"
#include "document/zebset.h"
#include "pageobjects/cursors.h"
#include "pageobjects/framesetapi.h"
#include "pageobjects/zebbox.h"
#include "pageobjects/zebpage.h"

namespace {

// Display sizes from a file are kept within what a widget can be.
constexpr int kMaxPictureExtent = 16000;

int Extent(int v) { return std::clamp(v, 0, kMaxPictureExtent); }

QString Local(TZEBset* doc, const std::string& bytes) {
  return QString::fromStdString(doc ? doc->CodePage().ToUtf8(bytes) : bytes);
}

}  // namespace

TMyyImage::TMyyImage(TZEBpage* page) : TMyyVisual(ViewOf(page)), page_(page) {
  setMouseTracking(true);
  timer_.setSingleShot(true);
  connect(&timer_, &QTimer::timeout, this, &TMyyImage::NextFrame);
}

TMyyImage::~TMyyImage() {
  timer_.stop();
  ClearZones();
}

// ---------------------------------------------------------------- binding and size

void TMyyImage::ClearZones() {
  for (TMyyZona* z : zones_) {
    z->SetReadOnly(true);
    delete z;
  }
  zones_.clear();
}

void TMyyImage::MakeZones() {
  ClearZones();
  const TPictureRecord r(Object()->Rec());
  for (int slot = picturerec::ZoneCount - 1; slot >= 0; --slot) {
    if (r.Zone(slot).Empty()) continue;
    auto* z = new TMyyZona(this, slot);
    z->ReadSlot(page_);
    z->SetReadOnly(ReadOnly() || Inactive());
    zones_.push_back(z);
  }
}

TZEBoggetto* TMyyImage::PictureSource() const {
  TZEBoggetto* obj = Object();
  if (!obj) return nullptr;
  const TPictureRecord r(obj->Rec());
  TZEBset* doc = obj->Document();
  // An own picture (not in the document) lives with the picture object.
  TZEBoggetto* source = r.Image() == -1 ? obj : doc ? doc->ObjectAt(immagine, r.Image()) : nullptr;
  return source && !source->IsDeleted() ? source : nullptr;
}

void TMyyImage::LoadFromObject() {
  StopAnimation();
  ClearZones();
  TZEBoggetto* obj = Object();
  if (!obj) return;
  const TPictureRecord r(obj->Rec());
  TZEBset* doc = obj->Document();
  TPictureFrameCache* cache = page_ ? &page_->PictureFrames() : nullptr;
  TZEBoggetto* source = PictureSource();
  picture_ = cache && source ? cache->For(source) : nullptr;
  TZEBoggetto* hover = doc && r.Hover() >= 0 ? doc->ObjectAt(immagine, r.Hover()) : nullptr;
  hover_ = cache && hover && !hover->IsDeleted() ? cache->For(hover) : nullptr;
  frame_ = runs_ = 0;
  finished_ = false;
  SetAbsolute(r.Absolute());
  absoluteLinkCached_ = false;
  RefreshLook();
  MakeZones();
  if (IFrameSetHost* fs = GetFrameSet()) SetPopup(fs->PopupFor(TPopupRole::Image));
  setAttribute(Qt::WA_OpaquePaintEvent, IsOpaque());
}

void TMyyImage::RefreshLook() {
  RefreshHintAndLink();
  SetParentWidth(0);
}

void TMyyImage::SetParentWidth(int width) {
  TMyyVisual::SetParentWidth(width);
  TZEBoggetto* obj = Object();
  if (!obj) return;
  const TPictureRecord r(obj->Rec());
  TZEBset* doc = obj->Document();
  TZEBoggetto* image = doc ? doc->ObjectAt(immagine, r.Image()) : nullptr;
  QSize size(r.Width(), r.Height());
  const QSize stored = image ? QSize(static_cast<uint16_t>(image->Rec().I16(imagerec::Width)),
                                     static_cast<uint16_t>(image->Rec().I16(imagerec::Height)))
                              : QSize();
  if (image && picture_ && !stored.isEmpty()) {
    // The picture changed size since it was placed: it shows at its new size.
    if (stored != QSize(r.SyncWidth(), r.SyncHeight())) size = stored;
  } else {
    // Nothing to show (no picture, or one that does not decode): an empty
    // rectangle of the display size, 100 where that is 0.
    if (size.width() == 0) size.setWidth(100);
    if (size.height() == 0) size.setHeight(100);
  }
  display_ = QSize(Extent(size.width()), Extent(size.height()));
  resize(display_);
  if (Absolute()) PlaceAbsolute();
}

void TMyyImage::PlaceAbsolute() {
  const TPictureRecord r(Object()->Rec());
  const QSize client = page_ ? page_->viewport()->size() : QSize();
  int top = r.Top(), left = r.Left();
  if (r.TopInPercent()) top = client.height() > 0 ? static_cast<int>(int64_t(client.height()) * top / 100) : 0;
  if (r.LeftInPercent() && client.width() > 0) left = static_cast<int>(int64_t(client.width()) * left / 100);
  move(std::clamp(left, -kMaxPictureExtent, kMaxPictureExtent), std::clamp(top, -kMaxPictureExtent, kMaxPictureExtent));
}

int TMyyImage::VerticalAlignment() const {
  return Object() ? TPictureRecord(Object()->Rec()).Align() : 5;
}

QRect TMyyImage::DrawRect(TPictureFormat format, QSize display) {
  // Pictures drawn by the platform cover one pixel more each way.
  const bool exact = format == TPictureFormat::Gif || format == TPictureFormat::Jpeg;
  return exact ? QRect(QPoint(0, 0), display) : QRect(0, 0, display.width() + 1, display.height() + 1);
}

bool TMyyImage::IsOpaque() const {
  const TPictureFrames* f = Shown();
  if (!f) return true;
  switch (f->format) {
    case TPictureFormat::Metafile: return false;
    case TPictureFormat::Jpeg: case TPictureFormat::Bmp: return true;
    default: return !f->firstTransparent;
  }
}

// ---------------------------------------------------------------- hint and link

void TMyyImage::RefreshHintAndLink() {
  TZEBoggetto* obj = Object();
  if (!obj) return;
  IFrameSetHost* fs = GetFrameSet();
  if (Absolute()) {
    if (!absoluteLinkCached_) {
      const TObjId id = TPictureRecord(obj->Rec()).Link();
      TZEBtesto* text = page_ ? page_->DisplayText() : nullptr;
      link_ = text && id != -1 ? text->ResolveContainerId(id) : nullptr;
      absoluteLinkCached_ = true;
    }
  } else if (auto* box = qobject_cast<TZEBbox*>(parentWidget())) {
    int p = 0, c = 0;
    link_ = box->FindObject(obj, p, c) ? box->LinkObject(p, box->LinkAt(box->PositionOf(p, c))) : nullptr;
  }
  const bool reader = ReadOnly() || Inactive();
  if (link_)
    setCursor(LectraCursor(reader ? 2 : 5));
  else
    unsetCursor();
  TZEBset* doc = obj->Document();
  std::string hint = obj->Name();
  if (!ReadOnly()) {
    const std::string description = obj->Description();
    if (description.size() > 5) hint += "\r\n----------\r\n" + description;
    std::string linkHint = link_ && fs ? fs->HintFor(link_) : std::string();
    if (!linkHint.empty()) {
      const std::string part = " - " + hint;
      const size_t bar = linkHint.find('|');
      if (bar != std::string::npos) linkHint.insert(bar, part);
      hint = linkHint + part;
    }
  }
  hint_ = Local(doc, hint);
}

void TMyyImage::ActivateInReader() {
  RefreshHintAndLink();
  IFrameSetHost* fs = GetFrameSet();
  if (link_ && fs) fs->RaiseLink(link_, this);
}

void TMyyImage::mouseDoubleClickEvent(QMouseEvent* e) {
  TMyyVisual::mouseDoubleClickEvent(e);
  ActivateInReader();
}

bool TMyyImage::event(QEvent* e) {
  return TOxHintWindow::HandleToolTip(e, hint_) || TMyyVisual::event(e);
}

// ---------------------------------------------------------------- states

void TMyyImage::SetReadOnly(bool on) {
  if (on == ReadOnly()) return;
  TMyyVisual::SetReadOnly(on);
  for (TMyyZona* z : zones_) {
    z->SetReadOnly(on || Inactive());
    z->setCursor(LectraCursor(on || Inactive() ? 2 : 8));
  }
  if (isVisible()) RefreshHintAndLink();
  if (on)
    update();
  else
    StopAnimation();
}

void TMyyImage::SetAnimated(bool on) {
  TMyyVisual::SetAnimated(on);
  if (!on) StopAnimation();
  update();
}

void TMyyImage::SetSelected(bool on) {
  TMyyVisual::SetSelected(on);
  for (TMyyZona* z : zones_) z->SetSelected(on);
}

void TMyyImage::SetHover(bool on) {
  if (on && (Selected() || !hover_)) return;
  if (on == hoverOn_) return;
  hoverOn_ = on;
  setAttribute(Qt::WA_OpaquePaintEvent, IsOpaque());
  update();
}

void TMyyImage::enterEvent(QEnterEvent* e) {
  TMyyVisual::enterEvent(e);
  if (QApplication::applicationState() == Qt::ApplicationActive) SetHover(true);
  if (Absolute()) RefreshHintAndLink();
}

void TMyyImage::leaveEvent(QEvent* e) {
  TMyyVisual::leaveEvent(e);
  SetHover(false);
}

// ---------------------------------------------------------------- painting and animation

const TPictureFrames* TMyyImage::Shown() const {
  if (hoverOn_ && hover_) return hover_.get();
  return picture_.get();
}

bool TMyyImage::Plays() const {
  const TPictureFrames* f = Shown();
  // Editable pages and still pages show the first frame only.
  return f && f->Animated() && f == picture_.get() && ReadOnly() && Animated() && !finished_;
}

bool TMyyImage::Seen() const {
  if (!isVisible() || visibleRegion().isEmpty()) return false;
  const QWidget* w = window();
  return w && !(w->windowState() & Qt::WindowMinimized);
}

void TMyyImage::StopAnimation() { timer_.stop(); }

void TMyyImage::NextFrame() {
  // Out of sight the animation waits where it is; the next paint resumes it.
  if (!Plays() || !Seen()) return;
  const TPictureFrames& f = *picture_;
  int next = frame_ + 1;
  if (next >= static_cast<int>(f.images.size())) {
    ++runs_;
    const bool again = f.loopCount == 0 || (f.loopCount > 0 && runs_ <= f.loopCount);
    if (!again) {
      finished_ = true;
      return;
    }
    next = 0;
  }
  frame_ = next;
  update();
  timer_.start(f.delays[static_cast<size_t>(frame_)]);
}

void TMyyImage::paintEvent(QPaintEvent* e) {
  const TPictureFrames* f = Shown();
  if (!f || (page_ && page_->FrameSet() && page_->FrameSet()->Closing())) return;
  QPainter painter(this);
  painter.setClipRect(e->rect());
  const bool plays = Plays();
  const int index = plays ? std::clamp(frame_, 0, static_cast<int>(f->images.size()) - 1) : 0;
  painter.drawImage(DrawRect(f->format, display_), f->images[static_cast<size_t>(index)]);
  if (plays && !timer_.isActive()) timer_.start(f->delays[static_cast<size_t>(index)]);
  if (!Absolute() || !absoluteLinkCached_) RefreshHintAndLink();
}

// ---------------------------------------------------------------- zones

TMyyZona::TMyyZona(TMyyImage* picture, int slot) : TDragCustomControl(picture), picture_(picture), slot_(slot) {
  resize(30, 30);
  SetFastMove(true);
  setCursor(LectraCursor(2));
  setMouseTracking(true);
  show();
}

void TMyyZona::ReadSlot(TZEBpage* page) {
  const TZoneSlot z = TPictureRecord(picture_->Object()->Rec()).Zone(slot_);
  TZEBtesto* text = page ? page->DisplayText() : nullptr;
  link_ = text && z.target != -1 ? text->ResolveContainerId(z.target) : nullptr;
  hint_ = "...";
  if (link_) {
    IFrameSetHost* fs = GetFrameSet();
    TZEBset* doc = link_->Document();
    const std::string h = fs ? fs->HintFor(link_) : DescriptionHint(link_->Description());
    hint_ = Local(doc, h);
  }
  setGeometry(z.left, z.top, std::max<int>(z.width, 0), std::max<int>(z.height, 0));
  if (IFrameSetHost* fs = GetFrameSet()) popup_ = fs->PopupFor(TPopupRole::MapZone);
}

void TMyyZona::Raise() {
  IFrameSetHost* fs = GetFrameSet();
  if (ReadOnly() && link_ && fs) fs->RaiseLink(link_, this);
}

void TMyyZona::mousePressEvent(QMouseEvent* e) {
  e->accept();
  pressed_ = e->button() == Qt::LeftButton;
}

void TMyyZona::mouseReleaseEvent(QMouseEvent* e) {
  e->accept();
  if (doubleClicked_) {
    doubleClicked_ = pressed_ = false;
    return;
  }
  if (e->button() == Qt::RightButton && popup_) {
    // The zone becomes the active object: the menu's commands act on it.
    if (IFrameSetHost* fs = GetFrameSet()) fs->SetActiveControl(this);
    popup_->popup(e->globalPosition().toPoint());
    return;
  }
  if (!pressed_ || e->button() != Qt::LeftButton) return;
  pressed_ = false;
  Raise();
}

void TMyyZona::mouseDoubleClickEvent(QMouseEvent* e) {
  e->accept();
  doubleClicked_ = true;
  Raise();
}

bool TMyyZona::event(QEvent* e) {
  if (e->type() == QEvent::ToolTip) {
    TOxHintWindow::ShowHint(static_cast<QHelpEvent*>(e)->globalPos(), hint_);
    return true;
  }
  return TDragCustomControl::event(e);
}
