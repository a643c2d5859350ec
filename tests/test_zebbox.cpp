// The page control and its rich text box: links, selection, scrolling,
// relayout, header and footer, background and in-page find.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>
#include <cstdio>

#include "pageobjects/cursors.h"
#include "pageobjects/framesetapi.h"
#include "pageobjects/visual.h"
#include "pageobjects/zebbox.h"
#include "pageobjects/zebpage.h"
#include "fakeframeset.h"
#include "testutil.h"

namespace {


std::string Hex(TObjId id) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%08X", static_cast<unsigned>(id));
  return buf;
}

void Settle() {
  for (int i = 0; i < 3; ++i) QApplication::processEvents();
}

void Mouse(QWidget* w, QEvent::Type type, QPoint p, Qt::MouseButton button = Qt::LeftButton) {
  const Qt::MouseButtons held = type == QEvent::MouseButtonRelease || button == Qt::NoButton ? Qt::NoButton
                                                                                            : Qt::MouseButtons(button);
  QMouseEvent e(type, QPointF(p), QPointF(w->mapToGlobal(p)), button, held, Qt::NoModifier);
  QApplication::sendEvent(w, &e);
}

void Click(QWidget* w, QPoint p) {
  Mouse(w, QEvent::MouseButtonPress, p);
  Mouse(w, QEvent::MouseButtonRelease, p);
}

void DoubleClick(QWidget* w, QPoint p) {
  Click(w, p);
  Mouse(w, QEvent::MouseButtonDblClick, p);
  Mouse(w, QEvent::MouseButtonRelease, p);
}

void Key(QWidget* w, int key) {
  QKeyEvent e(QEvent::KeyPress, key, Qt::NoModifier);
  QApplication::sendEvent(w, &e);
}

// A point well inside character c of paragraph p.
QPoint Inside(TZEBbox* box, int p, int c) {
  const TZEBPosition pos = box->PositionOf(p, c);
  return QPoint((pos.xLeft + pos.xRight) / 2, pos.top + pos.height / 2);
}

std::string LongText(int paragraphs) {
  std::string t;
  for (int i = 0; i < paragraphs; ++i)
    t += "<Z S0 >Nel mezzo del cammin di nostra vita mi ritrovai per una selva oscura, che la diritta via era "
         "smarrita. ";
  return t;
}

class BoxTest : public ::testing::Test {
protected:
  // Builds the ebook and shows page `show` in a page control of w x h.
  void Open(int show = 0, int w = 300, int h = 400) {
    ASSERT_TRUE(f.OpenBuilt(writer));
    fs.doc = f.doc.get();
    page = std::make_unique<TZEBpage>(&fs);
    page->resize(w, h);
    page->show();
    page->LoadPage(f.doc->Page(show));
    Settle();
    box = page->Box();
    ASSERT_NE(box, nullptr);
  }

  DocFixture f;
  TZebWriter writer;
  FakeFrameSet fs;
  std::unique_ptr<TZEBpage> page;
  TZEBbox* box = nullptr;
};

TEST_F(BoxTest, LinkHoverAndClick) {
  const int link = writer.AddInternetLink("http://example.org/");
  writer.AddPage("Casa", "<Z S0 >Vai <$" + Hex(MakeId(internetLink, link)) + ">qui<%>");
  Open();
  TZEBoggetto* target = f.doc->ObjectAt(internetLink, link);
  ASSERT_EQ(box->ParagraphCount(), 1);

  Mouse(box, QEvent::MouseMove, Inside(box, 0, 5), Qt::NoButton);
  EXPECT_EQ(box->CursorNumber(), 2);
  EXPECT_EQ(box->cursor().shape(), Qt::BitmapCursor);
  EXPECT_EQ(box->Hint(), "Collegamento a: http://example.org/");
  Mouse(box, QEvent::MouseMove, Inside(box, 0, 1), Qt::NoButton);
  EXPECT_EQ(box->CursorNumber(), 0);
  EXPECT_TRUE(box->Hint().isEmpty());

  // A click on the link follows it; one beside the text, nearest to the
  // linked character but not inside it, does not.
  Click(box, Inside(box, 0, 6));
  ASSERT_EQ(fs.raised.size(), 1u);
  EXPECT_EQ(fs.raised[0].first, target);
  EXPECT_EQ(fs.raised[0].second, box);
  const TZEBPosition end = box->PositionOf(0, 7);
  Click(box, QPoint(end.xLeft + 40, end.top + 2));
  Click(box, Inside(box, 0, 1));
  EXPECT_EQ(fs.raised.size(), 1u);

  // Moving less than 5 pixels makes no selection and still follows the link.
  const QPoint p = Inside(box, 0, 4);
  Mouse(box, QEvent::MouseButtonPress, p);
  Mouse(box, QEvent::MouseMove, p + QPoint(4, 0));
  Mouse(box, QEvent::MouseButtonRelease, p + QPoint(1, 0));
  EXPECT_FALSE(box->HasSelection());
  EXPECT_EQ(fs.raised.size(), 2u);
}

