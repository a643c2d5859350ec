// Page texts, case folding, the contents tree stream, the word query and the
// ebook scan, and the zebtool commands over them.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "document/plaintext.h"
#include "document/zebset.h"
#include "document/zebtoc.h"
#include "document/zebwriter.h"
#include "search/core/ebooksearch.h"
#include "testutil.h"

using json = nlohmann::json;

namespace {

int AddTree(TZebWriter& w, const std::string& stream) {
  const int idx = w.Add(shortObj, w.NewRecord(shortObj), std::vector<uint8_t>(stream.begin(), stream.end()));
  w.SetHeaderI32(hdr::ContentsTree, MakeId(shortObj, idx));
  return idx;
}

std::string Line(int level, int32_t number, const std::string& text) {
  return "a" + std::to_string(level) + "," + std::to_string(number) + "," + text + "\r\n";
}

std::vector<int> Pages(TPlainTextCache& cache, const TWordQuery& q, int from = 0) {
  std::vector<int> out;
  TEbookScan scan(cache, PrepareQuery(q, cache.Document().CodePage().FoldTable()), from);
  while (scan.Step(3, [&](const TSearchHit& h) { out.push_back(h.page); return true; })) {
  }
  return out;
}

}  // namespace

TEST(PlainText, SkippedBlocksParagraphsLevelOneAndEntities) {
  const std::string markup = "<Z S0 >Ciao <D x>nascosto<d>mondo<F y>f<f><R>r<r> &egrave; &lt;b&gt;<Y y1 >fine";
  EXPECT_EQ(PlainTextOf(markup, false), "\r\nCiao mondo \xE8 <b>fine");
  // An old page drops every tag, blocks and paragraphs included.
  EXPECT_EQ(PlainTextOf(markup, true), "Ciao nascostomondofr \xE8 <b>fine");
  // A tag that never closes drops the rest; the text stops at the first 0 byte.
  EXPECT_EQ(PlainTextOf("uno<Y s12 due tre", false), "uno");
  EXPECT_EQ(PlainTextOf(std::string("uno\0due", 7), false), "uno");
  EXPECT_EQ(PlainTextOf("a<D mai chiuso", false), "a");
  // A reference split by a tag is decoded once the tag is gone.
  EXPECT_EQ(PlainTextOf("&am<Y >p;x", false), "&x");
}

TEST(PlainText, FoldingFollowsTheEbookCodePage) {
  const TCodePage w1252("windows-1252");
  const TFoldTable& f = w1252.FoldTable();
  EXPECT_EQ(f[0xC8], 0xE8);  // È -> è
  EXPECT_EQ(f[0x8A], 0x9A);  // Š -> š
  EXPECT_EQ(f[0x9F], 0xFF);  // Ÿ -> ÿ
  EXPECT_EQ(f[0xD7], 0xD7);  // the multiplication sign has no case
  EXPECT_EQ(f['Q'], 'q');
  EXPECT_EQ(f[0xDF], 0xDF);
  const TCodePage w1250("windows-1250");
  EXPECT_EQ(w1250.FoldTable()[0xA3], 0xB3);  // Ł -> ł
  EXPECT_EQ(w1250.FoldTable()[0x8C], 0x9C);  // Ś -> ś
  const TCodePage w1251("windows-1251");
  EXPECT_EQ(w1251.FoldTable()[0xC0], 0xE0);  // Cyrillic А -> а
  EXPECT_EQ(w1251.FoldTable()[0xA8], 0xB8);  // Ё -> ё
  // References are decoded before folding, so a numeric capital folds too.
  EXPECT_EQ(PlainTextOf("&#200;&Egrave;\xC8", false, &f), "\xE8\xE8\xE8");

  DocFixture fx;
  TZebWriter w;
  w.AddPage("p", "<Z S0 >\xC8 PERCH\xC9 \x8A&Agrave;");
  ASSERT_TRUE(fx.OpenBuilt(w));
  std::string plain = fx.doc->Page(0)->PlainText(false);
  EXPECT_EQ(plain, "\r\n\xC8 PERCH\xC9 \x8A\xC0");
  fx.doc->CodePage().Fold(plain);
  EXPECT_EQ(fx.doc->Page(0)->PlainText(true), plain);
}

