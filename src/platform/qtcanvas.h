// The text canvas of the application: measures with the font files and draws
// on a QPainter.
//
// Widths are integers and drawing reproduces them exactly: every byte has an
// integer advance (its fractional advance rounded) and a text-out places each
// glyph itself at the integer position those widths give. Qt's own text
// drawing would use the fractional advances and drift away from the laid-out
// line by over 1% on a long run. There is no kerning: layout gives a pair's
// correction to the second character's cell, so a kerned glyph could not be
// drawn where its pair puts it.
//
// Sizes are points at a fixed 96 dpi, so layout does not depend on the screen.
// The font character set is not used to pick a conversion: text is always
// read in the ebook's code page. The symbol font "Wingdings" has its bullets
// mapped to the equivalent Unicode characters.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include <QColor>
#include <QFont>
#include <QPointF>
#include <QRawFont>

#include "document/codepage.h"
#include "text/canvas.h"
#include "text/textstyle.h"

class QPainter;

// Measurements of one font (name, size, bold and italic), built on first use.
struct TQtFace {
  QFont font;
  std::vector<QRawFont> raws;  // [0] the font itself, then fallbacks for missing characters
  std::array<uint32_t, 256> glyph{};
  std::array<uint8_t, 256> raw{};       // which of `raws` draws the byte
  std::array<int32_t, 256> advance{};   // integer advance of each byte
  std::array<bool, 256> blank{};        // nothing to draw (spaces)
  TTextMetrics metrics;
  int pixelSize = 0;
  int underlinePos = 0, strikeOutPos = 0, lineWidth = 1;
};

// Faces shared by the canvases of one ebook (the code page decides the glyphs).
class TQtFontCache {
public:
  explicit TQtFontCache(const TCodePage& codePage) : codePage_(codePage) {}
  std::shared_ptr<TQtFace> Face(const TCanvasFont& f);
  size_t Size() const { return entries_.size(); }
  // Fonts from a file may come in any number of sizes; the least recently
  // used face goes beyond this many.
  static constexpr size_t kMaxFaces = 64;

private:
  struct Entry {
    std::string name;
    int32_t size;
    uint8_t style;
    uint64_t lastUse;
    std::shared_ptr<TQtFace> face;
  };
  std::shared_ptr<TQtFace> Build(const TCanvasFont& f) const;

  TCodePage codePage_;
  std::vector<Entry> entries_;
  uint64_t clock_ = 0;
};

// Pixel size of a font of `points` at 96 dpi, bounded for hostile sizes.
int PixelSizeForPoints(int32_t points);

class TQtCanvas : public TCanvas {
public:
  // `painter` may be null: the canvas then only measures.
  TQtCanvas(QPainter* painter, const TCodePage& codePage);
  TQtCanvas(QPainter* painter, std::shared_ptr<TQtFontCache> cache);
  void SetPainter(QPainter* painter) { painter_ = painter; }
  const std::shared_ptr<TQtFontCache>& Cache() const { return cache_; }

  void SetFont(const TCanvasFont& f) override;
  const TCanvasFont& Font() const override { return font_; }
  TTextMetrics Metrics() override { return face_->metrics; }
  // The em height: the cell height without internal leading.
  int CharHeight() override { return face_->pixelSize; }
  int TextWidth(std::string_view bytes) override;
  int PairWidth(int prev, uint8_t c) override;
  const int32_t* Advances() const override { return face_->advance.data(); }
  void TextOut(int x, int y, std::string_view bytes, const int* advances = nullptr) override;
  void SetTextBackground(bool solid, int32_t colour) override;
  void FillRect(int x, int y, int w, int h, int32_t colour) override;

  static QColor Colour(int32_t bgr) { return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF); }

private:
  void DrawGlyphs(int x, int baseline, std::string_view bytes);

  QPainter* painter_;
  std::shared_ptr<TQtFontCache> cache_;
  std::shared_ptr<TQtFace> face_;
  TCanvasFont font_;
  bool solid_ = false;
  int32_t background_ = 0;
  // Scratch for TextOut.
  std::vector<int> offsets_;
  std::vector<uint32_t> glyphs_;
  std::vector<QPointF> positions_;
};
