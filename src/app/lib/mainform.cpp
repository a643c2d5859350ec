#include "app/lib/mainform.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QUrl>
#include <QWheelEvent>

#include "app/lang/oxlangs.h"
#include "app/lib/aboutform.h"
#include "app/lib/boxsink.h"
#include "document/pathutil.h"
#include "document/strutil.h"
#include "network/ui/formsender_qt.h"
#include "pageobjects/zebbox.h"
#include "printing/pagesetup.h"
#include "platform/system.h"
#include "shell/qtshell.h"

// ---------------------------------------------------------------- status bar

TMainStatusBar::TMainStatusBar(QWidget* parent) : QWidget(parent) {
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  panelBox_ = new QWidget(this);
  auto* panels = new QHBoxLayout(panelBox_);
  panels->setContentsMargins(0, 0, 0, 0);
  panels->setSpacing(2);
  const int widths[3] = {75, 250, 50};
  for (int i = 0; i < 3; ++i) {
    panels_[i] = new QLabel(panelBox_);
    panels_[i]->setFrameShape(QFrame::Panel);
    panels_[i]->setFrameShadow(QFrame::Sunken);
    panels_[i]->setFixedWidth(widths[i]);
    panels->addWidget(panels_[i]);
  }
  panels_[1]->setAlignment(Qt::AlignCenter);
  panels->addStretch(1);
  layout->addWidget(panelBox_, 1);
  simpleLabel_ = new QLabel(this);
  simpleLabel_->setObjectName("SimplePanel");
  simpleLabel_->setTextFormat(Qt::PlainText);
  layout->addWidget(simpleLabel_, 1);
  simpleLabel_->hide();
}

void TMainStatusBar::SetSimplePanel(bool on) {
  simple_ = on;
  panelBox_->setVisible(!on);
  simpleLabel_->setVisible(on);
}

void TMainStatusBar::SetSimpleText(const QString& text) { simpleLabel_->setText(text); }

QString TMainStatusBar::SimpleText() const { return simpleLabel_->text(); }

// ---------------------------------------------------------------- creation

namespace {

IShell* OrOwn(IShell* given, std::unique_ptr<IShell>& own) {
  if (given) return given;
  own = std::make_unique<TQtShell>();
  return own.get();
}

}  // namespace

TMainForm::TMainForm(TMainFormOptions options, QWidget* parent)
    : QMainWindow(parent),
      options_(std::move(options)),
      ownSink_(options_.messages ? nullptr : std::make_unique<TBoxSink>(this)),
      messages_(options_.messages ? options_.messages : ownSink_.get()),
      shell_(OrOwn(options_.shell, ownShell_)),
      settings_(*options_.settings, messages_) {
  if (!options_.dialogs) ownDialogs_ = std::make_unique<TQtShellDialogs>(this);
  dialogs_ = options_.dialogs ? options_.dialogs : ownDialogs_.get();
  if (!options_.system) ownSystem_ = std::make_unique<TPosixSystem>();
  ISystemInfo* system = options_.system ? options_.system : ownSystem_.get();
  setObjectName("MainForm");
  setAcceptDrops(true);

  mainZEBset = std::make_unique<TZEBset>(TServices{messages_, options_.settings, system});
  settings_.WriteOption("skin", "0");
  // A cache of a few thousand decoded pictures is as far as a setting may go.
  const int cache = settings_.ReadOptionNum("maxCacheImg", -1);
  if (cache > 0) mainZEBset->Images().MaxCacheImg = std::min(cache, 5000);
  WatchReadFailures();
  recent_.Load(settings_);
  books_.Load(settings_);
  WatchMainDocument();

  BuildPanels();
  BuildContentsPanel();
  StatusBar = new TMainStatusBar(this);
  StatusBar->setObjectName("StatusBar");
  statusBar()->addWidget(StatusBar, 1);
  BuildToolbars();
  BuildMenus();
  BuildPopupMenu();
  BuildObjectPopups();
  SetUpPrinting();
  BuildNetworkCommands();
  BuildSearchCommands();
  // The table's texts first: captions set by code below override them.
  Languager = new TOxLanguager(this);
  Languager->setObjectName("Languager");
  // The languages tables exist for; the one in use follows the desktop.
  auto* languages = new TOxLanguagesStore(this);
  languages->setObjectName("LanguagesStore");
  languages->DefaultLang = "ita";
  languages->SetLanguagesDefines({"eng", "ita"});
  Languager->SetLanguagesStore(languages);
  Languager->SetLocalizationString(BuiltInTable("MainForm"));
  const std::string bars = settings_.ReadKey(ToolbarKey, "toolbar");
  if (bars != "notfound" && !bars.empty()) restoreState(QByteArray::fromBase64(QByteArray::fromStdString(bars)));

  dispatcher_ = std::make_unique<TLinkDispatcher>(*this, *shell_, *dialogs_, settings_, *messages_,
                                                  options_.programFolder);
  presentationTimer_.setSingleShot(true);
  presentationTimer_.setInterval(PresentationDelayMs);
  connect(&presentationTimer_, &QTimer::timeout, this, &TMainForm::PresentationStep);
  if (options_.showRequests)
    connect(options_.showRequests, &TShowRequestServer::ShowRequested, this, [this] {
      if (started_) FollowShowRequest();
    });
  qApp->installEventFilter(this);
  resize(800, 600);
  SetCaption();
  if (options_.splash) {
    splash_ = new TFabout(nullptr);
    // Above the main window, which appears while the splash is still up.
    splash_->setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    splash_->setAttribute(Qt::WA_DeleteOnClose);
    if (const QScreen* sc = screen()) {
      splash_->adjustSize();
      splash_->move(sc->availableGeometry().center() - splash_->rect().center());
    }
    splash_->show();
  }
}

