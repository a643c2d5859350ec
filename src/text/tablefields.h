// Fields of a table record (tabellaHtml) that the text converters read.
#pragma once

#include <cstdint>
#include <string>

#include "document/zebobject.h"

namespace tablefields {

inline int Rows(const TZEBoggetto& t) { return t.Rec().Byte(197); }
inline int Columns(const TZEBoggetto& t) { return t.Rec().Byte(198); }
inline int Cells(const TZEBoggetto& t) { return Rows(t) * Columns(t); }
inline int Spacing(const TZEBoggetto& t) { return t.Rec().Byte(199); }
inline int Border(const TZEBoggetto& t) { return t.Rec().Byte(203); }
// Column kind: 0 percent, 1 fixed pixels, 2 automatic.
inline int ColumnKind(const TZEBoggetto& t, int col) { return col < 50 ? t.Rec().Byte(5 + col) : 2; }
inline int ColumnValue(const TZEBoggetto& t, int col) { return col < 50 ? t.Rec().I16(97 + 2 * col) : 0; }
inline bool WidthInPercent(const TZEBoggetto& t) { return t.Rec().Byte(55) != 0; }
inline int WidthPercent(const TZEBoggetto& t) { return t.Rec().Byte(200); }
inline int FixedWidth(const TZEBoggetto& t) { return t.Rec().I16(56); }
inline uint32_t Background(const TZEBoggetto& t) { return static_cast<uint32_t>(t.Rec().I32(207)); }

// Background value of a cell (row by row in the main payload); transparent
// when the payload does not hold it.
inline uint32_t CellBackground(const std::string& payload, int cell) {
  const size_t off = static_cast<size_t>(cell) * 4;
  if (cell < 0 || off + 4 > payload.size()) return 0xFFFFFFFFu;
  const auto* b = reinterpret_cast<const uint8_t*>(payload.data() + off);
  return b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<uint32_t>(b[3]) << 24);
}

// A background value as a colour: true for values below 0x2000000.
inline bool IsColour(uint32_t v) { return v < 0x2000000u; }

}  // namespace tablefields
