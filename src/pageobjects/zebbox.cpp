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

// Word selection stops at these bytes (the last two are typographic quotes).
bool IsWordChar(uint8_t c) {
  return !((c >= 32 && c <= 34) || (c >= 39 && c <= 47) || (c >= 58 && c <= 63) || (c >= 123 && c <= 126) ||
           c == 147 || c == 148);
}

int Advance(const TZEBparag& p, int i) {
  return i >= 0 && static_cast<size_t>(i) < p.chars.size() ? p.chars[i].display : 0;
}

bool IsFormKind(int kind) { return kind == inputStat || kind == inputDin || kind == bottoneCGI; }

bool Before(const TZEBPosition& a, const TZEBPosition& b) {
  return a.paraIndex < b.paraIndex || (a.paraIndex == b.paraIndex && a.charIndex < b.charIndex);
}

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

// ---------------------------------------------------------------- positions

TZEBPosition TZEBbox::PositionOf(int para, int charIndex) const {
  TZEBPosition pos;
  TZEBparag* p = Paragraph(para);
  if (!p || p->lines.empty()) return pos;
  const int c = std::clamp(charIndex, 0, static_cast<int>(p->text.size()));
  int li = 0;
  while (li + 1 < static_cast<int>(p->lines.size()) && p->lines[li + 1].first <= c) ++li;
  const TZEBline& ln = p->lines[li];
  pos.para = p;
  pos.paraIndex = para;
  pos.line = li;
  pos.charIndex = c;
  pos.top = p->top + p->style.Get(paAbove) + ln.y;
  pos.height = ln.height;
  int x = ln.xStart + ln.shift;
  for (int k = ln.first; k < c; ++k) x += Advance(*p, k);
  pos.xLeft = x;
  pos.xRight = x + (c < static_cast<int>(p->text.size()) ? Advance(*p, c) : 0);
  return pos;
}

TZEBPosition TZEBbox::HitTest(int mode, int x, int y) const {
  int lo, hi;  // the paragraphs the mode looks at: [lo, hi)
  if (mode == kAllText) {
    lo = 0, hi = ParagraphCount();
  } else if (mode == 0 || mode == 3 || mode == 4) {
    lo = headerCount_, hi = ParagraphCount() - footerCount_;
  } else {
    return {};
  }
  if (lo >= hi) return {};
  // The first paragraph whose band reaches down to y; the last one below them all.
  auto above = [this](int i) { return paras_[i]->style.Get(paAbove); };
  int a = lo, b = hi;
  while (a < b) {
    const int mid = (a + b) / 2;
    if (paras_[mid]->bottom + above(mid) < y)
      a = mid + 1;
    else
      b = mid;
  }
  const int pi = std::min(a, hi - 1);
  const TZEBparag& p = *paras_[pi];
  if (p.lines.empty()) return {};
  const int rel = y - (p.top + above(pi));
  int li = 0;
  while (li + 1 < static_cast<int>(p.lines.size()) && p.lines[li + 1].y <= rel) ++li;
  const TZEBline& ln = p.lines[li];
  // Characters passed while left of the point; the end of the text counts as
  // one more place on the last line.
  const int limit = ln.count + (li + 1 == static_cast<int>(p.lines.size()) ? 1 : 0);
  int run = ln.xStart + ln.shift, passed = 0;
  while (passed < limit && run < x) run += Advance(p, ln.first + passed++);
  return PositionOf(pi, ln.first + std::max(passed - 1, 0));
}

int TZEBbox::LinkAt(const TZEBPosition& pos) const {
  const TZEBparag* p = Paragraph(pos.paraIndex);
  if (!p || p->text.empty()) return -1;
  const int i = std::min(pos.charIndex, static_cast<int>(p->text.size()) - 1);
  return i >= 0 && static_cast<size_t>(i) < p->chars.size() ? p->chars[i].link : -1;
}

TZEBoggetto* TZEBbox::LinkObject(int paraIndex, int link) const {
  if (!text_ || link < 0) return nullptr;
  const TZEBparag* p = Paragraph(paraIndex);
  // Local links of the header and footer live in their own texts.
  TZEBtesto* own = !p ? text_ : p->origin == 1 ? text_->HeaderText() : p->origin == 2 ? text_->FooterText() : text_;
  TZEBoggetto* obj = own ? own->ResolveContainerId(link) : nullptr;
  return obj ? obj : text_->ResolveContainerId(link);
}

bool TZEBbox::FindObject(const TZEBoggetto* obj, int& para, int& charIndex) const {
  for (int i = 0; i < ParagraphCount(); ++i) {
    const TZEBparag& p = *paras_[i];
    for (size_t k = 0; k < p.chars.size(); ++k) {
      const int o = p.chars[k].object;
      if (o >= 0 && static_cast<size_t>(o) < p.objects.size() && p.objects[o] == obj) {
        para = i;
        charIndex = static_cast<int>(k);
        return true;
      }
    }
  }
  return false;
}

