#include "printing/printform.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QSplitter>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>

#include "app/lang/oxlangs.h"
#include "document/zebobject.h"
#include "document/zebset.h"
#include "pageobjects/zebbox.h"
#include "pageobjects/zebframeset.h"
#include "pageobjects/zebpage.h"
#include "platform/settings.h"
#include "printing/pagesetup.h"
#include "printing/printjob.h"
#include "printing/zebboxp.h"

// ---------------------------------------------------------------- paper preview

TSheetPreview::TSheetPreview(QWidget* parent) : QWidget(parent) {
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  scroll_ = new QScrollArea(this);
  scroll_->setWidgetResizable(true);
  column_ = new QWidget;
  layout_ = new QVBoxLayout(column_);
  layout_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  scroll_->setWidget(column_);
  outer->addWidget(scroll_);
  setMinimumWidth(180);
}

void TSheetPreview::ShowPage(TZEBset* doc, int page, const TPageSetupDialog& setup, const TPrintOptions& options) {
  while (QLayoutItem* item = layout_->takeAt(0)) {
    delete item->widget();
    delete item;
  }
  sheets_ = 0;
  cuts_.clear();
  TZEBtesto* text = doc ? doc->Page(page) : nullptr;
  if (!text || setup.PageWidthPx() <= 0) return;
  const double scale = 160.0 / setup.PageWidthPx();
  TSheetImages sheets(QSize(setup.PageWidthPx(), setup.PageHeightPx()), scale);
  TZEBpageP job(setup, options);
  try {
    job.PrintPage(text, sheets);
  } catch (const TPrintError&) {
    // Past the preview's limit, or no room on the paper: what was drawn shows.
  }
  sheets.End();
  cuts_ = job.SheetTops();
  const QRectF area(job.MarginLeftPx() * scale, setup.MarginTop() * setup.FactorY() * scale, job.W() * scale,
                    job.H() * scale);
  for (const QImage& sheet : sheets.Images()) {
    QImage framed = sheet;
    QPainter p(&framed);
    p.setPen(QPen(QColor(160, 160, 160), 1, Qt::DotLine));
    p.drawRect(area);
    p.setPen(QPen(Qt::black, 1));
    p.drawRect(framed.rect().adjusted(0, 0, -1, -1));
    p.end();
    auto* label = new QLabel(column_);
    label->setPixmap(QPixmap::fromImage(framed));
    layout_->addWidget(label);
    auto* caption = new QLabel(Tr("Foglio %1").arg(++sheets_), column_);
    caption->setAlignment(Qt::AlignHCenter);
    layout_->addWidget(caption);
  }
}

// ---------------------------------------------------------------- dialog

namespace {
QPushButton* Button(const char* name, const QString& text, QWidget* parent, const QString& hint = {}) {
  auto* b = new QPushButton(text, parent);
  b->setObjectName(name);
  if (!hint.isEmpty()) b->setToolTip(hint);
  return b;
}

TInsiemeCornici* PreviewFrames(QWidget* parent, TZEBset* doc) {
  auto* f = new TInsiemeCornici(parent);
  f->SetReadOnly(true);
  f->SetAnimated(false);
  // Links followed in a preview stay in it and can be gone back from; media
  // do not play there.
  f->SetAutoJump(true);
  f->SetShowNested(false);
  f->SetActivePreview(false);
  f->SetNoFocus(true);
  f->setFocusPolicy(Qt::NoFocus);
  f->SetLinkedZEBset(doc);
  return f;
}
}  // namespace

