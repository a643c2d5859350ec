// Printed tables: cells laid out at the paper's width, outlined when the
// table has a border, with their backgrounds when asked.
#include <QPainter>
#include <QPen>
#include <algorithm>

#include "document/records.h"
#include "document/zebobject.h"
#include "document/zebset.h"
#include "printing/zebboxp.h"
#include "printing/zebpagep.h"

namespace {
// A damaged record cannot make a table of millions of cells.
constexpr int kMaxRows = 255, kMaxCells = 4096;
}  // namespace

TMyyTableP::TMyyTableP(TZEBpageP* job, TZEBoggetto* table) : TMyyPrintual(job, table) {
  const TTableRecord rec(table->Rec());
  rows_ = std::min(rec.Rows(), kMaxRows);
  cols_ = std::min(rec.Columns(), tablerec::MaxColumns);
  if (rows_ * cols_ > kMaxCells) rows_ = kMaxCells / std::max(cols_, 1);
  spacingX_ = job->ConvH(rec.Spacing());
  spacingY_ = job->ConvV(rec.Spacing());
  const std::string payload = table->MainPayload();
  TZEBset* doc = job->Document();
  for (int r = 0; r < rows_; ++r)
    for (int c = 0; c < cols_; ++c) {
      auto cell = std::make_unique<TZEBboxP>(job, table);
      cell->SetParent(this);
      cell->SetCellPadding(job->ConvH(rec.CellLayout1()));
      const TBackground bg = TBackground::Decode(CellBackground(payload, r, c, cols_));
      cell->SetNoBackground(bg.kind == TBackground::Kind::Transparent);
      if (bg.kind == TBackground::Kind::Colour) cell->SetBackColour(bg.colour);
      if (bg.kind == TBackground::Kind::Picture && doc) cell->SetBackPicture(doc->ObjectAt(immagine, bg.picture));
      cells_.push_back(std::move(cell));
    }
}

TMyyTableP::~TMyyTableP() = default;

TZEBboxP* TMyyTableP::Cell(int r, int c) const {
  if (r < 0 || r >= rows_ || c < 0 || c >= cols_) return nullptr;
  return cells_[static_cast<size_t>(r) * cols_ + c].get();
}

void TMyyTableP::ReadCells(std::string_view stream, size_t& pos) {
  for (auto& cell : cells_) cell->ReadCell(stream, pos);
}

// Column widths before the cells widen them: percent columns share the room
// the spacing leaves (remainders carried so that none is lost), pixel columns
// take the picture scale, automatic ones start at 30 and the last one takes
// what is left.
std::vector<int> TMyyTableP::ColumnWidths(int avail) const {
  std::vector<int> w(cols_, 0);
  int remainder = 0, used = 0, lastAuto = -1;
  for (int c = 0; c < cols_; ++c) {
    const TTableRecord rec(obj_->Rec());
    const int v = std::max(rec.ColumnValue(c), 0);
    switch (rec.ColumnKind(c)) {
      case TColumnKind::Percent: {
        const int64_t share = static_cast<int64_t>(avail) * std::min(v, 100);
        w[c] = static_cast<int>(share / 100);
        remainder += static_cast<int>(share % 100);
        if (remainder >= 100) ++w[c], remainder -= 100;
        break;
      }
      case TColumnKind::Fixed: w[c] = static_cast<int>(std::min<int64_t>(static_cast<int64_t>(v) * job_->PA() / 100, job_->W())); break;
      default: w[c] = 30, lastAuto = c; break;
    }
    used += w[c];
  }
  if (lastAuto >= 0 && used < avail) w[lastAuto] += avail - used;
  // Columns that would not fit on the paper share its width in proportion.
  if (used > avail && used > 0)
    for (int& x : w) x = static_cast<int>(static_cast<int64_t>(x) * avail / used);
  return w;
}

void TMyyTableP::Prepare(int lineWidth) {
  const TZEBpageP& job = *job_;
  int width = std::min(lineWidth, job.W());
  const TTableRecord rec(obj_->Rec());
  if (rec.WidthInPercent()) {
    const int pct = rec.WidthPercent();
    width = static_cast<int>(static_cast<int64_t>(width) * (pct <= 0 || pct > 100 ? 100 : pct) / 100);
  } else if (const int fixed = rec.FixedWidth(); fixed > 0) {
    width = std::min<int>(static_cast<int64_t>(fixed) * job.PA() / 100, width);
  }
  lastWidth_ = width;
  if (rows_ == 0 || cols_ == 0) {
    SetBounds(left_, top_, 0, 0);
    return;
  }
  int avail = width - (cols_ + 1) * spacingX_;
  if (avail < 0) avail = 10;
  std::vector<int> colW = ColumnWidths(avail);
  // Each column as wide as its widest cell, each row as high as its highest.
  for (int c = 0; c < cols_; ++c)
    for (int r = 0; r < rows_; ++r) {
      Cell(r, c)->Layout(colW[c]);
      colW[c] = std::max(colW[c], Cell(r, c)->Widest());
    }
  int y = spacingY_, x = spacingX_;
  for (int r = 0; r < rows_; ++r) {
    int rowH = 0;
    x = spacingX_;
    for (int c = 0; c < cols_; ++c) {
      TZEBboxP* cell = Cell(r, c);
      if (cell->LayoutWidth() != colW[c]) cell->Layout(colW[c]);
      const int pad = std::max(cell->CellPadding(), 0);
      rowH = std::max(rowH, cell->TextHeight() + pad);
    }
    for (int c = 0; c < cols_; ++c) {
      Cell(r, c)->SetBounds(x, y, colW[c], rowH);
      x += colW[c] + spacingX_;
    }
    y += rowH + spacingY_;
  }
  SetBounds(left_, top_, x, y);
}

void TMyyTableP::PrintCell(QPainter& painter, TZEBboxP& cell, int, int, const TPrintWindow& window) {
  const TPrintWindow inCell = window.Shifted(cell.Top());
  if (!inCell.Intersects(0, cell.Height())) return;
  if (job_->Probing()) {
    job_->Translate(painter, cell.Left(), cell.Top());
    cell.Print(painter, inCell);
    job_->Translate(painter, -cell.Left(), -cell.Top());
    return;
  }
  if (job_->TableBackgrounds()) cell.PaintBackground(painter, QRect(cell.Left(), cell.Top(), cell.Width(), cell.Height()), QPoint(0, 0));
  if (const int n = TTableRecord(obj_->Rec()).Border(); n > 0) {
    QPen pen(Qt::black);
    pen.setWidth(std::max(1, static_cast<int>(static_cast<int64_t>(n) * job_->PageWidthPx() / 1024)));
    pen.setJoinStyle(Qt::MiterJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRect(cell.Left(), cell.Top(), cell.Width(), cell.Height()));
  }
  job_->Translate(painter, cell.Left(), cell.Top());
  cell.Print(painter, inCell);
  job_->Translate(painter, -cell.Left(), -cell.Top());
}

void TMyyTableP::Print(QPainter& painter, const TPrintWindow& window) {
  const TPrintWindow inTable = window.Shifted(top_);
  if (!inTable.Intersects(0, height_)) return;
  job_->Translate(painter, left_, top_);
  for (int r = 0; r < rows_; ++r)
    for (int c = 0; c < cols_; ++c) PrintCell(painter, *Cell(r, c), r, c, inTable);
  job_->Translate(painter, -left_, -top_);
}
