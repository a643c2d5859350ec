#include "text/textstyle.h"

#include <cmath>

#include "document/zebobject.h"

namespace stylerec {

namespace {
struct Field {
  int off;
  int width;  // 1, 2 or 4 bytes
  int32_t def;
};
// Record fields of the paragraph style object, in attribute order; the
// defaults are those of a cleared style.
constexpr Field kFields[paCount] = {
    {74, 4, 0},       {39, 0, 0},   {72, 2, 10},  {78, 1, 0},  {102, 1, 0}, {101, 1, 0},
    {99, 1, 0},       {100, 1, 0},  {98, 1, 1},   {94, 2, -32000}, {96, 2, 0}, {86, 2, 10},
    {88, 2, 10},      {90, 2, 0},   {92, 2, 0},   {81, 4, 0xFF0000}, {79, 2, -1}, {85, 1, 4}};
}  // namespace

int32_t Int(const TZEBoggetto* style, int attr) {
  if (attr < 0 || attr >= paCount || attr == paFontName) return 0;
  const Field& f = kFields[attr];
  if (!style) return f.def;
  const TRecord& r = style->Rec();
  switch (f.width) {
    case 1: return r.Byte(f.off);
    case 2: return r.I16(f.off);
    default: return r.I32(f.off);
  }
}

std::string FontName(const TZEBoggetto* style) { return style ? style->Rec().Str(39, 32) : std::string("Arial"); }

}  // namespace stylerec

// ---------------------------------------------------------------- font style

int32_t TZEBFontStyle::Colour() const { return flags_[0] ? colour_ : stylerec::Int(base_, paFontColour); }
std::string TZEBFontStyle::Name() const { return flags_[1] ? name_ : stylerec::FontName(base_); }
int32_t TZEBFontStyle::Size() const { return flags_[2] ? size_ : stylerec::Int(base_, paFontSize); }
uint8_t TZEBFontStyle::Style() const {
  return flags_[3] ? style_ : static_cast<uint8_t>(stylerec::Int(base_, paStyleFlags));
}
uint8_t TZEBFontStyle::Vertical() const {
  return flags_[4] ? vertical_ : static_cast<uint8_t>(stylerec::Int(base_, paVertical));
}

void TZEBFontStyle::SetColour(int32_t v) {
  flags_[0] = v != stylerec::Int(base_, paFontColour);
  if (flags_[0]) colour_ = v;
}
void TZEBFontStyle::SetName(const std::string& v) {
  flags_[1] = v != stylerec::FontName(base_);
  if (flags_[1]) name_ = v;
}
void TZEBFontStyle::SetSize(int32_t v) {
  flags_[2] = v != stylerec::Int(base_, paFontSize);
  if (flags_[2]) size_ = v;
}
void TZEBFontStyle::SetStyle(uint8_t v) {
  flags_[3] = v != stylerec::Int(base_, paStyleFlags);
  if (flags_[3]) style_ = v;
}
void TZEBFontStyle::SetVertical(uint8_t v) {
  flags_[4] = v != stylerec::Int(base_, paVertical);
  if (flags_[4]) vertical_ = v;
}

void TZEBFontStyle::Assign(const TMyFont& f) {
  SetColour(f.colour);
  SetName(f.name);
  SetSize(f.size);
  SetStyle(f.style);
  SetVertical(f.vertical);
}

TMyFont TZEBFontStyle::Resolved() const { return TMyFont{Name(), Style(), Colour(), Size(), Vertical()}; }

// ---------------------------------------------------------------- paragraph style

int32_t TZEBParaStyle::Get(int attr) const {
  if (attr < 0 || attr >= paCount) return 0;
  return flags_[attr] ? local_[attr] : stylerec::Int(base_, attr);
}

void TZEBParaStyle::Set(int attr, int32_t v) {
  if (attr < 0 || attr >= paCount || attr == paFontName) return;
  if (v == stylerec::Int(base_, attr)) {
    flags_[attr] = false;
  } else {
    flags_[attr] = true;
    local_[attr] = v;
  }
}

std::string TZEBParaStyle::FontName() const { return flags_[paFontName] ? fontName_ : stylerec::FontName(base_); }

void TZEBParaStyle::SetFontName(const std::string& v) {
  flags_[paFontName] = v != stylerec::FontName(base_);
  if (flags_[paFontName]) fontName_ = v;
}

void TZEBParaStyle::Assign(const TZEBParaStyle& o) {
  SetBase(o.base_);
  for (int a = 0; a < paCount; ++a)
    if (a == paFontName)
      SetFontName(o.FontName());
    else
      Set(a, o.Get(a));
}

void TZEBParaStyle::AssignFont(const TMyFont& f) {
  Set(paFontColour, f.colour);
  SetFontName(f.name);
  Set(paFontSize, f.size);
  Set(paStyleFlags, f.style);
  Set(paVertical, f.vertical);
}

TMyFont TZEBParaStyle::Font() const {
  return TMyFont{FontName(), static_cast<uint8_t>(Get(paStyleFlags)), Get(paFontColour), Get(paFontSize),
                 static_cast<uint8_t>(Get(paVertical))};
}

namespace {
// Inches per unit: centimetre, millimetre, inch, point, twelfth of an inch.
double InchesPerUnit(int unit, int dpi) {
  switch (unit) {
    case 0: return 1 / 2.54;
    case 1: return 1 / 25.4;
    case 2: return 1.0;
    case 3: return 1 / 72.0;
    case 4: return 1 / 12.0;
    default: return 1.0 / (dpi > 0 ? dpi : 96);
  }
}
}  // namespace

double TZEBParaStyle::PixelsToUnit(int pixels, int unit, int dpi) {
  if (pixels == 0) return 0;
  return pixels / double(dpi > 0 ? dpi : 96) / InchesPerUnit(unit, dpi);
}

int TZEBParaStyle::UnitToPixels(double value, int unit, int dpi) {
  if (value == 0) return 0;
  return static_cast<int>(std::lround(value * InchesPerUnit(unit, dpi) * (dpi > 0 ? dpi : 96)));
}