TEST_F(BoxTest, DragAndDoubleClickSelection) {
  writer.AddPage("Parole", "<Z S0 >Ciao, mondo  bello a#b@c_d fine");
  Open();
  const TZEBPosition line = box->PositionOf(0, 0);

  // A drag selects from the pressed character to the one under the pointer
  // and repaints only that line.
  Mouse(box, QEvent::MouseButtonPress, Inside(box, 0, 6));
  Mouse(box, QEvent::MouseMove, Inside(box, 0, 9));
  Mouse(box, QEvent::MouseMove, Inside(box, 0, 11));
  EXPECT_FALSE(box->LastRepaint().empty());
  for (const QRect& r : box->LastRepaint()) {
    EXPECT_GE(r.top(), line.top);
    EXPECT_LE(r.bottom(), line.top + line.height);
  }
  Mouse(box, QEvent::MouseButtonRelease, Inside(box, 0, 11));
  int p = -1, c = -1;
  EXPECT_TRUE(box->HasSelection());
  box->SelectionStart(p, c);
  EXPECT_EQ(c, 6);
  box->SelectionEnd(p, c);
  EXPECT_EQ(c, 11);
  EXPECT_TRUE(fs.raised.empty());

  // A click clears it.
  Click(box, Inside(box, 0, 2));
  EXPECT_FALSE(box->HasSelection());

  struct Case {
    int click, from, to;
  } cases[] = {
      {1, 0, 4},     // "Ciao" without the comma
      {8, 6, 13},    // "mondo" with both spaces after it
      {21, 19, 27},  // "a#b@c_d" and its space: '#', '@', '_' belong to words
  };
  for (const Case& k : cases) {
    DoubleClick(box, Inside(box, 0, k.click));
    ASSERT_TRUE(box->HasSelection()) << k.click;
    box->SelectionStart(p, c);
    EXPECT_EQ(c, k.from) << k.click;
    box->SelectionEnd(p, c);
    EXPECT_EQ(c, k.to) << k.click;
  }
}

TEST_F(BoxTest, KeyboardScrollingAndHeightCap) {
  writer.AddPage("Lunga", LongText(80));
  writer.AddPage("Lunghissima", LongText(1200));
  Open();
  ASSERT_GT(box->TextHeight(), 2000);
  Key(box, Qt::Key_PageDown);
  EXPECT_EQ(page->ScrollY(), 380);
  Key(box, Qt::Key_Down);
  EXPECT_EQ(page->ScrollY(), 390);
  Key(box, Qt::Key_PageUp);
  EXPECT_EQ(page->ScrollY(), 10);
  Key(box, Qt::Key_Up);
  EXPECT_EQ(page->ScrollY(), 0);

  page->LoadPage(f.doc->Page(1));
  Settle();
  box = page->Box();
  EXPECT_GT(box->TextHeight(), TZEBbox::kMaxScroll);
  EXPECT_EQ(box->height(), TZEBbox::kMaxScroll);
  EXPECT_EQ(page->verticalScrollBar()->maximum(), TZEBbox::kMaxScroll - page->viewport()->height());
}

