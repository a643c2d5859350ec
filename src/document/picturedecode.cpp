#include "document/picturedecode.h"

#include <cstring>
#include <new>

#include "document/picturedecode_internal.h"

namespace picture_internal {

bool PictureSizeAllowed(int64_t width, int64_t height) {
  return width > 0 && height > 0 && width <= MaxPictureSide && height <= MaxPictureSide &&
         width * height <= MaxPicturePixels;
}

bool StartSingleFrame(TDecodedPicture& out, TPictureFormat format, int64_t width, int64_t height) {
  if (!PictureSizeAllowed(width, height))
    return false;
  out.format = format;
  out.width = static_cast<int>(width);
  out.height = static_cast<int>(height);
  out.frames.assign(1, TPictureFrame{});
  out.frames[0].pixels.assign(static_cast<size_t>(width * height), 0u);
  return true;
}

} // namespace picture_internal

namespace {

bool StartsWith(const uint8_t* data, size_t size, size_t offset, const char* magic, size_t len) {
  return size >= offset + len && std::memcmp(data + offset, magic, len) == 0;
}

// Decoders report their own frames; the result is checked once more here so
// that a slip in any of them can never hand out a malformed picture.
bool WellFormed(const TDecodedPicture& pic) {
  if (pic.Empty() || !picture_internal::PictureSizeAllowed(pic.width, pic.height))
    return false;
  const size_t count = static_cast<size_t>(pic.width) * static_cast<size_t>(pic.height);
  for (const TPictureFrame& f : pic.frames)
    if (f.pixels.size() != count)
      return false;
  return true;
}

void MarkTransparency(TDecodedPicture& pic) {
  for (TPictureFrame& f : pic.frames) {
    f.transparent = false;
    for (uint32_t p : f.pixels)
      if ((p >> 24) != 0xFF) {
        f.transparent = true;
        break;
      }
  }
}

} // namespace

TPictureFormat SniffPicture(const uint8_t* data, size_t size) {
  if (data == nullptr)
    return TPictureFormat::Unknown;
  if (StartsWith(data, size, 0, "GIF87a", 6) || StartsWith(data, size, 0, "GIF89a", 6))
    return TPictureFormat::Gif;
  if (StartsWith(data, size, 0, "\xFF\xD8\xFF", 3))
    return TPictureFormat::Jpeg;
  if (StartsWith(data, size, 0, "\x89PNG\r\n\x1A\n", 8))
    return TPictureFormat::Png;
  if (StartsWith(data, size, 0, "BM", 2))
    return TPictureFormat::Bmp;
  if (StartsWith(data, size, 0, "\x00\x00\x01\x00", 4))
    return TPictureFormat::Ico;
  if (StartsWith(data, size, 0, "\xD7\xCD\xC6\x9A", 4) || StartsWith(data, size, 0, "\x01\x00\x09\x00", 4) ||
      StartsWith(data, size, 0, "\x02\x00\x09\x00", 4) || StartsWith(data, size, 40, " EMF", 4))
    return TPictureFormat::Metafile;
  return TPictureFormat::Unknown;
}

bool DecodePicture(const uint8_t* data, size_t size, TDecodedPicture& out) {
  using namespace picture_internal;
  out = TDecodedPicture{};
  bool ok = false;
  try {
    switch (SniffPicture(data, size)) {
    case TPictureFormat::Gif: ok = DecodeGif(data, size, out); break;
    case TPictureFormat::Jpeg: ok = DecodeJpeg(data, size, out); break;
    case TPictureFormat::Png: ok = DecodePng(data, size, out); break;
    case TPictureFormat::Bmp: ok = DecodeBmp(data, size, out); break;
    case TPictureFormat::Ico: ok = DecodeIco(data, size, out); break;
    // Metafiles are drawing programs for the Windows GDI; there is nothing to run them here.
    case TPictureFormat::Metafile:
    case TPictureFormat::Unknown: ok = false; break;
    }
  } catch (const std::bad_alloc&) {
    ok = false;
  }
  if (ok)
    ok = WellFormed(out);
  if (!ok) {
    out = TDecodedPicture{};
    return false;
  }
  MarkTransparency(out);
  return true;
}
