// Separate reader windows opened from the sample's links: a named window
// reused by name, new full windows, a popup beside the click that goes on
// Escape or a click, layout records good and bad, and the window's own
// document when the main window moves to another ebook.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>

#include "app/lib/separato.h"
#include "formfixture.h"

namespace {

constexpr int WindowsPage = 15;

struct SeparateFixture : FormFixture {
  TMainForm& form;
  SeparateFixture() : form(Make()) {
    Open(CopyGuide());
    form.resize(700, 500);
    Visit(WindowsPage);
    Wait(5);
  }
  TZEBoggetto* Spec(int index) { return form.mainZEBset->ObjectById(MakeId(speclink, index)); }
  // Clicks the link to speclink `index` on the shown page.
  void ClickSpec(int index) {
    TZEBbox* box = form.Editor->MainBox();
    ASSERT_TRUE(box);
    for (int p = 0; p < box->ParagraphCount(); ++p)
      for (int c = 0; c < int(box->Paragraph(p)->text.size()); ++c) {
        const TZEBPosition pos = box->PositionOf(p, c);
        const int link = pos.Valid() ? box->LinkAt(pos) : -1;
        TZEBoggetto* obj = link >= 0 ? box->LinkObject(p, link) : nullptr;
        if (obj == Spec(index)) {
          Click(box, QPoint((pos.xLeft + pos.xRight) / 2, pos.top + pos.height / 2));
          Wait(20);
          return;
        }
      }
    FAIL() << "no link to speclink " << index;
  }
  std::vector<TFseparato*> Windows() { return form.SeparateForms(); }
};

std::string Layout(int16_t left, int16_t top, int16_t width, int16_t height, std::vector<int> flags = {}) {
  std::string r(22, '\0');
  auto put = [&r](int at, int16_t v) {
    r[size_t(at)] = char(v & 0xFF);
    r[size_t(at) + 1] = char((uint16_t(v) >> 8) & 0xFF);
  };
  put(0, left);
  put(2, top);
  put(4, width);
  put(6, height);
  for (int f : flags) r[size_t(f)] = 1;
  return r;
}

}  // namespace

TEST(SeparateWindow, NamedWindowsAreReusedAndFullWindowsAreNew) {
  SeparateFixture f;
  f.ClickSpec(0);  // the named window "Schede" with its layout
  ASSERT_EQ(f.Windows().size(), 1u);
  TFseparato* named = f.Windows()[0];
  EXPECT_EQ(named->WindowName(), "Schede");
  EXPECT_EQ(named->Kind(), TWindowKind::Named);
  EXPECT_EQ(named->Preview->MainPageNumber(), 7);
  EXPECT_EQ(named->size(), QSize(520, 380));
  EXPECT_EQ(named->pos(), QPoint(120, 90));
  EXPECT_TRUE(named->isVisible());
  EXPECT_TRUE(named->ShowTimerActive());
  EXPECT_EQ(named->windowTitle(), "Informazioni");
  EXPECT_EQ(f.Page(), WindowsPage) << "the main window stays where it was";
  // The same name in another case reuses the window; a link to it by frame name finds it.
  f.form.Dispatcher().ShowInNamedFrame("SCHEDE", f.form.mainZEBset->Page(1), -1, 255);
  ASSERT_EQ(f.Windows().size(), 1u);
  EXPECT_EQ(named->Preview->MainPageNumber(), 1);
  // Its own history: back returns to the first page it showed.
  EXPECT_TRUE(named->BPrecedente->isEnabled());
  named->BPrecedenteClick();
  EXPECT_EQ(named->Preview->MainPageNumber(), 7);
  EXPECT_FALSE(named->BPrecedente->isEnabled());
  named->BPrecedenteClick();  // at the first entry nothing happens
  EXPECT_EQ(named->Preview->MainPageNumber(), 7);
  // Printing from the window goes through the main window's printer settings:
  // without them, the page's own print command says where to make them.
  EXPECT_TRUE(named->Impostastampante1->isEnabled());
  EXPECT_TRUE(named->Impostamargini1->isEnabled());
  named->Preview->PrintCurrent(false, named->Preview->MainBox());
  ASSERT_FALSE(f.sink.messages.empty());
  EXPECT_EQ(f.sink.messages.back().second, "Usare \"Imposta stampante\"");

  f.ClickSpec(1);
  f.ClickSpec(1);
  ASSERT_EQ(f.Windows().size(), 3u);
  for (TFseparato* w : {f.Windows()[1], f.Windows()[2]}) {
    EXPECT_EQ(w->Kind(), TWindowKind::Full);
    EXPECT_EQ(w->Preview->MainPageNumber(), 4);
    EXPECT_EQ(w->size(), f.form.size());
  }
  // A close link names the window; the main window frees it once it has gone.
  f.ClickSpec(3);
  Wait(30);
  EXPECT_EQ(f.Windows().size(), 2u);
  // The show timer brings the window forward twice, 500 ms apart, then stops.
  TFseparato* full = f.Windows()[0];
  Wait(1150);
  EXPECT_FALSE(full->ShowTimerActive());
}

