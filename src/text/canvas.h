// Where text is measured and drawn. The application draws on a QPainter;
// tests and zebtool use the fixed-metrics canvas.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A font as the canvas is asked for it: size already scaled by the text zoom.
struct TCanvasFont {
  std::string name;
  int32_t size = 10;   // points
  uint8_t style = 0;   // fsBold | fsItalic | fsUnderline | fsStrikeOut
  int32_t colour = 0;  // 0x00BBGGRR
  int charset = 1;     // Windows font charset; 1 = default
  bool operator==(const TCanvasFont&) const = default;
};

struct TTextMetrics {
  int height = 0;  // cell height of the font
  int ascent = 0;
};

class TCanvas {
public:
  virtual ~TCanvas() = default;
  virtual void SetFont(const TCanvasFont& f) = 0;
  virtual const TCanvasFont& Font() const = 0;
  virtual TTextMetrics Metrics() = 0;
  // Character height of the font: the cell height without internal leading.
  virtual int CharHeight() { return Metrics().ascent; }
  // Width of the bytes (ebook code page) in the current font.
  virtual int TextWidth(std::string_view bytes) = 0;
  // Width c adds after prev: extent of (prev, c) minus extent of prev; with
  // prev < 0 the extent of c alone.
  virtual int PairWidth(int prev, uint8_t c) = 0;
  // The advance of every byte in the current font, when a byte's width does
  // not depend on the byte before it (PairWidth(prev, c) == table[c] for any
  // prev); null otherwise. Lets a reader measure a run of text in one sweep.
  virtual const int32_t* Advances() const { return nullptr; }
  // Draws the bytes with the top of the text cell at y. When `advances` is
  // given, glyph i is placed at x + the sum of advances[0..i-1].
  virtual void TextOut(int x, int y, std::string_view bytes, const int* advances = nullptr) = 0;
  // Background of text: clear, or solid in a colour.
  virtual void SetTextBackground(bool solid, int32_t colour) = 0;
  virtual void FillRect(int x, int y, int w, int h, int32_t colour) = 0;
  virtual int32_t HighlightColour() const { return 0x6A2400; }       // BGR of the selection brush
  virtual int32_t HighlightTextColour() const { return 0xFFFFFF; }
};

// Deterministic metrics: for a font of size S every character advances
// (S * 3) / 5 pixels, the height is S + S / 4 and the ascent S. Drawing is
// recorded, not rendered.
class TFixedCanvas : public TCanvas {
public:
  struct Op {
    int x, y;
    std::string text;
    TCanvasFont font;
    bool solid;
  };
  void SetFont(const TCanvasFont& f) override {
    font_ = f;
    advances_.fill(Advance());
  }
  const TCanvasFont& Font() const override { return font_; }
  TTextMetrics Metrics() override { return {font_.size + font_.size / 4, font_.size}; }
  int TextWidth(std::string_view bytes) override { return static_cast<int>(bytes.size()) * Advance(); }
  int PairWidth(int, uint8_t) override { return Advance(); }
  const int32_t* Advances() const override { return advances_.data(); }
  void TextOut(int x, int y, std::string_view bytes, const int* = nullptr) override {
    if (record) ops.push_back({x, y, std::string(bytes), font_, solid_});
  }
  void SetTextBackground(bool solid, int32_t) override { solid_ = solid; }
  void FillRect(int, int, int, int, int32_t) override {}
  bool record = true;
  std::vector<Op> ops;

private:
  int Advance() const { return font_.size * 3 / 5; }
  TCanvasFont font_;
  std::array<int32_t, 256> advances_ = MakeAdvances(10 * 3 / 5);
  bool solid_ = false;
  static std::array<int32_t, 256> MakeAdvances(int32_t w) {
    std::array<int32_t, 256> a;
    a.fill(w);
    return a;
  }
};
