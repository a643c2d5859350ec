// The plain-text, RTF and HTML forms of text markup.
#include <gtest/gtest.h>

#include "document/records.h"
#include "document/zebobject.h"
#include "testutil.h"
#include "text/cellindex.h"
#include "text/markup.h"
#include "text/nativeclip.h"
#include "text/selectionforms.h"
#include "text/zebconv.h"
#include "text/zebhtml.h"
#include "text/zebrtf.h"

namespace {

// A page object index holding objects made by the test.
struct FakeIndex : IObjectIndex {
  std::vector<TZEBoggetto*> objects{nullptr};
  TZEBoggetto* IndexedObject(int n) override {
    return n > 0 && static_cast<size_t>(n) < objects.size() ? objects[static_cast<size_t>(n)] : nullptr;
  }
  int NumberOf(TZEBoggetto* o) override {
    for (size_t i = 1; i < objects.size(); ++i)
      if (objects[i] == o) return static_cast<int>(i);
    return -1;
  }
};

struct ConvFixture : DocFixture {
  TZebWriter w;
  FakeIndex index;
  std::vector<std::unique_ptr<TZEBoggetto>> owned;

  ConvFixture() {
    w.AddDefaultStyles();
    w.AddPage("Pagina", "<Z S0 >x");
    EXPECT_TRUE(OpenBuilt(w));
  }
  // Adds an object to the index; returns its marker.
  std::string Add(std::unique_ptr<TZEBoggetto> o) {
    index.objects.push_back(o.get());
    owned.push_back(std::move(o));
    char m[16];
    std::snprintf(m, sizeof m, "<$FF%06X>", static_cast<unsigned>(index.objects.size() - 1));
    return m;
  }
  std::string Table(int rows, int cols, int border = 0) {
    auto t = doc->NewObject(tabellaHtml);
    TRecord& r = t->Rec();
    r.SetByte(tablerec::Rows, static_cast<uint8_t>(rows));
    r.SetByte(tablerec::Columns, static_cast<uint8_t>(cols));
    r.SetByte(tablerec::Spacing, 2);
    r.SetByte(tablerec::Border, static_cast<uint8_t>(border));
    r.SetByte(tablerec::WidthMode, 1);
    r.SetByte(tablerec::WidthPercent, 100);
    for (int c = 0; c < cols; ++c) r.SetByte(tablerec::ColumnKinds + c, 2);
    return Add(std::move(t));
  }
  std::string Reference(int state, int32_t value, const std::string& payload = "") {
    auto r = doc->NewObject(shortObj);
    r->SetState(static_cast<uint8_t>(state));
    r->Rec().SetI32(5, value);
    if (!payload.empty()) r->SetMainPayload(payload);
    return Add(std::move(r));
  }
  template <class Conv>
  std::string Run(const std::string& markup, bool copy = false) {
    Conv c(doc.get(), &index, nullptr);
    c.copy = copy;
    std::string out;
    c.Convert(std::string_view(markup.data(), markup.size() + 1), out);
    return out;
  }
  std::string Text(const std::string& m, bool copy = false) { return Run<TZEBtoTxt>(m, copy); }
  std::string Rtf(const std::string& m) {
    std::string r = Run<TZEBtortf>(m, true);
    if (!r.empty() && r.back() == '\0') r.pop_back();
    return r;
  }
  std::string Html(const std::string& m) { return Run<TZEBtoHtml>(m); }
};

size_t Count(const std::string& s, const std::string& what) {
  size_t n = 0;
  for (size_t p = s.find(what); p != std::string::npos; p = s.find(what, p + what.size())) ++n;
  return n;
}

std::string Cells2x2(ConvFixture& f) {
  return "<Z S0 >prima<Z S0 >" + f.Table(2, 2) + "<Z S0 >a<T><Z S0 >b<T><Z S0 >c<T><Z S0 >d<T><Z S0 >dopo";
}

}  // namespace

