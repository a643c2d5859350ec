// The main window, driven offscreen through its own controls: history,
// zoom, opening and dropping ebooks, a link click, remarks, show requests
// and the window presentation an ebook asks for.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QClipboard>
#include <QMimeData>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTimer>
#include <QScreen>
#include <QStatusTipEvent>
#include <QToolBar>
#include <QUrl>
#include <filesystem>
#include <thread>

#include "app/lib/mainform.h"
#include "pageobjects/image.h"
#include "pageobjects/zebbox.h"
#include "pageobjects/zebpage.h"
#include "printing/pagesetup.h"
#include "printing/printjob.h"
#include "formfixture.h"
#include "testutil.h"

namespace {

TEST(MainForm, HistoryThroughTheComboAndButtons) {
  FormFixture f;
  TMainForm& form = f.Make();
  f.Open(f.CopyGuide());
  ASSERT_EQ(f.Page(), 0);
  EXPECT_EQ(f.HistoryPages(), std::vector<int>{0});
  // With one entry both directions are closed.
  EXPECT_FALSE(form.BPrecedente->isEnabled());
  EXPECT_FALSE(form.Bseguente->isEnabled());

  f.Visit(1);
  f.Visit(2);
  f.Visit(2);  // the same page twice in a row is one entry
  f.Visit(3);
  EXPECT_EQ(f.HistoryPages(), (std::vector<int>{0, 1, 2, 3}));
  form.BPrecedente->trigger();
  form.Paginaprecedente1->trigger();
  EXPECT_EQ(f.Page(), 1);
  EXPECT_EQ(form.HistoryCombo->currentIndex(), 1);
  EXPECT_TRUE(form.Bseguente->isEnabled());
  EXPECT_TRUE(form.Paginaseguente1->isEnabled());

  // A new page goes right after the current entry; older forward entries stay.
  f.Visit(5);
  EXPECT_EQ(f.HistoryPages(), (std::vector<int>{0, 1, 5, 2, 3}));
  EXPECT_EQ(form.HistoryCombo->currentIndex(), 2);
  form.Bseguente->trigger();
  EXPECT_EQ(f.Page(), 2);

  // Choosing the first entry in the combo: only forward stays open.
  form.HistoryCombo->setCurrentIndex(0);
  emit form.HistoryCombo->activated(0);
  EXPECT_EQ(f.Page(), 0);
  EXPECT_FALSE(form.BPrecedente->isEnabled());
  EXPECT_TRUE(form.Bseguente->isEnabled());

  // Enter follows a typed text only when it is one of the entries.
  QLineEdit* edit = form.HistoryCombo->lineEdit();
  edit->setText("lumo://" + QString::fromStdString(f.dir.File("guida.zeb")) + "|7");
  PressEnter(edit);
  EXPECT_EQ(f.Page(), 0);
  EXPECT_EQ(form.HistoryCombo->count(), 5);
  edit->setText(form.HistoryCombo->itemText(4));
  PressEnter(edit);
  EXPECT_EQ(f.Page(), 3);
  EXPECT_EQ(form.History().Index(), 4);
  EXPECT_FALSE(form.Bseguente->isEnabled());

  // Cover and summary come from the header.
  form.SummaryButton->trigger();
  EXPECT_EQ(f.Page(), 1);
  form.Copertina1->trigger();
  EXPECT_EQ(f.Page(), 0);
  EXPECT_EQ(form.windowTitle(), "guida.zeb - Quillon");
}

TEST(MainForm, ZoomStaysWithinBoundsAndLaysThePageOutAgain) {
  FormFixture f;
  TMainForm& form = f.Make();
  f.Open(f.CopyGuide());
  f.Visit(2);
  const int height10 = form.Editor->MainBox()->TextHeight();
  for (int i = 0; i < 15; ++i) form.Naumenta->trigger();
  EXPECT_EQ(form.ZoomValue(), 20);
  EXPECT_EQ(form.Editor->TextZoom(), 20);
  EXPECT_EQ(f.Page(), 2);
  EXPECT_GT(form.Editor->MainBox()->TextHeight(), height10 * 3 / 2);
  for (int i = 0; i < 20; ++i) form.Ndiminuisci->trigger();
  EXPECT_EQ(form.ZoomValue(), 5);
  EXPECT_LT(form.Editor->MainBox()->TextHeight(), height10);
  // Laying the page out again is not a visit.
  EXPECT_EQ(f.HistoryPages(), (std::vector<int>{0, 2}));
}

TEST(MainForm, OpeningDroppingAndWhatExitKeeps) {
  FormFixture f;
  const std::string guide = f.CopyGuide();
  const std::string upper = f.CopyGuide("SECONDA.ZEB");
  WriteBytes(f.dir.File("note.txt"), {'c', 'i', 'a', 'o'});
  {
    TMainForm& form = f.Make();
    form.OpenEbookFile(f.dir.File("manca.zeb"));
    ASSERT_EQ(f.sink.messages.size(), 1u);
    EXPECT_EQ(f.sink.messages[0].first, TMsgKind::Warning);
    EXPECT_EQ(f.sink.messages[0].second, "File non trovato: " + f.dir.File("manca.zeb"));

    // Not an ebook: reported by the document, an empty window, not a recent file.
    f.Open(f.dir.File("note.txt"));
    EXPECT_EQ(f.sink.Texts(), (std::vector<std::string>{"File non trovato: " + f.dir.File("manca.zeb"),
                                                         "Errore nella lettura file: " + f.dir.File("note.txt")}));
    EXPECT_EQ(form.windowTitle(), "Senza titolo - Quillon");
    EXPECT_TRUE(form.RecentFiles().Items().empty());
    EXPECT_FALSE(form.RecentSeparator->isVisible());

    f.Open(guide);
    EXPECT_EQ(form.windowTitle(), "guida.zeb - Quillon");
    EXPECT_EQ(form.mainZEBset->ZEBFileName(), guide);
    EXPECT_TRUE(form.Editor->ReadOnly());

    // A text file dropped first: nothing opens, even with an ebook after it.
    f.Drop({f.dir.File("note.txt"), upper});
    f.Presented();
    EXPECT_EQ(form.mainZEBset->ZEBFileName(), guide);
    // An ebook whose extension is in capitals opens.
    f.Drop({upper});
    f.Presented();
    EXPECT_EQ(form.mainZEBset->ZEBFileName(), upper);
    EXPECT_EQ(form.RecentFiles().Items(), (std::vector<std::string>{guide, upper}));
    ASSERT_EQ(form.RecentItems.size(), 2u);
    EXPECT_TRUE(form.RecentItems[0]->text().endsWith("SECONDA.ZEB"));

    // The recent-files menu opens its entry.
    form.RecentItems[1]->trigger();
    f.Presented();
    EXPECT_EQ(form.mainZEBset->ZEBFileName(), guide);

    // Menu hints go to the status bar's simple panel; an empty one brings the panels back.
    QStatusTipEvent tip("Apri");
    QApplication::sendEvent(&form, &tip);
    EXPECT_TRUE(form.StatusBar->SimplePanel());
    EXPECT_EQ(form.StatusBar->SimpleText(), "Apri");
    QStatusTipEvent none("");
    QApplication::sendEvent(&form, &none);
    EXPECT_FALSE(form.StatusBar->SimplePanel());

    form.move(40, 30);
    form.resize(700, 500);
    form.close();
  }
  f.form.reset();
  const std::string options = TSettings::Options;
  EXPECT_EQ(f.store.ReadValue(options, "LastFile"), guide);
  EXPECT_EQ(f.store.ReadValue(options, "Main_width"), "700");
  EXPECT_EQ(f.store.ReadValue(options, "Main_left"), "40");
  EXPECT_EQ(f.store.ReadValue(options, "skin"), "0");
  EXPECT_EQ(f.store.ReadValue(std::string(TSettings::Root) + "RecentFile\\", "0"), upper);
  EXPECT_EQ(f.store.ReadValue(std::string(TSettings::Root) + "RecentFile\\", "1"), guide);

  // The next start takes the last file and the stored placement.
  TMainForm& again = f.Make();
  again.Start();
  f.Presented();
  EXPECT_EQ(again.mainZEBset->ZEBFileName(), guide);
  EXPECT_EQ(again.size(), QSize(700, 500));
  EXPECT_EQ(again.pos(), QPoint(40, 30));
}

TEST(MainForm, ClickedLinksReachThePageAndTheShell) {
  FormFixture f;
  TMainForm& form = f.Make();
  f.Open(f.CopyGuide());
  TZEBbox* box = form.Editor->MainBox();
  ASSERT_NE(box, nullptr);
  const auto toSummary = LinkPoint(box, testoHtml);
  ASSERT_TRUE(toSummary);
  Click(box, *toSummary);
  Wait(20);
  EXPECT_EQ(f.Page(), 1);
  EXPECT_EQ(f.HistoryPages(), (std::vector<int>{0, 1}));
  EXPECT_TRUE(form.BPrecedente->isEnabled());
  EXPECT_TRUE(form.Editor->isEnabled());

  // A web address goes to the desktop, and the page stays.
  f.Visit(3);
  box = form.Editor->MainBox();
  const auto toWeb = LinkPoint(box, internetLink);
  ASSERT_TRUE(toWeb);
  Click(box, *toWeb);
  Wait(20);
  ASSERT_EQ(f.shell.opened.size(), 1u);
  EXPECT_EQ(f.shell.opened[0], "https://example.org");
  EXPECT_EQ(f.Page(), 3);
  EXPECT_TRUE(f.sink.messages.empty());

  // Page Down pressed outside the page still scrolls it.
  f.Visit(11);
  box = form.Editor->MainBox();
  ASSERT_EQ(box->Page()->ScrollY(), 0);
  QKeyEvent down(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);
  QApplication::sendEvent(form.HistoryCombo, &down);
  EXPECT_GT(box->Page()->ScrollY(), 0);
}

TEST(MainForm, RemarksAreKeptPerPageInTheRemarkFile) {
  FormFixture f;
  TMainForm& form = f.Make();
  f.Open(f.CopyGuide());
  form.AddShowremarks1->trigger();
  EXPECT_FALSE(form.RemarkMemo->isHidden());
  EXPECT_TRUE(form.AddShowremarks1->isChecked());
  form.RemarkMemo->setPlainText(QString::fromUtf8("prima riga\nl'altra \xC2\xA7 fine"));
  f.Visit(1);
  EXPECT_TRUE(form.RemarkMemo->toPlainText().isEmpty());
  const std::string file = f.dir.File("Guida_a_Lectra.rem");
  EXPECT_EQ(form.RemarkPath(), file);
  const std::string stored = ReadAll(file);
  EXPECT_NE(stored.find("[0]"), std::string::npos);
  EXPECT_NE(stored.find("remark=prima riga\xC2\xA7!l''altra \xC2\xA7\xC2\xA7 fine"), std::string::npos) << stored;
  f.Visit(0);
  EXPECT_EQ(form.RemarkMemo->toPlainText(), QString::fromUtf8("prima riga\nl'altra \xC2\xA7 fine"));

  // Hiding the panel keeps what was typed.
  form.RemarkMemo->setPlainText("nota");
  form.AddShowremarks1->trigger();
  EXPECT_TRUE(form.RemarkMemo->isHidden());
  EXPECT_EQ(TRemarkFile(file).Read(0), "nota");
}

TEST(MainForm, StartFollowsPageSwitchesAndShowRequests) {
  FormFixture f;
  const std::string guide = f.CopyGuide();
  TCommandLine cl = ParseCommandLine({guide, "/page=4"});
  TShowRequestServer requests;
  const QString name = "lectra-test-" + QString::number(QCoreApplication::applicationPid());
  ASSERT_TRUE(requests.Listen(name));
  TMainForm& form = f.Make(cl, &requests);
  form.Start();
  f.Presented();
  EXPECT_EQ(f.Page(), 4);
  EXPECT_TRUE(form.isVisible());

  // A second start hands "SHOW |6" over: page 6 of the open ebook.
  bool taken = false;
  std::thread client([&] { taken = SendShowRequest("show |6", name, 3000); });
  for (int i = 0; i < 200 && f.Page() != 6; ++i) Wait(10);
  client.join();
  EXPECT_TRUE(taken);
  EXPECT_EQ(f.Page(), 6);
}

TEST(MainForm, PresentationPlacesAndLocksTheWindow) {
  FormFixture f;
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  TZebWriter centred;
  centred.AddPage("Una", "<Z S0 >Pagina");
  centred.SetHeaderByte(hdr::WindowPresentation, 2);
  centred.Save(f.dir.File("centrato.zeb"));
  TMainForm& form = f.Make();
  // Larger than the screen: mode 2 puts it at the corner, never above or left of it.
  form.resize(screen.width() + 300, screen.height() + 200);
  f.Open(f.dir.File("centrato.zeb"));
  EXPECT_EQ(form.PresentationMode(), 2);
  EXPECT_EQ(form.frameGeometry().topLeft(), screen.topLeft());
  EXPECT_FALSE(form.Locked());
  // A smaller window is centred.
  form.resize(400, 300);
  form.ShowPageWithLayout(0);
  f.Presented();
  EXPECT_EQ(form.frameGeometry().center().x() / 10, screen.center().x() / 10);

  // Mode 10: maximised without menu and bars, and the resize command refuses.
  TZebWriter kiosk;
  kiosk.AddPage("Una", "<Z S0 >Pagina");
  kiosk.SetHeaderByte(hdr::FullScreen, 1);
  kiosk.Save(f.dir.File("chiosco.zeb"));
  f.Open(f.dir.File("chiosco.zeb"));
  EXPECT_EQ(form.PresentationMode(), 10);
  EXPECT_TRUE(form.Locked());
  EXPECT_TRUE(form.isMaximized());
  EXPECT_TRUE(form.menuBar()->isHidden());
  EXPECT_TRUE(form.ToolbarFile->isHidden());
  ASSERT_FALSE(form.ResizeItems.empty());
  EXPECT_FALSE(form.ResizeItems[0]->isChecked());
  form.ResizeItems[0]->trigger();
  ASSERT_FALSE(f.sink.messages.empty());
  EXPECT_EQ(f.sink.messages.back().second, "Questa funzione è stata disabilitata dall'autore.");
  EXPECT_TRUE(form.isMaximized());

  // Back to an ordinary ebook: the window is free again and the command works.
  f.Open(f.dir.File("centrato.zeb"));
  EXPECT_FALSE(form.Locked());
  EXPECT_FALSE(form.menuBar()->isHidden());
  EXPECT_TRUE(form.ResizeItems[0]->isChecked());
  form.ResizeItems[0]->trigger();
  Wait(10);
  EXPECT_TRUE(form.isMaximized());
}

}  // namespace

