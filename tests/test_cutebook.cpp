// An ebook that is cut short on the disk, before or while it is read: every
// failed read says so, in the page, in zebtool and in the main window.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <filesystem>

#include "app/lib/mainform.h"
#include "document/zebpicture.h"
#include "pageobjects/zebframe.h"
#include "pageobjects/zebframeset.h"
#include "pageobjects/zebpage.h"
#include "testutil.h"

namespace {

// Twelve pages of about 2 KB each, so that cutting the file in half loses
// the texts of the last pages.
TZebWriter TwelvePages() {
  TZebWriter w;
  for (int i = 0; i < 12; ++i)
    w.AddPage("Pagina " + std::to_string(i), "<Z S0 >Pagina " + std::to_string(i) + " " + std::string(2000, 'x'));
  return w;
}

std::string Shown(TZEBpage* page) {
  if (!page || !page->DisplayText()) return {};
  return page->DisplayText()->PlainText();
}

void Wait(int ms) {
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 10);
}

TEST(CutEbook, PagesPastTheNewEndSayTheyCannotBeRead) {
  DocFixture f;
  ASSERT_TRUE(f.OpenBuilt(TwelvePages()));
  std::vector<std::string> failures;
  f.doc->OnReadFailure = [&](const std::string& file) { failures.push_back(file); };
  const auto size = std::filesystem::file_size(f.Path());
  std::filesystem::resize_file(f.Path(), size / 2);
  const std::string error = "Errore nella lettura file: " + f.Path();

  // The first page still reads; the last one says why it shows no text.
  EXPECT_EQ(f.doc->Page(0)->PageCopy(true, nullptr)->PlainText().substr(0, 10), "\r\nPagina 0");
  EXPECT_FALSE(f.doc->ReadFailed());
  bool ok = true;
  EXPECT_EQ(f.doc->Page(11)->MainPayload(&ok), "");
  EXPECT_FALSE(ok);
  EXPECT_EQ(f.doc->Page(11)->PageCopy(true, nullptr)->PlainText(), "\r\n" + error);
  EXPECT_EQ(f.doc->Page(10)->PageCopy(true, nullptr)->PlainText(), "\r\n" + error);
  // Told once per opened file, to the hook and not as a message box.
  EXPECT_EQ(failures, std::vector<std::string>{f.Path()});
  EXPECT_TRUE(f.sink.messages.empty());

  // The frame set shows the same words where the page would be.
  TInsiemeCornici fs;
  fs.SetReadOnly(true);
  fs.SetAutoJump(false);
  fs.resize(400, 300);
  fs.SetLinkedZEBset(f.doc.get());
  fs.SetMainPageNumber(11);
  EXPECT_EQ(Shown(fs.RootFrame()->PageControl()), "\r\n" + error);
  fs.SetMainPageNumber(1);
  EXPECT_EQ(Shown(fs.RootFrame()->PageControl()).substr(0, 10), "\r\nPagina 1");
  fs.SetClosing(true);
  fs.SetLinkedZEBset(nullptr);
}

TEST(CutEbook, AFramePageWithALostMapShowsItsTextWithoutMapProblem) {
  DocFixture f;
  TZebWriter w;
  w.AddPage("Cornici", "<Z S0 >Testo della pagina");
  std::vector<uint8_t> rec = w.NewRecord(mappaFrame);
  rec.resize(93);
  PutI32(rec.data() + 89, 58);
  const int m = w.Add(mappaFrame, rec, std::vector<uint8_t>(58 * 3, 0));
  PutI32(w.RecordOf(testoHtml, 0).data() + 81, m);
  w.SetRecordSize(mappaFrame, 93);
  // The map's records are written after the page text: cutting the last
  // bytes loses only the map.
  ASSERT_TRUE(f.OpenBuilt(w));
  std::filesystem::resize_file(f.Path(), std::filesystem::file_size(f.Path()) - 10);
  TInsiemeCornici fs;
  fs.SetReadOnly(true);
  fs.SetShowNested(true);
  fs.resize(400, 300);
  fs.SetLinkedZEBset(f.doc.get());
  fs.SetMainPageNumber(0);
  EXPECT_EQ(f.sink.Texts(), std::vector<std::string>{"Errore nella lettura file: " + f.Path()});
  EXPECT_EQ(Shown(fs.RootFrame()->PageControl()), "\r\nTesto della pagina");
  fs.SetClosing(true);
  fs.SetLinkedZEBset(nullptr);
}

