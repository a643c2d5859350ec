// Decoding of picture files into plain pixel frames. No toolkit involved:
// the display layer turns frames into its own images.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

enum class TPictureFormat { Unknown, Gif, Jpeg, Png, Bmp, Ico, Metafile };

struct TPictureFrame {
  // Full-canvas frame (already composited for animated GIFs), 0xAARRGGBB per pixel,
  // row-major, width * height entries.
  std::vector<uint32_t> pixels;
  int delayMs = 0;          // display time of the frame (GIF), 0 otherwise
  bool transparent = false; // the frame has at least one transparent pixel
};

struct TDecodedPicture {
  TPictureFormat format = TPictureFormat::Unknown;
  int width = 0;
  int height = 0;
  std::vector<TPictureFrame> frames;
  // GIF looping: 0 repeats for ever, n > 0 repeats n times after the first
  // run, -1 (no looping block) runs once.
  int loopCount = -1;
  bool Empty() const { return frames.empty() || width <= 0 || height <= 0; }
};

// Limits that keep hostile files from exhausting memory.
constexpr int64_t MaxPicturePixels = 40'000'000;   // per frame
constexpr int64_t MaxPictureTotalPixels = 200'000'000; // over all frames
constexpr int MaxPictureSide = 30000;

// Recognises the format from the first bytes.
TPictureFormat SniffPicture(const uint8_t* data, size_t size);

// Decodes data; on any failure (unknown or damaged data, metafiles, limits
// exceeded) returns false and leaves out empty.
bool DecodePicture(const uint8_t* data, size_t size, TDecodedPicture& out);
