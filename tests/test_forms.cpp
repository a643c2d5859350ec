// Form submission: which fields a button sends, how each send mode encodes
// them, reset and clear, and the zebtool submit contract.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <QApplication>
#include <QLineEdit>
#include <QKeyEvent>

#include "document/formsubmit.h"
#include "pageobjects/formcontrols.h"
#include "pageobjects/zebframeset.h"
#include "formbook.h"
#include "testutil.h"

using nlohmann::json;

namespace {

struct Page {
  std::vector<std::unique_ptr<TFieldModel>> models;
  std::vector<IFormItem*> items;
  explicit Page(TZEBtesto& page) {
    for (TZEBoggetto* o : page.ReferencedObjects()) {
      models.push_back(std::make_unique<TFieldModel>(*o));
      items.push_back(models.back().get());
    }
  }
  int IndexOf(int kind, int index) const {
    for (size_t i = 0; i < items.size(); ++i)
      if (items[i]->FormObject().Id() == MakeId(kind, index)) return int(i);
    return -1;
  }
  TFieldModel& Model(int kind, int index) { return *models[IndexOf(kind, index)]; }
};

TEST(FormSubmit, QueryStringForTheBrowserAndEveryEncoding) {
  DocFixture f;
  FormBook b;
  b.FormStart(1, "http://esempio.it/modulo");
  b.Field(formrec::fkEdit, "nome", "a b");
  b.Field(formrec::fkCheck, "spunta", "si");         // not checked: sends nothing
  b.Field(formrec::fkCheck, "altra", "x&y", true, true);
  b.Field(formrec::fkHidden, "nascosto", "h=1\r\n");
  b.Field(12, "escluso", "z");                        // subkinds 10..14 send nothing
  int ok = b.Button(1, "ok", "1");
  ASSERT_TRUE(f.doc->Open(b.Save(f.dir)));
  Page page(*f.doc->Page(0));

  TFormAction a = PressFormButton(page.items, page.IndexOf(bottoneCGI, ok), "modulo.zeb");
  EXPECT_EQ(a.kind, TFormAction::Open);
  EXPECT_EQ(a.address,
            "http://esempio.it/modulo?nome=a%20b&altra=x%26y&nascosto=h%3d1%0d%0a&ok=1");

  TFormRange r = FindForm(page.items, page.IndexOf(bottoneCGI, ok));
  const IFormItem& btn = *page.items[page.IndexOf(bottoneCGI, ok)];
  EXPECT_EQ(BuildFormText(2, page.items, r, btn),
            "nome=a%20b\r\naltra=x%26y\r\nnascosto=h%3d1%0d%0a\r\nok=1\r\n");
  EXPECT_EQ(BuildFormText(4, page.items, r, btn),
            "nome=a b\r\naltra=x&y%0dnascosto=h=1\r\n%0dok=1\r\n");
  EXPECT_EQ(BuildFormText(5, page.items, r, btn), "nome=a b\r\naltra=x&y\r\nnascosto=h=1\r\n\r\nok=1\r\n");

  // Mail mode line-encodes typed text, byte for byte.
  page.Model(inputStat, 0).SetValue("a=b&c\r\n\xE8");
  EXPECT_EQ(BuildFormText(4, page.items, r, btn).substr(0, 23), "nome=a%3db%26c%0d%0a\xE8\r\n");
  // Every byte outside the kept set is "%xx" in lower case in a query string.
  page.Model(inputStat, 0).SetValue(std::string("!$'()*-._@~ \x7f\xff", 14));
  EXPECT_EQ(BuildFormText(1, page.items, r, btn).substr(0, 28), "nome=!$'()*-._@%7e%20%7f%ff&");
}

TEST(FormSubmit, TwoFormsResetClearAndSendModes) {
  DocFixture f;
  FormBook b;
  b.FormStart(2, "http://esempio.it/cgi");
  b.Field(formrec::fkEdit, "primo", "uno");
  int send1 = b.Button(1, "", "");
  int reset = b.Button(3, "", "");
  int clear = b.Button(4, "", "");
  b.FormStart(5, "Salva il modulo");
  b.Field(formrec::fkEdit, "secondo", "due");
  b.Field(formrec::fkCheck, "spunta", "si", true, true);
  int send2 = b.Button(2, "invia", "Invia");
  ASSERT_TRUE(f.doc->Open(b.Save(f.dir)));
  Page page(*f.doc->Page(0));

  TFormAction a = PressFormButton(page.items, page.IndexOf(bottoneCGI, send1), "modulo.zeb");
  EXPECT_EQ(a.kind, TFormAction::Http);
  EXPECT_EQ(a.address, "http://esempio.it/cgi");
  EXPECT_EQ(a.text, "primo=uno\r\n");  // only its own form's fields

  TFormAction s = PressFormButton(page.items, page.IndexOf(bottoneCGI, send2), "modulo.zeb");
  EXPECT_EQ(s.kind, TFormAction::File);
  EXPECT_EQ(s.address, "Salva il modulo");
  EXPECT_EQ(s.fileText, "Form from: (modulo.zeb)\r\n--\xA7\xA7--\r\nsecondo=due\r\nspunta=si\r\ninvia=Invia\r\n\r\n");

  page.Model(inputStat, 0).SetValue("cambiato");
  page.Model(inputStat, 1).SetValue("altro");
  page.Model(inputStat, 2).SetValue("CHECKED");
  EXPECT_TRUE(page.Model(inputStat, 2).Checked());
  EXPECT_EQ(PressFormButton(page.items, page.IndexOf(bottoneCGI, clear), "m").kind, TFormAction::Clear);
  EXPECT_EQ(page.Model(inputStat, 0).GetValue(), "");
  EXPECT_EQ(page.Model(inputStat, 1).GetValue(), "altro");  // the other form is left alone
  EXPECT_EQ(PressFormButton(page.items, page.IndexOf(bottoneCGI, reset), "m").kind, TFormAction::Reset);
  EXPECT_EQ(page.Model(inputStat, 0).GetValue(), "uno");
}

TEST(FormSubmit, RefusedAddressesAndButtonsWithoutForm) {
  DocFixture f;
  FormBook b;
  int lone = b.Button(1, "x", "1", MakeId(testoHtml, 0));  // before any form start
  b.FormStart(1, "file:///etc/passwd");
  b.Field(formrec::fkEdit, "a", "1");
  int local = b.Button(1, "", "");
  b.FormStart(4, "");  // no address: T itself would go to the shell
  b.Field(formrec::fkEdit, "b", "2");
  int bare = b.Button(1, "", "");
  b.FormStart(1, "mailto:chi@esempio.it");
  int mail = b.Button(1, "", "");
  ASSERT_TRUE(f.doc->Open(b.Save(f.dir)));
  Page page(*f.doc->Page(0));

  TFormAction l = PressFormButton(page.items, page.IndexOf(bottoneCGI, lone), "m");
  EXPECT_EQ(l.kind, TFormAction::Link);
  EXPECT_EQ(l.link, MakeId(testoHtml, 0));
  TFormAction x = PressFormButton(page.items, page.IndexOf(bottoneCGI, local), "m");
  EXPECT_EQ(x.kind, TFormAction::None);
  EXPECT_TRUE(x.refused);
  TFormAction y = PressFormButton(page.items, page.IndexOf(bottoneCGI, bare), "m");
  EXPECT_EQ(y.kind, TFormAction::None);
  EXPECT_TRUE(y.refused);
  TFormAction m = PressFormButton(page.items, page.IndexOf(bottoneCGI, mail), "m");
  EXPECT_EQ(m.kind, TFormAction::Open);
  EXPECT_EQ(m.address, "mailto:chi@esempio.it?");
  EXPECT_FALSE(OpenableAddress("HTTPX://a"));
  EXPECT_TRUE(OpenableAddress("HTTPS://a"));
}

TEST(FormSubmit, ChoiceListsOfAnyShape) {
  auto c = formrec::ParseChoices("Uno\r\nv1\r\n0\r\nDue\r\nv2\r\n0\r\nTre");
  ASSERT_EQ(c.size(), 3u);
  EXPECT_EQ(c[1].caption, "Due");
  EXPECT_EQ(c[1].value, "v2");
  EXPECT_EQ(c[2].value, "");  // cut short
  EXPECT_TRUE(formrec::ParseChoices("").empty());
  EXPECT_EQ(formrec::ParseChoices("a\nb\n0\n").size(), 1u);  // bare line feeds too
  std::string many;
  for (int i = 0; i < 20000; ++i) many += "c\r\nv\r\n0\r\n";
  EXPECT_EQ(formrec::ParseChoices(many).size(), formrec::kMaxChoices);
}

TEST(FormSubmit, ZebtoolSubmitContract) {
  ScratchDir dir;
  FormBook b;
  b.FormStart(1, "http://esempio.it/m");
  b.Field(formrec::fkEdit, "nome", "");
  b.Field(formrec::fkCheck, "ok", "1");
  b.Field(formrec::fkList, "scelta", "", true, false, "Uno\r\nv1\r\n0\r\nDue\r\nv\xE8\r\n0\r\n");
  int send = b.Button(1, "", "");
  b.FormStart(5, "Salva");
  int save = b.Button(1, "", "");
  std::string book = b.Save(dir);
  char id[16];
  std::snprintf(id, sizeof id, "%08X", unsigned(MakeId(bottoneCGI, send)));

  ToolResult r = RunZebtool({"submit", book, "0", id, "--value", "nome=a b", "--check", "ok",
                             "--select", "scelta=1"});
  ASSERT_EQ(r.status, 0) << r.err;
  json j = json::parse(r.out);
  EXPECT_EQ(j["action"], "open");
  EXPECT_EQ(j["mode"], 1);
  EXPECT_EQ(j["address"], "http://esempio.it/m?nome=a%20b&ok=1&scelta=v%e8&");
  EXPECT_EQ(j["fields"]["scelta"], "v\u00e8");
  EXPECT_EQ(j["fields"]["ok"], "1");

  std::snprintf(id, sizeof id, "%08X", unsigned(MakeId(bottoneCGI, save)));
  r = RunZebtool({"submit", book, "0", id});
  ASSERT_EQ(r.status, 0) << r.err;
  j = json::parse(r.out);
  EXPECT_EQ(j["action"], "file");
  EXPECT_EQ(j["file_text"], "Form from: (modulo.zeb)\r\n--\u00a7\u00a7--\r\n\r\n");

  EXPECT_EQ(RunZebtool({"submit", book, "0", "16000009"}).status, 1);
  EXPECT_EQ(RunZebtool({"submit", book, "7", id}).status, 1);
  EXPECT_EQ(RunZebtool({"submit", book, "0", id, "--select"}).status, 2);
  EXPECT_EQ(RunZebtool({"submit", book, "0", id, "--bogus", "x"}).status, 2);
}

void Key(QWidget* w, int key, Qt::KeyboardModifiers mods = Qt::NoModifier, const QString& text = {}) {
  QKeyEvent press(QEvent::KeyPress, key, mods, text), release(QEvent::KeyRelease, key, mods, text);
  QApplication::sendEvent(w, &press);
  QApplication::sendEvent(w, &release);
}

void Type(QWidget* w, const QString& text) {
  for (QChar c : text) Key(w, c == ' ' ? Qt::Key_Space : Qt::Key_A, Qt::NoModifier, QString(c));
}

// The controls on a shown page: typing, Tab order, Enter, values kept when
// the page is shown again, and every way a form leaves.
struct ShownForm : DocFixture {
  FormBook b;
  std::unique_ptr<TInsiemeCornici> fs;
  std::vector<std::string> opened, statuses;
  std::optional<std::string> saveAnswer;
  int saveQuestions = 0;