TFprint::TFprint(TZEBset* doc, TPageSetupDialog* setup, ISettingsStore* store, int currentPage, TMode mode,
                 QWidget* parent)
    : QDialog(parent), doc_(doc), setup_(setup), currentPage_(currentPage), mode_(mode) {
  if (store) settings_ = std::make_unique<TSettings>(*store);
  setObjectName("Fprint");
  setWindowTitle("Stampa");
  PageControl = new QTabWidget(this);
  PageControl->setObjectName("PageControl");
  PageControl->addTab(BuildPagesTab(), "Stampa pagine");
  // The default order is edited by the authoring program: hidden here.
  PageControl->addTab(BuildOrderTab(), "Ordine predefinito");
  PageControl->setTabVisible(1, false);
  PageControl->addTab(BuildOptionsTab(), "Opzioni");
  ProgressBar = new QProgressBar(this);
  ProgressBar->hide();
  BOk = Button("BOk", "&Stampa", this);
  BAnnulla = Button("BAnnulla", "A&nnulla", this);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(ProgressBar, 1);
  bottom->addStretch();
  bottom->addWidget(BOk);
  bottom->addWidget(BAnnulla);
  auto* main = new QVBoxLayout(this);
  main->addWidget(PageControl);
  main->addLayout(bottom);
  auto* languager = new TOxLanguager(this);
  languager->SetLocalizationString(BuiltInTable("Fprint"));
  if (mode == mOptions) BOk->setText("&Ok");
  connect(BOk, &QPushButton::clicked, this, &TFprint::BOkClick);
  connect(BAnnulla, &QPushButton::clicked, this, &QDialog::reject);
  if (mode == mOptions) {
    PageControl->removeTab(0);
  }
  ReadSettings();
  if (mode == mPrint && doc_) Preview->SetMainPageNumber(currentPage_);
  resize(1000, 680);
  RestorePosition(parent);
  QTimer::singleShot(600, this, [this] {
    raise();
    activateWindow();
  });
}

TFprint::~TFprint() {
  for (TInsiemeCornici* f : {Preview, PreviewOrd})
    if (f) {
      f->SetClosing(true);
      f->SetLinkedZEBset(nullptr);
    }
}

