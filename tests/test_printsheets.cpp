// What lands on which sheet: pictures placed on the page itself, paragraphs
// moved or cut at a sheet's bottom, black text with its link style, page
// backgrounds on every sheet; the print dialog's preview menu and memory.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QMenu>
#include <QTabWidget>

#include "document/records.h"
#include "pageobjects/zebframeset.h"
#include "platform/settings.h"
#include "printfixture.h"
#include "printing/printform.h"
#include "printing/zebboxp.h"

namespace {

std::string Ref(int kind, int index) {
  char m[16];
  std::snprintf(m, sizeof m, "<$%08X>", MakeId(kind, index));
  return m;
}

// Millimetres from the sheet's corner to pixels of a picture at that resolution.
double Px(double mm, int dpi) { return mm * dpi / 25.4; }

bool Red(QColor c) { return c.red() > 180 && c.green() < 80 && c.blue() < 80; }
bool Blue(QColor c) { return c.blue() > 180 && c.red() < 80 && c.green() < 80; }
bool Green(QColor c) { return c.green() > 160 && c.red() < 80 && c.blue() < 80; }
bool Yellow(QColor c) { return c.red() > 180 && c.green() > 180 && c.blue() < 80; }

// The longest run of dark pixels along one row.
int LongestDarkRun(const QImage& img) {
  int best = 0;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0, run = 0; x < img.width(); ++x) {
      run = img.pixelColor(x, y).lightness() < 70 ? run + 1 : 0;
      best = std::max(best, run);
    }
  return best;
}

}  // namespace

TEST(PrintSheets, PicturesPlacedOnThePagePrintWhereTheScreenPutsThem) {
  PrintFixture f;
  // A picture 100 screen pixels square placed at (left, top), in pixels or percent.
  auto place = [&](std::vector<uint8_t> bmp, int left, int top, bool percent, uint8_t placement = 254) {
    const int ref = f.w.AddPictureRef(f.w.AddPicture("p", "p.bmp", std::move(bmp), 4, 4));
    uint8_t* r = f.w.RecordOf(immagineNew, ref).data();
    PutI16(r + 18, 100), PutI16(r + 20, 100);
    r[13] = placement;
    PutI32(r + 556, top), PutI32(r + 560, left);
    r[564] = r[565] = percent;
    return ref;
  };
  const int red = place(SolidPicture(220, 0, 0), 200, 40, false);
  const int blue = place(SolidPicture(0, 0, 220), 50, 50, true);
  const int green = place(SolidPicture(0, 200, 0), 0, 1000, false);
  const int yellow = place(SolidPicture(220, 220, 0), 400, 200, false, 255);
  const int header = f.w.AddPage("testata", "<Z S0 >T " + Ref(immagineNew, yellow) + "<$FF000001>");
  f.w.AddPage("uno", "<Z S0 f0 ><$FF000001><Z S0 f0 ><$FF000002><Z S0 >testo della pagina " +
                         Ref(immagineNew, red) + Ref(immagineNew, blue), 0, -1, header);
  f.w.AddPage("due", "<Z S0 f0 ><$FF000001><Z S0 >breve " + Ref(immagineNew, green));
  ASSERT_TRUE(f.OpenBuilt(f.w));
  ASSERT_EQ(f.Print({1, 2}), "");
  // "due" needs a second sheet for the part of its picture below the first.
  ASSERT_EQ(SheetCount(f.pdf), 3);

  const int dpi = 50;
  const QImage one = SheetImage(f.pdf, 1, f.dir.File("one"), dpi);
  // 200 x 40 screen pixels from the printable area's corner (10 mm margins),
  // 25 mm wide at the picture scale.
  const QRect r = PixelBounds(one, Red);
  EXPECT_NEAR(r.left(), Px(10 + 200 * 25.4 / 96, dpi), 2);
  EXPECT_NEAR(r.top(), Px(10 + 40 * 25.4 / 96, dpi), 2);
  EXPECT_NEAR(r.width(), Px(25, dpi), 2);
  // Half-way across and down the printable area.
  const QRect b = PixelBounds(one, Blue);
  EXPECT_NEAR(b.left(), Px(10 + 95, dpi), 2);
  EXPECT_NEAR(b.top(), Px(10 + 277 / 2.0, dpi), 2);
  // The header's picture placed on the page: at its place, not in the header's line.
  const QRect y = PixelBounds(one, Yellow);
  EXPECT_NEAR(y.left(), Px(10 + 400 * 25.4 / 96, dpi), 2);
  EXPECT_NEAR(y.top(), Px(10 + 200 * 25.4 / 96, dpi), 2);
  EXPECT_NE(SheetText(f.pdf, 1).find("testo della pagina"), std::string::npos);

  // 1000 screen pixels down is 264.6 mm: 12.4 mm of it on the first sheet of
  // "due", the rest at the top of the next one; each part once.
  const QRect g2 = PixelBounds(SheetImage(f.pdf, 2, f.dir.File("two"), dpi), Green);
  const QRect g3 = PixelBounds(SheetImage(f.pdf, 3, f.dir.File("three"), dpi), Green);
  EXPECT_NEAR(g2.top(), Px(10 + 1000 * 25.4 / 96, dpi), 2);
  EXPECT_NEAR(g2.bottom() + 1, Px(287, dpi), 2);
  EXPECT_NEAR(g3.top(), Px(10, dpi), 2);
  EXPECT_NEAR(g2.height() + g3.height(), Px(25, dpi), 3);
  EXPECT_NE(SheetText(f.pdf, 2).find("breve"), std::string::npos);
  EXPECT_EQ(SheetText(f.pdf, 3).find("breve"), std::string::npos);

  auto job = std::make_unique<TZEBpageP>(f.setup, f.options);
  job->Prepare(f.doc->Page(1));
  EXPECT_EQ(job->FrontObjects().size(), 3u);
}

