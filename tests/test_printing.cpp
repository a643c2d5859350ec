// Printing pages into PDF files read back with poppler's tools: sheet counts,
// sheet size, the words on each sheet; sizes on paper; the page setup's
// margins and printer profiles; the print command.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QImage>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeWidget>
#include <QProcess>
#include <algorithm>
#include <cstdio>

#include "pageobjects/zebframeset.h"
#include "platform/settings.h"
#include "printing/pagesetup.h"
#include "printing/printform.h"
#include "printing/printjob.h"
#include "printing/printmarkup.h"
#include "printing/zebboxp.h"
#include "printing/zebpagep.h"
#include "printfixture.h"

TEST(PrintLayout, SheetGeometryAndPhysicalSizes) {
  PrintFixture f;
  f.w.AddPage("p", "<Z S0 L20 >uno<Z S0 I50 l100 >due");
  auto job = f.Prepared();
  // A4 at 576 dpi with 10 mm margins: 190 x 277 mm to print on.
  auto mm = [](int px) { return px * 25.4 / 576; };
  EXPECT_NEAR(mm(job->PageWidthPx()), 210, 0.2);
  EXPECT_NEAR(mm(job->PageHeightPx()), 297, 0.2);
  EXPECT_NEAR(mm(job->W()), 190, 0.2);
  EXPECT_NEAR(mm(job->H()), 277, 0.2);
  EXPECT_NEAR(mm(job->MarginLeftPx()), 10, 0.1);
  // A fixed line height of 20 screen pixels keeps its physical size: 20/96 inch.
  TZEBparag& first = *job->Box()->Paragraph(0).para;
  ASSERT_EQ(first.lines.size(), 1u);
  EXPECT_EQ(first.lines[0].height, 120);
  // Margins and indents too.
  TZEBparag& second = *job->Box()->Paragraph(1).para;
  EXPECT_EQ(second.style.Get(paLeft), 600);
  EXPECT_EQ(second.style.Get(paIndent), 300);
  // True point sizes: a 10-point font is 10/72 inch high, 80 printer pixels.
  EXPECT_EQ(job->Zoom(), 60);
  EXPECT_NEAR(second.defaultLineHeight, 80 * 1.15, 20);
}

TEST(PrintLayout, TwoAndAHalfSheetsMakeThreeAndCrossingParagraphsMove) {
  PrintFixture f;
  // 131 lines of 120 printer pixels: 2.5 sheets of 6283.
  f.w.AddPage("p", Lines(131));
  ASSERT_EQ(f.Print(), "");
  EXPECT_EQ(SheetCount(f.pdf), 3);
  const std::string info = RunTool("pdfinfo", {QString::fromStdString(f.pdf)});
  EXPECT_NE(info.find("595 x 842 pts (A4)"), std::string::npos);
  // Line k starts at 8 + 120k; line 52 would cross the first sheet's bottom
  // and starts the second sheet instead.
  const std::string s1 = SheetText(f.pdf, 1), s2 = SheetText(f.pdf, 2), s3 = SheetText(f.pdf, 3);
  EXPECT_NE(s1.find("riga051"), std::string::npos);
  EXPECT_EQ(s1.find("riga052"), std::string::npos);
  EXPECT_EQ(s2.find("riga052"), 0u) << s2.substr(0, 40);
  EXPECT_EQ(s2.find("riga051"), std::string::npos);
  EXPECT_NE(s3.find("riga130"), std::string::npos);
  // Order on the sheet follows the text.
  EXPECT_LT(s2.find("riga060"), s2.find("riga061"));

  auto job = f.Prepared();
  TPrintDocument doc(&f.setup.Printer());
  job->PrintPage(f.doc->Page(0), doc);
  doc.End();
  EXPECT_EQ(job->SheetTops(), (std::vector<int>{0, 8 + 120 * 52, 8 + 120 * 104}));
}

