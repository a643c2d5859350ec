// Pictures are built in memory with the same libraries (or by hand), then decoded.
#include <cstdio>
#include <cstring>
#include <tuple>
#include <vector>

#include <gif_lib.h>
#include <jpeglib.h>
#include <png.h>
#include <zlib.h>

#include <gtest/gtest.h>

#include "document/picturedecode.h"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint32_t Red = 0xFFFF0000, Green = 0xFF00FF00, Blue = 0xFF0000FF, Black = 0xFF000000, White = 0xFFFFFFFF;

uint32_t At(const TDecodedPicture& pic, size_t frame, int x, int y) {
  return pic.frames.at(frame).pixels.at(size_t(y) * pic.width + x);
}

bool Decode(const Bytes& b, TDecodedPicture& out) { return DecodePicture(b.data(), b.size(), out); }

// ---- GIF ----

int WriteToBytes(GifFileType* gif, const GifByteType* data, int len) {
  auto* out = static_cast<Bytes*>(gif->UserData);
  out->insert(out->end(), data, data + len);
  return len;
}

struct TGifFrameSpec {
  int left, top, width, height;
  std::vector<uint8_t> indexes; // rows in display order
  int delayCs = 0;
  int disposal = DISPOSAL_UNSPECIFIED;
  int transparent = NO_TRANSPARENT_COLOR;
  bool interlace = false;
};

// Four-colour global map: 0 black, 1 red, 2 green, 3 blue.
Bytes MakeGif(int width, int height, const std::vector<TGifFrameSpec>& frames) {
  Bytes out;
  int error = 0;
  GifFileType* gif = EGifOpen(&out, WriteToBytes, &error);
  GifColorType colours[4] = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
  ColorMapObject* map = GifMakeMapObject(4, colours);
  EGifSetGifVersion(gif, true);
  EXPECT_EQ(EGifPutScreenDesc(gif, width, height, 2, 0, map), GIF_OK);
  for (const TGifFrameSpec& f : frames) {
    GraphicsControlBlock gcb{f.disposal, false, f.delayCs, f.transparent};
    GifByteType ext[4];
    EGifGCBToExtension(&gcb, ext);
    EXPECT_EQ(EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, ext), GIF_OK);
    EXPECT_EQ(EGifPutImageDesc(gif, f.left, f.top, f.width, f.height, f.interlace, nullptr), GIF_OK);
    std::vector<int> order;
    if (f.interlace) {
      const int start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
      for (int pass = 0; pass < 4; ++pass)
        for (int y = start[pass]; y < f.height; y += step[pass])
          order.push_back(y);
    } else {
      for (int y = 0; y < f.height; ++y)
        order.push_back(y);
    }
    for (int y : order) {
      std::vector<GifPixelType> line(f.indexes.begin() + y * f.width, f.indexes.begin() + (y + 1) * f.width);
      EXPECT_EQ(EGifPutLine(gif, line.data(), f.width), GIF_OK);
    }
  }
  EGifCloseFile(gif, &error);
  GifFreeMapObject(map);
  return out;
}

// Three frames: a red field, a green square with one see-through pixel that
// is then cleared to the background, and a blue dot in the corner.
Bytes ThreeFrameGif() {
  return MakeGif(4, 4, {{0, 0, 4, 4, std::vector<uint8_t>(16, 1), 10, DISPOSE_DO_NOT, 0},
                        {1, 1, 2, 2, {0, 2, 2, 2}, 20, DISPOSE_BACKGROUND, 0},
                        {3, 3, 1, 1, {3}, 30, DISPOSAL_UNSPECIFIED, 0}});
}