TEST_F(BoxTest, WiderPageKeepsDistanceFromEnd) {
  writer.AddPage("Lunga", LongText(60));
  Open();
  const int lines = static_cast<int>(box->Paragraph(0)->lines.size());
  page->SetScrollY(page->verticalScrollBar()->maximum() - 100);
  const int oldY = page->ScrollY(), oldRange = box->ScrollRange();
  ASSERT_GT(oldY, 1000);

  page->resize(700, 400);
  Settle();
  EXPECT_EQ(box->LayoutWidth(), page->viewport()->width());
  EXPECT_LT(static_cast<int>(box->Paragraph(0)->lines.size()), lines);
  EXPECT_LT(box->ScrollRange(), oldRange);
  EXPECT_EQ(page->ScrollY(), oldY + box->ScrollRange() - oldRange);
}

TEST_F(BoxTest, HeaderAndFooterOutsideMainText) {
  const int header = writer.AddPage("Testata", "<Z S0 >Testata della pagina");
  const int footer = writer.AddPage("Piede", "<Z S0 >Piede della pagina");
  writer.SetHeaderI32(hdr::DefaultHeader, header);
  writer.AddPage("Propria", "<Z S0 >Il testo<Z S0 >Seconda riga", 0, -1, header, footer);
  writer.AddPage("Predefinita", "<Z S0 >Solo testo");
  Open(2);
  ASSERT_EQ(box->ParagraphCount(), 4);
  EXPECT_EQ(box->HeaderCount(), 1);
  EXPECT_EQ(box->FooterCount(), 1);
  EXPECT_EQ(box->Paragraph(0)->origin, 1);
  EXPECT_EQ(box->Paragraph(3)->origin, 2);

  const QPoint inHeader = Inside(box, 0, 3), inFooter = Inside(box, 3, 3);
  EXPECT_EQ(box->HitTest(THitMode::AllText, inHeader.x(), inHeader.y()).paraIndex, 0);
  EXPECT_EQ(box->HitTest(THitMode::MainText, inHeader.x(), inHeader.y()).paraIndex, 1);
  EXPECT_EQ(box->HitTest(THitMode::MainText, inFooter.x(), inFooter.y()).paraIndex, 2);

  // The header can still be selected with the mouse.
  Mouse(box, QEvent::MouseButtonPress, inHeader);
  Mouse(box, QEvent::MouseMove, Inside(box, 1, 2));
  Mouse(box, QEvent::MouseButtonRelease, Inside(box, 1, 2));
  int p = -1, c = -1;
  box->SelectionStart(p, c);
  EXPECT_EQ(p, 0);
  EXPECT_EQ(c, 3);

  // A page without a header of its own shows the document's default one, and
  // no footer since the document has none.
  page->LoadPage(f.doc->Page(3));
  box = page->Box();
  EXPECT_EQ(box->HeaderCount(), 1);
  EXPECT_EQ(box->FooterCount(), 0);
  EXPECT_EQ(box->Paragraph(0)->text, "Testata della pagina");
}

TEST_F(BoxTest, EmptyAndTemporaryPages) {
  writer.AddPage("Vuota", "");
  Open();
  ASSERT_EQ(box->ParagraphCount(), 1);
  EXPECT_EQ(box->Paragraph(0)->origin, 0);
  EXPECT_TRUE(box->Paragraph(0)->text.empty());
  EXPECT_FALSE(box->grab().isNull());
  // A read-only page without the anchor answers false and says nothing.
  EXPECT_FALSE(page->GoToAnchor(3));
  EXPECT_TRUE(f.sink.messages.empty());

  page->LoadPage(nullptr);
  EXPECT_TRUE(page->IsTemporary());
  EXPECT_EQ(page->PageIndex(), -1);
  ASSERT_NE(page->Box(), nullptr);
  EXPECT_EQ(page->Box()->ParagraphCount(), 1);
  page->Release();
  EXPECT_TRUE(fs.pages.empty());
}

