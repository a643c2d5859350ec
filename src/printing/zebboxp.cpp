#include "printing/zebboxp.h"

#include <QPainter>
#include <algorithm>

#include "document/zebobject.h"
#include "document/zebpicture.h"
#include "document/zebset.h"
#include "pageobjects/visual.h"
#include "pageobjects/zebbox.h"
#include "printing/printmarkup.h"
#include "printing/zebpagep.h"
#include "text/markup.h"
#include "text/objectindex.h"

// What the object markers of the text being read refer to: the printables
// of that text's own inline objects; tables read their cells from the stream.
class TZEBboxP::TIndex : public IObjectIndex {
public:
  TIndex(TZEBboxP& box, const TZEBtesto* part) : box_(box), inner_(part) {}
  TZEBoggetto* IndexedObject(int number) override { return number > 0 ? inner_.IndexedObject(number) : nullptr; }
  int NumberOf(TZEBoggetto* obj) override { return inner_.NumberOf(obj); }
  bool ReadTableCells(TZEBoggetto* table, std::string_view text, size_t& pos) override {
    auto* t = dynamic_cast<TMyyTableP*>(box_.PrintableOf(table));
    if (!t) return false;
    t->ReadCells(text, pos);
    return true;
  }

private:
  TZEBboxP& box_;
  TTextObjectIndex inner_;
};

TZEBboxP::TZEBboxP(TZEBpageP* job, const TZEBoggetto* cellOf) : TPrintual(job), cellOf_(cellOf) {}
TZEBboxP::~TZEBboxP() = default;

TTextContext TZEBboxP::Context() {
  TTextContext ctx;
  ctx.doc = job_->Document();
  ctx.canvas = &job_->Canvas();
  ctx.index = job_->ReadingIndex();
  ctx.host = this;
  ctx.zoom = job_->Zoom();
  ctx.layoutWidth = layoutWidth_ > 0 ? layoutWidth_ : job_->W();
  ctx.widest = widest_;
  ctx.cellPadding = cellPadding_;
  return ctx;
}

TMyyPrintual* TZEBboxP::PrintableOf(const TZEBoggetto* obj) const {
  const TZEBboxP* root = this;
  while (auto* up = dynamic_cast<const TZEBboxP*>(root->parent_ ? root->parent_->Parent() : nullptr)) root = up;
  auto it = root->byObject_.find(obj);
  return it == root->byObject_.end() ? nullptr : it->second;
}

void TZEBboxP::AddPrintables(TZEBtesto* part) {
  if (!part) return;
  for (TZEBoggetto* o : part->Embedded()) {
    if (!o || byObject_.count(o)) continue;
    std::unique_ptr<TMyyPrintual> p = CreatePrintable(job_, o);
    if (!p) continue;
    p->SetParent(this);
    byObject_[o] = p.get();
    printables_.push_back(std::move(p));
  }
}

void TZEBboxP::ConvertDistances(TZEBparag& p) const {
  TZEBParaStyle& s = p.style;
  for (int a : {paLeft, paRight, paIndent}) s.Set(a, job_->ConvH(s.Get(a)));
  for (int a : {paAbove, paBelow}) s.Set(a, job_->ConvV(s.Get(a)));
  if (const int L = s.Get(paLineHeight); L > 0) s.Set(paLineHeight, job_->ConvV(L));
}

void TZEBboxP::ReadPart(const std::string& markup, size_t pos, uint8_t origin, TZEBtesto* part) {
  const std::string text = PrintMarkup(markup);
  // Taking link starts out moves what follows; the start position moves with it.
  const size_t start = PrintMarkup(markup.substr(0, std::min(pos, markup.size()))).size();
  TIndex index(*this, part);
  job_->SetReadingIndex(&index);
  TTextContext ctx = Context();
  size_t at = start;
  for (auto& p : ReadParagraphs(ctx, text, at)) {
    p->origin = origin;
    ConvertDistances(*p);
    TZEBparagP pp;
    pp.holdsTable = std::any_of(p->objects.begin(), p->objects.end(),
                                [](const TZEBoggetto* o) { return o && o->Kind() == tabellaHtml; });
    pp.para = std::move(p);
    pp.index = static_cast<int>(paras_.size());
    paras_.push_back(std::move(pp));
  }
  job_->SetReadingIndex(nullptr);
}

void TZEBboxP::Build(TZEBtesto* text, size_t mainStart) {
  paras_.clear();
  headerCount_ = footerCount_ = 0;
  if (!text) return;
  layoutWidth_ = widest_ = width_;
  AddPrintables(text);
  AddPrintables(text->HeaderText());
  AddPrintables(text->FooterText());
  if (TZEBtesto* h = text->HeaderText()) ReadPart(h->MainPayload(), 0, 1, h);
  headerCount_ = ParagraphCount();
  ReadPart(text->MainPayload(), mainStart, 0, text);
  if (TZEBtesto* f = text->FooterText()) {
    const int before = ParagraphCount();
    ReadPart(f->MainPayload(), 0, 2, f);
    footerCount_ = ParagraphCount() - before;
  }
}

