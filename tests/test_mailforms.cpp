// The e-mail settings and user-data dialogs, and the sender page forms use for
// web and e-mail submissions, against loopback servers, from page forms too.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

#include "formbook.h"
#include "netserver.h"
#include "network/formsender.h"
#include "network/ui/formsender_qt.h"
#include "network/ui/mailforms.h"
#include "pageobjects/formcontrols.h"
#include "pageobjects/zebframe.h"
#include "pageobjects/zebframeset.h"
#include "pageobjects/zebpage.h"

namespace {

void Type(QLineEdit* edit, const QString& text) {
  for (QChar c : text) {
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
    QApplication::sendEvent(edit, &press);
  }
}

template <class F>
bool WaitFor(F done, int ms = 6000) {
  QElapsedTimer t;
  t.start();
  while (!done() && t.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 10);
  return done();
}

struct AnswerSink : RecordingSink {
  bool answer = false;
  bool Message(TMsgKind kind, const std::string& text) override {
    RecordingSink::Message(kind, text);
    return answer;
  }
};

struct SaveDialogs : IShellDialogs {
  std::optional<std::string> answer;
  int asked = 0;
  TFileLinkAction AskFileLink(const std::string&) override { return TFileLinkAction::Cancel; }
  std::optional<std::string> AskSavePath(const TSaveFileRequest&) override {
    ++asked;
    return answer;
  }
};

struct SenderFixture {
  MemSettings store;
  TSettings settings{store};
  AnswerSink sink;
  SaveDialogs dialogs;
  TFormSender sender{settings, sink, &dialogs, nullptr};
  int reported = 0, asked = 0;
  std::vector<std::string> status;
  SenderFixture() {
    sender.Limits.idleTimeoutMs = sender.Limits.requestTimeoutMs = 1500;
    sender.AskMailSettings = [this] { ++asked; };
    sender.OnStatus = [this](const std::string& s) { status.push_back(s); };
    QObject::connect(&sender, &TFormSender::reported, [this] { ++reported; });
  }
  bool Reported(int n = 1) { return WaitFor([&] { return reported >= n; }); }
};

}  // namespace

TEST(FormText, SubjectBodyAndCleanedNames) {
  EXPECT_EQ(FormMailSubject("libro.zeb"), "Email from: (libro.zeb)");
  EXPECT_EQ(FormPostBody("a=1\r\nb=2\r\n"), "a=1\r\nb=2\r\n");
  EXPECT_EQ(FormPostBody("a=1\nb=2"), "a=1\r\nb=2\r\n");
  EXPECT_EQ(FormPostBody(""), "");
  EXPECT_EQ(CleanName("ABC12"), "ABC  ");
  EXPECT_EQ(CleanName("D'ANNA-ROSSI"), "D ANNA ROSSI");
  EXPECT_EQ(CleanName("A[B]\x7f!?\xe8"), "A B  !?\xe8");
  EXPECT_EQ(CleanName("Zoe\tX"), "Zoe X");
}

TEST(UserDataDialog, PlausibleAddressesCaseAndStoredFields) {
  MemSettings store;
  TSettings settings(store);
  settings.WriteSub("reg", "cognome", "ROSSI");
  settings.WriteSub("reg", "email", "vecchio@esempio.it");
  TFAskName d(settings);
  EXPECT_EQ(d.windowTitle(), "Dati utente");
  EXPECT_EQ(d.Ecognome->text(), "ROSSI");
  EXPECT_EQ(d.Enome->text(), "");
  EXPECT_TRUE(d.OkButton->isEnabled());
  struct {
    const char* address;
    bool ok;
  } cases[] = {{"a@cd.ef", false},        {"ab@cd.ef", true},          {"abcdef@g.hijkl", false},
               {"ab@cd..ef.it", false},   {"ab@cd.ef.", false},        {"a b@cd.ef.it", false},
               {"@abcd.efgh", false},     {"x@esempio.it", true},      {"ab@cd.ef@gh.ij", true}};
  for (auto& c : cases) {
    d.Eemail->setText(c.address);
    EXPECT_EQ(d.OkButton->isEnabled(), c.ok) << c.address;
  }
  d.Eemail->clear();
  Type(d.Eemail, "Anna@Esempio.IT");
  EXPECT_EQ(d.Eemail->text(), "anna@esempio.it");
  // An empty first name keeps the dialog open and stores nothing.
  d.OkClick();
  EXPECT_EQ(d.result(), QDialog::Rejected);
  EXPECT_EQ(settings.ReadSub("reg", "email"), "vecchio@esempio.it");
  Type(d.Enome, "ann12");
  EXPECT_EQ(d.Enome->text(), "ANN12");
  d.OkClick();
  EXPECT_EQ(d.result(), QDialog::Accepted);
  EXPECT_EQ(settings.ReadSub("reg", "nome"), "ANN  ");
  EXPECT_EQ(settings.ReadSub("reg", "cognome"), "ROSSI");
  EXPECT_EQ(settings.ReadSub("reg", "email"), "anna@esempio.it");
  EXPECT_EQ(settings.ReadSub("reg", "nl"), "0");
  TFAskName again(settings);
  EXPECT_EQ(again.Enome->text(), "ANN  ");
}

