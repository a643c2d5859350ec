#include "search/core/textcache.h"

#include <cstring>

#include "document/plaintext.h"
#include "document/zebset.h"

namespace {
constexpr uint32_t kNotBuilt = UINT32_MAX;     // block index of a page not extracted yet
constexpr uint32_t kNotKept = UINT32_MAX - 1;  // extracted, but over the budget
}  // namespace

struct TPlainTextCache::TFormStore {
  std::vector<TSlot> slots;
  std::vector<std::unique_ptr<char[]>> blocks;
  std::vector<size_t> sizes;  // capacity of each block
  size_t used = 0;            // bytes used in the last block
};

TPlainTextCache::TPlainTextCache(TZEBset& doc, size_t budget) : doc_(doc), budget_(budget) {}
TPlainTextCache::~TPlainTextCache() = default;

void TPlainTextCache::Clear() {
  forms_[0].reset();
  forms_[1].reset();
  reserved_ = textBytes_ = 0;
  scratch_ = std::string();
  markup_ = std::string();
}

// The page's markup, read into one buffer reused from page to page.
std::string_view TPlainTextCache::Markup(TZEBtesto& p) {
  TPayload& pl = p.MainRef();
  if (pl.mem) return *pl.mem;
  if (pl.filePos < 0 || pl.size == 0) return {};
  markup_.resize(pl.size);
  if (!doc_.ReadFile(pl.filePos, markup_.data(), pl.size)) return {};
  return markup_;
}

void TPlainTextCache::Extract(int page, TTextForm form, std::string& out) {
  out.clear();
  TZEBtesto* p = doc_.Page(page);
  if (!p || !p->HasMainPayload()) return;
  const TFoldTable* fold = form == TTextForm::Folded ? &doc_.CodePage().FoldTable() : nullptr;
  AppendPlainText(Markup(*p), p->Rec().Byte(195) == 1, fold, out);
}

// Room for `size` bytes at the end of the form's blocks (not yet counted as
// used); null when the budget does not allow it.
char* TPlainTextCache::Room(TFormStore& f, size_t size) {
  if (f.blocks.empty() || f.used + size > f.sizes.back()) {
    const size_t block = std::max(BlockSize, size);
    if (reserved_ + block > budget_) return nullptr;
    f.blocks.push_back(std::make_unique_for_overwrite<char[]>(block));
    f.sizes.push_back(block);
    f.used = 0;
    reserved_ += block;
  }
  return f.blocks.back().get() + f.used;
}

bool TPlainTextCache::Kept(int page, TTextForm form) const {
  const TFormStore* f = forms_[static_cast<int>(form)].get();
  return f && page >= 0 && static_cast<size_t>(page) < f->slots.size() && f->slots[page].block < kNotKept;
}

std::string_view TPlainTextCache::Text(int page, TTextForm form) {
  const int count = doc_.Count(testoHtml);
  if (page < 0 || page >= count) return {};
  auto& f = forms_[static_cast<int>(form)];
  if (!f || f->slots.size() != static_cast<size_t>(count)) {
    if (f) Clear();  // the document's pages changed under the cache
    f = std::make_unique<TFormStore>();
    f->slots.assign(static_cast<size_t>(count), TSlot{kNotBuilt, 0, 0});
  }
  TSlot& s = f->slots[static_cast<size_t>(page)];
  if (s.block < kNotKept) return {f->blocks[s.block].get() + s.offset, s.length};

  // The folded form is the plain form folded, when that is at hand.
  const auto& other = forms_[1 - static_cast<int>(form)];
  if (form == TTextForm::Folded && other && Kept(page, TTextForm::Plain)) {
    const TSlot& o = other->slots[static_cast<size_t>(page)];
    scratch_.assign(other->blocks[o.block].get() + o.offset, o.length);
    doc_.CodePage().Fold(scratch_);
  } else if (s.block == kNotBuilt) {
    // Straight into the cache when there is room for the whole markup.
    TZEBtesto* p = doc_.Page(page);
    const std::string_view markup = p && p->HasMainPayload() ? Markup(*p) : std::string_view();
    if (char* at = Room(*f, markup.size())) {
      const TFoldTable* fold = form == TTextForm::Folded ? &doc_.CodePage().FoldTable() : nullptr;
      const size_t n = PlainTextInto(markup, p->Rec().Byte(195) == 1, fold, at);
      f->used += n;
      textBytes_ += n;
      s = TSlot{static_cast<uint32_t>(f->blocks.size() - 1),
                static_cast<uint32_t>(at - f->blocks.back().get()), static_cast<uint32_t>(n)};
      return {at, n};
    }
    Extract(page, form, scratch_);
  } else {
    Extract(page, form, scratch_);
  }
  if (s.block == kNotBuilt && scratch_.size() <= UINT32_MAX) {
    if (char* at = Room(*f, scratch_.size())) {
      std::memcpy(at, scratch_.data(), scratch_.size());
      f->used += scratch_.size();
      textBytes_ += scratch_.size();
      s = TSlot{static_cast<uint32_t>(f->blocks.size() - 1),
                static_cast<uint32_t>(at - f->blocks.back().get()), static_cast<uint32_t>(scratch_.size())};
      return {at, scratch_.size()};
    }
  }
  s.block = kNotKept;
  return scratch_;
}
