// Reading and writing the text markup.
#include <gtest/gtest.h>

#include <array>

#include "document/zebset.h"
#include "text/markup.h"
#include "text/objectindex.h"
#include "testutil.h"

namespace {

struct FakeIndex : IObjectIndex {
  std::vector<TZEBoggetto*> objects;  // number i -> objects[i]
  TZEBoggetto* IndexedObject(int n) override {
    return n >= 0 && static_cast<size_t>(n) < objects.size() ? objects[n] : nullptr;
  }
  int NumberOf(TZEBoggetto* o) override {
    for (size_t i = 0; i < objects.size(); ++i)
      if (objects[i] == o) return static_cast<int>(i);
    return -1;
  }
};

struct MarkupFixture : ::testing::Test {
  RecordingSink sink;
  TZEBset doc{TServices{&sink, nullptr, nullptr}};
  TFixedCanvas canvas;
  FakeIndex index;
  TTextContext ctx;
  void SetUp() override {
    ctx.doc = &doc;
    ctx.canvas = &canvas;
    ctx.index = &index;
    // Style 2: Times 12 bold, link size 14.
    auto s = doc.NewObject(stileParagrafo);
    s->Rec().SetStr(39, 32, "Times New Roman");
    s->Rec().SetI16(72, 12);
    s->Rec().SetByte(78, 0x31);
    s->Rec().SetI16(79, 14);
    doc.Store(std::move(s));
  }
  std::vector<std::unique_ptr<TZEBparag>> Read(const std::string& text, size_t* endPos = nullptr) {
    size_t pos = 0;
    auto r = ReadParagraphs(ctx, text, pos);
    if (endPos) *endPos = pos;
    return r;
  }
  std::string Write(const TZEBparag& p, int start = 0, int end = 0x7FFFFFFF) {
    std::string out;
    WriteParagraph(p, ctx, out, TWriteMode::Stored, start, end);
    return out;
  }
};

TEST_F(MarkupFixture, HeaderKeysAndValueForms) {
  auto ps = Read(std::string("<Z S0 c0A0B0C F\"Courier New\" s14 y5 p2 P3 A2 N6 M3 L30 I-20 l40 r5 t6 b7 "
                             "CFF0000 S16 Y2 f0 >testo<Z S9 >x<Z S-1 >persa<Z S2 y2 >y<Z >z") + '\0');
  ASSERT_EQ(ps.size(), 3u);
  const TZEBParaStyle& st = ps[0]->style;
  EXPECT_EQ(st.Get(paFontColour), 0x0C0B0A);
  EXPECT_EQ(st.FontName(), "Courier New");
  EXPECT_EQ(st.Get(paFontSize), 14);
  EXPECT_EQ(st.Get(paStyleFlags), 5);
  EXPECT_EQ(st.Get(paVertical), 2);
  EXPECT_EQ(st.Get(paParaCode), 3);
  EXPECT_EQ(st.Get(paAlignment), 2);
  EXPECT_EQ(st.Get(paNumbering), 6);
  EXPECT_EQ(st.Get(paUnit), 3);
  EXPECT_EQ(st.Get(paLineHeight), 30);
  EXPECT_EQ(st.Get(paIndent), -20);
  EXPECT_EQ(st.Get(paLeft), 40);
  EXPECT_EQ(st.Get(paRight), 5);
  EXPECT_EQ(st.Get(paAbove), 6);
  EXPECT_EQ(st.Get(paBelow), 7);
  EXPECT_EQ(st.Get(paLinkColour), 0x0000FF);
  EXPECT_EQ(st.Get(paLinkSize), 16);
  EXPECT_EQ(st.Get(paLinkFlags), 2);
  EXPECT_EQ(ps[0]->text, "testo");
  // A style that does not exist falls back to style 0; a negative style drops the header and its text.
  EXPECT_EQ(ps[1]->StyleNumber(), 0);
  EXPECT_EQ(ps[1]->text, "x");
  // "y" replaces the low four bits and keeps the style's high bits.
  EXPECT_EQ(ps[2]->StyleNumber(), 2);
  EXPECT_EQ(ps[2]->style.Get(paStyleFlags), 0x32);
  EXPECT_EQ(ps[2]->text, "y");
  EXPECT_TRUE(sink.messages.empty());

  // Key order is fixed: a key out of order is not read.
  ps = Read(std::string("<Z S0 A2 s14 >a") + '\0');
  EXPECT_EQ(ps[0]->style.Get(paAlignment), 2);
  EXPECT_FALSE(ps[0]->style.Overrides(paFontSize));
  // Values equal to the style's are not overrides.
  ps = Read(std::string("<Z S0 s10 l10 >a") + '\0');
  EXPECT_FALSE(ps[0]->style.Overrides(paFontSize));
  EXPECT_FALSE(ps[0]->style.Overrides(paLeft));
}

TEST_F(MarkupFixture, TruncatedValuesAndNames) {
  auto ps = Read(std::string("<Z S0 s123456789012345>a") + '\0');
  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(sink.messages[0], std::make_pair(TMsgKind::Error, std::string("Truncated line!")));
  EXPECT_FALSE(ps[0]->style.Overrides(paFontSize));
  sink.messages.clear();
  ps = Read(std::string("<Z S0 F\"Senza fine>a") + '\0');
  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(sink.messages[0].first, TMsgKind::Information);
  sink.messages.clear();
  // A 25-character name: cut to 20 in a header, whole in a font tag.
  const std::string name = "Nome di carattere lungo X";
  ps = Read("<Z S0 F\"" + name + "\" >a<Y F\"" + name + "\" >b" + '\0');
  EXPECT_EQ(ps[0]->style.FontName(), name.substr(0, 20));
  EXPECT_EQ(ps[0]->fonts.at(0)->Name(), name);
}

TEST_F(MarkupFixture, ContentEntitiesAndSkippedBlocks) {
  auto ps = Read(std::string("<Z S0 >a\r\n\tb&#9;c&#1234;&nbspd&NBSP;&lt;&&x<D>no<d><F a>no<f><R>no<r><Q x>e") + '\0');
  ASSERT_EQ(ps.size(), 1u);
  EXPECT_EQ(ps[0]->text, "abc{4;\xA0" "d NBSP;<&xe");
  EXPECT_EQ(ps[0]->chars.size(), ps[0]->text.size() + 1);
  // Fixed metrics: 10-point text advances 6, is 12 high with ascent 10.
  EXPECT_EQ(ps[0]->chars[0].width, 6);
  EXPECT_EQ(ps[0]->chars[0].height, 12);
  EXPECT_EQ(ps[0]->chars[0].ascent, 10);
  EXPECT_EQ(ps[0]->defaultLineHeight, 12);

  // An empty paragraph still has a line as high as its font.
  ps = Read(std::string("<Z S0 >") + '\0');
  ASSERT_EQ(ps.size(), 1u);
  EXPECT_EQ(ps[0]->text, "");
  ASSERT_EQ(ps[0]->lines.size(), 1u);
  EXPECT_EQ(ps[0]->lines[0].height, 12);

  // A block without its closing tag runs to the end; reading stops at the 0 byte.
  size_t end = 0;
  std::string text = std::string("<Z S0 >a<D senza fine") + '\0' + "<Z S0 >dopo";
  ps = Read(text, &end);
  ASSERT_EQ(ps.size(), 1u);
  EXPECT_EQ(ps[0]->text, "a");
  EXPECT_EQ(end, text.find('\0'));
}

TEST_F(MarkupFixture, FontTagsLinksAndZoom) {
  auto ps = Read(std::string("<Z S2 >a<Y s20 >b<Y >c<Y i1 ><Y g0 >d<Y p1 >e") + '\0');
  const TZEBparag& p = *ps[0];
  ASSERT_EQ(p.text, "abcde");
  EXPECT_EQ(p.FontAt(1).size, 20);
  EXPECT_EQ(p.FontAt(2), p.ParagraphFont());
  // Two tags with nothing between them combine into one change.
  EXPECT_EQ(p.fonts.size(), 4u);
  EXPECT_EQ(p.FontAt(3).style, (0x31 | fsItalic) & ~fsBold);
  EXPECT_EQ(p.chars[1].width, 12);  // 20 * 3 / 5
  EXPECT_EQ(p.chars[4].height, 15 + 7);  // lowered: 12-point text, height 15 grows by half
  EXPECT_EQ(p.FontAt(4).vertical, 1);

  // Links: kinds 0..3 and 0x6F open a link, others are ignored; link size and flags apply.
  ps = Read(std::string("<Z S0 >x<$01000002>ab<Y s20 >c<%>d<$05000001>e<$6F000000>f<%>") + '\0');
  const TZEBparag& q = *ps[0];
  ASSERT_EQ(q.text, "xabcdef");
  EXPECT_EQ(q.chars[0].link, -1);
  EXPECT_EQ(q.chars[1].link, 0x01000002);
  EXPECT_EQ(q.chars[3].link, 0x01000002);
  EXPECT_EQ(q.chars[4].link, -1);
  EXPECT_EQ(q.chars[5].link, -1);
  EXPECT_EQ(q.chars[6].link, 0x6F000000);
  EXPECT_EQ(q.chars[3].width, 12);  // a font change inside a link without link size takes its size
  ps = Read(std::string("<Z S2 >x<$01000002>ab<Y s20 >c<%>d") + '\0');
  EXPECT_EQ(ps[0]->chars[1].width, 8);  // link size 14
  EXPECT_EQ(ps[0]->chars[3].width, 8);  // unchanged by the tag inside the link
  EXPECT_EQ(ps[0]->chars[4].width, 12);  // after the link, the tag's 20 points

  ctx.zoom = 15;
  ps = Read(std::string("<Z S0 >a") + '\0');
  EXPECT_EQ(ps[0]->chars[0].width, 9);  // 15 points
}

TEST_F(MarkupFixture, ObjectMarkersAndPageObjects) {
  TZEBoggetto* pic = doc.Store(doc.NewObject(immagineNew));
  TZEBoggetto* table = doc.Store(doc.NewObject(tabellaHtml));
  index.objects = {nullptr, pic, table};
  auto ps = Read(std::string("<Z S0 >a<$FF000001>b<$ff000009>c<Z S0 ><$FF000002><@>z") + '\0');
  ASSERT_EQ(ps.size(), 2u);
  EXPECT_EQ(ps[0]->text, "a bc");
  ASSERT_EQ(ps[0]->objects.size(), 1u);
  EXPECT_EQ(ps[0]->objects[0], pic);
  EXPECT_EQ(ps[0]->chars[1].object, 0);
  EXPECT_EQ(ps[1]->text, " z");
  EXPECT_EQ(Write(*ps[0]), "<Z S0 >a<$FF000001>bc");

  std::string page = "<Z S0 f0 ><$FF000003><Z S0 f0 ><$FF00000A><Z S0 >t";
  size_t pos = 0;
  EXPECT_EQ(TakePageObjects(page, pos), (std::vector<int>{3, 10}));
  EXPECT_EQ(page.substr(pos), "<Z S0 >t");
}

// Widths that depend on the byte and the font size; with `table` false the
// reader has to measure byte by byte.
struct VaryingCanvas : TFixedCanvas {
  bool table = true;
  std::array<int32_t, 256> widths{};
  void SetFont(const TCanvasFont& f) override {
    TFixedCanvas::SetFont(f);
    for (int b = 0; b < 256; ++b) widths[b] = b % 7 + f.size / 2;
  }
  int PairWidth(int, uint8_t c) override { return widths[c]; }
  const int32_t* Advances() const override { return table ? widths.data() : nullptr; }
};

TEST_F(MarkupFixture, RunsReadInOneSweepMatchByteByByteReading) {
  TZEBoggetto* pic = doc.Store(doc.NewObject(immagineNew));
  index.objects = {nullptr, pic};
  const std::string text = std::string("<Z S2 >Tre parole\tqui<Y s20 >grandi<$01000001>link<Y g1 >nel<%>dopo") +
                           "<$FF000001>oggetto &amp; entit\xE0<Z S0 ><Y p2 >alto<Y >basso" + '\0';
  std::vector<std::unique_ptr<TZEBparag>> read[2];
  for (bool table : {true, false}) {
    VaryingCanvas c;
    c.table = table;
    ctx.canvas = &c;
    read[table] = Read(text);
  }
  ASSERT_EQ(read[0].size(), 2u);
  ASSERT_EQ(read[1].size(), 2u);
  EXPECT_EQ(read[1][0]->text, "Tre parolequigrandilinkneldopo oggetto & entit\xE0");
  for (size_t k = 0; k < 2; ++k) {
    const TZEBparag &a = *read[0][k], &b = *read[1][k];
    ASSERT_EQ(a.text, b.text);
    ASSERT_EQ(a.chars.size(), b.chars.size());
    for (size_t i = 0; i < a.chars.size(); ++i) {
      const TCharRec &x = a.chars[i], &y = b.chars[i];
      EXPECT_TRUE(x.width == y.width && x.display == y.display && x.height == y.height && x.ascent == y.ascent &&
                  x.fontChange == y.fontChange && x.object == y.object && x.link == y.link)
          << "paragraph " << k << " character " << i;
    }
  }
  // The records carry what the tags before them set.
  const TZEBparag& p = *read[1][0];
  EXPECT_EQ(p.chars[13].fontChange, 0);  // "g" of "grandi"
  EXPECT_EQ(p.chars[13].width, 'g' % 7 + 10);
  EXPECT_EQ(p.chars[19].link, 0x01000001);
  EXPECT_EQ(p.chars[30].object, 0);
  EXPECT_EQ(p.chars.back().link, -1);
}

TEST_F(MarkupFixture, WriterRangesTagsAndEscapes) {
  auto ps = Read(std::string("<Z S0 A3 l20 >ab<Y s14 g1 >cd<Y >ef<$01000001>g&lt;&gt;h") + '\0');
  const TZEBparag& p = *ps[0];
  ASSERT_EQ(p.text, "abcdefg<>h");
  EXPECT_EQ(Write(p), "<Z S0 A3 l20 >ab<Y s14 y1 >cd<Y >ef<$01000001>g&lt;&gt;h<%>");
  // A range that starts at a change writes only that change; inside a run, the full font first.
  EXPECT_EQ(Write(p, 2, 4), "<Z S0 A3 l20 ><Y s14 y1 >cd");
  EXPECT_EQ(Write(p, 3, 5), "<Z S0 A3 l20 ><Y c000000 F\"Arial\" s14 y1 p0 >d<Y >e");
  EXPECT_EQ(Write(p, 0, 0), "<Z S0 A3 l20 >");
  ps = Read(std::string("<Z S0 >&amp;x") + '\0');
  EXPECT_EQ(Write(*ps[0]), "<Z S0 >&#38;x");
}

TEST_F(MarkupFixture, HugeTextsAreCut) {
  std::string text = "<Z S0 >" + std::string((1 << 20) + 500, 'x') + "<Z S0 >dopo";
  for (int i = 0; i < 5; ++i) text += "<Z S0 >" + std::string(1 << 20, 'y');
  text.push_back('\0');
  size_t end = 0;
  auto ps = Read(text, &end);
  EXPECT_EQ(ps[0]->text.size(), size_t(1) << 20);
  EXPECT_EQ(ps[0]->chars.size(), ps[0]->text.size() + 1);
  EXPECT_EQ(ps[1]->text, "dopo");
  EXPECT_LT(ps.size(), 7u);
  EXPECT_EQ(end, text.size() - 1);
}

TEST(MarkupSample, EveryPageSurvivesReadWriteRead) {
  RecordingSink sink;
  TZEBset doc(TServices{&sink, nullptr, nullptr});
  ASSERT_TRUE(doc.Open(std::string(LECTRA_BINARY_DIR) + "/samples/guida.zeb"));
  TFixedCanvas canvas;
  for (int i = 0; i < doc.Count(testoHtml); ++i) {
    SCOPED_TRACE(i);
    auto copy = doc.Page(i)->PageCopy(false, nullptr);
    TTextObjectIndex index(copy.get());
    TTextContext ctx;
    ctx.doc = &doc;
    ctx.canvas = &canvas;
    ctx.index = &index;
    const std::string text = copy->MainPayload();
    size_t pos = 0;
    TakePageObjects(text, pos);
    auto first = ReadParagraphs(ctx, text, pos);
    std::string written;
    for (auto& p : first) WriteParagraph(*p, ctx, written, TWriteMode::Stored);
    written.push_back('\0');
    pos = 0;
    auto second = ReadParagraphs(ctx, written, pos);
    ASSERT_EQ(first.size(), second.size());
    ASSERT_FALSE(first.empty());
    for (size_t k = 0; k < first.size(); ++k) {
      EXPECT_EQ(first[k]->text, second[k]->text);
      EXPECT_EQ(first[k]->StyleNumber(), second[k]->StyleNumber());
      for (int a = 0; a < paCount; ++a) EXPECT_EQ(first[k]->style.Get(a), second[k]->style.Get(a)) << a;
      ASSERT_EQ(first[k]->chars.size(), second[k]->chars.size());
      for (size_t c = 0; c + 1 < first[k]->chars.size(); ++c) {
        EXPECT_EQ(first[k]->chars[c].link, second[k]->chars[c].link);
        EXPECT_EQ(first[k]->chars[c].width, second[k]->chars[c].width);
        EXPECT_EQ(first[k]->FontAt(static_cast<int>(c)), second[k]->FontAt(static_cast<int>(c)));
      }
    }
    EXPECT_TRUE(sink.messages.empty());
  }
}

}  // namespace
