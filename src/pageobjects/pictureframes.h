// Pictures as Qt images, made once per picture object for the page that
// shows them: a picture used many times on a page is converted once, and
// decoded once through the document's image cache.
#pragma once

#include <QImage>
#include <memory>
#include <unordered_map>
#include <vector>

#include "document/picturedecode.h"

class TZEBoggetto;

struct TPictureFrames {
  TPictureFormat format = TPictureFormat::Unknown;
  std::vector<QImage> images;  // one per frame, premultiplied
  std::vector<int> delays;     // milliseconds per frame
  int loopCount = -1;          // as the decoder reports it
  bool firstTransparent = false;
  bool Animated() const { return images.size() > 1; }
  QSize Size() const { return images.empty() ? QSize() : images.front().size(); }
};

class TPictureFrameCache {
public:
  // The frames of an immagine object's picture (or of an immagineNew's own
  // picture); null when it has none or it does not decode.
  std::shared_ptr<const TPictureFrames> For(TZEBoggetto* picture);
  void Clear() { entries_.clear(); }
  size_t Size() const { return entries_.size(); }
  // GIF frames asking for less than this are shown this long, as browsers do.
  static constexpr int kMinDelayMs = 20, kDefaultDelayMs = 100;

private:
  std::unordered_map<const TZEBoggetto*, std::shared_ptr<const TPictureFrames>> entries_;
};