TEST(SeparateWindow, PopupOpensBesideTheClickAndClosesOnEscape) {
  SeparateFixture f;
  f.ClickSpec(2);
  ASSERT_EQ(f.Windows().size(), 1u);
  TFseparato* pop = f.Windows()[0];
  EXPECT_EQ(pop->Kind(), TWindowKind::Popup);
  EXPECT_EQ(pop->Preview->MainPageNumber(), 16);
  EXPECT_TRUE(pop->windowFlags() & Qt::FramelessWindowHint);
  EXPECT_FALSE(pop->Panel1->isVisible());
  EXPECT_EQ(pop->size(), QSize(360, 160));
  EXPECT_EQ(pop->minimumSize(), pop->maximumSize()) << "a layout without the resizable byte fixes the size";
  const QPoint click = f.form.Editor->MainBox()->ReleasePoint();
  EXPECT_EQ(pop->pos().x(), click.x() > 50 ? click.x() - 50 : click.x());
  QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QApplication::sendEvent(pop->Preview, &esc);
  Wait(30);
  EXPECT_TRUE(f.Windows().empty());

  // A link clicked in a popup is followed by the main window, and the popup goes.
  f.ClickSpec(2);
  ASSERT_EQ(f.Windows().size(), 1u);
  pop = f.Windows()[0];
  const std::optional<QPoint> at = LinkPoint(pop->Preview->MainBox(), testoHtml);
  ASSERT_TRUE(at);
  Click(pop->Preview->MainBox(), *at);
  Wait(40);
  EXPECT_EQ(f.Page(), 1);
  EXPECT_TRUE(f.Windows().empty());
}

TEST(SeparateWindow, PlacementOfPopupsAndBadLayoutRecords) {
  const QRect screen(0, 0, 1280, 900);
  EXPECT_EQ(PopupRect({30, 100}, {300, 200}, screen).topLeft(), QPoint(30, 100));
  EXPECT_EQ(PopupRect({400, 100}, {300, 200}, screen).topLeft(), QPoint(350, 100));
  EXPECT_EQ(PopupRect({1200, 100}, {300, 200}, screen).left(), 980);
  EXPECT_EQ(PopupRect({400, 800}, {300, 200}, screen).top(), 800 - 210) << "above the click, 10 px higher";
  const QRect tall = PopupRect({400, 500}, {300, 2000}, screen);
  EXPECT_EQ(tall.top(), 0);
  EXPECT_EQ(tall.height(), 900);

  SeparateFixture f;
  auto* w = dynamic_cast<TFseparato*>(f.form.CreateSeparateWindow());
  ASSERT_TRUE(w);
  const QPoint before = w->pos();
  std::string keep = Layout(-20000, 5, -20000, 7, {16, 17, 18, 20, 21});
  w->ApplyLayout(&keep, "tieni");
  EXPECT_EQ(w->pos(), before);
  EXPECT_EQ(w->TargetSize(), f.form.size());
  EXPECT_TRUE(w->ToolbarHistory->isVisibleTo(w) && w->StatusBar->isVisibleTo(w));
  const QRect avail = w->screen()->availableGeometry();
  for (const std::string& bad : {Layout(-30000, -30000, -500, -500), Layout(30000, 30000, 30000, 30000),
                                 Layout(0, 0, 0, 0), Layout(-5000, 20, 400, 300, {18})}) {
    w->ApplyLayout(&bad, "storta");
    const QRect r = w->geometry();
    EXPECT_GE(r.width(), 120);
    EXPECT_LE(r.width(), avail.width());
    EXPECT_LE(r.height(), avail.height());
    EXPECT_TRUE(avail.intersects(r)) << "the window stays reachable: " << r.x() << "," << r.y() << " " << r.width() << "x" << r.height();
    EXPECT_GE(r.top(), avail.top());
  }
  std::string fixed = Layout(10, 10, 400, 300);
  w->ApplyLayout(&fixed, "fissa");
  EXPECT_EQ(w->minimumSize(), QSize(400, 300));
  EXPECT_EQ(w->maximumSize(), QSize(400, 300));
  EXPECT_FALSE(w->windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_FALSE(w->MainMenu->isVisibleTo(w));
  // Short records are no records: every bar is shown.
  std::string shortRecord = "\x01\x02";
  w->ApplyLayout(&shortRecord, std::string("\xff\x01 ..\\/", 7));
  EXPECT_EQ(w->WindowName(), std::string("\xff\x01 ..\\/", 7));
  EXPECT_TRUE(w->ToolbarFile->isVisibleTo(w) && w->StatusBar->isVisibleTo(w));
  // Past the cap, no further window opens.
  while (f.form.SeparateForms().size() < size_t(TMainForm::MaxSeparateWindows)) f.form.CreateSeparateWindow();
  EXPECT_EQ(f.form.CreateSeparateWindow(), nullptr);
}

TEST(SeparateWindow, KeepsItsPageWhenTheMainWindowOpensAnotherEbook) {
  SeparateFixture f;
  f.ClickSpec(1);
  ASSERT_EQ(f.Windows().size(), 1u);
  TFseparato* w = f.Windows()[0];
  EXPECT_EQ(w->Preview->LinkedZEBset(), f.form.mainZEBset.get());
  const std::string first = f.form.mainZEBset->ZEBFileName();
  f.Open(f.CopyGuide("altro.zeb"));
  EXPECT_NE(f.form.mainZEBset->ZEBFileName(), first);
  EXPECT_EQ(w->Preview->LinkedZEBset(), w->ZEBset1.get());
  EXPECT_EQ(w->ZEBset1->ZEBFileName(), first);
  EXPECT_EQ(w->Preview->MainPageNumber(), 4);
  // Closing the window: it is freed on a later turn, and nothing of it runs after.
  w->close();
  Wait(20);
  EXPECT_TRUE(f.Windows().empty());
}