// ---------------------------------------------------------------- selection

TZEBPosition TZEBbox::Ordered(bool first) const {
  const bool anchorFirst = !Before(end_, anchor_);
  return first == anchorFirst ? anchor_ : end_;
}

void TZEBbox::SelectionStart(int& p, int& c) const {
  const TZEBPosition pos = hasSel_ ? Ordered(true) : caretPos_;
  p = pos.Valid() ? pos.paraIndex : headerCount_;
  c = pos.Valid() ? pos.charIndex : 0;
}

void TZEBbox::SelectionEnd(int& p, int& c) const {
  const TZEBPosition pos = hasSel_ ? Ordered(false) : caretPos_;
  p = pos.Valid() ? pos.paraIndex : headerCount_;
  c = pos.Valid() ? pos.charIndex : 0;
}

void TZEBbox::RepaintBetween(TZEBPosition a, TZEBPosition b) {
  if (!a.Valid() || !b.Valid()) return;
  if (Before(b, a)) std::swap(a, b);
  auto add = [this](QRect r) {
    r.adjust(-1, 0, 1, 0);
    lastRepaint_.push_back(r);
    update(r);
  };
  if (a.paraIndex == b.paraIndex && a.line == b.line) {
    add(QRect(a.xLeft, a.top, b.xLeft - a.xLeft, std::max(a.height, b.height)));
    return;
  }
  add(QRect(a.xLeft, a.top, width() - a.xLeft, a.height));
  // Whole lines in between, as far as they can be seen.
  const int viewTop = page_ ? page_->ScrollY() : 0;
  const int viewBottom = viewTop + (page_ ? page_->viewport()->height() : height());
  for (int pi = a.paraIndex; pi <= b.paraIndex; ++pi) {
    const TZEBparag& p = *paras_[pi];
    const int y0 = p.top + p.style.Get(paAbove);
    if (p.bottom < viewTop || p.top > viewBottom) continue;
    for (int li = 0; li < static_cast<int>(p.lines.size()); ++li) {
      if ((pi == a.paraIndex && li <= a.line) || (pi == b.paraIndex && li >= b.line)) continue;
      const QRect r(0, y0 + p.lines[li].y, width(), p.lines[li].height);
      if (r.bottom() >= viewTop && r.top() <= viewBottom) add(r);
    }
  }
  add(QRect(0, b.top, b.xLeft, b.height));
}

void TZEBbox::RepaintSelection(const TZEBPosition& a, const TZEBPosition& b) {
  lastRepaint_.clear();
  RepaintBetween(a, b);
}

void TZEBbox::ClearSelection() {
  if (hasSel_ && selShown_) RepaintSelection(anchor_, end_);
  hasSel_ = selShown_ = selecting_ = false;
  anchor_ = end_ = caretPos_;
}

void TZEBbox::SelectRange(int p1, int c1, int p2, int c2) {
  if (hasSel_ && selShown_) RepaintSelection(anchor_, end_);
  else lastRepaint_.clear();
  const TZEBPosition a = PositionOf(p1, c1), b = PositionOf(p2, c2);
  if (!a.Valid() || !b.Valid()) return;
  anchor_ = a;
  end_ = b;
  hasSel_ = !a.SamePlace(b);
  selShown_ = true;
  selecting_ = false;
  caretPos_ = b;
  RepaintBetween(anchor_, end_);
  if (IFrameSetHost* fs = GetFrameSet()) fs->SelectionChanged(this);
}

void TZEBbox::SetCaret(int para, int charIndex) {
  caretPos_ = PositionOf(para, charIndex);
  if (!caretPos_.Valid()) return;
  caret_->setGeometry(caretPos_.xLeft, caretPos_.top, 1, std::max(caretPos_.height, 1));
  caret_->setVisible(!ReadOnly() && hasFocus());
}

void TZEBbox::SelectWord(const TZEBPosition& pos) {
  const TZEBparag* p = Paragraph(pos.paraIndex);
  if (!p) return;
  const std::string& t = p->text;
  const int n = static_cast<int>(t.size());
  int s = std::min(pos.charIndex, n), e = s;
  while (s > 0 && IsWordChar(static_cast<uint8_t>(t[s - 1]))) --s;
  while (e < n && IsWordChar(static_cast<uint8_t>(t[e]))) ++e;
  while (e < n && t[e] == ' ') ++e;
  SelectRange(pos.paraIndex, s, pos.paraIndex, e);
}

// ---------------------------------------------------------------- scrolling

