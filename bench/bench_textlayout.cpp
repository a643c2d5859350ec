// Laying out and drawing about 1 MB of rich text with the Qt canvas, against
// QTextDocument laying out the same text in the same fonts.
//   bench_textlayout [PARAGRAPHS]   (default 5000)
// Prints each figure with its goal.
#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <QAbstractTextDocumentLayout>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

#include "document/zebset.h"
#include "platform/qtcanvas.h"
#include "text/markup.h"
#include "text/paragraph.h"
#include "benchtext.h"

// Time this thread spent on the CPU: on a shared machine the wall clock
// also counts the time other programs held the CPU.
struct Clock {
  using time_point = std::chrono::nanoseconds;
  static time_point now() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return std::chrono::nanoseconds(int64_t(ts.tv_sec) * 1000000000 + ts.tv_nsec);
  }
};

namespace {

double Ms(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double, std::milli>(b - a).count(); }

using Paragraphs = std::vector<std::unique_ptr<TZEBparag>>;

int LayoutAll(Paragraphs& paras, TTextContext& ctx) {
  int top = paras.empty() ? 0 : FirstParagraphTop(ctx, paras[0].get());
  for (auto& p : paras) top = p->Layout(ctx, top);
  return top;
}

struct TFirstLayout {
  double readMs, layoutMs;
  Paragraphs paras;
  int height;
  double Ms() const { return readMs + layoutMs; }
};

// With `canvas` null, a Qt canvas with an empty font cache.
TFirstLayout FirstLayout(TZEBset& doc, const std::string& markup, TCanvas* canvas = nullptr) {
  TQtCanvas qt(nullptr, doc.CodePage());
  TTextContext ctx;
  ctx.doc = &doc;
  ctx.canvas = canvas ? canvas : &qt;
  ctx.zoom = 10;
  ctx.layoutWidth = 800;
  const auto t0 = Clock::now();
  size_t pos = 0;
  Paragraphs paras = ReadParagraphs(ctx, markup, pos);
  const auto t1 = Clock::now();
  const int height = LayoutAll(paras, ctx);
  return {Ms(t0, t1), Ms(t1, Clock::now()), std::move(paras), height};
}

void Report(const char* what, double value, const char* unit, const char* goal = nullptr, bool met = true) {
  std::printf("%-46s %10.2f %-3s", what, value, unit);
  if (goal) std::printf("  goal %-8s %s", goal, met ? "met" : "NOT MET");
  std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  const int paragraphs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5000;

  // Where a fresh process's font set-up goes: Qt reads the system's font list
  // (fontconfig) on first use; then our first face of a font (glyphs and
  // advances of all 256 bytes, fallbacks for bytes the font lacks).
  const auto f0 = Clock::now();
  QFontMetrics(QFont("DejaVu Serif")).height();
  const auto f1 = Clock::now();
  TQtFontCache faces{TCodePage()};
  faces.Face(TCanvasFont{"Arial", 10, 0, 0, 1});
  const auto f2 = Clock::now();
  faces.Face(TCanvasFont{"Arial", 10, fsBold, 0, 1});
  const auto f3 = Clock::now();
  const double fontDbMs = Ms(f0, f1), firstFaceMs = Ms(f1, f2), nextFaceMs = Ms(f2, f3);

  TZEBset doc;
  const std::vector<TParagraphText> text = MakeText(paragraphs);
  const std::string markup = Markup(text);
  std::printf("%d paragraphs, %.2f MB of markup\n", paragraphs, markup.size() / 1048576.0);

  // (a) Our first layout: reading the markup (measuring every character) and
  // breaking the lines, with an empty font cache each round. The first round
  // also pays for the process's first page faults and Qt's font engines.
  TFirstLayout first = FirstLayout(doc, markup);
  const double coldMs = first.Ms();
  double ourMs = coldMs, readMs = first.readMs, fixedReadMs = 1e9;
  for (int round = 0; round < 4; ++round) {
    const TFirstLayout again = FirstLayout(doc, markup);
    ourMs = std::min(ourMs, again.Ms());
    readMs = std::min(readMs, again.readMs);
  }
  // The same text without font tags and links: what the tags cost.
  std::vector<TParagraphText> plainText = text;
  for (auto& para : plainText)
    for (auto& piece : para) piece.kind = TPiece::Plain;
  const std::string plainMarkup = Markup(plainText);
  double plainReadMs = 1e9;
  for (int round = 0; round < 3; ++round) plainReadMs = std::min(plainReadMs, FirstLayout(doc, plainMarkup).readMs);
  // The same reading with constant widths: what measuring with Qt adds.
  for (int round = 0; round < 3; ++round) {
    TFixedCanvas fixed;
    fixed.record = false;
    fixedReadMs = std::min(fixedReadMs, FirstLayout(doc, markup, &fixed).readMs);
  }
  Paragraphs& paras = first.paras;
  size_t lines = 0;
  for (auto& p : paras) lines += p->lines.size();
  std::printf("%zu paragraphs read, %zu lines at 800 px, %d px high\n", paras.size(), lines, first.height);

  // (b) QTextDocument with the same text, fonts and width.
  double qtBuildMs = 1e9, qtLayoutMs = 1e9;
  for (int round = 0; round < 2; ++round) {
    QTextDocument qd;
    const auto t0 = Clock::now();
    FillDocument(qd, text, doc.CodePage(), *paras[0]);
    const auto t1 = Clock::now();
    qd.setTextWidth(800);
    const QSizeF size = qd.documentLayout()->documentSize();
    const auto t2 = Clock::now();
    qtBuildMs = std::min(qtBuildMs, Ms(t0, t1));
    qtLayoutMs = std::min(qtLayoutMs, Ms(t1, t2));
    if (round == 0) std::printf("QTextDocument: %d blocks, %.0f px high\n", qd.blockCount(), size.height());
  }

  // (c) Relayout after the width changes from 800 to 700.
  TQtCanvas measure(nullptr, doc.CodePage());
  TTextContext ctx;
  ctx.doc = &doc;
  ctx.canvas = &measure;
  double relayoutMs = 1e9;
  for (int round = 0; round < 10; ++round) {
    ctx.layoutWidth = 800;
    LayoutAll(paras, ctx);
    ctx.layoutWidth = 700;
    const auto t0 = Clock::now();
    LayoutAll(paras, ctx);
    relayoutMs = std::min(relayoutMs, Ms(t0, Clock::now()));
  }

  // The limit to approach: a bare break loop over the cached widths (breaks
  // where a character does not fit, no break points, no line records).
  double bareMs = 1e9;
  long bareLines = 0;
  for (int round = 0; round < 10; ++round) {
    const auto t0 = Clock::now();
    long count = 0;
    for (auto& p : paras) {
      int remaining = 700 - p->LeftMargin(ctx) - p->RightMargin(ctx);
      const int full = remaining;
      const size_t n = p->text.size();
      const TCharRec* chars = p->chars.data();
      for (size_t i = 0; i < n; ++i) {
        const int w = chars[i].width;
        if (remaining - w > 0) {
          remaining -= w;
        } else {
          remaining = full - w;
          ++count;
        }
      }
    }
    bareMs = std::min(bareMs, Ms(t0, Clock::now()));
    bareLines += count;
  }

  // (d) One 800 x 1000 screen: the paragraphs that meet it, drawn on an image.
  QImage screen(800, 1000, QImage::Format_ARGB32_Premultiplied);
  double screenMs = 1e9;
  for (int round = 0; round < 30; ++round) {
    screen.fill(Qt::white);
    QPainter painter(&screen);
    TQtCanvas canvas(&painter, measure.Cache());
    ctx.canvas = &canvas;
    const auto t0 = Clock::now();
    for (auto& p : paras) {
      if (p->top >= screen.height()) break;
      if (p->bottom >= 0) p->Draw(ctx);
    }
    screenMs = std::min(screenMs, Ms(t0, Clock::now()));
  }
  if (argc > 2) screen.save(argv[2]);

  std::printf("\n");
  Report("font list read by Qt (fontconfig), once", fontDbMs, "ms");
  Report("first face of a font (256 glyphs, fallbacks)", firstFaceMs, "ms");
  Report("next face of the same family", nextFaceMs, "ms");
  Report("(a) first layout, first run in the process", coldMs, "ms");
  Report("    first run beyond the best of 5", coldMs - ourMs, "ms", "< 30 ms", coldMs - ourMs < 30);
  Report("(a) first layout, new font cache, best of 5", ourMs, "ms");
  Report("    of which reading the markup", readMs, "ms");
  Report("    reading with a fixed-width canvas instead", fixedReadMs, "ms");
  Report("    reading the text without tags and links", plainReadMs, "ms");
  Report("(b) QTextDocument build", qtBuildMs, "ms");
  Report("(b) QTextDocument layout", qtLayoutMs, "ms");
  const double ratio = (qtBuildMs + qtLayoutMs) / ourMs;
  Report("(b) QTextDocument build+layout / our first layout", ratio, "x", ">= 20x", ratio >= 20);
  Report("(b) QTextDocument layout alone / our first layout", qtLayoutMs / ourMs, "x");
  Report("(c) relayout 800 -> 700 px", relayoutMs, "ms", "< 5 ms", relayoutMs < 5);
  Report("    bare break loop over the widths", bareMs, "ms");
  Report("    relayout / bare break loop", relayoutMs / bareMs, "x");
  std::printf("    (%ld lines in the bare loop)\n", bareLines / 10);
  Report("(d) one 800x1000 screen drawn", screenMs, "ms", "< 2 ms", screenMs < 2);
  return 0;
}
