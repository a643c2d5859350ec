// Language tables: the table format with its escapes, trimming and count
// rules, and every form of the reader walked in Italian and in English.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QToolButton>
#include <set>

#include "app/lang/oxlangs.h"
#include "app/lib/aboutform.h"
#include "app/lib/mainform.h"
#include "network/ui/downloadform.h"
#include "network/ui/mailforms.h"
#include "network/update.h"
#include "printing/pagesetup.h"
#include "printing/printform.h"
#include "printing/printjob.h"
#include "search/fcerca.h"
#include "shell/qtshell.h"
#include "testutil.h"

namespace {

// A table in windows-1252 from UTF-8 lines.
std::string Table(const std::vector<std::string>& lines) {
  std::string t;
  for (const std::string& l : lines) t += l + "\r\n";
  return TCodePage("windows-1252").FromUtf8(t);
}

struct LanguageGuard {
  explicit LanguageGuard(const std::string& code) { SetReaderLanguage(code); }
  ~LanguageGuard() { SetReaderLanguage("ita"); }  // the language the tests run in
};

}  // namespace

TEST(Languager, TableFormatEscapesTrimmingAndCounts) {
  QWidget form;
  form.setObjectName("Prova");
  auto* label1 = new QLabel("vecchio", &form);
  label1->setObjectName("Label1");
  auto* label2 = new QLabel("resta", &form);
  label2->setObjectName("Label2");
  auto* combo = new QComboBox(&form);
  combo->setObjectName("RGParti");
  combo->addItems({"uno", "due", "tre"});
  auto* button = new QPushButton("b", &form);
  button->setObjectName("Bottone");
  auto* item = new QAction("&Apri", &form);
  item->setObjectName("Apri1");
  item->setShortcut(QKeySequence("Ctrl+F12"));
  TOxLanguager lang(&form);

  // Keys in capitals match; values are trimmed; escapes decoded.
  lang.SetLocalizationString(Table({"*_*LABEL1_CAPTION", " Nome", "*_*bottone_caption", "   Titolo   ",
                                    "*_*prova_caption", " a§!b §§ l''x d'y §z", "*_*apri1_caption", " &Open",
                                    "*_.rgparti_items*count", " 2", "*_.rgparti_items*item0", "  x ",
                                    "*_.rgparti_items*item1", " è", "*_*label2_caption"}));
  EXPECT_EQ(label1->text(), "Nome");
  EXPECT_EQ(button->text(), "Titolo");
  EXPECT_EQ(form.windowTitle(), QString::fromUtf8("a\r\nb § l'x d'y"));
  EXPECT_EQ(item->text(), "&Open");
  EXPECT_EQ(item->shortcut(), QKeySequence("Ctrl+F12"));  // a menu item's shortcut is never touched
  ASSERT_EQ(combo->count(), 2);
  EXPECT_EQ(combo->itemText(0), " x ");  // list items lose only their first space
  EXPECT_EQ(combo->itemText(1), QString::fromUtf8("è"));
  EXPECT_EQ(label2->text(), "resta");  // a key on the last line has no value

  // A count of 0 or one that is not a number leaves the list alone; a missing key the text.
  for (const char* count : {" 0", " due", ""}) {
    lang.SetLocalizationString(Table({"*_.rgparti_items*count", count, "*_.rgparti_items*item0", " z"}));
    EXPECT_EQ(combo->count(), 2) << count;
  }
  EXPECT_EQ(label1->text(), "Nome");
  // Broken escapes and lone keys do no harm.
  lang.SetLocalizationString(Table({"*_*label1_caption", " §", "*_*label2_caption"}));
  EXPECT_EQ(label1->text(), "");
  EXPECT_EQ(DecodeTableValue("\xA7"), "");
  EXPECT_EQ(DecodeTableValue("''''"), "''");

  // The property list: the form and menu items offer caption and hint only.
  const std::vector<std::string>& keys = lang.PropertiesList();
  const std::set<std::string> set(keys.begin(), keys.end());
  EXPECT_TRUE(set.count("prova.caption") && set.count("apri1.caption") && set.count("rgparti.items"));
  EXPECT_FALSE(set.count("apri1.items"));
  EXPECT_FALSE(set.count("languager.caption"));

  TOxLanguagesStore store;
  EXPECT_EQ(store.LanguagesDefines(), QStringList{"eng"});
  store.SetLanguagesDefines({});
  EXPECT_EQ(store.LanguagesDefines(), QStringList{"eng"});
}

