#include "printing/zebpagep.h"

#include <QFileInfo>
#include <QPrinter>
#include <QPrinterInfo>
#include <algorithm>
#include <cmath>

#include "document/records.h"
#include "document/zebobject.h"
#include "document/zebset.h"
#include "printing/pagesetup.h"
#include "printing/zebboxp.h"
#include "text/markup.h"
#include "text/objectindex.h"

namespace {
constexpr double kScreenDpi = 96.0;
constexpr int kMinSheetPx = 20;

int Round(double v) { return static_cast<int>(std::clamp(std::llround(v), -(1LL << 30), 1LL << 30)); }
}  // namespace

// ---------------------------------------------------------------- document

TPrintDocument::~TPrintDocument() {
  if (painter_.isActive()) painter_.end();
}

// A printer of the system (not a file) must still be there: one removed
// while the job runs would take nothing, and the job would seem printed.
void TPrintDocument::CheckReachable() const {
  if (!printer_ || printer_->outputFormat() == QPrinter::PdfFormat) return;
  const QString name = printer_->printerName();
  if (name.isEmpty() || !QPrinterInfo::availablePrinterNames().contains(name))
    throw TPrinterUnreachable("la stampante \"" + name.toStdString() + "\" non è raggiungibile");
}

void TPrintDocument::Begin(const QString& title) {
  CheckReachable();
  printer_->setDocName(title);
  printer_->setFullPage(true);
  if (!painter_.begin(printer_)) throw TPrinterUnreachable("la stampante non accetta il lavoro");
  started_ = true;
  sheets_ = 1;
}

void TPrintDocument::NewSheet() {
  if (!started_) throw TPrintError("la stampa non è iniziata");
  CheckReachable();
  if (!printer_->newPage()) throw TPrinterUnreachable("la stampante non accetta un nuovo foglio");
  ++sheets_;
}

void TPrintDocument::End() {
  if (started_ && painter_.isActive()) CheckReachable();  // throws with the job still open: it is aborted
  started_ = false;
  if (painter_.isActive() && !painter_.end()) throw TPrinterUnreachable("la stampante non ha concluso il lavoro");
}

void TPrintDocument::Abort() {
  started_ = false;
  if (printer_) printer_->abort();
  if (painter_.isActive()) painter_.end();
}

void TSheetImages::StartImage() {
  const QSize size(std::max(1, int(pagePx_.width() * scale_)), std::max(1, int(pagePx_.height() * scale_)));
  images_.emplace_back(size, QImage::Format_RGB32);
  images_.back().fill(Qt::white);
  painter_.begin(&images_.back());
  painter_.setRenderHint(QPainter::Antialiasing);
  painter_.scale(scale_, scale_);
}

void TSheetImages::Begin(const QString&) {
  images_.clear();
  images_.reserve(64);
  started_ = true;
  sheets_ = 1;
  StartImage();
}

void TSheetImages::NewSheet() {
  // A preview shows the first sheets; a longer page goes on in the print.
  if (images_.size() >= 64) throw TPrintError("anteprima limitata a 64 fogli");
  painter_.end();
  StartImage();
  ++sheets_;
}

void TSheetImages::End() {
  started_ = false;
  if (painter_.isActive()) painter_.end();
}

// ---------------------------------------------------------------- job

TZEBpageP::TZEBpageP(const TPageSetupDialog& setup, const TPrintOptions& options)
    : setup_(setup), options_(options) {
  options_.scale = std::clamp(options_.scale, 20, 20000);
}

TZEBpageP::~TZEBpageP() = default;

int TZEBpageP::MarginLeftPx() const { return Round(setup_.MarginLeft() * setup_.FactorX()); }
int TZEBpageP::MarginTopPx() const { return Round(setup_.MarginTop() * setup_.FactorY()) - windowTop_; }
int TZEBpageP::ConvH(int d) const { return Round(d / kScreenDpi * 2540.0 * setup_.FactorX()); }
int TZEBpageP::ConvV(int d) const { return Round(d / kScreenDpi * 2540.0 * setup_.FactorY()); }

void TZEBpageP::Geometry() {
  pageWidthPx_ = setup_.PageWidthPx();
  pageHeightPx_ = setup_.PageHeightPx();
  W_ = pageWidthPx_ - Round((setup_.MarginLeft() + setup_.MarginRight()) * setup_.FactorX());
  H_ = pageHeightPx_ - Round((setup_.MarginTop() + setup_.MarginBottom()) * setup_.FactorY());
  if (W_ < kMinSheetPx || H_ < kMinSheetPx) throw TPrintError("i margini non lasciano spazio sul foglio");
  PA_ = Round(options_.scale * setup_.FactorX());
  PB_ = Round(options_.scale * setup_.FactorY());
  // Point sizes are measured at 96 dpi; at the printer's resolution they
  // need that many tenths of zoom.
  zoom_ = std::max(1, Round(10.0 * setup_.Printer().resolution() / kScreenDpi));
}

