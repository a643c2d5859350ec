// GIF through giflib's record-level reader. DGifSlurp is not used: it keeps
// a raster of each frame's declared size (up to 65535 x 65535) before anything
// can be checked, so frames are read line by line onto the canvas instead.
#include <gif_lib.h>

#include <algorithm>
#include <array>
#include <cstring>

#include "document/picturedecode_internal.h"

namespace picture_internal {
namespace {

struct TGifSource {
  const uint8_t* data;
  size_t size;
  size_t pos;
};

int ReadGifBytes(GifFileType* gif, GifByteType* buf, int len) {
  auto* src = static_cast<TGifSource*>(gif->UserData);
  if (len <= 0)
    return 0;
  const size_t n = std::min(static_cast<size_t>(len), src->size - src->pos);
  std::memcpy(buf, src->data + src->pos, n);
  src->pos += n;
  return static_cast<int>(n);
}

struct TGifCloser {
  GifFileType* gif;
  ~TGifCloser() {
    int error = 0;
    DGifCloseFile(gif, &error);
  }
};

// What a graphic control extension says about the image that follows it.
struct TGifControl {
  int disposal = DISPOSAL_UNSPECIFIED;
  int delayCs = 0;
  int transparentIndex = NO_TRANSPARENT_COLOR;
};

struct TGifState {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> canvas;
  TGifControl control;
  int64_t decodedPixels = 0; // guards the time spent on oversized frames
  int loopCount = -1;
};

bool ReadExtension(GifFileType* gif, TGifState& st) {
  int code = 0;
  GifByteType* block = nullptr;
  if (DGifGetExtension(gif, &code, &block) == GIF_ERROR)
    return false;
  // The looping block: "NETSCAPE2.0", then a sub-block 1, count (LE16).
  const bool looping = code == APPLICATION_EXT_FUNC_CODE && block != nullptr && block[0] == 11 &&
                       std::memcmp(block + 1, "NETSCAPE2.0", 11) == 0;
  if (code == GRAPHICS_EXT_FUNC_CODE && block != nullptr) {
    GraphicsControlBlock gcb;
    if (DGifExtensionToGCB(block[0], block + 1, &gcb) == GIF_OK) {
      st.control.disposal = gcb.DisposalMode;
      st.control.delayCs = gcb.DelayTime;
      st.control.transparentIndex = gcb.TransparentColor;
    }
  }
  while (block != nullptr) {
    if (DGifGetExtensionNext(gif, &block) == GIF_ERROR)
      return false;
    if (looping && block != nullptr && block[0] >= 3 && block[1] == 1)
      st.loopCount = block[2] | (block[3] << 8);
  }
  return true;
}

// The canvas is the logical screen. A screen declared with no area takes the
// first frame's extent instead, so such files still show something.
bool SetUpCanvas(GifFileType* gif, TGifState& st) {
  const GifImageDesc& d = gif->Image;
  int64_t w = gif->SWidth, h = gif->SHeight;
  if (w <= 0 || h <= 0) {
    w = int64_t(d.Left) + d.Width;
    h = int64_t(d.Top) + d.Height;
  }
  if (!PictureSizeAllowed(w, h))
    return false;
  st.width = static_cast<int>(w);
  st.height = static_cast<int>(h);
  st.canvas.assign(static_cast<size_t>(w * h), 0u);
  return true;
}

// Row of the canvas-relative frame that the n-th line read belongs to.
class TLineOrder {
public:
  TLineOrder(int height, bool interlaced) : height_(height), interlaced_(interlaced) {}
  int Next() {
    if (!interlaced_)
      return row_++;
    static constexpr int start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
    while (pass_ < 4) {
      if (row_ < 0)
        row_ = start[pass_];
      if (row_ < height_) {
        const int r = row_;
        row_ += step[pass_];
        return r;
      }
      ++pass_;
      row_ = -1;
    }
    return height_; // not reached: the caller reads exactly height lines
  }

private:
  int height_;
  bool interlaced_;
  int row_ = 0;
  int pass_ = 0;
};

bool SkipImageData(GifFileType* gif) {
  int codeSize = 0;
  GifByteType* block = nullptr;
  if (DGifGetCode(gif, &codeSize, &block) == GIF_ERROR)
    return false;
  while (block != nullptr)
    if (DGifGetCodeNext(gif, &block) == GIF_ERROR)
      return false;
  return true;
}

// Reads the current image's pixels onto the canvas, clipped to it.
bool DrawImage(GifFileType* gif, TGifState& st, const std::array<uint32_t, 256>& palette) {
  const GifImageDesc& d = gif->Image;
  if (d.Width <= 0 || d.Height <= 0)
    return SkipImageData(gif);
  std::vector<GifPixelType> line(static_cast<size_t>(d.Width));
  TLineOrder order(d.Height, d.Interlace);
  const int transparent = st.control.transparentIndex;
  for (int n = 0; n < d.Height; ++n) {
    if (DGifGetLine(gif, line.data(), d.Width) == GIF_ERROR)
      return false;
    const int64_t y = int64_t(d.Top) + order.Next();
    if (y < 0 || y >= st.height)
      continue;
    uint32_t* row = st.canvas.data() + y * st.width;
    const int64_t visible = std::min<int64_t>(d.Width, int64_t(st.width) - d.Left);
    for (int64_t x = 0; x < visible; ++x) {
      const GifPixelType index = line[static_cast<size_t>(x)];
      if (index != transparent)
        row[d.Left + x] = palette[index];
    }
  }
  return true;
}

void ClearRect(TGifState& st, const GifImageDesc& d) {
  const int64_t right = std::min<int64_t>(int64_t(d.Left) + d.Width, st.width);
  const int64_t bottom = std::min<int64_t>(int64_t(d.Top) + d.Height, st.height);
  for (int64_t y = d.Top; y < bottom; ++y)
    for (int64_t x = d.Left; x < right; ++x)
      st.canvas[static_cast<size_t>(y * st.width + x)] = 0;
}

bool ReadFrame(GifFileType* gif, TGifState& st, TDecodedPicture& out) {
  if (DGifGetImageDesc(gif) == GIF_ERROR)
    return false;
  const GifImageDesc& d = gif->Image;
  if (d.Left < 0 || d.Top < 0 || d.Width < 0 || d.Height < 0)
    return false;
  // A frame is decoded in full even where it lies off the canvas, so its
  // size is bounded like a picture of its own.
  const int64_t framePixels = int64_t(d.Width) * d.Height;
  if (framePixels > 0 && !PictureSizeAllowed(d.Width, d.Height))
    return false;
  st.decodedPixels += framePixels;
  if (st.decodedPixels > MaxPictureTotalPixels)
    return false;
  if (out.frames.empty() && !SetUpCanvas(gif, st))
    return false;
  const int64_t canvasPixels = int64_t(st.width) * st.height;
  if (int64_t(out.frames.size() + 1) * canvasPixels > MaxPictureTotalPixels)
    return false;

  const ColorMapObject* map = d.ColorMap != nullptr ? d.ColorMap : gif->SColorMap;
  if (map == nullptr || map->Colors == nullptr)
    return false;
  std::array<uint32_t, 256> palette;
  palette.fill(Argb(255, 0, 0, 0)); // indexes past a short colour map show black
  const int colours = std::clamp(map->ColorCount, 0, 256);
  for (int i = 0; i < colours; ++i)
    palette[i] = Argb(255, map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue);

  std::vector<uint32_t> previous;
  if (st.control.disposal == DISPOSE_PREVIOUS)
    previous = st.canvas;
  if (!DrawImage(gif, st, palette))
    return false;

  TPictureFrame frame;
  frame.pixels = st.canvas;
  frame.delayMs = st.control.delayCs * 10;
  out.frames.push_back(std::move(frame));

  if (st.control.disposal == DISPOSE_BACKGROUND)
    ClearRect(st, d);
  else if (st.control.disposal == DISPOSE_PREVIOUS)
    st.canvas.swap(previous);
  st.control = TGifControl{}; // a control extension governs one image only
  return true;
}

} // namespace

bool DecodeGif(const uint8_t* data, size_t size, TDecodedPicture& out) {
  TGifSource src{data, size, 0};
  int error = 0;
  GifFileType* gif = DGifOpen(&src, ReadGifBytes, &error);
  if (gif == nullptr)
    return false;
  TGifCloser closer{gif};
  TGifState st;
  for (;;) {
    GifRecordType type = UNDEFINED_RECORD_TYPE;
    if (DGifGetRecordType(gif, &type) == GIF_ERROR)
      return false;
    switch (type) {
    case IMAGE_DESC_RECORD_TYPE:
      if (!ReadFrame(gif, st, out))
        return false;
      break;
    case EXTENSION_RECORD_TYPE:
      if (!ReadExtension(gif, st))
        return false;
      break;
    case TERMINATE_RECORD_TYPE:
      out.format = TPictureFormat::Gif;
      out.width = st.width;
      out.height = st.height;
      out.loopCount = st.loopCount;
      return !out.frames.empty();
    default:
      return false;
    }
  }
}

} // namespace picture_internal