TEST(PictureDecode, AnimatedGifComposesFrames) {
  const Bytes gif = ThreeFrameGif();
  EXPECT_EQ(SniffPicture(gif.data(), gif.size()), TPictureFormat::Gif);
  TDecodedPicture pic;
  ASSERT_TRUE(Decode(gif, pic));
  EXPECT_EQ(pic.format, TPictureFormat::Gif);
  ASSERT_EQ(pic.width, 4);
  ASSERT_EQ(pic.height, 4);
  ASSERT_EQ(pic.frames.size(), 3u);
  EXPECT_EQ(pic.frames[0].delayMs, 100);
  EXPECT_EQ(pic.frames[1].delayMs, 200);
  EXPECT_EQ(pic.frames[2].delayMs, 300);

  for (uint32_t p : pic.frames[0].pixels)
    EXPECT_EQ(p, Red);
  EXPECT_FALSE(pic.frames[0].transparent);

  EXPECT_EQ(At(pic, 1, 1, 1), Red); // the see-through pixel keeps what was below
  EXPECT_EQ(At(pic, 1, 2, 1), Green);
  EXPECT_EQ(At(pic, 1, 1, 2), Green);
  EXPECT_EQ(At(pic, 1, 2, 2), Green);
  EXPECT_EQ(At(pic, 1, 0, 0), Red);
  EXPECT_FALSE(pic.frames[1].transparent);

  for (int y = 1; y <= 2; ++y)
    for (int x = 1; x <= 2; ++x)
      EXPECT_EQ(At(pic, 2, x, y) >> 24, 0u) << x << "," << y;
  EXPECT_EQ(At(pic, 2, 3, 3), Blue);
  EXPECT_EQ(At(pic, 2, 0, 3), Red);
  EXPECT_TRUE(pic.frames[2].transparent);
}

TEST(PictureDecode, GifRestorePreviousInterlaceAndClipping) {
  // Disposal 3 puts back the canvas as it was before the frame.
  TDecodedPicture pic;
  ASSERT_TRUE(Decode(MakeGif(2, 1, {{0, 0, 2, 1, {1, 1}, 0, DISPOSE_DO_NOT},
                                    {0, 0, 1, 1, {2}, 0, DISPOSE_PREVIOUS},
                                    {1, 0, 1, 1, {3}, 0, DISPOSE_DO_NOT}}),
                     pic));
  ASSERT_EQ(pic.frames.size(), 3u);
  EXPECT_EQ(At(pic, 1, 0, 0), Green);
  EXPECT_EQ(At(pic, 2, 0, 0), Red);
  EXPECT_EQ(At(pic, 2, 1, 0), Blue);

  // An interlaced frame comes out in display order.
  std::vector<uint8_t> rows;
  for (int y = 0; y < 11; ++y)
    rows.push_back(uint8_t(y % 4));
  TGifFrameSpec interlaced{0, 0, 1, 11, rows};
  interlaced.interlace = true;
  ASSERT_TRUE(Decode(MakeGif(1, 11, {interlaced}), pic));
  const uint32_t colours[4] = {Black, Red, Green, Blue};
  for (int y = 0; y < 11; ++y)
    EXPECT_EQ(At(pic, 0, 0, y), colours[y % 4]) << y;

  // A frame reaching past the screen is clipped to it.
  Bytes gif = MakeGif(4, 4, {{1, 1, 3, 3, std::vector<uint8_t>(9, 3)}});
  gif[6] = 2, gif[8] = 2; // logical screen now 2 x 2
  ASSERT_TRUE(Decode(gif, pic));
  ASSERT_EQ(pic.width, 2);
  EXPECT_EQ(At(pic, 0, 1, 1), Blue);
  EXPECT_EQ(At(pic, 0, 0, 0), 0u);
  EXPECT_TRUE(pic.frames[0].transparent);

  // A screen without area takes the first frame's extent.
  gif[6] = 0, gif[8] = 0;
  ASSERT_TRUE(Decode(gif, pic));
  EXPECT_EQ(pic.width, 4);
  EXPECT_EQ(pic.height, 4);
}