void TZEBpageP::BuildPrintables(TZEBtesto* text) {
  box_ = std::make_unique<TZEBboxP>(this);
  box_->SetBounds(0, 0, W_, H_);
  box_->SetBackColour(text->Rec().I32(101));
  if (const int32_t pic = text->Rec().I32(85); doc_ && pic >= 0) box_->SetBackPicture(doc_->ObjectAt(immagine, pic));
  // Objects placed on the page itself are not part of the text's flow.
  const std::string main = text->MainPayload();
  size_t pos = 0;
  const std::vector<int> numbers = TakePageObjects(main, pos);
  box_->Build(text, pos);
  box_->Layout(W_);
  box_->Renumber();
  PlaceFrontObjects(text, numbers);
}

// The pictures placed on the page itself, and those of the header and footer
// placed at page coordinates, go where the screen puts them: at their
// distance from the page's corner in physical size, or at their percentage
// of the printable area.
void TZEBpageP::PlaceFrontObjects(TZEBtesto* text, const std::vector<int>& numbers) {
  front_.clear();
  std::vector<TZEBoggetto*> placed;
  TTextObjectIndex index(text);
  for (int n : numbers)
    if (TZEBoggetto* o = index.IndexedObject(n)) placed.push_back(o);
  for (TZEBtesto* part : {text->HeaderText(), text->FooterText()})
    if (part)
      for (TZEBoggetto* o : part->Embedded())
        if (o && o->Kind() == immagineNew && TPictureRecord(o->Rec()).Absolute()) placed.push_back(o);
  for (TZEBoggetto* o : placed) {
    auto* p = dynamic_cast<TMyyImageP*>(box_->PrintableOf(o));
    if (!p || std::find(front_.begin(), front_.end(), p) != front_.end()) continue;
    const TPictureRecord r(o->Rec());
    p->Prepare(W_);
    const int64_t top = r.TopInPercent() ? int64_t(H_) * r.Top() / 100 : ConvV(r.Top());
    const int64_t left = r.LeftInPercent() ? int64_t(W_) * r.Left() / 100 : ConvH(r.Left());
    constexpr int64_t kFar = 1 << 28;  // keeps absurd places within reach of the sheet cap
    p->SetBounds(static_cast<int>(std::clamp(left, -kFar, kFar)), static_cast<int>(std::clamp(top, -kFar, kFar)),
                 p->Width(), p->Height());
    p->SetFront(true);
    front_.push_back(p);
  }
}

void TZEBpageP::PrintFront(QPainter& painter, int from, int to) {
  if (front_.empty() || to <= from || probing_) return;
  painter.save();
  painter.translate(MarginLeftPx(), MarginTopPx());
  // What lies beyond this sheet's share of the page prints on the next sheet.
  painter.setClipRect(QRect(0, from, W_, to - from));
  for (TMyyImageP* p : front_) p->Print(painter, TPrintWindow{from, to});
  painter.restore();
}

void TZEBpageP::EndSheet(QPainter& painter, int nextTop) {
  PrintFront(painter, windowTop_, std::min(nextTop, windowTop_ + H_));
}

void TZEBpageP::Prepare(TZEBtesto* page) {
  doc_ = page ? page->Document() : nullptr;
  if (!page || !doc_) return;
  Geometry();
  if (!canvas_)
    canvas_ = std::make_unique<TPrintCanvas>(std::make_shared<TQtFontCache>(doc_->CodePage()), options_.black);
  copy_ = page->PageCopy(true, nullptr);
  BuildPrintables(copy_.get());
}

void TZEBpageP::PrintPage(TZEBtesto* page, TPrintDocument& doc) {
  if (!page || !page->HasMainPayload()) {
    if (page && page->Document()) page->Document()->Say(TMsgKind::Information, "Invalid use of TZEBpageP.Riempi");
    return;
  }
  if (page->Rec().Byte(195) == 1) {
    page->Document()->Say(TMsgKind::Error, "baco; testo ver 1 ancora pres in zebBox P!");
    return;
  }
  if (!doc.fontCache) doc.fontCache = std::make_shared<TQtFontCache>(page->Document()->CodePage());
  canvas_ = std::make_unique<TPrintCanvas>(doc.fontCache, options_.black);
  Prepare(page);
  const std::string file = QFileInfo(QString::fromStdString(doc_->ZEBFileName())).fileName().toStdString();
  const QString title = QString::fromStdString("Quillon, " + file + " from pag: " + page->Name());
  const bool first = !doc.Started();
  if (first) doc.Begin(title);
  else doc.NewSheet();
  canvas_->SetPainter(&doc.Painter());
  CutIntoSheets(doc);
}