TEST_F(BoxTest, BackgroundColourAndPicture) {
  const int pic = writer.AddPicture("verde", "verde.bmp", SolidPicture(0, 200, 0), 4, 4);
  const int plain = writer.AddPage("Rossa", "<Z S0 >");
  PutI32(writer.RecordOf(testoHtml, plain).data() + 101, 0x0000FF);
  const int tiled = writer.AddPage("Verde", "<Z S0 >");
  PutI32(writer.RecordOf(testoHtml, tiled).data() + 101, 0x0000FF);
  PutI32(writer.RecordOf(testoHtml, tiled).data() + 85, pic);
  writer.SetHeaderByte(hdr::BackAnchoring, 0);
  Open(plain);
  const QRgb red = qRgb(255, 0, 0), green = qRgb(0, 200, 0);
  EXPECT_EQ(box->grab().toImage().pixel(250, 300), red);

  page->LoadPage(f.doc->Page(tiled));
  Settle();
  EXPECT_EQ(page->Box()->grab().toImage().pixel(250, 300), green);
  // Drawn once: only its own 4 x 4 pixels.
  page->Box()->SetBackFlags(2);
  const QImage once = page->Box()->grab().toImage();
  EXPECT_EQ(once.pixel(1, 1), green);
  EXPECT_EQ(once.pixel(250, 300), red);
}

TEST_F(BoxTest, FindInPage) {
  const int header = writer.AddPage("Testata", "<Z S0 >ora nella testata");
  writer.AddPage("Cerca", "<Z S0 >orario e dell'ora; poi ancora<Z S0 >l'ultima ora.", 0, -1, header);
  Open(1);
  fs.options = 1;  // whole words
  ASSERT_TRUE(page->FindText("ora", false));
  int p = -1, c = -1;
  box->SelectionStart(p, c);
  EXPECT_EQ(p, 1);
  EXPECT_EQ(c, 14);  // after the apostrophe, not the header's nor "orario"
  ASSERT_TRUE(page->FindText("ORA", true));
  box->SelectionStart(p, c);
  EXPECT_EQ(p, 2);
  EXPECT_EQ(c, 9);  // "ancora" is skipped; the one before the full stop
  box->SelectionEnd(p, c);
  EXPECT_EQ(c, 12);
  EXPECT_FALSE(page->FindText("ora", true));
  EXPECT_FALSE(box->HasSelection());

  fs.options = 3;  // whole words, case-sensitive
  EXPECT_FALSE(page->FindText("ORA", false));
  fs.options = 0;
  ASSERT_TRUE(page->FindText("ora", false));
  box->SelectionStart(p, c);
  EXPECT_EQ(c, 0);  // inside "orario"
}