TEST(TocStream, PlacesNodesByLevelAndReportsBadLines) {
  DocFixture fx;
  TZebWriter w;
  w.AddPage("Primo", "<Z S0 >uno");
  w.AddPage("Secondo", "<Z S0 >due");
  w.AddKeyword("k");
  ASSERT_TRUE(fx.OpenBuilt(w));
  const std::string stream = Line(0, -3, "Capitolo") + Line(1, 0, "x") + Line(1, -1, "Nota") +
                             Line(2, 1, "x") + Line(0, -2, "Libro") + Line(2, -3, "salto") +
                             "bad line\r\n" + Line(1, MakeId(keyword, 0), "kw") + Line(1, 77, "assente") +
                             "a,,\r\n";
  const TTocTree t = LoadTocStream(*fx.doc, stream, testoHtml);
  ASSERT_EQ(t.roots.size(), 2u);
  const TTocNode& c = t.roots[0];
  EXPECT_EQ(c.kind, TTocKind::Chapter);
  ASSERT_EQ(c.children.size(), 2u);
  EXPECT_EQ(c.children[0].text, "Primo");  // a page node shows its page's name
  EXPECT_EQ(c.children[0].id, MakeId(testoHtml, 0));
  EXPECT_EQ(c.children[1].kind, TTocKind::Plain);
  ASSERT_EQ(c.children[1].children.size(), 1u);
  EXPECT_EQ(c.children[1].children[0].text, "Secondo");
  const TTocNode& book = t.roots[1];
  EXPECT_EQ(book.kind, TTocKind::Document);
  // The 0 -> 2 jump is dropped; a keyword id shows "*"; a missing page keeps
  // its text; "a,," has level 1 and number 1 (page 1).
  ASSERT_EQ(book.children.size(), 3u);
  EXPECT_EQ(book.children[0].kind, TTocKind::Other);
  EXPECT_EQ(book.children[0].text, "*");
  EXPECT_EQ(book.children[1].kind, TTocKind::Page);
  EXPECT_EQ(book.children[1].text, "assente");
  EXPECT_EQ(book.children[2].text, "Secondo");
  EXPECT_EQ(t.messages, (std::vector<std::string>{TocLoadError, TocDecodeError}));
  // Written back and read again, the tree is the same.
  const TTocTree again = LoadTocStream(*fx.doc, WriteTocStream(t.roots), testoHtml);
  EXPECT_EQ(WriteTocStream(again.roots), WriteTocStream(t.roots));
}

TEST(TocStream, HostileStreamsStayBounded) {
  DocFixture fx;
  TZebWriter w;
  w.AddPage("p", "x");
  ASSERT_TRUE(fx.OpenBuilt(w));
  // Binary junk: one message per bad line, at most TocMaxMessages.
  std::string junk(5000, '\0');
  for (size_t i = 0; i < junk.size(); i += 3) junk[i] = '\n';
  TTocTree t = LoadTocStream(*fx.doc, junk, testoHtml);
  EXPECT_TRUE(t.roots.empty());
  EXPECT_EQ(t.messages.size(), TocMaxMessages);
  // A staircase deeper than the depth limit: the nodes below it are refused.
  std::string deep;
  for (int i = 0; i < 1000; ++i) deep += Line(i, -1, "n");
  t = LoadTocStream(*fx.doc, deep, testoHtml);
  size_t depth = 0;
  for (const TTocNode* n = &t.roots.at(0); !n->children.empty(); n = &n->children[0]) ++depth;
  EXPECT_EQ(depth + 1, TocMaxDepth);
  EXPECT_EQ(t.messages.at(0), TocLoadError);
  // Huge levels and numbers, a megabyte line.
  t = LoadTocStream(*fx.doc, "a99999999999,99999999999," + std::string(1 << 20, 'x') + "\r\na-7,-3,c", testoHtml);
  ASSERT_EQ(t.roots.size(), 2u);
  EXPECT_EQ(t.roots[0].text, std::string(TocMaxText, 'x'));  // number 1 names a page that is not there
  EXPECT_EQ(t.roots[1].kind, TTocKind::Chapter);
}

TEST(TocStream, DefaultTreeListsLivePages) {
  DocFixture fx;
  TZebWriter w;
  w.AddPage("Uno", "a");
  const int gone = w.AddPage("Via", "b");
  w.AddPage("Tre", "c");
  w.RecordOf(testoHtml, gone)[4] = 3;  // deleted
  ASSERT_TRUE(fx.OpenBuilt(w, "mio libro.zeb"));
  const TTocTree t = LoadContentsTree(*fx.doc);
  ASSERT_EQ(t.roots.size(), 1u);
  EXPECT_EQ(t.roots[0].text, "mio libro.zeb");
  ASSERT_EQ(t.roots[0].children.size(), 2u);
  EXPECT_EQ(t.roots[0].children[1].text, "Tre");
  // The tree is kept as the stream of the tree object.
  EXPECT_EQ(fx.doc->ContentsTreeObject()->MainPayload(), "a0,-2,mio libro.zeb\r\na1,0,x\r\na1,2,x\r\n");
}

