// The automatic update: edition files, the update without a window, and the
// main window's commands with the download dialog, all against a loopback server.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <sstream>

#include "app/lib/mainform.h"
#include "netserver.h"
#include "network/ui/downloadform.h"
#include "network/ui/lumo3comm.h"
#include "network/update.h"
#include "pageobjects/zebbox.h"

namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> Edition(const std::string& title, const std::string& link) {
  TZebWriter w;
  w.SetTitle(title);
  w.AddPage("Copertina", "<Z S0 >" + title);
  if (!link.empty()) w.SetProperty("upgradelink", link);
  return w.Build();
}

std::vector<std::string> Names(const fs::path& folder) {
  std::vector<std::string> n;
  for (auto& e : fs::directory_iterator(folder)) n.push_back(e.path().filename().string());
  std::sort(n.begin(), n.end());
  return n;
}

template <class F>
bool WaitFor(F done, int ms = 5000) {
  QElapsedTimer t;
  t.start();
  while (!done() && t.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 10);
  return done();
}

// A shelf: the reader's folder with one ebook, and a server offering editions.
struct Shelf {
  TestServer server{"http"};
  ScratchDir dir;
  std::string ebook = dir.File("libro.zeb");
  std::vector<uint8_t> old;
  explicit Shelf(const std::string& route = "/files/") {
    old = Edition("Vecchia", server.Url(route));
    WriteBytes(ebook, old);
  }
  void Offer(const std::vector<uint8_t>& bytes) { WriteBytes(server.Folder() + "/libro.zeb", bytes); }
  std::string Address() const { return server.Url("/files/libro.zeb"); }
};

struct YesSink : RecordingSink {
  bool Message(TMsgKind kind, const std::string& text) override {
    RecordingSink::Message(kind, text);
    return true;
  }
};

struct ShellRecorder : IShell {
  std::vector<std::string> urls;
  int OpenDocument(const std::string&, TWindowMode) override { return ShellOk; }
  int OpenUrl(const std::string& url) override {
    urls.push_back(url);
    return ShellOk;
  }
  int StartProgram(const std::string&, const std::vector<std::string>&, TWindowMode) override { return ShellOk; }
};

struct NoDialogs : IShellDialogs {
  TFileLinkAction AskFileLink(const std::string&) override { return TFileLinkAction::Cancel; }
  std::optional<std::string> AskSavePath(const TSaveFileRequest&) override { return std::nullopt; }
};

struct Window {
  MemSettings store;
  ShellRecorder shell;
  NoDialogs dialogs;
  FakeSystem system;
  std::unique_ptr<TMainForm> form;
  Window(IMessageSink& sink, const std::string& folder) {
    system.temp = folder + "/tmp";
    fs::create_directories(folder + "/bin");
    TMainFormOptions o;
    o.programFolder = folder + "/bin";
    o.currentFolder = folder;
    o.settings = &store;
    o.messages = &sink;
    o.shell = &shell;
    o.dialogs = &dialogs;
    o.system = &system;
    form = std::make_unique<TMainForm>(std::move(o));
  }
  ~Window() {
    form.reset();
    TZEBbox::SetTextZoom(10);
  }
  // Runs the automatic update; `drive` acts on the download dialog from
  // inside its modal loop.
  void Update(const std::function<void(TFdownload&)>& drive) {
    bool driven = false;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
      auto* d = qobject_cast<TFdownload*>(QApplication::activeModalWidget());
      if (driven || !d) return;
      driven = true;
      poll.stop();
      drive(*d);
    });
    poll.start();
    form->AutomaticUpdate1Click();
    EXPECT_TRUE(driven);
  }
};

std::string Memo(TFdownload& d) { return d.Memo->toPlainText().toStdString(); }

}  // namespace