TEST(Languager, ReaderFollowsTheDesktopLanguage) {
  auto with = [](std::vector<std::pair<const char*, const char*>> env) {
    for (const char* v : {"LC_ALL", "LC_MESSAGES", "LANG"}) qunsetenv(v);
    for (auto& [k, v] : env) qputenv(k, v);
    return ReaderLanguage();
  };
  const QByteArray all = qgetenv("LC_ALL"), msg = qgetenv("LC_MESSAGES"), lang = qgetenv("LANG");
  SetReaderLanguage("");  // follow the environment
  EXPECT_EQ(with({}), "ita");
  EXPECT_EQ(with({{"LANG", "en_US.UTF-8"}}), "eng");
  EXPECT_EQ(with({{"LANG", "it_IT.UTF-8"}}), "ita");
  EXPECT_EQ(with({{"LANG", "it_IT.UTF-8"}, {"LC_MESSAGES", "en_GB.UTF-8"}}), "eng");
  EXPECT_EQ(with({{"LANG", "en_US.UTF-8"}, {"LC_ALL", "C.UTF-8"}}), "eng");
  EXPECT_EQ(with({{"LANG", "de_DE.UTF-8"}}), "ita");
  qputenv("LC_ALL", all);
  qputenv("LC_MESSAGES", msg);
  qputenv("LANG", lang);
  if (all.isEmpty()) qunsetenv("LC_ALL");
  if (msg.isEmpty()) qunsetenv("LC_MESSAGES");
  if (lang.isEmpty()) qunsetenv("LANG");

  LanguageGuard english("eng");
  EXPECT_EQ(TranslateMessage("Errore nella lettura file: /x.zeb"), "Error reading the file: /x.zeb");
  EXPECT_EQ(TranslateMessage("Errore nella lettura file:/x.zeb"), "Error reading the file:/x.zeb");
  EXPECT_EQ(TranslateMessage("qualcos'altro"), "qualcos'altro");
  // Texts inside a message are carried over; a reason that ends one is translated too.
  EXPECT_EQ(TranslateMessage("L'email per a@b.it non è partita (Porta non valida: x).\n"
                             "Vuoi salvare il modulo in un file?"),
            "The e-mail for a@b.it did not leave (Invalid port: x).\nDo you want to save the form in a file?");
  EXPECT_EQ(TranslateMessage("Non riesco a rinominare Foglio 1.zeb in old-1-Foglio 1.zeb: Permission denied"),
            "I cannot rename Foglio 1.zeb to old-1-Foglio 1.zeb: Permission denied");  // names stay as they are
  EXPECT_EQ(TranslateMessage("Il modulo non è stato inviato a http://x/: Porta non valida: 99999"),
            "The form was not sent to http://x/: Invalid port: 99999");
  EXPECT_EQ(TranslateMessage("Stampa interrotta: la pagina è più lunga di 500 fogli; stampa interrotta."),
            "Printing stopped: the page is longer than 500 sheets; printing stopped.");
  EXPECT_EQ(TranslateMessage("Non c'è nessun aggiornamento.\r\n\r\n(Non trovo il file: ;http://x/Foglio 1.zeb)"),
            "There is no update.\r\n\r\n(File not found: ;http://x/Foglio 1.zeb)");
  EXPECT_EQ(TranslateMessage("L'email per a@b.it non è partita"), "L'email per a@b.it non è partita");
  EXPECT_EQ(TranslateMessage("Ricevuti 512 bytes sul socket ID 7"), "Received 512 bytes on socket ID 7");
  // The messages the printing and the update build are in the table as they are built.
  for (const std::string& text : {NoPrinterText(), PrintFailureText("x", true), update::NoUpdateText("http://x/")})
    EXPECT_NE(TranslateMessage(text).substr(0, 12), text.substr(0, 12)) << text;
  EXPECT_EQ(TranslateMessage(PrintFailureText("x", true)).substr(0, 34), "No printer can be reached on Linux");
  SetReaderLanguage("ita");
  EXPECT_EQ(TranslateMessage("Errore nella lettura file: /x.zeb"), "Errore nella lettura file: /x.zeb");
}

