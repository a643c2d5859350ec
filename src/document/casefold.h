// Case folding of ebook text: one byte maps to one byte, so folded text keeps
// the offsets of the text it came from.
#pragma once

#include <array>
#include <cstdint>

class TCodePage;

// Lower case of a Unicode code point, for the letters that 8-bit code pages
// hold (Latin, Greek, Cyrillic); other code points are returned unchanged.
uint32_t LowerCodePoint(uint32_t cp);

using TFoldTable = std::array<uint8_t, 256>;

// For each byte of the code page, the byte of its lower-case letter; a byte
// whose lower case the code page cannot hold maps to itself.
TFoldTable MakeFoldTable(const TCodePage& cp);
// Every byte to itself.
TFoldTable IdentityFold();