TEST(CutEbook, ZebtoolFailsForMissingAndCutPayloads) {
  ScratchDir dir;
  const std::string book = dir.File("libro.zeb"), out = dir.File("out.bin");
  auto readError = [&] { return "Errore!: Errore nella lettura file: " + book + "\n"; };
  TZebWriter w;
  w.AddPage("p", "<Z S0 >x");
  w.AddFile("primo.bin", std::vector<uint8_t>(5000, 1));
  w.AddFile("ultimo.bin", std::vector<uint8_t>(5000, 2));
  w.Save(book);
  const auto size = std::filesystem::file_size(book);
  // Cut inside the last file, then before it starts.
  for (auto cut : {size - 2500, size - 5000}) {
    SCOPED_TRACE(cut);
    std::filesystem::resize_file(book, cut);
    ToolResult r = RunZebtool({"extract", book, "03000001", out});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, readError());
    EXPECT_FALSE(std::filesystem::exists(out));
  }
  ToolResult r = RunZebtool({"extract", book, "03000000", out});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(std::filesystem::file_size(out), 5000u);

  // A picture cut part-way, and one wholly past the end.
  TZebWriter p;
  p.AddPage("p", "<Z S0 >x");
  p.AddPicture("Punto", "punto.gif", kTinyGif);
  p.Save(book);
  const auto psize = std::filesystem::file_size(book);
  for (auto cut : {psize - 10, psize - kTinyGif.size() - 4}) {
    SCOPED_TRACE(cut);
    std::filesystem::resize_file(book, cut);
    r = RunZebtool({"picture", book, "05000000"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    // The file may be refused as a whole (an information) or fail at the
    // picture (an error): one line naming the file either way.
    const std::string tail = "Errore nella lettura file: " + book + "\n";
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1);
    EXPECT_TRUE(r.err.size() >= tail.size() && r.err.compare(r.err.size() - tail.size(), tail.size(), tail) == 0)
        << r.err;
  }

  // A picture that decodes to nothing, and an object that is no picture.
  TZebWriter bad;
  bad.AddPicture("Rotta", "rotta.gif", {'G', 'I', 'F', '8'});
  bad.AddPage("p", "<Z S0 >x");
  bad.Save(book);
  r = RunZebtool({"picture", book, "05000000"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Errore!: Immagine non leggibile: 05000000\n");
  r = RunZebtool({"picture", book, "00000000"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Errore!: Immagine non leggibile: 00000000\n");
}

// Answers yes to questions and records every message.
struct YesSink : RecordingSink {
  bool Message(TMsgKind kind, const std::string& text) override {
    RecordingSink::Message(kind, text);
    return kind == TMsgKind::Question;
  }
};

struct NoShell : IShell {
  int OpenDocument(const std::string&, TWindowMode) override { return ShellOk; }
  int OpenUrl(const std::string&) override { return ShellOk; }
  int StartProgram(const std::string&, const std::vector<std::string>&, TWindowMode) override { return ShellOk; }
};

TEST(CutEbook, MainWindowOffersToOpenTheEbookAgain) {
  ScratchDir dir;
  MemSettings store;
  YesSink sink;
  NoShell shell;
  FakeSystem system;
  system.temp = dir.File("tmp");
  std::filesystem::create_directories(dir.path / "bin");
  TMainFormOptions o;
  o.programFolder = (dir.path / "bin").string();
  o.currentFolder = dir.path.string();
  o.settings = &store;
  o.messages = &sink;
  o.shell = &shell;
  o.system = &system;
  TMainForm form(std::move(o));
  const std::string book = dir.File("libro.zeb");
  TwelvePages().Save(book);
  form.OpenEbookFile(book);
  Wait(300);
  ASSERT_EQ(form.mainZEBset->ZEBFileName(), book);
  // The file is cut while open, then mended (written whole again) before
  // the reader answers: the page comes back after reopening.
  std::filesystem::resize_file(book, std::filesystem::file_size(book) / 2);
  form.Editor->SetMainPageNumber(11);
  TwelvePages().Save(book);
  Wait(300);
  const std::string error = "Errore nella lettura file: " + book;
  ASSERT_FALSE(sink.messages.empty());
  EXPECT_EQ(sink.messages.back().first, TMsgKind::Question);
  EXPECT_EQ(sink.messages.back().second, error + "\rRiaprire l'ebook?");
  EXPECT_EQ(form.Editor->MainPageNumber(), 11);
  EXPECT_EQ(Shown(form.Editor->RootFrame()->PageControl()).substr(0, 11), "\r\nPagina 11");
}

}  // namespace
