// Opening ebook files: accepted and refused headers, damaged and hostile files.
#include <gtest/gtest.h>

#include "document/zebpicture.h"
#include "testutil.h"

namespace {

TEST(Open, RefusedHeadersLeaveANewEmptyDocument) {
  DocFixture f;
  TZebWriter good;
  good.AddPage("Prima", "<Z S0 >uno");
  ASSERT_TRUE(f.OpenBuilt(good, "buono.zeb"));

  // A missing file: only the warning, the open ebook stays.
  EXPECT_FALSE(f.doc->Open(f.Path("manca.zeb")));
  ASSERT_EQ(f.sink.messages.size(), 1u);
  EXPECT_EQ(f.sink.messages[0].first, TMsgKind::Warning);
  EXPECT_EQ(f.sink.messages[0].second, f.Path("manca.zeb") + " non esiste");
  EXPECT_EQ(f.doc->ZEBFileName(), f.Path("buono.zeb"));
  EXPECT_EQ(f.doc->Count(testoHtml), 1);

  struct Case {
    const char* name;
    std::function<std::vector<uint8_t>()> bytes;
    std::vector<std::string> messages;
  };
  auto withHeader = [](std::function<void(TZebWriter&)> tweak) {
    return [tweak] {
      TZebWriter w;
      w.AddPage("p", "<Z S0 >x");
      tweak(w);
      return w.Build();
    };
  };
  const std::string unsupported =
      "File non supportato dalla corrente versione del programma.\r"
      "Contattare Norvane per avere una versione aggiornata del programma.";
  std::vector<Case> cases = {
      {"corto.zeb", [] { return std::vector<uint8_t>(100, 'M'); }, {}},
      {"magia.zeb", withHeader([](TZebWriter& w) { std::memcpy(w.Header(), "MAVA", 4); }), {"Formato sconosciuto."}},
      {"vecchio.zeb", withHeader([](TZebWriter& w) { w.SetVersion(1); w.SetLastKind(7); }),
       {"Attenzione: file salvato con una versione del programma\ranteriore alla 0.98. Non più supportato. UNSUPPORTED\r"}},
      {"futuro.zeb", withHeader([](TZebWriter& w) { w.SetVersion(3); }), {unsupported}},
      {"tipi.zeb", withHeader([](TZebWriter& w) { w.SetHeaderByte(1620, 27); }), {unsupported}},
      {"unostile.zeb", withHeader([](TZebWriter& w) { w.AddStyle("solo"); }), {}},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.name);
    f.sink.messages.clear();
    WriteBytes(f.Path(c.name), c.bytes());
    EXPECT_FALSE(f.doc->Open(f.Path(c.name)));
    auto expected = c.messages;
    expected.push_back("Errore nella lettura file: " + f.Path(c.name));
    EXPECT_EQ(f.sink.Texts(), expected);
    EXPECT_EQ(f.doc->ZEBFileName(), "");
    EXPECT_EQ(f.doc->Count(testoHtml), 0);
    EXPECT_EQ(f.doc->Count(stileParagrafo), 2);
    EXPECT_EQ(f.doc->Title(), "Senza titolo");
  }
  EXPECT_EQ(f.sink.messages.size(), 1u);
}

