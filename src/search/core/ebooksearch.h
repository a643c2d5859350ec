// The word query run over the pages of an ebook, page by page, so that a
// caller can spread a long scan over several turns of its event loop.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "search/core/textcache.h"
#include "search/core/wordquery.h"

struct TSearchHit {
  int page = -1;
  std::string match;  // the word the query matched (folded when not case-sensitive)
  size_t count = 0;   // its occurrences in the page's text
  size_t at = 0;      // offset of the first one
};

class TEbookScan {
public:
  // Scans the pages from `firstPage` to the last one, in index order.
  TEbookScan(TPlainTextCache& cache, TQueryTerms terms, int firstPage = 0);

  // Looks at up to `maxPages` pages; `onHit` is called for every matching
  // page and returns false to end the scan. False once the scan has ended.
  bool Step(int maxPages, const std::function<bool(const TSearchHit&)>& onHit);
  bool Done() const { return next_ >= end_; }
  void Cancel() { next_ = end_; }
  int NextPage() const { return next_; }
  int PageCount() const { return end_; }

  // The query on one page (null for a deleted page or one without text).
  std::optional<TSearchHit> MatchPage(int page);

private:
  TPlainTextCache& cache_;
  TQueryTerms terms_;
  int next_, end_;
};

// The first matching page from `firstPage` on, scanned at once.
std::optional<TSearchHit> FindFirstPage(TPlainTextCache& cache, const TQueryTerms& terms, int firstPage);

// The snippet of a hit, cut from the page's text as it is.
TSnippet HitSnippet(TPlainTextCache& cache, const TSearchHit& hit, size_t context = 40);
