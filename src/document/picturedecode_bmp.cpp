// Windows bitmaps and icons, read by hand. Every offset, palette and row is
// checked against the bytes actually present before it is touched.
#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#include "document/picturedecode_internal.h"

namespace picture_internal {
namespace {

enum : uint32_t { BiRgb = 0, BiRle8 = 1, BiRle4 = 2, BiBitfields = 3, BiAlphaBitfields = 6 };

// Bounded little-endian reads; out-of-range reads fail instead of touching memory.
struct TBytes {
  const uint8_t* p;
  size_t n;
  bool Has(size_t off, size_t len) const { return off <= n && len <= n - off; }
  bool U16(size_t off, uint32_t& v) const {
    if (!Has(off, 2))
      return false;
    v = uint32_t(p[off]) | uint32_t(p[off + 1]) << 8;
    return true;
  }
  bool U32(size_t off, uint32_t& v) const {
    if (!Has(off, 4))
      return false;
    v = uint32_t(p[off]) | uint32_t(p[off + 1]) << 8 | uint32_t(p[off + 2]) << 16 | uint32_t(p[off + 3]) << 24;
    return true;
  }
};

// One colour channel given as a bit mask, scaled to 0..255.
struct TChannel {
  uint32_t mask = 0;
  int shift = 0;
  uint64_t max = 0;
  void Set(uint32_t m) {
    mask = m;
    shift = m != 0 ? std::countr_zero(m) : 0;
    max = m != 0 ? (uint64_t(1) << std::bit_width(m >> shift)) - 1 : 0;
  }
  uint32_t Get(uint32_t v) const { return max == 0 ? 0 : uint32_t(uint64_t((v & mask) >> shift) * 255 / max); }
};

struct TDib {
  int64_t width = 0;
  int64_t height = 0;
  bool topDown = false;
  uint32_t bpp = 0;
  uint32_t compression = BiRgb;
  TChannel red, green, blue, alpha;
  std::array<uint32_t, 256> palette{};
  size_t paletteCount = 0;
  size_t pixelOffset = 0; // from the start of the header
};

// Fields of the header itself: the OS/2 1.x core header or any of the
// BITMAPINFOHEADER family (Windows 3 to 5 and OS/2 2.x share its first fields).
bool ReadHeaderFields(const TBytes& b, TDib& dib, uint32_t& headerSize, uint64_t& colours) {
  uint32_t w = 0, h = 0, bpp = 0;
  if (!b.U32(0, headerSize))
    return false;
  colours = 0;
  if (headerSize == 12) {
    if (!b.U16(4, w) || !b.U16(6, h) || !b.U16(10, bpp))
      return false;
    dib.width = w;
    dib.height = h;
    dib.bpp = bpp;
    return true;
  }
  if (headerSize < 16 || !b.Has(0, headerSize))
    return false;
  if (!b.U32(4, w) || !b.U32(8, h) || !b.U16(14, bpp))
    return false;
  const int32_t sh = static_cast<int32_t>(h);
  if (sh == INT32_MIN)
    return false;
  dib.width = static_cast<int32_t>(w);
  dib.topDown = sh < 0;
  dib.height = sh < 0 ? -int64_t(sh) : sh;
  dib.bpp = bpp;
  uint32_t c = 0;
  if (headerSize >= 20 && !b.U32(16, dib.compression))
    return false;
  if (headerSize >= 36 && b.U32(32, c))
    colours = c;
  // OS/2 2.x reuses 3 and 4 for Huffman and RLE24, which nobody decodes.
  const bool os2 = headerSize != 40 && headerSize != 52 && headerSize != 56 && headerSize < 108;
  if (os2 && dib.compression != BiRgb && dib.compression != BiRle8 && dib.compression != BiRle4)
    return false;
  return true;
}

bool FormatSupported(const TDib& dib) {
  switch (dib.compression) {
  case BiRgb: return dib.bpp == 1 || dib.bpp == 4 || dib.bpp == 8 || dib.bpp == 16 || dib.bpp == 24 || dib.bpp == 32;
  case BiRle8: return dib.bpp == 8;
  case BiRle4: return dib.bpp == 4;
  case BiBitfields:
  case BiAlphaBitfields: return dib.bpp == 16 || dib.bpp == 32;
  default: return false;
  }
}

// Colour masks: in the header from version 3 on, after a version 1 header
// for bit fields, fixed for plain 16 and 32 bits. Returns the bytes they add.
bool ReadMasks(const TBytes& b, uint32_t headerSize, TDib& dib, size_t& extra) {
  extra = 0;
  uint32_t m[4] = {0, 0, 0, 0};
  if (dib.compression == BiBitfields || dib.compression == BiAlphaBitfields) {
    const size_t count = dib.compression == BiAlphaBitfields ? 4 : 3;
    size_t at = 40;
    if (headerSize < 52) {
      at = headerSize;
      extra = count * 4;
    }
    for (size_t i = 0; i < 4; ++i)
      if ((i < count || headerSize >= 56) && !b.U32(at + i * 4, m[i]))
        return false;
  } else if (dib.bpp == 16) {
    m[0] = 0x7C00, m[1] = 0x03E0, m[2] = 0x001F;
  } else if (dib.bpp == 32) {
    m[0] = 0x00FF0000, m[1] = 0x0000FF00, m[2] = 0x000000FF, m[3] = 0xFF000000;
  }
  dib.red.Set(m[0]);
  dib.green.Set(m[1]);
  dib.blue.Set(m[2]);
  dib.alpha.Set(m[3]);
  return true;
}

// Parses the header, masks and palette of a DIB held in b. pixelOffset is
// where the file header says the pixels start (relative to b), or 0 when
// they follow the palette directly.
bool ParseDib(const TBytes& b, size_t pixelOffset, bool icon, TDib& dib) {
  uint32_t headerSize = 0;
  uint64_t colours = 0;
  if (!ReadHeaderFields(b, dib, headerSize, colours) || !FormatSupported(dib))
    return false;
  if (icon) {
    if (dib.topDown)
      return false;
    dib.height /= 2; // the colour bitmap and the transparency mask stacked
  }
  if (!PictureSizeAllowed(dib.width, dib.height))
    return false;
  size_t maskBytes = 0;
  if (!ReadMasks(b, headerSize, dib, maskBytes))
    return false;
  const size_t paletteStart = size_t(headerSize) + maskBytes;
  if (!b.Has(paletteStart, 0))
    return false;
  const size_t entry = headerSize == 12 ? 3 : 4;
  if (dib.bpp <= 8 && colours == 0)
    colours = uint64_t(1) << dib.bpp;
  const bool offsetGiven = pixelOffset >= paletteStart;
  if (pixelOffset > b.n)
    return false;
  const size_t paletteRoom = (offsetGiven ? pixelOffset : b.n) - paletteStart;
  dib.paletteCount = size_t(std::min<uint64_t>({colours, 256, paletteRoom / entry}));
  if (dib.bpp > 8)
    dib.paletteCount = 0;
  for (size_t i = 0; i < dib.paletteCount; ++i) {
    const uint8_t* e = b.p + paletteStart + i * entry;
    dib.palette[i] = Argb(255, e[2], e[1], e[0]);
  }
  if (offsetGiven) {
    dib.pixelOffset = pixelOffset;
  } else {
    const uint64_t end = paletteStart + colours * entry;
    if (end > b.n)
      return false;
    dib.pixelOffset = size_t(end);
  }
  return true;
}

uint64_t RowStride(int64_t width, uint32_t bpp) { return ((uint64_t(width) * bpp + 31) / 32) * 4; }

uint32_t PaletteColour(const TDib& dib, uint32_t index) {
  return index < dib.paletteCount ? dib.palette[index] : Argb(255, 0, 0, 0);
}

uint32_t MaskedColour(const TDib& dib, uint32_t v, bool& alphaSeen) {
  const uint32_t a = dib.alpha.Get(v);
  alphaSeen = alphaSeen || a != 0;
  return Argb(dib.alpha.max != 0 ? a : 255, dib.red.Get(v), dib.green.Get(v), dib.blue.Get(v));
}

void DecodeRow(const TDib& dib, const uint8_t* src, uint32_t* dst, bool& alphaSeen) {
  for (int64_t x = 0; x < dib.width; ++x) {
    switch (dib.bpp) {
    case 1: dst[x] = PaletteColour(dib, (src[x >> 3] >> (7 - (x & 7))) & 1); break;
    case 4: dst[x] = PaletteColour(dib, (src[x >> 1] >> ((x & 1) ? 0 : 4)) & 0x0F); break;
    case 8: dst[x] = PaletteColour(dib, src[x]); break;
    case 16: dst[x] = MaskedColour(dib, uint32_t(src[2 * x]) | uint32_t(src[2 * x + 1]) << 8, alphaSeen); break;
    case 24: dst[x] = Argb(255, src[3 * x + 2], src[3 * x + 1], src[3 * x]); break;
    default: {
      const uint8_t* p = src + 4 * x;
      dst[x] = MaskedColour(dib, uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24,
                            alphaSeen);
    }
    }
  }
}

bool UncompressedFits(const TDib& dib, const TBytes& b) {
  // The last row may lack its padding; some writers leave it out.
  const uint64_t need =
      RowStride(dib.width, dib.bpp) * uint64_t(dib.height - 1) + (uint64_t(dib.width) * dib.bpp + 7) / 8;
  return need <= b.n - dib.pixelOffset;
}

void DecodeUncompressed(const TDib& dib, const TBytes& b, std::vector<uint32_t>& pixels, bool& alphaSeen) {
  const uint64_t stride = RowStride(dib.width, dib.bpp);
  for (int64_t r = 0; r < dib.height; ++r) {
    const int64_t y = dib.topDown ? r : dib.height - 1 - r;
    DecodeRow(dib, b.p + dib.pixelOffset + r * stride, pixels.data() + y * dib.width, alphaSeen);
  }
}

// RLE8 and RLE4. Pixels the stream skips stay transparent.
bool DecodeRle(const TDib& dib, const TBytes& b, std::vector<uint32_t>& pixels) {
  const bool four = dib.compression == BiRle4;
  size_t pos = dib.pixelOffset;
  int64_t x = 0, row = 0;
  auto put = [&](uint32_t index) {
    if (x < dib.width && row < dib.height) {
      const int64_t y = dib.topDown ? row : dib.height - 1 - row;
      pixels[size_t(y * dib.width + x)] = PaletteColour(dib, index);
    }
    ++x;
  };
  while (row < dib.height) {
    if (!b.Has(pos, 2))
      return false;
    const uint32_t count = b.p[pos], value = b.p[pos + 1];
    pos += 2;
    if (count > 0) {
      for (uint32_t i = 0; i < count && x < dib.width; ++i)
        put(four ? ((i & 1) ? value & 0x0F : value >> 4) : value);
      continue;
    }
    if (value == 0) { // end of line
      x = 0;
      ++row;
    } else if (value == 1) { // end of bitmap
      return true;
    } else if (value == 2) { // move right and up
      if (!b.Has(pos, 2))
        return false;
      x += b.p[pos];
      row += b.p[pos + 1];
      pos += 2;
    } else { // literal run, padded to a whole word
      const size_t bytes = four ? (value + 1) / 2 : value;
      if (!b.Has(pos, (bytes + 1) & ~size_t(1)))
        return false;
      for (uint32_t i = 0; i < value && x < dib.width; ++i)
        put(four ? (b.p[pos + i / 2] >> ((i & 1) ? 0 : 4)) & 0x0F : b.p[pos + i]);
      pos += (bytes + 1) & ~size_t(1);
    }
  }
  return true;
}

bool DecodeDibPixels(const TDib& dib, const TBytes& b, TDecodedPicture& out, TPictureFormat format, bool& alphaUsed) {
  const bool rle = dib.compression == BiRle8 || dib.compression == BiRle4;
  // Missing pixel data is found before the frame is allocated.
  if ((!rle && !UncompressedFits(dib, b)) || !StartSingleFrame(out, format, dib.width, dib.height))
    return false;
  std::vector<uint32_t>& pixels = out.frames[0].pixels;
  alphaUsed = false;
  if (rle)
    return DecodeRle(dib, b, pixels);
  bool alphaSeen = false;
  DecodeUncompressed(dib, b, pixels, alphaSeen);
  // Many writers leave the fourth byte zero; an all-zero alpha channel means opaque.
  if (dib.alpha.max != 0 && !alphaSeen)
    for (uint32_t& p : pixels)
      p |= 0xFF000000u;
  alphaUsed = alphaSeen;
  return true;
}

// The icon's 1-bit AND mask follows its colour bitmap; set bits are see-through.
bool ApplyIconMask(const TDib& dib, const TBytes& b, std::vector<uint32_t>& pixels) {
  const uint64_t stride = RowStride(dib.width, 1);
  const uint64_t start = dib.pixelOffset + RowStride(dib.width, dib.bpp) * uint64_t(dib.height);
  if (start > b.n || stride * uint64_t(dib.height) > b.n - start)
    return false;
  for (int64_t r = 0; r < dib.height; ++r) {
    const uint8_t* src = b.p + start + r * stride;
    uint32_t* dst = pixels.data() + (dib.height - 1 - r) * dib.width;
    for (int64_t x = 0; x < dib.width; ++x)
      if ((src[x >> 3] >> (7 - (x & 7))) & 1)
        dst[x] = 0;
  }
  return true;
}

bool DecodeIconDib(const TBytes& b, TDecodedPicture& out) {
  TDib dib;
  if (!ParseDib(b, 0, true, dib))
    return false;
  if (dib.compression == BiRle8 || dib.compression == BiRle4)
    return false; // the mask position after compressed data is undefined
  bool alphaUsed = false;
  if (!DecodeDibPixels(dib, b, out, TPictureFormat::Ico, alphaUsed))
    return false;
  // An icon with a real alpha channel carries its transparency there.
  return alphaUsed || ApplyIconMask(dib, b, out.frames[0].pixels);
}

} // namespace

bool DecodeBmp(const uint8_t* data, size_t size, TDecodedPicture& out) {
  constexpr size_t FileHeader = 14;
  const TBytes file{data, size};
  uint32_t offBits = 0;
  if (!file.U32(10, offBits) || size < FileHeader)
    return false;
  const TBytes b{data + FileHeader, size - FileHeader};
  // An offset that points into the headers is a writer's slip: the pixels
  // then follow the palette.
  const size_t pixelOffset = offBits >= FileHeader ? size_t(offBits) - FileHeader : 0;
  TDib dib;
  if (!ParseDib(b, pixelOffset, false, dib))
    return false;
  bool alphaUsed = false;
  return DecodeDibPixels(dib, b, out, TPictureFormat::Bmp, alphaUsed);
}

bool DecodeIco(const uint8_t* data, size_t size, TDecodedPicture& out) {
  const TBytes file{data, size};
  uint32_t count = 0;
  if (!file.U16(4, count) || count == 0 || !file.Has(6, size_t(count) * 16))
    return false;
  // The largest picture of the directory; more colour bits break a tie.
  int64_t bestArea = -1;
  uint32_t bestBits = 0, bestOffset = 0, bestLength = 0;
  for (uint32_t i = 0; i < count; ++i) {
    const size_t e = 6 + size_t(i) * 16;
    uint32_t bits = 0, length = 0, offset = 0;
    file.U16(e + 6, bits);
    file.U32(e + 8, length);
    file.U32(e + 12, offset);
    const int64_t area = int64_t(data[e] ? data[e] : 256) * (data[e + 1] ? data[e + 1] : 256);
    if (area > bestArea || (area == bestArea && bits > bestBits)) {
      bestArea = area;
      bestBits = bits;
      bestOffset = offset;
      bestLength = length;
    }
  }
  // A cut-off file loses its largest image; a smaller one is no substitute.
  if (!file.Has(bestOffset, bestLength))
    return false;
  const TBytes image{data + bestOffset, bestLength};
  static const uint8_t pngMagic[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (image.Has(0, 8) && std::memcmp(image.p, pngMagic, 8) == 0) {
    if (!DecodePng(image.p, image.n, out))
      return false;
    out.format = TPictureFormat::Ico;
    return true;
  }
  return DecodeIconDib(image, out);
}

} // namespace picture_internal
