// Printing into PDF: the 51 KB benchmark page and an ebook of 100 such
// pages, through the reader's print path; time per sheet, whole job, peak
// memory. The peer in the same run: Qt's own QTextDocument printing the same
// words into a PDF of the same paper. Goal: under 20 ms per sheet of text.
//   bench_print [ROUNDS]
#include <QApplication>
#include <QPageSize>
#include <QPrinter>
#include <QTextDocument>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

#include "document/zebset.h"
#include "document/zebwriter.h"
#include "printing/pagesetup.h"
#include "printing/printjob.h"

using Clock = std::chrono::steady_clock;

namespace {

double Ms(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double, std::milli>(b - a).count(); }

// The benchmark page: 51 KB of justified paragraphs with links.
std::string PageText(int variant, int links, std::string* plain) {
  static const char* words[] = {"lettura", "pagina", "collegamento", "testo", "cornice", "ebook", "parola",
                                "capitolo", "indice", "finestra", "è", "più", "perché", "della", "con"};
  std::string t = "<Z S0 s14 y1 >Pagina di prova " + std::to_string(variant);
  *plain = "<p><b>Pagina di prova</b></p>";
  unsigned seed = 12345u + unsigned(variant);
  int linked = 0;
  while (t.size() < 50 * 1024) {
    t += "<Z S0 A3 >";
    *plain += "<p align=justify>";
    for (int w = 0; w < 80; ++w) {
      seed = seed * 1103515245u + 12345u;
      const char* word = words[(seed >> 16) % 15];
      if (w % 40 == 7 && linked < links) {
        char ref[16];
        std::snprintf(ref, sizeof ref, "<$%08X>", MakeId(internetLink, linked++));
        t += std::string(ref) + word + "<%> ";
        *plain += std::string("<a href=\"x\">") + word + "</a> ";
      } else {
        t += std::string(word) + (w % 13 == 12 ? ". " : " ");
        *plain += std::string(word) + (w % 13 == 12 ? ". " : " ");
      }
    }
    *plain += "</p>";
  }
  return t;
}

long PeakKb() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss;
}

int Sheets(const std::string& pdf) {
  const std::string cmd = "pdfinfo '" + pdf + "' 2>/dev/null | sed -n 's/^Pages: *//p'";
  FILE* p = popen(cmd.c_str(), "r");
  int n = -1;
  if (p && std::fscanf(p, "%d", &n) != 1) n = -1;
  if (p) pclose(p);
  return n;
}

struct Job {
  double ms = 0;
  int sheets = 0;
};

Job PrintOurs(TZEBset& doc, const std::vector<int>& pages, const std::string& pdf) {
  TPageSetupDialog setup;
  setup.Printer().setPageSize(QPageSize(QPageSize::A4));
  for (auto set : {&TPageSetupDialog::SetMarginLeft, &TPageSetupDialog::SetMarginTop,
                   &TPageSetupDialog::SetMarginRight, &TPageSetupDialog::SetMarginBottom})
    (setup.*set)(1000);
  setup.SetPdfOutput(pdf);
  TPrintRequest r;
  r.pages = pages;
  r.allInOne = true;
  const auto t0 = Clock::now();
  const std::string error = PrintPages(doc, setup, r);
  const auto t1 = Clock::now();
  if (!error.empty()) std::fprintf(stderr, "print failed: %s\n", error.c_str());
  return {Ms(t0, t1), Sheets(pdf)};
}

Job PrintPeer(const std::vector<std::string>& html, const std::string& pdf) {
  const auto t0 = Clock::now();
  QPrinter printer(QPrinter::HighResolution);
  printer.setResolution(TPageSetupDialog::kResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(QString::fromStdString(pdf));
  printer.setPageSize(QPageSize(QPageSize::A4));
  printer.setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
  QTextDocument text;
  QString all;
  // Each page on new sheets, as the reader prints them.
  for (const std::string& h : html) all += "<div style=\"page-break-before:always\">" + QString::fromStdString(h) + "</div>";
  text.setDefaultFont(QFont("Arial", 10));
  text.setDocumentMargin(0);
  text.setHtml(all);
  text.print(&printer);
  const auto t1 = Clock::now();
  return {Ms(t0, t1), Sheets(pdf)};
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1;
  const int links = 36, pages = 100;
  TZebWriter w;
  for (int i = 0; i < links; ++i) w.AddInternetLink("http://example.org/" + std::to_string(i));
  std::vector<std::string> html(pages);
  for (int i = 0; i < pages; ++i) w.AddPage("Prova " + std::to_string(i), PageText(i, links, &html[i]));
  const std::string base = (std::filesystem::temp_directory_path() / ("lectra-bench-print-" + std::to_string(::getpid()))).string();
  w.Save(base + ".zeb");
  TZEBset doc;
  if (!doc.Open(base + ".zeb")) return 1;
  std::printf("page text %zu bytes, %d pages, A4 at %d dpi, margins 10 mm, %d rounds (best shown)\n",
              doc.Page(0)->MainPayload().size(), pages, TPageSetupDialog::kResolution, rounds);
  PrintOurs(doc, {0}, base + "-warm.pdf");  // fonts and caches

  std::vector<int> all(pages);
  for (int i = 0; i < pages; ++i) all[i] = i;
  Job one{1e30, 0}, book{1e30, 0}, peerOne{1e30, 0}, peerBook{1e30, 0};
  auto best = [](Job& b, Job j) { if (j.ms < b.ms) b = j; };
  for (int r = 0; r < rounds; ++r) {
    best(one, PrintOurs(doc, {0}, base + "-one.pdf"));
    best(book, PrintOurs(doc, all, base + "-book.pdf"));
  }
  const long oursPeak = PeakKb();
  for (int r = 0; r < rounds; ++r) {
    best(peerOne, PrintPeer({html[0]}, base + "-peer-one.pdf"));
    best(peerBook, PrintPeer(html, base + "-peer-book.pdf"));
  }
  auto line = [](const char* what, const Job& ours, const Job& peer) {
    std::printf("%-22s ours %8.1f ms, %4d sheets, %6.2f ms/sheet | QTextDocument %8.1f ms, %4d sheets, %6.2f ms/sheet"
                " | ratio per sheet %.2f, per job %.2f  goal 20 ms/sheet %s\n",
                what, ours.ms, ours.sheets, ours.ms / std::max(ours.sheets, 1), peer.ms, peer.sheets,
                peer.ms / std::max(peer.sheets, 1),
                (ours.ms / std::max(ours.sheets, 1)) / (peer.ms / std::max(peer.sheets, 1)), ours.ms / peer.ms,
                ours.ms / std::max(ours.sheets, 1) < 20 ? "ok" : "SLOW");
  };
  line("51 KB page", one, peerOne);
  line("100-page ebook", book, peerBook);
  std::printf("peak memory %.1f MB after our jobs (the 100 pages open), %.1f MB after the peer's\n",
              oursPeak / 1024.0, PeakKb() / 1024.0);
  for (const char* s : {".zeb", "-warm.pdf", "-one.pdf", "-book.pdf", "-peer-one.pdf", "-peer-book.pdf"})
    std::filesystem::remove(base + s);
  return 0;
}
