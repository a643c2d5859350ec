// Plain texts of the pages of one open ebook, extracted once and kept for the
// searches that follow. Two forms are kept, each built on first use: the text
// as it is and the text folded to lower case. Folding maps byte to byte, so
// offsets are the same in both forms.
//
// Memory: the texts live in blocks of BlockSize bytes; the blocks of both
// forms together never exceed the budget (DefaultBudget unless given). A page
// whose text does not fit any more is extracted again each time it is asked
// for. Besides the blocks, 12 bytes per page and form.
//
// Pages are extracted in runs ahead of the page asked for, runs that grow
// while the reader goes on page after page (a search that stops on an early
// page pays for little more than it read); on a machine with more than one
// core the second half of a run is extracted on a second thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <atomic>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class TZEBset;
class TZEBtesto;

enum class TTextForm { Plain = 0, Folded = 1 };

class TPlainTextCache {
public:
  static constexpr size_t DefaultBudget = size_t(256) << 20;
  static constexpr size_t BlockSize = size_t(4) << 20;

  explicit TPlainTextCache(TZEBset& doc, size_t budget = DefaultBudget);
  ~TPlainTextCache();

  // The page's plain text; empty for a missing page or one without text. The
  // view stays valid until the cache is cleared, or for a text that is not
  // kept, until the next call.
  std::string_view Text(int page, TTextForm form);
  bool Kept(int page, TTextForm form) const;

  // Forgets everything (the document changed).
  void Clear();
  TZEBset& Document() const { return doc_; }
  size_t Budget() const { return budget_; }
  size_t BytesReserved() const { return reserved_; }  // block memory of both forms
  size_t TextBytes() const { return textBytes_; }     // text bytes kept

private:
  struct TSlot {
    uint32_t block = 0, offset = 0, length = 0;
  };
  struct TFormStore;
  using TBlock = std::unique_ptr<char[]>;
  static TBlock NewBlock(size_t size);

  void Extract(int page, TTextForm form, std::string& out);
  std::string_view Markup(TZEBtesto& page);
  char* Room(TFormStore& f, size_t size);
  static char* Room(TFormStore& f, size_t size, size_t& reserved, size_t limit);
  // Extracts the pages of [first, last) not built yet straight into the form.
  void BuildRun(TFormStore& f, int first, int last, TTextForm form);
  // One page into the form when it fits; false when it does not (or cannot be read).
  bool BuildInto(TFormStore& f, int page, TTextForm form, size_t& reserved, size_t limit, std::string& markup,
                 bool quiet);
  std::string_view SlotText(const TFormStore& f, int page) const;
  // The budget this thread's blocks may take: all but what is lent out.
  size_t OwnLimit() const { return budget_ > withheld_ ? budget_ - withheld_ : 0; }

  TZEBset& doc_;
  size_t budget_;
  size_t reserved_ = 0, textBytes_ = 0;
  size_t withheld_ = 0;  // budget lent to the second thread while it runs
  std::unique_ptr<TFormStore> forms_[2];
  std::string scratch_, markup_;
};
