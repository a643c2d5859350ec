// The searches of the dialog: keyword lookup, the word in the page, the next
// matching page of the ebook and the list of every matching page.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

#include "app/lang/oxlangs.h"
#include "docviews/zeblistview.h"
#include "document/zebset.h"
#include "pageobjects/zebframeset.h"
#include "search/fcerca.h"

namespace {
constexpr const char* kPageDone = "Ricerca nella pagina terminata";
constexpr const char* kEbookDone = "Ricerca nell'ipertesto terminata";
}  // namespace

std::string TFcerca::Bytes(const QString& s) const {
  return host_.document->CodePage().FromUtf8(s.toStdString());
}

QString TFcerca::Text(std::string_view bytes) const {
  return QString::fromStdString(host_.document->CodePage().ToUtf8(bytes));
}

TWordQuery TFcerca::Query() const {
  TWordQuery q;
  q.w = Bytes(Edit2->currentText());
  q.a = Bytes(Edit3->currentText());
  q.o = Bytes(Edit5->currentText());
  q.b = Bytes(Edit6->currentText());
  q.caseSensitive = !CBcaps1->isChecked();
  return q;
}

// ---------------------------------------------------------------- keywords

void TFcerca::KeywordLookup() {
  const QString typed = Edit1->text();
  if (typed.isEmpty()) return;
  const int n = ZEBListViewKW->topLevelItemCount();
  if (n == 0) {
    host_.document->Say(TMsgKind::Information, "Nessuna parola chiave definita.");
    return;
  }
  const int start = std::max(0, ZEBListViewKW->indexOfTopLevelItem(ZEBListViewKW->currentItem()));
  for (int k = 0; k < n; ++k) {
    QTreeWidgetItem* item = ZEBListViewKW->topLevelItem((start + k) % n);
    if (item->text(0) != typed) continue;
    ZEBListViewKW->setCurrentItem(item);
    ZEBListViewKW->scrollToItem(item);
    KeywordChosen();
    return;
  }
}

void TFcerca::KeywordChosen() {
  TZEBoggetto* kw = ZEBListViewKW->SelectedObject();
  if (!kw) return;
  Label3->setText(Tr("Pagine che contengono \"") + Text(kw->Name()) + "\"");
  selectedKeyword_ = kw->Index();
  ZEBListViewPag->Reload();
}

void TFcerca::PageChosen(TZEBListView* list) {
  if (TZEBoggetto* p = list->SelectedObject(); p && p->Kind() == testoHtml && host_.frameSet)
    host_.frameSet->SetMainPageNumber(p->Index());
}

// ---------------------------------------------------------------- the word in the page

void TFcerca::BCNellaPaginaClick() {
  if (Edit2->currentText().isEmpty() || !BCNellaPagina->isEnabled() || !host_.frameSet) return;
  host_.frameSet->SetSearchOptions(SearchOptions());
  AddToHistory(Edit2);
  BCNellaPagina->setEnabled(false);
  if (host_.frameSet->FindNextInActive(Bytes(Edit2->currentText()))) {
    BCNellaPagina->setText(Tr("&Continua nella pagina  F3"));
    BCNellaPagina->setEnabled(true);
    return;
  }
  host_.frameSet->ResetSearch();
  if (host_.status) host_.status(Tr(kPageDone));
  BCNellaPagina->setText(Tr(kPageDone));
}

// ---------------------------------------------------------------- the ebook

void TFcerca::BContinuaClick() {
  if (Edit2->currentText().isEmpty() || !BContinuaNellIpertesto->isEnabled() || !host_.frameSet) return;
  for (QComboBox* c : {Edit2, Edit3, Edit5, Edit6}) AddToHistory(c);
  host_.frameSet->SetSearchOptions(SearchOptions());
  if (host_.status) host_.status({});
  StartScan(std::max(host_.frameSet->MainPageNumber(), -1) + 1, false);
}

void TFcerca::SpeedButton1Click() {
  if (!host_.frameSet) return;
  host_.frameSet->SetSearchOptions(SearchOptions());
  ZEBListViewPagPar->Clear();
  StartScan(0, true);
}

void TFcerca::StartScan(int firstPage, bool allPages) {
  CancelScan();
  scanAll_ = allPages;
  found_.reset();
  scan_ = std::make_unique<TEbookScan>(cache_, PrepareQuery(Query(), host_.document->CodePage().FoldTable()),
                                       firstPage);
  BContinuaNellIpertesto->setEnabled(false);
  SpeedButton1->setEnabled(false);
  BInterrompi->setEnabled(true);
  QApplication::setOverrideCursor(Qt::BusyCursor);
  scanTimer_.start();
  ScanSlice();
}

// One stretch of the scan; the timer brings the next one after the event loop has run.
void TFcerca::ScanSlice() {
  if (!scan_) return;
  QElapsedTimer clock;
  clock.start();
  bool more = true;
  while (more && clock.elapsed() < SliceMs)
    more = scan_->Step(64, [this](const TSearchHit& h) {
      if (!scanAll_) {
        found_ = h;
        return false;
      }
      AddResult(h);
      return true;
    });
  if (scanAll_)
    LabelScan->setText(Tr("Pagine esaminate: %1 di %2, trovate: %3")
                         .arg(scan_->NextPage()).arg(scan_->PageCount()).arg(ZEBListViewPagPar->topLevelItemCount()));
  if (!more) ScanEnded();
}

void TFcerca::CancelScan() {
  if (!scan_) return;
  scan_->Cancel();
  found_.reset();
  ScanEnded();
}

void TFcerca::ScanEnded() {
  scanTimer_.stop();
  const bool all = scanAll_;
  scan_.reset();
  QApplication::restoreOverrideCursor();
  BContinuaNellIpertesto->setEnabled(true);
  SpeedButton1->setEnabled(true);
  BInterrompi->setEnabled(false);
  if (all) {
    ZEBListViewPagPar->SortRows();
    return;
  }
  if (found_) {
    ShowHit(*found_);
  } else if (host_.frameSet) {
    host_.frameSet->SetMainPageNumber(0);
    if (host_.status) host_.status(Tr(kEbookDone));
  }
  found_.reset();
  ResetPageButton();
}

void TFcerca::ShowHit(const TSearchHit& hit) {
  TZEBCustomFrameSet* fs = host_.frameSet;
  fs->SetMainPageNumber(hit.page);
  if (fs->FindInMain(hit.match)) return;
  if (host_.showNested) host_.showNested();
  fs->FindInNested(hit.match);
}

void TFcerca::AddResult(const TSearchHit& hit) {
  TZEBtesto* page = host_.document->Page(hit.page);
  if (!page) return;
  const TSnippet s = HitSnippet(cache_, hit);
  const QString snippet = (s.cutBefore ? "…" : "") + Text(s.before) + "«" + Text(s.word) + "»" + Text(s.after) +
                          (s.cutAfter ? "…" : "");
  ZEBListViewPagPar->AddObject(*page, {QString::number(hit.count), snippet});
}

void TFcerca::ResultChosen() {
  TZEBoggetto* p = ZEBListViewPagPar->SelectedObject();
  if (!p || p->Kind() != testoHtml || !host_.frameSet) return;
  host_.frameSet->SetSearchOptions(SearchOptions());
  host_.frameSet->SetMainPageNumber(p->Index());
  if (!host_.frameSet->FindInMain(Bytes(Edit2->currentText())))
    host_.frameSet->FindInMain(Bytes(Edit5->currentText()));
}
