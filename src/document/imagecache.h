// Decoded pictures of a document's `immagine` objects, kept for reuse while
// pages are shown, and the views that borrow them.
#pragma once

#include <memory>
#include <utility>
#include <vector>

#include "document/services.h"

class TZEBoggetto;
class TZEBpicture;

// A view showing a cached picture; told to let go of it before it is freed.
class IImageView {
public:
  virtual ~IImageView() = default;
  virtual bool ShowsPicture(const TZEBpicture* pic) const = 0;
  virtual void DropPicture() = 0;
};

class TImageCache {
public:
  explicit TImageCache(TServices& services);
  ~TImageCache();
  TImageCache(const TImageCache&) = delete;
  TImageCache& operator=(const TImageCache&) = delete;

  int MaxCacheImg = 20;
  TZEBpicture* CachedPicture(const TZEBoggetto* obj) const;
  void CacheAdd(TZEBoggetto* obj, std::unique_ptr<TZEBpicture> pic);
  void CacheRemove(const TZEBoggetto* obj);
  void ReleaseImageCache(bool atExit = false);
  int CacheCount() const { return static_cast<int>(cache_.size()); }
  void RegisterImageView(IImageView* v);
  void UnregisterImageView(IImageView* v);

private:
  void Evict(size_t i);

  TServices& services_;
  std::vector<IImageView*> imageViews_;
  std::vector<std::pair<TZEBoggetto*, std::unique_ptr<TZEBpicture>>> cache_;
  bool releasing_ = false;
};
