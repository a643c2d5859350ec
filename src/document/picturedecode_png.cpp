// PNG through libpng. libpng reports errors by longjmp; as for JPEG, the
// jump target owns no C++ objects and a session object releases the state.
#include <csetjmp>
#include <cstring>

#include <png.h>

#include "document/picturedecode_internal.h"

namespace picture_internal {
namespace {

struct TPngSource {
  const uint8_t* data;
  size_t size;
  size_t pos;
};

void ReadPngBytes(png_structp png, png_bytep buf, size_t len) {
  auto* src = static_cast<TPngSource*>(png_get_io_ptr(png));
  if (len > src->size - src->pos)
    png_error(png, "truncated");
  std::memcpy(buf, src->data + src->pos, len);
  src->pos += len;
}

// libpng's default handlers print to stderr; these stay quiet.
[[noreturn]] void PngFail(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void PngWarning(png_structp, png_const_charp) {}

struct TPngSession {
  png_structp png = nullptr;
  png_infop info = nullptr;
  ~TPngSession() { png_destroy_read_struct(&png, info != nullptr ? &info : nullptr, nullptr); }
};

// Whatever the stored layout, libpng hands out 8-bit RGBA rows.
void RequestRgba(png_structp png, png_infop info) {
  const int colour = png_get_color_type(png, info);
  const int depth = png_get_bit_depth(png, info);
  if (colour == PNG_COLOR_TYPE_PALETTE)
    png_set_palette_to_rgb(png);
  if (colour == PNG_COLOR_TYPE_GRAY && depth < 8)
    png_set_expand_gray_1_2_4_to_8(png);
  if (png_get_valid(png, info, PNG_INFO_tRNS))
    png_set_tRNS_to_alpha(png);
  if (depth == 16)
    png_set_scale_16(png);
  if (colour == PNG_COLOR_TYPE_GRAY || colour == PNG_COLOR_TYPE_GRAY_ALPHA)
    png_set_gray_to_rgb(png);
  png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
}

bool RunPng(TPngSession& s, TPngSource& src, TDecodedPicture& out, std::vector<png_bytep>& rows) {
  if (setjmp(png_jmpbuf(s.png)))
    return false;
  png_set_user_limits(s.png, MaxPictureSide, MaxPictureSide);
  png_set_chunk_malloc_max(s.png, 8'000'000);
  png_set_read_fn(s.png, &src, ReadPngBytes);
  png_read_info(s.png, s.info);
  const png_uint_32 w = png_get_image_width(s.png, s.info);
  const png_uint_32 h = png_get_image_height(s.png, s.info);
  if (!PictureSizeAllowed(w, h))
    return false;
  RequestRgba(s.png, s.info);
  if (png_get_bit_depth(s.png, s.info) != 8 || png_get_channels(s.png, s.info) != 4 ||
      png_get_rowbytes(s.png, s.info) != size_t(w) * 4)
    return false;
  if (!StartSingleFrame(out, TPictureFormat::Png, w, h))
    return false;
  uint32_t* pixels = out.frames[0].pixels.data();
  rows.resize(h);
  for (png_uint_32 y = 0; y < h; ++y)
    rows[y] = reinterpret_cast<png_bytep>(pixels + size_t(y) * w);
  png_read_image(s.png, rows.data());
  png_read_end(s.png, nullptr); // reaching IEND tells a complete file from a cut one
  // Rows hold R, G, B, A bytes; turn each into one 0xAARRGGBB value in place.
  for (size_t i = 0, n = size_t(w) * h; i < n; ++i) {
    const auto* b = reinterpret_cast<const uint8_t*>(pixels + i);
    pixels[i] = Argb(b[3], b[0], b[1], b[2]);
  }
  return true;
}

} // namespace

bool DecodePng(const uint8_t* data, size_t size, TDecodedPicture& out) {
  TPngSession s;
  s.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, PngFail, PngWarning);
  if (s.png == nullptr)
    return false;
  s.info = png_create_info_struct(s.png);
  if (s.info == nullptr)
    return false;
  TPngSource src{data, size, 0};
  std::vector<png_bytep> rows;
  return RunPng(s, src, out, rows);
}

} // namespace picture_internal
