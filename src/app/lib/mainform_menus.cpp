// The main window's menus, toolbars and page popup menu.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QCursor>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QToolBar>

#include "app/lib/mainform.h"
#include "pageobjects/boxclip.h"
#include "pageobjects/zebbox.h"
#include "pageobjects/zebpage.h"

QAction* TMainForm::AddItem(QMenu* menu, const QString& caption, const char* name, const QKeySequence& key) {
  auto* a = new QAction(caption, this);
  a->setObjectName(name);
  if (!key.isEmpty()) a->setShortcut(key);
  menu->addAction(a);
  return a;
}

namespace {

enum class TIcon { Back, Forward, Open, Print, Cover, Summary, Search, Frames };

// The toolbar pictures, drawn so that they look the same on every desktop.
QIcon DrawIcon(TIcon kind) {
  QPixmap pm(48, 48);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(2, 2);
  const QColor ink(0x1F, 0x3A, 0x7A), paper(0xFF, 0xFD, 0xF5);
  p.setPen(QPen(ink, 1.5));
  switch (kind) {
    case TIcon::Back:
    case TIcon::Forward: {
      p.setBrush(QColor(0x2E, 0x7D, 0x32));
      p.setPen(Qt::NoPen);
      p.drawEllipse(QRectF(2, 2, 20, 20));
      p.setBrush(Qt::white);
      // Drawn pointing left, mirrored for forward.
      const qreal m = kind == TIcon::Back ? 1 : -1, o = kind == TIcon::Back ? 0 : 24;
      const QPointF arrow[] = {{o + m * 6, 12},  {o + m * 12, 6},  {o + m * 12, 9}, {o + m * 18, 9},
                               {o + m * 18, 15}, {o + m * 12, 15}, {o + m * 12, 18}};
      p.drawPolygon(arrow, 7);
      break;
    }
    case TIcon::Open:
      p.setBrush(QColor(0xE8, 0xB0, 0x4A));
      p.drawPolygon(QPolygonF({{2, 6}, {9, 6}, {11, 8}, {20, 8}, {20, 19}, {2, 19}}));
      p.setBrush(QColor(0xF6, 0xCF, 0x7A));
      p.drawPolygon(QPolygonF({{5, 11}, {23, 11}, {20, 19}, {2, 19}}));
      break;
    case TIcon::Print:
      p.setBrush(paper);
      p.drawRect(QRectF(7, 3, 10, 7));
      p.setBrush(QColor(0x90, 0x9A, 0xA8));
      p.drawRoundedRect(QRectF(3, 9, 18, 8), 2, 2);
      p.setBrush(paper);
      p.drawRect(QRectF(7, 14, 10, 7));
      break;
    case TIcon::Cover:
      p.setBrush(QColor(0x8E, 0x24, 0x24));
      p.drawRoundedRect(QRectF(5, 2, 14, 20), 1.5, 1.5);
      p.setPen(QPen(QColor(0xF2, 0xD4, 0x7A), 1.5));
      p.drawLine(QPointF(8, 7), QPointF(16, 7));
      p.drawLine(QPointF(8, 10), QPointF(14, 10));
      break;
    case TIcon::Summary:
      p.setBrush(paper);
      p.drawRect(QRectF(4, 2, 16, 20));
      for (int i = 0; i < 4; ++i) {
        p.drawPoint(QPointF(7.5, 7 + i * 4));
        p.drawLine(QPointF(10, 7 + i * 4), QPointF(17, 7 + i * 4));
      }
      break;
    case TIcon::Search:
      p.setBrush(QColor(0xD6, 0xE8, 0xF8));
      p.drawEllipse(QRectF(3, 3, 12, 12));
      p.setPen(QPen(ink, 3, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(QPointF(14, 14), QPointF(20, 20));
      break;
    case TIcon::Frames:
      p.setBrush(paper);
      p.drawRect(QRectF(2, 4, 20, 16));
      p.drawLine(QPointF(9, 4), QPointF(9, 20));
      p.drawLine(QPointF(9, 11), QPointF(22, 11));
      break;
  }
  return QIcon(pm);
}

QAction* Button(QToolBar* bar, TIcon icon, const char* name, const QString& hint) {
  QAction* a = bar->addAction(DrawIcon(icon), hint);
  a->setObjectName(name);
  a->setToolTip(hint);
  a->setStatusTip(hint);
  return a;
}

}  // namespace

void TMainForm::BuildToolbars() {
  ToolbarFile = addToolBar("Principale");
  ToolbarFile->setObjectName("ToolbarFile");
  BPrecedente = Button(ToolbarFile, TIcon::Back, "BPrecedente", "Precedente");
  Bseguente = Button(ToolbarFile, TIcon::Forward, "Bseguente", "Seguente");
  BPrecedente->setEnabled(false);
  Bseguente->setEnabled(false);
  ToolbarFile->addSeparator();
  BFileOpen = Button(ToolbarFile, TIcon::Open, "BFileOpen", "Apri");
  PrintButton = Button(ToolbarFile, TIcon::Print, "PrintButton", "Stampa");
  ToolbarFile->addSeparator();
  CoverButton = Button(ToolbarFile, TIcon::Cover, "CoverButton", "Copertina");
  SummaryButton = Button(ToolbarFile, TIcon::Summary, "SummaryButton", "Sommario");
  CercaKeyButton = Button(ToolbarFile, TIcon::Search, "CercaKeyButton", "Cerca");
  NestedButton = Button(ToolbarFile, TIcon::Frames, "NestedButton", "Mostra cornici");
  NestedButton->setCheckable(true);
  NestedButton->setChecked(true);
  // Printing and searching come with their dialogs.
  PrintButton->setEnabled(false);
  CercaKeyButton->setEnabled(false);
  DisabledCommands.insert(DisabledCommands.end(), {PrintButton, CercaKeyButton});
  connect(BPrecedente, &QAction::triggered, this, &TMainForm::BPrecedenteClick);
  connect(Bseguente, &QAction::triggered, this, &TMainForm::BseguenteClick);
  connect(BFileOpen, &QAction::triggered, this, &TMainForm::FileOpen);
  connect(CoverButton, &QAction::triggered, this, &TMainForm::CoverButtonClick);
  connect(SummaryButton, &QAction::triggered, this, &TMainForm::SummaryButtonClick);
  connect(NestedButton, &QAction::triggered, this, &TMainForm::NestedButtonClick);

  ToolbarHistory = addToolBar("Pagine visitate");
  ToolbarHistory->setObjectName("ToolbarHistory");
  HistoryCombo = new QComboBox(ToolbarHistory);
  HistoryCombo->setObjectName("HistoryCombo");
  HistoryCombo->setEditable(true);
  HistoryCombo->setInsertPolicy(QComboBox::NoInsert);
  HistoryCombo->setMinimumContentsLength(40);
  HistoryCombo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  HistoryCombo->setToolTip("URL");
  HistoryCombo->setStatusTip("URL");
  ToolbarHistory->addWidget(HistoryCombo);
  connect(HistoryCombo, &QComboBox::activated, this, &TMainForm::HistoryComboClick);
}

void TMainForm::BuildFileMenu() {
  QMenu* file = MenuFile = menuBar()->addMenu("&File");
  file->setObjectName("File1");
  Apri1 = AddItem(file, "&Apri...", "Apri1", QKeySequence(Qt::CTRL | Qt::Key_F12));
  AutomaticUpdate1 = AddItem(file, "Aggiornamento a&utomatico...", "AutomaticUpdate1");
  SemiAutomaticUpdate1 = AddItem(file, "Aggiornamento &semi-automatico...", "SemiAutomaticUpdate1");
  AutomaticUpdate1->setVisible(false);
  SemiAutomaticUpdate1->setVisible(false);
  file->addSeparator();
  // Printing comes with the print dialog.
  for (QAction* a : {AddItem(file, "I&mposta stampante...", "Impostastampante1"),
                     AddItem(file, "Imposta mar&gini...", "Impostamargini1"), AddItem(file, "Stam&pa...", "Stampa1"),
                     AddItem(file, "Stampa &corrente", "Stampacorrente1"), AddItem(file, "Stampa tutte", "Stampatutte1"),
                     AddItem(file, "Opzioni di stampa...", "Printoptions1")})
    DisabledCommands.push_back(a);
  file->addSeparator();
  Esci1 = AddItem(file, "&Esci", "Esci1", QKeySequence(Qt::ALT | Qt::Key_X));
  RecentSeparator = file->addSeparator();
  connect(Apri1, &QAction::triggered, this, &TMainForm::FileOpen);
  connect(Esci1, &QAction::triggered, this, &TMainForm::exit1Click);
}

void TMainForm::BuildMenus() {
  BuildFileMenu();
  QMenuBar* bar = menuBar();
  QMenu* copy = bar->addMenu("C&opia");
  copy->setObjectName("Copiamenu1");
  Copia1 = AddItem(copy, "&Copia", "Copia1", QKeySequence(Qt::CTRL | Qt::Key_Insert));
  Selezionatutto1 = AddItem(copy, "&Seleziona tutto", "Selezionatutto1", QKeySequence(Qt::CTRL | Qt::Key_F2));
  connect(Copia1, &QAction::triggered, this, &TMainForm::EditCopy);
  connect(Selezionatutto1, &QAction::triggered, this, &TMainForm::Selezionatutto3Click);

  QMenu* search = bar->addMenu("&Cerca");
  search->setObjectName("Cerca1");
  QAction* find[] = {AddItem(search, "&Cerca...", "Cercasostituisci1", QKeySequence(Qt::CTRL | Qt::Key_F)),
                     AddItem(search, "&Ripeti ultima ricerca nella pagina", "Ripetiultimaricerca1", Qt::Key_F3),
                     AddItem(search, "Search again in the ebook...", "Ripetinellipertesto1", Qt::Key_F4),
                     AddItem(search, "Cerca per parola c&hiave...", "Cercaperparolachiave1",
                             QKeySequence(Qt::CTRL | Qt::Key_F3)),
                     AddItem(search, "Cerca con &operatori...", "Cercaconoperatori1")};

  QMenu* ebook = bar->addMenu("&Ebook");
  ebook->setObjectName("Ebook1");
  Copertina1 = AddItem(ebook, "&Copertina", "Copertina1");
  Sommario1 = AddItem(ebook, "&Sommario", "Sommario1");
  SeeTree1 = AddItem(ebook, "Vedi &TOC", "SeeTree1");
  AddShowremarks1 = AddItem(ebook, "Aggiungi/Mostra c&ommenti", "AddShowremarks1");
  AddShowremarks1->setCheckable(true);
  Naumenta = AddItem(ebook, "Zoom &+", "Naumenta");
  Ndiminuisci = AddItem(ebook, "Zoom &-", "Ndiminuisci");
  Paginaprecedente1 = AddItem(ebook, "P&agina precedente", "Paginaprecedente1");
  Paginaseguente1 = AddItem(ebook, "Pagi&na seguente", "Paginaseguente1");
  Paginaprecedente1->setEnabled(false);
  Paginaseguente1->setEnabled(false);
  connect(Copertina1, &QAction::triggered, this, &TMainForm::CoverButtonClick);
  connect(Sommario1, &QAction::triggered, this, &TMainForm::SummaryButtonClick);
  connect(AddShowremarks1, &QAction::triggered, this, &TMainForm::AddShowremarks1Click);
  connect(Naumenta, &QAction::triggered, this, &TMainForm::NaumentaClick);
  connect(Ndiminuisci, &QAction::triggered, this, &TMainForm::NdiminuisciClick);
  connect(Paginaprecedente1, &QAction::triggered, this, &TMainForm::BPrecedenteClick);
  connect(Paginaseguente1, &QAction::triggered, this, &TMainForm::BseguenteClick);

  QMenu* help = bar->addMenu("&?");
  help->setObjectName("Help1");
  Informazioni1 = AddItem(help, "&Informazioni...", "Informazioni1");
  Datiutente1 = AddItem(help, "&Dati utente...", "Datiutente1");
  connect(Informazioni1, &QAction::triggered, this, &TMainForm::helpAbout);
  QMenu* maker = bar->addMenu("&Norvane");
  maker->setObjectName("Norvane3");
  Norvane2 = AddItem(maker, "?", "Norvane2");
  connect(Norvane2, &QAction::triggered, this, &TMainForm::helpAbout);

  // Search, the contents tree, updates and user data come with their dialogs.
  for (QAction* a : find) DisabledCommands.push_back(a);
  DisabledCommands.insert(DisabledCommands.end(), {SeeTree1, AutomaticUpdate1, SemiAutomaticUpdate1, Datiutente1});
  for (QAction* a : DisabledCommands) a->setEnabled(false);
  UpdateRecentMenu();
}

void TMainForm::BuildPopupMenu() {
  PopupMenuTesto = new QMenu(this);
  PopupMenuTesto->setObjectName("PopupMenuTesto");
  QMenu* m = PopupMenuTesto;
  connect(AddItem(m, "&Copia", "Copia2"), &QAction::triggered, this, &TMainForm::EditCopy);
  connect(AddItem(m, "&Seleziona tutto", "Selezionatutto3"), &QAction::triggered, this,
          &TMainForm::Selezionatutto3Click);
  connect(AddItem(m, "&Seleziona brano in casella", "Selezionabrano1"), &QAction::triggered, this,
          &TMainForm::Selezionabrano1Click);
  connect(AddItem(m, "Copia s&fondo in cartella appunti", "CopiaSfondoincartellaappunti"), &QAction::triggered, this,
          &TMainForm::CopiaSfondoincartellaappuntiClick);
  connect(AddItem(m, "Se&gui collegamento", "Seguicollegamento1"), &QAction::triggered, this,
          &TMainForm::Seguicollegamento1Click);
  m->addSeparator();
  QAction* resize = AddItem(m, "&Ridimensiona", "Resize1");
  resize->setCheckable(true);
  resize->setChecked(true);
  ResizeItems.push_back(resize);
  connect(resize, &QAction::triggered, this, &TMainForm::Resize1Click);
  QAction* print = AddItem(m, "Stam&pa...", "Stampa2");
  QAction* options = AddItem(m, "Opzioni di stampa...", "Printoptions2");
  QAction* user = AddItem(m, "&Dati utente...", "Userdata2");
  m->addSeparator();
  connect(AddItem(m, "&Info...", "Info1"), &QAction::triggered, this, &TMainForm::helpAbout);
  connect(AddItem(m, "&Norvane", "Norvane1"), &QAction::triggered, this, &TMainForm::helpAbout);
  connect(AddItem(m, "&Esci", "exit1"), &QAction::triggered, this, &TMainForm::exit1Click);
  for (QAction* a : {print, options, user}) {
    a->setEnabled(false);
    DisabledCommands.push_back(a);
  }
  // The box the menu was opened on: the follow and select commands act on it.
  connect(PopupMenuTesto, &QMenu::aboutToShow, this, [this] {
    popupBox_ = BoxOf(QApplication::widgetAt(QCursor::pos()));
    if (!popupBox_) popupBox_ = Editor->FocusedBox();
  });
}

void TMainForm::AttachPopups() {
  for (TZEBpage* page : Editor->CollectPages())
    if (TZEBbox* box = page ? page->Box() : nullptr) box->SetPopupMenu(PopupMenuTesto);
}

void TMainForm::SetResizeChecks(bool normal) {
  for (QAction* a : ResizeItems) a->setChecked(normal);
}

void TMainForm::UpdateRecentMenu() {
  for (QAction* a : RecentItems) delete a;
  RecentItems.clear();
  QMenu* menu = MenuFile;
  const auto& items = recent_.Items();
  int n = 1;
  // Newest first, as the desktop lists recent documents.
  for (auto it = items.rbegin(); it != items.rend() && menu; ++it, ++n) {
    const std::string path = *it;
    auto* a = new QAction("&" + QString::number(n) + " " + QFile::decodeName(QByteArray::fromStdString(path)), this);
    a->setObjectName("RecentFile" + QString::number(n));
    connect(a, &QAction::triggered, this, [this, path] { OpenEbookFile(path); });
    menu->addAction(a);
    RecentItems.push_back(a);
  }
  RecentSeparator->setVisible(!items.empty());
}

void TMainForm::ApplyReaderMode() {
  Editor->SetReadOnly(true);
  StatusBar->SetSimplePanel(true);
  StatusBar->SetSimpleText({});
  StatusBar->Panel(0)->clear();
  StatusBar->Panel(1)->setFixedWidth(30);
}
