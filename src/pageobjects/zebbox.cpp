#include "pageobjects/zebbox.h"

#include <algorithm>
#include <climits>

#include <QApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include "document/zebobject.h"
#include "document/zebpicture.h"
#include "document/zebset.h"
#include "pageobjects/cursors.h"
#include "pageobjects/framesetapi.h"
#include "pageobjects/zebpage.h"
#include "platform/qtcanvas.h"
#include "text/markup.h"

namespace {

int g_textZoom = 10;

bool IsFormKind(int kind) { return kind == inputStat || kind == inputDin || kind == bottoneCGI; }

// Shows the hourglass for as long as it lives.
struct TBusyCursor {
  TBusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~TBusyCursor() { QApplication::restoreOverrideCursor(); }
};

}  // namespace

void PaintPageBackground(QPainter& painter, const QRect& clip, int32_t colour, const QImage& picture, QSize tile,
                         bool opaque, QPoint origin, bool once) {
  const QColor back = TQtCanvas::Colour(colour);
  if (picture.isNull() || tile.width() <= 0 || tile.height() <= 0) {
    painter.fillRect(clip, back);
    return;
  }
  if (!opaque) painter.fillRect(clip, back);
  if (once) {
    const QRect at(origin, tile);
    if (opaque)
      for (const QRect& r : QRegion(clip).subtracted(QRegion(at))) painter.fillRect(r, back);
    if (at.intersects(clip)) painter.drawImage(at, picture);
    return;
  }
  auto firstTile = [](int clipStart, int o, int size) {
    const int d = clipStart - o;
    return o + (d >= 0 ? d / size : -((-d + size - 1) / size)) * size;
  };
  const int x0 = firstTile(clip.left(), origin.x(), tile.width());
  const int y0 = firstTile(clip.top(), origin.y(), tile.height());
  for (int y = y0; y <= clip.bottom(); y += tile.height())
    for (int x = x0; x <= clip.right(); x += tile.width()) painter.drawImage(QRect(QPoint(x, y), tile), picture);
}

// ---------------------------------------------------------------- caret

TZEBcursor::TZEBcursor(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
  resize(1, 10);
  hide();
}

void TZEBcursor::paintEvent(QPaintEvent*) { QPainter(this).fillRect(rect(), Qt::black); }

// ---------------------------------------------------------------- box

TZEBbox::TZEBbox(TZEBpage* page, QWidget* parent) : TDragCustomControl(parent), page_(page) {
  setMouseTracking(true);
  setAcceptDrops(true);
  caret_ = new TZEBcursor(this);
  SetReadOnly(true);
}

TZEBbox::~TZEBbox() {
  TOxHintWindow::HideHint();
  if (page_) page_->UnregisterObject(this);
}

int TZEBbox::TextZoom() { return g_textZoom; }
void TZEBbox::SetTextZoom(int tenths) { g_textZoom = std::clamp(tenths, 5, 20); }

TZEBset* TZEBbox::Document() const {
  if (text_ && text_->Document()) return text_->Document();
  return page_ ? page_->Document() : nullptr;
}

IFrameSetHost* TZEBbox::GetFrameSet() {
  if (page_ && page_->FrameSet()) return page_->FrameSet();
  return TDragCustomControl::GetFrameSet();
}

TZEBparag* TZEBbox::Paragraph(int i) const {
  return i >= 0 && static_cast<size_t>(i) < paras_.size() ? paras_[i].get() : nullptr;
}

int TZEBbox::ScrollRange() const { return std::min(textHeight_, kMaxScroll); }

void TZEBbox::EndUpdate() {
  if (--update_ <= 0) {
    update_ = 0;
    update();
  }
}

TTextContext TZEBbox::Context(TCanvas* canvas) {
  TTextContext ctx;
  ctx.doc = Document();
  ctx.canvas = canvas;
  ctx.index = this;
  ctx.host = this;
  ctx.zoom = g_textZoom;
  ctx.layoutWidth = layoutWidth_;
  ctx.widest = widest_;
  return ctx;
}