void TZEBbox::ScrollBy(int dx, int dy) {
  if (!page_) return;
  if (dx) page_->SetScrollX(page_->ScrollX() + dx);
  if (dy) page_->SetScrollY(page_->ScrollY() + dy);
}

void TZEBbox::ShowPositionAtTop(const TZEBPosition& pos) {
  if (page_ && pos.Valid()) page_->SetScrollY(std::max(pos.top - 3, 0));
}

void TZEBbox::ScrollIntoView(int x, int y, int height, int width) {
  if (!page_ || !page_->viewport()->isAncestorOf(this)) return;
  const QPoint off = mapTo(page_->viewport(), QPoint(0, 0));
  const QRect r(x + off.x(), y + off.y(), width, height);
  const QRect view = page_->viewport()->rect();
  if (view.contains(r)) return;
  int dx = 0, dy = 0;
  if (r.left() < view.left())
    dx = r.left() - view.left();
  else if (r.right() > view.right())
    dx = r.right() - view.right();
  if (r.top() < view.top())
    dy = r.top() - view.top();
  else if (r.bottom() > view.bottom())
    dy = r.bottom() - view.bottom();
  ScrollBy(dx, dy);
}

bool TZEBbox::ScrollKey(int key) {
  if (!page_) return false;
  const int pageStep = page_->height() < 30 ? 10 : page_->height() - 20;
  switch (key) {
    case Qt::Key_PageUp: ScrollBy(0, -pageStep); return true;
    case Qt::Key_PageDown: ScrollBy(0, pageStep); return true;
    case Qt::Key_Up: ScrollBy(0, -10); return true;
    case Qt::Key_Down: ScrollBy(0, 10); return true;
    case Qt::Key_Left: ScrollBy(-10, 0); return true;
    case Qt::Key_Right: ScrollBy(10, 0); return true;
    default: return false;
  }
}

void TZEBbox::keyPressEvent(QKeyEvent* e) {
  if (update_ > 0) return;
  if (e->matches(QKeySequence::Copy)) return;  // the main window's copy command copies
  if (ScrollKey(e->key())) {
    e->accept();  // the scroll area must not scroll a second time
    return;
  }
  TDragCustomControl::keyPressEvent(e);
}

// ---------------------------------------------------------------- mouse

void TZEBbox::ApplyCursor(int number) {
  if (number == cursorNumber_) return;
  cursorNumber_ = number;
  if (number)
    setCursor(LectraCursor(number));
  else
    unsetCursor();
}

void TZEBbox::SetHover(int link, int paraIndex) {
  if (link < 0) {
    ApplyCursor(0);
    hoverLink_ = -1;
    if (!hint_.isEmpty()) TOxHintWindow::HideHint();
    hint_.clear();
    return;
  }
  ApplyCursor(2);
  if (link == hoverLink_) return;
  hoverLink_ = link;
  std::string hint;
  if (TZEBoggetto* obj = LinkObject(paraIndex, link)) {
    IFrameSetHost* fs = GetFrameSet();
    hint = fs ? fs->HintFor(obj) : DescriptionHint(obj->Description());
  }
  TZEBset* doc = Document();
  hint_ = QString::fromStdString(doc ? doc->CodePage().ToUtf8(hint) : hint);
  if (TOxHintWindow* w = TOxHintWindow::Current(); w && w->isVisible()) {
    if (hint_.isEmpty())
      w->hide();
    else
      w->SetText(hint_);
  }
}

void TZEBbox::FollowLink(const TZEBPosition& pos, int link) {
  caret_->hide();
  TZEBoggetto* obj = LinkObject(pos.paraIndex, link);
  IFrameSetHost* fs = GetFrameSet();
  if (obj && fs) fs->RaiseLink(obj, this);
}

void TZEBbox::mousePressEvent(QMouseEvent* e) {
  const QPoint pt = e->position().toPoint();
  if (update_ > 0 || dblClick_) return;
  const TZEBPosition pos = HitTest(kAllText, pt.x(), pt.y());
  if (!pos.Valid()) return;
  pressOrigin_ = pos.para->origin;
  pressedHere_ = true;
  caretPos_ = pos;
  if (hasSel_ && e->button() != Qt::RightButton) ClearSelection();
  if (e->button() != Qt::RightButton) {
    pressPoint_ = pt;
    pressPos_ = pos;
    pressed_ = true;
    anchor_ = end_ = pos;
    if (focusPolicy() != Qt::NoFocus) setFocus(Qt::MouseFocusReason);
    if (IFrameSetHost* fs = GetFrameSet()) fs->SetFocusedBox(this);
  }
  e->accept();  // the release must come back here
}