TEST(ExportText, ParagraphsEntitiesAndTables) {
  ConvFixture f;
  EXPECT_EQ(f.Text("<Z S0 >ab<Z S0 >cd"), "ab\r\ncd");
  EXPECT_EQ(f.Text("<Z S0 >ab<Z S0 >cd", true), std::string("ab\r\ncd\0", 7));
  // "{" stays itself; entities are decoded; tags of every kind leave nothing.
  EXPECT_EQ(f.Text("<Z S3 y1 >a{b&lt;c&#38;d<Y s20 >e<$00000001>f<%>g"), "a{b<c&defg");
  EXPECT_EQ(f.Text("<Z S0 >vis<D>nascosto<d>ibile<F>x<f><R>y<r>!"), "visibile!");
  EXPECT_EQ(f.Text("nessun tag"), "");
  EXPECT_EQ(f.Text("nessun tag", true), "");
  // A 2 x 2 table: tab and line break after each row; no extra line before the next paragraph.
  EXPECT_EQ(f.Text(Cells2x2(f)), "prima\r\na\tb\r\nc\td\r\ndopo");
  // A cell of two paragraphs stays on one line; a nested table nests its own rows.
  const std::string outer = f.Table(1, 2), inner = f.Table(2, 1);
  EXPECT_EQ(f.Text("<Z S0 >" + outer + "<Z S0 >a<Z S0 >b<T><Z S0 >" + inner + "<Z S0 >x<T><Z S0 >y<T><T><Z S0 >z"),
            "ab\tx\r\ny\r\n\r\nz");
  // Cells not included after "<@>", cell ends outside tables: nothing happens.
  EXPECT_EQ(f.Text("<Z S0 >" + outer + "<@><Z S0 >u<T>v"), "\r\nuv");
}

TEST(ExportText, ReferenceMarkers) {
  ConvFixture f;
  const struct {
    int state;
    const char* expected;
  } cases[] = {{21, "!RefI:05000002"}, {22, "!RefL:05000002"}, {23, "!RefP:05000002"}, {24, "!RefF:05000002"},
               {25, "!RefX:05000002"}, {26, "!RefY:05000002"}, {28, "!ReCF:05000002"}, {27, "!ReCP:parola!"},
               {14, ""}};
  for (auto& c : cases) {
    const std::string m = f.Reference(c.state, MakeId(immagine, 2), c.state == 27 ? "parola" : "");
    EXPECT_EQ(f.Text("<Z S0 >a" + m + "b"), std::string("a") + c.expected + "b") << c.state;
    EXPECT_NE(f.Rtf("<Z S0 >a" + m + "b").find(std::string("a") + c.expected + "b"), std::string::npos) << c.state;
  }
  // A marker whose object is missing leaves nothing.
  EXPECT_EQ(f.Text("<Z S0 >a<$FF0000FE>b<$6F000009>c<%>"), "abc");
}

TEST(ExportRtf, HeaderTablesAndEscapes) {
  ConvFixture f;
  const std::string rtf = f.Rtf("<Z S0 >a{b}c\\d\xE8~<Z S0 c0000FF >rosso");
  EXPECT_EQ(rtf.rfind("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss\\fprq2 Arial;}}{\\colortbl;\\red0\\green0\\blue0;"
                      "\\red0\\green0\\blue255;}{\\stylesheet{\\s1 \\widctlpar \\f0\\fs20\\cf1",
                      0),
            0u)
      << rtf;
  EXPECT_NE(rtf.find("\\paperw11905\\paperh16837\\margt1417\\margb1417\\margl1417\\margr1417 \\pard\\plain \\s1"),
            std::string::npos);
  EXPECT_NE(rtf.find(" a\\{b\\}c\\\\d\\'e8\\'7e\\par \r\n\\pard\\plain \\s1\\f0\\fs20\\cf2"), std::string::npos) << rtf;
  EXPECT_EQ(rtf.back(), '}');
  EXPECT_EQ(rtf.find("\\info"), std::string::npos);
  // For the clipboard a 0 byte ends the form.
  TZEBtortf c(f.doc.get(), &f.index, nullptr);
  std::string out;
  c.Convert(std::string("<Z S0 >x\0", 9), out);
  EXPECT_EQ(out.back(), '\0');
  EXPECT_EQ(f.Rtf("nessun tag"), "");
}

TEST(ExportRtf, WholeFormOfOneParagraph) {
  ConvFixture f;
  // Header, tables, style sheet, page settings and body, word for word; no
  // code page words, no information block, a 0 byte for the clipboard.
  const std::string props = "\\f0\\fs20\\cf1\\i0\\b0\\ul0\\strike0\\up0\\ql\\sl0\\fi0\\li150\\ri150\\sb0\\sa0 ";
  const std::string expected = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss\\fprq2 Arial;}}{\\colortbl;\\red0\\green0\\blue0;}"
                               "{\\stylesheet{\\s1 \\widctlpar " + props + "[nessuno stile];}}"
                               "\\paperw11905\\paperh16837\\margt1417\\margb1417\\margl1417\\margr1417 "
                               "\\pard\\plain \\s1" + props + "ab}";
  TZEBtortf c(f.doc.get(), &f.index, nullptr);
  std::string out;
  c.Convert(std::string("<Z S0 >ab\0", 10), out);
  EXPECT_EQ(out, expected + '\0');
}