// ---------------------------------------------------------------- loading and layout

void TZEBbox::ReadPart(TTextContext& ctx, const std::string& text, size_t pos, uint8_t origin, int indexBase) {
  indexBase_ = indexBase;
  for (auto& p : ReadParagraphs(ctx, text, pos)) {
    p->origin = origin;
    paras_.push_back(std::move(p));
  }
  indexBase_ = 0;
}

void TZEBbox::LoadText(TZEBtesto* text, size_t mainStart) {
  TBusyCursor busy;
  BeginUpdate();
  ClearSelection();
  anchor_ = end_ = pressPos_ = caretPos_ = TZEBPosition{};
  pressed_ = pressedHere_ = false;
  hoverLink_ = -1;
  paras_.clear();
  unplaced_.clear();
  headerCount_ = footerCount_ = 0;
  text_ = text;
  TZEBset* doc = Document();
  measure_ = std::make_unique<TQtCanvas>(nullptr, doc ? doc->CodePage() : TCodePage());
  if (text && text->Rec().Byte(195) == 1) {
    if (doc) doc->Say(TMsgKind::Error, "baco; testo ver 1 ancora pres in zebBox!");
    text = nullptr;
  }
  layoutWidth_ = widest_ = width();
  TTextContext ctx = Context(measure_.get());
  if (text) {
    if (TZEBtesto* h = text->HeaderText()) ReadPart(ctx, h->MainPayload(), 0, 1, page_ ? page_->ObjectBase(1) : 0);
    headerCount_ = ParagraphCount();
    ReadPart(ctx, text->MainPayload(), mainStart, 0, 0);
  }
  if (ParagraphCount() == headerCount_) {
    // Even a text without paragraphs shows one, so that there is a caret place.
    size_t pos = 0;
    for (auto& p : ReadParagraphs(ctx, "<Z S0 >", pos)) paras_.push_back(std::move(p));
  }
  if (text)
    if (TZEBtesto* f = text->FooterText()) {
      const int before = ParagraphCount();
      ReadPart(ctx, f->MainPayload(), 0, 2, page_ ? page_->ObjectBase(2) : 0);
      footerCount_ = ParagraphCount() - before;
    }
  LayoutAll();
  EndUpdate();
  SetCaret(headerCount_, 0);
  if (IFrameSetHost* fs = GetFrameSet()) fs->SelectionChanged(this);
}

int TZEBbox::LayoutAll() {
  if (paras_.empty() || !measure_) return textHeight_ = 0;
  TTextContext ctx = Context(measure_.get());
  LayoutParagraphs(ctx, paras_);
  widest_ = std::max(ctx.widest, layoutWidth_);
  const TZEBparag& last = *paras_.back();
  textHeight_ = last.bottom + 1 - last.style.Get(paBelow);
  return textHeight_;
}

void TZEBbox::SetBounds(int w, int h) {
  if (inBounds_) return;
  inBounds_ = true;
  // Only a new page width breaks the lines again.
  if (!paras_.empty() && w != layoutWidth_) {
    layoutWidth_ = widest_ = w;
    LayoutAll();
  }
  const int height = std::max(h, ScrollRange());
  const int wide = std::max({w, widest_, 2 * minHalfWidth_});
  if (QSize(wide, height) != size()) resize(wide, height);
  // Lines moved: the remembered places get their new coordinates.
  for (TZEBPosition* pos : {&anchor_, &end_, &pressPos_})
    if (pos->Valid()) *pos = PositionOf(pos->paraIndex, pos->charIndex);
  if (caretPos_.Valid()) SetCaret(caretPos_.paraIndex, caretPos_.charIndex);
  update();
  inBounds_ = false;
}

// ---------------------------------------------------------------- painting