TEST(UpdateFiles, PreviousEditionNamesAndAcceptedEditions) {
  ScratchDir d;
  const std::string ebook = d.File("libro.zeb");
  EXPECT_EQ(update::PreviousEditionName(ebook), d.File("old-1-libro.zeb"));
  WriteBytes(d.File("old-1-libro.zeb"), {1});
  WriteBytes(d.File("old-2-libro.zeb"), {2});
  EXPECT_EQ(update::PreviousEditionName(ebook), d.File("old-3-libro.zeb"));
  EXPECT_FALSE(update::HasAddress("http://"));
  EXPECT_FALSE(update::HasAddress(""));
  EXPECT_TRUE(update::HasAddress("http://esempio.it/libri/"));
  EXPECT_EQ(update::Address("http://esempio.it/libri/", "/home/a/libro.zeb"), "http://esempio.it/libri/libro.zeb");

  std::vector<uint8_t> junk = {'M', 'A', 'V', 'O'};
  junk.resize(79, 'x');
  WriteBytes(d.File("79.zeb"), junk);
  junk.push_back('x');
  WriteBytes(d.File("80.zeb"), junk);
  WriteBytes(d.File("buono.zeb"), Edition("Nuova", ""));
  std::vector<uint8_t> page = {'<', 'h', 't', 'm', 'l', '>'};
  page.resize(500, ' ');
  WriteBytes(d.File("pagina.zeb"), page);
  EXPECT_FALSE(update::AcceptedEdition(d.File("79.zeb")));
  EXPECT_FALSE(update::AcceptedEdition(d.File("80.zeb")));  // "MAVO" alone is no ebook
  EXPECT_FALSE(update::AcceptedEdition(d.File("pagina.zeb")));
  EXPECT_FALSE(update::AcceptedEdition(d.File("manca.zeb")));
  EXPECT_TRUE(update::AcceptedEdition(d.File("buono.zeb")));

  // A folder that takes no new file refuses the download before anything moves.
  EXPECT_THROW(update::TDownloadFile(d.File("manca/libro.zeb")), ETcpIpError);
  {
    update::TDownloadFile f(ebook);
    EXPECT_EQ(f.Path().rfind(d.File(".libro.zeb."), 0), 0u);
  }
  EXPECT_FALSE(fs::exists(d.File("libro.zeb")));
  EXPECT_EQ(Names(d.path).size(), 6u);  // the scratch file went with its owner
}

TEST(UpdateWithoutWindow, ReplacesTheEbookOnlyWithAWholeValidEdition) {
  Shelf s;
  TNetLimits quick;
  quick.idleTimeoutMs = quick.requestTimeoutMs = 1000;
  auto run = [&](std::string& out) {
    std::ostringstream o, e;
    const int rc = update::UpdateWithoutWindow(s.ebook, o, e, quick);
    out = o.str();
    return rc;
  };
  const std::string noUpdate = "Non c'è nessun aggiornamento.\n\n(Non trovo il file: ;" + s.Address() + ")\n";
  std::string out;
  // Nothing offered (404), then a page that begins with "MAVO" but is no ebook.
  EXPECT_EQ(run(out), 1);
  EXPECT_EQ(out, noUpdate);
  std::vector<uint8_t> fake = {'M', 'A', 'V', 'O'};
  fake.resize(4000, 0);
  s.Offer(fake);
  EXPECT_EQ(run(out), 1);
  EXPECT_EQ(out, noUpdate);
  EXPECT_EQ(Names(s.dir.path), (std::vector<std::string>{"libro.zeb"}));
  EXPECT_EQ(ReadAll(s.ebook), std::string(s.old.begin(), s.old.end()));

  const std::vector<uint8_t> fresh = Edition("Nuova", "");
  s.Offer(fresh);
  EXPECT_EQ(run(out), 0);
  EXPECT_EQ(out, "OK; " + s.ebook + "\n");
  EXPECT_EQ(Names(s.dir.path), (std::vector<std::string>{"libro.zeb", "old-1-libro.zeb"}));
  EXPECT_EQ(ReadAll(s.ebook), std::string(fresh.begin(), fresh.end()));
  EXPECT_EQ(ReadAll(s.dir.File("old-1-libro.zeb")), std::string(s.old.begin(), s.old.end()));
  // The GET carried the crawler identity and no HEAD came before it.
  auto log = s.server.Log();
  EXPECT_EQ(log.back()["line"], "GET /files/libro.zeb HTTP/1.0");
  EXPECT_EQ(log[log.size() - 2]["line"], "GET /files/libro.zeb HTTP/1.0");
}

