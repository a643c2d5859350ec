#include "document/zebrecord.h"

#include <algorithm>
#include <cstring>

void TRecord::Attach(const uint8_t* base, int size) {
  base_ = base;
  size_ = std::clamp(size, 0, RecordSize);
  own_.reset();
}

void TRecord::Reset(uint8_t fill) {
  base_ = nullptr;
  size_ = 0;
  if (!own_) own_.reset(new uint8_t[RecordSize]);
  std::memset(own_.get(), fill, RecordSize);
}

uint8_t* TRecord::Own() {
  if (!own_) {
    own_.reset(new uint8_t[RecordSize]);
    std::memset(own_.get(), 0xFF, RecordSize);
    if (base_) std::memcpy(own_.get(), base_, size_);
    base_ = nullptr;
  }
  return own_.get();
}

uint8_t TRecord::Byte(int off) const {
  if (off < 0 || off >= RecordSize) return 0xFF;
  if (own_) return own_[off];
  return off < size_ ? base_[off] : 0xFF;
}

int32_t TRecord::I32(int off) const {
  if (own_ && off >= 0 && off + 4 <= RecordSize) return GetI32(own_.get() + off);
  if (base_ && off >= 0 && off + 4 <= size_) return GetI32(base_ + off);
  uint8_t b[4] = {Byte(off), Byte(off + 1), Byte(off + 2), Byte(off + 3)};
  return GetI32(b);
}

int16_t TRecord::I16(int off) const {
  uint8_t b[2] = {Byte(off), Byte(off + 1)};
  return GetI16(b);
}

std::string TRecord::Str(int off, int maxLen) const {
  if (off < 0 || off + 1 + maxLen > RecordSize) return {};
  int n = std::min<int>(Byte(off), maxLen);
  std::string s(n, '\0');
  for (int i = 0; i < n; ++i) s[i] = static_cast<char>(Byte(off + 1 + i));
  return s;
}

void TRecord::Fill(int off, int len, uint8_t v) { std::memset(Own() + off, v, len); }

void TRecord::CopyTo(uint8_t* out) const {
  for (int i = 0; i < RecordSize; ++i) out[i] = Byte(i);
}