TEST(WordQuery, OperatorsMoveUpAndCombine) {
  const TFoldTable fold = TCodePage().FoldTable();
  auto match = [&](TWordQuery q, std::string text) {
    const TQueryTerms t = PrepareQuery(q, fold);
    if (!q.caseSensitive)
      for (char& c : text) c = static_cast<char>(fold[static_cast<uint8_t>(c)]);
    const std::string* m = MatchText(t, text);
    return m ? *m : std::string("-");
  };
  EXPECT_EQ(match({"alpha", "beta", "", ""}, "alpha e beta"), "alpha");
  EXPECT_EQ(match({"alpha", "beta", "", ""}, "solo alpha"), "-");
  EXPECT_EQ(match({"", "beta", "", ""}, "beta"), "beta");
  EXPECT_EQ(match({"", "", "gamma", "delta"}, "gamma delta"), "gamma");
  EXPECT_EQ(match({"", "", "gamma", "delta"}, "gamma"), "-");
  EXPECT_EQ(match({"alpha", "", "gamma", ""}, "solo gamma"), "gamma");
  EXPECT_EQ(match({"alpha", "", "", "delta"}, "delta qui"), "delta");  // B alone acts as O
  EXPECT_EQ(match({"", "", "", ""}, "qualsiasi"), "-");
  // Folded unless asked otherwise; the result is the word as searched.
  EXPECT_EQ(match({"Perch\xC9", "", "", ""}, "PERCH\xC9"), "perch\xE9");
  EXPECT_EQ(match({"Perch\xC9", "", "", "", true}, "PERCH\xC9"), "-");
  EXPECT_EQ(CountOccurrences("aaaa", "aa"), 2u);
  EXPECT_EQ(CountOccurrences("abc", ""), 0u);
  const TSnippet s = MakeSnippet("uno due tre\r\nquattro cinque sei sette", 13, 7, 10);
  EXPECT_EQ(s.before, "due tre ");
  EXPECT_EQ(s.word, "quattro");
  EXPECT_EQ(s.after, " cinque");
  EXPECT_TRUE(s.cutBefore && s.cutAfter);
}

TEST(EbookScan, OrderSkipsAndCacheForms) {
  DocFixture fx;
  TZebWriter w;
  w.AddPage("a", "<Z S0 >Il Gatto");
  const int gone = w.AddPage("b", "<Z S0 >gatto");
  w.AddPage("c", "<Z S0 ><D >gatto<d>cane");
  const int old = w.AddPage("d", "<Z S0 ><D >gatto gatto<d>");
  w.AddPage("e", "");
  w.AddPage("f", "GATTO e gatto");
  w.RecordOf(testoHtml, gone)[4] = 3;
  w.RecordOf(testoHtml, old)[195] = 1;
  ASSERT_TRUE(fx.OpenBuilt(w));
  for (size_t budget : {TPlainTextCache::DefaultBudget, size_t(0)}) {
    TPlainTextCache cache(*fx.doc, budget);
    EXPECT_EQ(Pages(cache, {"gatto", "", "", ""}), (std::vector<int>{0, 3, 5}));
    EXPECT_EQ(Pages(cache, {"gatto", "", "", "", true}), (std::vector<int>{3, 5}));
    EXPECT_EQ(Pages(cache, {"gatto", "", "", ""}, 4), (std::vector<int>{5}));
    const auto hit = FindFirstPage(cache, PrepareQuery({"GATTO", "", "", ""}, fx.doc->CodePage().FoldTable()), 4);
    ASSERT_TRUE(hit);
    EXPECT_EQ(hit->page, 5);
    EXPECT_EQ(hit->count, 2u);
    EXPECT_EQ(hit->at, 0u);
    EXPECT_EQ(HitSnippet(cache, *hit).word, "GATTO");  // cut from the text as it is
    EXPECT_EQ(cache.Kept(0, TTextForm::Folded), budget > 0);
    EXPECT_LE(cache.BytesReserved(), budget);
  }
  // After the last page there is nothing; an ebook without pages has nothing either.
  TPlainTextCache cache(*fx.doc);
  EXPECT_FALSE(FindFirstPage(cache, PrepareQuery({"gatto", "", "", ""}, fx.doc->CodePage().FoldTable()), 6));
  DocFixture empty;
  empty.doc->NewDocument();
  TPlainTextCache none(*empty.doc);
  EXPECT_FALSE(FindFirstPage(none, PrepareQuery({"x", "", "", ""}, empty.doc->CodePage().FoldTable()), 0));
}

