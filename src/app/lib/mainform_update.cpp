// The main window's network commands: automatic and semi-automatic update of
// the open ebook, the user-data dialog, and the sender page forms use.
#include <QAction>
#include <QLabel>
#include <QTimer>
#include <algorithm>

#include "app/lang/oxlangs.h"
#include "app/lib/mainform.h"
#include "network/ui/downloadform.h"
#include "network/ui/formsender_qt.h"
#include "network/ui/mailforms.h"
#include "network/update.h"

namespace {

std::string FileNameOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

void TMainForm::BuildNetworkCommands() {
  QAction* userPopup = findChild<QAction*>("Userdata2");
  for (QAction* a : {AutomaticUpdate1, SemiAutomaticUpdate1, Datiutente1, userPopup}) {
    if (!a) continue;
    DisabledCommands.erase(std::remove(DisabledCommands.begin(), DisabledCommands.end(), a), DisabledCommands.end());
    a->setEnabled(true);
  }
  connect(AutomaticUpdate1, &QAction::triggered, this, &TMainForm::AutomaticUpdate1Click);
  connect(SemiAutomaticUpdate1, &QAction::triggered, this, &TMainForm::SemiAutomaticUpdate1Click);
  connect(Datiutente1, &QAction::triggered, this, &TMainForm::ShowUserDataDialog);
  if (userPopup) connect(userPopup, &QAction::triggered, this, &TMainForm::ShowUserDataDialog);
  formSender_ = std::make_unique<TFormSender>(settings_, *messages_, dialogs_, this);
  formSender_->OnStatus = [this](const std::string& text) {
    StatusBar->Panel(0)->setText(QString::fromStdString(TranslateMessage(text)));
  };
  Editor->Forms().sender = formSender_.get();
}

IFormSender* TMainForm::FormSender() { return formSender_.get(); }

void TMainForm::SemiAutomaticUpdate1Click() {
  const std::string name = FileNameOf(mainZEBset->ZEBFileName());
  const std::string text = "Ora il tuo browser cercherà di scaricare il file " + name +
                           " che è l'upgrade per il documento corrente. Dovrai quindi usare File >Apri per "
                           "caricarlo e vederlo. Probabilmente sarà nella cartella \"Documenti\".";
  if (!messages_->Message(TMsgKind::Question, text)) return;
  shell_->OpenUrl(mainZEBset->GetDocProperty("upgradelink") + name);
}

void TMainForm::AutomaticUpdate1Click() {
  const std::string path = mainZEBset->ZEBFileName();
  const std::string link = mainZEBset->GetDocProperty("upgradelink");
  if (link.empty() || path.empty() || closing_) return;
  const std::string title = mainZEBset->CodePage().ToUtf8(mainZEBset->Title());
  const std::string address = update::Address(link, path);
  std::unique_ptr<update::TDownloadFile> download;
  try {
    download = std::make_unique<update::TDownloadFile>(path);
  } catch (const std::exception&) {
    messages_->Message(TMsgKind::Information,
                       "Non riesco ad aggiornare automaticamente; proviamo il modo semi-automatico.");
    SemiAutomaticUpdate1Click();
    return;
  }
  bool arrived = false;
  {
    TFdownload dialog(title, address, path, *download, TNetLimits::FromEnvironment(), this);
    dialog.exec();
    arrived = dialog.EditionArrived();
  }
  std::string open = path;
  if (arrived) {
    // The document lets go of the old file before the new one takes its name.
    Editor->Reset();
    mainZEBset->NewDocument();
    try {
      download->Install();
    } catch (const std::exception& e) {
      messages_->Message(TMsgKind::Error, e.what());
      if (!download->ReopenInstead().empty()) open = download->ReopenInstead();
    }
  }
  download.reset();
  OpenEbookFile(open);
}

void TMainForm::ShowUserDataDialog() {
  if (closing_) return;
  {
    TFAskName dialog(settings_, this);
    dialog.exec();
  }
  Editor->FocusActive();
}

void TMainForm::AskUserDataIfNeeded() {
  const bool mails = !mainZEBset->GetDocProperty("e_smtp").empty() || !mainZEBset->GetDocProperty("e_script").empty();
  if (options_.commandLine.flags.install || (mails && settings_.ReadSub("reg", "nome").empty()))
    QTimer::singleShot(0, this, &TMainForm::ShowUserDataDialog);
}