TEST(PictureDecode, GifDamageIsRefused) {
  const Bytes gif = ThreeFrameGif();
  TDecodedPicture pic;
  for (size_t len = 0; len < gif.size(); ++len) {
    pic.width = 7; // whatever was there before is cleared
    ASSERT_FALSE(DecodePicture(gif.data(), len, pic)) << len;
    EXPECT_TRUE(pic.Empty());
    EXPECT_EQ(pic.format, TPictureFormat::Unknown);
  }
  for (size_t i = 0; i < gif.size(); ++i) {
    Bytes bad = gif;
    bad[i] ^= 0xA5;
    Decode(bad, pic); // must not crash; the result does not matter
  }

  // No global and no local colour map.
  Bytes bare = MakeGif(1, 1, {{0, 0, 1, 1, {1}}});
  bare[10] &= 0x7F;
  bare.erase(bare.begin() + 13, bare.begin() + 13 + 12);
  EXPECT_FALSE(Decode(bare, pic));

  // Screen of 65535 x 65535 and 30000 x 30000: both over the limits.
  Bytes huge = MakeGif(1, 1, {{0, 0, 1, 1, {1}}});
  huge[6] = huge[7] = huge[8] = huge[9] = 0xFF;
  EXPECT_FALSE(Decode(huge, pic));
  huge[6] = huge[8] = 30000 & 0xFF, huge[7] = huge[9] = 30000 >> 8;
  EXPECT_FALSE(Decode(huge, pic));
}

// ---- JPEG ----

Bytes MakeJpeg(int width, int height, int components, J_COLOR_SPACE space, const std::vector<uint8_t>& pixel) {
  jpeg_compress_struct info{};
  jpeg_error_mgr err{};
  info.err = jpeg_std_error(&err);
  jpeg_create_compress(&info);
  unsigned char* mem = nullptr;
  unsigned long memSize = 0;
  jpeg_mem_dest(&info, &mem, &memSize);
  info.image_width = width;
  info.image_height = height;
  info.input_components = components;
  info.in_color_space = space;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 95, TRUE);
  jpeg_start_compress(&info, TRUE);
  std::vector<uint8_t> row;
  for (int x = 0; x < width; ++x)
    row.insert(row.end(), pixel.begin(), pixel.end());
  while (info.next_scanline < info.image_height) {
    JSAMPROW r = row.data();
    jpeg_write_scanlines(&info, &r, 1);
  }
  jpeg_finish_compress(&info);
  Bytes out(mem, mem + memSize);
  jpeg_destroy_compress(&info);
  free(mem);
  return out;
}

void ExpectNear(uint32_t argb, int r, int g, int b) {
  EXPECT_EQ(argb >> 24, 0xFFu);
  EXPECT_NEAR(int((argb >> 16) & 0xFF), r, 6);
  EXPECT_NEAR(int((argb >> 8) & 0xFF), g, 6);
  EXPECT_NEAR(int(argb & 0xFF), b, 6);
}

TEST(PictureDecode, JpegColourSpaces) {
  TDecodedPicture pic;
  const Bytes rgb = MakeJpeg(40, 24, 3, JCS_RGB, {200, 40, 90});
  EXPECT_EQ(SniffPicture(rgb.data(), rgb.size()), TPictureFormat::Jpeg);
  ASSERT_TRUE(Decode(rgb, pic));
  EXPECT_EQ(pic.format, TPictureFormat::Jpeg);
  EXPECT_EQ(pic.width, 40);
  EXPECT_EQ(pic.height, 24);
  ASSERT_EQ(pic.frames.size(), 1u);
  EXPECT_FALSE(pic.frames[0].transparent);
  ExpectNear(At(pic, 0, 0, 0), 200, 40, 90);
  ExpectNear(At(pic, 0, 39, 23), 200, 40, 90);

  ASSERT_TRUE(Decode(MakeJpeg(8, 8, 1, JCS_GRAYSCALE, {120}), pic));
  ExpectNear(At(pic, 0, 3, 3), 120, 120, 120);

  // libjpeg marks CMYK with the Adobe segment, whose values are inverted ink.
  ASSERT_TRUE(Decode(MakeJpeg(8, 8, 4, JCS_CMYK, {255, 0, 0, 255}), pic));
  ExpectNear(At(pic, 0, 4, 4), 255, 0, 0);
}

