// A picture loaded from a file named by ImageNameL.
#pragma once

#include <string>

#include "document/picturedecode.h"

class TZEBpicture {
public:
  const std::string& ImageNameL() const { return name_; }
  // A different non-empty name loads that file; failure leaves an empty
  // picture and an empty name. An empty name empties the picture.
  void SetImageNameL(const std::string& path);
  bool LoadFromBytes(const uint8_t* data, size_t size);

  bool Empty() const { return pic_.Empty(); }
  int Width() const { return pic_.width; }
  int Height() const { return pic_.height; }
  int FrameCount() const { return static_cast<int>(pic_.frames.size()); }
  TPictureFormat Format() const { return pic_.format; }
  bool IsGif() const { return pic_.format == TPictureFormat::Gif; }
  bool IsMetafile() const { return pic_.format == TPictureFormat::Metafile; }
  bool Transparent() const { return !pic_.frames.empty() && pic_.frames[0].transparent; }
  // Holds no graphic, or is neither a metafile nor transparent.
  bool Opaque() const { return Empty() || (!IsMetafile() && !Transparent()); }
  const TDecodedPicture& Data() const { return pic_; }

private:
  std::string name_;
  TDecodedPicture pic_;
};
