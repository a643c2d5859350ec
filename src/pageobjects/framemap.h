// The frame maps an ebook stores for a page's division: one 58-byte record
// per frame, read one after the other.
#pragma once

#include <QColor>
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

// One frame of a frame map, kept in memory in its stored byte order.
struct TFrameMapRecord {
  static constexpr int Size = 58;
  static constexpr uint32_t ButtonFace = 0x8000000F;  // the system colour index 15
  enum SizeMode : uint8_t { ByPercent = 0, ByFixed = 1, ByEqual = 2 };

  std::array<uint8_t, Size> b{};

  TFrameMapRecord();
  int32_t Id() const { return I32(0); }
  void SetId(int32_t v) { SetI32(0, v); }
  int32_t ParentId() const { return I32(4); }
  void SetParentId(int32_t v) { SetI32(4, v); }
  std::string Name() const;
  void SetName(std::string_view name);  // at most 19 bytes
  uint8_t Placement() const { return b[28]; }
  uint8_t MarginA() const { return b[29]; }
  uint8_t MarginB() const { return b[30]; }
  uint8_t ScrollBars() const { return b[31]; }
  uint8_t HasChildren() const { return b[32]; }
  uint8_t Sizeable() const { return b[33]; }
  int32_t Page() const { return I32(34); }
  int32_t Percent() const { return I32(38); }
  uint32_t DividerColour() const { return static_cast<uint32_t>(I32(46)); }
  uint8_t Border() const { return b[51]; }
  int32_t FixedSize() const { return I32(52); }
  uint8_t DividerThickness() const { return b[56]; }
  uint8_t Mode() const { return b[57]; }

  int32_t I32(int off) const;
  void SetI32(int off, int32_t v);
};

// Records of a map, read one after the other. A record is `recordLength`
// bytes long; a shorter version of the record has fewer fields, a longer one
// has fields this reader skips.
class TFrameMapStream {
public:
  TFrameMapStream(std::string_view data, int recordLength);
  bool AtEnd() const { return data_.size() - pos_ < size_t(length_); }
  // Reads the next record over `rec` (only the bytes the stream has); false at the end.
  bool Read(TFrameMapRecord& rec);
  bool Peek(TFrameMapRecord& rec) const;
  int RecordLength() const { return length_; }
  int framesRead = 0;

private:
  std::string_view data_;
  size_t pos_ = 0;
  int length_;
};

// The Qt colour of a stored colour value (system colours by index).
QColor FrameColour(uint32_t colour);