  void Show() {
    ASSERT_TRUE(doc->Open(b.Save(dir)));
    fs = std::make_unique<TInsiemeCornici>();
    fs->SetReadOnly(true);
    fs->SetAutoJump(false);
    fs->resize(700, 500);
    TFormHost& h = fs->Forms();
    h.openAddress = [this](const std::string& a) { opened.push_back(a); return true; };
    h.status = [this](const std::string& t) { statuses.push_back(t); };
    h.askSaveFile = [this](const std::string&, const std::string&) { ++saveQuestions; return saveAnswer; };
    fs->SetLinkedZEBset(doc.get());
    fs->SetMainPageNumber(0);
    fs->show();
    for (int i = 0; i < 3; ++i) QApplication::processEvents();
  }
  template <class T> T* Control(int kind, int index) {
    TZEBpage* page = fs->RootFrame()->PageControl();
    return page ? qobject_cast<T*>(page->ControlOf(doc->ObjectAt(kind, index))) : nullptr;
  }
  ~ShownForm() {
    if (fs) fs->SetClosing(true);
    fs.reset();
  }
};

TEST(FormControls, TypingSubmittingAndKeepingValues) {
  ShownForm f;
  f.b.FormStart(1, "http://esempio.it/m");
  int nome = f.b.Field(formrec::fkEdit, "nome", "iniziale");
  int spunta = f.b.Field(formrec::fkCheck, "ok", "1");
  int invia = f.b.Button(1, "", "Invia");
  f.Show();
  auto* edit = f.Control<TMyyEdit>(inputStat, nome);
  auto* check = f.Control<TMyyCheckBox>(inputStat, spunta);
  auto* button = f.Control<TMyyButton>(bottoneCGI, invia);
  ASSERT_TRUE(edit && check && button);
  EXPECT_EQ(edit->GetValue(), "iniziale");
  EXPECT_GE(button->width(), 70);

  auto* line = qobject_cast<QLineEdit*>(edit->Editor());
  line->selectAll();
  Type(line, "a b");
  check->ActivateInReader();
  EXPECT_TRUE(check->Checked());
  Key(line, Qt::Key_Return);  // Enter presses the form's submit button
  ASSERT_EQ(f.opened.size(), 1u);
  EXPECT_EQ(f.opened[0], "http://esempio.it/m?nome=a%20b&ok=1&");

  // Shown again (as after a zoom change): what was typed is still there.
  f.fs->SetMainPageNumber(-1);
  f.fs->SetMainPageNumber(0);
  QApplication::processEvents();
  edit = f.Control<TMyyEdit>(inputStat, nome);
  ASSERT_TRUE(edit);
  EXPECT_EQ(edit->GetValue(), "a b");
  EXPECT_TRUE(f.Control<TMyyCheckBox>(inputStat, spunta)->Checked());
}

TEST(FormControls, TabOrderNetworkModesAndSaving) {
  ShownForm f;
  f.b.FormStart(2, "http://esempio.it/cgi");
  int a = f.b.Field(formrec::fkEdit, "a", "");
  int m = f.b.Field(formrec::fkMemo, "b", "");
  int post = f.b.Button(1, "", "Invia");
  f.b.FormStart(5, "Salva il modulo");
  int save = f.b.Button(1, "", "Salva");
  f.b.FormStart(1, "run:rm -rf /");
  int bad = f.b.Button(1, "", "Male");
  f.Show();
  auto* first = f.Control<TMyyEdit>(inputStat, a);
  auto* memo = f.Control<TMyyMemo>(inputStat, m);
  ASSERT_TRUE(first && memo);
  first->Editor()->setFocus();
  Key(first->Editor(), Qt::Key_Tab);
  EXPECT_TRUE(memo->Editor()->hasFocus());
  Key(memo->Editor(), Qt::Key_Backtab);
  EXPECT_TRUE(first->Editor()->hasFocus());

  // Without a network client mode 2 says so and never that it was sent.
  f.Control<TMyyButton>(bottoneCGI, post)->Press();
  ASSERT_EQ(f.statuses.size(), 1u);
  EXPECT_NE(f.statuses[0].find("non disponibile"), std::string::npos);

  f.Control<TMyyButton>(bottoneCGI, save)->Press();  // cancelled: no file, no message
  EXPECT_EQ(f.saveQuestions, 1);
  EXPECT_TRUE(f.sink.messages.empty());
  f.saveAnswer = f.dir.File("modulo.txt");
  f.Control<TMyyButton>(bottoneCGI, save)->Press();
  EXPECT_EQ(ReadAll(*f.saveAnswer), "Form from: (modulo.zeb)\r\n--\xA7\xA7--\r\n\r\n");

  f.Control<TMyyButton>(bottoneCGI, bad)->Press();  // not a web address: refused
  EXPECT_TRUE(f.opened.empty());
  ASSERT_EQ(f.sink.messages.size(), 1u);
  EXPECT_EQ(f.sink.messages[0].second, "Non riesco a far partire il tuo programma di Posta o il tuo Browser!");
}

}  // namespace

