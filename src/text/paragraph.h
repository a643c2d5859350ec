// Paragraphs of a rich text: text, per-character records, font changes,
// inline objects and the lines of the last layout.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "text/canvas.h"
#include "text/textstyle.h"

class TZEBset;
class TZEBoggetto;

struct TCharRec {
  int32_t width = 0;    // advance
  int32_t display = 0;  // advance plus justification space
  int32_t height = 0;
  int32_t ascent = 0;
  int32_t fontChange = -1;  // index into the paragraph's font styles
  int32_t object = -1;      // index into the paragraph's inline objects
  int32_t link = -1;        // id of the link target
  int32_t spare = 0;
};

struct TZEBline {
  int first = 0;      // first character
  int count = 0;      // characters
  int maxAscent = 0;
  int height = 0;
  int y = 0;          // from the paragraph's top plus its space above
  int shift = 0;      // added to x by right and centred alignment
  int xStart = 0;     // left margin, plus the indent on the first line
  int used = 0;       // used width
};

// Where layout put an inline object: the character holding it and the top
// left corner of its control in the box.
struct TObjectPlace {
  int charIndex = 0;
  int x = 0, top = 0;
};

// Inline objects as layout and drawing see them; implemented by the page.
struct TInlineMetrics {
  int width = 0, height = 10, ascent = 0;
};
class IInlineHost {
public:
  virtual ~IInlineHost() = default;
  // Readies the object's control for a line of that width; its size and ascent.
  virtual TInlineMetrics MeasureObject(TZEBoggetto* obj, int lineWidth) = 0;
  // Puts the control at (x, top) in the box while drawing.
  virtual void PlaceObject(TZEBoggetto* obj, int x, int top, bool selected) = 0;
};

// The page's object index: what "<$FF......>" markers refer to.
class IObjectIndex {
public:
  virtual ~IObjectIndex() = default;
  virtual TZEBoggetto* IndexedObject(int number) = 0;
  // A table reads its cells from a stored text starting at pos (rows by
  // columns of "...<T>" texts) and leaves pos after them.
  virtual bool ReadTableCells(TZEBoggetto* table, std::string_view text, size_t& pos) {
    (void)table, (void)text, (void)pos;
    return false;
  }
  virtual void WriteTableCells(TZEBoggetto* table, std::string& out) { (void)table, (void)out; }
  // Number of an object in the index, -1 when absent.
  virtual int NumberOf(TZEBoggetto* obj) = 0;
};

// What a paragraph needs from the box that holds it.
struct TTextContext {
  TZEBset* doc = nullptr;
  TCanvas* canvas = nullptr;
  IObjectIndex* index = nullptr;
  IInlineHost* host = nullptr;
  int zoom = 10;           // text zoom in tenths
  int layoutWidth = 0;
  int widest = 0;          // grows when a line overflows
  int cellPadding = -1;    // >= 0 when the box is a table cell
  const std::vector<int>* pasteMap = nullptr;  // renumbering of pasted ids
  // Zoomed canvas font for a resolved font (document character set applied).
  TCanvasFont CanvasFont(const TMyFont& f) const;
};

class TZEBparag {
public:
  uint8_t origin = 0;  // 0 main text, 1 page header, 2 page footer
  int layoutWidth = 0;
  int top = 0, bottom = 0;
  int defaultLineHeight = 0;
  int number = 1;
  std::string text;
  TZEBParaStyle style;
  std::vector<TCharRec> chars;  // text.size() + 1 records
  std::vector<std::unique_ptr<TZEBFontStyle>> fonts;
  std::vector<TZEBoggetto*> objects;
  std::vector<TZEBline> lines;
  std::vector<TObjectPlace> places;  // inline objects as the last layout put them, in text order

  // Style number written as "S" (the base style's table index).
  int StyleNumber() const;
  TMyFont ParagraphFont() const { return style.Font(); }
  // Font in effect at character i (font changes applied, links not).
  TMyFont FontAt(int i) const;
  // The font change and the inline object at character i; null when there is
  // none or the record's index is stale.
  const TZEBFontStyle* FontChangeAt(size_t i) const;
  TZEBoggetto* ObjectAtChar(size_t i) const;

  // Margins used by layout (cell padding included in a cell box).
  int LeftMargin(const TTextContext& ctx) const;
  int RightMargin(const TTextContext& ctx) const;
  int Indent() const;  // 0 for a numbered paragraph with a negative indent

  // A provisional first line so that an unlaid paragraph has a height.
  void AddFirstLine();
  // Breaks the paragraph into lines for ctx.layoutWidth; returns the next top.
  int Layout(TTextContext& ctx, int top);
  // Draws every line as the last layout left it (drawing changes nothing of
  // the layout); characters in [selFrom, selTo) highlighted.
  void Draw(TTextContext& ctx, int selFrom = -1, int selTo = -1) const;
};

using TParagraphs = std::vector<std::unique_ptr<TZEBparag>>;
// Lays out every paragraph from the box's first top and numbers the numbered
// ones (a run of consecutive numbered paragraphs counts from 1); returns the
// next paragraph's top.
int LayoutParagraphs(TTextContext& ctx, TParagraphs& paras);

// Top of a box's first paragraph: its space above plus the padding in a
// cell; else 0 when it has space above, else GlobalMargin or 8.
int FirstParagraphTop(const TTextContext& ctx, const TZEBparag* first);