TEST(PrintLayout, TallParagraphIsCutAtSheetBoundaries) {
  PrintFixture f;
  std::string words;
  for (int i = 0; i < 2000; ++i) words += "parola" + std::to_string(i) + " ";
  f.w.AddPage("p", "<Z S0 >" + words);
  auto job = f.Prepared();
  TPrintDocument doc(&f.setup.Printer());
  job->PrintPage(f.doc->Page(0), doc);
  doc.End();
  const int H = job->H();
  const std::vector<int>& tops = job->SheetTops();
  ASSERT_GE(tops.size(), 2u);
  for (size_t i = 0; i < tops.size(); ++i) EXPECT_EQ(tops[i], static_cast<int>(i) * H);
  // Every word is on paper; a line across a boundary is on both sheets.
  std::string all;
  for (int s = 1; s <= SheetCount(f.pdf); ++s) all += SheetText(f.pdf, s);
  for (char& c : all) c = c == '\n' ? ' ' : c;
  for (int i : {0, 1, 777, 1500, 1999}) EXPECT_NE(all.find("parola" + std::to_string(i) + " "), std::string::npos) << i;
}

TEST(PrintLayout, PicturesAtTheirScaleAndShrunkToThePaper) {
  PrintFixture f;
  const int pic = f.w.AddPicture("g", "g.gif", kTinyGif, 1, 1);
  const int small = f.w.AddPictureRef(pic, "small"), big = f.w.AddPictureRef(pic, "big");
  for (auto [ref, w] : {std::pair{small, 100}, std::pair{big, 3000}}) {
    PutI16(f.w.RecordOf(immagineNew, ref).data() + 18, static_cast<int16_t>(w));
    PutI16(f.w.RecordOf(immagineNew, ref).data() + 20, 50);
  }
  char m[160];
  std::snprintf(m, sizeof m, "<Z S0 ><$%08X><$FF000001><Z S0 ><$%08X><$FF000002>", MakeId(immagineNew, small),
                MakeId(immagineNew, big));
  f.w.AddPage("p", m);
  auto job = f.Prepared();
  auto* a = dynamic_cast<TMyyImageP*>(job->Box()->PrintableOf(job->Box()->Paragraph(0).para->objects.at(0)));
  auto* b = dynamic_cast<TMyyImageP*>(job->Box()->PrintableOf(job->Box()->Paragraph(1).para->objects.at(0)));
  ASSERT_TRUE(a && b);
  // 100 screen pixels at the default scale (2500) print 25 mm wide.
  EXPECT_NEAR(a->Width() * 25.4 / 576, 25.0, 0.1);
  EXPECT_NEAR(a->Height() * 25.4 / 576, 12.5, 0.1);
  // 750 mm would not fit: shrunk to the printable width, proportions kept.
  EXPECT_EQ(b->Width(), job->W());
  EXPECT_NEAR(double(b->Height()) / b->Width(), 50.0 / 3000, 0.002);
  // A larger scale prints larger.
  f.options.scale = 5000;
  auto job2 = f.Prepared();
  auto* a2 = dynamic_cast<TMyyImageP*>(job2->Box()->PrintableOf(job2->Box()->Paragraph(0).para->objects.at(0)));
  ASSERT_TRUE(a2);
  EXPECT_NEAR(a2->Width() * 25.4 / 576, 50.0, 0.1);
  EXPECT_EQ(f.Print(), "");
  EXPECT_EQ(SheetCount(f.pdf), 1);
}