TEST(PrintSheets, ParagraphsMovedAndCutAtTheSheetsBottom) {
  PrintFixture f;
  // 50 lines of 120 printer pixels end at 6008; a paragraph of 4 such lines
  // after them would cross the bottom at 6283 and starts the second sheet.
  std::string four = "<Z S0 L20 l640 >";
  for (int i = 0; i < 4; ++i) four += "quattro" + std::to_string(i) + " ";
  f.w.AddPage("p", Lines(50) + four + Lines(3, "dopo"));
  auto job = f.Prepared();
  const TZEBparag& moved = *job->Box()->Paragraph(50).para;
  ASSERT_EQ(moved.lines.size(), 4u) << "the paragraph must wrap into four lines";
  const int movedTop = moved.top;  // printing builds the printables again
  ASSERT_EQ(f.Print(), "");
  ASSERT_EQ(SheetCount(f.pdf), 2);
  const std::string s1 = SheetText(f.pdf, 1), s2 = SheetText(f.pdf, 2);
  EXPECT_NE(s1.find("riga049"), std::string::npos);
  EXPECT_EQ(s1.find("quattro"), std::string::npos);
  EXPECT_EQ(s2.find("quattro0"), 0u) << s2.substr(0, 40);
  EXPECT_NE(s2.find("dopo002"), std::string::npos);
  TPrintDocument doc(&f.setup.Printer());
  job->PrintPage(f.doc->Page(0), doc);
  doc.End();
  EXPECT_EQ(job->SheetTops(), (std::vector<int>{0, movedTop}));

  // A paragraph taller than a sheet: the line across the boundary is on both sheets.
  PrintFixture g;
  std::string words;
  for (int i = 0; i < 2000; ++i) words += "parola" + std::to_string(i) + " ";
  g.w.AddPage("p", "<Z S0 >" + words);
  auto tall = g.Prepared();
  const TZEBparag& p = *tall->Box()->Paragraph(0).para;
  const int H = tall->H(), y0 = p.top + p.style.Get(paAbove);
  const TZEBline* across = nullptr;
  for (const TZEBline& ln : p.lines)
    if (y0 + ln.y < H && y0 + ln.y + ln.height > H) across = &ln;
  ASSERT_TRUE(across) << "no line straddles the first sheet's bottom";
  std::string word = p.text.substr(across->first, across->count);
  word = word.substr(0, word.find(' '));
  ASSERT_EQ(g.Print(), "");
  EXPECT_NE(SheetText(g.pdf, 1).find(word), std::string::npos) << word;
  EXPECT_NE(SheetText(g.pdf, 2).find(word), std::string::npos) << word;
}

TEST(PrintSheets, BlackLinksKeepTheirStyleAndBackgroundsCoverEverySheet) {
  PrintFixture f;
  // A blue link, bold and underlined by its paragraph's link style, then
  // enough lines for three sheets on a green page.
  f.w.AddPage("p", "<Z S0 s14 C0000FF Y5 >vedi " + Ref(testoHtml, 0) + "la pagina collegata<%> e basta" + Lines(120));
  PutI32(f.w.RecordOf(testoHtml, 0).data() + 101, 0x00FF00);
  ASSERT_EQ(f.Print(), "");
  EXPECT_GT(CountPixels(SheetImage(f.pdf, 1, f.dir.File("colour"), 100), Blue), 20);

  f.options.black = true;
  f.options.backgrounds = true;
  ASSERT_EQ(f.Print(), "");
  ASSERT_EQ(SheetCount(f.pdf), 3);
  const QImage first = SheetImage(f.pdf, 1, f.dir.File("black"), 100);
  EXPECT_EQ(CountPixels(first, Blue), 0);
  // The underline still runs under the link; the bold face is still used.
  EXPECT_GT(LongestDarkRun(first), 60);
  EXPECT_NE(RunTool("pdffonts", {QString::fromStdString(f.pdf)}).find("Bold"), std::string::npos);
  // The page background on the first sheet as on the following ones.
  for (int s = 1; s <= 3; ++s) {
    const QImage sheet = SheetImage(f.pdf, s, f.dir.File("bg"));
    EXPECT_GT(CountPixels(sheet, Green), sheet.width() * sheet.height() * 3 / 4) << s;
  }
}