QWidget* TFprint::BuildPagesTab() {
  auto* tab = new QWidget;
  tab->setObjectName("TSpagine");
  PagScelte = new QTreeWidget(tab);
  PagScelte->setObjectName("PagScelte");
  PagScelte->setHeaderLabels({"Nome"});
  PagScelte->setRootIsDecorated(false);
  PagScelte->setSelectionMode(QAbstractItemView::ExtendedSelection);
  PagScelte->installEventFilter(this);
  Btutte = Button("Btutte", "Tutte, in ordine predefinito", tab);
  BCorrente = Button("BCorrente", "Corrente", tab);
  BAggiungiPagina = Button("BAggiungiPagina", "Aggiungi pagina a destra", tab);
  Bup = Button("Bup", "Sposta prima", tab);
  Bdown = Button("Bdown", "Sposta dopo", tab);
  Bdelpage = Button("Bdelpage", "Cestina selezionata", tab);
  CBsegna = new QCheckBox("Aggiungi in lista tutte le pagine toccate navigando", tab);
  CBsegna->setObjectName("CBsegna");
  CBsegna->setChecked(true);
  CBprev = new QCheckBox("preview al clic sulla lista", tab);
  CBprev->setObjectName("CBprev");
  auto* left = new QVBoxLayout;
  left->addWidget(PagScelte, 1);
  for (QWidget* w : std::initializer_list<QWidget*>{Btutte, BCorrente, BAggiungiPagina, Bup, Bdown, Bdelpage, CBsegna,
                                                    CBprev})
    left->addWidget(w);

  Preview = PreviewFrames(tab, doc_);
  Preview->setMinimumSize(320, 300);
  BIndietro = Button("BIndietro", "Indietro", tab);
  BCover = Button("BCover", "Copertina", tab);
  BSummary = Button("BSummary", "Sommario", tab);
  BCurPag = Button("BCurPag", "", tab, "Pagina corrente");
  BCurPag->setFixedWidth(28);
  auto* nav = new QHBoxLayout;
  for (QWidget* w : {BIndietro, BCover, BSummary, BCurPag}) nav->addWidget(w);
  nav->addStretch();
  auto* middle = new QVBoxLayout;
  middle->addLayout(nav);
  middle->addWidget(Preview, 1);
  PaperPreview = new TSheetPreview(tab);

  auto* row = new QHBoxLayout(tab);
  row->addLayout(left, 2);
  row->addLayout(middle, 4);
  row->addWidget(PaperPreview, 2);

  connect(Btutte, &QPushButton::clicked, this, &TFprint::BtutteClick);
  connect(BCorrente, &QPushButton::clicked, this, &TFprint::BCorrenteClick);
  connect(BAggiungiPagina, &QPushButton::clicked, this, &TFprint::BAggiungiPaginaClick);
  connect(Bup, &QPushButton::clicked, this, &TFprint::BupClick);
  connect(Bdown, &QPushButton::clicked, this, &TFprint::BdownClick);
  connect(Bdelpage, &QPushButton::clicked, this, &TFprint::BdelpageClick);
  connect(BIndietro, &QPushButton::clicked, this, [this] { Preview->GoBack(); });
  connect(BCover, &QPushButton::clicked, this, [this] { Preview->GoToCover(); });
  connect(BSummary, &QPushButton::clicked, this, [this] { Preview->GoToSummary(); });
  connect(BCurPag, &QPushButton::clicked, this, [this] { Preview->SetMainPageNumber(currentPage_); });
  connect(PagScelte, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) { ShowInPreview(item); });
  Preview->OnPageChanged = [this](QObject*) {
    AttachPreviewMenu();
    PreviewChanged();
  };
  PreviewMenu = new QMenu(this);
  NextSlideItem = PreviewMenu->addAction("Prossima slide...");
  NextSlideItem->setObjectName("Prossimaslide1");
  connect(NextSlideItem, &QAction::triggered, this, &TFprint::NextSlideClick);
  // Right-clicks on the pages open it through their text boxes; elsewhere through the frame set.
  Preview->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(Preview, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { PreviewMenu->popup(Preview->mapToGlobal(at)); });
  Preview->OnDoLink = [this](QObject*, QObject*, TZEBoggetto* target) {
    if (!target || target->Kind() != testoHtml || !target->IsStored()) return;
    Preview->SetMainPageNumber(target->Index());
    if (CBsegna->isChecked()) AddPage(target->Index());
  };
  return tab;
}

QWidget* TFprint::BuildOrderTab() {
  auto* tab = new QWidget;
  tab->setObjectName("TSordine");
  PreviewOrd = PreviewFrames(tab, doc_);
  CBprevOrd = new QCheckBox("preview al clic sulla lista", tab);
  CBprevOrd->setObjectName("CBprevOrd");
  auto* col = new QVBoxLayout(tab);
  col->addWidget(PreviewOrd, 1);
  col->addWidget(CBprevOrd);
  return tab;
}

void TFprint::AttachPreviewMenu() {
  for (TZEBpage* page : Preview->CollectPages())
    if (TZEBbox* box = page ? page->Box() : nullptr) box->SetPopupMenu(PreviewMenu);
}

void TFprint::NextSlideClick() {
  TZEBtesto* page = doc_ ? doc_->Page(PreviewPage()) : nullptr;
  TZEBtesto* next = page ? page->NextPage() : nullptr;
  if (next && next != page && next->IsStored()) Preview->SetMainPageNumber(next->Index());
}

// Where the reader left the dialog last time, when that is still on a screen.
void TFprint::RestorePosition(QWidget* parent) {
  bool okLeft = false, okTop = false;
  const int x = settings_ ? QString::fromStdString(settings_->ReadSub("forms", "Fprint.Left")).toInt(&okLeft) : 0;
  const int y = settings_ ? QString::fromStdString(settings_->ReadSub("forms", "Fprint.Top")).toInt(&okTop) : 0;
  if (okLeft && okTop && QGuiApplication::screenAt(QPoint(x + 40, y + 20))) {
    move(x, y);
  } else if (parent) {
    const QRect g = parent->window()->frameGeometry();
    move(g.x() + std::max(0, (g.width() - width()) / 2), g.y() + std::max(0, (g.height() - height()) / 2));
  }
}