TEST(ExportRtf, FontChangesWriteOnlyDifferencesAndLinksRestore) {
  ConvFixture f;
  const std::string rtf = f.Rtf("<Z S0 >a<Y y1 >b<Y s14 y3 >c<Y >d<$00000000>e<%>f");
  // Bold on; italic and size added; back to the paragraph font; the link's
  // colour and underline, then the text's font again.
  EXPECT_NE(rtf.find("a\\b b\\fs28\\i c\\fs20\\i0\\b0 d\\cf2\\ul e\\cf1\\ul0 f"), std::string::npos) << rtf;
  EXPECT_NE(rtf.find("\\red0\\green0\\blue255;"), std::string::npos);
}

TEST(ExportRtf, NumberingAndBullets) {
  ConvFixture f;
  const std::string rtf =
      f.Rtf("<Z S0 N6 I-20 l40 >uno<Z S0 N6 I-20 l40 >due<Z S0 >pausa<Z S0 N6 I-20 >ancora<Z S0 N10 I-15 >punto");
  EXPECT_NE(rtf.find("{\\*\\pn \\pnlvlbody\\pndec\\pnstart1\\pnhang\\pnindent300{\\pntxta .}}{\\pntext 1.\\tab}"
                     "\\sl0\\fi-300\\li600"),
            std::string::npos)
      << rtf;
  EXPECT_NE(rtf.find("{\\pntext 2.\\tab}"), std::string::npos);
  // The running number starts again after a paragraph that is not numbered.
  EXPECT_EQ(Count(rtf, "{\\pntext 1.\\tab}"), 2u);
  EXPECT_EQ(rtf.find("{\\pntext 3."), std::string::npos);
  // Bullets use the Symbol font, added to the font table.
  EXPECT_NE(rtf.find("{\\f1\\froman\\fprq2 Symbol;}"), std::string::npos);
  EXPECT_NE(rtf.find("{\\*\\pn\\pnlvlblt\\pnf1\\pnstart1\\pnhang\\pnindent225{\\pntxtb\\'b7}}{\\pntext\\f1\\'b7\\tab}"),
            std::string::npos);
}

TEST(ExportRtf, TablesAsRows) {
  ConvFixture f;
  const std::string rtf = f.Rtf(Cells2x2(f));
  EXPECT_EQ(Count(rtf, "\\trowd\\trleft0\\trgaph30"), 2u) << rtf;
  EXPECT_EQ(Count(rtf, "\\cell "), 4u);
  EXPECT_EQ(Count(rtf, "\\row "), 2u);
  EXPECT_EQ(Count(rtf, "\\pard\\intbl"), 4u);
  EXPECT_NE(rtf.find("\\cellx4535\\cellx9070"), std::string::npos) << rtf;
  // The paragraph after the table starts without an empty one between.
  EXPECT_NE(rtf.find("\\row \r\n\\pard\\plain \\s1"), std::string::npos);
  const std::string bordered = f.Rtf("<Z S0 >" + f.Table(1, 1, 2) + "<Z S0 >x<T>");
  EXPECT_NE(bordered.find("\\clbrdrt\\brdrs\\brdrw30"), std::string::npos);
}

TEST(ExportHtml, StylesLinksListsAndTables) {
  ConvFixture f;
  const std::string html = f.Html("<Z S0 A2 >a &lt;b&gt; \xE8<Y y1 >grassetto<Y >"
                                  "<Z S0 N10 >punto<Z S0 >v<$00000000>pagina<%>");
  EXPECT_NE(html.find("<meta charset=\"utf-8\">"), std::string::npos);
  EXPECT_NE(html.find("text-align:center"), std::string::npos);
  EXPECT_NE(html.find("a &lt;b&gt; \xC3\xA8<span style=\"font-family:'Arial';font-size:10pt;color:#000000;"
                      "font-weight:bold\">grassetto</span>"),
            std::string::npos)
      << html;
  EXPECT_NE(html.find("<ul><li "), std::string::npos);
  EXPECT_NE(html.find("</ul>"), std::string::npos);
  EXPECT_NE(html.find("<a href=\"lumo://"), std::string::npos);
  EXPECT_NE(html.find("|0\"><span style=\"font-family:'Arial';font-size:10pt;color:#0000ff"), std::string::npos);
  const std::string table = f.Html(Cells2x2(f));
  EXPECT_EQ(Count(table, "<tr>"), 2u);
  EXPECT_EQ(Count(table, "<td"), 4u);
  EXPECT_LT(table.find(">a</p>"), table.find(">d</p>"));
}

