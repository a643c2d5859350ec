#include "platform/pngwrite.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <memory>

#include <QImage>

namespace {

struct TFileCloser {
  void operator()(FILE* f) const { std::fclose(f); }
};

// The libpng part, apart so that nothing with a destructor lives across its longjmp.
bool Encode(FILE* out, const QImage& rows, bool alpha) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, info ? &info : nullptr);
    return false;
  }
  png_init_io(png, out);
  png_set_IHDR(png, info, static_cast<png_uint_32>(rows.width()), static_cast<png_uint_32>(rows.height()), 8,
               alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
  png_set_compression_level(png, 1);
  png_write_info(png, info);
  for (int y = 0; y < rows.height(); ++y) png_write_row(png, rows.constScanLine(y));
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

bool WritePagePng(const QImage& picture, const std::string& path) {
  if (picture.isNull()) return false;
  const bool alpha = picture.hasAlphaChannel();
  const QImage rows = picture.convertToFormat(alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
  std::unique_ptr<FILE, TFileCloser> out(std::fopen(path.c_str(), "wb"));
  if (!out) return false;
  const bool written = Encode(out.get(), rows, alpha);
  return std::fclose(out.release()) == 0 && written;
}
