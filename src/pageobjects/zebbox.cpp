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
#include "document/records.h"
#include "pageobjects/framesetapi.h"
#include "pageobjects/table.h"
#include "pageobjects/zebpage.h"
#include "platform/qtcanvas.h"
#include "text/markup.h"

namespace {

// Tables inside table cells go no deeper than this; a damaged file could
// nest a table in itself.
constexpr int kMaxTableNesting = 8;

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

int TZEBbox::TextZoom() {
  IFrameSetHost* fs = GetFrameSet();
  return fs ? fs->TextZoom() : 10;
}

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
  ctx.zoom = TextZoom();
  ctx.layoutWidth = layoutWidth_;
  ctx.widest = widest_;
  if (IsCell()) ctx.cellPadding = std::max(cellPadding_, 0);
  return ctx;
}

// ---------------------------------------------------------------- loading and layout

void TZEBbox::ReadPart(TTextContext& ctx, const std::string& text, size_t pos, uint8_t origin, int indexBase) {
  indexBase_ = indexBase;
  readingOrigin_ = origin;
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
  headerCount_ = footerCount_ = 0;
  text_ = text;
  TZEBset* doc = Document();
  measure_ = std::make_unique<TQtCanvas>(nullptr, doc ? doc->CodePage() : TCodePage());
  if (text && text->Rec().Byte(pagerec::TextFormat) == pagerec::OldTextFormat) {
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
  PlaceObjects();
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
    PlaceObjects();
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
    backTile_ = QSize(picture->Rec().I16(imagerec::Width), picture->Rec().I16(imagerec::Height));
    if (backTile_.width() <= 0 || backTile_.height() <= 0) backTile_ = backImage_.size();
  }
  update();
}