TEST(Open, AcceptedVariants) {
  DocFixture f;
  // Zero-length file: a new document named after the file.
  WriteBytes(f.Path("Il Mio-Libro.zeb"), {});
  EXPECT_TRUE(f.doc->Open(f.Path("Il Mio-Libro.zeb")));
  EXPECT_EQ(f.doc->ExpPrefix(), "il_mio-l");
  EXPECT_EQ(f.doc->ZEBFileName(), f.Path("Il Mio-Libro.zeb"));
  EXPECT_TRUE(f.sink.messages.empty());

  // Lower-case magic; a cover index equal to the page count falls back to 0.
  TZebWriter w;
  std::memcpy(w.Header(), "mavo", 4);
  w.AddPage("a", "<Z S0 >a");
  w.AddPage("b", "<Z S0 >b");
  w.SetHeaderI32(1628, 2);
  w.SetHeaderI32(1624, -4);
  ASSERT_TRUE(f.OpenBuilt(w));
  EXPECT_EQ(f.doc->CoverPage(), 0);
  EXPECT_EQ(f.doc->SummaryPage(), 0);

  // K = 20: later kinds stay empty even though the writer had objects there.
  TZebWriter k20;
  k20.AddPage("a", "<Z S0 >a");
  k20.SetLastKind(20);
  ASSERT_TRUE(f.OpenBuilt(k20, "k20.zeb"));
  EXPECT_EQ(f.doc->Count(testoHtml), 1);
  for (int k = 21; k < KindCount; ++k) EXPECT_EQ(f.doc->Count(k), 0) << k;
}

TEST(Open, RecordSizesAndUpgrades) {
  DocFixture f;
  TZebWriter w;
  w.SetRecordSize(internetLink, 700);
  int mail = w.AddInternetLink("mailto:a@b.it");
  w.RecordOf(internetLink, mail)[4] = 4;
  int lumo = w.AddInternetLink("lumo://altro.zeb|3");
  w.RecordOf(internetLink, lumo)[4] = 4;
  int web = w.AddInternetLink("http://example.org");
  w.RecordOf(internetLink, web)[4] = 2;
  w.SetRecordSize(keyword, 100);
  w.AddKeyword("parola");
  ASSERT_TRUE(f.OpenBuilt(w));
  EXPECT_EQ(f.doc->ObjectAt(internetLink, 0)->State(), 8);
  EXPECT_EQ(f.doc->ObjectAt(internetLink, 1)->State(), 6);
  EXPECT_EQ(f.doc->ObjectAt(internetLink, 2)->State(), 7);
  EXPECT_EQ(f.doc->ObjectAt(internetLink, 2)->Name(), "http://example.org");
  TZEBoggetto* kw = f.doc->ObjectAt(keyword, 0);
  EXPECT_EQ(kw->Name(), "parola");
  EXPECT_EQ(kw->Rec().Byte(100), 0xFF);
  EXPECT_EQ(kw->Rec().I32(664), -1);

  // Old short page records get document-default header and footer; a
  // 243-byte record keeps its missing tail at 0xFF.
  TZebWriter old;
  old.SetRecordSize(testoHtml, 242);
  old.AddPage("vecchia", "<Z S0 >testo");
  old.SetRecordSize(tabellaHtml, 219);
  std::vector<uint8_t> tab = old.NewRecord(tabellaHtml);
  for (int i = 0; i < 50; ++i) tab[97 + i] = static_cast<uint8_t>(i + 1);
  old.Add(tabellaHtml, tab);
  std::vector<uint8_t> mm = old.NewRecord(multiMedia);
  mm[4] = 1;
  PutI32(mm.data() + 17, 7);
  old.Add(multiMedia, mm);
  ASSERT_TRUE(f.OpenBuilt(old, "old.zeb"));
  TZEBoggetto* p = f.doc->ObjectAt(testoHtml, 0);
  EXPECT_EQ(p->Rec().I32(231), -1);
  EXPECT_EQ(p->Rec().I32(235), -1);
  EXPECT_EQ(p->Rec().Byte(195), 1);
  EXPECT_EQ(p->Rec().I16(221), 5);
  EXPECT_EQ(p->Rec().I32(196), f.doc->Revision() - 1);
  TZEBoggetto* t = f.doc->ObjectAt(tabellaHtml, 0);
  EXPECT_EQ(t->Rec().I16(97), 1);
  EXPECT_EQ(t->Rec().I16(97 + 2 * 49), 50);
  EXPECT_EQ(t->Rec().I16(56), 300);
  EXPECT_EQ(t->Rec().Byte(219), 1);
  EXPECT_EQ(t->Rec().Byte(5), 0);
  EXPECT_EQ(f.doc->ObjectAt(multiMedia, 0)->Rec().I32(17), 0x03000007);

  TZebWriter tail;
  tail.SetRecordSize(testoHtml, 243);
  tail.AddPage("nuova", "<Z S0 >testo");
  ASSERT_TRUE(f.OpenBuilt(tail, "tail.zeb"));
  p = f.doc->ObjectAt(testoHtml, 0);
  EXPECT_EQ(p->Rec().Byte(243), 0xFF);
  EXPECT_EQ(p->Rec().Byte(667), 0xFF);
  EXPECT_EQ(p->Rec().I32(231), -1);  // written as -1 by the writer
  EXPECT_EQ(p->Rec().Byte(195), 2);
}

