// Copying all of the 1 MB benchmark text: the stored markup of the selection,
// the native stream, and the plain-text, RTF and HTML forms, against
// QTextDocument giving the plain text and HTML of the same text selected whole
// (what a Qt text view puts on the clipboard). Times are processor time,
// best of five.
//   bench_copy [PARAGRAPHS]   (default 5000)
#include <QGuiApplication>
#include <QTextDocumentFragment>
#include <algorithm>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include "benchtext.h"
#include "document/zebset.h"
#include "text/cellindex.h"
#include "text/markup.h"
#include "text/selectionforms.h"
#include "text/zebconv.h"
#include "text/zebhtml.h"
#include "text/zebrtf.h"

namespace {

// Processor time of this process: on a busy machine the wall clock also
// counts the time other programs had the processor.
double CpuMs() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// Best of five runs, in milliseconds of processor time.
double Best(const std::function<void()>& f) {
  double best = 1e9;
  for (int i = 0; i < 5; ++i) {
    const double t0 = CpuMs();
    f();
    best = std::min(best, CpuMs() - t0);
  }
  return best;
}

void Report(const char* what, double ms, size_t bytes) {
  std::printf("%-44s %9.2f ms  %9.2f MB\n", what, ms, bytes / 1048576.0);
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  const int paragraphs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5000;
  TZEBset doc;
  const std::vector<TParagraphText> text = MakeText(paragraphs);
  const std::string source = Markup(text);

  // The paragraphs as a text box holds them.
  TFixedCanvas canvas;
  canvas.record = false;
  TTextContext ctx;
  ctx.doc = &doc;
  ctx.canvas = &canvas;
  TCellTextIndex index(nullptr, ctx);
  ctx.index = &index;
  size_t pos = 0;
  const auto paras = ReadParagraphs(ctx, source, pos);
  std::vector<const TZEBparag*> ptrs;
  for (auto& p : paras) ptrs.push_back(p.get());
  const TSelectionRange all{0, 0, static_cast<int>(ptrs.size()) - 1, static_cast<int>(ptrs.back()->text.size())};
  std::printf("%zu paragraphs, %.2f MB of markup\n", ptrs.size(), source.size() / 1048576.0);

  std::string markup, native, plain, rtf, html;
  const double markupMs = Best([&] { markup = SelectionMarkup(ptrs, ctx, all); });
  const double nativeMs = Best([&] { native = NativeClipStream(ptrs, ctx, nullptr, all, markup); });
  const double textMs = Best([&] {
    plain.clear();
    TZEBtoTxt(&doc, &index, nullptr).Convert(markup, plain);
  });
  // RTF and HTML from the paragraphs the box holds, as a copy makes them,
  // and from the markup, as zebtool does.
  const double rtfMs = Best([&] {
    rtf.clear();
    TParagraphSource src(ptrs, ctx, all.p1, all.c1, all.p2, all.c2);
    TZEBtortf(&doc, &index, nullptr).Write(src, rtf);
  });
  const double htmlMs = Best([&] {
    html.clear();
    TParagraphSource src(ptrs, ctx, all.p1, all.c1, all.p2, all.c2);
    TZEBtoHtml(&doc, &index, nullptr).Write(src, html);
  });
  std::string scratch;
  const double rtfMarkupMs = Best([&] {
    scratch.clear();
    TZEBtortf(&doc, &index, nullptr).Convert(markup, scratch);
  });
  const double htmlMarkupMs = Best([&] {
    scratch.clear();
    TZEBtoHtml(&doc, &index, nullptr).Convert(markup, scratch);
  });
  Report("selection written as stored markup", markupMs, markup.size());
  Report("native stream (\"Lumo30 objects\")", nativeMs, native.size());
  Report("plain text", textMs, plain.size());
  Report("RTF", rtfMs, rtf.size());
  Report("HTML", htmlMs, html.size());
  Report("RTF read back from the markup", rtfMarkupMs, rtf.size());
  Report("HTML read back from the markup", htmlMarkupMs, html.size());
  // The plain text is made from the markup, so writing that markup is part of its cost.
  const double forms = markupMs + textMs + rtfMs + htmlMs;
  std::printf("%-44s %9.2f ms  goal < 30 ms: %s\n", "the three forms together (markup included)", forms, forms < 30 ? "met" : "NOT MET");
  const double copy = nativeMs + forms;
  std::printf("%-44s %9.2f ms\n", "a whole copy (native stream and the forms)", copy);

  // The peer: QTextDocument selected whole, as plain text and HTML.
  QTextDocument qd;
  FillDocument(qd, text, doc.CodePage(), *paras[0]);
  QString qtPlain, qtHtml;
  const double qtMs = Best([&] {
    QTextCursor cur(&qd);
    cur.select(QTextCursor::Document);
    const QTextDocumentFragment frag = cur.selection();
    qtPlain = frag.toPlainText();
    qtHtml = frag.toHtml();
  });
  Report("QTextDocument selection: plain text + HTML", qtMs, size_t(qtHtml.toUtf8().size() + qtPlain.size()));
  std::printf("ratio: our three forms / QTextDocument's two  %.2f\n", forms / qtMs);
  std::printf("ratio: our whole copy / QTextDocument's two   %.2f\n", copy / qtMs);
  return 0;
}
