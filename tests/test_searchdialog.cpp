// The contents panel, the object lists and the search dialog, driven in the
// main window offscreen.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTabWidget>
#include <filesystem>

#include "app/lib/mainform.h"
#include "docviews/zeblistview.h"
#include "docviews/zebtree.h"
#include "document/zebwriter.h"
#include "pageobjects/zebbox.h"
#include "search/fcerca.h"
#include "testutil.h"

namespace {

void Wait(int ms) {
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 10);
}

struct NoShell : IShell {
  int OpenDocument(const std::string&, TWindowMode) override { return ShellOk; }
  int OpenUrl(const std::string&) override { return ShellOk; }
  int StartProgram(const std::string&, const std::vector<std::string>&, TWindowMode) override { return ShellOk; }
};

struct NoDialogs : IShellDialogs {
  TFileLinkAction AskFileLink(const std::string&) override { return TFileLinkAction::Cancel; }
  std::optional<std::string> AskSavePath(const TSaveFileRequest&) override { return std::nullopt; }
};

struct SearchFixture {
  ScratchDir dir;
  MemSettings store;
  RecordingSink sink;
  NoShell shell;
  NoDialogs dialogs;
  FakeSystem system;
  std::unique_ptr<TMainForm> form;

  SearchFixture() { system.temp = dir.File("tmp"); }
  TMainForm& Make() {
    std::filesystem::create_directories(dir.path / "bin");
    TMainFormOptions o;
    o.programFolder = (dir.path / "bin").string();
    o.currentFolder = dir.path.string();
    o.settings = &store;
    o.messages = &sink;
    o.shell = &shell;
    o.dialogs = &dialogs;
    o.system = &system;
    form = std::make_unique<TMainForm>(std::move(o));
    form->resize(900, 700);
    form->show();
    return *form;
  }
  void Open(const std::string& path) {
    form->OpenEbookFile(path);
    for (int i = 0; i < 100 && form->PresentationPending(); ++i) Wait(10);
    Wait(20);
  }
  void OpenGuide() { Open(std::string(LECTRA_BINARY_DIR) + "/samples/guida.zeb"); }
  int Page() const { return form->Editor->MainPageNumber(); }
  TFcerca& Dialog() { return *form->SearchWindow(); }
  void EndScan() {
    for (int i = 0; i < 500 && Dialog().Scanning(); ++i) Wait(5);
    Wait(20);
  }
  QString StatusText() const { return form->StatusBar->SimpleText(); }
};

// The text the main page's box has selected (on one paragraph).
std::string Selected(TZEBbox* box) {
  if (!box || !box->HasSelection()) return {};
  int p0 = 0, c0 = 0, p1 = 0, c1 = 0;
  box->SelectionStart(p0, c0);
  box->SelectionEnd(p1, c1);
  if (p0 != p1) return "<several paragraphs>";
  return box->Paragraph(p0)->text.substr(static_cast<size_t>(c0), static_cast<size_t>(c1 - c0));
}

void ClickItem(QTreeWidget* view, QTreeWidgetItem* item, Qt::MouseButton button = Qt::LeftButton) {
  const QPoint at = view->visualItemRect(item).center();
  QMouseEvent press(QEvent::MouseButtonPress, at, view->viewport()->mapToGlobal(at), button, button, Qt::NoModifier);
  QApplication::sendEvent(view->viewport(), &press);
  QMouseEvent release(QEvent::MouseButtonRelease, at, view->viewport()->mapToGlobal(at), button, Qt::NoButton,
                      Qt::NoModifier);
  QApplication::sendEvent(view->viewport(), &release);
}

QStringList Captions(QTreeWidget* list) {
  QStringList out;
  for (int i = 0; i < list->topLevelItemCount(); ++i) out << list->topLevelItem(i)->text(0);
  return out;
}

}  // namespace

