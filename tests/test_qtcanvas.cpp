// The Qt canvas: drawn text lands where its measured widths say.
#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <vector>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include "document/zebset.h"
#include "platform/pngwrite.h"
#include "platform/qtcanvas.h"
#include "testutil.h"
#include "text/markup.h"

namespace {

void EnsureGuiApp() {
  if (QGuiApplication::instance()) return;
  qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "core_tests";
  static char* argv[] = {name, nullptr};
  new QGuiApplication(argc, argv);  // lives as long as the test program
}

QImage White(int w, int h) {
  QImage img(w, h, QImage::Format_RGB32);
  img.fill(Qt::white);
  return img;
}

bool Ink(QRgb p) { return qGray(p) < 200; }

// Rightmost column with ink, -1 when none.
int RightmostInk(const QImage& img) {
  for (int x = img.width() - 1; x >= 0; --x)
    for (int y = 0; y < img.height(); ++y)
      if (Ink(img.pixel(x, y))) return x;
  return -1;
}

int InkCount(const QImage& img, QRect r) {
  int n = 0;
  r = r.intersected(img.rect());
  for (int y = r.top(); y <= r.bottom(); ++y)
    for (int x = r.left(); x <= r.right(); ++x) n += Ink(img.pixel(x, y));
  return n;
}

TCanvasFont Font(const char* name, int size, uint8_t style = 0, int32_t colour = 0) {
  TCanvasFont f;
  f.name = name;
  f.size = size;
  f.style = style;
  f.colour = colour;
  return f;
}

// Italian text in windows-1252, ending on a letter whose ink reaches its advance.
std::string ItalianRun(size_t length) {
  const std::string verse =
      "Nel mezzo del cammin di nostra vita mi ritrovai per una selva oscura, ch\xE9 la diritta via era "
      "smarrita. Ahi quanto a dir qual era \xE8 cosa dura esta selva selvaggia e aspra e forte che nel "
      "pensier rinova la paura! Tant'\xE8 amara che poco \xE8 pi\xF9 morte; ma per trattar del ben ch'i' "
      "vi trovai, dir\xF2 de l'altre cose ch'i' v'ho scorte. ";
  std::string s;
  while (s.size() < length) s += verse;
  s.resize(length - 1);
  return s + "o";
}

class QtCanvasTest : public ::testing::Test {
protected:
  static void SetUpTestSuite() { EnsureGuiApp(); }
  TCodePage cp1252{"windows-1252"};
};

TEST_F(QtCanvasTest, LongRunsEndWhereTheirWidthsSay) {
  const std::string run = ItalianRun(300);
  const TCanvasFont fonts[] = {Font("Arial", 10), Font("Arial", 10, fsBold), Font("Times New Roman", 12),
                               Font("Courier New", 9), Font("Arial", 14, fsItalic), Font("Times New Roman", 7)};
  for (const TCanvasFont& f : fonts) {
    SCOPED_TRACE(f.name + " " + std::to_string(f.size) + " style " + std::to_string(f.style));
    TQtCanvas measure(nullptr, cp1252);
    measure.SetFont(f);
    int sum = 0, prev = -1;
    for (char ch : run) {
      sum += measure.PairWidth(prev, static_cast<uint8_t>(ch));
      prev = static_cast<uint8_t>(ch);
    }
    EXPECT_EQ(measure.TextWidth(run), sum);

    const int x = 5;
    QImage img = White(sum + 60, 50);
    {
      QPainter painter(&img);
      TQtCanvas canvas(&painter, cp1252);
      canvas.SetFont(f);
      canvas.TextOut(x, 5, run);
    }
    EXPECT_NEAR(RightmostInk(img) + 1, x + sum, 2);

    // Given advances (one pixel wider each) place the glyphs instead.
    std::vector<int> advances;
    for (char ch : run) advances.push_back(measure.PairWidth(-1, static_cast<uint8_t>(ch)) + 1);
    img = White(sum + 400, 50);
    {
      QPainter painter(&img);
      TQtCanvas canvas(&painter, cp1252);
      canvas.SetFont(f);
      canvas.TextOut(x, 5, run, advances.data());
    }
    EXPECT_NEAR(RightmostInk(img) + 1, x + sum + static_cast<int>(run.size()) - 1, 2);
  }
}

TEST_F(QtCanvasTest, DrawsInItsCellWithBackgroundAndLines) {
  QImage img = White(200, 60);
  QPainter painter(&img);
  TQtCanvas canvas(&painter, cp1252);
  canvas.SetFont(Font("Arial", 12));
  const TTextMetrics m = canvas.Metrics();
  const int w = canvas.TextWidth("Prova");
  canvas.TextOut(20, 10, "Prova");
  const QRect cell(20, 10, w, m.height);
  EXPECT_GT(InkCount(img, cell), 20);
  EXPECT_EQ(InkCount(img, img.rect()), InkCount(img, cell.adjusted(-1, 0, 1, 0)));

  // Selected text: the whole cell in the highlight colour, the text in white.
  img.fill(Qt::white);
  canvas.SetTextBackground(true, canvas.HighlightColour());
  canvas.SetFont(Font("Arial", 12, 0, canvas.HighlightTextColour()));
  canvas.TextOut(20, 10, "Prova");
  const QRgb highlight = TQtCanvas::Colour(canvas.HighlightColour()).rgb();
  EXPECT_EQ(img.pixel(20, 10), highlight);
  EXPECT_EQ(img.pixel(20 + w - 1, 10 + m.height - 1), highlight);
  EXPECT_EQ(img.pixel(20 + w, 10), qRgb(255, 255, 255));
  EXPECT_EQ(img.pixel(19, 10), qRgb(255, 255, 255));
  int light = 0;
  for (int x = 20; x < 20 + w; ++x)
    for (int y = 10; y < 10 + m.height; ++y) light += qGray(img.pixel(x, y)) > 200;
  EXPECT_GT(light, 10);

  // Underline and strike-out run across the whole run, spaces included.
  img.fill(Qt::white);
  canvas.SetTextBackground(false, 0);
  canvas.SetFont(Font("Arial", 12, fsUnderline | fsStrikeOut));
  const int spaces = canvas.TextWidth("   ");
  canvas.TextOut(20, 10, "   ");
  EXPECT_EQ(InkCount(img, QRect(20, 0, spaces, 60)), 2 * spaces);
  EXPECT_EQ(InkCount(img, img.rect()), 2 * spaces);
}

TEST_F(QtCanvasTest, WingdingsBulletsAreUnicodeSymbols) {
  TQtCanvas measure(nullptr, cp1252);
  measure.SetFont(Font("Wingdings", 10));
  EXPECT_GT(measure.TextWidth("w"), 0);

  for (auto [byte, candidates] : {std::pair<char, std::array<char16_t, 2>>{'w', {0x25C6, 0x2666}},
                                  {'l', {0x25CF, 0x2022}}}) {
    SCOPED_TRACE(byte);
    QImage drawn = White(40, 40);
    {
      QPainter painter(&drawn);
      TQtCanvas canvas(&painter, cp1252);
      canvas.SetFont(Font("Wingdings", 10));
      canvas.TextOut(10, 10, std::string(1, byte));
    }
    ASSERT_GT(InkCount(drawn, drawn.rect()), 5);
    // The same glyph as Qt draws for one of the Unicode characters, not the letter.
    QFont font("Wingdings");
    font.setPixelSize(13);
    const int baseline = 10 + measure.Metrics().ascent;
    auto plain = [&](QString s) {
      QImage img = White(40, 40);
      QPainter painter(&img);
      painter.setFont(font);
      painter.setPen(Qt::black);
      painter.drawText(10, baseline, s);
      return img;
    };
    EXPECT_NE(drawn, plain(QString(QChar(byte))));
    EXPECT_TRUE(drawn == plain(QString(QChar(candidates[0]))) || drawn == plain(QString(QChar(candidates[1]))));
  }
}

TEST_F(QtCanvasTest, MetricsGrowWithSizeAndStayBounded) {
  TQtCanvas canvas(nullptr, cp1252);
  canvas.SetFont(Font("Arial", 10));
  const TTextMetrics small = canvas.Metrics();
  const int smallWidth = canvas.TextWidth("abc"), smallEm = canvas.CharHeight();
  canvas.SetFont(Font("Arial", 20));
  EXPECT_GT(canvas.Metrics().height, small.height);
  EXPECT_GT(canvas.Metrics().ascent, small.ascent);
  EXPECT_GT(canvas.TextWidth("abc"), smallWidth);
  EXPECT_EQ(smallEm, 13);  // 10 points at 96 dpi
  EXPECT_EQ(canvas.CharHeight(), 27);
  EXPECT_LT(small.ascent, small.height);

  // Sizes from a file: nothing huge is built, and no size is empty.
  EXPECT_LE(PixelSizeForPoints(INT_MAX), 2000);
  EXPECT_LE(PixelSizeForPoints(INT_MIN), 2000);
  EXPECT_GE(PixelSizeForPoints(0), 1);
  canvas.SetFont(Font("Arial", 0));
  EXPECT_GT(canvas.Metrics().height, 0);

  // Many sizes: the cache keeps a bounded number of faces, and a face that was
  // dropped still serves the canvas using it.
  auto cache = std::make_shared<TQtFontCache>(cp1252);
  TQtCanvas keeper(nullptr, cache), other(nullptr, cache);
  keeper.SetFont(Font("Arial", 11));
  const int w11 = keeper.TextWidth("prova");
  for (int s = 1; s < 100; ++s) other.SetFont(Font("Arial", 100 + s));
  EXPECT_LE(cache->Size(), TQtFontCache::kMaxFaces);
  EXPECT_EQ(keeper.TextWidth("prova"), w11);
  keeper.TextOut(0, 0, "prova");  // no painter: measuring only
}

TEST_F(QtCanvasTest, BytesAreReadInTheDocumentCodePage) {
  struct Case {
    const char* charset;
    char16_t expected;
  };
  for (const Case& c : {Case{"windows-1252", 0x00E8}, Case{"windows-1251", 0x0438}}) {
    SCOPED_TRACE(c.charset);
    const TCodePage cp(c.charset);
    QImage drawn = White(40, 40), plain = White(40, 40);
    int ascent = 0;
    {
      QPainter painter(&drawn);
      TQtCanvas canvas(&painter, cp);
      canvas.SetFont(Font("Arial", 14));
      ascent = canvas.Metrics().ascent;
      canvas.TextOut(10, 8, "\xE8");
    }
    {
      QPainter painter(&plain);
      QFont font("Arial");
      font.setPixelSize(PixelSizeForPoints(14));
      painter.setFont(font);
      painter.setPen(Qt::black);
      painter.drawText(10, 8 + ascent, QString(QChar(c.expected)));
    }
    EXPECT_GT(InkCount(drawn, drawn.rect()), 5);
    EXPECT_EQ(drawn, plain);
  }
}

// A paragraph read, laid out and drawn through the canvas: every line's ink
// ends within its used width and the run widths never force re-measuring.
TEST_F(QtCanvasTest, LaidOutLinesDrawWithinTheirWidth) {
  TZEBset doc;
  const std::string markup = "<Z S0 l0 r0 t0 b0 >" + ItalianRun(600);
  QImage img = White(320, 800);
  QPainter painter(&img);
  TQtCanvas canvas(&painter, doc.CodePage());
  TTextContext ctx;
  ctx.doc = &doc;
  ctx.canvas = &canvas;
  ctx.layoutWidth = 300;
  size_t pos = 0;
  auto paras = ReadParagraphs(ctx, markup, pos);
  ASSERT_EQ(paras.size(), 1u);
  TZEBparag& p = *paras[0];
  p.Layout(ctx, 0);
  ASSERT_GT(p.lines.size(), 5u);
  std::vector<int32_t> widths;
  for (const TCharRec& c : p.chars) widths.push_back(c.width);
  p.Draw(ctx);
  for (size_t i = 0; i < p.chars.size(); ++i) ASSERT_EQ(p.chars[i].width, widths[i]);

  for (const TZEBline& ln : p.lines) {
    const QImage band = img.copy(0, p.top + ln.y, img.width(), ln.height);
    const int right = RightmostInk(band) + 1;
    const bool endsInSpace = p.text[ln.first + ln.count - 1] == ' ';
    const int end = ln.xStart + ln.shift + ln.used - (endsInSpace ? canvas.TextWidth(" ") : 0);
    EXPECT_LE(right, end + 1);
    EXPECT_GE(right, end - 3);
  }
}

// Page pictures written as PNG read back pixel for pixel, with and without
// alpha; a file that cannot be made is a failure, not an empty success.
TEST(PagePng, ReadsBackExactly) {
  ScratchDir dir;
  for (bool alpha : {false, true}) {
    QImage img(37, 23, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < img.width(); ++x) img.setPixel(x, y, qRgba(x * 7, y * 11, (x * y) & 0xFF, alpha ? x * 6 : 255));
    const std::string path = (dir.path / (alpha ? "a.png" : "o.png")).string();
    ASSERT_TRUE(WritePagePng(img, path));
    QImage back(QString::fromStdString(path));
    ASSERT_FALSE(back.isNull());
    EXPECT_EQ(back.hasAlphaChannel(), alpha);
    EXPECT_EQ(back.convertToFormat(img.format()), img) << alpha;
  }
  EXPECT_FALSE(WritePagePng(QImage(4, 4, QImage::Format_RGB32), (dir.path / "no" / "x.png").string()));
  EXPECT_FALSE(WritePagePng(QImage(), (dir.path / "empty.png").string()));
}

}  // namespace