TEST(MainForm, SelectAllAndCopyInANestedFrameAndTheDumpText) {
  FormFixture f;
  TMainForm& form = f.Make();
  form.resize(800, 600);
  form.show();
  f.Open(f.CopyGuide());
  f.Visit(9);  // a frame map: the index column and the content frame
  Wait(20);
  TZEBbox* content = nullptr;
  for (TZEBbox* b : form.Editor->findChildren<TZEBbox*>())
    if (b->Text() && b->Text()->Name() == "Aprire un ebook") content = b;
  ASSERT_NE(content, nullptr);
  Click(content, QPoint(20, 20));
  form.Selezionatutto3Click();
  ASSERT_TRUE(content->HasSelection());
  form.EditCopy();
  const QMimeData* m = QApplication::clipboard()->mimeData();
  ASSERT_NE(m, nullptr);
  EXPECT_TRUE(m->text().startsWith(QString::fromUtf8("Aprire un ebook\r\nUn ebook è un unico file"))) << m->text().toStdString();
  EXPECT_TRUE(m->data("text/rtf").startsWith("{\\rtf1"));
  EXPECT_TRUE(m->hasHtml());
  // A "dump:" link clicked in that box hands over the same text in the ebook's code page.
  const std::string dump = form.ExportBoxText(content);
  EXPECT_EQ(QString::fromStdString(form.mainZEBset->CodePage().ToUtf8(dump)), m->text());
}

