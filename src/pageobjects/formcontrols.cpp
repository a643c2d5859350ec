#include "pageobjects/formcontrols.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QFile>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QUrl>
#include <algorithm>

#include "document/zebobject.h"
#include "document/zebset.h"
#include "network/formsender.h"
#include "pageobjects/cursors.h"
#include "pageobjects/formhost.h"
#include "pageobjects/framesetapi.h"
#include "pageobjects/zebpage.h"

using namespace formrec;

namespace {

TZEBpage* PageOf(const QWidget* w) {
  for (QWidget* p = w ? w->parentWidget() : nullptr; p; p = p->parentWidget())
    if (auto* page = qobject_cast<TZEBpage*>(p)) return page;
  return nullptr;
}

// The open ebook's file name without its folder, as forms name their ebook.
std::string EbookName(const TZEBset* doc) {
  const std::string file = doc ? doc->ZEBFileName() : std::string();
  return file.substr(file.find_last_of("/\\") + 1);
}

// Keeps a widget's own signals from writing back while the model is shown.
struct TQuiet {
  QObject* o;
  bool was;
  explicit TQuiet(QObject* obj) : o(obj), was(obj->blockSignals(true)) {}
  ~TQuiet() { o->blockSignals(was); }
};

}  // namespace

// ---------------------------------------------------------------- base

TMyyFormControl::TMyyFormControl(QWidget* parent) : TMyyVisual(parent) { setFocusPolicy(Qt::NoFocus); }
TMyyFormControl::~TMyyFormControl() = default;

void TMyyFormControl::Bind(TZEBoggetto* obj) {
  TMyyVisual::Bind(obj);
  if (!obj) return;
  model_ = std::make_unique<TFieldModel>(*obj);
  IFrameSetHost* fs = GetFrameSet();
  TFormHost* host = fs ? fs->FormHost() : nullptr;
  if (host)
    if (auto it = host->values.find(obj->Id()); it != host->values.end()) model_->Restore(it->second);
  LoadFromObject();
}

void TMyyFormControl::LoadFromObject() {
  if (!model_) return;  // the base binds before the model exists
  RefreshLook();
  ShowModel();
}

std::string TMyyFormControl::GetValue() const { return model_ ? model_->GetValue() : std::string(); }

std::string TMyyFormControl::GetItems() const {
  std::string out;
  if (model_)
    for (const TChoice& c : model_->ChoiceList()) out += c.caption + "\r\n";
  return out;
}

void TMyyFormControl::SetValue(const std::string& v) {
  if (!model_) return;
  model_->SetValue(v);
  ShowModel();
  ModelChanged();
}

void TMyyFormControl::ResetValue() {
  if (!model_) return;
  model_->ResetValue();
  RefreshLook();
  ShowModel();
  ModelChanged();
}

void TMyyFormControl::ClearValue() {
  if (!model_) return;
  model_->ClearValue();
  ShowModel();
  ModelChanged();
}

void TMyyFormControl::ModelChanged() {
  IFrameSetHost* fs = GetFrameSet();
  TFormHost* host = fs ? fs->FormHost() : nullptr;
  if (host && model_ && Object()) host->values[Object()->Id()] = model_->State();
  update();
}

int TMyyFormControl::CharWidth() const { return std::max(1, fontMetrics().averageCharWidth()); }

QString TMyyFormControl::U(const std::string& bytes) const {
  TZEBoggetto* o = Object();
  TZEBset* doc = o ? o->Document() : nullptr;
  return QString::fromStdString(doc ? doc->CodePage().ToUtf8(bytes) : bytes);
}

std::string TMyyFormControl::B(const QString& text) const {
  TZEBoggetto* o = Object();
  TZEBset* doc = o ? o->Document() : nullptr;
  return doc ? doc->CodePage().FromUtf8(text.toStdString()) : text.toStdString();
}

void TMyyFormControl::ApplyHint(QWidget* target) {
  IFrameSetHost* fs = GetFrameSet();
  TZEBoggetto* o = Object();
  const std::string hint = fs && o ? DescriptionHint(fs->HintFor(o)) : std::string();
  target->setToolTip(U(hint));
}