TEST_F(BoxTest, ObjectIndexAndPageObjects) {
  const int pic = writer.AddPicture("verde", "verde.bmp", SolidPicture(0, 200, 0), 4, 4);
  const int inText = writer.AddPictureRef(pic, "nel testo");
  const int inHeader = writer.AddPictureRef(pic, "in testata");
  const std::string ref0 = "<$" + Hex(MakeId(immagineNew, inText)) + ">";
  const std::string ref1 = "<$" + Hex(MakeId(immagineNew, inHeader)) + ">";
  const int header = writer.AddPage("Testata", "<Z S0 >T " + ref1 + "<$FF000001>");
  writer.AddPage("Oggetti", "<Z S0 >testo " + ref0 + "<$FF000001> fine", 0, -1, header);
  writer.AddPage("Assoluti", "<Z S0 f0 ><$FF000001><Z S0 >x " + ref0);
  Open(1);
  TZEBoggetto* o0 = f.doc->ObjectAt(immagineNew, inText);
  TZEBoggetto* o1 = f.doc->ObjectAt(immagineNew, inHeader);
  EXPECT_EQ(page->IndexedObject(1), o0);
  EXPECT_EQ(page->IndexedObject(2), o1);
  EXPECT_EQ(page->ObjectBase(1), 1);
  // The header numbers its objects from 1 too: they follow the main text's.
  ASSERT_EQ(box->Paragraph(0)->objects.size(), 1u);
  EXPECT_EQ(box->Paragraph(0)->objects[0], o1);
  const TZEBparag& main = *box->Paragraph(1);
  ASSERT_EQ(main.objects.size(), 1u);
  EXPECT_EQ(main.objects[0], o0);
  // The picture's control takes the picture's room.
  EXPECT_EQ(main.chars[6].width, 4);
  EXPECT_EQ(main.chars[6].height, 4);

  std::vector<std::pair<std::string, TZEBoggetto*>> listed;
  page->CollectObjects(immagineNew, listed);
  ASSERT_EQ(listed.size(), 2u);
  EXPECT_EQ(listed[0].second, o0);

  // An anchor panel on the page: going to it selects its character.
  auto* anchor = new TMyyVisual(box);
  anchor->Bind(o0);
  page->AddAnchor(anchor);
  page->AddAnchor(anchor);
  EXPECT_TRUE(page->GoToAnchor(o0->Rec().I32(5)));
  int p = -1, c = -1;
  box->SelectionStart(p, c);
  EXPECT_EQ(p, 1);
  EXPECT_EQ(c, 6);
  box->SelectionEnd(p, c);
  EXPECT_EQ(c, 7);
  // A missing anchor is reported only on an editable page.
  page->SetReadOnly(false);
  EXPECT_FALSE(page->GoToAnchor(o0->Rec().I32(5) + 1));
  ASSERT_EQ(f.sink.messages.size(), 1u);
  EXPECT_EQ(f.sink.messages[0].second, "Ancora non trovata: a" + std::to_string(o0->Rec().I32(5) + 1));

  // Objects placed at page coordinates come off the front of the text.
  page->LoadPage(f.doc->Page(2));
  box = page->Box();
  ASSERT_EQ(page->PageObjects().size(), 1u);
  EXPECT_EQ(page->PageObjects()[0], o0);
  ASSERT_EQ(box->ParagraphCount(), 1);
  EXPECT_EQ(box->Paragraph(0)->text, "x ");
}