TEST(MainForm, PictureAndZoneMenusFollowLinksAndSavePictures) {
  FormFixture f;
  TMainForm& form = f.Make();
  form.resize(900, 700);
  form.show();
  f.Open(f.CopyGuide());
  f.Visit(14);  // pictures, a picture with two zones, tables
  Wait(30);
  TMyyImage* map = nullptr;
  for (TMyyImage* p : form.Editor->findChildren<TMyyImage*>())
    if (p->Zones().size() == 2) map = p;
  ASSERT_NE(map, nullptr);
  TMyyZona* zone = map->Zones()[0];
  ASSERT_NE(zone->Link(), nullptr);
  const QPoint at(zone->width() / 2, zone->height() / 2);
  QMouseEvent release(QEvent::MouseButtonRelease, QPointF(at), QPointF(zone->mapToGlobal(at)), Qt::RightButton,
                      Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(zone, &release);
  EXPECT_EQ(form.Editor->ActiveControl(), zone);
  ASSERT_TRUE(form.PopupZone->isVisible());
  form.PopupZone->hide();

  // "Salva come..." writes the picture under the zone, cancelled writes nothing.
  const std::string saved = f.dir.File("salvata.jpg");
  form.Saveas1Click();
  EXPECT_EQ(f.dialogs.lastSave.defaultExt, ".jpg");
  EXPECT_FALSE(std::filesystem::exists(saved));
  f.dialogs.savePath = saved;
  form.Saveas1Click();
  EXPECT_EQ(ReadAll(saved), ReadAll(std::string(LECTRA_SOURCE_DIR) + "/samples/pictures/foto.jpg"));

  // A picture without a link offers no link to follow; the zone's own link is followed.
  form.Editor->SetActiveControl(map);
  form.PopupMenuImmaginePopup();
  EXPECT_FALSE(form.Segui1->isEnabled());
  const int target = zone->Link()->Index();  // the zone goes with its page
  form.Editor->SetActiveControl(zone);
  form.SeguiCollZoneClick();
  Wait(30);
  EXPECT_EQ(form.Editor->MainPageNumber(), target);
}

TEST(MainFormPrint, PrintCommandsNeedAProfileAndPrintAllInOrder) {
  FormFixture fx;
  TMainForm& form = fx.Make();
  fx.Open(fx.CopyGuide());
  const std::string pdf = fx.dir.File("tutte.pdf");
  QAction* all = form.findChild<QAction*>("Stampatutte1");
  ASSERT_TRUE(all && all->isEnabled());
  EXPECT_TRUE(form.PrintButton->isEnabled());
  // No profile yet: the printer setup comes up instead of printing.
  bool setupShown = false;
  QTimer::singleShot(300, [&] {
    if (QWidget* w = QApplication::activeModalWidget()) {
      setupShown = true;
      w->close();
    }
  });
  all->trigger();
  EXPECT_TRUE(setupShown);
  EXPECT_FALSE(std::filesystem::exists(pdf));
  // A profile saved before any load sits under "PrnSettings_"; the first load finds it.
  form.PageSetup->SaveProfile();
  EXPECT_EQ(fx.store.ReadValue("\\Software\\Norv\\printerProfiles\\PrnSettings_\\", "PrnParsSaved"), "1");
  form.PageSetup->SetPdfOutput(pdf);
  form.Stampatutte1Click();
  EXPECT_EQ(form.PageSetup->ProfileName(), "PrinterSettings1");
  ASSERT_TRUE(std::filesystem::exists(pdf));
  QProcess info;
  info.start("pdfinfo", {QString::fromStdString(pdf)});
  info.waitForFinished();
  const std::string out = info.readAllStandardOutput().toStdString();
  const int sheets = std::atoi(out.c_str() + out.find("Pages:") + 6);
  EXPECT_GE(sheets, static_cast<int>(DefaultPrintOrder(*form.mainZEBset).size()));
  QProcess text;
  text.start("pdftotext", {"-f", "1", "-l", "1", QString::fromStdString(pdf), "-"});
  text.waitForFinished();
  EXPECT_NE(text.readAllStandardOutput().indexOf("Guida a Lectra"), -1);
}