TEST(Open, OlderLayoutsOfFilesPicturesAndButtons) {
  DocFixture f;
  TZebWriter w;
  w.SetHeaderI32(1632, 9);  // document revision
  w.SetRecordSize(genLink, 92);
  std::vector<uint8_t> file = w.NewRecord(genLink);
  file[5] = 90;  // a name length beyond the field
  std::memset(file.data() + 6, 'n', 86);
  w.Add(genLink, file, {'x'});
  w.SetRecordSize(immagine, 600);
  std::vector<uint8_t> pic = w.NewRecord(immagine);
  PutPString(pic.data() + 94, 75, "foto.gif");
  w.Add(immagine, pic, kTinyGif);
  w.Add(immagine, w.NewRecord(immagine));
  w.SetRecordSize(bottoneCGI, 190);
  w.Add(bottoneCGI, w.NewRecord(bottoneCGI));
  // An extended picture reference carries 20 bytes of layout in front of its attributes.
  std::vector<uint8_t> ref = w.NewRecord(immagineNew);
  ref[4] = 1;
  ref[13] = 254;
  std::vector<uint8_t> attr(4, 0);
  attr[0] = 20;
  for (int i = 0; i < 20; ++i) attr.push_back(static_cast<uint8_t>(100 + i));
  for (char c : std::string("align=\"left\"")) attr.push_back(static_cast<uint8_t>(c));
  w.Add(immagineNew, ref, {}, attr);
  ASSERT_TRUE(f.OpenBuilt(w));
  TZEBoggetto* g = f.doc->ObjectAt(genLink, 0);
  EXPECT_EQ(g->Rec().I32(89), 8);
  EXPECT_EQ(g->FileName().size(), 78u);
  TZEBoggetto* p = f.doc->ObjectAt(immagine, 0);
  EXPECT_EQ(p->Rec().I32(662), -1);
  EXPECT_EQ(p->Rec().Byte(666), 0);
  EXPECT_EQ(p->Rec().I32(77), 8);
  EXPECT_FALSE(p->needsInit);
  EXPECT_TRUE(f.doc->ObjectAt(immagine, 1)->needsInit);
  EXPECT_EQ(f.doc->ObjectAt(bottoneCGI, 0)->Rec().I16(186), -1);
  TZEBoggetto* r = f.doc->ObjectAt(immagineNew, 0);
  EXPECT_EQ(r->Rec().Byte(556), 100);
  EXPECT_EQ(r->Rec().Byte(575), 119);
  EXPECT_EQ(r->GetAttribute("align"), "left");
  EXPECT_EQ(r->AttrPayload().substr(0, 4), std::string(4, '\0'));
}