TEST_F(BoxTest, SelectionRepaintAndScrollPlacement) {
  writer.AddPage("Lunga", LongText(40));
  Open();
  const TZEBparag& second = *box->Paragraph(1);
  const TZEBparag& far = *box->Paragraph(30);
  // Showing a selection over three paragraphs repaints their lines only.
  box->SelectRange(0, 3, 2, 2);
  ASSERT_FALSE(box->LastRepaint().empty());
  QRegion touched;
  for (const QRect& r : box->LastRepaint()) touched += r;
  EXPECT_TRUE(touched.intersects(QRect(0, second.top + 2, box->width(), 4)));
  EXPECT_FALSE(touched.intersects(QRect(0, far.top, box->width(), far.bottom - far.top)));
  const TZEBPosition start = box->PositionOf(0, 3);
  EXPECT_FALSE(touched.intersects(QRect(0, start.top, start.xLeft - 2, start.height)));
  box->ClearSelection();
  EXPECT_FALSE(box->HasSelection());

  // Show at top puts the line 3 pixels below the top; scrolling into view
  // moves only as far as needed.
  ASSERT_GT(page->verticalScrollBar()->maximum(), 1200);
  const TZEBPosition pos = box->PositionOf(10, 0);
  box->ShowPositionAtTop(pos);
  EXPECT_EQ(page->ScrollY(), pos.top - 3);
  box->ScrollIntoView(0, pos.top + 600, 20, 10);
  EXPECT_EQ(page->ScrollY(), pos.top + 620 - page->viewport()->height());
  const int y = page->ScrollY();
  box->ScrollIntoView(0, y + 10, 20, 10);
  EXPECT_EQ(page->ScrollY(), y);

  // The wheel moves 100 pixels a notch.
  QWheelEvent wheel(QPointF(10, 10), QPointF(page->mapToGlobal(QPoint(10, 10))), QPoint(), QPoint(0, -120),
                    Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(page->viewport(), &wheel);
  EXPECT_EQ(page->ScrollY(), y + 100);

  // Scroll-bar modes of a read-only page.
  page->SetScrollMode(1);
  EXPECT_EQ(page->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
  EXPECT_EQ(page->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
  page->SetScrollMode(7);
  EXPECT_EQ(page->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
  page->SetScrollMode(3);
  EXPECT_EQ(page->verticalScrollBarPolicy(), Qt::ScrollBarAsNeeded);
}

TEST_F(BoxTest, FirstPassBackgroundAndHintWindow) {
  const int link = writer.AddInternetLink("mailto:lettore@example.org");
  const int shown = writer.AddPage("Blu", "<Z S0 ><$" + Hex(MakeId(internetLink, link)) + ">scrivi<%>");
  PutI32(writer.RecordOf(testoHtml, shown).data() + 101, 0xFF0000);
  Open();
  page->ShowBackground(f.doc->Page(0));
  ASSERT_NE(page->Background(), nullptr);
  EXPECT_EQ(page->Background()->grab().toImage().pixel(5, 5), qRgb(0, 0, 255));
  page->LoadPage(f.doc->Page(0));
  EXPECT_EQ(page->Background(), nullptr);
  box = page->Box();

  const QPoint p = Inside(box, 0, 2);
  Mouse(box, QEvent::MouseMove, p, Qt::NoButton);
  QHelpEvent help(QEvent::ToolTip, p, box->mapToGlobal(p));
  QApplication::sendEvent(box, &help);
  ASSERT_NE(TOxHintWindow::Current(), nullptr);
  EXPECT_TRUE(TOxHintWindow::Current()->isVisible());
  EXPECT_EQ(TOxHintWindow::Current()->Text(), "Collegamento a e-mail: lettore@example.org");
  Mouse(box, QEvent::MouseMove, QPoint(box->width() - 2, box->height() - 2), Qt::NoButton);
  EXPECT_FALSE(TOxHintWindow::Current()->isVisible());
}

class LinkedVisual : public TMyyVisual {
public:
  using TMyyVisual::TMyyVisual;
  TZEBoggetto* link = nullptr;
  TZEBoggetto* LinkedObject() const override { return link; }
};

TEST_F(BoxTest, VisualObjectsAndCursors) {
  const int link = writer.AddInternetLink("http://example.org/");
  writer.AddPage("Casa", "<Z S0 >testo");
  Open();
  // A left click on a read-only object raises its link and shows no handles.
  auto* v = new LinkedVisual(box);
  v->link = f.doc->ObjectAt(internetLink, link);
  v->show();
  EXPECT_EQ(v->GetFrameSet(), &fs);
  Click(v, QPoint(5, 5));
  ASSERT_EQ(fs.raised.size(), 1u);
  EXPECT_EQ(fs.raised[0].first, v->link);
  EXPECT_EQ(fs.raised[0].second, v);
  v->SetSelected(true);
  EXPECT_FALSE(v->HandlesShown());

  // Binding needs a frame set.
  LinkedVisual orphan;
  orphan.Bind(v->link);
  EXPECT_EQ(orphan.Object(), nullptr);
  ASSERT_FALSE(f.sink.messages.empty());
  EXPECT_EQ(f.sink.messages.back().second, "Parent insieme?");

  for (int n : {2, 3, 4, 5, 6, 7, 8, 10, 11}) {
    const QCursor cur = LectraCursor(n);
    EXPECT_EQ(cur.shape(), Qt::BitmapCursor) << n;
    EXPECT_FALSE(cur.pixmap().isNull()) << n;
  }
  EXPECT_EQ(LectraCursor(9).shape(), Qt::ArrowCursor);
}

TEST_F(BoxTest, DroppedEbooks) {
  writer.AddPage("Casa", "<Z S0 >testo");
  Open();
  auto drop = [&](const QStringList& names) {
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& n : names) urls << QUrl::fromLocalFile("/tmp/" + n);
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(box, &enter);
    const bool accepted = enter.isAccepted();
    QDropEvent dropped(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(box, &dropped);
    return accepted;
  };
  EXPECT_FALSE(drop({"note.txt", "libro.zeb"}));
  EXPECT_TRUE(fs.dropped.empty());
  EXPECT_TRUE(drop({"Libro.ZEB", "altro.txt"}));
  ASSERT_EQ(fs.dropped.size(), 2u);
  EXPECT_EQ(fs.dropped[0], "/tmp/Libro.ZEB");
}

}  // namespace