void TMyyFormControl::InstallKeys(QWidget* w) {
  w->installEventFilter(this);
  w->setFocusPolicy(Qt::StrongFocus);
}

// Tab and Shift+Tab go from field to field in text order; Enter in a
// single-line edit presses the form's first submit button.
bool TMyyFormControl::eventFilter(QObject* watched, QEvent* e) {
  if (e->type() != QEvent::KeyPress) return TMyyVisual::eventFilter(watched, e);
  auto* k = static_cast<QKeyEvent*>(e);
  const bool tab = k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab;
  const bool enter = (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) && qobject_cast<QLineEdit*>(watched);
  if (!tab && !enter) return TMyyVisual::eventFilter(watched, e);
  TPageFormItems page = CollectFormItems(this);
  const int me = page.IndexOf(this);
  if (me < 0) return false;
  const int n = int(page.items.size());
  if (tab) {
    const int step = (k->key() == Qt::Key_Backtab || (k->modifiers() & Qt::ShiftModifier)) ? -1 : 1;
    for (int i = (me + step + n) % n; i != me; i = (i + step + n) % n)
      if (auto* c = dynamic_cast<TMyyFormControl*>(page.items[i]))
        if (QWidget* target = c->Editor() ? c->Editor() : c; target->isVisible()) {
          target->setFocus(step > 0 ? Qt::TabFocusReason : Qt::BacktabFocusReason);
          return true;
        }
    return true;
  }
  const TFormRange range = FindForm(page.items, me);
  for (int i = std::max(range.start, 0); i < range.end; ++i)
    if (auto* b = dynamic_cast<TMyyButton*>(page.items[i]); b && (b->FormObject().State() == 1 || b->FormObject().State() == 2)) {
      b->Press();
      return true;
    }
  return false;
}

// ---------------------------------------------------------------- edit

TMyyEdit::TMyyEdit(QWidget* parent) : TMyyFormControl(parent), edit_(new QLineEdit(this)) {
  InstallKeys(edit_);
  connect(edit_, &QLineEdit::textEdited, this, [this](const QString& t) {
    model_->SetValue(B(t));
    ModelChanged();
  });
}

QWidget* TMyyEdit::Editor() const { return edit_; }

void TMyyEdit::RefreshLook() {
  if (!model_) return;
  const TZEBoggetto& o = *Object();
  if (o.State() == fkPassword) {
    edit_->setEchoMode(QLineEdit::Password);
    edit_->setStyleSheet("QLineEdit { lineedit-password-character: 35 }");  // "#"
  }
  const int chars = o.Rec().Byte(SizeChars);
  resize(chars > 0 ? CharWidth() * chars : edit_->sizeHint().width(), edit_->sizeHint().height());
  ApplyHint(edit_);
}

void TMyyEdit::ShowModel() {
  TQuiet q(edit_);
  edit_->setText(U(model_->Text()));
}

void TMyyEdit::resizeEvent(QResizeEvent*) { edit_->setGeometry(rect()); }

// ---------------------------------------------------------------- memo

TMyyMemo::TMyyMemo(QWidget* parent) : TMyyFormControl(parent), memo_(new QPlainTextEdit(this)) {
  InstallKeys(memo_);
  memo_->setTabChangesFocus(true);
  connect(memo_, &QPlainTextEdit::textChanged, this, [this] {
    QString t = memo_->toPlainText();
    t.replace('\n', "\r\n");
    model_->SetValue(B(t));
    ModelChanged();
  });
}

QWidget* TMyyMemo::Editor() const { return memo_; }

void TMyyMemo::RefreshLook() {
  if (!model_) return;
  const int cols = std::max<int>(1, Object()->Rec().Byte(MemoCols));
  const int rows = std::max<int>(1, Object()->Rec().Byte(MemoRows));
  resize(CharWidth() * cols, fontMetrics().lineSpacing() * rows + 4);
  ApplyHint(memo_);
}

void TMyyMemo::ShowModel() {
  TQuiet q(memo_);
  QString t = U(model_->Text());
  t.replace("\r\n", "\n");
  memo_->setPlainText(t);
}

