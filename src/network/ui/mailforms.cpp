#include "network/ui/mailforms.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "app/lang/oxlangs.h"
#include "document/strutil.h"
#include "network/formsender.h"

namespace {

QString Q(const std::string& s) { return QString::fromUtf8(s.c_str()); }
std::string S(const QString& s) { return s.toUtf8().toStdString(); }

QLabel* NamedLabel(QWidget* parent, const char* name, const QString& text) {
  auto* l = new QLabel(text, parent);
  l->setObjectName(name);
  return l;
}

// Keeps a field in one case while the user types, the cursor where it was.
void ForceCase(QLineEdit* edit, bool upper) {
  QObject::connect(edit, &QLineEdit::textEdited, edit, [edit, upper](const QString& text) {
    const QString changed = upper ? text.toUpper() : text.toLower();
    if (changed == text) return;
    const int at = edit->cursorPosition();
    edit->setText(changed);
    edit->setCursorPosition(at);
  });
}

}  // namespace

// ------------------------------------------------------------------ password

std::string& TMailPassword::Session() {
  static std::string password;
  return password;
}

std::string TMailPassword::Get(TSettings& settings) {
  if (!Session().empty()) return Session();
  return settings.ReadOption("smtppw1");
}

void TMailPassword::Set(TSettings& settings, const std::string& password, bool remember) {
  Session() = password;
  settings.WriteOption("smtppw1", remember ? password : std::string());
}

void TMailPassword::ForgetSession() { Session().clear(); }

// ------------------------------------------------------------------ TFemail

TFemail::TFemail(TSettings& settings, QWidget* parent) : QDialog(parent), settings_(settings) {
  setWindowTitle("Configurazione email");
  setObjectName("Femail");
  auto* layout = new QVBoxLayout(this);
  QLabel* intro = NamedLabel(this, "Label1",
                             "Questa è una configurazione per inviare email che occorre fare una sola volta.\n"
                             "Potrai cambiare questi valori in seguito con il comando delle opzioni email.");
  intro->setWordWrap(true);
  layout->addWidget(intro);
  auto* form = new QFormLayout;
  Esmtp = new QLineEdit(this);
  Esmtp->setObjectName("Esmtp");
  Email = new QLineEdit(this);
  Email->setObjectName("Email");
  Epassword = new QLineEdit(this);
  Epassword->setObjectName("Epassword");
  Epassword->setEchoMode(QLineEdit::Password);
  RememberBox = new QCheckBox("Ricorda la password", this);
  RememberBox->setObjectName("CBricorda");
  form->addRow(NamedLabel(this, "Label2",
                          "Nome del server SMTP per la posta in uscita\n"
                          "(per esempio: smtp.esempio.it o smtp.esempio.it:587):"),
               Esmtp);
  form->addRow(NamedLabel(this, "Label3", "Il tuo indirizzo email\n(per esempio: mario.rossi@esempio.it):"), Email);
  form->addRow(NamedLabel(this, "Label4", "Password (solo se il server la chiede):"), Epassword);
  form->addRow(QString(), RememberBox);
  layout->addLayout(form);
  OkButton = new QPushButton("&Ok", this);
  OkButton->setObjectName("OkButton");
  layout->addWidget(OkButton, 0, Qt::AlignRight);
  auto* languager = new TOxLanguager(this);
  languager->SetLocalizationString(BuiltInTable("Femail"));
  setTabOrder(Esmtp, Email);
  connect(OkButton, &QPushButton::clicked, this, &TFemail::OkClick);
  focusTimer_.setSingleShot(true);
  focusTimer_.setInterval(FocusDelayMs);
  connect(&focusTimer_, &QTimer::timeout, this, [this] {
    raise();
    activateWindow();
    if (Esmtp->isEnabled() && Esmtp->isVisible()) Esmtp->setFocus();
  });
}

void TFemail::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  Email->setText(Q(settings_.ReadOption("email1")));
  Esmtp->setText(Q(settings_.ReadOption("smtp1")));
  Epassword->setText(Q(TMailPassword::Get(settings_)));
  RememberBox->setChecked(!settings_.ReadOption("smtppw1").empty());
  focusTimer_.start();
}