namespace {

using TTexts = std::map<std::string, QString>;

TTexts TextsOf(QObject* form) {
  TOxLanguager walker(form);
  TTexts out;
  for (auto& [k, v] : walker.CurrentTexts()) out[k] = v;
  // A text shown by a component without a name is one that no table reaches.
  for (QWidget* w : form->findChildren<QWidget*>()) {
    auto* label = qobject_cast<QLabel*>(w);
    auto* button = qobject_cast<QAbstractButton*>(w);
    if (auto* tool = qobject_cast<QToolButton*>(w); tool && tool->defaultAction()) continue;  // the action's text
    const QString text = label ? label->text() : button ? button->text() : QString();
    if (w->objectName().isEmpty() && !text.isEmpty()) out["(unnamed)." + text.toStdString()] = text;
  }
  return out;
}

// Every form of the reader, created in the current language.
std::map<std::string, TTexts> AllForms() {
  MemSettings store;
  RecordingSink sink;
  FakeSystem system;
  TMainFormOptions o;
  o.settings = &store;
  o.messages = &sink;
  o.system = &system;
  std::map<std::string, TTexts> forms;
  TMainForm main(o);
  forms["MainForm"] = TextsOf(&main);
  auto* separate = dynamic_cast<TFseparato*>(main.CreateSeparateWindow());
  forms["Fseparato"] = TextsOf(separate);
  TFabout about;
  forms["Fabout"] = TextsOf(&about);
  forms["FFiles"] = TextsOf(MakeFileLinkDialog(nullptr, "leggimi.txt").get());
  forms["Fcerca"] = TextsOf(main.SearchWindow());
  ScratchDir dir;
  TPageSetupDialog setup(&store);
  setup.SetPdfOutput(dir.File("prova.pdf"));
  TFprint print(nullptr, &setup, &store, 0, TFprint::mPrint);
  forms["Fprint"] = TextsOf(&print);
  TSettings settings(store);
  TFemail email(settings);
  forms["Femail"] = TextsOf(&email);
  TFAskName askName(settings);
  forms["FAskName"] = TextsOf(&askName);
  update::TDownloadFile download(dir.File("guida.zeb"));
  TFdownload downloadForm("Guida", "http://127.0.0.1:9/guida.zeb", dir.File("guida.zeb"), download, TNetLimits{});
  forms["Fdownload"] = TextsOf(&downloadForm);
  return forms;
}

}  // namespace