void TMainForm::BuildPanels() {
  PanelSottoInsiemeCornici = new QWidget(this);
  PanelSottoInsiemeCornici->setObjectName("PanelSottoInsiemeCornici");
  auto* layout = new QHBoxLayout(PanelSottoInsiemeCornici);
  layout->setContentsMargins(0, 0, 0, 0);
  PanelSplitter = new QSplitter(Qt::Horizontal, PanelSottoInsiemeCornici);
  PanelSplitter->setHandleWidth(3);
  PanelSplitter->setChildrenCollapsible(false);
  layout->addWidget(PanelSplitter);
  RemarkMemo = new QPlainTextEdit(PanelSplitter);
  RemarkMemo->setObjectName("RemarkMemo");
  RemarkMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  RemarkMemo->hide();
  connect(RemarkMemo, &QPlainTextEdit::textChanged, this, [this] {
    if (!loadingRemark_) remarkChanged_ = true;
  });
  Editor = new TInsiemeCornici(PanelSplitter);
  Editor->setObjectName("Editor");
  PanelSplitter->addWidget(RemarkMemo);
  PanelSplitter->addWidget(Editor);
  PanelSplitter->setStretchFactor(0, 0);
  PanelSplitter->setStretchFactor(1, 1);
  setCentralWidget(PanelSottoInsiemeCornici);
  const int storedWidth = settings_.ReadOptionNum("WRemark", 200);
  const int screenWidth = screen() ? screen()->geometry().width() : 1024;
  if (storedWidth > 10 && storedWidth < screenWidth - 100) storedRemarkWidth_ = storedWidth;

  Editor->SetAnimated(true);
  Editor->SetShowNested(true);
  Editor->SetAutoJump(false);
  Editor->SetActivePreview(true);
  Editor->SetSaveOnExit(false);
  Editor->SetLinkedZEBset(mainZEBset.get());
  Editor->OnPageChanged = [this](QObject*) { EditorPageChanged(); };
  Editor->OnPageChanging = [this](QObject*) { EditorPageChanging(); };
  Editor->OnDoLink = [this](QObject* s, QObject* o, TZEBoggetto* a) { EditorDoLink(s, o, a); };
  Editor->OnDropFile = [this](QObject*, const std::vector<std::string>& f, QObject*) { EditorDropFile(f); };
  // What a form says about itself (sent, saved, not sent) goes to the status bar.
  Editor->Forms().status = [this](const std::string& text) {
    StatusBar->Panel(0)->setText(QString::fromStdString(TranslateMessage(text)));
  };
  Editor->OnGetHint = [this](QObject*, TZEBoggetto*, std::string& hint) {
    const THint h = SplitHint(hint);
    lastHintShort_ = h.shortPart;
    lastHintLong_ = h.longPart;
    hint = h.shortPart;
  };
}

TMainForm::~TMainForm() {
  qApp->removeEventFilter(this);
  if (!lastFile_.empty()) settings_.WriteOption("LastFile", lastFile_);
  settings_.WriteKey(ToolbarKey, "toolbar", saveState().toBase64().toStdString());
  recent_.Save(settings_);
  books_.Save(settings_);
  closing_ = true;
  CloseSeparateWindows();
  Editor->SetClosing(true);
  Editor->Forms().sender = nullptr;  // the sender goes before the frame set
  Editor->SetLinkedZEBset(nullptr);
  if (splash_) delete splash_.data();
}

TFabout* TMainForm::Splash() const { return splash_.data(); }

// ---------------------------------------------------------------- exit

void TMainForm::closeEvent(QCloseEvent* e) {
  // The ebook's presentation is about to place the window: closing now would
  // save a placement that is not the reader's.
  if (presentationTimer_.isActive() || presenting_) {
    e->ignore();
    return;
  }
  if (!closing_) SaveWindowState();
  closing_ = true;
  for (TFseparato* w : SeparateForms()) w->hide();
  e->accept();
}

void TMainForm::SaveWindowState() {
  if (!(windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen)) && presented_) {
    // Where the frame starts and how large the inside is: what move and resize take back.
    settings_.WriteOptionNum("Main_left", pos().x());
    settings_.WriteOptionNum("Main_top", pos().y());
    settings_.WriteOptionNum("Main_width", width());
    settings_.WriteOptionNum("Main_height", height());
  }
  Editor->SetAnimated(false);
  // Leaving the page saves its remark.
  Editor->Reset();
  if (RemarkMemo->isVisible() && RemarkMemo->width() > 100) settings_.WriteOptionNum("WRemark", RemarkMemo->width());
  Editor->SetClosing(true);
}