TEST(PictureDecode, JpegDamageIsRefused) {
  const Bytes jpeg = MakeJpeg(16, 16, 3, JCS_RGB, {10, 200, 30});
  TDecodedPicture pic;
  for (size_t len = 0; len < jpeg.size(); ++len) {
    ASSERT_FALSE(DecodePicture(jpeg.data(), len, pic)) << len;
    EXPECT_TRUE(pic.frames.empty());
  }
  for (size_t i = 0; i < jpeg.size(); ++i) {
    Bytes bad = jpeg;
    bad[i] ^= 0x5A;
    Decode(bad, pic);
  }
  // Frame header claiming 30000 x 30000.
  Bytes huge = jpeg;
  for (size_t i = 2; i + 8 < huge.size(); ++i)
    if (huge[i] == 0xFF && huge[i + 1] == 0xC0) {
      huge[i + 5] = huge[i + 7] = 30000 >> 8;
      huge[i + 6] = huge[i + 8] = 30000 & 0xFF;
      break;
    }
  EXPECT_FALSE(Decode(huge, pic));
}

// ---- PNG ----

void PngWriteBytes(png_structp png, png_bytep data, size_t len) {
  auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + len);
}
void PngFlush(png_structp) {}

Bytes MakeRgbaPng(int width, int height, const std::vector<uint8_t>& rgba) {
  Bytes out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_set_write_fn(png, &out, PngWriteBytes, PngFlush);
  png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < height; ++y)
    png_write_row(png, const_cast<png_bytep>(rgba.data() + y * width * 4));
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

const std::vector<uint8_t> PngPixels = {255, 0, 0, 255, 0, 255, 0, 128, 0, 0, 255, 0,
                                        255, 255, 255, 255, 0, 0, 0, 255, 10, 20, 30, 40};

TEST(PictureDecode, PngWithAlpha) {
  const Bytes png = MakeRgbaPng(3, 2, PngPixels);
  EXPECT_EQ(SniffPicture(png.data(), png.size()), TPictureFormat::Png);
  TDecodedPicture pic;
  ASSERT_TRUE(Decode(png, pic));
  EXPECT_EQ(pic.format, TPictureFormat::Png);
  ASSERT_EQ(pic.width, 3);
  ASSERT_EQ(pic.height, 2);
  EXPECT_EQ(At(pic, 0, 0, 0), Red);
  EXPECT_EQ(At(pic, 0, 1, 0), 0x8000FF00u);
  EXPECT_EQ(At(pic, 0, 2, 0), 0x000000FFu);
  EXPECT_EQ(At(pic, 0, 0, 1), White);
  EXPECT_EQ(At(pic, 0, 2, 1), 0x280A141Eu);
  EXPECT_TRUE(pic.frames[0].transparent);

  for (size_t len = 0; len < png.size(); ++len)
    ASSERT_FALSE(DecodePicture(png.data(), len, pic)) << len;
  for (size_t i = 0; i < png.size(); ++i) {
    Bytes bad = png;
    bad[i] ^= 0x33;
    Decode(bad, pic);
  }
  // IHDR claiming 30000 x 30000, with a matching checksum so only the size is wrong.
  Bytes huge = png;
  const uint8_t side[4] = {0, 0, 30000 >> 8, 30000 & 0xFF};
  std::memcpy(&huge[16], side, 4);
  std::memcpy(&huge[20], side, 4);
  const uLong crc = crc32(0, &huge[12], 17);
  for (int i = 0; i < 4; ++i)
    huge[29 + i] = uint8_t(crc >> (24 - 8 * i));
  EXPECT_FALSE(Decode(huge, pic));
}

// ---- BMP and ICO ----

void Put16(Bytes& b, uint32_t v) { b.push_back(uint8_t(v)), b.push_back(uint8_t(v >> 8)); }
void Put32(Bytes& b, uint32_t v) { Put16(b, v & 0xFFFF), Put16(b, v >> 16); }

