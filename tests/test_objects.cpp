// Stored objects and the document around them.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "document/strutil.h"
#include "document/zebpicture.h"
#include "testutil.h"

namespace {

std::vector<uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

TEST(Objects, LookupsAndCounts) {
  DocFixture f;
  TZebWriter w;
  w.AddPage("a", "<Z S0 >a");
  int del = w.AddPage("b", "<Z S0 >b");
  w.RecordOf(testoHtml, del)[4] = 3;
  w.AddKeyword("-");
  w.AddKeyword("vivo");
  ASSERT_TRUE(f.OpenBuilt(w));
  EXPECT_EQ(f.doc->ObjectById(-1), nullptr);
  EXPECT_EQ(f.doc->ObjectById(MakeId(25, 0)), nullptr);
  EXPECT_EQ(f.doc->ObjectById(MakeId(26, 0)), nullptr);
  EXPECT_EQ(f.doc->ObjectById(MakeId(testoHtml, 2)), nullptr);
  EXPECT_EQ(f.doc->ObjectAt(testoHtml, 0x1000000), nullptr);
  EXPECT_EQ(f.doc->Count(26), 0);
  EXPECT_EQ(f.doc->Count(testoHtml), 2);
  EXPECT_TRUE(f.doc->Page(1)->IsDeleted());
  EXPECT_TRUE(f.doc->ObjectAt(keyword, 0)->IsDeleted());
  EXPECT_FALSE(f.doc->ObjectAt(keyword, 1)->IsDeleted());
  EXPECT_EQ(f.doc->ObjectById(MakeId(keyword, 1))->Id(), MakeId(keyword, 1));
}

TEST(Objects, ComputedNamesAndDescriptions) {
  DocFixture f;
  TZebWriter other;
  other.AddPage("Copertina", "<Z S0 >c");
  other.AddPage("Capitolo due", "<Z S0 >d");
  other.AddPage("", "<Z S0 >e");
  other.Save(f.Path("altro.zeb"));

  TZebWriter w;
  w.AddPage("Indice", "<Z S0 >i");
  int web = w.AddInternetLink("http://example.org/x");
  int mail = w.AddInternetLink("mailto:chi@example.org");
  int ebook = w.AddInternetLink("lumo://altro.zeb|1");
  int untitled = w.AddInternetLink("lumo://altro.zeb|2");
  int prog = w.AddInternetLink("prog:calc");
  int braces = w.AddInternetLink("{x}dopo");
  w.AddFile("dati.csv", Bytes("1;2"));
  auto spec = [&](uint8_t state, std::function<void(std::vector<uint8_t>&)> fill, std::string payload = "") {
    std::vector<uint8_t> r = w.NewRecord(speclink);
    r[4] = state;
    fill(r);
    return w.Add(speclink, r, Bytes(payload));
  };
  int toPage = spec(1, [](auto& r) { PutI32(r.data() + 13, MakeId(testoHtml, 0)); r[18] = 0; });
  int dash = spec(1, [](auto& r) { PutI32(r.data() + 13, MakeId(testoHtml, 0)); r[18] = 6; });
  int close = spec(2, [](auto& r) { PutPString(r.data() + 19, 36, "destra"); });
  int print = spec(9, [](auto& r) { PutPString(r.data() + 19, 36, "sinistra"); });
  int plugin = spec(10, [](auto&) {}, "abc$$mavo-heads$$def");
  std::vector<uint8_t> so = w.NewRecord(shortObj);
  so[4] = 14;
  PutI32(so.data() + 5, 42);
  int anchor = w.Add(shortObj, so);
  so[4] = 21;
  PutI32(so.data() + 5, MakeId(testoHtml, 0));
  int ref = w.Add(shortObj, so);
  so[4] = 10;
  so[17] = 1;
  int html = w.Add(shortObj, so, Bytes("a &amp; b"));
  ASSERT_TRUE(f.OpenBuilt(w));
  auto D = [&](int kind, int i) { return f.doc->ObjectAt(kind, i)->Description(); };
  auto N = [&](int kind, int i) { return f.doc->ObjectAt(kind, i)->Name(); };

  EXPECT_EQ(D(testoHtml, 0), "Indice|Collegamento a: Indice");
  EXPECT_EQ(D(internetLink, web), "http://example.org/x|Collegamento a: http://example.org/x");
  EXPECT_EQ(D(internetLink, mail), "chi@example.org|Collegamento a e-mail: chi@example.org");
  EXPECT_EQ(D(internetLink, ebook), "Capitolo due|Collegamento a: Capitolo due");
  EXPECT_EQ(D(internetLink, untitled), "altro.zeb (2)|Collegamento a: altro.zeb (2)");
  EXPECT_EQ(D(internetLink, prog), "");
  EXPECT_EQ(D(internetLink, braces), "dopo|Collegamento a: {x}dopo");
  EXPECT_EQ(D(genLink, 0), "dati.csv|Collegamento a file: dati.csv");
  EXPECT_EQ(N(speclink, toPage), "Indice");
  EXPECT_EQ(D(speclink, toPage), "Indice|Collegamento a: Indice");
  EXPECT_EQ(N(speclink, dash), "--");
  EXPECT_EQ(N(speclink, close), "Chiudi finestra: destra");
  EXPECT_EQ(D(speclink, print), "Stampa la cornice/frame: sinistra|Stampa la cornice/frame: sinistra");
  EXPECT_EQ(D(speclink, plugin), "Collegamento \"plugin\": abcdef|Collegamento \"plugin\": abcdef");
  EXPECT_EQ(N(shortObj, anchor), "Ancora: a42");
  EXPECT_EQ(N(shortObj, ref), "Riferimento a immagine: Indice");
  EXPECT_EQ(N(shortObj, html), "a & b");
  EXPECT_EQ(D(shortObj, html), "a & b");

  f.doc->ObjectAt(internetLink, web)->SetState(5);
  EXPECT_EQ(D(internetLink, web), "Non definito.");

  // References that run in a circle end instead of recursing forever.
  TZebWriter loop;
  std::vector<uint8_t> a = loop.NewRecord(shortObj), b = loop.NewRecord(speclink), c = loop.NewRecord(speclink);
  a[4] = 13;
  PutI32(a.data() + 5, MakeId(shortObj, 0));  // names itself through another object below
  loop.Add(shortObj, a);
  a[4] = 13;
  PutI32(a.data() + 5, MakeId(shortObj, 0));
  loop.Add(shortObj, a);
  PutI32(a.data() + 5, MakeId(shortObj, 1));
  loop.RecordOf(shortObj, 0) = a;
  b[4] = 1;
  PutI32(b.data() + 13, MakeId(speclink, 1));
  loop.Add(speclink, b);
  c[4] = 1;
  PutI32(c.data() + 13, MakeId(speclink, 0));
  loop.Add(speclink, c);
  ASSERT_TRUE(f.OpenBuilt(loop, "cerchio.zeb"));
  EXPECT_EQ(f.doc->ObjectAt(shortObj, 0)->Name(), "");
  EXPECT_EQ(f.doc->ObjectAt(speclink, 0)->Name(), "");
  EXPECT_EQ(f.doc->ObjectAt(speclink, 0)->Description(), "");
}

TEST(Objects, PropertiesAndDocumentSettings) {
  DocFixture f;
  TZEBset& d = *f.doc;
  EXPECT_EQ(d.GetDocProperty("index"), "index.htm");
  EXPECT_EQ(d.GetDocProperty("CART"), "js.js");
  EXPECT_EQ(d.CharSet(), "iso-8859-1");
  d.SetDocProperty("Nota", "riga uno\r\nriga due");
  d.SetDocProperty("GlobalMargin", "12");
  d.SetDocProperty("delonex", "0");
  d.SetDocProperty("delonex", "");
  EXPECT_EQ(d.GlobalMargin(), 12);

  TZebWriter w;
  for (auto& [k, v] : std::vector<std::pair<std::string, std::string>>{
           {"CharSet", "windows-1250"}, {"FCharSet", "238"}, {"nota", "a\r\nb"}, {"extendedprefix", ""}})
    w.SetProperty(k, v);
  w.SetExportPrefix("CORTO");
  ASSERT_TRUE(f.OpenBuilt(w));
  EXPECT_EQ(d.CharSet(), "windows-1250");
  EXPECT_EQ(d.FontCharSet(), 238);
  EXPECT_EQ(d.GetDocProperty("nota"), "a\r\nb");
  EXPECT_EQ(d.GlobalMargin(), -1);
  EXPECT_EQ(d.ExpPrefix(), "corto");
  d.SetExpPrefix("UnPrefissoDiVentiCar");
  EXPECT_EQ(d.ExpPrefix(), "unprefissodiventicar");
  EXPECT_EQ(d.HeaderString(1346, 16), "UnPrefissoDiVent");
  EXPECT_EQ(d.GetDocProperty("extendedprefix"), "UnPrefissoDiVentiCar");

  // Removing, replacing and adding names keep the list well formed.
  TZEBoggetto* p = d.DocumentProperties();
  EXPECT_TRUE(p->SetProperty("nota", ""));
  EXPECT_EQ(p->GetProperty("nota"), "");
  EXPECT_TRUE(p->SetProperty("X", "1"));
  EXPECT_TRUE(p->SetProperty("x", "2"));
  EXPECT_EQ(p->GetProperty("X"), "2");
  EXPECT_FALSE(d.Page(0) && d.Page(0)->SetProperty("x", "1"));

  // The system code page decides the new document's character set.
  for (auto [cp, expected] : std::vector<std::pair<int, std::string>>{
           {1252, "iso-8859-1"}, {1251, "windows-1251"}, {1250, "windows-1250"}, {1253, "windows-1253"},
           {1259, "iso-8859-1"}}) {
    f.system.codePage = cp;
    d.NewDocument();
    EXPECT_EQ(d.CharSet(), expected) << cp;
  }
  EXPECT_EQ(d.FontCharSet(), 1);
}

TEST(Objects, AttributesWithBinaryBlock) {
  DocFixture f;
  TZebWriter w;
  std::string attr(4, '\0');
  PutI32(reinterpret_cast<uint8_t*>(attr.data()), 3);
  attr += "\x01\x02\x03";
  attr += "onclick=\"print\" Target='destra'\r\nnome=valore vuoto testo=\"a\x02\x03z\"";
  std::vector<uint8_t> r = w.NewRecord(bottoneCGI);
  w.Add(bottoneCGI, r, {}, Bytes(attr));
  std::vector<uint8_t> bad(4, 0xFF);
  bad.push_back('x');
  w.Add(bottoneCGI, w.NewRecord(bottoneCGI), {}, bad);
  ASSERT_TRUE(f.OpenBuilt(w));
  TZEBoggetto* b = f.doc->ObjectAt(bottoneCGI, 0);
  EXPECT_EQ(b->GetAttribute("ONCLICK"), "print");
  EXPECT_EQ(b->GetAttribute("target"), "destra");
  EXPECT_EQ(b->GetAttribute("nome"), "valore");
  EXPECT_EQ(b->GetAttribute("vuoto"), "");
  EXPECT_EQ(b->GetAttribute("testo"), "a\r\nz");
  EXPECT_EQ(b->GetAttribute("manca"), "");
  EXPECT_EQ(b->GetAttribute("allfields").substr(0, 15), "onclick=\"print\"");
  EXPECT_EQ(f.doc->ObjectAt(bottoneCGI, 1)->GetAttribute("allfields"), "");
}

TEST(Objects, ExtractionStaysInsideTheTempFolder) {
  DocFixture f;
  TZebWriter w;
  std::vector<uint8_t> payload(70000);
  for (size_t i = 0; i < payload.size(); ++i) payload[i] = static_cast<uint8_t>(i * 7);
  w.AddFile("..\\..\\fuori.bin", payload);
  w.AddFile("dati.txt", Bytes("ciao"));
  w.AddFile("dati.txt", Bytes("ancora"));
  ASSERT_TRUE(f.OpenBuilt(w));
  TZEBoggetto* evil = f.doc->ObjectAt(genLink, 0);
  std::string p = evil->ExtractToTemp();
  ASSERT_FALSE(p.empty());
  const std::string folder = f.doc->TempFolder();
  EXPECT_EQ(std::filesystem::path(p).parent_path(), std::filesystem::path(folder));
  EXPECT_EQ(ReadAll(p), std::string(payload.begin(), payload.end()));
  EXPECT_EQ(evil->ExtractToTemp(), p);

  std::string a = f.doc->ObjectAt(genLink, 1)->ExtractToTemp();
  std::string b = f.doc->ObjectAt(genLink, 2)->ExtractToTemp();
  EXPECT_EQ(std::filesystem::path(a).filename(), "dati.txt");
  EXPECT_NE(a, b);
  EXPECT_EQ(std::filesystem::path(b).filename().string().substr(0, 2), "re");
  EXPECT_EQ(std::filesystem::path(b).extension(), ".txt");
  EXPECT_EQ(ReadAll(b), "ancora");

  EXPECT_TRUE(f.doc->ObjectAt(genLink, 1)->ExtractToFile(f.dir.File("sub\\dir\\x.txt")));
  EXPECT_EQ(ReadAll(f.dir.File("sub/dir/x.txt")), "ciao");

  // The folder is private and its name ends in characters nobody can
  // predict; a link planted where a file will be extracted is not followed.
  struct stat st{};
  ASSERT_EQ(::stat(folder.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  EXPECT_EQ(std::filesystem::path(folder).filename().string().size(), 8u + 1 + 8 + 1 + 6);
  TZebWriter lw;
  lw.AddFile("bersaglio.txt", Bytes("dentro"));
  DocFixture g;
  ASSERT_TRUE(g.OpenBuilt(lw));
  WriteBytes(g.dir.File("fuori.txt"), {'o'});
  std::filesystem::create_symlink(g.dir.File("fuori.txt"), g.doc->TempFolder() + "/bersaglio.txt");
  std::filesystem::create_symlink(g.dir.File("nessuno.txt"), g.doc->TempFolder() + "/re.txt");
  const std::string extracted = g.doc->ObjectAt(genLink, 0)->ExtractToTemp();
  EXPECT_NE(extracted, g.doc->TempFolder() + "/bersaglio.txt");
  EXPECT_EQ(ReadAll(extracted), "dentro");
  EXPECT_EQ(ReadAll(g.dir.File("fuori.txt")), "o");
  EXPECT_FALSE(std::filesystem::exists(g.dir.File("nessuno.txt")));
  EXPECT_EQ(g.doc->ObjectAt(genLink, 0)->Extract(g.doc->TempFolder() + "/re.txt", TCreateMode::NewOnly),
            TExtractResult::WriteFailed);
  EXPECT_FALSE(std::filesystem::exists(g.dir.File("nessuno.txt")));

  // Opening another ebook empties the folder; two documents never share one.
  f.doc->NewDocument();
  EXPECT_FALSE(std::filesystem::exists(a));
  TZEBset second(TServices{&f.sink, &f.settings, &f.system});
  EXPECT_NE(second.TempFolder(), folder);
}

struct ViewSpy : IImageView {
  TZEBpicture* shown = nullptr;
  int drops = 0;
  bool ShowsPicture(const TZEBpicture* p) const override { return p == shown; }
  void DropPicture() override { ++drops, shown = nullptr; }
};

TEST(Objects, PictureCacheEvictsOldestAndTellsViews) {
  DocFixture f;
  TZebWriter w;
  for (int i = 0; i < 3; ++i) w.AddPicture("img" + std::to_string(i), "img" + std::to_string(i) + ".gif", kTinyGif);
  w.AddPictureRef(1);
  w.AddFile("x.bin", Bytes("x"));
  ASSERT_TRUE(f.OpenBuilt(w));
  f.doc->Images().MaxCacheImg = 2;
  ViewSpy v0, v1;
  f.doc->Images().RegisterImageView(&v0);
  f.doc->Images().RegisterImageView(&v1);
  v0.shown = f.doc->ObjectAt(immagine, 0)->Picture();
  ASSERT_NE(v0.shown, nullptr);
  EXPECT_EQ(v0.shown->Width(), 1);
  EXPECT_EQ(f.doc->ObjectAt(immagine, 0)->Rec().I16(85), 1);
  v1.shown = f.doc->ObjectAt(immagineNew, 0)->Picture();
  EXPECT_EQ(v1.shown, f.doc->ObjectAt(immagine, 1)->Picture());
  EXPECT_EQ(f.doc->Images().CacheCount(), 2);
  f.doc->ObjectAt(immagine, 2)->Picture();
  EXPECT_EQ(v0.drops, 1);
  EXPECT_EQ(v1.drops, 0);
  EXPECT_EQ(f.doc->Images().CachedPicture(f.doc->ObjectAt(immagine, 0)), nullptr);
  EXPECT_EQ(f.doc->Images().CacheCount(), 2);

  // Only pictures are cached.
  f.doc->Images().CacheAdd(f.doc->ObjectAt(genLink, 0), std::make_unique<TZEBpicture>());
  EXPECT_EQ(f.sink.Texts().back(), "What happens? Image cache bug?");
  f.doc->Images().MaxCacheImg = 0;
  EXPECT_NE(f.doc->ObjectAt(immagine, 0)->Picture(), nullptr);  // the newest is never evicted at once

  f.doc->NewDocument();
  EXPECT_EQ(v1.drops, 1);
  EXPECT_EQ(f.doc->Images().CacheCount(), 0);
}

TEST(Objects, PageSequencing) {
  DocFixture f;
  TZebWriter w;
  w.AddPage("p1", "", 4, 1);
  w.AddPage("p3", "", 4, 3);
  w.AddPage("altra", "", 5, 4);
  w.AddPage("p4", "", 4, 4);
  w.AddPage("p5", "", 4, 5);
  w.AddPage("sola", "", 4, -1);
  w.AddPage("p7", "", 4, 7);
  ASSERT_TRUE(f.OpenBuilt(w));
  auto page = [&](int i) { return f.doc->Page(i); };
  EXPECT_EQ(page(4)->PreviousPage(), page(3));
  EXPECT_EQ(page(4)->NextPage(), page(6));
  EXPECT_EQ(page(6)->NextPage(), page(6));
  EXPECT_EQ(page(0)->PreviousPage(), page(0));
  EXPECT_EQ(page(5)->NextPage(), page(5));
  EXPECT_EQ(page(1)->PreviousPage(), page(0));
  page(3)->SetState(3);  // deleted pages do not count
  EXPECT_EQ(page(4)->PreviousPage(), page(1));
}

TEST(Objects, EbookLinksAndCdFolder) {
  DocFixture f;
  TZebWriter w;
  w.AddPage("a", "<Z S0 >a");
  ASSERT_TRUE(f.OpenBuilt(w, "guida.zeb"));
  TZEBset& d = *f.doc;
  auto r = d.ResolveEbookLink("lumo://altro.zeb|7");
  EXPECT_TRUE(r.isEbook);
  EXPECT_FALSE(r.same);
  EXPECT_EQ(r.path, f.Path("altro.zeb"));
  EXPECT_EQ(r.page, 7);
  EXPECT_EQ(d.ResolveEbookLink("lumo://altro.zeb|").page, -2);
  EXPECT_EQ(d.ResolveEbookLink("lumo://altro.zeb|x").page, 0);
  EXPECT_EQ(d.ResolveEbookLink("lumo://altro.zeb|-3").page, 0);
  EXPECT_EQ(d.ResolveEbookLink("lumo://altro.zeb").page, 0);
  EXPECT_EQ(d.ResolveEbookLink("lumo:sub\\x.zeb|2").path, f.Path("sub/x.zeb"));
  EXPECT_FALSE(d.ResolveEbookLink("http://x").isEbook);
  EXPECT_TRUE(d.ResolveEbookLink("lumo://" + f.Path("GUIDA.ZEB") + "|1").same);
  // Only the full name is this ebook: a relative link to it opens it again.
  r = d.ResolveEbookLink("lumo://guida.zeb|1");
  EXPECT_FALSE(r.same);
  EXPECT_EQ(r.path, f.Path("guida.zeb"));
  EXPECT_FALSE(d.ResolveEbookLink("lumo:.\\guida.zeb").same);
  EXPECT_TRUE(d.ResolveEbookLink("lumo://|3").same);
  // The prefix is the exact "lumo:".
  for (const char* upper : {"LUMO://guida.zeb|1", "Lumo:guida.zeb", "lUMO://|2"}) {
    SCOPED_TRACE(upper);
    EXPECT_FALSE(d.ResolveEbookLink(upper).isEbook);
    EXPECT_EQ(d.ResolveEbookLink(upper).path, "");
  }
  EXPECT_EQ(d.ResolveEbookLink("lumo://C:\\libri\\x.zeb|1").path, "/libri/x.zeb");

  // The CD folder: asked only when unknown and the caller allows it.
  f.sink.folderAnswer = f.dir.File("cd") + "/";
  auto cd = d.ResolveEbookLink("lumo://cddrive:libri\\x.zeb|1", 0);
  EXPECT_EQ(f.sink.folderQuestions, 0);
  cd = d.ResolveEbookLink("lumo://cddrive:libri\\x.zeb|1", -2);
  EXPECT_EQ(f.sink.folderQuestions, 1);
  EXPECT_EQ(cd.path, f.dir.File("cd") + "/libri/x.zeb");
  EXPECT_EQ(f.settings.ReadValue("\\SOFTWARE\\Norv\\LumoRD\\", "cddrive"), f.dir.File("cd") + "/");
  EXPECT_EQ(d.ResolveCdDrive("CDDRIVE:\\a and cddrive:b", false),
            f.dir.File("cd") + "\\a and " + f.dir.File("cd") + "\\b");
  f.settings.WriteValue("\\SOFTWARE\\Norv\\LumoRD\\", "cddrive", "/media/cddrive:");
  EXPECT_EQ(d.ResolveCdDrive("cddrive:x", false), "/media/cddrive:\\x");
}

TEST(Objects, PlainTextPageCopyAndTransfer) {
  DocFixture f;
  TZebWriter w;
  int head = w.AddPage("testata", "<Z S0 >Testata");
  int link = w.AddInternetLink("http://example.org");
  char ref[16];
  std::snprintf(ref, sizeof ref, "<$%08X>", MakeId(internetLink, link));
  w.AddPage("pagina",
            std::string("<Z S0 c000000 >Uno &amp; <Y g1 >due<Z S0 >") + ref + "Tre<%><D x>nascosto<d>&lt;fine&gt;",
            0, -1, head, -1);
  w.SetHeaderI32(1728, head);
  int old = w.AddPage("vecchia", "<Z S0 >A<D>B<d>");
  w.RecordOf(testoHtml, old)[195] = 1;
  w.AddPage("vuota", "");
  ASSERT_TRUE(f.OpenBuilt(w));
  TZEBtesto* p = f.doc->Page(1);
  EXPECT_EQ(p->PlainText(), "\r\nUno & due\r\nTre<fine>");
  EXPECT_EQ(p->PlainText(true), "\r\nuno & due\r\ntre<fine>");
  EXPECT_EQ(f.doc->Page(old)->PlainText(), "AB");

  auto copy = p->PageCopy(true, nullptr);
  ASSERT_NE(copy->HeaderText(), nullptr);
  ASSERT_NE(copy->FooterText(), nullptr);
  EXPECT_EQ(copy->HeaderText()->PlainText(), "\r\nTestata");
  EXPECT_EQ(copy->MainPayload().back(), '\0');
  ASSERT_EQ(copy->Embedded().size(), 1u);
  EXPECT_EQ(copy->Embedded()[0], f.doc->ObjectAt(internetLink, link));
  EXPECT_EQ(f.doc->Page(3)->PageCopy(false, nullptr)->MainPayload(), std::string("<Z S0 >\0", 8));

  // Objects that are not stored are known by their place in the text.
  TZEBoggetto local(f.doc.get(), speclink);
  local.Clear();
  EXPECT_EQ(local.ContainerId(copy.get()), 0x6F000001);
  EXPECT_EQ(copy->ResolveContainerId(0x6F000001), &local);
  EXPECT_EQ(copy->ResolveContainerId(MakeId(internetLink, link)), f.doc->ObjectAt(internetLink, link));
  EXPECT_EQ(copy->ResolveContainerId(0x6F000009), nullptr);
  EXPECT_EQ(copy->ResolveContainerId(0x10000000), nullptr);

  std::string stream;
  p->WriteTransfer(stream);
  TZEBtesto back(f.doc.get());
  size_t pos = 0;
  ASSERT_TRUE(back.ReadTransfer(stream, pos));
  EXPECT_EQ(pos, stream.size());
  EXPECT_EQ(back.Name(), "pagina");
  EXPECT_EQ(back.PlainText(), p->PlainText());
  for (size_t cut = 0; cut < stream.size(); cut += 97) {
    size_t q = 0;
    TZEBtesto t(f.doc.get());
    EXPECT_FALSE(t.ReadTransfer(std::string_view(stream).substr(0, cut), q));
  }
  pos = 0;
  EXPECT_FALSE(f.doc->ObjectAt(internetLink, link)->ReadTransfer(stream, pos));
  EXPECT_EQ(f.sink.Texts().back(),
            "In un TZEBoggetto registrato si può caricare solo un TZEBoggetto dello stesso tipo!");
}

TEST(Objects, DeleteOnCloseRemovesEvenReadOnlyFile) {
  DocFixture f;
  TZebWriter w;
  w.SetProperty("delonex", "1");
  w.AddPage("a", "<Z S0 >a");
  f.doc->SetDeleteOnCloseAllowed(true);
  ASSERT_TRUE(f.OpenBuilt(w, "temporaneo.zeb"));
  std::filesystem::permissions(f.Path("temporaneo.zeb"), std::filesystem::perms::owner_read);
  TZebWriter other;
  ASSERT_TRUE(f.OpenBuilt(other, "altro.zeb"));
  EXPECT_FALSE(std::filesystem::exists(f.Path("temporaneo.zeb")));
  EXPECT_TRUE(std::filesystem::exists(f.Path("altro.zeb")));
}

TEST(Objects, DeleteOnCloseSparesDamagedFilesAndInspection) {
  DocFixture f;
  f.doc->SetDeleteOnCloseAllowed(true);
  TZebWriter w;
  w.SetProperty("delonex", "1");
  w.AddPage("a", "<Z S0 >a");
  std::vector<uint8_t> bytes = w.Build();
  // The properties load, then a page record runs past the end: refused.
  const int32_t recOff = GetI32(bytes.data() + 1978);
  PutI32(bytes.data() + 2306 + recOff + 185, 0x7FFFFFF0);
  WriteBytes(f.Path("danneggiato.zeb"), bytes);
  EXPECT_FALSE(f.doc->Open(f.Path("danneggiato.zeb")));
  TZebWriter other;
  ASSERT_TRUE(f.OpenBuilt(other, "altro.zeb"));
  EXPECT_TRUE(std::filesystem::exists(f.Path("danneggiato.zeb")));

  // Documents not opened by the reader never delete: zebtool inspects.
  w.Save(f.Path("temporaneo.zeb"));
  for (const char* cmd : {"info", "objects"}) {
    ToolResult r = RunZebtool({cmd, f.Path("temporaneo.zeb")});
    EXPECT_EQ(r.status, 0) << r.err;
  }
  {
    TZEBset plain(TServices{&f.sink, &f.settings, &f.system});
    ASSERT_TRUE(plain.Open(f.Path("temporaneo.zeb")));
  }
  EXPECT_TRUE(std::filesystem::exists(f.Path("temporaneo.zeb")));
}

}  // namespace
