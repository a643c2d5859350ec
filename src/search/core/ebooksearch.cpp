#include "search/core/ebooksearch.h"

#include <algorithm>

#include "document/zebset.h"

TEbookScan::TEbookScan(TPlainTextCache& cache, TQueryTerms terms, int firstPage)
    : cache_(cache), terms_(std::move(terms)), next_(std::max(firstPage, 0)),
      end_(cache.Document().Count(testoHtml)) {
  if (terms_.none) next_ = end_;
}

std::optional<TSearchHit> TEbookScan::MatchPage(int page) {
  TZEBtesto* p = cache_.Document().Page(page);
  if (!p || p->IsDeleted() || !p->HasMainPayload()) return std::nullopt;
  const std::string_view text =
      cache_.Text(page, terms_.caseSensitive ? TTextForm::Plain : TTextForm::Folded);
  const std::string* word = MatchText(terms_, text);
  if (!word) return std::nullopt;
  return TSearchHit{page, *word, CountOccurrences(text, *word), FirstOccurrence(text, *word)};
}

bool TEbookScan::Step(int maxPages, const std::function<bool(const TSearchHit&)>& onHit) {
  for (int n = 0; n < maxPages && next_ < end_; ++n) {
    const int page = next_++;
    if (auto hit = MatchPage(page); hit && !onHit(*hit)) next_ = end_;
  }
  return next_ < end_;
}

std::optional<TSearchHit> FindFirstPage(TPlainTextCache& cache, const TQueryTerms& terms, int firstPage) {
  TEbookScan scan(cache, terms, firstPage);
  std::optional<TSearchHit> found;
  while (!found && scan.Step(4096, [&](const TSearchHit& h) {
    found = h;
    return false;
  })) {
  }
  return found;
}

TSnippet HitSnippet(TPlainTextCache& cache, const TSearchHit& hit, size_t context) {
  const std::string_view text = cache.Text(hit.page, TTextForm::Plain);
  return MakeSnippet(text, hit.at, hit.match.size(), context);
}