TEST(ContentsPanel, ShowsTheTreeAndThePageChosenAfterADelay) {
  SearchFixture fx;
  TMainForm& form = fx.Make();
  EXPECT_FALSE(form.SeeTree1->isEnabled());
  fx.OpenGuide();
  ASSERT_TRUE(form.SeeTree1->isEnabled());
  form.SeeTree1->trigger();
  TZEBorderedTree* tree = form.TreeView;
  ASSERT_TRUE(tree->isVisible());
  ASSERT_EQ(tree->topLevelItemCount(), 6);
  EXPECT_EQ(tree->currentItem(), tree->topLevelItem(0));
  EXPECT_TRUE(tree->topLevelItem(0)->isExpanded());
  QTreeWidgetItem* tools = tree->topLevelItem(3);
  EXPECT_EQ(tools->text(0), "Strumenti");
  tools->setExpanded(true);
  Wait(20);  // the expanded rows are laid out
  ClickItem(tree, tools);
  EXPECT_EQ(tree->ChapterName(), "Strumenti");
  EXPECT_EQ(tree->SelectedObject(), nullptr);
  ClickItem(tree, tools->child(0));  // "Cercare", page 5
  Wait(100);
  EXPECT_EQ(fx.Page(), 0);  // not yet: the page follows 300 ms after the click
  Wait(350);
  EXPECT_EQ(fx.Page(), 5);
  form.SeeTree1->trigger();
  EXPECT_FALSE(tree->isVisible());

  // An ebook whose header does not offer its contents keeps the command off.
  TZebWriter w;
  w.AddPage("sola", "<Z S0 >testo");
  const std::string plain = fx.dir.File("senza.zeb");
  ASSERT_TRUE(w.Save(plain));
  fx.Open(plain);
  EXPECT_FALSE(form.SeeTree1->isEnabled());
}

TEST(SearchDialog, EbookSearchInPageSearchAndTheResultList) {
  SearchFixture fx;
  fx.Make();
  fx.OpenGuide();
  fx.form->findChild<QAction*>("Cercasostituisci1")->trigger();
  TFcerca& d = fx.Dialog();
  ASSERT_TRUE(d.isVisible());
  EXPECT_EQ(d.PageControl1->currentWidget(), d.TSparola);
  d.Edit2->setEditText("Cronologia");  // ignoring case by default

  // F4: from the page after the current one, the word selected in the page.
  fx.form->findChild<QAction*>("Ripetinellipertesto1")->trigger();
  fx.EndScan();
  EXPECT_EQ(fx.Page(), 1);
  EXPECT_EQ(Selected(fx.form->Editor->MainBox()), "cronologia");
  std::vector<int> visited{fx.Page()};
  for (int i = 0; i < 12 && fx.Page() != 0; ++i) {
    d.BContinuaClick();
    fx.EndScan();
    visited.push_back(fx.Page());
  }
  EXPECT_EQ(visited, (std::vector<int>{1, 3, 4, 10, 11, 15, 0}));
  EXPECT_EQ(fx.StatusText(), "Ricerca nell'ipertesto terminata");
  EXPECT_EQ(d.BCNellaPagina->text(), "&Cerca nella pagina  F3");

  // F3 on page 3, which has the word once: found, then the end of the page.
  fx.form->Editor->SetMainPageNumber(3);
  Wait(20);
  d.BCNellaPaginaClick();
  EXPECT_EQ(d.BCNellaPagina->text(), "&Continua nella pagina  F3");
  EXPECT_EQ(Selected(fx.form->Editor->ActiveBox()), "cronologia");
  d.BCNellaPaginaClick();
  EXPECT_EQ(d.BCNellaPagina->text(), "Ricerca nella pagina terminata");
  EXPECT_FALSE(d.BCNellaPagina->isEnabled());
  EXPECT_EQ(fx.StatusText(), "Ricerca nella pagina terminata");
  d.Edit2->setEditText("ebook");  // typing enables it again
  EXPECT_TRUE(d.BCNellaPagina->isEnabled());

  // Case-sensitive: the capitalised word is nowhere.
  d.CBcaps1->setChecked(false);
  d.Edit2->setEditText("EBOOK");
  d.SpeedButton1Click();
  fx.EndScan();
  EXPECT_EQ(d.ZEBListViewPagPar->topLevelItemCount(), 0);
  d.CBcaps1->setChecked(true);

  // Every matching page, sorted by title, with counts and snippets.
  d.SpeedButton1Click();
  fx.EndScan();
  const QStringList titles = Captions(d.ZEBListViewPagPar);
  ASSERT_EQ(titles.size(), 9);
  EXPECT_EQ(titles.front(), "Altre finestre");
  EXPECT_EQ(titles[1], "Aprire un ebook");
  EXPECT_EQ(titles.back(), "Una pagina lunga");
  QTreeWidgetItem* last = d.ZEBListViewPagPar->topLevelItem(8);
  EXPECT_EQ(last->text(5), "24");
  EXPECT_TRUE(last->text(6).contains("«ebook»"));
  ClickItem(d.ZEBListViewPagPar, d.ZEBListViewPagPar->topLevelItem(1));
  Wait(20);
  EXPECT_EQ(fx.Page(), 2);
  EXPECT_EQ(Selected(fx.form->Editor->MainBox()), "ebook");

  // A scan cancelled at once leaves the dialog usable.
  d.SpeedButton1Click();
  d.CancelScan();
  EXPECT_FALSE(d.Scanning());
  EXPECT_TRUE(d.SpeedButton1->isEnabled());

  // Options and word histories outlive the program, also one that ends with
  // the dialog still open.
  d.CBcomp1->setChecked(true);
  auto stored = [&fx](const std::string& name) {
    for (const auto& [key, values] : fx.store.keys)
      if (key.find("finds") != std::string::npos && values.count(name)) return values.at(name);
    return std::string();
  };
  EXPECT_EQ(stored("wholeword"), "1");
  d.close();
  SearchFixture again;
  again.store = fx.store;
  again.Make();
  again.OpenGuide();
  again.form->findChild<QAction*>("Cercaconoperatori1")->trigger();
  EXPECT_TRUE(again.Dialog().CBcomp1->isChecked());
  EXPECT_EQ(again.Dialog().Edit2->itemText(0), "Cronologia");
}