void TMyyMemo::resizeEvent(QResizeEvent*) { memo_->setGeometry(rect()); }

// ---------------------------------------------------------------- list and combo

TMyyListBox::TMyyListBox(QWidget* parent) : TMyyFormControl(parent), list_(new QListWidget(this)) {
  InstallKeys(list_);
  connect(list_, &QListWidget::currentRowChanged, this, [this](int row) {
    model_->Select(row);
    ModelChanged();
  });
}

QWidget* TMyyListBox::Editor() const { return list_; }

void TMyyListBox::RefreshLook() {
  if (!model_) return;
  const TZEBoggetto& o = *Object();
  list_->setSelectionMode(o.Rec().Byte(MultiSelect) ? QAbstractItemView::MultiSelection
                                                     : QAbstractItemView::SingleSelection);
  {
    TQuiet q(list_);
    list_->clear();
    for (const TChoice& c : model_->ChoiceList()) list_->addItem(U(c.caption));
  }
  const int chars = o.Rec().Byte(SizeChars);
  const int rows = std::clamp<int>(o.Rec().Byte(MemoRows), 1, 40);
  resize(chars > 0 ? CharWidth() * chars : 120,
         fontMetrics().lineSpacing() * (o.Rec().Byte(MemoRows) ? rows : 4) + 4);
  ApplyHint(list_);
  ShowModel();
}

void TMyyListBox::ShowModel() {
  TQuiet q(list_);
  list_->setCurrentRow(model_->Selected());
}

void TMyyListBox::resizeEvent(QResizeEvent*) { list_->setGeometry(rect()); }

TMyyComboBox::TMyyComboBox(QWidget* parent) : TMyyFormControl(parent), combo_(new QComboBox(this)) {
  InstallKeys(combo_);
  connect(combo_, &QComboBox::currentIndexChanged, this, [this](int i) {
    model_->Select(i);
    ModelChanged();
  });
}

QWidget* TMyyComboBox::Editor() const { return combo_; }

void TMyyComboBox::RefreshLook() {
  if (!model_) return;
  {
    TQuiet q(combo_);
    combo_->clear();
    for (const TChoice& c : model_->ChoiceList()) combo_->addItem(U(c.caption));
  }
  const int chars = Object()->Rec().Byte(SizeChars);
  resize(chars > 0 ? CharWidth() * chars : combo_->sizeHint().width(), combo_->sizeHint().height());
  ApplyHint(combo_);
  ShowModel();  // filling the box selected its first choice
}

void TMyyComboBox::ShowModel() {
  TQuiet q(combo_);
  combo_->setCurrentIndex(model_->Selected());
}

void TMyyComboBox::resizeEvent(QResizeEvent*) { combo_->setGeometry(rect()); }

// ---------------------------------------------------------------- check boxes and radio buttons

TMyyCheckedControl::TMyyCheckedControl(QWidget* parent) : TMyyFormControl(parent) {
  setFocusPolicy(Qt::StrongFocus);
  resize(13, 13);
}

void TMyyCheckedControl::SetChecked(bool on) {
  if (!model_) return;
  model_->SetChecked(on);
  ModelChanged();
}

void TMyyCheckedControl::RefreshLook() {
  resize(13, 13);
  ApplyHint(this);
}

void TMyyCheckedControl::ActivateInReader() { Toggle(); }

void TMyyCheckedControl::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Space) {
    Toggle();
    return;
  }
  if (e->key() == Qt::Key_Tab || e->key() == Qt::Key_Backtab) {
    eventFilter(this, e);
    return;
  }
  TMyyFormControl::keyPressEvent(e);
}