QWidget* TFprint::BuildOptionsTab() {
  auto* tab = new QWidget;
  tab->setObjectName("TSopzioni");
  CBsfondo = new QCheckBox("sfondo", tab);
  CBsfondo->setObjectName("CBsfondo");
  CBsfondoTab = new QCheckBox("sfondo tabelle", tab);
  CBsfondoTab->setObjectName("CBsfondoTab");
  Escale = new QSpinBox(tab);
  Escale->setObjectName("Escale");
  Escale->setRange(20, 20000);
  Escale->setValue(2500);
  CBprintcolorasblack = new QCheckBox("for texts, print color as black", tab);
  CBprintcolorasblack->setObjectName("CBprintcolorasblack");
  CBallinone = new QCheckBox("all pages at once (one print job)", tab);
  CBallinone->setObjectName("CBallinone");
  auto* scale = new QHBoxLayout;
  auto* scaleLabel = new QLabel("Scala immagini:", tab);
  scaleLabel->setObjectName("LabelScale");
  scale->addWidget(scaleLabel);
  scale->addWidget(Escale);
  scale->addStretch();
  auto* col = new QVBoxLayout(tab);
  col->addWidget(CBsfondo);
  col->addWidget(CBsfondoTab);
  col->addLayout(scale);
  col->addWidget(CBprintcolorasblack);
  col->addWidget(CBallinone);
  col->addStretch();
  for (QCheckBox* c : {CBsfondo, CBsfondoTab, CBprintcolorasblack})
    connect(c, &QCheckBox::toggled, this, [this] { PreviewChanged(); });
  connect(Escale, &QSpinBox::valueChanged, this, [this] { PreviewChanged(); });
  return tab;
}

void TFprint::ReadSettings() {
  if (!settings_) return;
  const TPrintOptions o = ReadPrintOptions(*settings_);
  CBprintcolorasblack->setChecked(o.black);
  CBallinone->setChecked(settings_->ReadOption("allinone") == "1");
  CBsfondo->setChecked(o.backgrounds);
  CBsfondoTab->setChecked(o.tableBackgrounds);
  Escale->setValue(o.scale);
  CBprev->setChecked(settings_->ReadOption("clicprintprev") != "0");
  CBprevOrd->setChecked(settings_->ReadOption("anteprintprev") != "0");
}

void TFprint::SaveSettings() {
  if (!settings_) return;
  settings_->WriteOption("clicprintprev", CBprev->isChecked() ? "1" : "0");
  settings_->WriteOption("anteprintprev", CBprevOrd->isChecked() ? "1" : "0");
  settings_->WriteOption("printasblack", CBprintcolorasblack->isChecked() ? "1" : "0");
  settings_->WriteOption("allinone", CBallinone->isChecked() ? "1" : "0");
  settings_->WriteSubNum("forms", "Fprint.Left", x());
  settings_->WriteSubNum("forms", "Fprint.Top", y());
}

TPrintOptions TFprint::Options() const {
  TPrintOptions o;
  o.black = CBprintcolorasblack->isChecked();
  o.backgrounds = CBsfondo->isChecked();
  o.tableBackgrounds = CBsfondoTab->isChecked();
  o.scale = Escale->value();
  return o;
}

int TFprint::PreviewPage() const { return Preview ? Preview->MainPageNumber() : -1; }

void TFprint::PreviewChanged() {
  if (PaperPreview && doc_ && setup_ && mode_ == mPrint) {
    setup_->Recompute();
    PaperPreview->ShowPage(doc_, PreviewPage(), *setup_, Options());
  }
}

// ---------------------------------------------------------------- the list