TEST(EmailSettingsDialog, StoresAsTypedOnlyOnOk) {
  MemSettings store;
  TSettings settings(store);
  settings.WriteOption("smtp1", "smtp.vecchio.it");
  {
    TFemail d(settings);
    d.show();
    EXPECT_EQ(d.windowTitle(), "Configurazione email");
    EXPECT_EQ(d.Esmtp->text(), "smtp.vecchio.it");
    d.Esmtp->setText("altro");
    d.reject();
  }
  EXPECT_EQ(settings.ReadOption("smtp1"), "smtp.vecchio.it");
  TMailPassword::ForgetSession();
  {
    TFemail d(settings);
    d.show();
    d.Esmtp->setText(" smtp.nuovo.it:587 ");
    d.Email->setText("non un indirizzo");
    d.Epassword->setText("segreta");
    d.OkClick();
    EXPECT_EQ(d.result(), QDialog::Accepted);
  }
  EXPECT_EQ(settings.ReadOption("smtp1"), " smtp.nuovo.it:587 ");
  EXPECT_EQ(settings.ReadOption("email1"), "non un indirizzo");
  // The password stays with the running program unless asked to remember it.
  EXPECT_EQ(settings.ReadOption("smtppw1"), "");
  EXPECT_EQ(TMailPassword::Get(settings), "segreta");
  {
    TFemail d(settings);
    d.show();
    EXPECT_EQ(d.Epassword->text(), "segreta");
    d.RememberBox->setChecked(true);
    d.OkClick();
  }
  EXPECT_EQ(settings.ReadOption("smtppw1"), "segreta");
  TMailPassword::ForgetSession();
  settings.WriteOption("smtppw1", "");
}

TEST(FormSender, WebSubmissionReportsItsOutcome) {
  TestServer s("http");
  SenderFixture f;
  IFormSender& sender = f.sender;
  sender.PostFormText(s.Url("/modulo"), "nome=a%20b\r\nok=1\r\n");
  ASSERT_TRUE(f.Reported());
  ASSERT_EQ(f.sink.messages.size(), 1u);
  EXPECT_EQ(f.sink.messages[0].first, TMsgKind::Information);
  EXPECT_EQ(f.sink.messages[0].second, s.Url("/modulo") + " [200]");
  auto log = s.Log();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0]["line"], "POST /modulo HTTP/1.0");
  EXPECT_EQ(log[0]["body"], "nome=a%20b\r\nok=1\r\n");
  bool agent = false, type = false;
  for (auto& h : log[0]["headers"]) {
    agent = agent || (h[0] == "User-Agent" && h[1] == "Quillon[]");
    type = type || (h[0] == "Content-Type" && h[1] == "application/octet-stream");
  }
  EXPECT_TRUE(agent && type);

  sender.PostFormText("http://127.0.0.1:1/modulo", "a=1\r\n");
  ASSERT_TRUE(f.Reported(2));
  EXPECT_EQ(f.sink.messages[1].first, TMsgKind::Error);
  EXPECT_EQ(f.sink.messages[1].second, "Il modulo non è stato inviato a http://127.0.0.1:1/modulo: Errore di creazione socket");
}

