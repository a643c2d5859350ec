// Arbitrary bytes as a contents tree stream, search words and page texts:
// the tree loader, the page-text cache and the ebook scan must stay sound.
// Input: a flags byte, then fields separated by 0x01: the tree stream, the
// words W, A, O, B, then one page text per field.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "document/zebset.h"
#include "document/zebtoc.h"
#include "search/core/ebooksearch.h"

namespace {

std::vector<std::string_view> Fields(std::string_view data) {
  std::vector<std::string_view> out;
  for (size_t at; (at = data.find('\x01')) != std::string_view::npos && out.size() < 64;) {
    out.push_back(data.substr(0, at));
    data.remove_prefix(at + 1);
  }
  out.push_back(data);
  return out;
}

size_t Walk(const std::vector<TTocNode>& nodes) {
  size_t n = 0;
  for (const TTocNode& c : nodes) n += 1 + c.text.size() % 3 + Walk(c.children);
  return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const uint8_t flags = data[0];
  std::vector<std::string_view> f = Fields(std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1));
  while (f.size() < 5) f.emplace_back();

  TZEBset doc;
  doc.NewDocument();
  // Three copies of the pages make ebooks long enough for the cache to
  // extract runs of pages on its second thread.
  const int copies = (flags & 0x08) ? 3 : 1;
  for (int copy = 0; copy < copies; ++copy)
    for (size_t i = 5; i < f.size(); ++i) {
      auto page = doc.NewObject(testoHtml);
      page->InitNew();
      page->SetName("p" + std::to_string(i));
      if (flags & (1u << (i % 8))) page->Rec().SetByte(195, 1);
      if (!f[i].empty() || !(flags & 0x40)) page->SetMainPayload(std::string(f[i]));
      doc.Store(std::move(page));
    }
  doc.ContentsTreeObject()->SetMainPayload(std::string(f[0]));
  const TTocTree tree = LoadContentsTree(doc, (flags & 0x20) ? custom : testoHtml);
  const std::string again = WriteTocStream(tree.roots);
  const TTocTree reread = LoadTocStream(doc, again, testoHtml);
  if (Walk(reread.roots) > 10 * (again.size() + 1)) __builtin_trap();

  TWordQuery q{std::string(f[1]), std::string(f[2]), std::string(f[3]), std::string(f[4]), (flags & 0x80) != 0};
  // No room at all, room for nothing but the first block, or the default.
  const size_t budget = (flags & 0x10) ? 0 : (flags & 0x04) ? TPlainTextCache::BlockSize : TPlainTextCache::DefaultBudget;
  TPlainTextCache cache(doc, budget);
  const TQueryTerms terms = PrepareQuery(q, doc.CodePage().FoldTable());
  TEbookScan scan(cache, terms, flags & 3);
  size_t total = 0;
  while (scan.Step(2, [&](const TSearchHit& h) {
    const TSnippet s = HitSnippet(cache, h, 5);
    total += h.count + s.before.size() + s.word.size() + s.after.size();
    if (h.at + h.match.size() > cache.Text(h.page, terms.caseSensitive ? TTextForm::Plain : TTextForm::Folded).size())
      __builtin_trap();
    return true;
  })) {
  }
  if (auto hit = FindFirstPage(cache, terms, 0); hit && hit->count == 0) __builtin_trap();
  return static_cast<int>(total & 0);
}