TEST(PrintDialog, NextSlideKeptPositionAndPreviewOptions) {
  PrintFixture f;
  f.w.AddPage("a", "<Z S0 >prima", 1, 1);
  f.w.AddPage("b", "<Z S0 >fuori");
  f.w.AddPage("c", "<Z S0 >seconda", 1, 2);
  ASSERT_TRUE(f.OpenBuilt(f.w));
  f.settings.WriteValue(TSettings::Options, "anteprintprev", "0");
  {
    TFprint dlg(f.doc.get(), &f.setup, &f.settings, 0, TFprint::mPrint);
    EXPECT_EQ(dlg.PageControl->tabText(1), "Ordine predefinito");
    EXPECT_FALSE(dlg.PageControl->isTabVisible(1));
    EXPECT_FALSE(dlg.CBprevOrd->isChecked());
    ASSERT_EQ(dlg.NextSlideItem->text(), "Prossima slide...");
    EXPECT_TRUE(dlg.PreviewMenu->actions().contains(dlg.NextSlideItem));
    dlg.NextSlideItem->trigger();
    EXPECT_EQ(dlg.PreviewPage(), 2);
    dlg.NextSlideItem->trigger();  // the last of its sequence: stays
    EXPECT_EQ(dlg.PreviewPage(), 2);
    dlg.Preview->SetMainPageNumber(1);  // outside any sequence
    dlg.NextSlideItem->trigger();
    EXPECT_EQ(dlg.PreviewPage(), 1);
    dlg.move(123, 77);
    dlg.reject();
  }
  const std::string forms = std::string(TSettings::Root) + "forms\\";
  EXPECT_EQ(f.settings.ReadValue(forms, "Fprint.Left"), "123");
  EXPECT_EQ(f.settings.ReadValue(forms, "Fprint.Top"), "77");
  EXPECT_EQ(f.settings.ReadValue(TSettings::Options, "anteprintprev"), "0");
  TFprint again(f.doc.get(), &f.setup, &f.settings, 0, TFprint::mPrint);
  EXPECT_EQ(again.pos(), QPoint(123, 77));
  // Without a page setup nothing prints and the reader is told.
  TFprint bare(f.doc.get(), nullptr, &f.settings, 0, TFprint::mPrint);
  bare.BOkClick();
  ASSERT_FALSE(f.sink.messages.empty());
  EXPECT_EQ(f.sink.messages.back().second, "pagesetupdialog=NIL");
}

TEST(PrintSheets, ACellsTiledBackgroundStaysInTheCell) {
  PrintFixture f;
  // Tiles of 300 screen pixels in a cell of a quarter of the paper's width.
  const int pic = f.w.AddPicture("rosso", "rosso.bmp", SolidPicture(220, 0, 0), 300, 300);
  std::vector<uint8_t> rec = f.w.NewRecord(tabellaHtml);
  rec.resize(220, 0);
  rec[197] = 1, rec[198] = 2, rec[199] = 2, rec[203] = 1;
  rec[5] = rec[6] = 0;
  PutI16(rec.data() + 97, 25), PutI16(rec.data() + 99, 75);
  rec[55] = 1, rec[200] = 100;
  std::vector<uint8_t> payload(8, 0);
  PutI32(payload.data(), static_cast<int32_t>(TBackground::EncodePicture(pic)));
  PutI32(payload.data() + 4, static_cast<int32_t>(TBackground::kTransparent));
  PutI32(rec.data() + 81, 1);
  PutI16(rec.data() + 85, 8);
  const int t = f.w.Add(tabellaHtml, rec, payload);
  f.w.AddPage("p", "<Z S0 >" + Ref(tabellaHtml, t) + "<$FF000001><Z S0 >sinistra<T><Z S0 >destra<T>");
  auto job = f.Prepared();
  auto* table = dynamic_cast<TMyyTableP*>(job->Box()->PrintableOf(job->Box()->Paragraph(0).para->objects.at(0)));
  ASSERT_TRUE(table);
  const TZEBboxP& cell = *table->Cell(0, 0);
  ASSERT_EQ(f.Print(), "");
  const int dpi = 50;
  const QRect red = PixelBounds(SheetImage(f.pdf, 1, f.dir.File("cell"), dpi), Red);
  ASSERT_FALSE(red.isEmpty());
  const double scale = dpi / 576.0;
  EXPECT_NEAR(red.width(), cell.Width() * scale, 2);
  EXPECT_NEAR(red.height(), cell.Height() * scale, 2);
}