Bytes InfoHeader(int32_t width, int32_t height, uint16_t bpp, uint32_t compression, uint32_t colours) {
  Bytes b;
  Put32(b, 40);
  Put32(b, uint32_t(width));
  Put32(b, uint32_t(height));
  Put16(b, 1);
  Put16(b, bpp);
  Put32(b, compression);
  Put32(b, 0);
  Put32(b, 2835), Put32(b, 2835);
  Put32(b, colours);
  Put32(b, 0);
  return b;
}

// File header + info header + palette (BGRx) + pixels.
Bytes MakeBmp(const Bytes& header, const std::vector<uint32_t>& palette, const Bytes& pixels) {
  Bytes b = {'B', 'M'};
  const uint32_t offset = uint32_t(14 + header.size() + palette.size() * 4);
  Put32(b, uint32_t(offset + pixels.size()));
  Put32(b, 0);
  Put32(b, offset);
  b.insert(b.end(), header.begin(), header.end());
  for (uint32_t c : palette)
    Put32(b, c & 0xFFFFFF);
  b.insert(b.end(), pixels.begin(), pixels.end());
  return b;
}

TEST(PictureDecode, BmpLayouts) {
  TDecodedPicture pic;
  // 24 bits, bottom-up: the first stored row is the lowest one.
  const Bytes bgr = {0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255,  // red green blue white
                     0, 0, 0,   0, 0, 0,   0, 0, 0,   0, 0, 255};     // black black black red
  const Bytes bmp24 = MakeBmp(InfoHeader(4, 2, 24, 0, 0), {}, bgr);
  EXPECT_EQ(SniffPicture(bmp24.data(), bmp24.size()), TPictureFormat::Bmp);
  ASSERT_TRUE(Decode(bmp24, pic));
  EXPECT_EQ(pic.format, TPictureFormat::Bmp);
  ASSERT_EQ(pic.width, 4);
  ASSERT_EQ(pic.height, 2);
  EXPECT_EQ(At(pic, 0, 0, 1), Red);
  EXPECT_EQ(At(pic, 0, 1, 1), Green);
  EXPECT_EQ(At(pic, 0, 2, 1), Blue);
  EXPECT_EQ(At(pic, 0, 3, 1), White);
  EXPECT_EQ(At(pic, 0, 0, 0), Black);
  EXPECT_EQ(At(pic, 0, 3, 0), Red);
  EXPECT_FALSE(pic.frames[0].transparent);
  for (size_t len = 0; len < bmp24.size(); ++len)
    ASSERT_FALSE(DecodePicture(bmp24.data(), len, pic)) << len;

  // 8 bits with a palette, top-down, rows padded to 4 bytes.
  const std::vector<uint32_t> palette = {0x000000, 0xFF0000, 0x00FF00};
  ASSERT_TRUE(Decode(MakeBmp(InfoHeader(3, -2, 8, 0, 3), palette, {1, 2, 0, 0, 2, 2, 1, 0}), pic));
  EXPECT_EQ(At(pic, 0, 0, 0), Red);
  EXPECT_EQ(At(pic, 0, 1, 0), Green);
  EXPECT_EQ(At(pic, 0, 2, 0), Black);
  EXPECT_EQ(At(pic, 0, 2, 1), Red);
  // An index past the palette shows black rather than reading beyond it.
  ASSERT_TRUE(Decode(MakeBmp(InfoHeader(1, 1, 8, 0, 3), palette, {200, 0, 0, 0}), pic));
  EXPECT_EQ(At(pic, 0, 0, 0), Black);

  // RLE8 (bottom-up): a run, a literal run, end of line, a skip, end of bitmap.
  const Bytes rle = {3, 1, 0, 3, 2, 0, 2, 0, 0, 0, 0, 2, 1, 1, 2, 2, 0, 1};
  ASSERT_TRUE(Decode(MakeBmp(InfoHeader(6, 3, 8, 1, 3), palette, rle), pic));
  EXPECT_EQ(At(pic, 0, 0, 2), Red);
  EXPECT_EQ(At(pic, 0, 2, 2), Red);
  EXPECT_EQ(At(pic, 0, 3, 2), Green);
  EXPECT_EQ(At(pic, 0, 4, 2), Black);
  EXPECT_EQ(At(pic, 0, 5, 2), Green);
  EXPECT_EQ(At(pic, 0, 0, 1) >> 24, 0u); // skipped pixels stay see-through
  EXPECT_EQ(At(pic, 0, 1, 0), Green);
  EXPECT_EQ(At(pic, 0, 2, 0), Green);
  EXPECT_TRUE(pic.frames[0].transparent);
  // Without its end marker the stream is cut short.
  EXPECT_FALSE(Decode(MakeBmp(InfoHeader(6, 3, 8, 1, 3), palette, Bytes(rle.begin(), rle.end() - 2)), pic));

  // 16 bits as 5-6-5 bit fields, and 32 bits with alpha.
  Bytes fields = InfoHeader(1, 1, 16, 3, 0);
  Put32(fields, 0xF800), Put32(fields, 0x07E0), Put32(fields, 0x001F);
  ASSERT_TRUE(Decode(MakeBmp(fields, {}, {0xE0, 0x07, 0, 0}), pic));
  EXPECT_EQ(At(pic, 0, 0, 0), Green);
  ASSERT_TRUE(Decode(MakeBmp(InfoHeader(2, 1, 32, 0, 0), {}, {0, 0, 255, 128, 0, 0, 0, 0}), pic));
  EXPECT_EQ(At(pic, 0, 0, 0), 0x80FF0000u);
  EXPECT_EQ(At(pic, 0, 1, 0), 0u);
  // All-zero fourth bytes are padding, not transparency.
  ASSERT_TRUE(Decode(MakeBmp(InfoHeader(1, 1, 32, 0, 0), {}, {0, 0, 255, 0}), pic));
  EXPECT_EQ(At(pic, 0, 0, 0), Red);

  // OS/2 core header, 1 bit, palette of 3-byte entries.
  Bytes core = {'B', 'M'};
  Put32(core, 0), Put32(core, 0), Put32(core, 14 + 12 + 6);
  Put32(core, 12), Put16(core, 2), Put16(core, 1), Put16(core, 1), Put16(core, 1);
  core.insert(core.end(), {0, 0, 0, 255, 255, 255, 0x40, 0, 0, 0});
  ASSERT_TRUE(Decode(core, pic));
  EXPECT_EQ(At(pic, 0, 0, 0), Black);
  EXPECT_EQ(At(pic, 0, 1, 0), White);

  // Hostile headers.
  EXPECT_FALSE(Decode(MakeBmp(InfoHeader(30000, 30000, 24, 0, 0), {}, {}), pic));
  EXPECT_FALSE(Decode(MakeBmp(InfoHeader(1, INT32_MIN, 24, 0, 0), {}, {0, 0, 0, 0}), pic));
  EXPECT_FALSE(Decode(MakeBmp(InfoHeader(1, 1, 7, 0, 0), {}, {0, 0, 0, 0}), pic));
  Bytes farOffset = bmp24;
  farOffset[10] = 0xFF, farOffset[11] = 0xFF, farOffset[12] = 0xFF, farOffset[13] = 0x7F;
  EXPECT_FALSE(Decode(farOffset, pic));
  for (size_t i = 0; i < bmp24.size(); ++i) {
    Bytes bad = bmp24;
    bad[i] ^= 0xFF;
    Decode(bad, pic);
  }
}

