// Basic vocabulary of the ebook store: object kinds, object ids and the
// little-endian field access used by headers and records.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

enum TOggettiHel : uint8_t {
  testoHtml = 0,
  internetLink,
  zipLink,
  genLink,
  keyword,
  immagine,
  mappaClic,
  programma,
  tabellaHtml,
  mappaFrame,
  speclink,
  shortObj,
  custom,
  dbloc,
  spazio4,
  spazio5,
  immagineNew,
  stileParagrafo,
  fontFace,
  formato,
  inputStat,
  inputDin,
  bottoneCGI,
  inizioForm,
  multiMedia,
  none,
  testoHtmlRtf = 26,
};

constexpr int KindCount = 27;

// The kind's name as written in the code and in zebtool output.
const char* KindName(int kind);
// Kind from its name (case-insensitive); -1 when unknown.
int KindFromName(std::string_view name);

using TObjId = int32_t;
constexpr TObjId NoObject = -1;

constexpr TObjId MakeId(int kind, int32_t index) {
  return static_cast<TObjId>((static_cast<uint32_t>(index) & 0xFFFFFFu) |
                             (static_cast<uint32_t>(kind) << 24));
}
constexpr int IdKind(TObjId id) { return static_cast<int>(static_cast<uint32_t>(id) >> 24); }
constexpr int32_t IdIndex(TObjId id) { return static_cast<int32_t>(static_cast<uint32_t>(id) & 0xFFFFFFu); }

// Little-endian access to a byte buffer. Callers check bounds.
inline int32_t GetI32(const uint8_t* p) {
  uint32_t v = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
  return static_cast<int32_t>(v);
}
inline int16_t GetI16(const uint8_t* p) { return static_cast<int16_t>(uint16_t(p[0]) | uint16_t(p[1]) << 8); }
inline void PutI32(uint8_t* p, int32_t v) {
  uint32_t u = static_cast<uint32_t>(v);
  p[0] = u & 0xFF; p[1] = (u >> 8) & 0xFF; p[2] = (u >> 16) & 0xFF; p[3] = (u >> 24) & 0xFF;
}
inline void PutI16(uint8_t* p, int16_t v) {
  uint16_t u = static_cast<uint16_t>(v);
  p[0] = u & 0xFF; p[1] = (u >> 8) & 0xFF;
}

// A length-prefixed string of at most maxLen characters at p (maxLen + 1 bytes).
inline std::string GetPString(const uint8_t* p, int maxLen) {
  int n = p[0] > maxLen ? maxLen : p[0];
  return std::string(reinterpret_cast<const char*>(p + 1), n);
}
inline void PutPString(uint8_t* p, int maxLen, std::string_view s) {
  size_t n = s.size() > size_t(maxLen) ? size_t(maxLen) : s.size();
  p[0] = static_cast<uint8_t>(n);
  std::memcpy(p + 1, s.data(), n);
}