void TZEBbox::mouseMoveEvent(QMouseEvent* e) {
  if (update_ > 0 || dblClick_) return;
  const QPoint pt = e->position().toPoint();
  const TZEBPosition pos = HitTest(kAllText, pt.x(), pt.y());
  if (!pos.Valid()) return;
  if (pressed_ && !selecting_ &&
      (std::abs(pt.x() - pressPoint_.x()) > 4 || std::abs(pt.y() - pressPoint_.y()) > 4)) {
    // The selection runs from where the button went down.
    selecting_ = hasSel_ = selShown_ = true;
    anchor_ = end_ = pressPos_;
    if (IFrameSetHost* fs = GetFrameSet()) fs->SelectionChanged(this);
  }
  if (selecting_) {
    const TZEBPosition old = end_;
    end_ = pos;
    RepaintSelection(old, end_);
    return;
  }
  const bool onLink = pos.Contains(pt.x(), pt.y());
  SetHover(onLink ? LinkAt(pos) : -1, pos.paraIndex);
}

void TZEBbox::mouseReleaseEvent(QMouseEvent* e) {
  releaseScreen_ = e->globalPosition().toPoint();
  const QPoint pt = e->position().toPoint();
  if (dblClick_) {
    dblClick_ = pressed_ = pressedHere_ = selecting_ = false;
    const TZEBPosition pos = HitTest(kAllText, pt.x(), pt.y());
    if (!pos.Valid()) return;
    const int link = pos.Contains(pt.x(), pt.y()) ? LinkAt(pos) : -1;
    if (link >= 0 && !hasSel_)
      FollowLink(pos, link);
    else
      SelectWord(pos);
    return;
  }
  if (update_ > 0 || !pressedHere_) return;
  pressedHere_ = pressed_ = false;
  const bool wasSelecting = selecting_;
  selecting_ = false;
  if (wasSelecting) {
    hasSel_ = !anchor_.SamePlace(end_);
    if (!hasSel_) selShown_ = false;
  }
  IFrameSetHost* fs = GetFrameSet();
  if (!hasSel_) {
    const TZEBPosition pos = HitTest(kAllText, pt.x(), pt.y());
    const int link = pos.Valid() && pos.Contains(pt.x(), pt.y()) ? LinkAt(pos) : -1;
    if (link >= 0) {
      FollowLink(pos, link);
    } else {
      if (fs) fs->ClickedAt(this);
      if (e->button() == Qt::RightButton && popup_) popup_->popup(releaseScreen_);
    }
  } else if (e->button() == Qt::RightButton && popup_) {
    popup_->popup(releaseScreen_);
  }
  if (fs) fs->SelectionChanged(this);
}

void TZEBbox::mouseDoubleClickEvent(QMouseEvent* e) {
  if (update_ > 0) return;
  // Acted on at the release that follows.
  dblClick_ = true;
  pressedHere_ = true;
  (void)e;
}

void TZEBbox::focusInEvent(QFocusEvent* e) {
  TDragCustomControl::focusInEvent(e);
  if (IFrameSetHost* fs = GetFrameSet()) fs->SetFocusedBox(this);
}

void TZEBbox::focusOutEvent(QFocusEvent* e) {
  TDragCustomControl::focusOutEvent(e);
  caret_->hide();
  selecting_ = pressed_ = false;
}

namespace {
// Local files of a drop; empty unless the first one is an ebook.
std::vector<std::string> DroppedEbooks(const QMimeData* data) {
  std::vector<std::string> files;
  if (!data || !data->hasUrls()) return files;
  for (const QUrl& u : data->urls())
    if (u.isLocalFile()) files.push_back(u.toLocalFile().toStdString());
  if (files.empty() || !QString::fromStdString(files[0]).endsWith(".zeb", Qt::CaseInsensitive)) files.clear();
  return files;
}
}  // namespace

void TZEBbox::dragEnterEvent(QDragEnterEvent* e) {
  if (ReadOnly() && !DroppedEbooks(e->mimeData()).empty()) e->acceptProposedAction();
}

void TZEBbox::dropEvent(QDropEvent* e) {
  const std::vector<std::string> files = DroppedEbooks(e->mimeData());
  IFrameSetHost* fs = GetFrameSet();
  if (!ReadOnly() || files.empty() || !fs) return;
  e->acceptProposedAction();
  fs->DropFiles(files, this);
}

bool TZEBbox::event(QEvent* e) {
  if (e->type() == QEvent::ToolTip) {
    auto* he = static_cast<QHelpEvent*>(e);
    if (hint_.isEmpty())
      TOxHintWindow::HideHint();
    else
      TOxHintWindow::ShowHint(he->globalPos(), hint_);
    return true;
  }
  if (e->type() == QEvent::Leave) {
    TOxHintWindow::HideHint();
    hoverLink_ = -1;
  }
  return TDragCustomControl::event(e);
}
