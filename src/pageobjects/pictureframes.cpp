#include "pageobjects/pictureframes.h"

#include "document/zebobject.h"
#include "document/zebpicture.h"
#include "pageobjects/visual.h"

std::shared_ptr<const TPictureFrames> TPictureFrameCache::For(TZEBoggetto* picture) {
  if (!picture) return nullptr;
  if (auto it = entries_.find(picture); it != entries_.end()) return it->second;
  std::shared_ptr<TPictureFrames> frames;
  TZEBpicture* pic = picture->Picture();
  if (pic && !pic->Empty()) {
    frames = std::make_shared<TPictureFrames>();
    frames->format = pic->Format();
    frames->loopCount = pic->Data().loopCount;
    frames->firstTransparent = pic->Transparent();
    for (int i = 0; i < pic->FrameCount(); ++i) {
      QImage img = PictureImage(pic, i);
      if (img.isNull()) break;
      frames->images.push_back(img.convertToFormat(QImage::Format_ARGB32_Premultiplied));
      const int delay = pic->Data().frames[static_cast<size_t>(i)].delayMs;
      frames->delays.push_back(delay < kMinDelayMs ? kDefaultDelayMs : delay);
    }
    if (frames->images.empty()) frames.reset();
  }
  // A picture that does not decode is remembered too: it is not tried again.
  entries_.emplace(picture, frames);
  return frames;
}