TEST(UpdateWithoutWindow, BrokenTransfersLeaveTheEbookAlone) {
  for (const std::string route : {"/close-mid-body/", "/huge/", "/stall-head/"}) {
    Shelf s(route);
    std::ostringstream o, e;
    TNetLimits quick;
    quick.idleTimeoutMs = quick.requestTimeoutMs = 800;
    EXPECT_EQ(update::UpdateWithoutWindow(s.ebook, o, e, quick), 1) << route;
    EXPECT_EQ(o.str().rfind("Non c'è nessun aggiornamento.\n", 0), 0u) << route;
    EXPECT_EQ(Names(s.dir.path), (std::vector<std::string>{"libro.zeb"})) << route;
    EXPECT_EQ(ReadAll(s.ebook), std::string(s.old.begin(), s.old.end())) << route;
  }
}

TEST(LectraUpdate, CommandLineContract) {
  Shelf s;
  const std::string lectra = std::string(LECTRA_BINARY_DIR) + "/bin/lectra";
  auto run = [&](const std::string& args, std::string& out) {
    const std::string outFile = s.dir.path.parent_path().string() + "/lectra-update-out-" + std::to_string(::getpid());
    const int st = std::system(("'" + lectra + "' " + args + " >'" + outFile + "' 2>/dev/null").c_str());
    out = ReadAll(outFile);
    fs::remove(outFile);
    return WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  };
  std::string out;
  EXPECT_EQ(run("--update '" + s.ebook + "'", out), 1);
  EXPECT_EQ(out, "Non c'è nessun aggiornamento.\n\n(Non trovo il file: ;" + s.Address() + ")\n");
  s.Offer(Edition("Nuova", ""));
  EXPECT_EQ(run("--update '" + s.ebook + "'", out), 0);
  EXPECT_EQ(out, "OK; " + s.ebook + "\n");
  EXPECT_EQ(run("--update '" + s.dir.File("manca.zeb") + "'", out), 1);
  EXPECT_EQ(run("--update", out), 2);
}

TEST(MainFormUpdate, DownloadDialogReplacesAndReopens) {
  Shelf s;
  RecordingSink sink;
  Window w(sink, s.dir.path.string() + "/w");
  w.form->OpenEbookFile(s.ebook);
  EXPECT_TRUE(w.form->AutomaticUpdate1->isVisible() || !w.form->isVisible());
  EXPECT_TRUE(w.form->AutomaticUpdate1->isEnabled());

  // Nothing offered: the memo says so, the old edition is open again.
  w.Update([&](TFdownload& d) {
    ASSERT_TRUE(WaitFor([&] { return d.Finished(); }));
    EXPECT_EQ(Memo(d), "Non c'è nessun aggiornamento.\n\n(Non trovo il file: ;" + s.Address() + ")");
    d.OkButton->click();
  });
  EXPECT_EQ(Names(s.dir.path), (std::vector<std::string>{"libro.zeb", "w"}));
  EXPECT_EQ(w.form->mainZEBset->Title(), "Vecchia");

  // "&Ok" before the download started: nothing is fetched.
  const size_t requests = s.server.Log().size();
  w.Update([&](TFdownload& d) {
    EXPECT_FALSE(d.Started());
    d.OkButton->click();
  });
  EXPECT_EQ(s.server.Log().size(), requests);

  s.Offer(Edition("Nuova", ""));
  w.Update([&](TFdownload& d) {
    ASSERT_TRUE(WaitFor([&] { return d.Finished(); }));
    EXPECT_EQ(Memo(d), "OK; " + s.ebook);
    d.CancelButton->click();  // either button goes on with the edition that arrived
  });
  EXPECT_EQ(Names(s.dir.path), (std::vector<std::string>{"libro.zeb", "old-1-libro.zeb", "w"}));
  EXPECT_EQ(w.form->mainZEBset->ZEBFileName(), s.ebook);
  EXPECT_EQ(w.form->mainZEBset->Title(), "Nuova");
  EXPECT_TRUE(sink.messages.empty());
}

