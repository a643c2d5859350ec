// Frame map records and the stream they are read from.
#include "pageobjects/framemap.h"

#include <QApplication>
#include <QPalette>

#include "document/strutil.h"

TFrameMapRecord::TFrameMapRecord() {
  SetId(0);
  SetParentId(-1);
  b[31] = 1;  // scroll bars shown
  SetI32(34, -1);
  SetI32(38, 100);
  SetI32(46, int32_t(ButtonFace));
  SetI32(52, 20);
  b[56] = 3;
}

std::string TFrameMapRecord::Name() const { return GetPString(b.data() + 8, 19); }

void TFrameMapRecord::SetName(std::string_view name) {
  std::memset(b.data() + 8, 0, 20);
  PutPString(b.data() + 8, 19, name);
}

int32_t TFrameMapRecord::I32(int off) const { return GetI32(b.data() + off); }
void TFrameMapRecord::SetI32(int off, int32_t v) { PutI32(b.data() + off, v); }

TFrameMapStream::TFrameMapStream(std::string_view data, int recordLength)
    : data_(data), length_(recordLength > 0 ? recordLength : TFrameMapRecord::Size) {}

bool TFrameMapStream::Peek(TFrameMapRecord& rec) const {
  if (AtEnd()) return false;
  std::memcpy(rec.b.data(), data_.data() + pos_, std::min(length_, TFrameMapRecord::Size));
  return true;
}

bool TFrameMapStream::Read(TFrameMapRecord& rec) {
  if (!Peek(rec)) return false;
  pos_ += size_t(length_);
  return true;
}

QColor FrameColour(uint32_t colour) {
  if (colour & 0x80000000u) {
    // System colours by index: 15 is the button face, the frame's usual colour.
    const QPalette pal = QApplication::palette();
    switch (colour & 0xFF) {
      case 5: return pal.color(QPalette::Base);
      case 8: return pal.color(QPalette::Text);
      case 13: return pal.color(QPalette::Highlight);
      default: return pal.color(QPalette::Button);
    }
  }
  return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}