void TZEBboxP::ReadCell(std::string_view stream, size_t& pos) {
  TTextContext ctx = Context();
  for (auto& p : ReadParagraphs(ctx, stream, pos)) {
    ConvertDistances(*p);
    TZEBparagP pp;
    pp.holdsTable = std::any_of(p->objects.begin(), p->objects.end(),
                                [](const TZEBoggetto* o) { return o && o->Kind() == tabellaHtml; });
    pp.para = std::move(p);
    pp.index = static_cast<int>(paras_.size());
    paras_.push_back(std::move(pp));
  }
  if (paras_.empty()) {
    size_t at = 0;
    for (auto& p : ReadParagraphs(ctx, "<Z S0 >", at)) paras_.push_back({std::move(p), 0, false});
  }
}

int TZEBboxP::Layout(int width) {
  layoutWidth_ = widest_ = std::max(width, 2 * minHalfWidth_);
  if (paras_.empty()) return textHeight_ = 0;
  TTextContext ctx = Context();
  int top = FirstParagraphTop(ctx, paras_.front().para.get());
  for (auto& p : paras_) top = p.para->Layout(ctx, top);
  widest_ = std::max(ctx.widest, layoutWidth_);
  const TZEBparag& last = *paras_.back().para;
  textHeight_ = last.bottom + 1 - last.style.Get(paBelow);
  return textHeight_;
}

void TZEBboxP::Renumber() {
  int count = 0;
  for (auto& p : paras_) {
    count = p.para->style.Get(paNumbering) == 6 ? count + 1 : 0;
    if (count > 0) p.para->number = count;
  }
}

// ---------------------------------------------------------------- printing

void TZEBboxP::PaintBackground(QPainter& painter, const QRect& rect, QPoint origin) const {
  if (job_->Probing()) return;
  TZEBpicture* pic = backPicture_ ? backPicture_->Picture() : nullptr;
  const QImage image = pic ? PictureImage(pic) : QImage();
  if (image.isNull()) {
    if (!noBackground_) painter.fillRect(rect, TQtCanvas::Colour(backColour_));
    return;
  }
  // Tiles keep their size on paper.
  QSize tile(backPicture_->Rec().I16(85), backPicture_->Rec().I16(87));
  if (tile.width() <= 0 || tile.height() <= 0) tile = image.size();
  tile = QSize(std::max(job_->ConvH(tile.width()), 1), std::max(job_->ConvV(tile.height()), 1));
  // Whole tiles are drawn: what lies beyond the rectangle (a neighbouring cell) is cut off.
  painter.save();
  painter.setClipRect(rect, Qt::IntersectClip);
  PaintPageBackground(painter, rect, backColour_, image, tile, pic->Opaque(), origin, false);
  painter.restore();
}

void TZEBboxP::PrintLines(TZEBparag& p, const TPrintWindow& window) {
  const int y0 = p.top + p.style.Get(paAbove);
  std::vector<TZEBline> all = std::move(p.lines);
  bool firstIn = false;
  for (size_t k = 0; k < all.size(); ++k) {
    const int top = y0 + all[k].y, bottom = top + all[k].height;
    if (job_->Probing() && !paras_.empty() && cellOf_) job_->OfferCut(top, bottom, false);
    if (window.Intersects(top, bottom)) {
      p.lines.push_back(all[k]);
      firstIn = firstIn || k == 0;
    }
  }
  // The number or bullet goes with the first line.
  const int numbering = p.style.Get(paNumbering);
  if (!firstIn && numbering != 0) p.style.Set(paNumbering, 0);
  const int indent = p.style.Get(paIndent);
  if (firstIn && numbering == 10 && indent >= 0 && indent <= 9) job_->Canvas().ShiftNextBullet(10 - job_->ConvH(10));
  if (!p.lines.empty()) {
    TTextContext ctx = Context();
    p.Draw(ctx);
  }
  job_->Canvas().ShiftNextBullet(0);
  p.style.Set(paNumbering, numbering);
  p.lines = std::move(all);
}

void TZEBboxP::PrintParagraph(QPainter& painter, int i, const TPrintWindow& window) {
  if (i < 0 || i >= ParagraphCount()) return;
  QPainter* was = painter_;
  const TPrintWindow wasWindow = window_;
  painter_ = &painter;
  window_ = window;
  TZEBparagP& pp = paras_[i];
  if (pp.holdsTable) {
    // A table clips its own cells.
    TTextContext ctx = Context();
    pp.para->Draw(ctx);
  } else {
    PrintLines(*pp.para, window);
  }
  painter_ = was;
  window_ = wasWindow;
}

void TZEBboxP::Print(QPainter& painter, const TPrintWindow& window) {
  for (int i = 0; i < ParagraphCount(); ++i) {
    const TZEBparag& p = *paras_[i].para;
    if (paras_[i].holdsTable || window.Intersects(p.top, p.bottom + 1)) PrintParagraph(painter, i, window);
  }
}

TInlineMetrics TZEBboxP::MeasureObject(TZEBoggetto* obj, int lineWidth) {
  TInlineMetrics m{0, 0, 0};
  TMyyPrintual* p = PrintableOf(obj);
  if (!p) return m;
  p->Prepare(lineWidth);
  m.width = p->Width();
  m.height = p->Height();
  m.ascent = p->Ascent();
  return m;
}

void TZEBboxP::PlaceObject(TZEBoggetto* obj, int x, int top, bool) {
  TMyyPrintual* p = PrintableOf(obj);
  if (!p || !painter_) return;
  if (auto* picture = dynamic_cast<TMyyImageP*>(p); picture && picture->Front()) return;
  p->SetBounds(x, top, p->Width(), p->Height());
  p->Print(*painter_, window_);
}