TEST(PrintLayout, ColoursBlackBackgroundsAndNumbering) {
  PrintFixture f;
  const int web = f.w.AddInternetLink("https://example.org");
  char m[400];
  std::snprintf(m, sizeof m,
                "<Z S0 cFF0000 s40 >ROSSO<Z S0 N6 >primo<Z S0 N6 >secondo<Z S0 >in mezzo<Z S0 N6 >di nuovo"
                "<Z S0 >vedi <$%08X>il sito<%%> e <$%08X>la pagina<%%>",
                MakeId(internetLink, web), MakeId(testoHtml, 0));
  f.w.AddPage("p", m);
  PutI32(f.w.RecordOf(testoHtml, 0).data() + 101, 0x00FF00);  // green page background
  auto red = [](QColor c) { return c.red() > 200 && c.green() < 80 && c.blue() < 80; };
  auto green = [](QColor c) { return c.green() > 200 && c.red() < 80 && c.blue() < 80; };

  ASSERT_EQ(f.Print(), "");
  QImage plain = SheetImage(f.pdf, 1, f.dir.File("plain"));
  EXPECT_GT(CountPixels(plain, red), 5);
  EXPECT_EQ(CountPixels(plain, green), 0);
  const std::string text = SheetText(f.pdf, 1);
  EXPECT_NE(text.find("1. primo"), std::string::npos) << text;
  EXPECT_NE(text.find("2. secondo"), std::string::npos);
  EXPECT_NE(text.find("1. di nuovo"), std::string::npos);

  f.options.black = true;
  f.options.backgrounds = true;
  ASSERT_EQ(f.Print(), "");
  QImage black = SheetImage(f.pdf, 1, f.dir.File("black"));
  EXPECT_EQ(CountPixels(black, red), 0);
  // The page background covers the first sheet inside the margins.
  EXPECT_GT(CountPixels(black, green), black.width() * black.height() / 2);

  // A web link keeps the surrounding font; a page link is a link.
  auto job = f.Prepared();
  const TZEBparag& p = *job->Box()->Paragraph(5).para;
  const size_t site = p.text.find("il sito"), page = p.text.find("la pagina");
  ASSERT_NE(site, std::string::npos);
  EXPECT_EQ(p.chars[site].link, -1);
  EXPECT_NE(p.chars[page].link, -1);
}

TEST(PrintLayout, FormFieldsPrintTheTypedValue) {
  PrintFixture f;
  std::vector<uint8_t> rec = f.w.NewRecord(inputStat);
  rec.resize(200, 0);
  rec[4] = 1;    // a one-line text field
  rec[97] = 20;  // 20 characters
  const std::string attr = "thevaluetoprint=\"valore scritto\"";
  std::vector<uint8_t> payload(4, 0);
  payload.insert(payload.end(), attr.begin(), attr.end());
  const int field = f.w.Add(inputStat, rec, {}, payload);
  std::vector<uint8_t> hidden = rec;
  hidden[4] = 5;
  const int other = f.w.Add(inputStat, hidden, {}, std::vector<uint8_t>(payload));
  char m[120];
  std::snprintf(m, sizeof m, "<Z S0 >Nome: <$%08X><$FF000001> e <$%08X><$FF000002>.", MakeId(inputStat, field),
                MakeId(inputStat, other));
  f.w.AddPage("p", m);
  ASSERT_EQ(f.Print(), "");
  const std::string text = SheetText(f.pdf, 1);
  EXPECT_NE(text.find("Nome: valore scritto"), std::string::npos) << text;
  // Only text fields print their value: once on the sheet.
  EXPECT_EQ(text.find("valore scritto", text.find("valore scritto") + 1), std::string::npos) << text;
  auto job = f.Prepared();
  auto* r = dynamic_cast<TMyyRectangleP*>(job->Box()->PrintableOf(job->Box()->Paragraph(0).para->objects.at(0)));
  ASSERT_TRUE(r);
  EXPECT_EQ(r->Width(), job->ConvH(200));
  EXPECT_EQ(r->Height(), job->ConvV(21));
  // What the reader typed on screen wins over the stored value.
  std::map<TObjId, TFieldState> typed{{MakeId(inputStat, field), TFieldState{"scritto a mano"}}};
  f.options.typedValues = &typed;
  ASSERT_EQ(f.Print(), "");
  EXPECT_NE(SheetText(f.pdf, 1).find("Nome: scritto a mano"), std::string::npos);
}

TEST(PrintLayout, PrintMarkupDropsOnlyWebAndArchiveLinkStarts) {
  EXPECT_EQ(PrintMarkup("<Z S0 >a<$01000003>b<%>c"), "<Z S0 >ab<%>c");
  EXPECT_EQ(PrintMarkup("<$$02000000>x"), "x");
  EXPECT_EQ(PrintMarkup("<$00000001>p<%><$03000000>s<%><$6F000001>t<%><$FF000001>"),
            "<$00000001>p<%><$03000000>s<%><$6F000001>t<%><$FF000001>");
  EXPECT_EQ(PrintMarkup("<$0100"), "<$0100");  // cut short: left alone
}