TEST(EbookScan, RunsOfPagesSharedBetweenThreadsGiveEveryTextOnce) {
  // Enough pages for long runs (built on two threads), in pages of many
  // sizes, read in order, backwards and in jumps, under budgets that run out
  // in the middle of a run.
  DocFixture fx;
  TZebWriter w;
  for (int i = 0; i < 3000; ++i)
    w.AddPage("p" + std::to_string(i),
              "<Z S0 >Pagina " + std::to_string(i) + " " + std::string(static_cast<size_t>(i % 97) * 40, 'A'));
  ASSERT_TRUE(fx.OpenBuilt(w));
  for (size_t budget : {TPlainTextCache::DefaultBudget, size_t(6) << 20, size_t(0)}) {
    SCOPED_TRACE(budget);
    TPlainTextCache cache(*fx.doc, budget);
    std::vector<int> order;
    for (int i = 0; i < 3000; ++i) order.push_back(i);
    for (int i = 2999; i >= 0; i -= 7) order.push_back(i);
    for (int i = 0; i < 3000; i += 311) order.push_back(i);
    for (int page : order) {
      const std::string plain = fx.doc->Page(page)->PlainText();
      ASSERT_EQ(cache.Text(page, TTextForm::Plain), plain) << page;
      ASSERT_EQ(cache.Text(page, TTextForm::Folded), fx.doc->Page(page)->PlainText(true)) << page;
    }
    EXPECT_LE(cache.BytesReserved(), budget);
    EXPECT_EQ(cache.Kept(2999, TTextForm::Plain), budget == TPlainTextCache::DefaultBudget);
  }
}

TEST(ZebtoolSearch, TocKeywordsAndSearchContract) {
  ScratchDir dir;
  TZebWriter w;
  const int p0 = w.AddPage("Zeta", "<Z S0 >alpha beta");
  w.AddPage("alfa", "<Z S0 >solo alpha, alpha");
  w.AddPage("Beta", "<Z S0 >gamma");
  const int kb = w.AddKeyword("b"), ka = w.AddKeyword("A"), kc = w.AddKeyword("c");
  w.AddKeyword("-");
  w.SetPageKeywords(p0, {kb, ka});
  w.SetPageKeywords(1, {ka});
  AddTree(w, Line(0, -3, "Cap") + Line(1, 0, "x") + Line(3, 1, "x") + "zz\r\n");
  const std::string f = dir.File("t.zeb");
  ASSERT_TRUE(w.Save(f));

  ToolResult r = RunZebtool({"toc", f});
  ASSERT_EQ(r.status, 0);
  json toc = json::parse(r.out);
  EXPECT_EQ(toc[0]["kind"], "chapter");
  EXPECT_EQ(toc[0]["id"], nullptr);
  EXPECT_EQ(toc[0]["children"][0]["id"], "00000000");
  EXPECT_EQ(toc[0]["children"][0]["text"], "Zeta");
  EXPECT_EQ(r.err, "Errore!: error loading nodes\nErrore!: error decoding nodes\n");

  r = RunZebtool({"keywords", f});
  json kw = json::parse(r.out);
  ASSERT_EQ(kw.size(), 3u);
  EXPECT_EQ(kw[0]["keyword"], "A");
  EXPECT_EQ(kw[0]["index"], ka);
  EXPECT_EQ(kw[0]["pages"][0]["title"], "alfa");  // sorted by title
  EXPECT_EQ(kw[0]["pages"][1]["title"], "Zeta");
  EXPECT_EQ(kw[1]["keyword"], "b");
  EXPECT_EQ(kw[2]["pages"].size(), 0u);
  (void)kc;

  r = RunZebtool({"search", f, "ALPHA", "--and", "beta"});
  EXPECT_EQ(json::parse(r.out)["page"]["index"], 0);
  EXPECT_EQ(json::parse(r.out)["page"]["match"], "alpha");
  r = RunZebtool({"search", f, "alpha", "--from", "1"});
  EXPECT_EQ(json::parse(r.out)["page"], nullptr);
  r = RunZebtool({"search", f, "ALPHA", "--case-sensitive"});
  EXPECT_EQ(json::parse(r.out)["page"], nullptr);
  r = RunZebtool({"search", f, "", "--or", "gamma", "--all"});
  EXPECT_EQ(json::parse(r.out)[0]["index"], 2);
  r = RunZebtool({"search", f, "alpha", "--all"});
  json all = json::parse(r.out);
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(all[0]["title"], "alfa");
  EXPECT_EQ(all[0]["count"], 2);
  EXPECT_EQ(all[0]["snippet"], "solo «alpha», alpha");
  EXPECT_EQ(all[1]["id"], "00000000");
  r = RunZebtool({"search", f, ""});
  EXPECT_EQ(json::parse(r.out)["page"], nullptr);
  EXPECT_EQ(RunZebtool({"search", f, "x", "--from"}).status, 2);
  EXPECT_EQ(RunZebtool({"search", f, "x", "--bogus"}).status, 2);
  EXPECT_EQ(RunZebtool({"toc", dir.File("manca.zeb")}).status, 1);
}
