// The search dialog: its controls, persistent options and field histories.
#include "search/fcerca.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QAbstractItemView>
#include <QVBoxLayout>

#include "app/lang/oxlangs.h"
#include "docviews/zeblistview.h"
#include "document/objectlist.h"
#include "document/zebset.h"
#include "platform/settings.h"

namespace {

constexpr const char* kPageButtonCaption = "&Cerca nella pagina  F3";
constexpr const char* kLabelEbook = "In the Ebook  F4";

QLabel* NewLabel(QWidget* parent, const char* name, const QString& caption) {
  auto* l = new QLabel(caption, parent);
  l->setObjectName(name);
  return l;
}

QPushButton* NewButton(QWidget* parent, const char* name, const QString& caption) {
  auto* b = new QPushButton(caption, parent);
  b->setObjectName(name);
  b->setAutoDefault(false);
  return b;
}

TZEBListView* NewList(QWidget* parent, const char* name, int kind) {
  auto* l = new TZEBListView(parent);
  l->setObjectName(name);
  l->Objects = kind;
  l->header()->setSectionResizeMode(0, QHeaderView::Stretch);
  l->header()->setStretchLastSection(false);
  for (int c = 1; c < 5; ++c) l->setColumnHidden(c, c != 3);  // title and page number
  return l;
}

}  // namespace

TFcerca::TFcerca(TFcercaHost host, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::Tool), host_(std::move(host)), cache_(*host_.document) {
  setObjectName("Fcerca");
  setWindowTitle("Cerca:");
  auto* layout = new QVBoxLayout(this);
  PanelTit = new QWidget(this);
  PanelTit->setObjectName("PanelTit");
  auto* tit = new QHBoxLayout(PanelTit);
  tit->setContentsMargins(0, 0, 0, 0);
  LabelTit = new QLabel(PanelTit);
  LabelTit->setObjectName("LabelTit");
  LabelTit->setTextFormat(Qt::PlainText);
  tit->addWidget(LabelTit);
  layout->addWidget(PanelTit);
  PageControl1 = new QTabWidget(this);
  PageControl1->setObjectName("PageControl1");
  TSkey = BuildKeywordTab();
  TSparola = BuildWordTab();
  PageControl1->addTab(TSkey, "Pagina per parola chiave");
  PageControl1->addTab(TSparola, "Parola");
  layout->addWidget(PageControl1);
  auto* languager = new TOxLanguager(this);
  languager->SetLocalizationString(BuiltInTable("Fcerca"));

  // F3 and F4 are the main window's commands, which reach a tool window of it too.
  scanTimer_.setInterval(0);
  connect(&scanTimer_, &QTimer::timeout, this, &TFcerca::ScanSlice);
  for (QComboBox* c : {Edit2, Edit3, Edit5, Edit6}) ReadHistory(c);
  resize(640, 560);
  const std::string left = host_.settings ? host_.settings->ReadSub("forms", "Fcerca.Left") : std::string();
  const std::string top = host_.settings ? host_.settings->ReadSub("forms", "Fcerca.Top") : std::string();
  bool okLeft = false, okTop = false;
  const int x = QString::fromStdString(left).toInt(&okLeft), y = QString::fromStdString(top).toInt(&okTop);
  if (okLeft && okTop) move(x, y);  // where the reader left it last time
  else if (parent) move(parent->geometry().right() - width() + 40, parent->geometry().top() + 60);
}

TFcerca::~TFcerca() = default;

