// Shared pieces of the picture decoders; not part of the public interface.
#pragma once

#include <cstddef>
#include <cstdint>

#include "document/picturedecode.h"

namespace picture_internal {

// True when a frame of this size stays within the per-frame limits.
bool PictureSizeAllowed(int64_t width, int64_t height);

// Sets out up as a one-frame picture of the given size, every pixel 0.
// Checks the limits first, so nothing is allocated for a refused size.
bool StartSingleFrame(TDecodedPicture& out, TPictureFormat format, int64_t width, int64_t height);

inline uint32_t Argb(uint32_t a, uint32_t r, uint32_t g, uint32_t b) {
  return (a << 24) | (r << 16) | (g << 8) | b;
}

// Each decoder fills out completely or returns false; the caller empties out on failure.
bool DecodeGif(const uint8_t* data, size_t size, TDecodedPicture& out);
bool DecodeJpeg(const uint8_t* data, size_t size, TDecodedPicture& out);
bool DecodePng(const uint8_t* data, size_t size, TDecodedPicture& out);
bool DecodeBmp(const uint8_t* data, size_t size, TDecodedPicture& out);
bool DecodeIco(const uint8_t* data, size_t size, TDecodedPicture& out);

} // namespace picture_internal
