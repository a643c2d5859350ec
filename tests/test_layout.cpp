// Line breaking, alignment, heights and drawing of paragraphs.
#include <gtest/gtest.h>

#include <array>

#include "document/zebset.h"
#include "text/markup.h"
#include "text/paragraph.h"

using namespace std::string_literals;

namespace {

// A fixed-metrics font of size S: advance S*3/5, height S+S/4, ascent S.
class LayoutTest : public ::testing::Test {
protected:
  LayoutTest() {
    ctx.doc = &doc;
    ctx.canvas = &canvas;
    ctx.layoutWidth = 100;
  }

  // Style 0 without margins, every character measured in its font.
  std::unique_ptr<TZEBparag> Para(const std::string& text, int size = 10) {
    auto p = std::make_unique<TZEBparag>();
    p->style.SetBase(doc.ObjectAt(stileParagrafo, 0));
    p->style.Set(paLeft, 0);
    p->style.Set(paRight, 0);
    p->style.Set(paFontSize, size);
    p->text = text;
    p->chars.assign(text.size() + 1, TCharRec{});
    Measure(*p);
    return p;
  }

  void Measure(TZEBparag& p) {
    canvas.SetFont(ctx.CanvasFont(p.ParagraphFont()));
    p.defaultLineHeight = canvas.Metrics().height;
    for (size_t i = 0; i < p.text.size(); ++i) {
      const TMyFont f = p.FontAt(static_cast<int>(i));
      canvas.SetFont(ctx.CanvasFont(f));
      TTextMetrics m = canvas.Metrics();
      if (f.vertical == 1) m.height += m.height / 2;
      if (f.vertical == 2) m.ascent += m.height / 2;
      TCharRec& c = p.chars[i];
      c.width = c.display = canvas.PairWidth(-1, static_cast<uint8_t>(p.text[i]));
      c.height = m.height;
      c.ascent = m.ascent;
    }
  }

  void FontChange(TZEBparag& p, int at, TMyFont f) {
    auto fs = std::make_unique<TZEBFontStyle>(p.style.Base());
    fs->Assign(f);
    p.chars[at].fontChange = static_cast<int>(p.fonts.size());
    p.fonts.push_back(std::move(fs));
    Measure(p);
  }

  std::vector<TFixedCanvas::Op> Drawn(TZEBparag& p, int selFrom = -1, int selTo = -1) {
    canvas.ops.clear();
    p.Draw(ctx, selFrom, selTo);
    return canvas.ops;
  }

