#include "network/ui/formsender_qt.h"

#include <QWidget>
#include <fstream>

#include "app/lang/oxlangs.h"
#include "network/ui/mailforms.h"

TFormSender::TFormSender(TSettings& settings, IMessageSink& messages, IShellDialogs* dialogs, QWidget* window)
    : settings_(settings), messages_(messages), dialogs_(dialogs), window_(window) {
  AskMailSettings = [this] {
    TFemail dialog(settings_, window_.data());
    dialog.exec();
  };
}

TFormSender::~TFormSender() { threads_.StopAll(); }

void TFormSender::PostFormText(const std::string& address, const std::string& text) {
  TOxWebThread(threads_, address, FormPostBody(text), Limits, [this, address](const TNetResult& r) {
    QMetaObject::invokeMethod(this, [this, address, r] { PostDone(address, r); }, Qt::QueuedConnection);
  });
}

void TFormSender::PostDone(const std::string& address, const TNetResult& r) {
  if (r.failed)
    messages_.Message(TMsgKind::Error, "Il modulo non è stato inviato a " + address + ": " + r.error);
  else
    messages_.Message(TMsgKind::Information, address + " [" + std::to_string(r.status) + "]");
  emit reported();
}

void TFormSender::MailFormText(const std::string& recipient, const std::string& ebookFileName,
                               const std::string& text) {
  if (settings_.ReadOption("email1").empty() && AskMailSettings) AskMailSettings();
  TMailRequest mail;
  mail.sender = settings_.ReadOption("email1");
  mail.server = settings_.ReadOption("smtp1");
  mail.password = TMailPassword::Get(settings_);
  mail.recipient = recipient;
  mail.subject = FormMailSubject(ebookFileName);
  mail.body = text;
  TOxMailThread(threads_, mail, Limits, [this, mail, ebookFileName](const TNetResult& r) {
    QMetaObject::invokeMethod(this, [this, mail, ebookFileName, r] { MailDone(mail, ebookFileName, r); },
                              Qt::QueuedConnection);
  });
}

void TFormSender::MailDone(const TMailRequest& mail, const std::string& ebookFileName, const TNetResult& r) {
  if (!r.failed) {
    const std::string done = "Email inviata a " + mail.recipient;
    if (OnStatus)
      OnStatus(done);
    else
      messages_.Message(TMsgKind::Information, done);
  } else if (messages_.Message(TMsgKind::Question, "L'email per " + mail.recipient + " non è partita (" + r.error +
                                                       ").\nVuoi salvare il modulo in un file?")) {
    OfferToSave(ebookFileName, mail.body);
  }
  emit reported();
}

void TFormSender::OfferToSave(const std::string& ebookFileName, const std::string& text) {
  if (!dialogs_) return;
  TSaveFileRequest request;
  request.filter = TranslateMessage("File di testo (*.txt)|*.txt");
  request.proposedName = "modulo.txt";
  request.defaultExt = "txt";
  request.overwritePrompt = true;
  const std::optional<std::string> path = dialogs_->AskSavePath(request);
  if (!path) return;
  std::ofstream out(*path, std::ios::binary);
  out << "Form from: (" << ebookFileName << ")\r\n--\xA7\xA7--\r\n" << text;
  out.close();
  if (!out) messages_.Message(TMsgKind::Error, "Scrittura non riuscita: " + *path);
}
