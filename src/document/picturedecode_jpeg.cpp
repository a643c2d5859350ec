// JPEG through libjpeg. libjpeg reports errors by longjmp; the jump target
// lives in a function that owns no C++ objects, and the library state is
// released by a session object of its caller.
#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>
#include <jerror.h>

#include "document/picturedecode_internal.h"

namespace picture_internal {
namespace {

// A file with more scans than this is built to stall the decoder.
constexpr int MaxJpegScans = 500;

struct TJpegError {
  jpeg_error_mgr mgr;
  jmp_buf jump;
};

[[noreturn]] void JpegFail(j_common_ptr info) {
  std::longjmp(reinterpret_cast<TJpegError*>(info->err)->jump, 1);
}

// Warnings about damaged entropy data are tolerated (the picture shows with
// blemishes), but running out of data means the file was cut short.
void JpegMessage(j_common_ptr info, int level) {
  if (level < 0) {
    if (info->err->msg_code == JWRN_JPEG_EOF)
      JpegFail(info);
    info->err->num_warnings++;
  }
}

void JpegProgress(j_common_ptr info) {
  if (info->is_decompressor &&
      reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > MaxJpegScans)
    JpegFail(info);
}

struct TJpegSession {
  jpeg_decompress_struct info{};
  TJpegError error{};
  jpeg_progress_mgr progress{};
  ~TJpegSession() { jpeg_destroy_decompress(&info); } // safe on a zeroed struct
};

void StoreJpegRow(const jpeg_decompress_struct& info, const uint8_t* src, uint32_t* dst) {
  const JDIMENSION w = info.output_width;
  if (info.out_color_space == JCS_GRAYSCALE) {
    for (JDIMENSION x = 0; x < w; ++x)
      dst[x] = Argb(255, src[x], src[x], src[x]);
  } else if (info.out_color_space == JCS_CMYK) {
    // Adobe writes CMYK inverted; other writers store plain ink amounts.
    const bool inverted = info.saw_Adobe_marker;
    for (JDIMENSION x = 0; x < w; ++x, src += 4) {
      uint32_t c = src[0], m = src[1], y = src[2], k = src[3];
      if (!inverted) {
        c = 255 - c;
        m = 255 - m;
        y = 255 - y;
        k = 255 - k;
      }
      dst[x] = Argb(255, c * k / 255, m * k / 255, y * k / 255);
    }
  } else {
    for (JDIMENSION x = 0; x < w; ++x, src += 3)
      dst[x] = Argb(255, src[0], src[1], src[2]);
  }
}

bool RunJpeg(TJpegSession& s, const uint8_t* data, size_t size, TDecodedPicture& out,
             std::vector<uint8_t>& row) {
  if (setjmp(s.error.jump))
    return false;
  jpeg_create_decompress(&s.info);
  s.info.progress = &s.progress;
  jpeg_mem_src(&s.info, data, static_cast<unsigned long>(size));
  if (jpeg_read_header(&s.info, TRUE) != JPEG_HEADER_OK)
    return false;
  if (!PictureSizeAllowed(s.info.image_width, s.info.image_height))
    return false;
  switch (s.info.jpeg_color_space) {
  case JCS_GRAYSCALE: s.info.out_color_space = JCS_GRAYSCALE; break;
  case JCS_CMYK:
  case JCS_YCCK: s.info.out_color_space = JCS_CMYK; break;
  default: s.info.out_color_space = JCS_RGB; break;
  }
  jpeg_start_decompress(&s.info);
  const int expected = s.info.out_color_space == JCS_GRAYSCALE ? 1 : s.info.out_color_space == JCS_CMYK ? 4 : 3;
  if (s.info.output_components != expected ||
      !StartSingleFrame(out, TPictureFormat::Jpeg, s.info.output_width, s.info.output_height))
    return false;
  row.resize(size_t(s.info.output_width) * expected);
  uint32_t* pixels = out.frames[0].pixels.data();
  while (s.info.output_scanline < s.info.output_height) {
    const JDIMENSION y = s.info.output_scanline;
    JSAMPROW rows[1] = {row.data()};
    if (jpeg_read_scanlines(&s.info, rows, 1) != 1)
      return false;
    StoreJpegRow(s.info, row.data(), pixels + size_t(y) * s.info.output_width);
  }
  jpeg_finish_decompress(&s.info);
  return true;
}

} // namespace

bool DecodeJpeg(const uint8_t* data, size_t size, TDecodedPicture& out) {
  TJpegSession s;
  s.info.err = jpeg_std_error(&s.error.mgr);
  s.error.mgr.error_exit = JpegFail;
  s.error.mgr.emit_message = JpegMessage;
  s.progress.progress_monitor = JpegProgress;
  std::vector<uint8_t> row;
  return RunJpeg(s, data, size, out, row);
}

} // namespace picture_internal