void TZEBpageP::StartSheet(TPrintDocument& doc, bool first) {
  if (!first) {
    if (static_cast<int>(sheetTops_.size()) >= TPrintDocument::kMaxSheets)
      throw TPrintError("la pagina è più lunga di " + std::to_string(TPrintDocument::kMaxSheets) +
                        " fogli; stampa interrotta");
    doc.NewSheet();
  }
  sheetTops_.push_back(windowTop_);
  if (!options_.backgrounds) return;
  const int top = Round(setup_.MarginTop() * setup_.FactorY());
  box_->PaintBackground(doc.Painter(), QRect(MarginLeftPx(), top, W_, H_), QPoint(MarginLeftPx(), MarginTopPx()));
}

void TZEBpageP::Translate(QPainter& painter, int dx, int dy) {
  originY_ += dy;
  if (!probing_ && painter.isActive()) painter.translate(dx, dy);
}

void TZEBpageP::PrintInWindow(QPainter& painter, int i, int r, int height) {
  painter.save();
  originY_ = 0;
  if (!probing_) painter.translate(MarginLeftPx(), MarginTopPx());
  box_->PrintParagraph(painter, i, TPrintWindow{r, r + height});
  painter.restore();
}

void TZEBpageP::OfferCut(int top, int bottom, bool picture) {
  const int relTop = top + originY_ - windowTop_, relBottom = bottom + originY_ - windowTop_;
  if (relTop <= 0 || relTop >= breakLimit_ || relBottom <= breakLimit_) return;
  if (picture && (bottom - top) * 3 >= pageHeightPx_ * 2) return;
  breakLimit_ = relTop;
}

// Where a table crossing the sheet's bottom is cut: above the first picture
// or cell line that the bottom would cut.
int TZEBpageP::TableBreak(QPainter& painter, int i, int r) {
  probing_ = true;
  canvas_->SetPainter(nullptr);
  breakLimit_ = H_;
  for (int pass = 0; pass < 16; ++pass) {
    const int before = breakLimit_;
    PrintInWindow(painter, i, r, breakLimit_);
    if (breakLimit_ == before) break;
  }
  probing_ = false;
  canvas_->SetPainter(&painter);
  return breakLimit_ > 0 ? breakLimit_ : H_;
}

void TZEBpageP::CutIntoSheets(TPrintDocument& doc) {
  QPainter& painter = doc.Painter();
  sheetTops_.clear();
  int r = windowTop_ = 0;
  StartSheet(doc, true);
  const int n = box_->ParagraphCount();
  for (int i = 0; i < n;) {
    const TZEBparag& p = *box_->Paragraph(i).para;
    const int top = std::max(p.top, 0), bottom = std::max(p.bottom, 0);
    if (bottom < r) {  // nothing of it is left to print
      ++i;
      continue;
    }
    if (top >= r + H_) {  // below this sheet
      r += H_;
    } else if (bottom <= r + H_) {
      PrintInWindow(painter, i, r, H_);
      ++i;
      continue;
    } else if (box_->Paragraph(i).holdsTable) {
      const int limit = TableBreak(painter, i, r);
      PrintInWindow(painter, i, r, limit);
      r += limit;
    } else if (bottom - top >= H_ || top <= r) {
      // Taller than a sheet, or already begun: what lies on this sheet
      // prints here, the rest on the next.
      PrintInWindow(painter, i, r, H_);
      r += H_;
    } else {
      r = top;  // moves whole to the next sheet
    }
    EndSheet(painter, r);
    windowTop_ = r;
    StartSheet(doc, false);
  }
  EndSheet(painter, windowTop_ + H_);
  // Pictures placed below the end of the text get sheets of their own.
  auto below = [&] {
    return std::any_of(front_.begin(), front_.end(),
                       [&](const TMyyImageP* p) { return p->Width() > 0 && p->Top() + p->Height() > windowTop_ + H_; });
  };
  while (below()) {
    windowTop_ += H_;
    StartSheet(doc, false);
    EndSheet(painter, windowTop_ + H_);
  }
}
