// The printable text of a page, and of a table cell: the page's paragraphs
// read again at printer resolution, laid out at the sheet's width and printed
// one window at a time.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "printing/printables.h"
#include "text/paragraph.h"

class TZEBtesto;
class TMyyTableP;

// A line of a printed paragraph: the screen line's fields in printer pixels.
using TZEBlineP = TZEBline;

// A printed paragraph: the screen paragraph's fields in printer pixels, and
// its place in its box.
struct TZEBparagP {
  std::unique_ptr<TZEBparag> para;
  int index = 0;
  bool holdsTable = false;
};

class TZEBboxP : public TPrintual, public IInlineHost {
public:
  explicit TZEBboxP(TZEBpageP* job, const TZEBoggetto* cellOf = nullptr);
  ~TZEBboxP() override;

  // Builds the printables of the text's objects, then reads the header
  // (origin 1), the main text from mainStart (origin 0) and the footer (origin 2).
  void Build(TZEBtesto* text, size_t mainStart);
  // Reads one table cell's paragraphs from a stream, leaving pos after them.
  void ReadCell(std::string_view stream, size_t& pos);
  // Lays the paragraphs out at the width; returns the text height.
  int Layout(int width);
  // Numbered paragraphs count 1, 2, 3... in runs.
  void Renumber();

  int ParagraphCount() const { return static_cast<int>(paras_.size()); }
  TZEBparagP& Paragraph(int i) { return paras_[i]; }
  int HeaderCount() const { return headerCount_; }
  int FooterCount() const { return footerCount_; }
  int LayoutWidth() const { return layoutWidth_; }
  int Widest() const { return widest_; }
  int TextHeight() const { return textHeight_; }
  int CellPadding() const { return cellPadding_; }
  void SetCellPadding(int p) { cellPadding_ = p; }

  // Background: colour (0x00BBGGRR), picture (an `immagine` object) or none.
  void SetBackColour(int32_t c) { backColour_ = c; }
  void SetBackPicture(TZEBoggetto* p) { backPicture_ = p; }
  void SetNoBackground(bool on) { noBackground_ = on; }
  // Paints the background over the rectangle, tiles starting at origin.
  void PaintBackground(QPainter& painter, const QRect& rect, QPoint origin) const;

  // Prints paragraph i's lines that lie in the window.
  void PrintParagraph(QPainter& painter, int i, const TPrintWindow& window);
  // Prints every paragraph that lies in the window (table cells).
  void Print(QPainter& painter, const TPrintWindow& window) override;

  TInlineMetrics MeasureObject(TZEBoggetto* obj, int lineWidth) override;
  void PlaceObject(TZEBoggetto* obj, int x, int top, bool selected) override;

  TMyyPrintual* PrintableOf(const TZEBoggetto* obj) const;

private:
  class TIndex;
  TTextContext Context();
  void ReadPart(const std::string& markup, size_t pos, uint8_t origin, TZEBtesto* part);
  void AddPrintables(TZEBtesto* part);
  void ConvertDistances(TZEBparag& p) const;
  void PrintLines(TZEBparag& p, const TPrintWindow& window);

  const TZEBoggetto* cellOf_;
  std::vector<TZEBparagP> paras_;
  std::vector<std::unique_ptr<TMyyPrintual>> printables_;
  std::map<const TZEBoggetto*, TMyyPrintual*> byObject_;
  std::unique_ptr<TIndex> index_;  // of the part being read
  QPainter* painter_ = nullptr;    // while printing
  TPrintWindow window_;
  int headerCount_ = 0, footerCount_ = 0;
  int layoutWidth_ = 0, widest_ = 0, textHeight_ = 0;
  int cellPadding_ = -1;
  int updateCount_ = 0;
  int32_t backColour_ = 0xF0F0F0;
  TZEBoggetto* backPicture_ = nullptr;
  bool noBackground_ = false;
  int minHalfWidth_ = 10;
  friend class TMyyTableP;
};

// A table: a grid of cell boxes, laid out at the paper's width.
class TMyyTableP : public TMyyPrintual {
public:
  TMyyTableP(TZEBpageP* job, TZEBoggetto* table);
  ~TMyyTableP() override;
  // Reads rows by columns of cells from the stream.
  void ReadCells(std::string_view stream, size_t& pos);
  void Prepare(int lineWidth) override;
  int Ascent() const override { return height_; }
  void Print(QPainter& painter, const TPrintWindow& window) override;

  int Rows() const { return rows_; }
  int Columns() const { return cols_; }
  TZEBboxP* Cell(int r, int c) const;
  int LastLayoutWidth() const { return lastWidth_; }

private:
  std::vector<int> ColumnWidths(int avail) const;
  void PrintCell(QPainter& painter, TZEBboxP& cell, int r, int c, const TPrintWindow& window);

  int rows_ = 0, cols_ = 0;
  std::vector<std::unique_ptr<TZEBboxP>> cells_;  // row by row
  int lastWidth_ = -1;
  int spacingX_ = 0, spacingY_ = 0;
};
