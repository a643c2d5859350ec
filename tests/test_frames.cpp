// Frame sets, frames and frame maps, shown offscreen.
#include <QApplication>
#include <QEventLoop>
#include <QImage>
#include <QMouseEvent>
#include <QTimer>
#include <gtest/gtest.h>

#include <stdexcept>

#include "pageobjects/zebbox.h"
#include "pageobjects/zebframeset.h"
#include "pageobjects/zebpage.h"
#include "testutil.h"

namespace {

void Wait(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

// One frame map record, as an authoring program writes it.
struct Rec {
  int32_t id, parent;
  uint8_t placement = 1, mode = 0;
  int32_t percent = 100, fixed = 20, page = -1;
  uint8_t thickness = 3, sizeable = 0, marginA = 0, hasChildren = 0;
  std::string name = "";
};

std::string Records(const std::vector<Rec>& list, int length = 58) {
  std::string out;
  for (const Rec& r : list) {
    std::vector<uint8_t> b(58, 0);
    PutI32(&b[0], r.id);
    PutI32(&b[4], r.parent);
    PutPString(&b[8], 19, r.name.empty() ? "F" + std::to_string(r.id) : r.name);
    b[28] = r.placement;
    b[29] = r.marginA;
    b[31] = 1;
    b[32] = r.hasChildren;
    b[33] = r.sizeable;
    PutI32(&b[34], r.page);
    PutI32(&b[38], r.percent);
    PutI32(&b[46], int32_t(0x8000000F));
    PutI32(&b[52], r.fixed);
    b[56] = r.thickness;
    b[57] = r.mode;
    out.append(reinterpret_cast<const char*>(b.data()), size_t(length));
  }
  return out;
}

// A document of a few pages; page 0 may be divided by a map.
struct FrameFixture : DocFixture {
  TZebWriter w;
  std::unique_ptr<TInsiemeCornici> fs;
  FrameFixture() {
    w.AddPage("Uno", "<Z S0 >Vai <$00000001>qui<%> ora");
    w.AddPage("Due", "<Z S0 >Seconda pagina");
    w.AddPage("Tre", "<Z S0 >Terza pagina");
  }
  int AddMap(const std::string& records, int onPage = 0, int recordLength = 58) {
    std::vector<uint8_t> rec = w.NewRecord(mappaFrame);
    rec.resize(93);
    PutI32(rec.data() + 89, recordLength);
    int m = w.Add(mappaFrame, rec, std::vector<uint8_t>(records.begin(), records.end()));
    PutI32(w.RecordOf(testoHtml, onPage).data() + 81, m);
    return m;
  }
  TInsiemeCornici& Show(int width, int height, int page = 0) {
    w.SetRecordSize(mappaFrame, 93);  // keeps the record length field
    EXPECT_TRUE(OpenBuilt(w));
    fs = std::make_unique<TInsiemeCornici>();
    fs->SetReadOnly(true);
    fs->SetAutoJump(false);
    fs->resize(width, height);
    fs->SetLinkedZEBset(doc.get());
    fs->SetMainPageNumber(page);
    return *fs;
  }
  ~FrameFixture() {
    if (fs) fs->SetClosing(true);
    fs.reset();
  }
};

std::vector<int> Widths(TZEBFrame* f) {
  std::vector<int> out;
  for (TZEBFrame* c : f->Children()) out.push_back(c->width());
  return out;
}

TEST(FrameLayout, SizeModesGiveExactPixels) {
  {
    // A fixed, a percent and an equal frame in 610 pixels with 5-pixel dividers:
    // the percent frame overflows, nothing is clamped.
    FrameFixture f;
    f.AddMap(Records({{1, -1, 0, 0, 100, 20, -1, 5},
                      {2, 1, 1, 1, 100, 200, 1},
                      {3, 1, 1, 0, 100, 20, 2},
                      {4, 1, 1, 2, 100, 20, 1}}));
    TZEBFrame* root = f.Show(610, 300).RootFrame();
    ASSERT_EQ(root->Children().size(), 3u);
    EXPECT_EQ(Widths(root), (std::vector<int>{200, 600, 6}));
    EXPECT_EQ(root->Children()[0]->Record().Percent(), 33);
    EXPECT_EQ(root->Children()[0]->Divider()->width(), 5);
    EXPECT_EQ(root->Children()[1]->x(), 205);
    EXPECT_EQ(root->Children()[2]->Divider()->x(), 810 + 6);
  }
  {
    // Ties go to the even number: the equal share of 50.5 is 50.
    FrameFixture f;
    f.AddMap(Records({{1, -1, 0, 0, 100, 20, -1, 0}, {2, 1, 1, 0, 50}, {3, 1, 1, 2}}));
    EXPECT_EQ(Widths(f.Show(101, 50).RootFrame()), (std::vector<int>{51, 50}));
  }
  {
    // Two halves of 101 pixels are 50 each; the last pixel stays empty.
    FrameFixture f;
    f.AddMap(Records({{1, -1, 0, 0, 100, 20, -1, 0}, {2, 1, 1, 0, 50}, {3, 1, 1, 0, 50}}));
    EXPECT_EQ(Widths(f.Show(101, 50).RootFrame()), (std::vector<int>{50, 50}));
  }
  {
    // Percentages that add up to 0 give 0 instead of a division by zero.
    FrameFixture f;
    f.AddMap(Records({{1, -1, 0, 0, 100, 20, -1, 0}, {2, 1, 1, 0, 0}, {3, 1, 1, 0, 0}}));
    EXPECT_EQ(Widths(f.Show(100, 50).RootFrame()), (std::vector<int>{0, 0}));
  }
  {
    // Two levels: a 50-pixel row over a row divided into three columns.
    FrameFixture f;
    f.AddMap(Records({{1, -1, 0, 0, 100, 20, -1, 4},
                      {2, 1, 0, 1, 100, 50, 1},
                      {3, 1, 3, 0, 100, 20, -1, 2},
                      {4, 3, 1, 0, 25, 20, 1},
                      {5, 3, 1, 0, 75, 20, 2},
                      {6, 3, 5, 2, 100, 20, 0}}));
    TZEBFrame* root = f.Show(400, 300).RootFrame();
    ASSERT_EQ(root->Children().size(), 2u);
    TZEBFrame* top = root->Children()[0];
    TZEBFrame* rest = root->Children()[1];
    EXPECT_EQ(top->geometry(), QRect(0, 0, 400, 50));
    EXPECT_EQ(rest->geometry(), QRect(0, 54, 400, 246));
    // 396 pixels: percentSum 99, equal share 4, then 25/99 and 75/99 of 392.
    EXPECT_EQ(Widths(rest), (std::vector<int>{99, 297, 0}));
    EXPECT_EQ(rest->Children()[2]->x(), 400);
    EXPECT_EQ(rest->Children()[0]->height(), 246);
    EXPECT_EQ(f.fs->CollectPages().size(), 4u);
  }
}

TEST(FrameMap, ShortRecordsTakeTheDefaults) {
  FrameFixture f;
  // 40 bytes: up to the low half of the percentage; the rest are defaults.
  f.AddMap(Records({{1, -1, 0, 1, 100, 999, -1, 9}, {2, 1, 1, 1, 30, 999, 1, 9}, {3, 1, 5, 1, 70, 999, 2, 9}}, 40),
           0, 40);
  TZEBFrame* root = f.Show(200, 100).RootFrame();
  ASSERT_EQ(root->Children().size(), 2u);
  TZEBFrame* first = root->Children()[0];
  EXPECT_EQ(first->Record().Mode(), 0);
  EXPECT_EQ(first->Record().FixedSize(), 20);
  EXPECT_EQ(first->Record().DividerThickness(), 0);  // no margins: no divider
  EXPECT_EQ(first->Record().Border(), 0);
  EXPECT_EQ(first->Record().DividerColour(), TFrameMapRecord::ButtonFace);
  EXPECT_EQ(Widths(root), (std::vector<int>{60, 140}));
  EXPECT_EQ(first->Divider()->width(), 0);
  ASSERT_NE(first->PageControl(), nullptr);
  EXPECT_EQ(first->PageControl()->PageIndex(), 1);
}

TEST(FrameMap, ChildrenFollowParentIdsAndNestedMapsKeepTheirPlace) {
  FrameFixture f;
  // B's parent is the root: A's children end before it. B expects children
  // but the stream ends, and a trailing half record is not read.
  std::string map = Records({{10, -1, 0, 0, 100, 20, -1, 3, 0, 0, 1},
                             {11, 10, 1, 0, 50, 20, -1, 3, 0, 0, 1, "A"},
                             {12, 11, 0, 0, 100, 20, 1, 3, 0, 0, 0, "A1"},
                             {13, 10, 5, 0, 50, 20, 2, 3, 1, 0, 1, "B"}});
  map += std::string(20, '\x01');
  f.AddMap(map);
  // Page 2 has a two-column map of its own, shown nested in frame "B".
  f.AddMap(Records({{1, -1, 0, 0, 100, 20, -1, 3}, {2, 1, 1, 0, 40, 20, 0, 3}, {3, 1, 5, 0, 60, 20, 1}}), 2);
  TInsiemeCornici& fs = f.Show(300, 200);
  TZEBFrame* root = fs.RootFrame();
  ASSERT_EQ(root->Children().size(), 2u);
  EXPECT_EQ(root->Name(), "Pag0");
  TZEBFrame* a = fs.FindFrame("a");
  TZEBFrame* b = fs.FindFrame("B");
  ASSERT_TRUE(a && b);
  ASSERT_EQ(a->Children().size(), 1u);
  EXPECT_EQ(a->Children()[0]->Name(), "A1");
  EXPECT_TRUE(b->Children().empty());
  ASSERT_NE(b->PageControl(), nullptr);
  EXPECT_EQ(b->PageControl()->PageIndex(), 2);

  // Written back, every child names its parent's id.
  std::string out;
  ASSERT_TRUE(root->WriteMap(out, 1));
  ASSERT_EQ(out.size(), 4u * 58);
  auto id = [&](int i, int off) { return GetI32(reinterpret_cast<const uint8_t*>(out.data()) + i * 58 + off); };
  EXPECT_EQ(id(0, 4), -1);
  EXPECT_EQ(id(1, 4), id(0, 0));
  EXPECT_EQ(id(2, 4), id(1, 0));
  EXPECT_EQ(id(3, 4), id(0, 0));
  EXPECT_EQ(id(2, 34), 1);

  const QRect place = b->geometry();
  EXPECT_TRUE(fs.ShowInFrame(b, f.doc->Page(2), -1, 1));
  EXPECT_TRUE(fs.IsShowingTmpFrameSet());
  ASSERT_EQ(b, fs.FindFrame("b"));  // keeps its name and its place
  EXPECT_EQ(b->geometry(), place);
  ASSERT_EQ(b->Children().size(), 2u);
  EXPECT_EQ(b->Children()[0]->PageControl()->PageIndex(), 0);
  EXPECT_EQ(b->Children()[1]->PageControl()->PageIndex(), 1);
  EXPECT_EQ(b->Children()[0]->width() + 3 + b->Children()[1]->width(), place.width());

  // In temporary mode the shown page reloads, bringing back its own map.
  int changed = 0;
  fs.OnPageChanged = [&](QObject*) { ++changed; };
  fs.SetMainPageNumber(0);
  EXPECT_EQ(changed, 1);
  EXPECT_TRUE(fs.FindFrame("B")->Children().empty());
}

TEST(FrameMap, HostileMapsAreBounded) {
  FrameFixture f;
  // A chain of 100 frames each the child of the one before.
  std::vector<Rec> chain{{1, -1, 0}};
  for (int i = 2; i <= 100; ++i) chain.push_back({i, i - 1, 0});
  f.AddMap(Records(chain));
  // A map object without records.
  f.AddMap("", 1);
  TInsiemeCornici& fs = f.Show(300, 200);
  int depth = 0;
  for (TZEBFrame* fr = fs.RootFrame(); !fr->Children().empty(); fr = fr->Children()[0]) ++depth;
  EXPECT_LT(depth, TZEBFrame::kMaxDepth);
  fs.SetMainPageNumber(1);
  EXPECT_EQ(f.sink.Texts(), (std::vector<std::string>{"Map problem."}));
  EXPECT_EQ(fs.RootFrame()->Name(), "Pag1");
  EXPECT_EQ(fs.RootFrame()->PageControl()->PageIndex(), 1);
}

TEST(FrameMap, DividerDragEndRules) {
  FrameFixture f;
  f.AddMap(Records({{1, -1, 0}, {2, 1, 1, 1, 100, 200, 1, 3, 1}, {3, 1, 5, 2, 100, 20, 2}}));
  TInsiemeCornici& fs = f.Show(600, 300);
  TZEBFrame* root = fs.RootFrame();
  int changes = 0;
  fs.OnFrameSetChanged = [&](QObject*) { ++changes; };
  TZEBSplit* split = root->Children()[0]->Divider();
  ASSERT_TRUE(split && split->Sizeable());
  ASSERT_TRUE(split->BeginDrag({1, 1}));
  split->MoveDrag({51, 1});
  split->EndDrag();
  EXPECT_EQ(Widths(root), (std::vector<int>{250, 347}));
  EXPECT_EQ(root->Children()[0]->Record().FixedSize(), 250);
  EXPECT_EQ(root->Children()[0]->Record().Percent(), 250 * 100 / 597);
  EXPECT_EQ(changes, 1);
  // Dragged to the far edge: stopped 10 pixels short, then the squeezed last
  // frame takes 30 pixels back.
  ASSERT_TRUE(split->BeginDrag({1, 1}));
  split->MoveDrag({900, 1});
  EXPECT_EQ(split->DragSize(), 590);
  split->EndDrag();
  EXPECT_EQ(Widths(root), (std::vector<int>{560, 37}));
  EXPECT_EQ(changes, 2);
  split->SetSizeable(false);
  EXPECT_FALSE(split->BeginDrag({1, 1}));
}

TEST(FrameSet, PageChangesAndLinks) {
  FrameFixture f;
  TInsiemeCornici& fs = f.Show(400, 300);
  int changed = 0;
  fs.OnPageChanged = [&](QObject*) { ++changed; };
  TZEBFrame* root = fs.RootFrame();
  fs.SetMainPageNumber(0);  // the page shown: nothing happens
  EXPECT_EQ(changed, 0);
  EXPECT_EQ(fs.RootFrame(), root);

  // A click on the linked word reaches OnDoLink only after the click returned.
  bool inClick = false, calledInClick = false;
  QObject* linkSource = nullptr;
  TZEBoggetto* linked = nullptr;
  fs.OnDoLink = [&](QObject*, QObject* obj, TZEBoggetto* aogg) {
    calledInClick = inClick;
    linkSource = obj;
    linked = aogg;
  };
  TZEBbox* box = fs.MainBox();
  ASSERT_NE(box, nullptr);
  const TZEBPosition pos = box->PositionOf(box->HeaderCount(), 5);
  ASSERT_TRUE(pos.Valid());
  const QPointF at((pos.xLeft + pos.xRight) / 2.0, pos.top + pos.height / 2.0);
  QMouseEvent press(QEvent::MouseButtonPress, at, box->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, {});
  QMouseEvent release(QEvent::MouseButtonRelease, at, box->mapToGlobal(at), Qt::LeftButton, Qt::NoButton, {});
  inClick = true;
  QApplication::sendEvent(box, &press);
  QApplication::sendEvent(box, &release);
  inClick = false;
  EXPECT_EQ(linked, nullptr);
  Wait(0);
  EXPECT_FALSE(calledInClick);
  EXPECT_EQ(linked, f.doc->Page(1));
  EXPECT_EQ(linkSource, box);
  EXPECT_EQ(fs.MainPageNumber(), 0);  // AutoJump is off: the handler decides

  // With AutoJump a page link jumps and remembers where it came from.
  fs.SetAutoJump(true);
  fs.RaiseLink(f.doc->Page(1), nullptr);
  fs.RaiseLink(f.doc->Page(2), nullptr);
  Wait(0);
  EXPECT_EQ(fs.MainPageNumber(), 2);
  EXPECT_EQ(fs.PreviousPages(), (std::vector<int>{0, 1}));
  EXPECT_EQ(fs.GoBack(), 1);
  EXPECT_EQ(fs.GoBack(), 1);  // the entry stays
  EXPECT_EQ(fs.MainPageNumber(), 1);
  fs.SetAutoJump(false);
  EXPECT_TRUE(fs.PreviousPages().empty());
  EXPECT_EQ(fs.GoBack(), 1);

  // "_root" in any case shows a page; an unknown frame is not found.
  EXPECT_TRUE(fs.ShowInTarget("_ROOT", f.doc->Page(2), -1, 0));
  EXPECT_EQ(fs.MainPageNumber(), 2);
  EXPECT_TRUE(fs.ShowInTarget("_Root", f.doc->ObjectAt(testoHtml, 9), -1, 0));
  EXPECT_FALSE(fs.ShowInTarget("nessuna", f.doc->Page(1), -1, 0));
  EXPECT_EQ(fs.MainPageNumber(), 2);

  // An index with no page makes a new empty page and shows it.
  const int before = f.doc->Count(testoHtml);
  changed = 0;
  fs.SetMainPageNumber(40);
  EXPECT_EQ(f.doc->Count(testoHtml), before + 1);
  EXPECT_EQ(fs.MainPageNumber(), before);
  EXPECT_EQ(fs.RootFrame()->PageControl()->StoredPage(), f.doc->Page(before));
  EXPECT_EQ(changed, 1);

  // A failure during a page change is reported once and stops page changes.
  fs.OnPageChanging = [](QObject*) { throw std::runtime_error("x"); };
  fs.SetMainPageNumber(1);
  fs.OnPageChanging = nullptr;
  fs.SetMainPageNumber(1);
  EXPECT_TRUE(fs.ErrorLatched());
  EXPECT_EQ(fs.MainPageNumber(), before);
  EXPECT_EQ(f.sink.Texts(),
            (std::vector<std::string>{"Errore sconociuto. E' meglio salvare e uscire. Eventualmente riavviare."}));
}

TEST(FrameSet, ObjectThatIsNotAPageShowsANotice) {
  FrameFixture f;
  TInsiemeCornici& fs = f.Show(400, 300);
  TZEBoggetto* kw = f.doc->Store(f.doc->NewObject(keyword));
  kw->SetName("a\t<b>&c");
  const std::string notice = ObjectNoticeText(kw);
  char id[9];
  std::snprintf(id, sizeof id, "%08x", unsigned(kw->Id()));
  EXPECT_EQ(notice, "<Z S0 >QUI APPARE UN OGGETTO. PER VEDERLO CLICCA SOTTO.<Z S0 ><$" + std::string(id) +
                        ">a        &lt;b&gt;&#38;c<%>");
  ASSERT_TRUE(fs.ShowInTarget("pag0", kw, -1, 0));
  EXPECT_TRUE(fs.IsShowingTmpFrameSet());
  TZEBpage* page = fs.RootFrame()->PageControl();
  ASSERT_TRUE(page && page->DisplayText());
  const std::string shown = page->DisplayText()->MainPayload();
  EXPECT_EQ(shown.substr(0, shown.find('\0')), notice);
  EXPECT_EQ(f.doc->Count(testoHtml), 3);  // the notice is not a page of the ebook
  // Leaving the temporary mode shows the page again.
  fs.SetTmpFrameSet(false);
  EXPECT_FALSE(fs.IsShowingTmpFrameSet());
  EXPECT_EQ(fs.RootFrame()->PageControl()->StoredPage(), f.doc->Page(0));
}

TEST(FrameSet, AutoLinkAfterItsDelay) {
  FrameFixture f;
  uint8_t* r = f.w.RecordOf(testoHtml, 0).data();
  PutI16(r + 221, 0);
  PutI32(r + 227, MakeId(testoHtml, 2));
  TInsiemeCornici& fs = f.Show(400, 300, 1);
  fs.SetActivePreview(true);
  fs.SetAutoJump(true);
  QObject* source = nullptr;
  TZEBoggetto* linked = nullptr;
  fs.OnDoLink = [&](QObject*, QObject* obj, TZEBoggetto* aogg) { source = obj, linked = aogg; };
  fs.SetMainPageNumber(0);
  ASSERT_TRUE(fs.AutoLinkPending());
  EXPECT_EQ(fs.AutoLinkInterval(), 100);
  Wait(40);
  EXPECT_EQ(linked, nullptr);
  Wait(200);
  EXPECT_EQ(linked, f.doc->Page(2));
  EXPECT_EQ(source, &fs);
  EXPECT_EQ(fs.PreviousPages(), (std::vector<int>{0}));
  EXPECT_EQ(fs.MainPageNumber(), 0);  // a link from the frame set itself is the handler's
  // Going back stops the timer.
  fs.SetMainPageNumber(1);
  fs.SetMainPageNumber(0);
  linked = nullptr;
  fs.GoBack();
  Wait(200);
  EXPECT_EQ(linked, nullptr);
}

TEST(FrameSet, KeysAndWheelScrollTheFocusedPage) {
  FrameFixture f;
  std::string longText;
  for (int i = 0; i < 200; ++i) longText += "<Z S0 >Riga " + std::to_string(i);
  f.w.AddPage("Lunga", longText);
  TInsiemeCornici& fs = f.Show(400, 300, 3);
  fs.show();
  Wait(0);
  ASSERT_NE(fs.FocusedBox(), nullptr);
  TZEBpage* page = fs.FocusedBox()->Page();
  EXPECT_TRUE(fs.ScrollByKey(Qt::Key_PageDown));
  EXPECT_EQ(page->ScrollY(), page->height() - 20);
  EXPECT_TRUE(fs.ScrollByKey(Qt::Key_Up));
  EXPECT_EQ(page->ScrollY(), page->height() - 40);
  EXPECT_FALSE(fs.ScrollByKey(Qt::Key_A));
  const int y = page->ScrollY();
  fs.ScrollByWheel(-120);
  EXPECT_EQ(page->ScrollY(), y + 100);
  fs.ScrollByWheel(120);
  EXPECT_EQ(page->ScrollY(), y);
}

}  // namespace

namespace {

TEST(FrameSample, GuideDividesItsFramePageAndRenders) {
  RecordingSink sink;
  TZEBset doc(TServices{&sink, nullptr, nullptr});
  const std::string guide = std::string(LECTRA_BINARY_DIR) + "/samples/guida.zeb";
  ASSERT_TRUE(doc.Open(guide));
  int framed = -1, index = -1, opening = -1;
  for (int i = 0; i < doc.Count(testoHtml); ++i) {
    const std::string title = doc.Page(i)->Name();
    if (title == "Pagine in cornici") framed = i;
    if (title == "Indice") index = i;
    if (title == "Aprire un ebook") opening = i;
  }
  ASSERT_GE(framed, 0);
  {
    TInsiemeCornici fs;
    fs.SetReadOnly(true);
    fs.resize(800, 600);
    fs.SetLinkedZEBset(&doc);
    fs.SetMainPageNumber(framed);
    TZEBFrame* root = fs.RootFrame();
    ASSERT_EQ(root->Children().size(), 2u);
    TZEBFrame* left = fs.FindFrame("indice");
    ASSERT_EQ(left, root->Children()[0]);
    EXPECT_EQ(Widths(root), (std::vector<int>{200, 597}));
    EXPECT_TRUE(left->Divider()->Sizeable());
    EXPECT_EQ(left->PageControl()->PageIndex(), index);
    EXPECT_EQ(fs.FindFrame("contenuto")->PageControl()->PageIndex(), opening);
    fs.SetClosing(true);
  }
  EXPECT_TRUE(sink.messages.empty());

  // The reader draws the same page into a picture, and fails on a missing file.
  ScratchDir dir;
  const std::string lectra = std::string(LECTRA_BINARY_DIR) + "/bin/lectra";
  // core_tests does not depend on the reader: a build of the tests alone has none.
  if (!std::filesystem::exists(lectra)) GTEST_SKIP() << "lectra not built";
  const std::string png = dir.File("cornici.png");
  const std::string cmd = lectra + " --render '" + guide + "' --page " + std::to_string(framed) +
                          " --width 640 --height 480 --out '" + png + "' 2>/dev/null";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  QImage shot(QString::fromStdString(png));
  EXPECT_EQ(shot.size(), QSize(640, 480));
  const std::string bad = lectra + " --render '" + dir.File("nessuno.zeb") + "' --page 0 --out '" + png +
                          "' 2>'" + dir.File("err.txt") + "'";
  EXPECT_EQ(WEXITSTATUS(std::system(bad.c_str())), 1);
  EXPECT_NE(ReadAll(dir.File("err.txt")).find("nessuno.zeb non esiste"), std::string::npos);
}

}  // namespace
