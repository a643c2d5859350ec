#include "document/casefold.h"

#include <algorithm>

#include "document/codepage.h"

namespace {

// Latin Extended-A: mostly upper case at even code points, lower at odd ones,
// with the runs that start on an odd code point.
uint32_t LowerLatinExtA(uint32_t cp) {
  if (cp == 0x0130) return 0x0069;  // capital I with dot
  if (cp == 0x0178) return 0x00FF;  // capital Y with diaeresis
  if ((cp >= 0x0139 && cp <= 0x0148) || (cp >= 0x0179 && cp <= 0x017E)) return cp % 2 ? cp + 1 : cp;
  if (cp == 0x0138 || cp == 0x0149 || cp == 0x017F) return cp;
  return cp % 2 ? cp : cp + 1;
}

uint32_t LowerGreek(uint32_t cp) {
  if (cp == 0x0386) return 0x03AC;
  if (cp >= 0x0388 && cp <= 0x038A) return cp + 37;
  if (cp == 0x038C) return 0x03CC;
  if (cp == 0x038E || cp == 0x038F) return cp + 63;
  if (cp >= 0x0391 && cp <= 0x03AB && cp != 0x03A2) return cp + 32;
  return cp;
}

uint32_t LowerCyrillic(uint32_t cp) {
  if (cp >= 0x0400 && cp <= 0x040F) return cp + 80;
  if (cp >= 0x0410 && cp <= 0x042F) return cp + 32;
  if (cp >= 0x0460 && cp <= 0x04BF && cp != 0x0482 && !(cp >= 0x0483 && cp <= 0x0489)) return cp % 2 ? cp : cp + 1;
  return cp;
}

}  // namespace

uint32_t LowerCodePoint(uint32_t cp) {
  if (cp >= 'A' && cp <= 'Z') return cp + 32;
  if (cp < 0xC0) return cp;
  if (cp <= 0xDE) return cp == 0xD7 ? cp : cp + 32;
  if (cp >= 0x0100 && cp <= 0x017F) return LowerLatinExtA(cp);
  if (cp >= 0x0370 && cp <= 0x03FF) return LowerGreek(cp);
  if (cp >= 0x0400 && cp <= 0x04FF) return LowerCyrillic(cp);
  return cp;
}

TFoldTable IdentityFold() {
  TFoldTable t{};
  for (int b = 0; b < 256; ++b) t[b] = static_cast<uint8_t>(b);
  return t;
}

TFoldTable MakeFoldTable(const TCodePage& cp) {
  TFoldTable t = IdentityFold();
  for (int b = 0; b < 256; ++b) {
    const uint32_t from = cp.CodePoint(static_cast<uint8_t>(b));
    const uint32_t to = LowerCodePoint(from);
    if (to == from) continue;
    for (int c = 0; c < 256; ++c)
      if (cp.CodePoint(static_cast<uint8_t>(c)) == to) {
        t[b] = static_cast<uint8_t>(c);
        break;
      }
  }
  return t;
}
