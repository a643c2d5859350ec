// The reader's entry point.
//   lectra FILE                      shows the ebook's cover page in a window
//   lectra --render FILE --page N [--width W] [--height H] [--zoom Z] --out OUT.png
//                                    draws page N offscreen into a PNG
#include <QApplication>
#include <QEventLoop>
#include <QMessageBox>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "document/zebset.h"
#include "pageobjects/zebbox.h"
#include "pageobjects/zebframeset.h"
#include "platform/settings.h"
#include "platform/system.h"

namespace {

// Messages of the window: one box per message, in the program's captions.
class TBoxSink : public IMessageSink {
public:
  bool Message(TMsgKind kind, const std::string& text) override {
    const QString t = QString::fromStdString(text);
    switch (kind) {
      case TMsgKind::Information: QMessageBox::information(nullptr, "Informazione", t); return true;
      case TMsgKind::Warning: QMessageBox::warning(nullptr, "Attenzione!", t); return true;
      case TMsgKind::Error: QMessageBox::critical(nullptr, "Errore!", t); return true;
      case TMsgKind::Question:
        return QMessageBox::question(nullptr, "Lectra", t) == QMessageBox::Yes;
    }
    return false;
  }
  void ProcessMessages() override { QCoreApplication::processEvents(); }
};

struct TRenderArgs {
  std::string file, out;
  int page = -1, width = 800, height = 600, zoom = 10;
};

int Usage() {
  std::fprintf(stderr,
               "uso: lectra FILE\n"
               "     lectra --render FILE --page N [--width W] [--height H] [--zoom Z] --out OUT.png\n");
  return 2;
}

std::optional<int> Number(const char* s, int lo, int hi) {
  char* end = nullptr;
  const long v = std::strtol(s, &end, 10);
  if (!*s || *end || v < lo || v > hi) return std::nullopt;
  return int(v);
}

// Reads the --render arguments; nullopt (after a message) when they are wrong.
std::optional<TRenderArgs> ParseRender(int argc, char** argv) {
  TRenderArgs a;
  for (int i = 1; i < argc; ++i) {
    const std::string k = argv[i];
    const bool hasValue = i + 1 < argc;
    std::optional<int> n;
    if (k == "--render" && hasValue) a.file = argv[++i];
    else if (k == "--out" && hasValue) a.out = argv[++i];
    else if (k == "--page" && hasValue && (n = Number(argv[++i], 0, 0xFFFFFF))) a.page = *n;
    else if (k == "--width" && hasValue && (n = Number(argv[++i], 1, 8000))) a.width = *n;
    else if (k == "--height" && hasValue && (n = Number(argv[++i], 1, 8000))) a.height = *n;
    else if (k == "--zoom" && hasValue && (n = Number(argv[++i], 5, 20))) a.zoom = *n;
    else {
      std::fprintf(stderr, "lectra: argomento non valido: %s\n", k.c_str());
      return std::nullopt;
    }
  }
  if (a.file.empty() || a.out.empty() || a.page < 0) return std::nullopt;
  return a;
}

// Lets queued calls, timers and paints run for a while.
void Settle(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

int Render(const TRenderArgs& a) {
  TConsoleSink sink;
  TPosixSystem system;
  TIniSettings settings;
  TZEBset doc(TServices{&sink, &settings, &system});
  if (!doc.Open(a.file)) return 1;
  if (doc.Count(testoHtml) == 0) {
    sink.Message(TMsgKind::Error, "Errore nella lettura file: " + a.file);
    return 1;
  }
  TZEBbox::SetTextZoom(a.zoom);
  int status = 0;
  {
    TInsiemeCornici frames;
    frames.SetReadOnly(true);
    frames.SetAnimated(false);
    frames.SetAutoJump(false);
    frames.SetActivePreview(false);
    frames.resize(a.width, a.height);
    frames.SetLinkedZEBset(&doc);
    frames.show();
    frames.SetMainPageNumber(a.page);
    Settle(50);
    if (!frames.grab().save(QString::fromStdString(a.out), "PNG")) {
      sink.Message(TMsgKind::Error, "Scrittura non riuscita: " + a.out);
      status = 1;
    }
    frames.SetClosing(true);
    frames.SetLinkedZEBset(nullptr);
  }
  return status;
}

int Show(const std::string& file) {
  TBoxSink sink;
  TPosixSystem system;
  TIniSettings settings;
  TZEBset doc(TServices{&sink, &settings, &system});
  if (!doc.Open(file)) return 1;
  int status = 0;
  {
    TInsiemeCornici frames;
    frames.SetReadOnly(true);
    frames.SetAnimated(true);
    frames.SetAutoJump(false);
    frames.SetActivePreview(true);
    frames.setWindowTitle(QString::fromLatin1(doc.Title().c_str()));
    frames.resize(800, 600);
    frames.SetLinkedZEBset(&doc);
    // Until the main window comes, links to pages of this ebook are followed here.
    frames.OnDoLink = [&frames](QObject*, QObject*, TZEBoggetto* obj) {
      if (obj && obj->Kind() == testoHtml) frames.ShowInTarget("_root", obj, -1, 0);
    };
    frames.show();
    frames.GoToCover();
    status = QApplication::exec();
    frames.SetClosing(true);
    frames.SetLinkedZEBset(nullptr);
  }
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  bool render = false;
  for (int i = 1; i < argc; ++i) render = render || std::string(argv[i]) == "--render";
  if (render) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  if (render) {
    std::optional<TRenderArgs> a = ParseRender(argc, argv);
    return a ? Render(*a) : Usage();
  }
  if (argc != 2) return Usage();
  return Show(argv[1]);
}
