// The reader shell without its window: history, zoom, remarks, start-up,
// show requests and link dispatch.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <atomic>
#include <chrono>
#include <map>
#include <set>
#include <thread>

#include "document/pathutil.h"
#include "document/strutil.h"
#include "platform/settings.h"
#include "shell/history.h"
#include "shell/linkdispatch.h"
#include "shell/qtshell.h"
#include "shell/startup.h"
#include "testutil.h"

namespace {

// ---------------------------------------------------------------- fakes

struct ShellCall {
  std::string what, target;
  std::vector<std::string> args;
};

struct RecordingShell : IShell {
  std::vector<ShellCall> calls;
  int result = ShellOk;
  int OpenDocument(const std::string& path, TWindowMode) override {
    calls.push_back({"document", path, {}});
    return result;
  }
  int OpenUrl(const std::string& url) override {
    calls.push_back({"url", url, {}});
    return result;
  }
  int StartProgram(const std::string& program, const std::vector<std::string>& args, TWindowMode) override {
    calls.push_back({"program", program, args});
    return result;
  }
};

struct AnsweringDialogs : IShellDialogs {
  TFileLinkAction action = TFileLinkAction::Cancel;
  std::optional<std::string> savePath;
  std::vector<std::string> fileLinkQuestions;
  std::vector<TSaveFileRequest> saveQuestions;
  TFileLinkAction AskFileLink(const std::string& shown) override {
    fileLinkQuestions.push_back(shown);
    return action;
  }
  std::optional<std::string> AskSavePath(const TSaveFileRequest& r) override {
    saveQuestions.push_back(r);
    return savePath;
  }
};

struct FakeWindow : ISeparateWindow {
  std::string name;
  std::vector<std::string>& log;
  explicit FakeWindow(std::vector<std::string>& l) : log(l) {}
  std::string WindowName() const override { return name; }
  bool FindNamedFrame(const std::string& n, QObject*& frame) override {
    frame = nullptr;
    return str::EqualsNoCase(n, name);
  }
  void ShowInWindow(QObject*, TZEBoggetto* t, int, TWindowKind kind, int) override {
    log.push_back("show:" + name + ":" + std::to_string(t ? t->Index() : -1) + ":" + std::to_string(int(kind)));
  }
  void ApplyLayout(const std::string*, const std::string& n) override { name = n; }
  void HideToolbarPanel() override {}
  void PlaceNearClick(QObject*) override { log.push_back("near"); }
  void PrintCurrent() override { log.push_back("print:" + name); }
  void Close() override { log.push_back("closewindow:" + name); }
};

struct FakeHost : ILinkHost {
  TZEBset* doc = nullptr;
  bool readOnly = true, enabled = true;
  std::vector<std::string> log;
  std::vector<std::unique_ptr<FakeWindow>> windows;
  TZEBset* MainDocument() override { return doc; }
  bool MainReadOnly() override { return readOnly; }
  void SetMainEnabled(bool e) override { enabled = e; }
  void SetMainPageNumber(QObject*, int p) override { log.push_back("page:" + std::to_string(p)); }
  void GoToCover() override { log.push_back("cover"); }
  void ScrollMainToAnchor(int a) override { log.push_back("anchor:" + std::to_string(a)); }
  bool noWindows = false;
  std::vector<TZEBoggetto*> shownInRoot;
  bool ShowInTarget(const std::string& n, TZEBoggetto* o, int, int) override {
    if (n == "_root") shownInRoot.push_back(o);
    return n == "main";
  }
  void ShowInFrameOfPage(QObject*, TZEBoggetto*, int, int) override { log.push_back("framepage"); }
  bool PrintNamedFrame(const std::string& n) override { log.push_back("printframe:" + n); return true; }
  void PrintCurrent(QObject*) override { log.push_back("printcurrent"); }
  std::string ExportBoxText(QObject*) override { return "testo del riquadro"; }
  bool OpenEbookFile(const std::string& p) override {
    log.push_back("open:" + p);
    return doc->Open(p);
  }
  void ShowPageWithLayout(int p) override { log.push_back("layout:" + std::to_string(p)); }
  void CloseMainWindow() override { log.push_back("close"); }
  void ShowKeywordSearch() override { log.push_back("keyword"); }
  void ShowPrintDialog() override { log.push_back("printdialog"); }
  void ShowUserDataDialog() override { log.push_back("userdata"); }
  void BusyCursor(bool) override {}
  std::vector<ISeparateWindow*> SeparateWindows() override {
    std::vector<ISeparateWindow*> out;
    for (auto& w : windows) out.push_back(w.get());
    return out;
  }
  ISeparateWindow* CreateSeparateWindow() override {
    if (noWindows) return nullptr;
    windows.push_back(std::make_unique<FakeWindow>(log));
    return windows.back().get();
  }
};

// A reader with two ebooks in a scratch folder.
struct LinkFixture : DocFixture {
  TIniSettings ini{dir.File("Lectra.ini")};
  TSettings settings{ini, &sink};
  FakeHost host;
  RecordingShell shell;
  AnsweringDialogs dialogs;
  TLinkDispatcher links{host, shell, dialogs, settings, sink, dir.File("programma")};
  QObject box;