void TMainForm::exit1Click() { close(); }

void TMainForm::CloseMainWindow() {
  QMetaObject::invokeMethod(this, [this] { close(); }, Qt::QueuedConnection);
}

// ---------------------------------------------------------------- window events

bool TMainForm::event(QEvent* e) {
  switch (e->type()) {
    case QEvent::StatusTip:
      AppShowHint(static_cast<QStatusTipEvent*>(e)->tip());
      return true;
    case QEvent::WindowActivate:
      if (!closing_) {
        Editor->FocusActive();
        Editor->RefreshMultimedia();
      }
      break;
    default: break;
  }
  return QMainWindow::event(e);
}

void TMainForm::changeEvent(QEvent* e) {
  QMainWindow::changeEvent(e);
  if (e->type() != QEvent::WindowStateChange || closing_ || presenting_) return;
  const bool maximised = windowState() & Qt::WindowMaximized;
  // The author's kiosk presentation keeps the window maximised.
  if (locked_ && !maximised && !(windowState() & Qt::WindowMinimized)) {
    QMetaObject::invokeMethod(this, [this] { if (locked_ && !closing_) ShowMaximisedWindow(); }, Qt::QueuedConnection);
    return;
  }
  if (!presented_) return;
  Editor->RefreshMultimedia();
  SetResizeChecks(!maximised);
}

void TMainForm::Resize1Click() {
  if (locked_) {
    messages_->Message(TMsgKind::Information, "Questa funzione è stata disabilitata dall'autore.");
    SetResizeChecks(!isMaximized());
    return;
  }
  if (!isMaximized()) {
    ShowMaximisedWindow();
    if (maximisedByEbook_) menuBar()->hide();
    SetResizeChecks(false);
  } else {
    ShowNormalWindow();
    menuBar()->show();
    SetResizeChecks(true);
  }
  Editor->FocusActive();
}

namespace {

std::vector<std::string> LocalFiles(const QMimeData* data) {
  std::vector<std::string> files;
  if (!data || !data->hasUrls()) return files;
  for (const QUrl& u : data->urls())
    if (u.isLocalFile()) files.push_back(QFile::encodeName(u.toLocalFile()).toStdString());
  return files;
}

}  // namespace

void TMainForm::dragEnterEvent(QDragEnterEvent* e) {
  if (!LocalFiles(e->mimeData()).empty()) e->acceptProposedAction();
}

void TMainForm::dropEvent(QDropEvent* e) {
  const std::vector<std::string> files = LocalFiles(e->mimeData());
  if (files.empty()) return;
  e->acceptProposedAction();
  // Opened after the drop has returned to the source.
  QMetaObject::invokeMethod(this, [this, files] { EditorDropFile(files); }, Qt::QueuedConnection);
}

void TMainForm::EditorDropFile(const std::vector<std::string>& files) {
  if (closing_ || files.empty()) return;
  if (str::Lower(ExtensionOf(files.front())) == ".zeb") OpenEbookFile(files.front());
}

namespace {

bool IsScrollKey(int key) {
  return key == Qt::Key_PageUp || key == Qt::Key_PageDown || key == Qt::Key_Up || key == Qt::Key_Down;
}

}  // namespace

bool TMainForm::eventFilter(QObject* watched, QEvent* e) {
  if (HistoryCombo && watched == HistoryCombo->lineEdit() && e->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(e)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      HistoryComboKeyPress();
      return true;
    }
  }
  if (closing_) return false;
  auto* w = qobject_cast<QWidget*>(watched);
  if (!w || w->window() != this) return false;
  // Typing in the remark panel keeps its own keys and wheel.
  const bool own = w == Editor || Editor->isAncestorOf(w) || w == RemarkMemo || RemarkMemo->isAncestorOf(w);
  switch (e->type()) {
    case QEvent::KeyPress:
      if (!own && Editor->ReadOnly() && IsScrollKey(static_cast<QKeyEvent*>(e)->key())) {
        Editor->FocusActive();
        if (Editor->ScrollByKey(static_cast<QKeyEvent*>(e)->key())) return true;
      }
      break;
    case QEvent::Wheel:
      if (!own && Editor->ReadOnly()) {
        Editor->ScrollByWheel(static_cast<QWheelEvent*>(e)->angleDelta().y());
        return true;
      }
      break;
    case QEvent::MouseMove:
    case QEvent::Leave:
      // The link under the pointer may have changed: the status bar follows.
      if (qobject_cast<TZEBbox*>(w) && !hintCheckPosted_) {
        hintCheckPosted_ = true;
        QMetaObject::invokeMethod(this, [this] { UpdateHintFromPointer(); }, Qt::QueuedConnection);
      }
      break;
    default: break;
  }
  return false;
}
