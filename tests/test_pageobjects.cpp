// Pictures, zones, tables, marker panels and floating frames on pages.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QElapsedTimer>
#include <QScrollBar>
#include <fstream>
#include <iterator>

#include "document/records.h"
#include "document/zebwriter.h"
#include "fakeframeset.h"
#include "pageobjects/floating.h"
#include "pageobjects/image.h"
#include "pageobjects/panel.h"
#include "pageobjects/table.h"
#include "pageobjects/zebbox.h"
#include "pageobjects/zebframeset.h"
#include "pageobjects/zebpage.h"
#include "testutil.h"

namespace {

void Settle(int rounds = 3) {
  for (int i = 0; i < rounds; ++i) QApplication::processEvents();
}

std::string Ref(int kind, int index) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "<$%08X>", static_cast<unsigned>(MakeId(kind, index)));
  return buf;
}

std::string Marker(int n) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "<$FF%06X>", n);
  return buf;
}

std::vector<uint8_t> Sample(const std::string& name) {
  std::ifstream in(std::string(LECTRA_SOURCE_DIR) + "/samples/pictures/" + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void QTest_Wait(int ms) {
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 20);
}

std::string LongFiller() {
  std::string t;
  for (int i = 0; i < 80; ++i) t += "<Z S0 >riga di testo che allunga la pagina";
  return t;
}

void Click(QWidget* w, QPoint p) {
  for (auto type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
    QMouseEvent e(type, QPointF(p), QPointF(w->mapToGlobal(p)), Qt::LeftButton,
                  type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
  }
}

// A table record: columns as (kind, value), R rows.
std::vector<uint8_t> TableRec(TZebWriter& w, int rows, std::vector<std::pair<TColumnKind, int>> cols, int spacing,
                              int fixedWidth = 0, int percent = 100) {
  std::vector<uint8_t> r = w.NewRecord(tabellaHtml);
  r.resize(668, 0);
  r[4] = 2;
  for (size_t c = 0; c < cols.size(); ++c) {
    r[tablerec::ColumnKinds + c] = static_cast<uint8_t>(cols[c].first);
    PutI16(r.data() + tablerec::ColumnValues + 2 * c, static_cast<int16_t>(cols[c].second));
  }
  r[tablerec::WidthMode] = fixedWidth > 0 ? 0 : 1;
  PutI16(r.data() + tablerec::FixedWidth, static_cast<int16_t>(fixedWidth));
  r[tablerec::WidthPercent] = static_cast<uint8_t>(percent);
  r[tablerec::Rows] = static_cast<uint8_t>(rows);
  r[tablerec::Columns] = static_cast<uint8_t>(cols.size());
  r[tablerec::Spacing] = static_cast<uint8_t>(spacing);
  PutI32(r.data() + tablerec::Background, static_cast<int32_t>(TBackground::kTransparent));
  return r;
}

std::string Cells(int n, const std::string& text = "x") {
  std::string s;
  for (int i = 0; i < n; ++i) s += "<Z S1 l0 r0 >" + text + "<T>";
  return s;
}

class PageObjectsTest : public ::testing::Test {
protected:
  void Open(int show = 0, int w = 400, int h = 400) {
    ASSERT_TRUE(f.OpenBuilt(writer));
    fs.doc = f.doc.get();
    page = std::make_unique<TZEBpage>(&fs);
    page->resize(w, h);
    page->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    page->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    page->show();
    page->LoadPage(f.doc->Page(show));
    Settle();
    box = page->Box();
    ASSERT_NE(box, nullptr);
  }
  template <typename T>
  T* Control(int kind, int index) {
    return qobject_cast<T*>(page->ControlOf(f.doc->ObjectAt(kind, index)));
  }

  DocFixture f;
  TZebWriter writer;
  FakeFrameSet fs;
  std::unique_ptr<TZEBpage> page;
  TZEBbox* box = nullptr;
};

}  // namespace

TEST(TableLayout, PercentColumnsCarryTheirRemaindersAndBackgroundsDecode) {
  using K = TColumnKind;
  EXPECT_EQ(RowCellWidths(392, {K::Percent, K::Percent, K::Percent}, {25, 25, 50}, {0, 0, 0}),
            (std::vector<int>{98, 98, 196}));
  // 33, 66, 99 never exceed 99: no column gains the extra pixel.
  EXPECT_EQ(RowCellWidths(100, {K::Percent, K::Percent, K::Percent}, {33, 33, 33}, {0, 0, 0}),
            (std::vector<int>{33, 33, 33}));
  // Remainders that pass the sum give a pixel more; fixed columns keep theirs.
  EXPECT_EQ(RowCellWidths(110, {K::Percent, K::Fixed, K::Percent, K::Percent}, {1, 50, 1, 1}, {0, 50, 0, 0}),
            (std::vector<int>{20, 50, 20, 20}));
  EXPECT_EQ(RowCellWidths(100, {K::Percent, K::Percent, K::Percent}, {1, 1, 1}, {0, 0, 0}),
            (std::vector<int>{33, 33, 33}));

  EXPECT_EQ(TBackground::Decode(0x3000000 | 42).kind, TBackground::Kind::Picture);
  EXPECT_EQ(TBackground::Decode(0x3000000 | 42).picture, 42);
  EXPECT_EQ(TBackground::Decode(0xFF0000).kind, TBackground::Kind::Colour);
  EXPECT_EQ(TBackground::Decode(0xFF0000).colour, 0xFF0000);
  EXPECT_EQ(TBackground::Decode(0x2000000).kind, TBackground::Kind::Transparent);
  EXPECT_EQ(TBackground::Decode(0x4000000).kind, TBackground::Kind::Transparent);
  // A payload shorter than the cells leaves the rest transparent.
  const std::string shortPayload("\x10\x00\x00\x00", 4);
  EXPECT_EQ(CellBackground(shortPayload, 0, 0, 3), 0x10u);
  EXPECT_EQ(CellBackground(shortPayload, 0, 1, 3), TBackground::kTransparent);
  EXPECT_EQ(CellBackground(shortPayload, 7, 2, 3), TBackground::kTransparent);
}

TEST_F(PageObjectsTest, TableCellsAreBoxesLaidOutByTheirColumns) {
  using K = TColumnKind;
  const int link = writer.AddInternetLink("http://example.org/");
  std::vector<uint8_t> payload;
  for (uint32_t v : {0xFF0000u, 0x3000000u | 0u, 0x2000000u}) {
    uint8_t b[4];
    PutI32(b, static_cast<int32_t>(v));
    payload.insert(payload.end(), b, b + 4);
  }
  const int pic = writer.AddPicture("p", "p.gif", kTinyGif, 1, 1);
  (void)pic;
  std::vector<uint8_t> rec = TableRec(writer, 2, {{K::Percent, 25}, {K::Percent, 25}, {K::Percent, 50}}, 2, 400);
  PutI32(rec.data() + tablerec::HasMain, 1);
  PutI16(rec.data() + tablerec::MainSize, static_cast<int16_t>(payload.size()));
  const int t = writer.Add(tabellaHtml, rec, payload);
  // A second table nested in a cell of the first, automatic and fixed columns.
  const int inner = writer.Add(tabellaHtml, TableRec(writer, 1, {{K::Fixed, 60}, {K::Automatic, 0}}, 1, 200));
  const std::string cells = "<Z S1 >uno<T><Z S1 >due<T><Z S1 >" + Ref(internetLink, link) + "tre<%><T>" +
                            "<Z S1 >" + Ref(tabellaHtml, inner) + Marker(2) + Cells(2, "in") + "<T>" + Cells(2);
  writer.AddPage("Tabella", "<Z S0 >" + Ref(tabellaHtml, t) + Marker(1) + cells + "<Z S0 >dopo");
  Open(0, 500);
  auto* table = Control<TMyyTable>(tabellaHtml, t);
  ASSERT_NE(table, nullptr);
  ASSERT_EQ(table->Rows(), 2);
  EXPECT_EQ(table->Cell(0, 0)->width(), 98);
  EXPECT_EQ(table->Cell(0, 1)->width(), 98);
  EXPECT_EQ(table->Cell(0, 2)->width(), 196);
  EXPECT_EQ(table->width(), 400);
  EXPECT_EQ(table->Cell(0, 1)->x(), 2 + 98 + 2);
  EXPECT_EQ(table->Cell(0, 0)->Paragraph(0)->text, "uno");
  // The text after the table is the page's own again.
  EXPECT_EQ(box->Paragraph(box->ParagraphCount() - 1)->text, "dopo");
  EXPECT_TRUE(table->isVisible());
  // Backgrounds: blue, the picture, transparent; cells without a value too.
  EXPECT_EQ(table->Cell(0, 0)->BackColour(), 0xFF0000);
  EXPECT_NE(table->Cell(0, 1)->BackPicture(), nullptr);
  EXPECT_EQ(table->Cell(1, 1)->BackPicture(), nullptr);
  // The nested table lies in its cell, with its own cells.
  auto* nested = Control<TMyyTable>(tabellaHtml, inner);
  ASSERT_NE(nested, nullptr);
  EXPECT_EQ(nested->parentWidget(), table->Cell(1, 0));
  EXPECT_EQ(nested->Cell(0, 0)->Paragraph(0)->text, "in");
  EXPECT_GE(nested->Cell(0, 0)->width(), 60);
  // A link in a cell is followed like one in the page.
  TZEBbox* cell = table->Cell(0, 2);
  const TZEBPosition pos = cell->PositionOf(0, 1);
  Click(cell, QPoint((pos.xLeft + pos.xRight) / 2, pos.top + pos.height / 2));
  ASSERT_EQ(fs.raised.size(), 1u);
  EXPECT_EQ(fs.raised[0].first, f.doc->ObjectAt(internetLink, link));
  EXPECT_EQ(std::vector<std::string>(table->HeaderCaptions()), (std::vector<std::string>{"25%", "25%", "50%"}));
}

TEST_F(PageObjectsTest, PercentTablesFollowThePageWidth) {
  using K = TColumnKind;
  const int t = writer.Add(tabellaHtml, TableRec(writer, 1, {{K::Percent, 50}, {K::Percent, 50}}, 0, 0, 50));
  writer.AddPage("T", "<Z S0 l0 r0 >" + Ref(tabellaHtml, t) + Marker(1) + Cells(2));
  Open(0, 400);
  auto* table = Control<TMyyTable>(tabellaHtml, t);
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(table->width(), 200);
  page->resize(600, 400);
  Settle();
  EXPECT_EQ(table->width(), 300);

  // An automatic column whose word breaks into single characters at the
  // start width: the percent column leaves it the room the whole word takes,
  // and the table stays within its line.
  const int t2 = writer.Add(tabellaHtml, TableRec(writer, 2, {{K::Percent, 40}, {K::Automatic, 0}}, 2));
  writer.AddPage("T2", "<Z S0 l0 r0 >" + Ref(tabellaHtml, t2) + Marker(1) + Cells(1) +
                           "<Z S1 l20 r20 >Automaticamente<T>" + Cells(1) + Cells(1, "mmmmm"));
  ASSERT_TRUE(f.OpenBuilt(writer));
  page->resize(400, 400);
  page->LoadPage(f.doc->Page(1));
  Settle();
  auto* wide = Control<TMyyTable>(tabellaHtml, t2);
  ASSERT_NE(wide, nullptr);
  TZEBbox* word = wide->Cell(0, 1);
  EXPECT_EQ(word->Paragraph(0)->lines.size(), 1u) << "the word stays whole";
  EXPECT_LE(wide->width(), 400);
  EXPECT_EQ(wide->Cell(0, 0)->width() + word->width() + 3 * 2, wide->width());
}

TEST_F(PageObjectsTest, DamagedTablesShowWhatTheyCan) {
  using K = TColumnKind;
  // Nested in itself, with no rows, with 255 x 255 cells, and one whose
  // cells the text does not hold.
  const int self = writer.Add(tabellaHtml, TableRec(writer, 1, {{K::Automatic, 0}}, 1));
  const int empty = writer.Add(tabellaHtml, TableRec(writer, 0, {{K::Percent, 100}}, 1));
  std::vector<uint8_t> huge = TableRec(writer, 255, {}, 1);
  huge[tablerec::Columns] = 255;
  const int big = writer.Add(tabellaHtml, huge);
  const int none = writer.Add(tabellaHtml, TableRec(writer, 2, {{K::Percent, 100}}, 1));
  std::string text = "<Z S0 >" + Ref(tabellaHtml, self) + Marker(1) + "<Z S1 >" + Marker(1) + Cells(1) + "<T>";
  text += "<Z S0 >" + Ref(tabellaHtml, empty) + Marker(2);
  text += "<Z S0 >" + Ref(tabellaHtml, none) + Marker(3) + "<@><Z S0 >fine";
  // The big table's cells the text lacks take the rest of it.
  text += "<Z S0 >" + Ref(tabellaHtml, big) + Marker(4) + Cells(20) + "<Z S0 >tronca";
  writer.AddPage("Guasta", text);
  Open();
  auto* t1 = Control<TMyyTable>(tabellaHtml, self);
  ASSERT_NE(t1, nullptr);
  EXPECT_NE(t1->parentWidget(), t1->Cell(0, 0));
  EXPECT_TRUE(t1->Cell(0, 0)->findChildren<TMyyTable*>().empty());
  EXPECT_EQ(Control<TMyyTable>(tabellaHtml, empty)->Rows(), 0);
  auto* t3 = Control<TMyyTable>(tabellaHtml, big);
  EXPECT_LE(t3->Rows() * t3->Columns(), TMyyTable::kMaxCells);
  EXPECT_EQ(t3->width(), std::min(t3->width(), 30000));
  EXPECT_EQ(box->Paragraph(box->ParagraphCount() - 2)->text, "fine");
  EXPECT_EQ(t3->Cell(0, 20)->Paragraph(0)->text, "tronca");
}

TEST_F(PageObjectsTest, PicturesTakeTheirSizeAndDrawIntoTheirRectangles) {
  EXPECT_EQ(TMyyImage::DrawRect(TPictureFormat::Bmp, QSize(40, 30)), QRect(0, 0, 41, 31));
  EXPECT_EQ(TMyyImage::DrawRect(TPictureFormat::Png, QSize(40, 30)), QRect(0, 0, 41, 31));
  EXPECT_EQ(TMyyImage::DrawRect(TPictureFormat::Jpeg, QSize(40, 30)), QRect(0, 0, 40, 30));
  EXPECT_EQ(TMyyImage::DrawRect(TPictureFormat::Gif, QSize(40, 30)), QRect(0, 0, 40, 30));

  const int pic = writer.AddPicture("foto", "foto.jpg", Sample("foto.jpg"), 240, 160);
  // Placed when the picture was 10 x 10: it shows at its new size.
  const int changed = writer.AddPictureRef(pic, "cambiata");
  PutI16(writer.RecordOf(immagineNew, changed).data() + picturerec::SyncWidth, 10);
  PutI16(writer.RecordOf(immagineNew, changed).data() + picturerec::SyncHeight, 10);
  PutI16(writer.RecordOf(immagineNew, changed).data() + picturerec::Width, 10);
  PutI16(writer.RecordOf(immagineNew, changed).data() + picturerec::Height, 10);
  // Synchronised with the picture: its own display size holds.
  const int kept = writer.AddPictureRef(pic, "ridotta");
  uint8_t* k = writer.RecordOf(immagineNew, kept).data();
  PutI16(k + picturerec::SyncWidth, 240), PutI16(k + picturerec::SyncHeight, 160);
  PutI16(k + picturerec::Width, 60), PutI16(k + picturerec::Height, 40);
  // At page coordinates: top 50 percent, left 30 pixels.
  const int absolute = writer.AddPictureRef(pic, "assoluta");
  uint8_t* a = writer.RecordOf(immagineNew, absolute).data();
  a[picturerec::Placement] = 255;
  PutI32(a + picturerec::Top, 50), a[picturerec::TopPercent] = 1;
  PutI32(a + picturerec::Left, 30), a[picturerec::LeftPercent] = 0;
  // A picture of a deleted or missing picture object, and one that does not decode.
  const int missing = writer.AddPictureRef(4242, "mancante");
  const int broken = writer.AddPictureRef(writer.AddPicture("rotta", "rotta.gif", {'G', 'I', 'F'}, 5, 5), "rotta");
  writer.AddPage("Immagini", "<Z S0 f0 >" + Marker(3) + "<Z S0 >" + Ref(immagineNew, changed) + Marker(1) +
                                 Ref(immagineNew, kept) + Marker(2) + Ref(immagineNew, absolute) +
                                 Ref(immagineNew, missing) + Marker(4) + Ref(immagineNew, broken) + Marker(5));
  Open(0, 400, 400);
  EXPECT_EQ(Control<TMyyImage>(immagineNew, changed)->size(), QSize(240, 160));
  EXPECT_EQ(Control<TMyyImage>(immagineNew, kept)->size(), QSize(60, 40));
  auto* abs = Control<TMyyImage>(immagineNew, absolute);
  EXPECT_TRUE(abs->Absolute());
  EXPECT_EQ(abs->pos(), QPoint(30, 200));
  EXPECT_EQ(abs->parentWidget(), box);
  // What cannot be shown is an empty rectangle; the page still paints.
  EXPECT_TRUE(Control<TMyyImage>(immagineNew, missing)->IsOpaque());
  EXPECT_EQ(Control<TMyyImage>(immagineNew, broken)->size(), QSize(100, 100));
  EXPECT_FALSE(page->grab().isNull());
  // One picture used four times is converted once.
  EXPECT_EQ(page->PictureFrames().Size(), 2u);
  EXPECT_EQ(f.doc->Images().CacheCount(), 2);
}

TEST_F(PageObjectsTest, ZonesRaiseTheirLinks) {
  const int pic = writer.AddPicture("foto", "foto.jpg", Sample("foto.jpg"), 240, 160);
  const int target = writer.AddPage("Meta", "<Z S0 >meta");
  const int full = writer.AddPictureRef(pic, "trenta zone");
  uint8_t* r = writer.RecordOf(immagineNew, full).data();
  for (int s = 0; s < 30; ++s) {
    uint8_t* slot = r + picturerec::Zones + s * picturerec::ZoneSize;
    PutI32(slot, MakeId(testoHtml, target));
    PutI16(slot + 8, static_cast<int16_t>(s * 8)), PutI16(slot + 10, 0);
    PutI16(slot + 12, 8), PutI16(slot + 14, s == 29 ? -5 : 20);  // absurd height: an empty rectangle
  }
  const int bare = writer.AddPictureRef(pic, "nessuna zona");
  uint8_t* b = writer.RecordOf(immagineNew, bare).data();
  for (int s = 0; s < 30; ++s) PutI32(b + picturerec::Zones + s * picturerec::ZoneSize, -1);
  writer.AddPage("Zone", "<Z S0 >" + Ref(immagineNew, full) + Marker(1) + Ref(immagineNew, bare) + Marker(2));
  Open(1);
  auto* img = Control<TMyyImage>(immagineNew, full);
  ASSERT_EQ(img->Zones().size(), 30u);
  EXPECT_TRUE(Control<TMyyImage>(immagineNew, bare)->Zones().empty());
  TMyyZona* zone = img->Zones().back();  // slot 0, made last
  EXPECT_EQ(zone->Slot(), 0);
  EXPECT_EQ(zone->geometry(), QRect(0, 0, 8, 20));
  EXPECT_EQ(img->Zones().front()->size(), QSize(8, 0));
  Click(zone, QPoint(4, 4));
  ASSERT_EQ(fs.raised.size(), 1u);
  EXPECT_EQ(fs.raised[0].first, f.doc->Page(target));
  EXPECT_EQ(fs.raised[0].second, zone);
}

TEST_F(PageObjectsTest, AnimationsRunOnlyWhileSeen) {
  const std::vector<uint8_t> gif = Sample("anim.gif");
  const int pic = writer.AddPicture("anim", "anim.gif", gif, 48, 48);
  const int ref = writer.AddPictureRef(pic, "anim");
  writer.AddPage("Animata", "<Z S0 >" + Ref(immagineNew, ref) + Marker(1) + LongFiller());
  Open(0, 300, 200);
  auto* img = Control<TMyyImage>(immagineNew, ref);
  ASSERT_NE(img, nullptr);
  img->repaint();
  EXPECT_TRUE(img->Animating());
  // Scrolled out of view: the next frame is not asked for and no timer runs.
  page->SetScrollY(2000);
  Settle();
  QTest_Wait(400);
  EXPECT_FALSE(img->Animating());
  const int frame = img->CurrentFrame();
  QTest_Wait(300);
  EXPECT_EQ(img->CurrentFrame(), frame);
  // Seen again, it goes on from where it was.
  page->SetScrollY(0);
  img->repaint();
  EXPECT_TRUE(img->Animating());
  EXPECT_EQ(img->CurrentFrame(), frame);
  // An editable page shows the still picture.
  img->SetReadOnly(false);
  EXPECT_FALSE(img->Animating());
  img->repaint();
  EXPECT_FALSE(img->Animating());
}

TEST_F(PageObjectsTest, AnchorsAutoStartPanelsAndFloatingFrames) {
  std::vector<uint8_t> anchor = writer.NewRecord(shortObj);
  anchor.resize(668, 0);
  anchor[4] = 14;
  PutI32(anchor.data() + shortrec::Value, 7);
  const int a = writer.Add(shortObj, anchor);
  const int other = writer.AddPage("Altra", "<Z S0 >altra pagina");
  std::vector<uint8_t> start = writer.NewRecord(shortObj);
  start.resize(668, 0);
  start[4] = 13;
  PutI32(start.data() + shortrec::Value, MakeId(testoHtml, other));
  const int s13 = writer.Add(shortObj, start);
  auto floating = [&](int shows) {
    std::vector<uint8_t> r = writer.NewRecord(inputStat);
    r.resize(668, 0);
    r[4] = floatrec::Subkind;
    PutI32(r.data() + floatrec::Page, shows);
    PutI16(r.data() + floatrec::Width, 200), PutI16(r.data() + floatrec::Height, 80);
    r[floatrec::AutoJump] = 1;
    return writer.Add(inputStat, r);
  };
  const int fOther = floating(other), fSelf = floating(1);
  writer.AddPage("Pannelli", "<Z S0 >prima " + Ref(shortObj, a) + Marker(1) + " dopo " + Ref(shortObj, s13) +
                                 Marker(2) + Ref(inputStat, fOther) + Marker(3) + Ref(inputStat, fSelf) + Marker(4));
  Open(1);
  auto* panel = Control<TMyyBelPanel>(shortObj, a);
  ASSERT_NE(panel, nullptr);
  EXPECT_TRUE(panel->IsAnchor());
  EXPECT_EQ(panel->size(), QSize(1, 12));  // a sliver on a read-only page
  EXPECT_FALSE(panel->Glyph().isNull());
  EXPECT_TRUE(page->GoToAnchor(7));
  int p = -1, c = -1;
  box->SelectionStart(p, c);
  EXPECT_EQ(c, 6);
  EXPECT_FALSE(page->GoToAnchor(8));
  // The auto-start panel raised its link when the page was shown.
  ASSERT_FALSE(fs.raised.empty());
  EXPECT_EQ(fs.raised[0].first, f.doc->Page(other));
  // AnchorPreview shows the anchor at the glyph's size.
  fs.anchorPreview = true;
  panel->SetReadOnly(false);
  panel->SetReadOnly(true);
  EXPECT_EQ(panel->size(), panel->BaseSize());

  auto* shows = Control<TMyyFloating>(inputStat, fOther);
  ASSERT_NE(shows, nullptr);
  EXPECT_EQ(shows->size(), QSize(200, 80));
  EXPECT_EQ(shows->ShownPage(), other);
  ASSERT_NE(shows->Inner()->MainBox(), nullptr);
  EXPECT_EQ(shows->Inner()->MainBox()->Paragraph(0)->text, "altra pagina");
  // A floating frame on the page it would show stays empty.
  EXPECT_EQ(Control<TMyyFloating>(inputStat, fSelf)->ShownPage(), -1);
  // A link inside goes out through the page's frame set, with its source.
  const size_t before = fs.raised.size();
  shows->Inner()->OnDoLink(shows->Inner(), shows->Inner()->MainBox(), f.doc->Page(1));
  ASSERT_EQ(fs.raised.size(), before + 1);
  EXPECT_EQ(fs.raised.back().second, shows->Inner()->MainBox());
}

TEST_F(PageObjectsTest, HoverPictureShowsWhileTheMouseIsOver) {
  const int foto = writer.AddPicture("foto", "foto.jpg", Sample("foto.jpg"), 240, 160);
  const int icon = writer.AddPicture("icona", "icona.png", Sample("icona.png"), 24, 24);
  const int p = writer.AddPictureRef(foto, "con hover");
  PutI32(writer.RecordOf(immagineNew, p).data() + picturerec::Hover, icon);
  writer.AddPage("H", "<Z S0 >" + Ref(immagineNew, p) + Marker(1));
  Open();
  auto* img = Control<TMyyImage>(immagineNew, p);
  ASSERT_NE(img, nullptr);
  const QImage plain = img->grab().toImage();
  img->SetHover(true);
  EXPECT_TRUE(img->Hover());
  EXPECT_NE(img->grab().toImage(), plain);
  EXPECT_EQ(img->size(), QSize(240, 160)) << "the hover picture takes the picture's place";
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(img, &leave);
  EXPECT_FALSE(img->Hover());
  EXPECT_EQ(img->grab().toImage(), plain);
}