TEST(PrintLayout, TablesOnPaper) {
  PrintFixture f;
  std::vector<uint8_t> rec = f.w.NewRecord(tabellaHtml);
  rec.resize(220, 0);
  rec[197] = 2, rec[198] = 2, rec[199] = 2, rec[203] = 1;
  rec[5] = 0, rec[6] = 0;                 // two percent columns
  PutI16(rec.data() + 97, 25), PutI16(rec.data() + 99, 75);
  rec[55] = 1, rec[200] = 100;
  const int t = f.w.Add(tabellaHtml, rec);
  std::vector<uint8_t> wide = rec;
  wide[5] = wide[6] = 1;                  // two columns of 5000 pixels each
  PutI16(wide.data() + 97, 5000), PutI16(wide.data() + 99, 5000);
  const int t2 = f.w.Add(tabellaHtml, wide);
  char m[400];
  std::snprintf(m, sizeof m,
                "<Z S0 >prima<Z S0 ><$%08X><$FF000001><Z S0 >cellaA<T><Z S0 >cellaB<T><Z S0 >cellaC<T>"
                "<Z S0 >cellaD<T><Z S0 >dopo<Z S0 ><$%08X><$FF000002><Z S0 >w1<T><Z S0 >w2<T><Z S0 >w3<T><Z S0 >w4<T><Z S0 >fine",
                MakeId(tabellaHtml, t), MakeId(tabellaHtml, t2));
  f.w.AddPage("p", m);
  auto job = f.Prepared();
  TZEBboxP& box = *job->Box();
  auto* table = dynamic_cast<TMyyTableP*>(box.PrintableOf(box.Paragraph(1).para->objects.at(0)));
  ASSERT_TRUE(table);
  ASSERT_EQ(table->Rows(), 2);
  // Spacing 2 screen pixels is 12 printer pixels; columns of 25 % and 75 % of the rest.
  EXPECT_LE(table->LastLayoutWidth(), job->W());
  const int avail = table->LastLayoutWidth() - 3 * 12;
  EXPECT_EQ(table->Cell(0, 0)->Width(), avail / 4);
  EXPECT_EQ(table->Cell(0, 1)->Width(), avail - avail / 4);
  EXPECT_EQ(table->Cell(1, 0)->Left(), 12);
  // Wider than the paper: kept within the printable width.
  auto* big = dynamic_cast<TMyyTableP*>(box.PrintableOf(box.Paragraph(3).para->objects.at(0)));
  ASSERT_TRUE(big);
  EXPECT_LE(big->Width(), job->W());

  ASSERT_EQ(f.Print(), "");
  const std::string text = RunTool("pdftotext", {"-layout", QString::fromStdString(f.pdf), "-"});
  const size_t a = text.find("cellaA"), b = text.find("cellaB"), c = text.find("cellaC"), d = text.find("dopo");
  ASSERT_NE(a, std::string::npos);
  EXPECT_LT(a, b);
  EXPECT_LT(b, c);
  EXPECT_LT(c, d);
  EXPECT_EQ(text.substr(a, b - a).find('\n'), std::string::npos) << "A and B side by side";
  EXPECT_LT(text.find("w4"), text.find("fine"));
  // The border is drawn: dark pixels along the table.
  auto dark = [](QColor col) { return col.lightness() < 60; };
  EXPECT_GT(CountPixels(SheetImage(f.pdf, 1, f.dir.File("t")), dark), 100);
}