  LinkFixture() {
    TZebWriter other;
    for (int i = 0; i < 4; ++i) other.AddPage("Altro " + std::to_string(i), "<Z S0 >x");
    other.AddInternetLink("placeholder");
    other.SetHeaderI32(hdr::CoverPage, 2);
    other.Save(Path("libro2.zeb"));
    TZebWriter w;
    for (int i = 0; i < 5; ++i) w.AddPage("Pagina " + std::to_string(i), "<Z S0 >p", 1, i);
    w.AddFile("dati.csv", {'1', ';', '2'});
    w.AddInternetLink("placeholder");
    w.SetHeaderI32(hdr::CoverPage, 1);
    EXPECT_TRUE(OpenBuilt(w));
    host.doc = doc.get();
  }
  TLinkEvent Event(TZEBoggetto* target, TLinkSourceKind kind = TLinkSourceKind::TextBox) {
    TLinkEvent ev;
    ev.obj = ev.clickedBox = &box;
    ev.objKind = kind;
    ev.target = target;
    ev.senderDocument = doc.get();
    ev.boxPage = doc->Page(2);
    return ev;
  }
  // Activates an internet link with this link string.
  void Follow(const std::string& linkString, const std::string& attributes = "") {
    TZEBoggetto* link = doc->ObjectAt(internetLink, 0);
    link->SetName(linkString);
    link->SetAttrPayload(std::string(4, '\0') + attributes);
    links.EditorDoLink(Event(link));
  }
  TZEBoggetto* Special(int action, int mode, const std::string& window, int32_t position = -1,
                       TObjId target = MakeId(testoHtml, 3), const std::string& payload = "") {
    auto o = doc->NewObject(speclink);
    o->SetState(uint8_t(action));
    o->Rec().SetI32(9, position);
    o->Rec().SetI32(13, target);
    o->Rec().SetByte(18, uint8_t(mode));
    o->Rec().SetStr(19, 44, window);
    o->SetMainPayload(payload);
    return doc->Store(std::move(o));
  }
};

// ---------------------------------------------------------------- history, zoom, remarks

TEST(ShellHistory, InsertsAfterCurrentAndMovesBackAndForward) {
  THistoryModel h;
  std::vector<std::string> followed;
  THistoryModel::TFollow follow = [&](const std::string& e) {
    followed.push_back(e);
    // Showing the entry raises a page change, which must not be recorded again.
    EXPECT_FALSE(h.PageChanged("lumo://x|99"));
  };
  auto e = [](int page) { return THistoryModel::Entry("/libri/a.zeb", page); };
  EXPECT_FALSE(h.CanGoBack());
  EXPECT_FALSE(h.CanGoForward());
  h.PageChanged(e(1));
  EXPECT_FALSE(h.CanGoBack());
  EXPECT_FALSE(h.CanGoForward());
  h.PageChanged(e(2));
  EXPECT_FALSE(h.PageChanged(e(2)));  // the same page twice in a row
  h.PageChanged(e(3));
  EXPECT_TRUE(h.Back(follow));
  EXPECT_TRUE(h.Back(follow));
  EXPECT_FALSE(h.CanGoBack());
  EXPECT_TRUE(h.CanGoForward());
  EXPECT_FALSE(h.Back(follow));  // nothing before the first entry
  EXPECT_TRUE(h.PageChanged(e(5)));
  EXPECT_EQ(h.Items(), (std::vector<std::string>{e(1), e(5), e(2), e(3)}));
  EXPECT_EQ(h.Index(), 1);
  EXPECT_TRUE(h.Forward(follow));
  EXPECT_EQ(followed.back(), "lumo:///libri/a.zeb|2");
  EXPECT_EQ(h.Index(), 2);
  EXPECT_TRUE(h.Recording());
  // Enter in the combo follows only one of the entries.
  followed.clear();
  EXPECT_FALSE(h.GoToText("lumo:///libri/a.zeb|7", follow));
  EXPECT_TRUE(followed.empty());
  EXPECT_TRUE(h.GoToText(e(1), follow));
  EXPECT_EQ(h.Index(), 0);
}

TEST(ShellHistory, ZoomStaysWithinBounds) {
  TZoomModel z;
  EXPECT_EQ(z.Value(), 10);
  for (int i = 0; i < 15; ++i) z.Increase();
  EXPECT_EQ(z.Value(), 20);
  EXPECT_FALSE(z.Increase());
  for (int i = 0; i < 30; ++i) z.Decrease();
  EXPECT_EQ(z.Value(), 5);
  EXPECT_FALSE(z.Decrease());
}

TEST(ShellRemarks, EncodingKeyNameAndFileRoundTrip) {
  const std::string text = "Riga uno\r\nl'altra\nlone\rcr \xC2\xA7 fine";
  const std::string stored = EncodeRemark(text);
  EXPECT_EQ(stored, "Riga uno\xC2\xA7!l''altra\xC2\xA7!lone\xC2\xA7!cr \xC2\xA7\xC2\xA7 fine");
  EXPECT_EQ(DecodeRemark(stored), "Riga uno\r\nl'altra\r\nlone\r\ncr \xC2\xA7 fine");
  EXPECT_EQ(RemarkKeyName("Il mio libro!", "Autore"), "Il_mio_libro_");
  EXPECT_EQ(RemarkKeyName("", "G. Verdi"), "G__Verdi");
  EXPECT_EQ(RemarkKeyName("", ""), "Senza nome");

  ScratchDir dir;
  MemSettings store;
  TSettings settings(store);
  const std::string path = RemarkFilePath(settings, dir.File("Il mio libro.zeb"), "Il_mio_libro_");
  EXPECT_EQ(path, dir.File("Il_mio_libro_.rem"));
  TRemarkFile file(path);
  EXPECT_EQ(file.Read(3), "");
  ASSERT_TRUE(file.Write(3, "prima\r\nseconda l'una"));
  ASSERT_TRUE(file.Write(12, "dodici"));
  ASSERT_TRUE(file.Write(3, "sostituita \xC2\xA7"));
  EXPECT_EQ(file.Read(3), "sostituita \xC2\xA7");
  EXPECT_EQ(file.Read(12), "dodici");
  EXPECT_EQ(ReadAll(path), "[3]\r\nremark=sostituita \xC2\xA7\xC2\xA7\r\n[12]\r\nremark=dodici\r\n");
  EXPECT_FALSE(file.Write(-1, "x"));

  // A file that cannot be written: the reader is warned and picks another one.
  RecordingSink sink;
  AnsweringDialogs dialogs;
  dialogs.savePath = dir.File("altrove.rem");
  EXPECT_TRUE(SaveRemark(settings, "Il_mio_libro_", dir.File("manca/x.rem"), 4, "nota", sink, dialogs));
  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(sink.messages[0].first, TMsgKind::Warning);
  EXPECT_EQ(dialogs.saveQuestions.at(0).filter, "File Commenti (*.rem)|*.rem;");
  EXPECT_EQ(TRemarkFile(dir.File("altrove.rem")).Read(4), "nota");
  EXPECT_EQ(RemarkFilePath(settings, dir.File("Il mio libro.zeb"), "Il_mio_libro_"), dir.File("altrove.rem"));
  // An empty text that cannot be written is given up without asking.
  EXPECT_FALSE(SaveRemark(settings, "k", dir.File("manca/y.rem"), 4, "", sink, dialogs));
  EXPECT_EQ(dialogs.saveQuestions.size(), 1u);
}

// ---------------------------------------------------------------- start-up

struct FakeFiles : IFileProbe {
  std::set<std::string> files;
  std::set<std::string> roots;
  bool FileExists(const std::string& p) override { return files.count(p) > 0; }
  std::vector<std::string> ListFiles(const std::string& folder) override {
    std::vector<std::string> out;
    for (const std::string& f : files)
      if (FolderOf(f) == folder) out.push_back(FileNamePart(f));
    return out;
  }
  bool IsDriveRoot(const std::string& folder) override { return roots.count(folder) > 0; }
};

TEST(ShellStartup, CommandLineChoosesTheEbook) {
  ScratchDir dir;
  std::filesystem::create_directories(dir.path / "I miei libri");
  const std::string book = dir.File("I miei libri/libro uno.zeb");
  WriteBytes(book, {'x'});
  const std::string folder = dir.File("I miei");
  TCommandLine cl = ParseCommandLine({folder, "libri/libro", "uno.zeb", "/page=3", "ignorato", "/PAGE=7"});
  EXPECT_EQ(cl.ebookPath, book);
  EXPECT_EQ(cl.pageSwitches, (std::vector<std::string>{"3", "7"}));
  EXPECT_EQ(PageSwitchLink(cl.ebookPath, cl.pageSwitches[0]), "lumo://" + book + "|3");
  EXPECT_EQ(ParseCommandLine({"/PAGE=" + std::string(200, '9')}).pageSwitches[0].size(), 127u);

  TRealFileProbe real;
  TStartupInput in;
  in.commandPath = cl.ebookPath;
  in.programFolder = dir.File("prog");
  TEbookChoice c = ChooseEbook(in, real);
  EXPECT_EQ(c.action, TStartAction::OpenCommandFile);
  EXPECT_EQ(c.path, book);
  // A relative path is tried against the current folder, then the program's folder.
  in.commandPath = "libro uno.zeb";
  in.currentFolder = dir.File("altrove");
  in.programFolder = dir.File("I miei libri");
  EXPECT_EQ(ChooseEbook(in, real).path, book);

  EXPECT_TRUE(IsSwitch("/DeInst"));
  EXPECT_FALSE(IsSwitch("/libro.zeb"));
  EXPECT_FALSE(IsSwitch("/"));
  EXPECT_FALSE(ReadLaunchFlags({"/initrd/libro.zeb"}).install);
  TLaunchFlags f = ReadLaunchFlags({"/initv", "libro.zeb"});
  EXPECT_TRUE(f.install && f.installSilent && f.setup && !f.uninstall);
  EXPECT_TRUE(ReadLaunchFlags({"BROCHURE.ZEB"}).brochure);
  EXPECT_FALSE(ReadLaunchFlags({"x", "/DEINST"}).uninstall);
}

TEST(ShellStartup, FallbacksWithoutACommandLinePath) {
  FakeFiles files;
  TStartupInput in;
  in.programFolder = "/media/cd";
  in.lastFile = "/libri/ultimo.zeb";
  in.atStartBlank = "1";
  EXPECT_EQ(ChooseEbook(in, files).action, TStartAction::Blank);
  files.files = {"/media/cd/b.ZEB", "/media/cd/a.zeb", "/media/cd/leggimi.txt"};
  TEbookChoice c = ChooseEbook(in, files);
  EXPECT_EQ(c.action, TStartAction::OpenCommandFile);
  EXPECT_EQ(c.path, "/media/cd/a.zeb");
  // At the root of a drive the brochure comes after "*.zeb" and the last file.
  files.files = {"/media/cd/brochure.zeb"};
  files.roots = {"/media/cd"};
  in.atStartBlank = "";
  EXPECT_EQ(ChooseEbook(in, files).action, TStartAction::OpenLastFile);
  in.lastFile.clear();
  c = ChooseEbook(in, files);
  EXPECT_EQ(c.action, TStartAction::OpenBrochure);
  EXPECT_TRUE(c.brochure);
  in.showRequestPending = true;
  EXPECT_EQ(ChooseEbook(in, files).action, TStartAction::FollowShowRequest);
}

TEST(ShellStartup, RecentFilesAndAutorun) {
  MemSettings store;
  TSettings settings(store);
  TRecentFiles recent;
  for (int i = 1; i <= 6; ++i) recent.Use("/l/" + std::to_string(i) + ".zeb");
  recent.Use("/l/3.zeb");
  EXPECT_EQ(recent.Items(), (std::vector<std::string>{"/l/2.zeb", "/l/4.zeb", "/l/5.zeb", "/l/6.zeb", "/l/3.zeb"}));
  recent.Save(settings);
  recent.Remove("/l/2.zeb");
  recent.Save(settings);
  TRecentFiles loaded;
  loaded.Load(settings);
  EXPECT_EQ(loaded.Items(), (std::vector<std::string>{"/l/4.zeb", "/l/5.zeb", "/l/6.zeb", "/l/3.zeb"}));

  const auto entries = ParseAutorun(
      "[other]\ncdferun1=no.exe\n[AutoRun]\r\ncdferun1=uno.exe\r\ncdferunmode1=strano\n"
      "CDFERUN2 = due.exe\ncdferunmode2=maximize\ncdferun3=tre.exe\ncdferunmode3=?\ncdferun30=\"fine.exe\"\n");
  ASSERT_EQ(entries.size(), 4u);
  EXPECT_EQ(entries[0].mode, TWindowMode::Hidden);  // an unknown mode on the first entry
  EXPECT_EQ(entries[1].command, "due.exe");
  EXPECT_EQ(entries[1].mode, TWindowMode::Maximized);
  EXPECT_EQ(entries[2].mode, TWindowMode::Maximized);  // keeps the previous entry's mode
  EXPECT_EQ(entries[3].command, "fine.exe");
  EXPECT_EQ(entries[3].mode, TWindowMode::Normal);
}

TEST(ShellStartup, PresentationAndPlacement) {
  EXPECT_EQ(PresentationMode(1, 3), 10);
  EXPECT_EQ(PresentationMode(0, 3), 3);
  TRdWindow rd = ParseRdWindow("1,0,1,1,640,480,-20,30,");
  EXPECT_TRUE(rd.applySize && !rd.hideMenu && rd.hideBars && rd.noBorder);
  EXPECT_EQ((std::vector<int>{rd.width, rd.height, rd.left, rd.top}), (std::vector<int>{640, 480, -20, 30}));
  rd = ParseRdWindow("0,0,0,0,800,xx,5");
  EXPECT_EQ((std::vector<int>{rd.width, rd.height, rd.left, rd.top}), (std::vector<int>{800, 100, 0, 0}));
  EXPECT_FALSE(ParseRdWindow("").applySize);

  const TRect screen{0, 0, 1024, 768};
  bool restored = false;
  TPresentation p = ComputePresentation(2, "1,0,0,0,3000,2000,0,0,", {50, 50, 400, 300}, screen, 0, restored);
  EXPECT_TRUE(p.moveTo);
  EXPECT_EQ(p.left, 0);
  EXPECT_EQ(p.top, 0);
  p = ComputePresentation(2, "", {50, 50, 3000, 2000}, screen, 0, restored);
  EXPECT_EQ(p.left, 0);
  EXPECT_EQ(p.top, 0);
  p = ComputePresentation(2, "", {50, 50, 400, 300}, screen, 0, restored);
  EXPECT_EQ(p.left, 312);
  EXPECT_EQ(p.top, 234);
  p = ComputePresentation(1, "", {50, 50, 400, 300}, screen, 80, restored);
  EXPECT_TRUE(p.maximised && p.window.hideMenu && p.window.noBorder && p.maximisedByEbook);
  EXPECT_EQ(p.top, 80);
  EXPECT_FALSE(ComputePresentation(0, "", {50, 50, 400, 300}, screen, 80, restored).restoreDesignedTop);
  p = ComputePresentation(3, "1,0,0,0,400,300,900,-5,", {0, 0, 10, 10}, screen, 0, restored);
  EXPECT_EQ(p.left, 624);  // kept on the screen
  EXPECT_EQ(p.top, 0);
  EXPECT_TRUE(ComputePresentation(11, "", {}, screen, 0, restored).bringToFrontOnly);

  EXPECT_EQ(ClampPlacement({900, 700, 50, 20}, screen), (TRect{900, 668, 100, 100}));
  EXPECT_EQ(ClampPlacement({-50, 10, 5000, 300}, screen), (TRect{0, 10, 1024, 300}));
}

// ---------------------------------------------------------------- show requests

TEST(ShellStartup, ShowRequestsThroughALocalServer) {
  EXPECT_EQ(ParseShowRequest("show 12"), "lumo://12");
  EXPECT_EQ(ParseShowRequest("VISUALIZZA /libri/a.zeb|3\r\n"), "lumo:///libri/a.zeb|3");
  EXPECT_EQ(ParseShowRequest("Show " + std::string(300, 'x'))->size(), 7u + 127u);
  EXPECT_FALSE(ParseShowRequest("SHOWX 12"));
  EXPECT_FALSE(ParseShowRequest("apri 12"));

  const QString name = QStringLiteral("lectra-test-%1").arg(QCoreApplication::applicationPid());
  TShowRequestServer server;
  ASSERT_TRUE(server.Listen(name));
  int raised = 0;
  QObject::connect(&server, &TShowRequestServer::ShowRequested, [&] { ++raised; });
  // The client blocks, so it runs beside the event loop that serves it.
  auto send = [&](const std::string& text) {
    std::atomic<bool> done = false;
    bool taken = false;
    std::thread client([&] {
      taken = SendShowRequest(text, name, 3000);
      done = true;
    });
    while (!done) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    client.join();
    return taken;
  };
  EXPECT_TRUE(send("show 12"));
  EXPECT_EQ(server.Pending(), "lumo://12");
  EXPECT_EQ(raised, 1);
  EXPECT_FALSE(send("apri 13"));
  EXPECT_EQ(server.TakePending(), "lumo://12");
  EXPECT_FALSE(server.HasPending());
  // A second reader leaves the name to the first one.
  TShowRequestServer second;
  EXPECT_FALSE(second.Listen(name));
  server.Close();
  EXPECT_FALSE(SendShowRequest("show 1", name, 500));
}

// ---------------------------------------------------------------- link dispatch

TEST(ShellLinks, LumoLinksToThisAndAnotherEbook) {
  LinkFixture f;
  f.Follow("lumo://" + f.Path() + "|3");
  EXPECT_EQ(f.host.log, (std::vector<std::string>{"page:3"}));
  EXPECT_TRUE(f.host.enabled);
  f.host.log.clear();
  f.Follow("lumo:" + f.Path());  // no bar: page 0
  f.Follow("lumo://" + f.Path() + "|");  // a bar and no number: the cover
  f.Follow("lumo://manca.zeb|2");  // no such file: nothing
  EXPECT_EQ(f.host.log, (std::vector<std::string>{"page:0", "cover"}));
  f.host.log.clear();
  f.Follow("lumo://sotto/../libro2.zeb|12");
  EXPECT_EQ(f.host.log, (std::vector<std::string>{"open:" + f.Path("libro2.zeb"), "layout:12"}));
  f.host.log.clear();
  f.links.FollowLumoLink("lumo://" + f.Path("libro2.zeb") + "|", true);  // forced: with the layout
  EXPECT_EQ(f.host.log, (std::vector<std::string>{"layout:2"}));
  f.host.log.clear();
  f.Follow("lumo://libro.zeb|");  // another ebook and no page: its cover
  EXPECT_EQ(f.host.log, (std::vector<std::string>{"open:" + f.Path(), "layout:1"}));
  // A relative link to the open ebook opens it again.
  f.host.log.clear();
  f.Follow("lumo://libro.zeb|3");
  EXPECT_EQ(f.host.log, (std::vector<std::string>{"open:" + f.Path(), "layout:3"}));
  // ".." is resolved by text: a/x/y need not exist for a/x/y/../../d.zeb.
  std::filesystem::create_directories(f.dir.path / "a");
  std::filesystem::copy_file(f.Path("libro2.zeb"), f.dir.path / "a" / "d.zeb");
  f.host.log.clear();
  f.Follow("lumo://a\\x\\y\\..\\..\\d.zeb|1");
  EXPECT_EQ(f.host.log, (std::vector<std::string>{"open:" + f.Path("a/d.zeb"), "layout:1"}));
  f.host.log.clear();
  f.Follow("lumo://" + f.Path("a/d.zeb") + "|2");
  EXPECT_EQ(f.host.log, (std::vector<std::string>{"page:2"}));
  ASSERT_TRUE(f.doc->Open(f.Path()));
  // Not a lumo link: the prefix is compared as written.
  f.Follow("LUMO://x.zeb");
  ASSERT_EQ(f.shell.calls.size(), 1u);
  EXPECT_EQ(f.shell.calls[0].what, "url");
  // A page of this ebook, from a text box, scrolls to nothing.
  f.host.log.clear();
  f.links.EditorDoLink(f.Event(f.doc->Page(4)));
  EXPECT_EQ(f.host.log, (std::vector<std::string>{"page:4"}));
}

TEST(ShellLinks, EveryLinkStringFormReachesTheShellAsArguments) {
  LinkFixture f;
  f.Follow("run:prog; rm -rf x");
  f.Follow("runm:setup.exe");
  f.Follow("http://example.org/a b");
  f.Follow("www.example.org");
  f.Follow("mailto:chi@example.org");
  f.Follow("note.txt");
  ASSERT_EQ(f.shell.calls.size(), 6u);
  // The whole rest is one path: nothing is split or handed to a command interpreter.
  EXPECT_EQ(f.shell.calls[0].what, "document");
  EXPECT_EQ(f.shell.calls[0].target, f.dir.File("prog; rm -rf x"));
  EXPECT_EQ(f.shell.calls[1].target, f.dir.File("setup.exe"));
  EXPECT_EQ(f.sink.Texts(), (std::vector<std::string>{"Caricamento in corso..."}));
  EXPECT_EQ(f.shell.calls[2].what, "url");
  EXPECT_EQ(f.shell.calls[2].target, "http://example.org/a b");
  EXPECT_EQ(f.shell.calls[3].target, "http://www.example.org");
  EXPECT_EQ(f.shell.calls[4].target, "mailto:chi@example.org");
  EXPECT_EQ(f.shell.calls[5].what, "document");

  // prog: with a registry path starts the stored program with the parameter file.
  f.shell.calls.clear();
  f.ini.WriteValue("\\Software\\Foo\\", "Path", "/opt/foo/bin/foo");
  f.Follow("prog:\\Software\\Foo\\Path", "nome=\"Ada\"");
  ASSERT_EQ(f.shell.calls.size(), 1u);
  EXPECT_EQ(f.shell.calls[0].what, "program");
  EXPECT_EQ(f.shell.calls[0].target, "/opt/foo/bin/foo");
  ASSERT_EQ(f.shell.calls[0].args.size(), 1u);
  EXPECT_EQ(FileNamePart(f.shell.calls[0].args[0]), "params.txt");
  EXPECT_EQ(ReadAll(f.shell.calls[0].args[0]), "nome=\"Ada\"");
  f.Follow("dump:\\Software\\Foo\\Path");
  EXPECT_EQ(ReadAll(f.shell.calls.at(1).args.at(0)), "testo del riquadro");
  // An empty value: the reader is told, and the parameter file is shown instead.
  f.sink.messages.clear();
  f.ini.WriteValue("\\Software\\Foo\\", "Vuoto", "");
  f.Follow("prog:\\Software\\Foo\\Vuoto", "a=1");
  EXPECT_EQ(f.sink.Texts(), (std::vector<std::string>{"La chiave di registro indicata risulta vuota! (\\Software\\Foo\\Vuoto)"}));
  EXPECT_EQ(f.shell.calls.at(2).what, "document");
  // prog: without a backslash: a parameter file with the link's extension.
  f.Follow("prog:.txt", "testo");
  EXPECT_EQ(ExtensionOf(f.shell.calls.at(3).target), ".txt");
  EXPECT_EQ(ReadAll(f.shell.calls.at(3).target), "testo");
}

TEST(ShellLinks, SaveLinksAndShellErrors) {
  LinkFixture f;
  f.Follow("save:dati/x.pdf");
  EXPECT_EQ(f.sink.Texts(), (std::vector<std::string>{"Errore nella lettura file:" + f.dir.File("dati/x.pdf")}));
  EXPECT_TRUE(f.dialogs.saveQuestions.empty());
  std::filesystem::create_directories(f.dir.path / "dati");
  WriteBytes(f.dir.File("dati/x.pdf"), {'%', 'P'});
  WriteBytes(f.dir.File("copia.pdf"), {'o', 'l', 'd'});
  f.dialogs.savePath = f.dir.File("copia.pdf");
  f.Follow("save:dati/x.pdf");
  EXPECT_EQ(ReadAll(f.dir.File("copia.pdf")), "%P");
  EXPECT_EQ(f.dialogs.saveQuestions.back().proposedName, "x.pdf");
  // The same file under another spelling is never deleted to be copied over itself.
  f.dialogs.savePath = f.dir.File("dati/../dati/x.pdf");
  f.Follow("save:dati/x.pdf");
  EXPECT_EQ(ReadAll(f.dir.File("dati/x.pdf")), "%P");

  f.sink.messages.clear();
  f.shell.result = 31;
  f.Follow("run:x.abc");
  f.shell.result = 0;
  f.Follow("run:y.abc");
  EXPECT_EQ(f.sink.Texts(),
            (std::vector<std::string>{"Sembra che il visualizzatore per il file non sia presente. File: x.abc"}));
  EXPECT_EQ(ShellErrorMessage(2, "/a/b.doc"), "Errore nell'apertura file: b.doc");
  EXPECT_EQ(ShellErrorMessage(3, "b.doc"), "Errore nell'apertura file: b.doc");
  EXPECT_EQ(ShellErrorMessage(5, "b.doc"), "Access Denied: b.doc");
  EXPECT_EQ(ShellErrorMessage(26, "b.doc"), "26 Error on b.doc");
  EXPECT_EQ(ShellErrorMessage(27, "b.doc"), ShellErrorMessage(31, "b.doc"));
  EXPECT_EQ(ShellErrorMessage(4, "b.doc"), "");
  EXPECT_EQ(ShellErrorMessage(42, "b.doc"), "");

  THint h = SplitHint("Breve|Lunga | parte");
  EXPECT_EQ(h.shortPart, "Breve");
  EXPECT_EQ(h.longPart, "Lunga | parte");
  EXPECT_EQ(SplitHint("sola").longPart, "sola");
}

TEST(ShellLinks, EmbeddedFilesFollowTheRememberedChoice) {
  LinkFixture f;
  TZEBoggetto* file = f.doc->ObjectAt(genLink, 0);
  f.dialogs.action = TFileLinkAction::Run;
  f.links.EditorDoLink(f.Event(file));  // not listed: the dialog decides
  ASSERT_EQ(f.dialogs.fileLinkQuestions, (std::vector<std::string>{"dati.csv"}));
  ASSERT_EQ(f.shell.calls.size(), 1u);
  EXPECT_EQ(ReadAll(f.shell.calls[0].target), "1;2");
  f.settings.WriteSub("ext\\.CSV", "comp", "2");
  f.links.EditorDoLink(f.Event(file));  // listed with "run": no dialog
  EXPECT_EQ(f.dialogs.fileLinkQuestions.size(), 1u);
  EXPECT_EQ(f.shell.calls.size(), 2u);
  f.settings.WriteSub("ext\\.CSV", "comp", "7");
  f.links.EditorDoLink(f.Event(file));  // an unknown choice does nothing
  f.settings.WriteSub("ext\\.CSV", "comp", "3");
  f.settings.WriteSub("ext\\.CSV", "appPath", "/usr/bin/foglio");
  f.links.EditorDoLink(f.Event(file));
  ASSERT_EQ(f.shell.calls.size(), 3u);
  EXPECT_EQ(f.shell.calls[2].target, "/usr/bin/foglio");
  EXPECT_EQ(f.shell.calls[2].args, std::vector<std::string>{f.shell.calls[0].target});
  // A configured program that is no longer named: the reader is asked instead.
  f.settings.WriteSub("ext\\.CSV", "appPath", "");
  f.dialogs.action = TFileLinkAction::Cancel;
  f.links.EditorDoLink(f.Event(file));
  EXPECT_EQ(f.dialogs.fileLinkQuestions.size(), 2u);
  EXPECT_EQ(f.shell.calls.size(), 3u);
  f.settings.WriteSub("ext\\.CSV", "comp", "1");
  f.dialogs.savePath = f.dir.File("salvato.csv");
  f.links.EditorDoLink(f.Event(file));
  EXPECT_EQ(ReadAll(f.dir.File("salvato.csv")), "1;2");
  EXPECT_EQ(f.dialogs.saveQuestions.back().defaultExt, "csv");
}

TEST(ShellLinks, SpecialLinks) {
  LinkFixture f;
  auto run = [&](TZEBoggetto* s, TLinkSourceKind kind = TLinkSourceKind::TextBox) {
    f.host.log.clear();
    f.links.EditorDoLink(f.Event(s, kind));
    return f.host.log;
  };
  using V = std::vector<std::string>;
  EXPECT_EQ(run(f.Special(2, 0, "", -2)), V{"close"});
  EXPECT_EQ(run(f.Special(2, 0, "_ROOT")), V{"close"});
  EXPECT_EQ(run(f.Special(3, 0, "")), V{"keyword"});
  EXPECT_EQ(run(f.Special(4, 0, "")), V{"page:1"});
  EXPECT_EQ(run(f.Special(5, 0, "")), V{"page:3"});
  EXPECT_EQ(run(f.Special(9, 0, "_showprint")), V{"printdialog"});
  EXPECT_EQ(run(f.Special(9, 0, "cornice")), V{"printframe:cornice"});
  EXPECT_EQ(run(f.Special(1, 6, "", 7, -1)), V{"anchor:7"});
  EXPECT_EQ(run(f.Special(1, 5, "", 2)), (V{"page:3", "anchor:2"}));
  EXPECT_EQ(run(f.Special(1, 0, "")), V{"framepage"});
  EXPECT_EQ(run(f.Special(1, 0, ""), TLinkSourceKind::Other), V{});
  // Two activations of "new window" give two windows; a named window is reused.
  TZEBoggetto* fresh = f.Special(1, 3, "");
  run(fresh);
  run(fresh);
  EXPECT_EQ(f.host.windows.size(), 2u);
  TZEBoggetto* named = f.Special(1, 2, "Finestra");
  run(named);
  EXPECT_EQ(run(named), V{"show:Finestra:3:2"});
  EXPECT_EQ(f.host.windows.size(), 3u);
  EXPECT_EQ(run(f.Special(1, 1, "finestra")), V{"show:Finestra:3:0"});
  EXPECT_EQ(run(f.Special(2, 0, "FINESTRA")), V{"closewindow:Finestra"});
  EXPECT_EQ(run(f.Special(9, 0, "finestra")), V{"print:Finestra"});
  // When no further window may open (too many are open), nothing is shown anywhere.
  f.host.noWindows = true;
  for (int mode : {1, 2, 3, 4}) EXPECT_EQ(run(f.Special(1, mode, "altrove")), V{});
  EXPECT_TRUE(f.host.shownInRoot.empty());
  f.host.noWindows = false;
  // Nothing goes to a target while the main frame set can be edited.
  f.host.readOnly = false;
  EXPECT_EQ(run(f.Special(1, 5, "")), V{});
  f.host.readOnly = true;

  // Plugins run the command lines up to the marker, split into words without a shell.
  run(f.Special(10, 0, "", -1, -1, "Nome\r\nx\r\n/opt/plug \"a b\"\r\n; rm -rf y\r\n$$mavo-heads$$\r\nz"));
  ASSERT_EQ(f.shell.calls.size(), 1u);
  EXPECT_EQ(f.shell.calls[0].target, "/opt/plug");
  EXPECT_EQ(f.shell.calls[0].args, (V{"a b;", "rm", "-rf", "y"}));
  run(f.Special(10, 0, "", -1, -1, "Nome\r\nx\r\n$$mavo-heads$$\r\n/opt/plug"));
  EXPECT_EQ(f.shell.calls.size(), 1u);
  EXPECT_EQ(PluginCommand("a\r\nb\r\nc\r\nd\r\n$$mavo-future$$\r\ne"), "cd");

  // A kind without a meaning here, and the user-data question before a link.
  f.sink.messages.clear();
  f.links.EditorDoLink(f.Event(f.doc->DocumentProperties(true)));
  EXPECT_EQ(f.sink.Texts(), (V{"Non definito o non supportato."}));
  f.doc->SetDocProperty("e_smtp", "posta.example.org");
  EXPECT_EQ(run(f.doc->Page(1)), (V{"userdata", "page:1"}));
  f.settings.WriteSub("reg", "nome", "Ada");
  EXPECT_EQ(run(f.doc->Page(1)), V{"page:1"});
}

// The real shell never hands anything to a command interpreter.
TEST(ShellLinks, RealShellPassesArgumentsUnchanged) {
  ScratchDir dir;
  const std::string script = dir.File("args.sh");
  {
    std::ofstream out(script);
    out << "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$(dirname \"$0\")/args.tmp\"\n"
        << "mv \"$(dirname \"$0\")/args.tmp\" \"$(dirname \"$0\")/args.out\"\n";
  }
  std::filesystem::permissions(script, std::filesystem::perms::owner_all);
  TQtShell shell;
  EXPECT_EQ(shell.StartProgram("prog; touch " + dir.File("pwned"), {}, TWindowMode::Normal), ShellFileNotFound);
  EXPECT_EQ(shell.OpenDocument(dir.File("manca.pdf"), TWindowMode::Normal), ShellFileNotFound);
  WriteBytes(dir.File("dati.bin"), {1});
  std::filesystem::permissions(dir.File("dati.bin"), std::filesystem::perms::owner_read);
  EXPECT_EQ(shell.StartProgram(dir.File("dati.bin"), {}, TWindowMode::Normal), ShellAccessDenied);
  ASSERT_GT(shell.StartProgram(script, {"a b", "$(touch pwned)", "; rm -rf x"}, TWindowMode::Normal), 32);
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!std::filesystem::exists(dir.File("args.out")) && std::chrono::steady_clock::now() < until)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(ReadAll(dir.File("args.out")), "a b\n$(touch pwned)\n; rm -rf x\n");
  EXPECT_FALSE(std::filesystem::exists(dir.File("pwned")));
  EXPECT_EQ(QtNameFilters("Tutti i files (*.*)|*.*|Immagini JPEG|*.JPG;*.JPEG"),
            (QStringList{"Tutti i files (*.*) (*.*)", "Immagini JPEG (*.JPG *.JPEG)"}));
}

}  // namespace