TEST(ExportBadInput, BoundedAndWithoutCrash) {
  ConvFixture f;
  // Tables nested 1,000 deep, never closed.
  std::string deep = "<Z S0 >";
  const std::string table = f.Table(1, 1);
  for (int i = 0; i < 1000; ++i) deep += table + "<Z S0 >c";
  for (const std::string& m : {deep, std::string("<Z S0 >a<Y s20 b<$FF0000"), std::string("<Z <Z S<Y <T><T><T>"),
                               std::string("<Z S0 >x<D>mai chiuso")}) {
    EXPECT_LT(f.Text(m).size(), 2 * m.size() + 16);
    EXPECT_LT(f.Rtf(m).size(), 40 * m.size() + 4096);
    EXPECT_LT(f.Html(m).size(), 80 * m.size() + 4096);
  }
  // Markers and links to objects that do not exist leave their text alone in
  // every form and nothing in the native stream.
  const std::string missing = "<Z S0 >a<$FF0000FE>b<$6F000009>c<%><$FF7FFFFF>d";
  EXPECT_EQ(f.Text(missing), "abcd");
  EXPECT_NE(f.Rtf(missing).find("ab\\cf2\\ul c\\cf1\\ul0 d}"), std::string::npos) << f.Rtf(missing);
  EXPECT_NE(f.Html(missing).find(">ab"), std::string::npos);
  const TNativeObjects none = CollectNativeObjects(missing + '\0', f.doc.get(), &f.index, nullptr);
  EXPECT_TRUE(none.links.empty());
  EXPECT_TRUE(none.inlines.empty());
  EXPECT_EQ(none.related.size(), 1u);  // the paragraph's style
  // The same table nested 1,000 deep is carried once.
  const TNativeObjects nested = CollectNativeObjects(deep + '\0', f.doc.get(), &f.index, nullptr);
  EXPECT_EQ(nested.inlines.size(), 1u);
  // A selection of 4 M characters converts with output in proportion.
  std::string big;
  for (int i = 0; i < 4096; ++i) big += "<Z S0 >" + std::string(1024, 'x');
  EXPECT_EQ(f.Text(big).size(), 4096u * 1024 + 4095 * 2);
  EXPECT_LT(f.Rtf(big).size(), big.size() * 2);
  EXPECT_LT(f.Html(big).size(), big.size() * 2);
  const std::string stream = WriteNativeClip(CollectNativeObjects(big + '\0', f.doc.get(), &f.index, nullptr),
                                             &f.index, nullptr, 4096, big + '\0');
  EXPECT_LT(stream.size(), big.size() + 2048);
  TNativeClip back;
  ASSERT_TRUE(ReadNativeClip(stream, f.doc.get(), back));
  EXPECT_EQ(back.markup.size(), big.size() + 1);
}

TEST(ExportSelection, MarkupOfARangeAndNativeStream) {
  ConvFixture f;
  TFixedCanvas canvas;
  TTextContext ctx;
  ctx.doc = f.doc.get();
  ctx.canvas = &canvas;
  TCellTextIndex index(nullptr, ctx);
  ctx.index = &index;
  const std::string text = "<Z S0 >uno <$00000000>due<%> tre<Z S0 >quattro cinque";
  size_t pos = 0;
  auto paras = ReadParagraphs(ctx, std::string_view(text.data(), text.size() + 1), pos);
  ASSERT_EQ(paras.size(), 2u);
  std::vector<const TZEBparag*> ptrs{paras[0].get(), paras[1].get()};
  // Starting inside the link: the link is opened again at the start.
  const TSelectionRange r{0, 5, 1, 7};
  const std::string markup = SelectionMarkup(ptrs, ctx, r);
  EXPECT_EQ(markup, std::string("<Z S0 ><Y c000000 F\"Arial\" s10 y0 p0 ><$00000000>ue<%> tre<Z S0 >quattro") + '\0');
  const TSelectionForms forms = CopyForms(ptrs, ctx, nullptr, r);
  EXPECT_EQ(forms.text, "ue tre\r\nquattro");
  // The forms made from the box's paragraphs are those made from the markup.
  TZEBtortf rtf(f.doc.get(), &index, nullptr);
  std::string fromMarkup;
  rtf.Convert(markup, fromMarkup);
  EXPECT_EQ(forms.rtf + '\0', fromMarkup);
  EXPECT_NE(forms.rtf.find(" \\cf2\\ul ue\\cf1\\ul0  tre\\par \r\n"), std::string::npos) << forms.rtf;
  TZEBtoHtml html(f.doc.get(), &index, nullptr);
  std::string htmlFromMarkup;
  html.Convert(markup, htmlFromMarkup);
  EXPECT_EQ(forms.html, htmlFromMarkup);
  const std::string& native = forms.native;
  ASSERT_GT(native.size(), 24u);
  EXPECT_EQ(GetI32(reinterpret_cast<const uint8_t*>(native.data())), 1);       // version
  EXPECT_EQ(GetI32(reinterpret_cast<const uint8_t*>(native.data()) + 4), 0);   // no local links
  EXPECT_EQ(GetI32(reinterpret_cast<const uint8_t*>(native.data()) + 8), 1);   // the paragraph style
  EXPECT_TRUE(native.ends_with(markup));
}
