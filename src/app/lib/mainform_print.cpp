// The main window's print commands: the print dialog, "Stampa tutte", the
// current page, printer setup and margins.
#include <QPrintDialog>

#include "app/lib/mainform.h"
#include "document/zebset.h"
#include "pageobjects/zebbox.h"
#include "pageobjects/zebframeset.h"
#include "pageobjects/zebpage.h"
#include "printing/pagesetup.h"
#include "printing/printform.h"
#include "printing/printjob.h"

void TMainForm::SetUpPrinting() {
  PageSetup = std::make_unique<TPageSetupDialog>(options_.settings);
  PageSetup->SetOptions(poDefaultMinMargins | poMargins | poHundredthsOfMillimeters);
  for (auto set : {&TPageSetupDialog::SetMarginLeft, &TPageSetupDialog::SetMarginTop,
                   &TPageSetupDialog::SetMarginRight, &TPageSetupDialog::SetMarginBottom})
    ((*PageSetup).*set)(1000);
  PageSetup->SetRegString("\\Software\\Norv\\printerProfiles");
  const std::pair<const char*, void (TMainForm::*)()> commands[] = {
      {"Stampa1", &TMainForm::FilePrint},           {"Stampa2", &TMainForm::FilePrint},
      {"Stampatutte1", &TMainForm::Stampatutte1Click}, {"Stampacorrente1", &TMainForm::Stampacorrente1Click},
      {"Printoptions1", &TMainForm::Printoptions1Click}, {"Printoptions2", &TMainForm::Printoptions1Click},
      {"Impostastampante1", &TMainForm::Impostastampante1Click},
      {"Impostamargini1", &TMainForm::Impostamargini1Click}};
  for (auto [name, handler] : commands)
    for (QAction* a : findChildren<QAction*>(name)) {
      a->setEnabled(true);
      std::erase(DisabledCommands, a);
      connect(a, &QAction::triggered, this, handler);
    }
  PrintButton->setEnabled(true);
  std::erase(DisabledCommands, PrintButton);
  connect(PrintButton, &QAction::triggered, this, &TMainForm::FilePrint);
  Editor->OnPrintCurrent = [this](bool ask, QObject* source) { PrintCurrentPage(ask, source); };
}

bool TMainForm::LoadPrinterProfile() {
  if (PageSetup->LoadProfile("PrinterSettings1")) return true;
  Impostastampante1Click();
  return false;
}

void TMainForm::ReportPrintFailure(const std::string& error, bool unreachable) {
  if (!error.empty()) messages_->Message(TMsgKind::Error, PrintFailureText(error, unreachable));
}

void TMainForm::FilePrint() {
  if (!mainZEBset || !LoadPrinterProfile()) return;
  TFprint dialog(mainZEBset.get(), PageSetup.get(), options_.settings, Editor->MainPageNumber(), TFprint::mPrint,
                 this);
  dialog.exec();
}

void TMainForm::Printoptions1Click() {
  if (!mainZEBset || !LoadPrinterProfile()) return;
  TFprint dialog(mainZEBset.get(), PageSetup.get(), options_.settings, Editor->MainPageNumber(), TFprint::mOptions,
                 this);
  dialog.exec();
}

void TMainForm::Stampatutte1Click() {
  if (!mainZEBset || !LoadPrinterProfile()) return;
  TFprint dialog(mainZEBset.get(), PageSetup.get(), options_.settings, Editor->MainPageNumber(), TFprint::mPrint,
                 this);
  dialog.BtutteClick();
  dialog.BOkClick();
  dialog.hide();
}

void TMainForm::Stampacorrente1Click() {
  if (mainZEBset && LoadPrinterProfile()) PrintShownPage(false, nullptr);
}

// A page's own print command (a link, a frame): without printer settings it
// only says where to make them.
void TMainForm::PrintCurrentPage(bool ask, QObject* source) {
  if (!mainZEBset) return;
  if (!PageSetup->LoadProfile("PrinterSettings1")) {
    messages_->Message(TMsgKind::Warning, "Usare \"Imposta stampante\"");
    return;
  }
  PrintShownPage(ask, source);
}

void TMainForm::PrintShownPage(bool ask, QObject* source) {
  // The page of the text box the command came from, else the main page.
  int page = Editor->MainPageNumber();
  for (QObject* o = source; o; o = o->parent())
    if (auto* box = qobject_cast<TZEBbox*>(o)) {
      if (box->Page() && box->Page()->PageIndex() >= 0) page = box->Page()->PageIndex();
      break;
    }
  if (ask) {
    QPrintDialog dialog(&PageSetup->Printer(), this);
    if (dialog.exec() != QDialog::Accepted) return;
  }
  TPrintRequest request;
  request.pages = {page};
  request.options = ReadPrintOptions(settings_);
  request.options.typedValues = &Editor->Forms().values;
  bool unreachable = false;
  BusyCursor(true);
  const std::string error = PrintPages(*mainZEBset, *PageSetup, request, &unreachable);
  BusyCursor(false);
  ReportPrintFailure(error, unreachable);
}

void TMainForm::Impostastampante1Click() {
  QPrintDialog dialog(&PageSetup->Printer(), this);
  dialog.setWindowTitle("Imposta stampante");
  if (dialog.exec() != QDialog::Accepted) return;
  PageSetup->Printer().setFullPage(true);
  PageSetup->Printer().setResolution(TPageSetupDialog::kResolution);
  PageSetup->Recompute();
  PageSetup->SaveProfile();
}

void TMainForm::Impostamargini1Click() {
  if (PageSetup->Execute(this)) PageSetup->SaveProfile();
}
