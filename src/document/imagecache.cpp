#include "document/imagecache.h"

#include <algorithm>

#include "document/zebobject.h"
#include "document/zebpicture.h"

TImageCache::TImageCache(TServices& services) : services_(services) {}
TImageCache::~TImageCache() = default;

TZEBpicture* TImageCache::CachedPicture(const TZEBoggetto* obj) const {
  for (auto& [o, p] : cache_)
    if (o == obj) return p.get();
  return nullptr;
}

void TImageCache::CacheAdd(TZEBoggetto* obj, std::unique_ptr<TZEBpicture> pic) {
  if (!obj || obj->Kind() != immagine) {
    if (services_.messages) services_.messages->Message(TMsgKind::Error, "What happens? Image cache bug?");
    return;
  }
  if (CachedPicture(obj)) return;
  cache_.emplace_back(obj, std::move(pic));
  int res = services_.system ? services_.system->FreeResourcesPercent() : 100;
  // One eviction per addition, and never the picture just added: the caller
  // is about to use it.
  if (cache_.size() > 1 &&
      (static_cast<int>(cache_.size()) > MaxCacheImg || (cache_.size() > 2 && res < 19)))
    Evict(0);
}

void TImageCache::Evict(size_t i) {
  TZEBpicture* pic = cache_[i].second.get();
  for (IImageView* v : std::vector<IImageView*>(imageViews_))
    if (v->ShowsPicture(pic)) v->DropPicture();
  cache_.erase(cache_.begin() + static_cast<std::ptrdiff_t>(i));
}

void TImageCache::CacheRemove(const TZEBoggetto* obj) {
  if (releasing_) return;
  for (size_t i = 0; i < cache_.size(); ++i)
    if (cache_[i].first == obj) {
      Evict(i);
      return;
    }
}

void TImageCache::ReleaseImageCache(bool atExit) {
  if (releasing_) return;
  releasing_ = true;
  if (atExit) {
    imageViews_.clear();
  } else {
    for (IImageView* v : std::vector<IImageView*>(imageViews_)) {
      bool shows = false;
      for (auto& pr : cache_) shows |= v->ShowsPicture(pr.second.get());
      if (shows) {
        v->DropPicture();
        UnregisterImageView(v);
      }
    }
  }
  while (!cache_.empty()) Evict(0);
  releasing_ = false;
}

void TImageCache::RegisterImageView(IImageView* v) {
  if (std::find(imageViews_.begin(), imageViews_.end(), v) == imageViews_.end()) imageViews_.push_back(v);
}

void TImageCache::UnregisterImageView(IImageView* v) {
  imageViews_.erase(std::remove(imageViews_.begin(), imageViews_.end(), v), imageViews_.end());
}
