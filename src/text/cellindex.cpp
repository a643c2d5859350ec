#include "text/cellindex.h"

#include "document/zebobject.h"
#include "text/markup.h"
#include "document/records.h"

bool TCellTextIndex::ReadTableCells(TZEBoggetto* table, std::string_view text, size_t& pos) {
  if (!table || depth_ >= kMaxDepth) return false;
  const TTableRecord rec(table->Rec());
  std::vector<Cell> cells(static_cast<size_t>(rec.Rows() * rec.Columns()));
  ++depth_;
  for (Cell& c : cells) c = ReadParagraphs(ctx_, text, pos, true);
  --depth_;
  cells_[table] = std::move(cells);
  return true;
}

void TCellTextIndex::WriteTableCells(TZEBoggetto* table, std::string& out) {
  auto it = cells_.find(table);
  if (it == cells_.end() || depth_ >= kMaxDepth) return;
  ++depth_;
  for (const Cell& c : it->second) {
    for (const auto& p : c) WriteParagraph(*p, ctx_, out, TWriteMode::Stored);
    out += "<T>";
  }
  --depth_;
}