TEST(MainFormUpdate, StopButtonEndsAStalledDownload) {
  Shelf s("/stall-head/");
  RecordingSink sink;
  Window w(sink, s.dir.path.string() + "/w");
  w.form->OpenEbookFile(s.ebook);
  QElapsedTimer t;
  w.Update([&](TFdownload& d) {
    // The transfer runs inside the dialog's own loop: the stop comes from a timer.
    QElapsedTimer busy;
    QString caption;
    bool buttonShown = false;
    QTimer stopper;
    stopper.setInterval(10);
    QObject::connect(&stopper, &QTimer::timeout, [&] {
      if (!d.Bar->Comm->Busy()) return;
      if (!busy.isValid()) busy.start();
      if (busy.elapsed() < 300) return;  // the bar scrolls its caption meanwhile
      stopper.stop();
      caption = d.Bar->StopButton->text();
      buttonShown = d.Bar->StopButton->isVisible();
      t.start();
      d.Bar->StopButton->click();
    });
    stopper.start();
    ASSERT_TRUE(WaitFor([&] { return d.Finished(); }));
    EXPECT_LT(t.elapsed(), 1000);
    EXPECT_TRUE(buttonShown);
    EXPECT_NE(caption, "Stop! ");
    EXPECT_EQ(d.Bar->Comm->StatusText(), "Interrotto dall'utente");
    EXPECT_EQ(d.StatusLabel->text(), "Interrotto dall'utente");
    EXPECT_EQ(Memo(d).rfind("Non c'è nessun aggiornamento.", 0), 0u);
    d.OkButton->click();
  });
  EXPECT_EQ(ReadAll(s.ebook), std::string(s.old.begin(), s.old.end()));
  EXPECT_EQ(Names(s.dir.path), (std::vector<std::string>{"libro.zeb", "w"}));

  // Escape during the transfer stops it and closes the dialog at once.
  w.Update([&](TFdownload& d) {
    QTimer escape;
    escape.setInterval(10);
    QObject::connect(&escape, &QTimer::timeout, [&] {
      if (!d.Bar->Comm->Busy()) return;
      escape.stop();
      t.start();
      d.reject();
    });
    escape.start();
    ASSERT_TRUE(WaitFor([&] { return !d.isVisible(); }));
    EXPECT_LT(t.elapsed(), 1000);
    EXPECT_TRUE(d.Finished());
  });
  EXPECT_EQ(ReadAll(s.ebook), std::string(s.old.begin(), s.old.end()));
  EXPECT_EQ(w.form->mainZEBset->ZEBFileName(), s.ebook);
}

TEST(MainFormUpdate, CommandsVisibilityAndSemiAutomaticUpdate) {
  ScratchDir d;
  YesSink yes;
  Window w(yes, d.path.string());
  WriteBytes(d.File("senza.zeb"), Edition("Senza", "http://"));
  w.form->OpenEbookFile(d.File("senza.zeb"));
  EXPECT_FALSE(w.form->AutomaticUpdate1->isVisible());
  EXPECT_FALSE(w.form->SemiAutomaticUpdate1->isVisible());
  WriteBytes(d.File("con.zeb"), Edition("Con", "http://esempio.it/libri/"));
  w.form->OpenEbookFile(d.File("con.zeb"));
  w.form->SemiAutomaticUpdate1Click();
  ASSERT_EQ(yes.messages.size(), 1u);
  EXPECT_EQ(yes.messages[0].second.rfind("Ora il tuo browser cercherà di scaricare il file con.zeb che è l'upgrade", 0),
            0u);
  EXPECT_EQ(w.shell.urls, (std::vector<std::string>{"http://esempio.it/libri/con.zeb"}));

  // Answered no: nothing happens.
  RecordingSink no;
  Window w2(no, d.path.string() + "/2");
  w2.form->OpenEbookFile(d.File("con.zeb"));
  w2.form->SemiAutomaticUpdate1Click();
  EXPECT_EQ(no.messages.size(), 1u);
  EXPECT_TRUE(w2.shell.urls.empty());
}
