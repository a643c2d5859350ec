#include "pageobjects/table.h"

#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

#include "document/zebset.h"
#include "pageobjects/framesetapi.h"
#include "pageobjects/zebpage.h"
#include "platform/qtcanvas.h"

namespace {
// No cell grows wider or taller than this, whatever a file asks for.
constexpr int kMaxCellExtent = 30000;
}  // namespace

std::vector<int> RowCellWidths(int avail, const std::vector<TColumnKind>& kinds, const std::vector<int>& values,
                               const std::vector<int>& working) {
  const size_t n = kinds.size();
  std::vector<int> out(n, 0);
  int64_t remaining = avail, pctSum = 0;
  for (size_t c = 0; c < n; ++c) {
    if (kinds[c] == TColumnKind::Percent)
      pctSum += std::max(values[c], 0);
    else
      remaining -= working[c];
  }
  if (pctSum == 0) pctSum = 1;
  int64_t carried = 0;
  for (size_t c = 0; c < n; ++c) {
    if (kinds[c] != TColumnKind::Percent) {
      out[c] = working[c];
      continue;
    }
    const int64_t share = remaining * std::max(values[c], 0);
    int64_t w = share / pctSum;
    carried += share % pctSum;
    if (carried > pctSum) {
      ++w;
      carried -= pctSum;
    }
    out[c] = static_cast<int>(std::clamp<int64_t>(w, 0, kMaxCellExtent));
  }
  return out;
}

TMyyTable::TMyyTable(TZEBoggetto* table, TZEBpage* page) : TZEBbox(page, ViewOf(page)), object_(table) {
  resize(10, 10);
  MakeCells();
  ApplyBackgrounds();
}

TMyyTable::~TMyyTable() = default;

TZEBbox* TMyyTable::Cell(int row, int col) const {
  if (row < 0 || row >= Rows() || col < 0 || col >= columns_) return nullptr;
  return cells_[row][col];
}

void TMyyTable::MakeCells() {
  const TTableRecord t(object_->Rec());
  columns_ = t.Columns();
  const int rows = columns_ == 0 ? 0 : std::min(t.Rows(), kMaxCells / columns_);
  cells_.assign(rows, {});
  laidWidth_.assign(rows, std::vector<int>(columns_, -1));
  cellSize_.assign(rows, std::vector<QSize>(columns_));
  for (auto& row : cells_)
    for (int c = 0; c < columns_; ++c) {
      auto* cell = new TZEBbox(Page(), this);
      cell->MakeCell(this, t.CellLayout1(), t.CellLayout2());
      row.push_back(cell);
    }
}

void TMyyTable::Background(TZEBbox& box, uint32_t value) {
  const TBackground b = TBackground::Decode(value);
  TZEBset* doc = object_->Document();
  TZEBoggetto* picture = b.kind == TBackground::Kind::Picture && doc ? doc->ObjectAt(immagine, b.picture) : nullptr;
  box.SetBackPicture(picture);
  box.SetTransparent(b.kind == TBackground::Kind::Transparent || (b.kind == TBackground::Kind::Picture && !picture));
  if (b.kind == TBackground::Kind::Colour) box.SetBackColour(b.colour);
}

void TMyyTable::ApplyBackgrounds() {
  const TTableRecord t(object_->Rec());
  // Without a payload every cell is transparent.
  const std::string payload = object_->HasMainPayload() ? object_->MainPayload() : std::string();
  for (int r = 0; r < Rows(); ++r)
    for (int c = 0; c < columns_; ++c) Background(*cells_[r][c], CellBackground(payload, r, c, columns_));
  Background(*this, t.Background());
}

bool TMyyTable::ReadCells(TZEBbox& reader, std::string_view text, size_t& pos) {
  if (reading_ || built_ || !reader.MeasureCanvas()) return false;
  reading_ = true;
  const TTableRecord t(object_->Rec());
  if (parentWidget() != &reader) setParent(&reader);
  SetReadOnly(reader.ReadOnly());
  const bool inactive = reader.ReadingOrigin() == 1 || reader.ReadingOrigin() == 2;
  SetInactive(inactive);
  lastRequested_ = 30000;
  resize(reader.width(), height());
  int read = 0;
  for (auto& row : cells_)
    for (TZEBbox* cell : row) {
      cell->resize(3000, cell->height());
      cell->SetReadOnly(ReadOnly());
      cell->SetInactive(inactive);
      cell->ReadCell(reader.MeasureCanvas()->Cache(), text, pos, reader.Text(), reader.ReadingOrigin(),
                     reader.IndexBase());
      ++read;
    }
  SkipCells(t.Rows() * t.Columns() - read, text, pos);
  reading_ = false;
  built_ = true;
  return true;
}

void TMyyTable::SkipCells(int count, std::string_view text, size_t& pos) {
  for (int k = 0; k < count && pos < text.size(); ++k) {
    const size_t end = text.find("<T>", pos), nul = text.find('\0', pos);
    if (end == std::string_view::npos || (nul != std::string_view::npos && nul < end)) {
      pos = nul == std::string_view::npos ? text.size() : nul;
      return;
    }
    pos = end + 3;
  }
}

