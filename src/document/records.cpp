#include "document/records.h"

#include "document/zebtypes.h"

TBackground TBackground::Decode(uint32_t value) {
  TBackground b;
  if (value < 0x2000000u) {
    b.kind = Kind::Colour;
    b.colour = static_cast<int32_t>(value & 0xFFFFFF);
  } else if ((value >> 24) == 3) {
    b.kind = Kind::Picture;
    b.picture = static_cast<int32_t>(value & 0xFFFFFF);
  }
  return b;
}

TColumnKind TTableRecord::ColumnKind(int c) const {
  if (c < 0 || c >= tablerec::MaxColumns) return TColumnKind::Automatic;
  const uint8_t k = r_.Byte(tablerec::ColumnKinds + c);
  return k == 0 ? TColumnKind::Percent : k == 1 ? TColumnKind::Fixed : TColumnKind::Automatic;
}

int TTableRecord::ColumnValue(int c) const {
  if (c < 0 || c >= tablerec::MaxColumns) return 0;
  return r_.I16(tablerec::ColumnValues + 2 * c);
}

uint32_t CellBackground(const std::string& payload, int row, int col, int columns) {
  if (row < 0 || col < 0 || columns <= 0) return TBackground::kTransparent;
  const size_t at = (static_cast<size_t>(row) * static_cast<size_t>(columns) + static_cast<size_t>(col)) * 4;
  if (at + 4 > payload.size()) return TBackground::kTransparent;
  return static_cast<uint32_t>(GetI32(reinterpret_cast<const uint8_t*>(payload.data()) + at));
}

TZoneSlot TPictureRecord::Zone(int slot) const {
  TZoneSlot z;
  if (slot < 0 || slot >= picturerec::ZoneCount) return z;
  const int at = picturerec::Zones + slot * picturerec::ZoneSize;
  z.target = r_.I32(at);
  z.left = r_.I16(at + 8);
  z.top = r_.I16(at + 10);
  z.width = r_.I16(at + 12);
  z.height = r_.I16(at + 14);
  return z;
}

void SetZone(TRecord& r, int slot, const TZoneSlot& z) {
  if (slot < 0 || slot >= picturerec::ZoneCount) return;
  const int at = picturerec::Zones + slot * picturerec::ZoneSize;
  r.SetI32(at, z.target);
  r.SetI32(at + 4, 0);
  r.SetI16(at + 8, z.left);
  r.SetI16(at + 10, z.top);
  r.SetI16(at + 12, z.width);
  r.SetI16(at + 14, z.height);
}
