// The reader's entry point.
//   lectra [FILE] [/PAGE=n]          the reader's main window
//   lectra --render FILE --page N [--width W] [--height H] [--zoom Z] --out OUT.png
//                                    draws page N offscreen into a PNG
//   lectra --execute "SHOW link"     hands a show request to the running reader
//   lectra --update FILE             updates FILE from its "upgradelink" without a window
//   lectra --print FILE [--pages I,J,K | --all] [--option NAME=VALUE]... --out OUT.pdf
//                                    prints pages into a PDF file
//   lectra /INIT|/INITV|/DEINST name.zeb [/YES], lectra /DELETE folder [/YES]
//                                    installs or removes the reader with an ebook
// Without a display, `lectra FILE` draws the cover page into a PNG instead.
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>

#include "app/install/selfinstall.h"
#include "app/lib/boxsink.h"
#include "app/lang/oxlangs.h"
#include "app/lib/mainform.h"
#include "document/zebset.h"
#include "network/update.h"
#include "pageobjects/zebbox.h"
#include "pageobjects/zebframeset.h"
#include "platform/pngwrite.h"
#include "platform/settings.h"
#include "platform/system.h"
#include "printing/printcommand.h"

namespace {

struct TRenderArgs {
  std::string file, out;
  int page = -1, width = 800, height = 600, zoom = 10;
  bool cover = false;  // the ebook's cover page instead of `page`
};

int Usage() {
  std::fprintf(stderr,
               "uso: lectra [FILE] [/PAGE=n]\n"
               "     lectra --render FILE --page N [--width W] [--height H] [--zoom Z] --out OUT.png\n"
               "     lectra --execute \"SHOW link\"\n"
               "     lectra --update FILE\n"
               "     lectra --print FILE [--pages I,J,K | --all] [--option NOME=VALORE]... --out OUT.pdf\n");
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

// Lets the calls the page queued for later (and those they queue) run, with
// their paints. Nothing a page shows waits for a timer, so there is no reason
// to sleep: a fixed wait was half the time of a whole render.
void Settle() {
  for (int round = 0; round < 4; ++round) {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
  }
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
  const int page = a.cover ? doc.CoverPage() : a.page;
  int status = 0;
  {
    TInsiemeCornici frames;
    frames.SetReadOnly(true);
    frames.SetAnimated(false);
    frames.SetAutoJump(false);
    frames.SetActivePreview(false);
    frames.SetTextZoom(a.zoom);
    frames.resize(a.width, a.height);
    frames.SetLinkedZEBset(&doc);
    frames.show();
    frames.SetMainPageNumber(page);
    Settle();
    if (!WritePagePng(frames.grab().toImage(), a.out)) {
      sink.Message(TMsgKind::Error, "Scrittura non riuscita: " + a.out);
      status = 1;
    }
    frames.SetClosing(true);
    frames.SetLinkedZEBset(nullptr);
  }
  return status;
}

// No display to show a window on: the cover page goes into a picture.
int RenderCoverWithoutDisplay(const std::vector<std::string>& args) {
  const TCommandLine cl = ParseCommandLine(args);
  if (cl.ebookPath.empty()) {
    std::fprintf(stderr, "Nessun display: indicare l'ebook di cui disegnare la copertina.\n");
    return Usage();
  }
  TRenderArgs a;
  a.file = cl.ebookPath;
  a.cover = true;
  const QString base = QFileInfo(QString::fromLocal8Bit(a.file.c_str())).completeBaseName();
  a.out = QDir(QDir::tempPath()).filePath("lectra-" + base + "-copertina.png").toLocal8Bit().toStdString();
  std::fprintf(stderr, "Nessun display: la copertina di %s va in un'immagine.\n", a.file.c_str());
  const int status = Render(a);
  if (status == 0) std::printf("%s\n", a.out.c_str());
  return status;
}

// Installation and removal run before any window; a removal opens none.
TSetupOutcome RunSetup(const std::vector<std::string>& args, bool headless) {
  TIniSettings store;
  TBoxSink boxes;
  TConsoleSink console(TranslateMessage);  // in the reader's language
  // Without a display the questions cannot be asked: only "/YES" answers them.
  IMessageSink& sink = headless ? static_cast<IMessageSink&>(console) : boxes;
  TSettings settings(store, &sink);
  const std::string program = QFile::encodeName(QCoreApplication::applicationFilePath()).toStdString();
  const std::string folder = QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString();
  TSelfInstall setup(TInstallEnv::FromSystem(program, folder), settings, sink);
  const TLaunchFlags f = ReadLaunchFlags(args);
  boxes.title = f.install ? "Quillon INST" : f.uninstall ? "Quillon DEINST" : "Quillon";
  return setup.Run(args);
}

// `headless`: this process chose the offscreen platform itself, for want of a
// display; the deferred copy must find that out for itself instead of
// inheriting it (offscreen, it would wait on message boxes nobody sees).
void StartDeferred(const TSetupOutcome& setup, bool headless) {
  if (setup.deferredProgram.empty()) return;
  QStringList a;
  for (const std::string& s : setup.deferredArgs) a << QString::fromStdString(s);
  QProcess p;
  p.setProgram(QString::fromStdString(setup.deferredProgram));
  p.setArguments(a);
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  if (headless) env.remove("QT_QPA_PLATFORM");
  p.setProcessEnvironment(env);
  p.startDetached();
}

int RunReader(const std::vector<std::string>& args) {
  TCommandLine cl = ParseCommandLine(args);
  // Another reader already listening keeps its requests; this one runs alone.
  TShowRequestServer requests;
  requests.Listen();
  TIniSettings store;
  TMainFormOptions o;
  o.commandLine = std::move(cl);
  o.programFolder = QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString();
  o.currentFolder = QFile::encodeName(QDir::currentPath()).toStdString();
  o.settings = &store;
  o.showRequests = &requests;
  o.splash = true;
  int status = 0;
  {
    TMainForm form(std::move(o));
    QTimer::singleShot(0, &form, &TMainForm::Start);
    status = QApplication::exec();
  }
  return status;
}

bool HasDisplay() {
  return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
         !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  bool render = false, print = false;
  for (const std::string& a : args) render = render || a == "--render";
  if (!args.empty() && args[0] == "--update") {
    if (args.size() != 2) return Usage();
    return update::UpdateWithoutWindow(args[1], std::cout, std::cerr, TNetLimits::FromEnvironment());
  }
  for (const std::string& a : args) print = print || a == "--print";
  if (!args.empty() && args[0] == "--execute") {
    QCoreApplication app(argc, argv);
    if (args.size() != 2) return Usage();
    return SendShowRequest(args[1]) ? 0 : 1;
  }
  // The print command's own messages are its only output on standard error.
  if (print)
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& msg) {
      if (type == QtFatalMsg) std::fprintf(stderr, "%s\n", qPrintable(msg));
    });
  const bool headless = !render && !print && !HasDisplay();
  if (render || print || headless) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  if (print) return RunPrintCommand(args);
  if (render) {
    std::optional<TRenderArgs> a = ParseRender(argc, argv);
    return a ? Render(*a) : Usage();
  }
  if (ReadLaunchFlags(args).setup) {
    const TSetupOutcome setup = RunSetup(args, headless);
    if (!setup.openWindow || headless) {
      StartDeferred(setup, headless);
      return setup.ok ? 0 : 1;
    }
  }
  if (headless) return RenderCoverWithoutDisplay(args);
  return RunReader(args);
}