QWidget* TFcerca::BuildKeywordTab() {
  auto* tab = new QWidget(this);
  tab->setObjectName("TSkey");
  auto* l = new QVBoxLayout(tab);
  l->addWidget(NewLabel(tab, "Label1", "Parola chiave:"));
  Edit1 = new QLineEdit(tab);
  Edit1->setObjectName("Edit1");
  l->addWidget(Edit1);
  ZEBListViewKW = NewList(tab, "ZEBListViewKW", keyword);
  ZEBListViewKW->setColumnHidden(3, true);
  l->addWidget(ZEBListViewKW, 1);
  Label3 = new QLabel("Pagine", tab);
  Label3->setObjectName("Label3");
  Label3->setTextFormat(Qt::PlainText);
  l->addWidget(Label3);
  ZEBListViewPag = NewList(tab, "ZEBListViewPag", testoHtml);
  l->addWidget(ZEBListViewPag, 1);
  ZEBListViewKW->SetLinkedZEBset(host_.document);
  ZEBListViewPag->SetLinkedZEBset(host_.document);
  ZEBListViewPag->OnFilter = [this](TZEBoggetto& o, bool& accept) {
    accept = accept && PageHasKeyword(o, selectedKeyword_);
  };
  connect(Edit1, &QLineEdit::returnPressed, this, &TFcerca::KeywordLookup);
  connect(Edit1, &QLineEdit::textEdited, this, &TFcerca::EchoTitle);
  ZEBListViewKW->OnChoose = [this] { KeywordChosen(); };
  ZEBListViewPag->OnChoose = [this] { PageChosen(ZEBListViewPag); };
  return tab;
}

QComboBox* TFcerca::NewHistoryCombo(const char* name) {
  auto* c = new QComboBox(this);
  c->setObjectName(name);
  c->setEditable(true);
  c->setInsertPolicy(QComboBox::NoInsert);
  c->setMinimumContentsLength(16);
  c->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  return c;
}

QWidget* TFcerca::BuildOperatorPanel() {
  PanelOp = new QWidget(this);
  PanelOp->setObjectName("PanelOp");
  auto* g = new QGridLayout(PanelOp);
  g->setContentsMargins(0, 0, 0, 0);
  Edit3 = NewHistoryCombo("Edit3");
  Edit5 = NewHistoryCombo("Edit5");
  Edit6 = NewHistoryCombo("Edit6");
  g->addWidget(NewLabel(PanelOp, "Label4", "e:"), 0, 0);
  g->addWidget(Edit3, 0, 1, 1, 3);
  g->addWidget(NewLabel(PanelOp, "Label5", "Oppure:"), 1, 0);
  g->addWidget(Edit5, 1, 1);
  g->addWidget(NewLabel(PanelOp, "Label6", "e:"), 1, 2);
  g->addWidget(Edit6, 1, 3);
  for (QComboBox* c : {Edit3, Edit5, Edit6})
    connect(c, &QComboBox::editTextChanged, this, [this, c](const QString& t) { OperatorTyped(c, t); });
  return PanelOp;
}