TEST(FormSender, MailLeavesOrIsOfferedForSaving) {
  TestServer smtp("smtp");
  ScratchDir d;
  SenderFixture f;
  IFormSender& sender = f.sender;
  // No sender address: the settings are asked for first; left empty, the
  // mail cannot leave and the text is offered for saving.
  f.settings.WriteOption("smtp1", "127.0.0.1:" + std::to_string(smtp.Port()));
  f.sink.answer = true;
  f.dialogs.answer = d.File("modulo.txt");
  sender.MailFormText("autore@esempio.it", "libro.zeb", "nome=Anna\r\n");
  EXPECT_EQ(f.asked, 1);
  ASSERT_TRUE(f.Reported());
  ASSERT_EQ(f.sink.messages.size(), 1u);
  EXPECT_EQ(f.sink.messages[0].second,
            "L'email per autore@esempio.it non è partita (Manca l'indirizzo del mittente (email1)).\n"
            "Vuoi salvare il modulo in un file?");
  EXPECT_EQ(ReadAll(d.File("modulo.txt")), "Form from: (libro.zeb)\r\n--\xA7\xA7--\r\nnome=Anna\r\n");
  EXPECT_TRUE(smtp.Log().empty());

  f.settings.WriteOption("email1", "lettore@esempio.it");
  sender.MailFormText("autore@esempio.it", "libro.zeb", "nome=Anna\r\ncitta=Roma\r\n");
  EXPECT_EQ(f.asked, 1);
  ASSERT_TRUE(f.Reported(2));
  EXPECT_EQ(f.status, (std::vector<std::string>{"Email inviata a autore@esempio.it"}));
  auto log = smtp.Log();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0]["from"], "lettore@esempio.it");
  const std::string data = log[0]["data"];
  EXPECT_NE(data.find("Subject: Email from: (libro.zeb)\r\nTo: autore@esempio.it\r\n\r\nnome=Anna\r\ncitta=Roma\r\n"),
            std::string::npos)
      << data;

  // A refusing server, and the user declines to save: nothing is written.
  TestServer refuse("smtp554");
  f.settings.WriteOption("smtp1", "127.0.0.1:" + std::to_string(refuse.Port()));
  f.sink.answer = false;
  f.dialogs.asked = 0;
  sender.MailFormText("autore@esempio.it", "libro.zeb", "x=1\r\n");
  ASSERT_TRUE(f.Reported(3));
  EXPECT_EQ(f.sink.messages.back().second.rfind("L'email per autore@esempio.it non è partita (Servizio non disponibile)", 0),
            0u);
  EXPECT_EQ(f.dialogs.asked, 0);
}

TEST(FormSender, PageFormsReachTheirServers) {
  TestServer web("http");
  TestServer smtp("smtp");
  DocFixture d;
  FormBook b;
  b.FormStart(2, web.Url("/cgi"));
  b.Field(formrec::fkEdit, "nome", "Anna");
  const int post = b.Button(1, "", "Invia");
  b.FormStart(4, "autore@esempio.it");
  b.Field(formrec::fkEdit, "citta", "Roma");
  const int mail = b.Button(1, "", "Manda");
  ASSERT_TRUE(d.doc->Open(b.Save(d.dir)));
  SenderFixture f;
  f.settings.WriteOption("email1", "lettore@esempio.it");
  f.settings.WriteOption("smtp1", "127.0.0.1:" + std::to_string(smtp.Port()));
  TInsiemeCornici fs;
  fs.SetReadOnly(true);
  fs.SetAutoJump(false);
  fs.resize(700, 500);
  fs.Forms().sender = &f.sender;
  fs.SetLinkedZEBset(d.doc.get());
  fs.SetMainPageNumber(0);
  fs.show();
  QApplication::processEvents();
  auto button = [&](int index) {
    TZEBpage* page = fs.RootFrame()->PageControl();
    return page ? qobject_cast<TMyyButton*>(page->ControlOf(d.doc->ObjectAt(bottoneCGI, index))) : nullptr;
  };
  ASSERT_TRUE(button(post) && button(mail));
  button(post)->Press();
  ASSERT_TRUE(f.Reported());
  EXPECT_EQ(f.sink.Texts(), (std::vector<std::string>{web.Url("/cgi") + " [200]"}));
  ASSERT_EQ(web.Log().size(), 1u);
  EXPECT_EQ(web.Log()[0]["body"], "nome=Anna\r\n");
  button(mail)->Press();
  ASSERT_TRUE(f.Reported(2));
  EXPECT_EQ(f.status, (std::vector<std::string>{"Email inviata a autore@esempio.it"}));
  ASSERT_EQ(smtp.Log().size(), 1u);
  const std::string data = smtp.Log()[0]["data"];
  EXPECT_NE(data.find("Subject: Email from: (modulo.zeb)\r\nTo: autore@esempio.it\r\n\r\ncitta=Roma\r\n"),
            std::string::npos)
      << data;
  fs.SetClosing(true);
  fs.SetLinkedZEBset(nullptr);
}