TEST(Open, NewDocumentDefaults) {
  DocFixture f;
  TZEBset& d = *f.doc;
  EXPECT_EQ(d.HeaderString(1540, 79), "lettore");
  EXPECT_EQ(d.Version(), 2);
  EXPECT_EQ(d.HeaderByte(1620), 26);
  EXPECT_EQ(d.HeaderString(1642, 39), "Courier New");
  EXPECT_EQ(d.HeaderI32(1736), 0xF0F0F0);
  EXPECT_EQ(d.HeaderI16(1744), 0x0409);
  EXPECT_EQ(d.DefaultParaStyle()->Name(), "[nessuno stile]");
  EXPECT_EQ(d.DefaultTableStyle()->Name(), "[nessuno stile tabella]");
  EXPECT_EQ(d.DefaultParaStyle()->Rec().I16(86), 10);
  EXPECT_EQ(d.DefaultTableStyle()->Rec().I16(86), 0);
  EXPECT_EQ(d.DefaultParaStyle()->Rec().Str(39, 32), "Arial");
  EXPECT_EQ(d.DefaultParaStyle()->Rec().I16(94), -32000);
  auto page = d.NewObject(testoHtml);
  page->InitNew();
  EXPECT_EQ(page->State(), 0);
  EXPECT_EQ(page->MainPayload(), std::string("<Z S0 >\0", 8));
  EXPECT_EQ(page->Rec().I32(101), 0xF0F0F0);
  EXPECT_EQ(page->Name().substr(0, 13), "Senza titolo ");
}

TEST(Open, Version1ConversionRemapsIds) {
  DocFixture f;
  TZebWriter w;
  w.SetVersion(1);
  w.SetTitle("Vecchio");
  w.SetCompany("Ditta");
  w.AddFile("gia.txt", {'g'});  // genLink 0
  for (int i = 0; i < 4; ++i) {
    std::vector<uint8_t> rec = w.NewRecord(zipLink);
    PutPString(rec.data() + 5, 78, "zip" + std::to_string(i) + ".txt");
    w.Add(zipLink, rec, {static_cast<uint8_t>('a' + i)});
  }
  std::vector<uint8_t> clic = w.NewRecord(mappaClic);
  PutPString(clic.data() + 5, 71, "mappa");
  w.Add(mappaClic, clic, kTinyGif);
  ASSERT_TRUE(f.OpenBuilt(w, "Vecchio Libro.zeb"));
  EXPECT_EQ(f.doc->Count(zipLink), 0);
  EXPECT_EQ(f.doc->Count(mappaClic), 0);
  EXPECT_EQ(f.doc->Count(genLink), 5);
  EXPECT_EQ(f.doc->HeaderString(1380, 79), "");
  EXPECT_EQ(f.doc->ExpPrefix(), "vecchio_");
  EXPECT_EQ(f.doc->HeaderI32(1724), -1);

  TZEBoggetto* z3 = f.doc->ObjectAt(zipLink, 3);
  ASSERT_NE(z3, nullptr);
  EXPECT_EQ(z3->Kind(), genLink);
  EXPECT_EQ(z3->Index(), 4);
  EXPECT_EQ(z3->FileName(), "zip3.txt");
  EXPECT_EQ(z3->MainPayload(), "d");
  EXPECT_EQ(f.doc->ObjectById(MakeId(zipLink, 3)), z3);

  TZEBoggetto* img = f.doc->ObjectById(MakeId(mappaClic, 0));
  ASSERT_NE(img, nullptr);
  EXPECT_EQ(img->Kind(), immagine);
  EXPECT_EQ(img->Rec().I32(662), 0);
  EXPECT_EQ(img->Rec().Byte(666), 0);
  EXPECT_EQ(img->MainSize(), kTinyGif.size());
}

