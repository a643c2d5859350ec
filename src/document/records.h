// Named fields of the table and picture-on-page records, for every layer
// that reads them (screen, print, copy) and for the ebook builder.
#pragma once

#include <cstdint>
#include <string>

#include "document/zebobject.h"

// Background of a table or a cell as stored: a colour, a picture of the
// document, or nothing.
struct TBackground {
  enum class Kind { Transparent, Colour, Picture };
  Kind kind = Kind::Transparent;
  int32_t colour = 0;   // 0x00BBGGRR when kind is Colour
  int32_t picture = -1; // immagine index when kind is Picture
  static TBackground Decode(uint32_t value);
  static uint32_t EncodeColour(int32_t bgr) { return static_cast<uint32_t>(bgr) & 0xFFFFFF; }
  static uint32_t EncodePicture(int32_t index) { return 0x3000000u | (static_cast<uint32_t>(index) & 0xFFFFFF); }
  static constexpr uint32_t kTransparent = 0x2000000;
};

enum class TColumnKind : uint8_t { Percent = 0, Fixed = 1, Automatic = 2 };

// The tabellaHtml record.
namespace tablerec {
constexpr int ColumnKinds = 5, WidthMode = 55, FixedWidth = 56, HasMain = 81, MainSize = 85, Mode = 95,
              ColumnValues = 97, Rows = 197, Columns = 198, Spacing = 199, WidthPercent = 200, CellLayout1 = 201,
              CellLayout2 = 202, Border = 203, Background = 207, Upgraded = 219;
constexpr int MaxColumns = 50;
constexpr int RecordLength = 220;
}  // namespace tablerec

class TTableRecord {
public:
  explicit TTableRecord(const TRecord& r) : r_(r) {}
  int Rows() const { return r_.Byte(tablerec::Rows); }
  // Columns beyond the 50 the record describes count as automatic.
  int Columns() const { return r_.Byte(tablerec::Columns); }
  int Spacing() const { return r_.Byte(tablerec::Spacing); }
  TColumnKind ColumnKind(int c) const;
  int ColumnValue(int c) const;
  bool WidthInPercent() const { return r_.Byte(tablerec::WidthMode) != 0; }
  int WidthPercent() const { return r_.Byte(tablerec::WidthPercent); }
  int FixedWidth() const { return r_.I16(tablerec::FixedWidth); }
  uint8_t CellLayout1() const { return r_.Byte(tablerec::CellLayout1); }
  uint8_t CellLayout2() const { return r_.Byte(tablerec::CellLayout2); }
  int Border() const { return r_.Byte(tablerec::Border); }
  uint32_t Background() const { return static_cast<uint32_t>(r_.I32(tablerec::Background)); }

private:
  const TRecord& r_;
};

// Cell backgrounds from a table's main payload: R x C values row by row; a
// payload too short leaves the cells it lacks transparent.
uint32_t CellBackground(const std::string& payload, int row, int col, int columns);

// The immagineNew record.
namespace picturerec {
constexpr int Image = 0, Hover = 9, Placement = 13, SyncWidth = 14, SyncHeight = 16, Width = 18, Height = 20,
              Align = 22, Name = 28, Link = 69, Zones = 73, Top = 556, Left = 560, TopPercent = 564,
              LeftPercent = 565;
constexpr int ZoneCount = 30, ZoneSize = 16;
constexpr int RecordLength = 576;
}  // namespace picturerec

// One clickable rectangle of a picture.
struct TZoneSlot {
  int32_t target = -1;  // object id, -1 = empty slot
  int16_t left = 0, top = 0, width = 0, height = 0;
  bool Empty() const { return target == -1; }
};

class TPictureRecord {
public:
  explicit TPictureRecord(const TRecord& r) : r_(r) {}
  int32_t Image() const { return r_.I32(picturerec::Image); }
  int32_t Hover() const { return r_.I32(picturerec::Hover); }
  uint8_t Placement() const { return r_.Byte(picturerec::Placement); }
  bool Absolute() const { return Placement() == 254 || Placement() == 255; }
  int SyncWidth() const { return r_.I16(picturerec::SyncWidth); }
  int SyncHeight() const { return r_.I16(picturerec::SyncHeight); }
  int Width() const { return r_.I16(picturerec::Width); }
  int Height() const { return r_.I16(picturerec::Height); }
  uint8_t Align() const { return r_.Byte(picturerec::Align); }
  int32_t Link() const { return r_.I32(picturerec::Link); }
  TZoneSlot Zone(int slot) const;
  int32_t Top() const { return r_.I32(picturerec::Top); }
  int32_t Left() const { return r_.I32(picturerec::Left); }
  bool TopInPercent() const { return r_.Byte(picturerec::TopPercent) != 0; }
  bool LeftInPercent() const { return r_.Byte(picturerec::LeftPercent) != 0; }

private:
  const TRecord& r_;
};

// Writers used when a picture or table is made (the ebook builder, tests).
void SetZone(TRecord& r, int slot, const TZoneSlot& z);