QWidget* TFcerca::BuildWordTab() {
  auto* tab = new QWidget(this);
  tab->setObjectName("TSparola");
  auto* l = new QVBoxLayout(tab);
  auto* row = new QHBoxLayout();
  Edit2 = NewHistoryCombo("Edit2");
  Bcancel = NewButton(tab, "Bcancel", "<");
  Bcancel->setToolTip("Azzera");
  Bcancel->setMaximumWidth(32);
  row->addWidget(NewLabel(tab, "Label2", "Cerca:"));
  row->addWidget(Edit2, 1);
  row->addWidget(Bcancel);
  l->addLayout(row);
  CBcaps1 = new QCheckBox("ignora maiuscole/minuscole", tab);
  CBcaps1->setObjectName("CBcaps1");
  CBcaps1->setChecked(true);
  CBcomp1 = new QCheckBox("solo parole intere", tab);
  // Kept as soon as they change: the reader may end with the dialog open.
  for (QCheckBox* box : {CBcaps1, CBcomp1}) connect(box, &QCheckBox::toggled, this, [this] { WriteChecks(); });
  CBcomp1->setObjectName("CBcomp1");
  l->addWidget(CBcaps1);
  l->addWidget(CBcomp1);
  l->addWidget(BuildOperatorPanel());
  auto* buttons = new QHBoxLayout();
  BCNellaPagina = NewButton(tab, "BCNellaPagina", "Cerca nella &pagina...");
  BContinuaNellIpertesto = NewButton(tab, "BContinuaNellIpertesto", kLabelEbook);
  buttons->addWidget(BCNellaPagina);
  buttons->addWidget(BContinuaNellIpertesto);
  l->addLayout(buttons);
  auto* all = new QHBoxLayout();
  SpeedButton1 = NewButton(tab, "SpeedButton1", "Tutte le pagine che rispondono al criterio");
  BInterrompi = NewButton(tab, "BInterrompi", "Interrompi");
  BInterrompi->setEnabled(false);
  all->addWidget(SpeedButton1, 1);
  all->addWidget(BInterrompi);
  l->addLayout(all);
  LabelScan = new QLabel(tab);
  LabelScan->setObjectName("LabelScan");
  l->addWidget(LabelScan);
  ZEBListViewPagPar = NewList(tab, "ZEBListViewPagPar", testoHtml);
  ZEBListViewPagPar->setHeaderLabels({"Titolo", "Dimensione", "Nome file", " pag.", "", "Volte", "Testo"});
  ZEBListViewPagPar->header()->setSectionResizeMode(0, QHeaderView::Interactive);
  ZEBListViewPagPar->header()->setSectionResizeMode(6, QHeaderView::Stretch);
  ZEBListViewPagPar->setColumnWidth(0, 160);
  ZEBListViewPagPar->setColumnWidth(3, 45);
  ZEBListViewPagPar->setColumnWidth(5, 45);
  ZEBListViewPagPar->SetLinkedZEBset(host_.document);
  l->addWidget(ZEBListViewPagPar, 1);

  connect(Edit2->lineEdit(), &QLineEdit::returnPressed, this, &TFcerca::BCNellaPaginaClick);
  connect(Edit2, &QComboBox::editTextChanged, this, [this](const QString& t) {
    ResetPageButton();
    EchoTitle(t);
  });
  connect(Bcancel, &QPushButton::clicked, this, &TFcerca::BcancelClick);
  connect(BCNellaPagina, &QPushButton::clicked, this, &TFcerca::BCNellaPaginaClick);
  connect(BContinuaNellIpertesto, &QPushButton::clicked, this, &TFcerca::BContinuaClick);
  connect(SpeedButton1, &QPushButton::clicked, this, &TFcerca::SpeedButton1Click);
  connect(BInterrompi, &QPushButton::clicked, this, &TFcerca::CancelScan);
  ZEBListViewPagPar->OnChoose = [this] { ResultChosen(); };
  return tab;
}

// ---------------------------------------------------------------- options and histories

uint8_t TFcerca::SearchOptions() const {
  return static_cast<uint8_t>((CBcomp1->isChecked() ? 1 : 0) | (CBcaps1->isChecked() ? 0 : 2));
}

void TFcerca::ReadOptions() {
  if (!host_.settings) return;
  auto apply = [this](const char* name, QCheckBox* box) {
    const std::string v = host_.settings->ReadSub(FindsKey, name);
    if (v == "1" || v == "0") box->setChecked(v == "1");
  };
  apply("wholeword", CBcomp1);
  apply("ignorecaps", CBcaps1);
}

void TFcerca::WriteChecks() {
  if (!host_.settings) return;
  host_.settings->WriteSub(FindsKey, "wholeword", CBcomp1->isChecked() ? "1" : "0");
  host_.settings->WriteSub(FindsKey, "ignorecaps", CBcaps1->isChecked() ? "1" : "0");
}

void TFcerca::WriteOptions() {
  if (!host_.settings) return;
  WriteChecks();
  host_.settings->WriteSubNum("forms", "Fcerca.Left", x());
  host_.settings->WriteSubNum("forms", "Fcerca.Top", y());
}