TEST(SearchDialog, KeywordTabAndOperatorFields) {
  SearchFixture fx;
  fx.Make();
  fx.OpenGuide();
  fx.form->CercaKeyButton->trigger();
  TFcerca& d = fx.Dialog();
  EXPECT_EQ(d.PageControl1->currentWidget(), d.TSkey);
  EXPECT_EQ(Captions(d.ZEBListViewKW), (QStringList{"collegamento", "cronologia", "ebook", "ricerca", "stampa"}));
  d.Edit1->setText("nessuna");
  d.KeywordLookup();
  EXPECT_EQ(d.ZEBListViewKW->SelectedId(), NoObject);
  d.Edit1->setText("collegamento");
  d.KeywordLookup();
  EXPECT_EQ(d.Label3->text(), "Pagine che contengono \"collegamento\"");
  EXPECT_EQ(d.SelectedKeyword(), 1);
  EXPECT_EQ(Captions(d.ZEBListViewPag), (QStringList{"La cronologia", "Seguire i collegamenti"}));
  ClickItem(d.ZEBListViewPag, d.ZEBListViewPag->topLevelItem(1));
  EXPECT_EQ(fx.Page(), 3);

  // Typing into "e:" with an empty word moves the text into the word.
  d.BcancelClick();
  d.Edit3->setFocus();
  d.Edit3->setEditText("beta");
  EXPECT_EQ(d.Edit2->currentText(), "beta");
  EXPECT_EQ(d.Edit3->currentText(), "");

  // A new ebook empties the page list; without keywords the button opens the word tab.
  TZebWriter w;
  w.AddPage("sola", "<Z S0 >testo");
  const std::string plain = fx.dir.File("senza.zeb");
  ASSERT_TRUE(w.Save(plain));
  fx.Open(plain);
  EXPECT_EQ(d.ZEBListViewPag->topLevelItemCount(), 0);
  EXPECT_EQ(d.SelectedKeyword(), -1);
  fx.form->CercaKeyButton->trigger();
  EXPECT_EQ(d.PageControl1->currentWidget(), d.TSparola);
  d.Edit1->setText("x");
  d.KeywordLookup();
  EXPECT_EQ(fx.sink.Texts().back(), "Nessuna parola chiave definita.");
}

TEST(ZEBListView, CaptionOrderColumnSortsAndRightClick) {
  DocFixture fx;
  TZebWriter w;
  w.AddPage("p", "x");
  for (const char* k : {"b", "A", "c", "-", "a"}) w.AddKeyword(k);
  ASSERT_TRUE(fx.OpenBuilt(w));
  TZEBListView list;
  list.Objects = keyword;
  list.SetLinkedZEBset(fx.doc.get());
  int reloads = 0, chosen = 0;
  list.OnReload = [&] { ++reloads; };
  list.OnChoose = [&] { ++chosen; };
  list.Reload();
  EXPECT_EQ(reloads, 1);
  EXPECT_EQ(Captions(&list), (QStringList{"a", "A", "b", "c"}));  // deleted "-" left out
  list.SortByColumn(0);
  EXPECT_EQ(Captions(&list).join(""), "aAbc");
  list.OnFilter = [](TZEBoggetto& o, bool& accept) { accept = o.Name() != "b"; };
  list.Reload();
  EXPECT_EQ(Captions(&list), (QStringList{"a", "A", "c"}));
  list.resize(300, 200);
  list.show();
  ClickItem(&list, list.topLevelItem(2), Qt::RightButton);
  EXPECT_EQ(chosen, 1);
  EXPECT_EQ(list.SelectedObject()->Name(), "c");
}