void TZEBbox::PaintBackground(QPainter& painter, const QRect& clip) {
  if (backImage_.isNull()) {
    if (!transparent_) painter.fillRect(clip, TQtCanvas::Colour(backColour_));
    return;
  }
  // A fixed background starts at the visible corner, whatever the scrolling;
  // a cell's tiles continue the pattern of the page around it.
  QPoint origin = (backFlags_ & 1) && page_ ? QPoint(page_->ScrollX(), page_->ScrollY()) : QPoint(0, 0);
  if (IsCell() && page_ && page_->Box() && page_->Box()->isAncestorOf(this))
    origin = -mapTo(page_->Box(), QPoint(0, 0));
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
  if (IsCell()) PaintCellBorder(painter);
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

QWidget* TZEBbox::InlineControl(TZEBoggetto* obj) const {
  QWidget* c = page_ && obj ? page_->ControlOf(obj) : nullptr;
  // A damaged text may place a table inside one of its own cells.
  if (c == this || (c && c->isAncestorOf(this))) return nullptr;
  return c;
}

TInlineMetrics TZEBbox::MeasureObject(TZEBoggetto* obj, int lineWidth) {
  TInlineMetrics m;  // an object without a control takes no room
  QWidget* c = InlineControl(obj);
  auto* vis = qobject_cast<TMyyVisual*>(c);
  if (c) {
    if (c->parentWidget() != this && !c->isAncestorOf(this)) c->setParent(this);
    if (auto* table = qobject_cast<TMyyTable*>(c)) {
      table->SetLayoutWidth(lineWidth);
    } else if (vis) {
      vis->RefreshLook();
      vis->SetParentWidth(lineWidth);
    }
    if (!vis || !vis->IsHidden(ReadOnly() ? 1 : 2)) {
      m.width = c->width();
      m.height = c->height();
      if (IsFormKind(obj->Kind())) m.height += 2;
    }
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
  (void)x, (void)top;  // placed after layout, not while drawing
  if (auto* d = qobject_cast<TDragCustomControl*>(InlineControl(obj))) d->SetInTextSelection(selected);
}

void TZEBbox::PlaceObjects() {
  const uint8_t mask = ReadOnly() ? 1 : 2;
  for (const auto& up : paras_) {
    const TZEBparag& p = *up;
    const int y0 = p.top + p.style.Get(paAbove);
    const int last = std::min(static_cast<int>(p.text.size()), static_cast<int>(p.chars.size()) - 1);
    for (const TZEBline& ln : p.lines) {
      int x = ln.xStart + ln.shift;
      const int end = std::min(ln.first + ln.count, last);
      for (int i = std::max(ln.first, 0); i < end; ++i) {
        const TCharRec& c = p.chars[i];
        if (c.object >= 0 && static_cast<size_t>(c.object) < p.objects.size())
          if (QWidget* w = InlineControl(p.objects[c.object]); w && w->parentWidget() == this) {
            w->move(x, y0 + ln.y + ln.maxAscent - c.ascent);
            auto* vis = qobject_cast<TMyyVisual*>(w);
            w->setVisible(!vis || !vis->IsHidden(mask));
          }
        x += c.display;
      }
    }
  }
}

TZEBoggetto* TZEBbox::IndexedObject(int number) {
  if (!page_ || number <= 0) return nullptr;
  return page_->IndexedObject(number + indexBase_);
}

int TZEBbox::NumberOf(TZEBoggetto* obj) { return page_ && obj ? page_->NumberOfObject(obj) : -1; }

bool TZEBbox::ReadTableCells(TZEBoggetto* obj, std::string_view text, size_t& pos) {
  auto* table = qobject_cast<TMyyTable*>(InlineControl(obj));
  if (table && NestingDepth() < kMaxTableNesting && measure_ && table->ReadCells(*this, text, pos)) return true;
  // No table to take them: the cells are read past so that they do not show
  // as paragraphs of this text.
  TMyyTable::SkipCells(obj ? TTableRecord(obj->Rec()).Rows() * TTableRecord(obj->Rec()).Columns() : 0, text, pos);
  return false;
}

void TZEBbox::WriteTableCells(TZEBoggetto* obj, std::string& out) {
  auto* table = qobject_cast<TMyyTable*>(InlineControl(obj));
  if (!table || !table->HasCells()) {
    out += "<@>";  // the table never read its cells: they are not included
    return;
  }
  // Cells a large table did not make are written empty, so that the text
  // still holds rows x columns of them.
  const TTableRecord rec(obj->Rec());
  const int count = rec.Rows() * rec.Columns();
  for (int k = 0; k < count; ++k) {
    if (TZEBbox* cell = table->Cell(k / std::max(rec.Columns(), 1), k % std::max(rec.Columns(), 1))) {
      TTextContext ctx = cell->Context(nullptr);
      for (int i = 0; i < cell->ParagraphCount(); ++i) WriteParagraph(*cell->Paragraph(i), ctx, out, TWriteMode::Stored);
    }
    out += "<T>";
  }
}

// ---------------------------------------------------------------- table cells

void TZEBbox::MakeCell(TMyyTable* table, int padding, int border) {
  cellTable_ = table;
  cellPadding_ = padding;
  borderWidth_ = border;
  minHalfWidth_ = 0;
}

int TZEBbox::NestingDepth() const {
  int depth = 0;
  for (const TZEBbox* b = this; b && b->cellTable_ && depth <= kMaxTableNesting; ++depth)
    b = qobject_cast<const TZEBbox*>(b->cellTable_->parentWidget());
  return depth;
}

void TZEBbox::ReadCell(const std::shared_ptr<TQtFontCache>& fonts, std::string_view text, size_t& pos,
                       TZEBtesto* owner, uint8_t origin, int indexBase) {
  paras_.clear();
  text_ = owner;
  measure_ = std::make_unique<TQtCanvas>(nullptr, fonts);
  layoutWidth_ = widest_ = width();
  TTextContext ctx = Context(measure_.get());
  indexBase_ = indexBase;
  readingOrigin_ = origin;
  for (auto& p : ReadParagraphs(ctx, text, pos)) {
    p->origin = origin;
    paras_.push_back(std::move(p));
  }
  if (paras_.empty()) {
    size_t at = 0;
    for (auto& p : ReadParagraphs(ctx, "<Z S1 >", at)) paras_.push_back(std::move(p));
  }
}

QSize TZEBbox::LayoutCell(int w) {
  layoutWidth_ = widest_ = std::max(w, 1);
  LayoutAll();
  PlaceObjects();
  return QSize(std::max(w, widest_), textHeight_ + std::max(cellPadding_, 0));
}

void TZEBbox::PaintCellBorder(QPainter& painter) {
  if (borderWidth_ > 0) {
    const QColor shadow = palette().color(QPalette::Dark), light = palette().color(QPalette::Light);
    for (int k = 0; k < borderWidth_ && 2 * k < std::min(width(), height()); ++k) {
      const int r = width() - 1 - k, b = height() - 1 - k;
      painter.setPen(shadow);
      painter.drawLine(k, k, r, k);
      painter.drawLine(k, k, k, b);
      painter.setPen(light);
      painter.drawLine(k, b, r, b);
      painter.drawLine(r, k, r, b);
    }
    return;
  }
  IFrameSetHost* fs = GetFrameSet();
  if (!ReadOnly() && fs && fs->ShowBoundaries()) {
    painter.setPen(QPen(Qt::gray, 1, Qt::DotLine));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
  }
}