namespace {

TEST(FormSubmit, EveryByteAndHugeFields) {
  DocFixture f;
  FormBook b;
  b.FormStart(2, "http://esempio.it/x");
  std::string all;
  for (int c = 1; c < 256; ++c) all += char(c);
  int edit = b.Field(formrec::fkEdit, "basso", all.substr(0, 71));
  b.w.RecordOf(inputStat, edit)[formrec::SizeChars] = 255;
  b.Field(formrec::fkEdit, "alto", all.substr(184, 71));
  b.Field(formrec::fkMemo, "memo", "");
  b.w.RecordOf(inputStat, 2)[formrec::MemoRows] = 255;
  b.w.RecordOf(inputStat, 2)[formrec::MemoCols] = 255;
  int send = b.Button(1, "", "");
  ASSERT_TRUE(f.doc->Open(b.Save(f.dir)));
  Page page(*f.doc->Page(0));
  TFormAction a = PressFormButton(page.items, page.IndexOf(bottoneCGI, send), "m");
  ASSERT_EQ(a.kind, TFormAction::Http);
  // Every byte outside the kept set became "%xx": the text is printable ASCII.
  EXPECT_TRUE(std::all_of(a.text.begin(), a.text.end(),
                          [](char c) { return c == '\r' || c == '\n' || (c >= 32 && c < 127); }));
  EXPECT_NE(a.text.find("%01%02%03"), std::string::npos);
  EXPECT_NE(a.text.find("%ff"), std::string::npos);
}

}  // namespace