void TMyyTable::SetLayoutWidth(int width) {
  IFrameSetHost* fs = GetFrameSet();
  QWidget* active = fs ? fs->ActiveControl() : nullptr;
  const bool holdsActive = active && (active == this || isAncestorOf(active));
  if (width == lastRequested_ && !Selected() && !holdsActive) return;
  if (lastRequested_ != -1) {
    const TTableRecord t(object_->Rec());
    int w;
    if (t.WidthInPercent())
      w = static_cast<int>(static_cast<int64_t>(width) * std::min(t.WidthPercent(), 100) / 100);
    else
      w = lastLayoutWidth_ >= 30 ? lastLayoutWidth_ : t.FixedWidth();
    Layout(w);
  }
  lastRequested_ = width;
}

void TMyyTable::PlaceCell(int r, int c, int x, int y, int w) {
  TZEBbox* cell = cells_[r][c];
  w = std::clamp(w, 1, kMaxCellExtent);
  if (laidWidth_[r][c] != w) {
    QSize s = cell->LayoutCell(w);
    s.setHeight(std::clamp(s.height(), 1, kMaxCellExtent));
    s.setWidth(std::clamp(s.width(), 1, kMaxCellExtent));
    cellSize_[r][c] = s;
    laidWidth_[r][c] = w;
  }
  cell->setGeometry(x, y, cellSize_[r][c].width(), cellSize_[r][c].height());
}

void TMyyTable::Layout(int width) {
  if (layingOut_) return;
  layingOut_ = true;
  lastLayoutWidth_ = width;
  const TTableRecord t(object_->Rec());
  const int S = t.Spacing(), C = columns_, R = Rows();
  int avail = width - (C + 1) * S;
  if (avail < 0) avail = 10;
  std::vector<TColumnKind> kinds(C);
  std::vector<int> values(C), working(C, 0);
  for (int c = 0; c < C; ++c) {
    kinds[c] = t.ColumnKind(c);
    values[c] = t.ColumnValue(c);
    if (kinds[c] == TColumnKind::Percent) continue;
    // Fixed and automatic columns are as wide as their widest cell wants.
    const int start = kinds[c] == TColumnKind::Fixed ? values[c] : 30;
    for (int r = 0; r < R; ++r) {
      PlaceCell(r, c, 0, 0, start);
      working[c] = std::max(working[c], cellSize_[r][c].width());
    }
    // A cell measured narrower than it turns out at the column's width (a
    // word broken into single characters at the start width, whole and
    // overflowing at the wider one) would widen the column only when the
    // columns are evened out, after the percent columns took the rest of the
    // width: the table would stick out of its line. The column takes that
    // width now instead.
    for (int round = 0; round < 4; ++round) {
      int widest = working[c];
      for (int r = 0; r < R; ++r) {
        PlaceCell(r, c, 0, 0, working[c]);
        widest = std::max(widest, cellSize_[r][c].width());
      }
      if (widest == working[c]) break;
      working[c] = widest;
    }
  }
  const std::vector<int> widths = RowCellWidths(avail, kinds, values, working);
  for (int r = 0, y = S; r < R; ++r) {
    int rowHeight = 0;
    for (int c = 0, x = S; c < C; ++c) {
      PlaceCell(r, c, x, y, widths[c]);
      x += cellSize_[r][c].width() + S;
      rowHeight = std::max(rowHeight, cellSize_[r][c].height());
    }
    y += rowHeight + S;
  }
  // Every cell of a column as wide as its widest; every cell of a row as
  // tall as its tallest.
  columnWidth_.assign(C, 0);
  std::vector<int> columnX(C);
  int x = S;
  for (int c = 0; c < C; ++c) {
    for (int r = 0; r < R; ++r) columnWidth_[c] = std::max(columnWidth_[c], cellSize_[r][c].width());
    for (int r = 0; r < R; ++r)
      if (cellSize_[r][c].width() != columnWidth_[c]) PlaceCell(r, c, x, 0, columnWidth_[c]);
    columnX[c] = x;
    x = std::min(x + columnWidth_[c] + S, kMaxCellExtent);
  }
  int y = S;
  for (int r = 0; r < R; ++r) {
    int rowHeight = 0;
    for (int c = 0; c < C; ++c) rowHeight = std::max(rowHeight, cellSize_[r][c].height());
    for (int c = 0; c < C; ++c) cells_[r][c]->setGeometry(columnX[c], y, columnWidth_[c], rowHeight);
    y = std::min(y + rowHeight + S, kMaxCellExtent);
  }
  resize(x, y);
  layingOut_ = false;
}

std::vector<std::string> TMyyTable::HeaderCaptions() const {
  const TTableRecord t(object_->Rec());
  std::vector<std::string> out;
  for (int c = 0; c < columns_; ++c) {
    const int v = t.ColumnValue(c);
    switch (t.ColumnKind(c)) {
      case TColumnKind::Percent: out.push_back(std::to_string(v) + "%"); break;
      case TColumnKind::Fixed: out.push_back(std::to_string(v)); break;
      case TColumnKind::Automatic:
        out.push_back("* (" + std::to_string(c < static_cast<int>(columnWidth_.size()) ? columnWidth_[c] : 0) + ")");
        break;
    }
  }
  return out;
}

void TMyyTable::paintEvent(QPaintEvent* e) {
  QPainter painter(this);
  PaintBackground(painter, e->rect());
}