bool TFprint::AddPage(int index) {
  TZEBtesto* page = doc_ && index >= 0 ? doc_->Page(index) : nullptr;
  if (!page || page->IsDeleted()) return false;
  const std::vector<int> listed = ListedPages();
  if (std::find(listed.begin(), listed.end(), index) != listed.end()) return false;
  auto* item = new QTreeWidgetItem(PagScelte, {QString::fromStdString(doc_->CodePage().ToUtf8(page->Name()))});
  item->setData(0, Qt::UserRole, index);
  return true;
}

std::vector<int> TFprint::ListedPages() const {
  std::vector<int> out;
  for (int i = 0; i < PagScelte->topLevelItemCount(); ++i)
    out.push_back(PagScelte->topLevelItem(i)->data(0, Qt::UserRole).toInt());
  return out;
}

void TFprint::BtutteClick() {
  PagScelte->clear();
  if (doc_)
    for (int p : DefaultPrintOrder(*doc_)) AddPage(p);
}

void TFprint::BCorrenteClick() { AddPage(currentPage_); }
void TFprint::BAggiungiPaginaClick() { AddPage(PreviewPage()); }
void TFprint::BupClick() { MoveSelected(-1); }
void TFprint::BdownClick() { MoveSelected(1); }

void TFprint::MoveSelected(int step) {
  QTreeWidgetItem* item = PagScelte->currentItem();
  if (!item) return;
  const int at = PagScelte->indexOfTopLevelItem(item), to = at + step;
  if (to < 0 || to >= PagScelte->topLevelItemCount()) return;
  PagScelte->takeTopLevelItem(at);
  PagScelte->insertTopLevelItem(to, item);
  PagScelte->clearSelection();
  PagScelte->setCurrentItem(item);
  item->setSelected(true);
}

void TFprint::BdelpageClick() {
  for (QTreeWidgetItem* item : PagScelte->selectedItems()) delete item;
}

void TFprint::ShowInPreview(QTreeWidgetItem* item) {
  if (item && CBprev->isChecked()) Preview->SetMainPageNumber(item->data(0, Qt::UserRole).toInt());
}

bool TFprint::eventFilter(QObject* watched, QEvent* e) {
  if (watched == PagScelte && e->type() == QEvent::KeyRelease) {
    if (static_cast<QKeyEvent*>(e)->key() == Qt::Key_Delete)
      BdelpageClick();
    else
      ShowInPreview(PagScelte->currentItem());
  }
  return QDialog::eventFilter(watched, e);
}

// ---------------------------------------------------------------- printing

void TFprint::BOkClick() {
  if (mode_ == mOptions) {
    if (settings_) {
      settings_->WriteOption("printsf", CBsfondo->isChecked() ? "1" : "0");
      settings_->WriteOption("printsft", CBsfondoTab->isChecked() ? "1" : "0");
      settings_->WriteOptionNum("printscale", Escale->value());
    }
    accept();
    return;
  }
  if (!doc_) return;
  if (!setup_) {
    doc_->Say(TMsgKind::Error, "pagesetupdialog=NIL");
    return;
  }
  BOk->setEnabled(false);
  if (PagScelte->topLevelItemCount() == 0) AddPage(PreviewPage());
  ProgressBar->setValue(0);
  ProgressBar->show();
  TPrintRequest request;
  request.pages = ListedPages();
  request.options = Options();
  request.allInOne = CBallinone->isChecked();
  request.progress = [this](int done, int total) {
    ProgressBar->setMaximum(total);
    ProgressBar->setValue(done);
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  };
  QApplication::setOverrideCursor(Qt::WaitCursor);
  bool unreachable = false;
  lastError_ = PrintPages(*doc_, *setup_, request, &unreachable);
  QApplication::restoreOverrideCursor();
  if (!lastError_.empty()) doc_->Say(TMsgKind::Error, PrintFailureText(lastError_, unreachable));
  ProgressBar->hide();
  BOk->setEnabled(true);
}

void TFprint::done(int r) {
  SaveSettings();
  QDialog::done(r);
}
