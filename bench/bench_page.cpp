// Showing a page: a 50 KB page with a few dozen links in a 1000 x 800 frame
// set, from MainPageNumber to a finished drawing of the frame set, and one
// page of scrolling until it is drawn again. Goals: 30 ms and 5 ms.
//   bench_page [ROUNDS]
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

#include "document/zebset.h"
#include "document/zebwriter.h"
#include "pageobjects/zebbox.h"
#include "pageobjects/zebframeset.h"
#include "pageobjects/zebpage.h"

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

double Ms(Clock::time_point a, Clock::time_point b) {
  return std::chrono::duration<double, std::milli>(b - a).count();
}

std::string PageText(int variant, int links) {
  static const char* words[] = {"lettura", "pagina", "collegamento", "testo", "cornice", "ebook", "parola",
                                "capitolo", "indice", "finestra", "è", "più", "perché", "della", "con"};
  std::string t = "<Z S0 s14 y1 >Pagina di prova " + std::to_string(variant);
  unsigned seed = 12345u + unsigned(variant);
  int linked = 0;
  while (t.size() < 50 * 1024) {
    t += "<Z S0 A3 >";
    for (int w = 0; w < 80; ++w) {
      seed = seed * 1103515245u + 12345u;
      const char* word = words[(seed >> 16) % 15];
      if (w % 40 == 7 && linked < links) {
        char ref[16];
        std::snprintf(ref, sizeof ref, "<$%08X>", MakeId(internetLink, linked++));
        t += std::string(ref) + word + "<%> ";
      } else {
        t += std::string(word) + (w % 13 == 12 ? ". " : " ");
      }
    }
  }
  return t;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

void Report(const char* what, const std::vector<double>& v, double goal) {
  const double med = Median(v);
  std::printf("%-34s median %7.2f ms  min %7.2f  max %7.2f  goal %5.1f ms  %s\n", what, med,
              *std::min_element(v.begin(), v.end()), *std::max_element(v.begin(), v.end()), goal,
              med < goal ? "ok" : "SLOW");
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;

  const int links = 36;
  TZebWriter w;
  for (int i = 0; i < links; ++i) w.AddInternetLink("http://example.org/" + std::to_string(i));
  w.AddPage("Prova A", PageText(0, links));
  w.AddPage("Prova B", PageText(1, links));
  const std::string path =
      (std::filesystem::temp_directory_path() / ("lectra-bench-page-" + std::to_string(::getpid()) + ".zeb")).string();
  w.Save(path);
  TZEBset doc;
  if (!doc.Open(path)) {
    std::fprintf(stderr, "cannot open %s\n", path.c_str());
    return 1;
  }
  std::printf("times are CPU time of the drawing thread\n");
  std::printf("page text %zu bytes, %d links, frame set 1000 x 800, %d rounds\n",
              doc.Page(0)->MainPayload().size(), links, rounds);

  std::vector<double> show, scroll, scrollGrab;
  {
    TInsiemeCornici fs;
    fs.SetReadOnly(true);
    fs.SetAnimated(false);
    fs.SetAutoJump(false);
    fs.resize(1000, 800);
    fs.SetLinkedZEBset(&doc);
    fs.show();
    QImage target(fs.size(), QImage::Format_ARGB32_Premultiplied);
    for (int r = 0; r <= rounds; ++r) {
      auto t0 = Clock::now();
      fs.SetMainPageNumber(r % 2);
      {
        QPainter p(&target);
        fs.render(&p);
      }
      auto t1 = Clock::now();
      if (r > 0) show.push_back(Ms(t0, t1));  // the first round warms the font cache
      QApplication::processEvents();
    }
    TZEBpage* page = fs.MainBox() ? fs.MainBox()->Page() : nullptr;
    if (!page) {
      std::fprintf(stderr, "no page shown\n");
      return 1;
    }
    for (int r = 0; r < rounds * 3; ++r) {
      // Every step scrolls a whole page: start again before the end.
      if (page->ScrollY() + 2 * page->height() > page->verticalScrollBar()->maximum()) page->SetScrollY(0);
      auto t0 = Clock::now();
      fs.ScrollByKey(Qt::Key_PageDown) || (page->SetScrollY(page->ScrollY() + page->height() - 20), true);
      fs.repaint();
      auto t1 = Clock::now();
      {
        QPainter p(&target);
        fs.render(&p);
      }
      auto t2 = Clock::now();
      scroll.push_back(Ms(t0, t1));
      scrollGrab.push_back(Ms(t0, t2));
    }
    std::printf("scroll position after the last step: %d of %d\n", page->ScrollY(),
                page->verticalScrollBar()->maximum());
    fs.SetClosing(true);
    fs.SetLinkedZEBset(nullptr);
  }
  Report("show page until drawn", show, 30);
  Report("scroll one page, repaint", scroll, 5);
  Report("scroll one page, repaint + render", scrollGrab, 5);
  std::filesystem::remove(path);
  return 0;
}
