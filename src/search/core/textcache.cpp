#include "search/core/textcache.h"

#include <cstring>
#include <thread>

#include "document/plaintext.h"
#include "document/zebset.h"

namespace {
constexpr uint32_t kNotBuilt = UINT32_MAX;     // block index of a page not extracted yet
constexpr uint32_t kNotKept = UINT32_MAX - 1;  // extracted, but over the budget
}  // namespace

struct TPlainTextCache::TFormStore {
  std::vector<TSlot> slots;
  std::vector<TBlock> blocks;
  std::vector<size_t> sizes;  // capacity of each block
  size_t used = 0;            // bytes used in the last block
  int runEnd = -1;            // where the last run of pages ended
  int runLength = 0;          // pages in the next run
};

namespace {
constexpr int kFirstRun = 16, kLongestRun = 1024;  // pages extracted ahead of the one asked for
constexpr int kSplitRun = 64;                      // runs this long are shared with a second thread
}  // namespace

TPlainTextCache::TBlock TPlainTextCache::NewBlock(size_t size) { return std::make_unique_for_overwrite<char[]>(size); }

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

// Room for `size` bytes at the end of the store's blocks (not yet counted as
// used), the blocks staying within `limit` bytes in all; null when they would not.
char* TPlainTextCache::Room(TFormStore& f, size_t size, size_t& reserved, size_t limit) {
  if (f.blocks.empty() || f.used + size > f.sizes.back()) {
    const size_t block = std::max(BlockSize, size);
    if (reserved + block > limit) return nullptr;
    f.blocks.push_back(NewBlock(block));
    f.sizes.push_back(block);
    f.used = 0;
    reserved += block;
  }
  return f.blocks.back().get() + f.used;
}

char* TPlainTextCache::Room(TFormStore& f, size_t size) {
  return Room(f, size, reserved_, OwnLimit());
}

std::string_view TPlainTextCache::SlotText(const TFormStore& f, int page) const {
  const TSlot& s = f.slots[static_cast<size_t>(page)];
  return {f.blocks[s.block].get() + s.offset, s.length};
}

bool TPlainTextCache::Kept(int page, TTextForm form) const {
  const TFormStore* f = forms_[static_cast<int>(form)].get();
  return f && page >= 0 && static_cast<size_t>(page) < f->slots.size() && f->slots[page].block < kNotKept;
}

// Reads straight into the store when there is room for the whole markup (the
// plain text is never longer). A quiet build (on the second thread) touches
// nothing but the store it is given and leaves a page it cannot read unbuilt,
// for the first thread to extract and report.
bool TPlainTextCache::BuildInto(TFormStore& f, int page, TTextForm form, size_t& reserved, size_t limit,
                                std::string& markup, bool quiet) {
  TZEBtesto* p = doc_.Page(page);
  TPayload* pl = p && p->HasMainPayload() ? &p->MainRef() : nullptr;
  char* at = Room(f, pl ? pl->Size() : 0, reserved, limit);
  if (!at) return false;
  std::string_view text;
  if (pl && pl->mem) {
    text = *pl->mem;
  } else if (pl) {
    markup.resize(pl->size);
    const bool read = quiet ? doc_.ReadFileQuietly(pl->filePos, markup.data(), pl->size)
                            : doc_.ReadFile(pl->filePos, markup.data(), pl->size);
    if (!read) return false;
    text = markup;
  }
  const TFoldTable* fold = form == TTextForm::Folded ? &doc_.CodePage().FoldTable() : nullptr;
  const size_t n = pl ? PlainTextInto(text, p->Rec().Byte(195) == 1, fold, at) : 0;
  f.slots[static_cast<size_t>(page)] = TSlot{static_cast<uint32_t>(f.blocks.size() - 1),
                                             static_cast<uint32_t>(at - f.blocks.back().get()), static_cast<uint32_t>(n)};
  f.used += n;
  return true;
}

void TPlainTextCache::BuildRun(TFormStore& f, int first, int last, TTextForm form) {
  const auto buildHere = [&](int from, int to) {
    for (int p = from; p < to; ++p)
      if (f.slots[static_cast<size_t>(p)].block == kNotBuilt &&
          BuildInto(f, p, form, reserved_, OwnLimit(), markup_, false))
        textBytes_ += f.slots[static_cast<size_t>(p)].length;
  };
  if (last - first < kSplitRun || std::thread::hardware_concurrency() < 2) return buildHere(first, last);

  // The second half on another thread, into a store of its own within half of
  // the budget left; its texts are then moved into the form.
  const int mid = first + (last - first) / 2;
  withheld_ = (budget_ > reserved_ ? budget_ - reserved_ : 0) / 2;
  TFormStore part;
  part.slots.assign(f.slots.size(), TSlot{kNotBuilt, 0, 0});
  size_t partReserved = 0;
  std::thread second([&] {
    std::string markup;
    for (int p = mid; p < last; ++p)
      if (f.slots[static_cast<size_t>(p)].block == kNotBuilt)
        BuildInto(part, p, form, partReserved, withheld_, markup, true);
  });
  buildHere(first, mid);
  second.join();
  withheld_ = 0;
  for (int p = mid; p < last; ++p) {
    if (part.slots[static_cast<size_t>(p)].block >= kNotKept) continue;
    const std::string_view text = SlotText(part, p);
    char* at = Room(f, text.size());
    if (!at) break;
    std::memcpy(at, text.data(), text.size());
    f.slots[static_cast<size_t>(p)] = TSlot{static_cast<uint32_t>(f.blocks.size() - 1),
                                            static_cast<uint32_t>(at - f.blocks.back().get()),
                                            static_cast<uint32_t>(text.size())};
    f.used += text.size();
    textBytes_ += text.size();
  }
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
  if (s.block < kNotKept) return SlotText(*f, page);

  // The folded form is the plain form folded, when that is at hand.
  const auto& other = forms_[1 - static_cast<int>(form)];
  if (form == TTextForm::Folded && other && Kept(page, TTextForm::Plain)) {
    const TSlot& o = other->slots[static_cast<size_t>(page)];
    scratch_.assign(other->blocks[o.block].get() + o.offset, o.length);
    doc_.CodePage().Fold(scratch_);
  } else if (s.block == kNotBuilt) {
    // A run from this page on, longer while pages are asked for in order.
    f->runLength = page == f->runEnd ? std::min(f->runLength * 2, kLongestRun) : kFirstRun;
    const int last = static_cast<int>(std::min<int64_t>(int64_t(page) + f->runLength, count));
    BuildRun(*f, page, last, form);
    f->runEnd = last;
    if (s.block < kNotKept) return SlotText(*f, page);
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