TEST(PrintLayout, BadInputStopsWithAMessageAndNoFile) {
  {
    // A line 30000 screen pixels high is 28 sheets; 360 of them pass the cap.
    PrintFixture f;
    std::string m;
    for (int i = 0; i < 360; ++i) m += "<Z S0 L30000 >x";
    f.w.AddPage("p", m);
    const std::string error = f.Print();
    EXPECT_NE(error.find("10000 fogli"), std::string::npos) << error;
    EXPECT_FALSE(std::filesystem::exists(f.pdf));
  }
  {
    // Margins that leave no paper.
    PrintFixture f;
    f.w.AddPage("p", "<Z S0 >x");
    f.setup.SetMarginLeft(10500);
    f.setup.SetMarginRight(10500);
    EXPECT_NE(f.Print().find("margini"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(f.pdf));
  }
  {
    // A picture of absurd size is shrunk to the sheet.
    PrintFixture f;
    const int pic = f.w.AddPicture("g", "g.gif", kTinyGif, 1, 1);
    const int ref = f.w.AddPictureRef(pic, "huge");
    PutI16(f.w.RecordOf(immagineNew, ref).data() + 18, 32767);
    PutI16(f.w.RecordOf(immagineNew, ref).data() + 20, 32767);
    char m[80];
    std::snprintf(m, sizeof m, "<Z S0 ><$%08X><$FF000001>", MakeId(immagineNew, ref));
    f.w.AddPage("p", m);
    EXPECT_EQ(f.Print(), "");
    EXPECT_EQ(SheetCount(f.pdf), 1);
  }
  {
    // A printer that cannot take the job (a folder for a file).
    PrintFixture f;
    f.w.AddPage("p", "<Z S0 >x");
    f.setup.SetPdfOutput(f.dir.File(""));
    EXPECT_NE(f.Print(), "");
  }
}

TEST(PageSetup, MarginsMinimaAndProfiles) {
  MemSettings store;
  TPageSetupDialog s(&store);
  s.SetMinMarginLeft(500);  // above the margin of 1: not taken
  EXPECT_EQ(s.MinMarginLeft(), 0);
  s.SetMarginLeft(1500);
  s.SetMinMarginLeft(500);
  EXPECT_EQ(s.MinMarginLeft(), 500);
  s.SetMarginLeft(300);  // below the minimum: the margin stays
  EXPECT_EQ(s.MarginLeft(), 1500);
  s.SetMarginTop(-5);
  EXPECT_EQ(s.MarginTop(), 1);
  EXPECT_NEAR(s.FactorX(), 576 / 2540.0, 0.001);

  // The first load reads "PrnSettings_" (no profile yet); later ones the name.
  s.SetRegString("\\Software\\Norv\\printerProfiles");
  EXPECT_FALSE(s.LoadProfile("PrinterSettings1"));
  s.SetMarginTop(1200);
  s.Printer().setPageOrientation(QPageLayout::Landscape);
  ASSERT_TRUE(s.SaveProfile());
  const std::string first = "\\Software\\Norv\\printerProfiles\\PrnSettings_\\";
  EXPECT_EQ(store.ReadValue(first, "PrnParsSaved"), "1");
  EXPECT_EQ(store.ReadValue(first, "Top"), "1200");
  EXPECT_EQ(store.ReadValue(first, "dmOrientation"), "2");
  EXPECT_EQ(store.ReadValue(first, "dmPaperSize"), "9");  // A4
  EXPECT_EQ(store.ReadValue(first, "dmScale"), "100");    // kept, unused here

  TPageSetupDialog t(&store);
  t.SetRegString("\\Software\\Norv\\printerProfiles");
  ASSERT_TRUE(t.LoadProfile("PrinterSettings1"));
  EXPECT_EQ(t.ProfileName(), "PrinterSettings1");
  EXPECT_EQ(t.MarginTop(), 1200);
  EXPECT_EQ(t.Printer().pageLayout().orientation(), QPageLayout::Landscape);
  t.SetMarginBottom(700);
  ASSERT_TRUE(t.SaveProfile());
  const std::string named = "\\Software\\Norv\\printerProfiles\\PrnSettings_PrinterSettings1\\";
  EXPECT_EQ(store.ReadValue(named, "Bottom"), "700");
  store.WriteValue(named, "dmDefaultSource", "15");
  ASSERT_TRUE(t.LoadProfile("PrinterSettings1"));
  EXPECT_EQ(t.DeviceValue("dmDefaultSource"), 15);  // stored and read back unchanged

  // Garbage values fail the load and change nothing.
  for (auto [name, value] : {std::pair{"dmPaperSize", "abc"}, std::pair{"Left", "-20"},
                             std::pair{"dmCopies", "99999999999999"}}) {
    store.WriteValue(named, name, value);
    EXPECT_FALSE(t.LoadProfile("PrinterSettings1")) << name;
    EXPECT_EQ(t.MarginBottom(), 700);
    store.WriteValue(named, name, name == std::string("Left") ? "1000" : "9");
  }
  store.WriteValue(named, "dmPaperSize", "0");  // no standard size: the stored length and width
  store.WriteValue(named, "dmPaperWidth", "1000");
  store.WriteValue(named, "dmPaperLength", "1500");
  store.WriteValue(named, "dmOrientation", "1");
  ASSERT_TRUE(t.LoadProfile("PrinterSettings1"));
  EXPECT_NEAR(t.PageWidth(), 10000, 5);
  EXPECT_NEAR(t.PageHeight(), 15000, 5);
  // A profile that prints into a file prints into the same file again.
  t.SetPdfOutput("/tmp/lectra-profilo.pdf");
  ASSERT_TRUE(t.SaveProfile());
  TPageSetupDialog u(&store);
  u.SetRegString("\\Software\\Norv\\printerProfiles");
  ASSERT_TRUE(u.LoadProfile("PrinterSettings1"));  // the first load reads "PrnSettings_"
  ASSERT_TRUE(u.LoadProfile("PrinterSettings1"));  // this one the saved profile
  EXPECT_TRUE(u.PdfOutput());
  EXPECT_EQ(u.Printer().outputFileName().toStdString(), "/tmp/lectra-profilo.pdf");
  store.WriteValue(named, "device", "no such printer");
  EXPECT_FALSE(t.LoadProfile("PrinterSettings1"));
}

TEST(PrintCommand, ContractOfLectraPrint) {
  PrintFixture f;
  f.w.AddPage("uno", Lines(3, "prima"));
  f.w.AddPage("due", Lines(3, "seconda"));
  f.w.AddPage("tre", "<Z S0 >terza");
  ASSERT_TRUE(f.OpenBuilt(f.w));
  const QString lectra = QString::fromStdString(std::string(LECTRA_BINARY_DIR) + "/bin/lectra");
  const QString book = QString::fromStdString(f.Path()), out = QString::fromStdString(f.pdf);
  const QString config = QString::fromStdString(f.dir.File("config"));
  int status = -1;
  std::string said = RunTool(lectra, {"--print", book, "--pages", "2,0", "--option", "printasblack=1", "--out", out},
                         &status, config);
  EXPECT_EQ(status, 0) << said;
  ASSERT_EQ(SheetCount(f.pdf), 2);
  EXPECT_NE(SheetText(f.pdf, 1).find("terza"), std::string::npos);
  EXPECT_NE(SheetText(f.pdf, 2).find("prima000"), std::string::npos);
  // --all: every page in the default order, each on its own sheet.
  said = RunTool(lectra, {"--print", book, "--all", "--out", out}, &status, config);
  EXPECT_EQ(status, 0) << said;
  EXPECT_EQ(SheetCount(f.pdf), 3);
  EXPECT_NE(SheetText(f.pdf, 2).find("seconda002"), std::string::npos);

  auto failsWithOneLine = [&](const QStringList& args, int expected) {
    const std::string err = RunTool(lectra, args, &status, config);
    EXPECT_EQ(status, expected) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
  };
  std::filesystem::remove(f.pdf);
  failsWithOneLine({"--print", book, "--pages", "7", "--out", out}, 1);
  EXPECT_FALSE(std::filesystem::exists(f.pdf));
  failsWithOneLine({"--print", book, "--out", QString::fromStdString(f.dir.File("no/such/dir/x.pdf"))}, 1);
  WriteBytes(f.dir.File("bad.zeb"), {'n', 'o'});
  failsWithOneLine({"--print", QString::fromStdString(f.dir.File("bad.zeb")), "--out", out}, 1);
  failsWithOneLine({"--print", book, "--option", "printscale=abc", "--out", out}, 1);
  failsWithOneLine({"--print", book, "--pages", "x", "--out", out}, 2);
}

TEST(PrintDialog, PageListButtonsAndPrintingThePreview) {
  PrintFixture f;
  for (const char* name : {"zero", "uno", "due", "tre"}) f.w.AddPage(name, std::string("<Z S0 >testo ") + name);
  // Contents tree: "due" then "zero"; "uno" and "tre" are not in it.
  std::vector<uint8_t> rec = f.w.NewRecord(shortObj);
  const std::string tree = "a0,-2,libro\r\na1," + std::to_string(MakeId(testoHtml, 2)) + ",x\r\na1," +
                           std::to_string(MakeId(testoHtml, 0)) + ",x\r\n";
  const int t = f.w.Add(shortObj, rec, std::vector<uint8_t>(tree.begin(), tree.end()));
  f.w.SetHeaderI32(1342, static_cast<int32_t>(MakeId(shortObj, t)));
  ASSERT_TRUE(f.OpenBuilt(f.w));
  f.settings.WriteValue(TSettings::Options, "printasblack", "1");
  f.settings.WriteValue(TSettings::Options, "printscale", "4000");
  {
    TFprint dlg(f.doc.get(), &f.setup, &f.settings, 1, TFprint::mPrint);
    EXPECT_TRUE(dlg.CBprintcolorasblack->isChecked());
    EXPECT_EQ(dlg.Escale->value(), 4000);
    EXPECT_EQ(dlg.PreviewPage(), 1);
    // No duplicates, nothing for pages that are not there.
    EXPECT_TRUE(dlg.AddPage(3));
    EXPECT_FALSE(dlg.AddPage(3));
    EXPECT_FALSE(dlg.AddPage(-1));
    EXPECT_FALSE(dlg.AddPage(99));
    dlg.BCorrenteClick();
    EXPECT_EQ(dlg.ListedPages(), (std::vector<int>{3, 1}));
    dlg.PagScelte->setCurrentItem(dlg.PagScelte->topLevelItem(1));
    dlg.BupClick();
    EXPECT_EQ(dlg.ListedPages(), (std::vector<int>{1, 3}));
    EXPECT_EQ(dlg.PagScelte->currentItem()->data(0, Qt::UserRole).toInt(), 1);
    dlg.BupClick();  // already first
    EXPECT_EQ(dlg.ListedPages(), (std::vector<int>{1, 3}));
    dlg.BdelpageClick();
    EXPECT_EQ(dlg.ListedPages(), (std::vector<int>{3}));
    // A page link followed in the preview stays in it, and "Indietro" goes back.
    dlg.Preview->RaiseLink(f.doc->Page(2), nullptr);
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
    EXPECT_EQ(dlg.PreviewPage(), 2);
    dlg.BIndietro->click();
    EXPECT_EQ(dlg.PreviewPage(), 1);
    dlg.BtutteClick();
    EXPECT_EQ(dlg.ListedPages(), (std::vector<int>{2, 0}));
    // The paper preview of the page shown: one sheet at A4's proportions.
    EXPECT_EQ(dlg.PaperPreview->SheetCount(), 1);
    EXPECT_EQ(dlg.PaperPreview->CutPoints(), std::vector<int>{0});

    // "&Stampa" with an empty list prints the page of the preview.
    dlg.PagScelte->clear();
    dlg.BOkClick();
    EXPECT_EQ(dlg.LastError(), "");
    EXPECT_EQ(dlg.ListedPages(), std::vector<int>{1});
    EXPECT_EQ(SheetCount(f.pdf), 1);
    EXPECT_NE(SheetText(f.pdf, 1).find("testo uno"), std::string::npos);
    EXPECT_TRUE(dlg.BOk->isEnabled());
    dlg.CBallinone->setChecked(true);
    dlg.CBprev->setChecked(false);
    dlg.reject();
  }
  // Closing keeps the options.
  EXPECT_EQ(f.settings.ReadValue(TSettings::Options, "allinone"), "1");
  EXPECT_EQ(f.settings.ReadValue(TSettings::Options, "clicprintprev"), "0");
  // The options mode saves backgrounds and scale with "&Ok".
  TFprint options(f.doc.get(), &f.setup, &f.settings, 0, TFprint::mOptions);
  EXPECT_EQ(options.BOk->text(), "&Ok");
  options.CBsfondo->setChecked(true);
  options.Escale->setValue(3000);
  options.BOkClick();
  EXPECT_EQ(f.settings.ReadValue(TSettings::Options, "printsf"), "1");
  EXPECT_EQ(f.settings.ReadValue(TSettings::Options, "printscale"), "3000");
}

// Run by tests/integration/cups_print.sh, which starts a CUPS server with the
// queue named in LECTRA_CUPS_QUEUE and finds the file the queue writes.
TEST(PrintCups, PrintsThroughTheQueue) {
  const char* queue = std::getenv("LECTRA_CUPS_QUEUE");
  if (!queue) GTEST_SKIP() << "needs the CUPS server of tests/integration/cups_print.sh";
  PrintFixture f;
  f.w.AddPage("p", "<Z S0 >stampato attraverso CUPS" + Lines(60));
  ASSERT_TRUE(f.OpenBuilt(f.w));
  f.setup.Printer().setOutputFormat(QPrinter::NativeFormat);
  f.setup.Printer().setOutputFileName(QString());
  f.setup.Printer().setPrinterName(queue);
  ASSERT_EQ(f.setup.Printer().printerName().toStdString(), queue) << "the queue is not known to Qt";
  f.setup.Printer().setResolution(TPageSetupDialog::kResolution);
  f.setup.Printer().setPageSize(QPageSize(QPageSize::A4));
  f.setup.Recompute();
  TPrintRequest r;
  r.pages = {0};
  EXPECT_EQ(PrintPages(*f.doc, f.setup, r), "");
}

// Run by the same script with a second queue, LECTRA_CUPS_GONE, removed while
// the job runs: the reader names the system's printer settings, and the job
// is not reported as printed.
TEST(PrintCups, AQueueRemovedMidJobIsReported) {
  const char* queue = std::getenv("LECTRA_CUPS_GONE");
  if (!queue) GTEST_SKIP() << "needs the CUPS server of tests/integration/cups_print.sh";
  PrintFixture f;
  f.w.AddPage("sparita1", "<Z S0 >prima pagina");
  f.w.AddPage("sparita2", "<Z S0 >seconda pagina");
  ASSERT_TRUE(f.OpenBuilt(f.w));
  f.setup.Printer().setOutputFormat(QPrinter::NativeFormat);
  f.setup.Printer().setOutputFileName(QString());
  f.setup.Printer().setPrinterName(queue);
  f.setup.Printer().setResolution(TPageSetupDialog::kResolution);
  f.setup.Recompute();
  TPrintRequest r;
  r.pages = {0, 1};
  r.allInOne = true;
  r.progress = [&](int done, int) {
    if (done == 1) RunTool("lpadmin", {"-x", queue});
  };
  bool unreachable = false;
  const std::string error = PrintPages(*f.doc, f.setup, r, &unreachable);
  EXPECT_TRUE(unreachable) << error;
  EXPECT_NE(error.find(queue), std::string::npos) << error;
  const std::string said = PrintFailureText(error, unreachable);
  EXPECT_EQ(said.rfind("Nessuna stampante raggiungibile in Linux.\rUscire dal programma ed usare le impostazioni di "
                       "stampa del sistema (CUPS",
                       0),
            0u)
      << said;
  EXPECT_EQ(said.find("Pannello di Controllo"), std::string::npos);
  // A printer that never was: refused before anything is sent.
  f.setup.Printer().setPrinterName("NessunaCoda");
  r.progress = nullptr;
  EXPECT_NE(PrintPages(*f.doc, f.setup, r, &unreachable), "");
}