TEST(Languager, EveryFormIsTranslated) {
  std::map<std::string, TTexts> ita, eng;
  {
    LanguageGuard g("ita");
    ita = AllForms();
  }
  {
    LanguageGuard g("eng");
    eng = AllForms();
  }
  // Texts that are the same in both languages, and texts no table gives.
  const std::set<QString> same = {"&File", "&?", "&Norvane", "URL", "&Ebook", "Zoom", "&Info...", "Info",
                                  "leggimi.txt", "Norvane", "<", "Stop! ",
                                  // given in English in the Italian menu and forms
                                  "Search again in the ebook", "In the Ebook  F4", "for texts, print color as black",
                                  "all pages at once (one print job)"};
  for (const std::string& form : TableForms()) {
    if (form == "Messages") continue;
    SCOPED_TRACE(form);
    ASSERT_TRUE(ita.count(form)) << "a form with a table is walked";
    ASSERT_FALSE(BuiltInTable(form, "eng").empty());
    for (const auto& [key, text] : ita[form]) EXPECT_NE(key.rfind("(unnamed).", 0), 0u) << key;
    for (const auto& [key, text] : ita[form]) {
      // The windows' own titles are set by code from the page or the ebook.
      if (text.isEmpty() || same.count(text) || key == "mainform.caption" || key == "fseparato.caption") continue;
      bool number = false;
      text.toInt(&number);
      if (number) continue;  // counts (a tree's columns) are not words
      // Hints of menu items follow their captions.
      QString plain = text;
      plain.remove('&');
      if (same.count(plain)) continue;
      EXPECT_NE(eng[form][key], text) << key << " left untranslated";
    }
  }
  // The Italian tables give back the designed texts.
  EXPECT_EQ(ita["MainForm"]["paginaprecedente1.caption"], "P&agina precedente");
  EXPECT_EQ(eng["MainForm"]["paginaprecedente1.caption"], "&Previous page");
  EXPECT_EQ(eng["FFiles"]["labelfile.caption"], "leggimi.txt");
  EXPECT_EQ(eng["Fabout"]["versione.caption"], QString("Version ") + TFabout::Version);
  EXPECT_EQ(ita["Fcerca"]["tskey.caption"], "Pagina per parola chiave");
  EXPECT_EQ(eng["Fcerca"]["tsparola.caption"], "Word");
  EXPECT_EQ(ita["Fprint"]["btutte.caption"], "Tutte, in ordine predefinito");
  EXPECT_EQ(eng["Fprint"]["pagscelte.columns"], "Name");
  EXPECT_EQ(ita["FAskName"]["infolabel.caption"].left(23), "Inserite i vostri dati.");
  EXPECT_EQ(ita["Femail"]["label2.caption"].count('\n'), 1);  // a line break in a label is one line feed
  EXPECT_EQ(eng["Fdownload"]["fdownload.caption"], "Downloading the update for Guida");
}

TEST(Languager, EveryMessageTableLineHasItsTranslation) {
  TOxLanguager ita(nullptr), eng(nullptr);
  ita.SetLocalizationString(BuiltInTable("Messages", "ita"));
  eng.SetLocalizationString(BuiltInTable("Messages", "eng"));
  const std::string n = ita.Lookup("_.messages_items", "Count", "");
  EXPECT_EQ(n, eng.Lookup("_.messages_items", "Count", "-"));
  EXPECT_GT(std::stoi(n), 20);
  // Both texts of a pair carry the same marks in the same order.
  const QRegularExpression mark("%[sm]");
  for (int i = 0; i < std::stoi(n); ++i) {
    const std::string item = "Item" + std::to_string(i);
    QStringList marks[2];
    int side = 0;
    for (const TOxLanguager* t : {&ita, &eng}) {
      const QString text = QString::fromLatin1(t->Lookup("_.messages_items", item, "").c_str());
      for (const QRegularExpressionMatch& m : mark.globalMatch(text)) marks[side] << m.captured();
      ++side;
    }
    EXPECT_EQ(marks[0], marks[1]) << item;
  }
}

TEST(Languager, MessagesWithoutADisplayFollowTheDesktopLanguage) {
  const std::string lectra = std::string(LECTRA_BINARY_DIR) + "/bin/lectra";
  if (!std::filesystem::exists(lectra)) GTEST_SKIP() << "lectra not built";
  ScratchDir dir;
  // Refusing to delete "/" is said on standard error, in the desktop's language.
  auto refusal = [&](const std::string& lang) {
    const std::string err = dir.File("err-" + lang + ".txt");
    const std::string cmd = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u LC_ALL -u LC_MESSAGES LANG=" +
                            lang + " HOME='" + dir.path.string() + "' XDG_CONFIG_HOME='" + dir.File("config") +
                            "' XDG_DATA_HOME='" + dir.File("data") + "' '" + lectra + "' /DELETE / /YES 2>'" + err +
                            "'";
    EXPECT_NE(std::system(cmd.c_str()), -1);
    return ReadAll(err);
  };
  EXPECT_NE(refusal("en_US.UTF-8").find("Information: Folder not deleted: /"), std::string::npos);
  EXPECT_NE(refusal("it_IT.UTF-8").find("Informazione: Cartella non cancellata: /"), std::string::npos);
}