// Each field keeps its last words under "finds" as <field>1 .. <field>10, newest first.
void TFcerca::ReadHistory(QComboBox* box) {
  if (!host_.settings) return;
  const std::string base = box->objectName().toStdString();
  for (int i = 1; i <= HistoryDepth; ++i) {
    const std::string v = host_.settings->ReadSub(FindsKey, base + std::to_string(i));
    if (v.empty() || v == "notfound") break;
    box->addItem(QString::fromStdString(v));
  }
  box->setCurrentIndex(-1);
  box->setEditText({});
}

void TFcerca::WriteHistory(QComboBox* box) {
  if (!host_.settings) return;
  const std::string base = box->objectName().toStdString();
  for (int i = 1; i <= HistoryDepth; ++i)
    host_.settings->WriteSub(FindsKey, base + std::to_string(i),
                             i <= box->count() ? box->itemText(i - 1).toStdString() : std::string());
}

void TFcerca::AddToHistory(QComboBox* box) {
  const QString text = box->currentText();
  if (text.isEmpty()) return;
  const int at = box->findText(text, Qt::MatchFixedString | Qt::MatchCaseSensitive);
  if (at == 0) return;
  const QSignalBlocker block(box);
  if (at > 0) box->removeItem(at);
  box->insertItem(0, text);
  while (box->count() > HistoryDepth) box->removeItem(box->count() - 1);
  box->setCurrentIndex(0);
  WriteHistory(box);
}

// ---------------------------------------------------------------- showing

void TFcerca::ShowOnKeywords() {
  PageControl1->setCurrentWidget(TSkey);
  show();
  raise();
  activateWindow();
  Edit1->setFocus();
}

void TFcerca::ShowOnWords() {
  PageControl1->setCurrentWidget(TSparola);
  show();
  raise();
  activateWindow();
  Edit2->setFocus();
}

void TFcerca::showEvent(QShowEvent* e) {
  QWidget::showEvent(e);
  try {
    ReloadKeywords();
  } catch (const std::exception&) {
    // A damaged keyword table leaves the list empty; the dialog still opens.
  }
  ReadOptions();
  PanelTit->setVisible(host_.document && host_.document->FontCharSet() != 1);
  QTimer::singleShot(600, this, [this] {
    raise();
    activateWindow();
  });
}

void TFcerca::closeEvent(QCloseEvent* e) {
  CancelScan();
  WriteOptions();
  QWidget::closeEvent(e);
}

void TFcerca::changeEvent(QEvent* e) {
  QWidget::changeEvent(e);
  if (e->type() == QEvent::ActivationChange) ResetPageButton();
}

void TFcerca::ResetPageButton() {
  BCNellaPagina->setEnabled(true);
  BCNellaPagina->setText(Tr(kPageButtonCaption));
}

void TFcerca::EchoTitle(const QString& text) { LabelTit->setText(text); }

void TFcerca::ReloadKeywords() {
  selectedKeyword_ = -1;
  ZEBListViewKW->Reload();
  ZEBListViewPag->Clear();
}

void TFcerca::EbookChanged() {
  CancelScan();
  cache_.Clear();
  ReloadKeywords();
  ZEBListViewPagPar->Clear();
  LabelScan->clear();
}

void TFcerca::PageChanged() {
  if (!isActiveWindow()) ResetPageButton();
}

void TFcerca::BcancelClick() {
  for (QComboBox* c : {Edit2, Edit3, Edit5, Edit6}) c->setEditText({});
}

// Typing into an operator field while the word field is empty moves the text there.
void TFcerca::OperatorTyped(QComboBox* field, const QString& text) {
  if (text.isEmpty() || field->view()->isVisible()) return;
  QComboBox* target = nullptr;
  if (Edit2->currentText().isEmpty()) target = Edit2;
  else if (field == Edit6 && !Edit2->hasFocus() && Edit5->currentText().isEmpty()) target = Edit5;
  if (!target) return;
  {
    const QSignalBlocker block(field);
    field->setEditText({});
  }
  target->setEditText(text);
  target->setFocus();
  target->lineEdit()->end(false);
}
