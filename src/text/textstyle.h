// Text attributes: the resolved font of a run, font changes inside a
// paragraph and a paragraph's attributes over its paragraph style object.
#pragma once

#include <array>
#include <cstdint>
#include <string>

class TZEBoggetto;

// Style flag bits (as in a Windows font style set).
constexpr uint8_t fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8;

// A plain resolved font.
struct TMyFont {
  std::string name;
  uint8_t style = 0;
  int32_t colour = 0;
  int32_t size = 10;
  uint8_t vertical = 0;  // 0 normal, 1 lowered, 2 raised
  bool operator==(const TMyFont&) const = default;
};

// The nineteen paragraph attributes, in their markup key order.
enum TParaAttr : int {
  paFontColour, paFontName, paFontSize, paStyleFlags, paVertical, paParaCode, paAlignment, paNumbering,
  paUnit, paLineHeight, paIndent, paLeft, paRight, paAbove, paBelow, paLinkColour, paLinkSize, paLinkFlags,
  paStyleNumber,  // not an attribute of its own: the "S" key
  paCount = 18
};

// Reads the fields of a paragraph style object (stileParagrafo record).
namespace stylerec {
int32_t Int(const TZEBoggetto* style, int attr);  // every attribute except the font name
std::string FontName(const TZEBoggetto* style);
}  // namespace stylerec

// A font change inside a paragraph: differences from the paragraph's style object.
class TZEBFontStyle {
public:
  explicit TZEBFontStyle(const TZEBoggetto* base = nullptr) : base_(base) {}
  const TZEBoggetto* Base() const { return base_; }
  void SetBase(const TZEBoggetto* b) { base_ = b; }

  int32_t Colour() const;
  std::string Name() const;
  int32_t Size() const;
  uint8_t Style() const;
  uint8_t Vertical() const;
  void SetColour(int32_t v);
  void SetName(const std::string& v);
  void SetSize(int32_t v);
  void SetStyle(uint8_t v);
  void SetVertical(uint8_t v);
  bool Overrides(int i) const { return flags_[i]; }  // 0 colour, 1 name, 2 size, 3 style, 4 vertical

  void Assign(const TMyFont& f);  // all five through the setters
  TMyFont Resolved() const;
  void ClearOverrides() { flags_ = {}; }

private:
  const TZEBoggetto* base_;
  int32_t colour_ = 0, size_ = 10;
  std::string name_;
  uint8_t style_ = 0, vertical_ = 0;
  std::array<bool, 5> flags_{};
};

// The effective attributes of one paragraph: local values with override
// flags over the paragraph style object. Setting a value equal to the base
// clears the flag.
class TZEBParaStyle {
public:
  explicit TZEBParaStyle(const TZEBoggetto* base = nullptr) : base_(base), scratch_(base) {}
  const TZEBoggetto* Base() const { return base_; }
  void SetBase(const TZEBoggetto* b) {
    base_ = b;
    scratch_.SetBase(b);
  }

  // Integer attributes (every attribute but the font name).
  int32_t Get(int attr) const;
  void Set(int attr, int32_t v);
  std::string FontName() const;
  void SetFontName(const std::string& v);
  bool Overrides(int attr) const { return flags_[attr]; }
  void ClearOverrides() { flags_ = {}; }
  // Copies base and every attribute through the setters.
  void Assign(const TZEBParaStyle& o);
  // Only the five font attributes.
  void AssignFont(const TMyFont& f);
  TMyFont Font() const;

  // Distances set and read as real numbers in the style's measure unit.
  static double PixelsToUnit(int pixels, int unit, int screenDpi = 96);
  static int UnitToPixels(double value, int unit, int screenDpi = 96);

  // The font in effect while a paragraph is read.
  TZEBFontStyle& Scratch() { return scratch_; }

private:
  const TZEBoggetto* base_;
  std::array<int32_t, paCount> local_{};
  std::string fontName_;
  std::array<bool, paCount> flags_{};
  TZEBFontStyle scratch_;
};
