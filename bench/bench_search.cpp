// Searching the whole benchmark ebook: the first query (which extracts and
// folds every page's text), later queries at memory speed, and the list of all
// matching pages, each against memmem over the same text in the same run.
//   bench_search [FILE]   builds FILE (default /tmp/lectra-bench.zeb) when missing
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <sys/resource.h>

#include "benchbook.h"
#include "document/zebset.h"
#include "search/core/ebooksearch.h"

using Clock = std::chrono::steady_clock;

namespace {

volatile size_t g_sink = 0;  // keeps the measured work from being optimised away

double Ms(const std::function<void()>& f, int rounds = 1) {
  double best = 1e18;
  for (int r = 0; r < rounds; ++r) {
    const auto t0 = Clock::now();
    f();
    best = std::min(best, std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
  }
  return best;
}

double PeakMb() {
  rusage ru{};
  getrusage(RUSAGE_SELF, &ru);
  return static_cast<double>(ru.ru_maxrss) / 1024;
}

// Every page's text of one form, end to end, for the memmem peer.
std::string Concatenated(TPlainTextCache& cache, TTextForm form) {
  std::string all;
  for (int i = 0; i < cache.Document().Count(testoHtml); ++i) all += cache.Text(i, form);
  return all;
}

size_t MemmemCount(const std::string& text, const std::string& word) {
  size_t n = 0;
  const char* p = text.data();
  const char* end = text.data() + text.size();
  while (const void* hit = memmem(p, static_cast<size_t>(end - p), word.data(), word.size())) {
    ++n;
    p = static_cast<const char*>(hit) + word.size();
  }
  g_sink = g_sink + n;
  return n;
}

void First(TPlainTextCache& cache, const TQueryTerms& t) {
  const auto hit = FindFirstPage(cache, t, 0);
  g_sink = g_sink + (hit ? static_cast<size_t>(hit->page) : 1);
}

TQueryTerms Terms(TZEBset& doc, const std::string& w, bool caseSensitive) {
  TWordQuery q;
  q.w = w;
  q.caseSensitive = caseSensitive;
  return PrepareQuery(q, doc.CodePage().FoldTable());
}

void Row(const char* what, double ms, double peerMs, size_t bytes) {
  const double gbs = static_cast<double>(bytes) / (ms * 1e6);
  std::printf("%-34s %8.2f ms %6.2f GB/s   memmem %7.2f ms %6.2f GB/s   ratio %.2f\n", what, ms, gbs, peerMs,
              static_cast<double>(bytes) / (peerMs * 1e6), ms / peerMs);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string path = argc > 1 ? argv[1] : kBenchBook;
  if (!EnsureBenchBook(path)) return 1;
  TZEBset doc;
  if (!doc.Open(path)) return 1;
  const double rssOpen = PeakMb();
  const int pages = doc.Count(testoHtml);
  const std::string w7 = "ASSENTE", w22 = "Parola che non compare";  // found nowhere: every page is read

  // Peer of the first query: one PlainText pass over every page, folded.
  size_t chars = 0;
  const double plainMs = Ms([&] {
    chars = 0;
    for (int i = 0; i < pages; ++i) chars += doc.Page(i)->PlainText(true).size();
  });

  TPlainTextCache cache(doc);
  const double firstMs = Ms([&] { First(cache, Terms(doc, w7, false)); });
  const double againMs = Ms([&] {
    TPlainTextCache fresh(doc);
    First(fresh, Terms(doc, w7, false));
  });
  const double plainAgainMs = Ms([&] {
    chars = 0;
    for (int i = 0; i < pages; ++i) chars += doc.Page(i)->PlainText(true).size();
  });
  const std::string folded = Concatenated(cache, TTextForm::Folded);
  std::printf("ebook           %s: %d pages, %.1f MB of page text\n", path.c_str(), pages, folded.size() / 1e6);
  std::printf("first query     %.1f ms (one PlainText pass: %.1f ms, ratio %.2f, goal <= 1)\n", firstMs, plainMs,
              firstMs / plainMs);
  std::printf("first query again, fresh cache %.1f ms (PlainText pass again: %.1f ms, ratio %.2f)\n", againMs,
              plainAgainMs, againMs / plainAgainMs);

  const std::string l7 = "assente", l22 = "parola che non compare";
  Row("second query, 7 bytes, folded", Ms([&] { First(cache, Terms(doc, w7, false)); }, 5),
      Ms([&] { MemmemCount(folded, l7); }, 5), folded.size());
  Row("second query, 22 bytes, folded", Ms([&] { First(cache, Terms(doc, w22, false)); }, 5),
      Ms([&] { MemmemCount(folded, l22); }, 5), folded.size());

  const double firstPlainMs = Ms([&] { First(cache, Terms(doc, w7, true)); });
  const std::string plain = Concatenated(cache, TTextForm::Plain);
  std::printf("first case-sensitive query %.1f ms (builds the text as it is)\n", firstPlainMs);
  Row("second query, 7 bytes, as typed", Ms([&] { First(cache, Terms(doc, w7, true)); }, 5),
      Ms([&] { MemmemCount(plain, w7); }, 5), plain.size());
  Row("second query, 22 bytes, as typed", Ms([&] { First(cache, Terms(doc, w22, true)); }, 5),
      Ms([&] { MemmemCount(plain, w22); }, 5), plain.size());

  // All matching pages of a word on every page: counts and snippets included.
  size_t hits = 0;
  const double listMs = Ms([&] {
    hits = 0;
    TEbookScan scan(cache, Terms(doc, "Accenti", false), 0);
    while (scan.Step(4096, [&](const TSearchHit& h) {
      hits += HitSnippet(cache, h).word.size() > 0;
      return true;
    })) {
    }
  }, 3);
  size_t occurrences = 0;
  const double listPeerMs = Ms([&] { occurrences = MemmemCount(folded, "accenti"); }, 3);
  std::printf("all pages list  %zu pages\n", hits);
  Row("all pages, count + snippet", listMs, listPeerMs, folded.size());
  std::printf("  (memmem found %zu occurrences)\n", occurrences);

  std::printf("cache           %.1f MB reserved, %.1f MB of text kept (budget %zu MB), %zu bytes per page\n",
              cache.BytesReserved() / 1e6, cache.TextBytes() / 1e6, TPlainTextCache::DefaultBudget >> 20,
              cache.BytesReserved() / static_cast<size_t>(pages));
  std::printf("peak RSS        %.1f MB after opening, %.1f MB at the end (the two memmem copies included: %.1f MB)\n",
              rssOpen, PeakMb(), (folded.size() + plain.size()) / 1e6);
  return 0;
}
