// Record fields of pictures placed on pages, tables and static form fields,
// read the same way by the screen and the print views.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>

#include "document/zebobject.h"

namespace imagerec {
// `immagine` index of the picture shown, -1 for a picture of the object's own.
inline int32_t PictureIndex(const TZEBoggetto& o) { return o.Rec().I32(0); }
inline int16_t DisplayWidth(const TZEBoggetto& o) { return o.Rec().I16(18); }
inline int16_t DisplayHeight(const TZEBoggetto& o) { return o.Rec().I16(20); }
inline uint8_t Placement(const TZEBoggetto& o) { return o.Rec().Byte(13); }
inline bool Absolute(const TZEBoggetto& o) { return Placement(o) == 254 || Placement(o) == 255; }
}  // namespace imagerec

namespace tablerec {
constexpr int kMaxColumns = 50;
inline int Rows(const TZEBoggetto& o) { return o.Rec().Byte(197); }
inline int Columns(const TZEBoggetto& o) { return std::min<int>(o.Rec().Byte(198), kMaxColumns); }
inline int Spacing(const TZEBoggetto& o) { return o.Rec().Byte(199); }
inline bool WidthInPercent(const TZEBoggetto& o) { return o.Rec().Byte(55) != 0; }
inline int WidthPercent(const TZEBoggetto& o) { return o.Rec().Byte(200); }
inline int FixedWidth(const TZEBoggetto& o) { return o.Rec().I16(56); }
inline int CellLayout1(const TZEBoggetto& o) { return o.Rec().Byte(201); }
inline int CellLayout2(const TZEBoggetto& o) { return o.Rec().Byte(202); }
inline int BorderWidth(const TZEBoggetto& o) { return o.Rec().Byte(203); }
// Column kinds: 0 percent, 1 fixed pixels, 2 automatic.
inline int ColumnKind(const TZEBoggetto& o, int c) { return o.Rec().Byte(5 + c); }
inline int ColumnValue(const TZEBoggetto& o, int c) { return o.Rec().I16(97 + 2 * c); }
inline uint32_t Background(const TZEBoggetto& o) { return static_cast<uint32_t>(o.Rec().I32(207)); }

// A background value: a colour below 0x2000000, a picture (the `immagine`
// index in the low 24 bits) from 0x3000000 to 0x3FFFFFF, else transparent.
struct TBackground {
  enum Kind { Transparent, Colour, Picture } kind = Transparent;
  int32_t value = 0;  // colour (0x00BBGGRR) or picture index
};
inline TBackground DecodeBackground(uint32_t v) {
  if (v < 0x2000000u) return {TBackground::Colour, static_cast<int32_t>(v & 0xFFFFFF)};
  if (v >= 0x3000000u && v <= 0x3FFFFFFu) return {TBackground::Picture, static_cast<int32_t>(v & 0xFFFFFF)};
  return {};
}
// Background of cell (r, c) from the main payload; transparent without one.
inline TBackground CellBackground(const std::string& payload, int columns, int r, int c) {
  const size_t at = (static_cast<size_t>(r) * columns + c) * 4;
  if (at + 4 > payload.size()) return {};
  return DecodeBackground(static_cast<uint32_t>(GetI32(reinterpret_cast<const uint8_t*>(payload.data()) + at)));
}
}  // namespace tablerec

namespace fieldrec {
// Length of a static form field in characters.
inline int SizeInChars(const TZEBoggetto& o) { return o.Rec().Byte(97); }
}  // namespace fieldrec
