// A table on a page: a text box used as a grid of cell boxes, whose column
// widths come from the column kinds, the cells' contents and the room the
// line gives it.
#pragma once

#include <QImage>
#include <string_view>
#include <vector>

#include "document/records.h"
#include "pageobjects/zebbox.h"

class TZEBpage;

// The width each cell of a row gets, before columns are made even. `kinds`
// and `values` describe the columns; `working` holds the measured widths of
// fixed and automatic columns. Percent columns share what the others leave,
// the remainders of their divisions carried from left to right.
std::vector<int> RowCellWidths(int avail, const std::vector<TColumnKind>& kinds, const std::vector<int>& values,
                               const std::vector<int>& working);

class TMyyTable : public TZEBbox {
  Q_OBJECT
public:
  TMyyTable(TZEBoggetto* table, TZEBpage* page);
  ~TMyyTable() override;

  TZEBoggetto* Object() const { return object_; }
  int Rows() const { return static_cast<int>(cells_.size()); }
  int Columns() const { return columns_; }
  TZEBbox* Cell(int row, int col) const;
  // Whether the cells were read from the text that holds the table.
  bool HasCells() const { return built_; }
  // How many cells a table may make; the rest of a larger table's cells are
  // read past.
  static constexpr int kMaxCells = 1024;

  // Reads the cells from the text that holds the table, row by row; false
  // when the table already has its cells or is reading them.
  bool ReadCells(TZEBbox& reader, std::string_view text, size_t& pos);
  // Reads past `count` cell texts.
  static void SkipCells(int count, std::string_view text, size_t& pos);

  // The width the line offers; lays the grid out again when it changed.
  void SetLayoutWidth(int width);
  void Layout(int width);
  int LastLayoutWidth() const { return lastLayoutWidth_; }
  // The caption of each column: "25%", "120", "* (87)".
  std::vector<std::string> HeaderCaptions() const;
  // Background of the table itself (colour, picture or none).
  void ApplyBackgrounds();

protected:
  void paintEvent(QPaintEvent* e) override;

private:
  void MakeCells();
  void Background(TZEBbox& box, uint32_t value);
  // Lays a cell out at `w` unless it already has that width; places it.
  void PlaceCell(int r, int c, int x, int y, int w);

  TZEBoggetto* object_;
  int columns_ = 0;
  std::vector<std::vector<TZEBbox*>> cells_;
  std::vector<std::vector<int>> laidWidth_;  // width each cell was last laid out at
  std::vector<std::vector<QSize>> cellSize_;
  std::vector<int> columnWidth_;
  int lastLayoutWidth_ = 0;
  int lastRequested_ = -1;
  bool reading_ = false, built_ = false, layingOut_ = false;
};