void TZEBbox::SetBackPicture(TZEBoggetto* picture) {
  backPicture_ = picture;
  backImage_ = QImage();
  backOpaque_ = true;
  if (TZEBpicture* pic = picture ? picture->Picture() : nullptr) {
    backImage_ = PictureImage(pic);
    backOpaque_ = pic->Opaque();
    backTile_ = QSize(picture->Rec().I16(85), picture->Rec().I16(87));
    if (backTile_.width() <= 0 || backTile_.height() <= 0) backTile_ = backImage_.size();
  }
  update();
}

void TZEBbox::PaintBackground(QPainter& painter, const QRect& clip) {
  if (backImage_.isNull()) {
    if (!transparent_) painter.fillRect(clip, TQtCanvas::Colour(backColour_));
    return;
  }
  // A fixed background starts at the visible corner, whatever the scrolling.
  const QPoint origin = (backFlags_ & 1) && page_ ? QPoint(page_->ScrollX(), page_->ScrollY()) : QPoint(0, 0);
  PaintPageBackground(painter, clip, backColour_, backImage_, backTile_, backOpaque_, origin, backFlags_ & 2);
}

void TZEBbox::SelectedSpan(int para, int& from, int& to) const {
  from = to = -1;
  if (!hasSel_ || !selShown_) return;
  const TZEBPosition s = Ordered(true), e = Ordered(false);
  if (para < s.paraIndex || para > e.paraIndex) return;
  from = para == s.paraIndex ? s.charIndex : 0;
  to = para == e.paraIndex ? e.charIndex : INT_MAX;
}

void TZEBbox::paintEvent(QPaintEvent* e) {
  if (update_ > 0 || !measure_) return;
  QPainter painter(this);
  const QRect clip = e->rect();
  PaintBackground(painter, clip);
  TQtCanvas canvas(&painter, measure_->Cache());
  TTextContext ctx = Context(&canvas);
  for (int i = 0; i < ParagraphCount(); ++i) {
    TZEBparag& p = *paras_[i];
    if (p.bottom < clip.top() || p.top > clip.bottom()) continue;
    int from, to;
    SelectedSpan(i, from, to);
    p.Draw(ctx, from, to);
  }
}

// ---------------------------------------------------------------- inline objects and the object index

TInlineMetrics TZEBbox::MeasureObject(TZEBoggetto* obj, int lineWidth) {
  TInlineMetrics m;  // an object without a control takes no room
  QWidget* c = page_ && obj ? page_->ControlOf(obj) : nullptr;
  auto* vis = qobject_cast<TMyyVisual*>(c);
  if (c) {
    if (!c->parentWidget()) c->setParent(this);
    if (vis) {
      vis->RefreshLook();
      vis->SetParentWidth(lineWidth);
    }
    if (!vis || !vis->IsHidden(ReadOnly() ? 1 : 2)) {
      m.width = c->width();
      m.height = c->height();
      if (IsFormKind(obj->Kind())) m.height += 2;
    }
    unplaced_.insert(c);
    c->move(-20000, c->y());
  }
  const int kind = obj ? obj->Kind() : -1;
  const int align = vis ? vis->VerticalAlignment() : 5;
  if (kind == shortObj || (kind == immagineNew && align != 3 && align != 4))
    m.ascent = m.height;
  else if (kind == immagineNew && align == 3)
    m.ascent = 0;
  else
    m.ascent = m.height / 2;
  return m;
}

void TZEBbox::PlaceObject(TZEBoggetto* obj, int x, int top, bool selected) {
  QWidget* c = page_ ? page_->ControlOf(obj) : nullptr;
  if (!c) return;
  if (unplaced_.count(c) || !c->isVisible()) {
    if (c->parentWidget() != this) c->setParent(this);
    c->move(x, top);
    c->show();
    unplaced_.erase(c);
  }
  if (auto* d = qobject_cast<TDragCustomControl*>(c)) d->SetInTextSelection(selected);
}

TZEBoggetto* TZEBbox::IndexedObject(int number) {
  if (!page_ || number <= 0) return nullptr;
  return page_->IndexedObject(number + indexBase_);
}

int TZEBbox::NumberOf(TZEBoggetto* obj) { return page_ && obj ? page_->NumberOfObject(obj) : -1; }