// Directory of (width, height, bits, image bytes) entries.
Bytes MakeIco(const std::vector<std::tuple<int, int, int, Bytes>>& images) {
  Bytes b = {0, 0, 1, 0};
  Put16(b, uint16_t(images.size()));
  uint32_t offset = uint32_t(6 + 16 * images.size());
  for (const auto& [w, h, bits, data] : images) {
    b.push_back(uint8_t(w)), b.push_back(uint8_t(h)), b.push_back(0), b.push_back(0);
    Put16(b, 1), Put16(b, uint16_t(bits));
    Put32(b, uint32_t(data.size())), Put32(b, offset);
    offset += uint32_t(data.size());
  }
  for (const auto& image : images)
    b.insert(b.end(), std::get<3>(image).begin(), std::get<3>(image).end());
  return b;
}

TEST(PictureDecode, IconTakesLargestImage) {
  // 4 x 2, 24 bits, bottom-up; the AND mask makes the top-left and the
  // bottom-right pixel see-through.
  Bytes dib = InfoHeader(4, 4, 24, 0, 0);
  for (int i = 0; i < 8; ++i)
    dib.insert(dib.end(), {255, 0, 0}); // blue
  dib.insert(dib.end(), {0x10, 0, 0, 0, 0x80, 0, 0, 0});
  Bytes small = InfoHeader(1, 2, 24, 0, 0);
  small.insert(small.end(), {0, 0, 255, 0, 0, 0, 0, 0});
  const Bytes ico = MakeIco({{1, 1, 24, small}, {4, 2, 24, dib}});
  EXPECT_EQ(SniffPicture(ico.data(), ico.size()), TPictureFormat::Ico);
  TDecodedPicture pic;
  ASSERT_TRUE(Decode(ico, pic));
  EXPECT_EQ(pic.format, TPictureFormat::Ico);
  ASSERT_EQ(pic.width, 4);
  ASSERT_EQ(pic.height, 2);
  EXPECT_EQ(At(pic, 0, 0, 0) >> 24, 0u);
  EXPECT_EQ(At(pic, 0, 3, 1) >> 24, 0u);
  EXPECT_EQ(At(pic, 0, 1, 0), Blue);
  EXPECT_EQ(At(pic, 0, 0, 1), Blue);
  EXPECT_TRUE(pic.frames[0].transparent);

  for (size_t len = 0; len < ico.size(); ++len)
    ASSERT_FALSE(DecodePicture(ico.data(), len, pic)) << len;
  for (size_t i = 0; i < ico.size(); ++i) {
    Bytes bad = ico;
    bad[i] ^= 0xFF;
    Decode(bad, pic);
  }

  // A PNG entry goes through the PNG decoder.
  ASSERT_TRUE(Decode(MakeIco({{1, 1, 24, small}, {3, 2, 32, MakeRgbaPng(3, 2, PngPixels)}}), pic));
  EXPECT_EQ(pic.format, TPictureFormat::Ico);
  EXPECT_EQ(pic.width, 3);
  EXPECT_EQ(At(pic, 0, 1, 0), 0x8000FF00u);

  // An entry pointing past the file leaves nothing to decode.
  Bytes dangling = MakeIco({{4, 2, 24, dib}});
  dangling[18] = 0xF0;
  EXPECT_FALSE(Decode(dangling, pic));
}

TEST(PictureDecode, MetafilesAndUnknownDataAreNotDecoded) {
  Bytes placeable = {0xD7, 0xCD, 0xC6, 0x9A, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  Bytes wmf = {1, 0, 9, 0, 0, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  Bytes emf(88, 0);
  emf[0] = 1;
  std::memcpy(&emf[40], " EMF", 4);
  for (const Bytes& b : {placeable, wmf, emf}) {
    EXPECT_EQ(SniffPicture(b.data(), b.size()), TPictureFormat::Metafile);
    TDecodedPicture pic;
    pic.width = pic.height = 5;
    pic.frames.resize(1);
    EXPECT_FALSE(Decode(b, pic));
    EXPECT_TRUE(pic.Empty());
    EXPECT_TRUE(pic.frames.empty());
  }
  const Bytes text = {'h', 'e', 'l', 'l', 'o'};
  EXPECT_EQ(SniffPicture(text.data(), text.size()), TPictureFormat::Unknown);
  EXPECT_EQ(SniffPicture(nullptr, 0), TPictureFormat::Unknown);
  TDecodedPicture pic;
  EXPECT_FALSE(DecodePicture(nullptr, 0, pic));
  EXPECT_FALSE(Decode(text, pic));
}

} // namespace
