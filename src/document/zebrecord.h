// An object's fixed record and where its payloads lie.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "document/zebtypes.h"

constexpr int RecordSize = 668;

// The object's fixed record. Records loaded from a file are read in place from
// the document's record block; the first write makes a private 668-byte copy.
// Bytes past the stored record size read as 0xFF, as if the record had been
// read into a buffer filled with 0xFF.
class TRecord {
public:
  TRecord() = default;
  void Attach(const uint8_t* base, int size);  // read-only view of a stored record
  void Reset(uint8_t fill);                     // private record filled with `fill`

  uint8_t Byte(int off) const;
  int16_t I16(int off) const;
  int32_t I32(int off) const;
  std::string Str(int off, int maxLen) const;
  void SetByte(int off, uint8_t v) { Own()[off] = v; }
  void SetI16(int off, int16_t v) { PutI16(Own() + off, v); }
  void SetI32(int off, int32_t v) { PutI32(Own() + off, v); }
  void SetStr(int off, int maxLen, std::string_view s) { PutPString(Own() + off, maxLen, s); }
  void Fill(int off, int len, uint8_t v);
  // All 668 bytes (makes the record private).
  uint8_t* Own();
  void CopyTo(uint8_t* out) const;

private:
  const uint8_t* base_ = nullptr;
  int size_ = 0;
  std::unique_ptr<uint8_t[]> own_;
};

// A payload either lies in the ebook file (position and size) or in memory.
struct TPayload {
  int64_t filePos = -1;  // absolute position in the open file, -1 when in memory or absent
  uint32_t size = 0;
  std::unique_ptr<std::string> mem;
  bool Present() const { return mem ? true : (filePos >= 0 && size > 0); }
  uint32_t Size() const { return mem ? static_cast<uint32_t>(mem->size()) : (filePos >= 0 ? size : 0); }
  void Reset() { filePos = -1; size = 0; mem.reset(); }
};