void TMyyCheckedControl::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing, Round());
  const QRectF r(0.5, 0.5, 12, 12);
  p.setPen(hasFocus() ? QColor(0, 90, 200) : QColor(0x80, 0x80, 0x80));
  p.setBrush(Qt::white);
  if (Round()) {
    p.drawEllipse(r);
    if (Checked()) {
      p.setPen(Qt::NoPen);
      p.setBrush(Qt::black);
      p.drawEllipse(QRectF(3.5, 3.5, 6, 6));
    }
  } else {
    p.drawRect(r);
    if (Checked()) {
      p.setPen(QPen(Qt::black, 2));
      p.drawLine(QPointF(3, 6.5), QPointF(5.5, 9.5));
      p.drawLine(QPointF(5.5, 9.5), QPointF(10, 3.5));
    }
  }
}

// ---------------------------------------------------------------- button

TMyyButton::TMyyButton(QWidget* parent) : TMyyFormControl(parent), push_(new QPushButton(this)) {
  InstallKeys(push_);
  connect(push_, &QPushButton::clicked, this, [this] { Press(); });
}

QWidget* TMyyButton::Editor() const { return push_->isVisible() ? push_ : nullptr; }

TZEBoggetto* TMyyButton::LinkedObject() const {
  TZEBoggetto* o = Object();
  TZEBset* doc = o ? o->Document() : nullptr;
  return doc ? doc->ObjectById(ButtonLinkId(*o)) : nullptr;
}

bool TMyyButton::IsOpaque() const { return picture_.isNull() || !picture_.hasAlphaChannel(); }

void TMyyButton::RefreshLook() {
  TZEBoggetto* o = Object();
  if (!o) return;
  TZEBset* doc = o->Document();
  TZEBoggetto* picObj = doc ? doc->ObjectAt(immagine, ButtonPictureIndex(*o)) : nullptr;
  picture_ = picObj && ButtonPictureIndex(*o) >= 0 ? PictureImage(picObj->Picture()) : QImage();
  if (picture_.isNull()) {
    push_->setText(U(ButtonCaption(*o)));
    push_->show();
    const int w = std::max(70, CharWidth() * (int(ButtonCaption(*o).size()) + 2));
    resize(w, push_->sizeHint().height());
    ApplyHint(push_);
    setCursor(Qt::ArrowCursor);
  } else {
    push_->hide();
    int w = o->Rec().I16(ButtonDispW), h = o->Rec().I16(ButtonDispH);
    if (o->Rec().I16(ButtonSyncW) != picture_.width() || o->Rec().I16(ButtonSyncH) != picture_.height() ||
        w <= 0 || h <= 0) {
      w = picture_.width();
      h = picture_.height();
    }
    resize(std::clamp(w, 1, 4000), std::clamp(h, 1, 4000));
    ApplyHint(this);
    setCursor(LectraCursor(2));
  }
  if (LinkedObject()) setCursor(LectraCursor(2));
}

void TMyyButton::ActivateInReader() { Press(); }

void TMyyButton::Press() {
  IFrameSetHost* fs = GetFrameSet();
  if (!fs || fs->Closing()) return;
  TPageFormItems page = CollectFormItems(this);
  const int me = page.IndexOf(this);
  if (me < 0) return;
  TFormAction a = PressFormButton(page.items, me, EbookName(Object()->Document()));
  if (TZEBoggetto* link = LinkedObject()) fs->RaiseLink(link, this);
  PerformFormAction(a, *this);
}

void TMyyButton::paintEvent(QPaintEvent*) {
  if (picture_.isNull()) return;
  QPainter p(this);
  p.drawImage(rect(), picture_);
}

void TMyyButton::resizeEvent(QResizeEvent*) { push_->setGeometry(rect()); }

// ---------------------------------------------------------------- page items and actions

int TPageFormItems::IndexOf(const QWidget* control) const {
  for (size_t i = 0; i < items.size(); ++i)
    if (dynamic_cast<const QWidget*>(items[i]) == control) return int(i);
  return -1;
}

