// The main window's contents tree and search commands.
#include <QAction>
#include <QApplication>
#include <QSplitter>

#include "app/lib/mainform.h"
#include "docviews/zebtree.h"
#include "search/fcerca.h"

namespace {

QAction* Named(QObject* form, const char* name) { return form->findChild<QAction*>(name); }

}  // namespace

void TMainForm::BuildContentsPanel() {
  TreeView = new TZEBorderedTree(PanelSplitter);
  TreeView->SetLinkedZEBset(mainZEBset.get());
  PanelSplitter->insertWidget(1, TreeView);
  PanelSplitter->setStretchFactor(1, 0);
  PanelSplitter->setStretchFactor(2, 1);
  TreeView->hide();
  treeTimer_.setSingleShot(true);
  treeTimer_.setInterval(300);
  connect(&treeTimer_, &QTimer::timeout, this, [this] {
    if (closing_) return;
    if (TZEBoggetto* o = TreeView->SelectedObject(); o && o->Kind() == testoHtml)
      Editor->SetMainPageNumber(o->Index());
  });
  TreeView->OnChoose = [this] {
    QApplication::processEvents();
    treeTimer_.start();
  };
}

void TMainForm::BuildSearchCommands() {
  // These commands were built disabled with the menus; they work from here on.
  const std::pair<const char*, void (TMainForm::*)()> commands[] = {
      {"Cercasostituisci1", &TMainForm::Cercasostituisci1Click},
      {"Ripetiultimaricerca1", &TMainForm::Ripetiultimaricerca1Click},
      {"Ripetinellipertesto1", &TMainForm::Ripetinellipertesto1Click},
      {"Cercaperparolachiave1", &TMainForm::CercaperparolachiaveClick},
      {"Cercaconoperatori1", &TMainForm::Cercaconoperatori1Click},
      {"CercaKeyButton", &TMainForm::CercaKeyButtonClick},
      {"SeeTree1", &TMainForm::SeeTree1Click}};
  for (const auto& [name, handler] : commands) {
    QAction* a = Named(this, name);
    if (!a) continue;
    std::erase(DisabledCommands, a);
    a->setEnabled(true);
    connect(a, &QAction::triggered, this, handler);
  }
  SeeTree1->setCheckable(true);
  SeeTree1->setEnabled(false);  // until an ebook with a contents tree is open
}

void TMainForm::EbookOpenedForSearch() {
  SeeTree1->setEnabled(mainZEBset->HeaderByte(hdr::ContentsAvailable) != 0);
  SeeTree1->setChecked(false);
  TreeView->hide();
  TreeView->clear();
  if (Fcerca) Fcerca->EbookChanged();
}

void TMainForm::SeeTree1Click() {
  if (!TreeView) return;
  const bool show = !TreeView->isVisible();
  SeeTree1->setChecked(show);
  TreeView->setVisible(show);
  if (show) {
    TreeView->Reload();
    TreeView->SelectFirst();
  }
  Editor->FocusActive();
}

TFcerca* TMainForm::SearchWindow() {
  if (!Fcerca) {
    TFcercaHost host;
    host.document = mainZEBset.get();
    host.frameSet = Editor;
    host.settings = &settings_;
    host.status = [this](const QString& text) {
      StatusBar->SetSimplePanel(true);
      StatusBar->SetSimpleText(text);
    };
    host.showNested = [this] {
      NestedButton->setChecked(true);
      NestedButtonClick();
    };
    Fcerca = new TFcerca(std::move(host), this);
  }
  return Fcerca;
}

void TMainForm::CercaKeyButtonClick() {
  if (mainZEBset->Count(keyword) > 0) SearchWindow()->ShowOnKeywords();
  else SearchWindow()->ShowOnWords();
}

void TMainForm::CercaperparolachiaveClick() { SearchWindow()->ShowOnKeywords(); }
void TMainForm::ShowKeywordSearch() { CercaKeyButtonClick(); }
void TMainForm::Cercasostituisci1Click() { SearchWindow()->ShowOnWords(); }
void TMainForm::Cercaconoperatori1Click() { SearchWindow()->ShowOnWords(); }

void TMainForm::Ripetiultimaricerca1Click() {
  if (!Fcerca) return Cercasostituisci1Click();
  Fcerca->BCNellaPaginaClick();
}

void TMainForm::Ripetinellipertesto1Click() {
  if (!Fcerca) return Cercasostituisci1Click();
  Fcerca->BContinuaClick();
}