  TZEBset doc;
  TFixedCanvas canvas;
  TTextContext ctx;
};

struct FakeHost : IInlineHost {
  TInlineMetrics MeasureObject(TZEBoggetto*, int lineWidth) override {
    widths.push_back(lineWidth);
    return {30, 20, 10};
  }
  void PlaceObject(TZEBoggetto*, int x, int top, bool selected) override { placed.push_back({x, top, selected}); }
  std::vector<int> widths;
  std::vector<std::array<int, 3>> placed;
};

TEST_F(LayoutTest, BreaksAfterSpacesAndExactFitDoesNotFit) {
  auto p = Para("aaa bbb");  // 7 x 6 px
  ctx.layoutWidth = 43;
  EXPECT_EQ(p->Layout(ctx, 100), 112);
  ASSERT_EQ(p->lines.size(), 1u);
  EXPECT_EQ(p->lines[0].used, 42);

  ctx.layoutWidth = 42;  // the last character would leave exactly 0
  p->style.Set(paAbove, 5);
  p->style.Set(paBelow, 7);
  EXPECT_EQ(p->Layout(ctx, 100), 100 + 5 + 24 + 7);
  EXPECT_EQ(p->bottom, 135);
  ASSERT_EQ(p->lines.size(), 2u);
  EXPECT_EQ(p->lines[0].count, 4);
  EXPECT_EQ(p->lines[0].used, 24);
  EXPECT_EQ(p->lines[1].first, 4);
  EXPECT_EQ(p->lines[1].count, 3);
  EXPECT_EQ(p->lines[1].y, 12);
  EXPECT_EQ(ctx.widest, 0);

  // Margins narrow every line; the indent only the first.
  p->style.Set(paLeft, 10);
  p->style.Set(paIndent, 12);
  ctx.layoutWidth = 10 + 12 + 25;
  p->Layout(ctx, 0);
  ASSERT_EQ(p->lines.size(), 2u);
  EXPECT_EQ(p->lines[0].xStart, 22);
  EXPECT_EQ(p->lines[1].xStart, 10);

  auto empty = Para("");
  empty->style.Set(paAbove, 5);
  empty->style.Set(paBelow, 7);
  EXPECT_EQ(empty->Layout(ctx, 50), 50 + 5 + 12 + 7);
  ASSERT_EQ(empty->lines.size(), 1u);
  EXPECT_EQ(empty->lines[0].height, 12);
}

TEST_F(LayoutTest, OverflowingWordsStayWholeAndWidenTheBox) {
  auto p = Para("abcdefgh ij");
  ctx.layoutWidth = 30;
  p->Layout(ctx, 0);
  ASSERT_EQ(p->lines.size(), 2u);
  EXPECT_EQ(p->lines[0].count, 9);
  EXPECT_EQ(p->lines[0].used, 30);
  EXPECT_EQ(p->lines[1].first, 9);
  EXPECT_EQ(ctx.widest, 30 + 24);

  // Narrower than one character: one character a line, and the box still widens.
  auto q = Para("ab");
  ctx.widest = 0;
  ctx.layoutWidth = 5;
  q->Layout(ctx, 0);
  ASSERT_EQ(q->lines.size(), 2u);
  EXPECT_EQ(q->lines[1].first, 1);
  EXPECT_EQ(ctx.widest, 6);

  // A word carried to the next line that does not fit there either.
  auto r = Para("a bbbbbbbbbb c");
  ctx.widest = 0;
  ctx.layoutWidth = 40;
  r->Layout(ctx, 0);
  ASSERT_EQ(r->lines.size(), 3u);
  EXPECT_EQ(r->lines[1].first, 2);
  EXPECT_EQ(r->lines[1].count, 11);
  EXPECT_EQ(r->lines[2].first, 13);
  EXPECT_EQ(ctx.widest, 40 + 26);
}

TEST_F(LayoutTest, AlignmentAndJustification) {
  auto p = Para("a b c d eeeeeeeeee");
  p->style.Set(paAlignment, 3);
  ctx.layoutWidth = 58;  // "a b c d " leaves 10 over three inner spaces
  p->Layout(ctx, 0);
  ASSERT_EQ(p->lines.size(), 2u);
  EXPECT_EQ(p->chars[1].display, 10);
  EXPECT_EQ(p->chars[3].display, 9);
  EXPECT_EQ(p->chars[5].display, 9);
  EXPECT_EQ(p->chars[7].display, 6);  // the line's last character
  EXPECT_EQ(p->lines[0].used, 58);
  EXPECT_EQ(p->lines[1].shift, 0);  // last line left aligned

  auto w = Para("abcdefgh ijklmnopq");
  w->style.Set(paAlignment, 3);
  w->Layout(ctx, 0);
  EXPECT_EQ(w->lines[0].shift, 0);
  EXPECT_EQ(w->lines[0].used, 54);
  EXPECT_EQ(w->chars[8].display, 6);

  auto c = Para("ab");
  ctx.layoutWidth = 19;
  c->style.Set(paAlignment, 2);
  c->Layout(ctx, 0);
  EXPECT_EQ(c->lines[0].shift, 3);
  c->style.Set(paAlignment, 1);
  c->Layout(ctx, 0);
  EXPECT_EQ(c->lines[0].shift, 7);

  // Justification laid out again for another width leaves no stale spaces.
  ctx.layoutWidth = 200;
  p->Layout(ctx, 0);
  EXPECT_EQ(p->chars[1].display, 6);
}

TEST_F(LayoutTest, LineHeights) {
  auto p = Para("aaaa bbbb", 32);  // 40 px cells
  ctx.layoutWidth = 120;
  p->style.Set(paLineHeight, 30);
  EXPECT_EQ(p->Layout(ctx, 0), 60);
  EXPECT_EQ(p->lines[1].y, 30);

  // A word carried to the next line leaves its ascent on the line it left:
  // the maximum ascent runs over every character added, the depth below the
  // baseline only over the line's own characters.
  ctx.zoom = 15;
  auto carried = Para("aa bbb");  // 15 px text: advance 9, height 18, ascent 15
  FontChange(*carried, 3, TMyFont{"Arial", 0, 0, 20, 0});  // 30 px: advance 18, height 37, ascent 30
  ctx.layoutWidth = 46;  // "aa b" fits, the second "b" breaks after "aa "
  carried->Layout(ctx, 0);
  ASSERT_EQ(carried->lines.size(), 2u);
  EXPECT_EQ(carried->lines[0].count, 3);
  EXPECT_EQ(carried->lines[0].maxAscent, 30);
  EXPECT_EQ(carried->lines[0].height, 30 + 3);
  EXPECT_EQ(carried->lines[1].maxAscent, 30);
  EXPECT_EQ(carried->lines[1].height, 37);
  EXPECT_EQ(carried->lines[1].y, 33);
  auto ops = Drawn(*carried);
  ASSERT_EQ(ops.size(), 3u);
  EXPECT_EQ(ops[0].y, 30 - 15);  // the small text sits on the deeper baseline
  // Only what follows the last break point is carried: a space restarts the tracking.
  auto later = Para("aa b cd");
  FontChange(*later, 3, TMyFont{"Arial", 0, 0, 20, 0});
  FontChange(*later, 4, TMyFont{"Arial", 0, 0, 10, 0});
  ctx.layoutWidth = 64;  // "aa b c" fits, "d" carries "c" after the second space
  later->Layout(ctx, 0);
  ASSERT_EQ(later->lines.size(), 2u);
  EXPECT_EQ(later->lines[0].maxAscent, 30);
  EXPECT_EQ(later->lines[1].first, 5);
  EXPECT_EQ(later->lines[1].maxAscent, 15);
  EXPECT_EQ(later->lines[1].height, 18);
  ctx.zoom = 10;
  ctx.layoutWidth = 120;

  auto low = Para("ab");
  FontChange(*low, 1, TMyFont{"Arial", 0, 0, 10, 1});
  low->Layout(ctx, 0);
  EXPECT_EQ(low->lines[0].height, 18);
  ops = Drawn(*low);
  ASSERT_EQ(ops.size(), 2u);
  EXPECT_EQ(ops[0].y, 0);
  EXPECT_EQ(ops[1].y, 5);  // half the character height lower

  auto high = Para("ab");
  FontChange(*high, 1, TMyFont{"Arial", 0, 0, 10, 2});
  high->Layout(ctx, 0);
  EXPECT_EQ(high->lines[0].maxAscent, 16);
  EXPECT_EQ(high->lines[0].height, 18);
  ops = Drawn(*high);
  EXPECT_EQ(ops[0].y, 6);
  EXPECT_EQ(ops[1].y, 0);
}

TEST_F(LayoutTest, NumbersAndBullets) {
  auto p = Para("uno");
  p->style.Set(paNumbering, 6);
  p->style.Set(paIndent, -20);
  p->style.Set(paLeft, 40);
  p->top = 0;
  p->Layout(ctx, 0);
  auto ops = Drawn(*p);
  ASSERT_EQ(ops.size(), 2u);
  EXPECT_EQ(ops[0].text, "1. ");
  EXPECT_EQ(ops[0].x, 20);
  EXPECT_EQ(ops[1].x, 40);

  auto q = Para("uno", 7);  // "1. " is 12 px wide
  q->style.Set(paNumbering, 6);
  q->style.Set(paIndent, 5);
  q->style.Set(paLeft, 40);
  q->Layout(ctx, 0);
  ops = Drawn(*q);
  EXPECT_EQ(ops[0].x, 28);
  EXPECT_EQ(ops[1].x, 45);
  q->style.Set(paIndent, 12);
  q->number = 12;
  q->Layout(ctx, 0);
  ops = Drawn(*q);
  EXPECT_EQ(ops[0].text, "12. ");
  EXPECT_EQ(ops[0].x, 40 - 16);

  p->style.Set(paNumbering, 10);
  for (auto [indent, x] : {std::pair{0, 30}, {12, 40}, {-15, 25}}) {
    p->style.Set(paIndent, indent);
    p->Layout(ctx, 0);
    ops = Drawn(*p);
    EXPECT_EQ(ops[0].text, "w");
    EXPECT_EQ(ops[0].font.name, "Wingdings");
    EXPECT_EQ(ops[0].x, x) << indent;
  }

  // Numbers are given while laying out: each run of numbered paragraphs counts from 1.
  TParagraphs run;
  for (int numbering : {6, 6, 0, 6, 10, 6}) {
    run.push_back(Para("x"));
    run.back()->style.Set(paNumbering, numbering);
  }
  LayoutParagraphs(ctx, run);
  std::vector<int> numbers;
  for (auto& para : run) numbers.push_back(para->number);
  EXPECT_EQ(numbers, (std::vector<int>{1, 2, 1, 1, 1, 1}));
  EXPECT_EQ(Drawn(*run[1])[0].text, "2. ");
}

TEST_F(LayoutTest, RunsLinksAndSelection) {
  auto p = Para("uno due");
  p->style.Set(paStyleFlags, fsBold);
  Measure(*p);
  for (int i = 4; i < 7; ++i) p->chars[i].link = 5;
  p->Layout(ctx, 0);
  auto ops = Drawn(*p);
  ASSERT_EQ(ops.size(), 3u);
  EXPECT_EQ(ops[0].text, "uno");
  EXPECT_EQ(ops[2].text, "due");
  EXPECT_EQ(ops[2].x, 24);
  EXPECT_EQ(ops[0].font.style, fsBold);
  EXPECT_EQ(ops[2].font.style, fsBold | fsUnderline);
  EXPECT_EQ(ops[2].font.colour, 0xFF0000);

  p->style.Set(paStyleFlags, fsBold | fsUnderline);  // flags toggle, not set
  ops = Drawn(*p);
  EXPECT_EQ(ops[2].font.style, fsBold);

  ops = Drawn(*p, 1, 5);
  ASSERT_EQ(ops.size(), 5u);
  EXPECT_EQ(ops[0].text, "u");
  EXPECT_FALSE(ops[0].solid);
  EXPECT_EQ(ops[1].text, "no");
  EXPECT_TRUE(ops[1].solid);
  EXPECT_EQ(ops[1].font.colour, 0xFFFFFF);
  EXPECT_TRUE(ops[2].solid);
  EXPECT_EQ(ops[3].text, "d");
  EXPECT_TRUE(ops[3].solid);
  EXPECT_EQ(ops[4].text, "ue");
  EXPECT_FALSE(ops[4].solid);
  EXPECT_EQ(ops[4].font.colour, 0xFF0000);
}

TEST_F(LayoutTest, FontChangesInsideLinks) {
  ctx.zoom = 20;
  auto p = Para("abcde");
  for (int i = 1; i < 4; ++i) p->chars[i].link = 7;
  FontChange(*p, 2, TMyFont{"Times", fsItalic, 0, 11, 0});
  p->style.Set(paLinkSize, 12);
  p->Layout(ctx, 0);
  auto ops = Drawn(*p);
  ASSERT_EQ(ops.size(), 4u);
  EXPECT_EQ(ops[0].font.size, 20);
  EXPECT_EQ(ops[1].font.size, 24);
  EXPECT_EQ(ops[2].text, "cd");
  EXPECT_EQ(ops[2].font.size, 24);  // a sized link keeps its font
  EXPECT_EQ(ops[2].font.name, "Arial");
  EXPECT_EQ(ops[3].font.size, 22);  // restored to the last font change
  EXPECT_EQ(ops[3].font.colour, 0);
  EXPECT_EQ(ops[3].font.name, "Times");

  p->style.Set(paLinkSize, -1);
  ops = Drawn(*p);
  ASSERT_EQ(ops.size(), 4u);
  EXPECT_EQ(ops[1].font.size, 20);
  EXPECT_EQ(ops[2].font.size, 22);
  EXPECT_EQ(ops[2].font.colour, 0xFF0000);
  EXPECT_EQ(ops[2].font.style, fsItalic | fsUnderline);
}

TEST_F(LayoutTest, StaleWidthsFallBackToSingleCharacters) {
  auto p = Para("abcd ef");
  for (int i = 0; i < 4; ++i) p->chars[i].width = 7;  // 28 against 24: close enough
  p->Layout(ctx, 0);
  EXPECT_EQ(Drawn(*p).size(), 3u);

  for (int i = 0; i < 4; ++i) p->chars[i].width = 8;
  p->Layout(ctx, 0);
  auto ops = Drawn(*p);
  ASSERT_EQ(ops.size(), 6u);
  EXPECT_EQ(ops[1].x, 6);
  EXPECT_EQ(ops[3].x, 18);
  EXPECT_EQ(ops[4].x, 32);  // laid-out total of the run
  // Drawing leaves the layout as it was: the records keep their widths and
  // every drawing measures afresh, until the text is laid out again.
  EXPECT_EQ(p->chars[2].width, 8);
  EXPECT_EQ(p->lines[0].used, 50);
  EXPECT_EQ(Drawn(*p).size(), 6u);
}

TEST_F(LayoutTest, InlineObjects) {
  FakeHost host;
  auto obj = doc.NewObject(immagineNew);
  auto p = Para("ab c");
  p->chars[3].object = 0;
  p->objects.push_back(obj.get());
  ctx.layoutWidth = 200;
  p->Layout(ctx, 10);  // without a host: nothing wide, 10 high
  EXPECT_EQ(p->chars[3].width, 0);
  EXPECT_EQ(p->chars[3].height, 10);

  ctx.host = &host;
  p->style.Set(paLeft, 10);
  p->style.Set(paRight, 5);
  p->Layout(ctx, 10);
  EXPECT_EQ(host.widths.back(), 185);
  EXPECT_EQ(p->chars[3].width, 30);
  EXPECT_EQ(p->lines[0].maxAscent, 10);
  EXPECT_EQ(p->lines[0].height, 20);
  // Layout puts the object; drawing tells the host where layout put it.
  ASSERT_EQ(p->places.size(), 1u);
  EXPECT_EQ(p->places[0].charIndex, 3);
  EXPECT_EQ(p->places[0].x, 10 + 18);
  EXPECT_EQ(p->places[0].top, 10);
  EXPECT_TRUE(host.placed.empty());
  auto ops = Drawn(*p, 3, 4);
  ASSERT_EQ(host.placed.size(), 1u);
  EXPECT_EQ(host.placed[0], (std::array<int, 3>{10 + 18, 10, 1}));
  EXPECT_EQ(ops.size(), 2u);
}

TEST_F(LayoutTest, MarginsFontsAndFirstTop) {
  auto p = Para("x");
  p->style.Set(paLeft, 10);
  p->style.Set(paRight, 4);
  p->style.Set(paIndent, -8);
  EXPECT_EQ(p->Indent(), -8);
  p->style.Set(paNumbering, 3);
  EXPECT_EQ(p->Indent(), 0);
  ctx.cellPadding = 2;
  EXPECT_EQ(p->LeftMargin(ctx), 12);
  EXPECT_EQ(p->RightMargin(ctx), 6);
  EXPECT_EQ(FirstParagraphTop(ctx, p.get()), 2);
  p->style.Set(paAbove, 6);
  EXPECT_EQ(FirstParagraphTop(ctx, p.get()), 8);
  ctx.cellPadding = -1;
  EXPECT_EQ(FirstParagraphTop(ctx, p.get()), 0);
  p->style.Set(paAbove, 0);
  EXPECT_EQ(FirstParagraphTop(ctx, p.get()), 8);
  TZEBset other;
  other.SetDocProperty("GlobalMargin", "3");
  ctx.doc = &other;
  EXPECT_EQ(FirstParagraphTop(ctx, p.get()), 3);
  ctx.doc = nullptr;
  EXPECT_EQ(FirstParagraphTop(ctx, nullptr), 8);
  EXPECT_EQ(ctx.CanvasFont(TMyFont{"Arial", 0, 0, 11, 0}).charset, 1);

  ctx.doc = &doc;
  doc.SetFontCharSet(204);
  ctx.zoom = 15;
  const TCanvasFont f = ctx.CanvasFont(TMyFont{"Times", fsItalic, 0x123456, 11, 0});
  EXPECT_EQ(f, (TCanvasFont{"Times", 16, fsItalic, 0x123456, 204}));
  EXPECT_EQ(p->StyleNumber(), 0);
}

TEST_F(LayoutTest, ReadParagraphsLayOut) {
  const std::string text = "<Z S0 A3 >uno due tre<Z S1 >x\0"s;
  size_t pos = 0;
  auto paras = ReadParagraphs(ctx, text, pos);
  ASSERT_EQ(paras.size(), 2u);
  EXPECT_EQ(paras[1]->StyleNumber(), 1);
  ctx.layoutWidth = 70;  // 50 px lines inside the 10 px margins
  int top = paras[0]->Layout(ctx, 8);
  EXPECT_EQ(top, 8 + 24);
  ASSERT_EQ(paras[0]->lines.size(), 2u);
  EXPECT_EQ(paras[0]->lines[0].xStart, 10);
  EXPECT_EQ(paras[0]->chars[3].display, 8);
  auto ops = Drawn(*paras[0]);
  ASSERT_EQ(ops.size(), 5u);
  EXPECT_EQ(ops[2].x, 10 + 18 + 8);
  EXPECT_EQ(ops[4].text, "tre");
  EXPECT_EQ(ops[4].y, 8 + 12);
}

}  // namespace