// Damaged and hostile files are refused at once, or load with the damaged
// parts left out; never a crash or a huge allocation.
TEST(Open, HostileFiles) {
  DocFixture f;
  TZebWriter base;
  base.AddPage("p", "<Z S0 >testo della pagina");
  base.AddFile("f.bin", std::vector<uint8_t>(100, 7));
  const std::vector<uint8_t> good = base.Build();
  const int dir = 1978;
  auto patched = [&](int off, int32_t v) {
    std::vector<uint8_t> b = good;
    PutI32(b.data() + off, v);
    return b;
  };
  std::vector<std::pair<std::string, std::vector<uint8_t>>> refused = {
      {"huge-count.zeb", patched(dir + 8, 0x7FFFFFFF)},
      {"huge-recsize.zeb", patched(dir + 4, 0x7FFFFFFF)},
      {"zero-recsize.zeb", patched(dir + 4, 0)},
      {"negative-offset.zeb", patched(dir, -100000)},
      {"offset-past-end.zeb", patched(dir, 0x40000000)},
      {"negative-area.zeb", patched(dir + 12 * 27, -5)},
      {"truncated-directory.zeb", std::vector<uint8_t>(good.begin(), good.begin() + 2000)},
  };
  // A page payload that runs past the end of the file.
  {
    std::vector<uint8_t> b = good;
    int32_t recOff = GetI32(b.data() + dir);
    PutI32(b.data() + 2306 + recOff + 185, 0x7FFFFFF0);
    refused.emplace_back("text-past-end.zeb", b);
  }
  for (auto& [name, bytes] : refused) {
    SCOPED_TRACE(name);
    f.sink.messages.clear();
    WriteBytes(f.Path(name), bytes);
    EXPECT_FALSE(f.doc->Open(f.Path(name)));
    EXPECT_EQ(f.sink.Texts(), std::vector<std::string>{"Errore nella lettura file: " + f.Path(name)});
    EXPECT_EQ(f.doc->Count(testoHtml), 0);
  }

  // A negative count simply means no objects; a page text placed beyond the
  // end is a failed read, never an empty page.
  std::vector<uint8_t> b = patched(dir + 12 * genLink + 8, -3);
  WriteBytes(f.Path("neg-count.zeb"), b);
  EXPECT_TRUE(f.doc->Open(f.Path("neg-count.zeb")));
  EXPECT_EQ(f.doc->Count(genLink), 0);
  b = good;
  int32_t recOff = GetI32(b.data() + dir);
  PutI32(b.data() + 2306 + recOff, 0x30000000);
  WriteBytes(f.Path("payload-beyond.zeb"), b);
  f.sink.messages.clear();
  EXPECT_TRUE(f.doc->Open(f.Path("payload-beyond.zeb")));
  bool ok = true;
  EXPECT_EQ(f.doc->Page(0)->MainPayload(&ok), "");
  EXPECT_FALSE(ok);
  EXPECT_EQ(f.doc->Page(0)->PageCopy(false, nullptr)->PlainText(),
            "\r\nErrore nella lettura file: " + f.Path("payload-beyond.zeb"));
  EXPECT_EQ(f.sink.Texts(), std::vector<std::string>{"Errore nella lettura file: " + f.Path("payload-beyond.zeb")});
}

TEST(Open, FileShrinkingWhileOpenFailsExtractionCleanly) {
  DocFixture f;
  TZebWriter w;
  w.AddPage("p", "<Z S0 >x");
  std::vector<uint8_t> data(200000, 0x5A);
  w.AddFile("grande.bin", data);
  w.AddPicture("immagine", "img.gif", kTinyGif);
  ASSERT_TRUE(f.OpenBuilt(w));
  std::filesystem::resize_file(f.Path(), 3000);
  TZEBoggetto* file = f.doc->ObjectAt(genLink, 0);
  EXPECT_EQ(file->Extract(f.dir.File("out.bin"), TCreateMode::Replace), TExtractResult::ReadFailed);
  EXPECT_FALSE(std::filesystem::exists(f.dir.File("out.bin")));
  EXPECT_EQ(file->ExtractToTemp(), "");
  // One read error for the file, not a disk-space complaint per object.
  EXPECT_EQ(f.sink.Texts(), std::vector<std::string>{"Errore nella lettura file: " + f.Path()});
  EXPECT_EQ(f.sink.messages[0].first, TMsgKind::Error);
  TZEBpicture* pic = f.doc->ObjectAt(immagine, 0)->Picture();
  ASSERT_NE(pic, nullptr);
  EXPECT_TRUE(pic->Empty());
}

}  // namespace