TPageFormItems CollectFormItems(QWidget* control) {
  TPageFormItems out;
  TZEBpage* page = PageOf(control);
  auto* visual = qobject_cast<TMyyVisual*>(control);
  if (!page || !visual) return out;
  // The form lies in the same text as the control: main text, header or footer.
  const int n = visual->Registration();
  const int b1 = page->ObjectBase(1), b2 = page->ObjectBase(2);
  const int lo = n <= b1 ? 1 : n <= b2 ? b1 + 1 : b2 + 1;
  const int hi = n <= b1 ? b1 : n <= b2 ? b2 : INT32_MAX;
  for (int i = lo; i <= hi; ++i) {
    TZEBoggetto* o = page->IndexedObject(i);
    if (!o) break;
    if (auto* item = dynamic_cast<IFormItem*>(page->IndexedControl(i))) {
      out.items.push_back(item);
    } else {
      out.standIns.push_back(std::make_unique<TFieldModel>(*o));
      out.items.push_back(out.standIns.back().get());
    }
  }
  return out;
}

namespace {

const char* const kCannotOpen = "Non riesco a far partire il tuo programma di Posta o il tuo Browser!";

void Status(TFormHost* host, const std::string& text) {
  if (host && host->status) host->status(text);
}

void ErrorBox(TZEBset* doc, const std::string& text) {
  if (doc && doc->Services().messages) doc->Services().messages->Message(TMsgKind::Error, text);
}

bool OpenInBrowser(TFormHost* host, const std::string& utf8) {
  if (host && host->openAddress) return host->openAddress(utf8);
  return QDesktopServices::openUrl(QUrl::fromEncoded(QByteArray::fromStdString(utf8), QUrl::TolerantMode));
}

void SaveToFile(TFormHost* host, const TFormAction& a, TZEBset* doc) {
  std::optional<std::string> path;
  if (host && host->askSaveFile) {
    path = host->askSaveFile(a.address, "txt");
  } else {
    QString title = QString::fromStdString(doc ? doc->CodePage().ToUtf8(a.address) : a.address);
    QString p = QFileDialog::getSaveFileName(nullptr, title, QString(), "*.txt");
    if (!p.isEmpty()) {
      if (QFileInfo(p).suffix().isEmpty()) p += ".txt";
      path = p.toStdString();
    }
  }
  if (!path) return;  // cancelled: nothing written, nothing said
  QFile f(QString::fromStdString(*path));
  if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
      f.write(a.fileText.data(), qint64(a.fileText.size())) != qint64(a.fileText.size())) {
    ErrorBox(doc, "Errore nella scrittura file: " + *path);
    return;
  }
  Status(host, "Modulo salvato in " + *path);
}

}  // namespace

void PerformFormAction(const TFormAction& a, TMyyFormControl& source) {
  IFrameSetHost* fs = source.GetFrameSet();
  TFormHost* host = fs ? fs->FormHost() : nullptr;
  TZEBset* doc = source.FormObject().Document();
  auto utf8 = [&](const std::string& s) { return doc ? doc->CodePage().ToUtf8(s) : s; };
  switch (a.kind) {
    case TFormAction::Open:
      if (!OpenInBrowser(host, utf8(a.address))) ErrorBox(doc, kCannotOpen);
      break;
    case TFormAction::Http:
    case TFormAction::Email:
      if (!host || !host->sender) {
        Status(host, "Invio del modulo non disponibile: il modulo non \xC3\xA8 stato inviato.");
      } else if (a.kind == TFormAction::Http) {
        host->sender->PostFormText(a.address, a.text);
      } else {
        host->sender->MailFormText(a.address, EbookName(doc), a.text);
      }
      break;
    case TFormAction::File:
      SaveToFile(host, a, doc);
      break;
    case TFormAction::None:
      if (a.refused) ErrorBox(doc, kCannotOpen);
      break;
    default:
      break;
  }
}

TMyyVisual* CreateFormControl(TZEBoggetto* obj) {
  if (!obj) return nullptr;
  if (obj->Kind() == bottoneCGI) return new TMyyButton;
  switch (ControlOf(obj->Kind(), obj->State())) {
    case TControl::Edit: return new TMyyEdit;
    case TControl::Memo: return new TMyyMemo;
    case TControl::List: return new TMyyListBox;
    case TControl::Combo: return new TMyyComboBox;
    case TControl::Check: return new TMyyCheckBox;
    case TControl::Radio: return new TMyyRadioButton;
    default: return nullptr;
  }
}