void TFemail::OkClick() {
  settings_.WriteOption("email1", S(Email->text()));
  settings_.WriteOption("smtp1", S(Esmtp->text()));
  TMailPassword::Set(settings_, S(Epassword->text()), RememberBox->isChecked());
  accept();
}

// ------------------------------------------------------------------ TFAskName

TFAskName::TFAskName(TSettings& settings, QWidget* parent) : QDialog(parent), settings_(settings) {
  setWindowTitle("Dati utente");
  setObjectName("FAskName");
  auto* layout = new QVBoxLayout(this);
  InfoLabel = NamedLabel(this, "InfoLabel",
                         "Inserite i vostri dati. Nome, cognome e indirizzo email servono all'ebook per "
                         "riconoscervi e rispondervi.");
  InfoLabel->setWordWrap(true);
  layout->addWidget(InfoLabel);
  auto* form = new QFormLayout;
  Enome = new QLineEdit(this);
  Enome->setObjectName("Enome");
  Ecognome = new QLineEdit(this);
  Ecognome->setObjectName("Ecognome");
  Eemail = new QLineEdit(this);
  Eemail->setObjectName("Eemail");
  form->addRow(NamedLabel(this, "LabelNome", "Nome:"), Enome);
  form->addRow(NamedLabel(this, "LabelCognome", "Cognome:"), Ecognome);
  form->addRow(NamedLabel(this, "LabelEmail", "Email:"), Eemail);
  layout->addLayout(form);
  OkButton = new QPushButton("&Ok", this);
  OkButton->setObjectName("OkButton");
  OkButton->setDefault(true);
  OkButton->setEnabled(false);
  layout->addWidget(OkButton, 0, Qt::AlignRight);
  Notice = new QPlainTextEdit(this);
  Notice->setObjectName("Notice");
  Notice->setReadOnly(true);
  Notice->setPlainText(
      "NOTA: Per funzionare correttamente, il programma deve avere il permesso di usare alcune risorse del tuo "
      "computer. Se un programma di sicurezza (antivirus o firewall) chiede se permetterlo, rispondete di sì.");
  Notice->setMaximumHeight(80);
  layout->addWidget(Notice);
  auto* languager = new TOxLanguager(this);
  languager->SetLocalizationString(BuiltInTable("FAskName"));
  ForceCase(Enome, true);
  ForceCase(Ecognome, true);
  ForceCase(Eemail, false);
  Ecognome->setText(Q(settings_.ReadSub("reg", "cognome")));
  Eemail->setText(Q(settings_.ReadSub("reg", "email")));
  const std::string nome = settings_.ReadSub("reg", "nome");
  if (!nome.empty()) Enome->setText(Q(nome));
  for (QLineEdit* e : {Enome, Ecognome, Eemail}) connect(e, &QLineEdit::textChanged, this, &TFAskName::FieldChanged);
  connect(OkButton, &QPushButton::clicked, this, &TFAskName::OkClick);
  FieldChanged();
  adjustSize();
  if (const QScreen* s = QGuiApplication::primaryScreen()) move(s->availableGeometry().center() - rect().center());
}

void TFAskName::FieldChanged() { OkButton->setEnabled(str::PlausibleEmail(S(Eemail->text()))); }

void TFAskName::OkClick() {
  if (!OkButton->isEnabled()) return;
  if (Enome->text().isEmpty()) {
    Enome->setFocus();
    return;
  }
  if (Ecognome->text().isEmpty()) {
    Ecognome->setFocus();
    return;
  }
  Enome->setText(Q(CleanName(S(Enome->text()))));
  Ecognome->setText(Q(CleanName(S(Ecognome->text()))));
  settings_.WriteSub("reg", "nome", S(Enome->text()));
  settings_.WriteSub("reg", "cognome", S(Ecognome->text()));
  settings_.WriteSub("reg", "email", S(Eemail->text()));
  settings_.WriteSub("reg", "nl", "0");
  accept();
}
