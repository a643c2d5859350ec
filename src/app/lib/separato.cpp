#include "app/lib/separato.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdio>

#include "app/lang/oxlangs.h"
#include "document/strutil.h"
#include "document/zebobject.h"
#include "pageobjects/zebbox.h"

// ---------------------------------------------------------------- geometry

bool TWindowLayout::Read(const std::string& data, TWindowLayout& out) {
  if (data.size() < size_t(Size)) return false;
  const auto* b = reinterpret_cast<const uint8_t*>(data.data());
  auto i16 = [b](int at) { return int(int16_t(uint16_t(b[at] | (b[at + 1] << 8)))); };
  out.left = i16(0);
  out.top = i16(2);
  out.width = i16(4);
  out.height = i16(6);
  out.maximised = b[15] != 0;
  out.history = b[16] != 0;
  out.menu = b[17] != 0;
  out.resizable = b[18] != 0;
  out.statusBar = b[20] != 0;
  out.toolbar = b[21] != 0;
  return true;
}

QSize BoundedSize(QSize wanted, const QRect& screen) {
  constexpr int Smallest = 120;
  const int w = wanted.width() < Smallest ? Smallest : std::min(wanted.width(), screen.width());
  const int h = wanted.height() < Smallest ? Smallest : std::min(wanted.height(), screen.height());
  return {w, h};
}

QRect KeepReachable(const QRect& window, const QRect& screen) {
  // At least this much of the window's top stays inside the screen.
  constexpr int Grip = 100, TitleBar = 40;
  QRect r = window;
  const int minLeft = screen.left() - std::max(0, r.width() - Grip);
  const int maxLeft = screen.right() - std::min(Grip, r.width());
  const int maxTop = screen.bottom() - TitleBar;
  r.moveLeft(std::clamp(r.left(), minLeft, std::max(minLeft, maxLeft)));
  r.moveTop(std::clamp(r.top(), screen.top(), std::max(screen.top(), maxTop)));
  return r;
}

QRect PopupRect(const QPoint& click, QSize size, const QRect& screen) {
  int left = click.x() > 50 ? click.x() - 50 : click.x();
  if (left + size.width() > screen.right() + 1) left = screen.right() + 1 - size.width();
  int top = click.y();
  if (click.y() + size.height() > screen.bottom() + 1) {
    top = click.y() - (size.height() + 10);
    if (top < screen.top()) {
      size.setHeight(std::min(size.height(), screen.height()));
      top = screen.top();
    }
  }
  return {left, top, size.width(), size.height()};
}

// ---------------------------------------------------------------- creation

TFseparato::TFseparato(ISeparateHost& host, QWidget* parent) : QMainWindow(parent), host_(host) {
  setObjectName("Fseparato");
  setAttribute(Qt::WA_QuitOnClose, false);
  ZEBset1 = std::make_unique<TZEBset>(host_.Services());
  ZEBset1->Images().MaxCacheImg = 20;

  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  Panel1 = new QWidget(central);
  Panel1->setObjectName("Panel1");
  auto* top = new QVBoxLayout(Panel1);
  top->setContentsMargins(0, 0, 0, 0);
  top->setSpacing(0);
  layout->addWidget(Panel1);
  Preview = new TZEBframeSet(central);
  Preview->setObjectName("Preview");
  layout->addWidget(Preview, 1);
  setCentralWidget(central);
  StatusBar = new QStatusBar(this);
  StatusBar->setObjectName("StatusBar");
  setStatusBar(StatusBar);
  BuildToolbars();
  BuildMenus();

  Preview->SetReadOnly(true);
  Preview->SetAnimated(true);
  Preview->SetShowNested(true);
  Preview->SetShowBoundaries(true);
  Preview->SetAutoJump(false);
  Preview->OnDoLink = [this](QObject* s, QObject* o, TZEBoggetto* a) { PreviewDoLink(s, o, a); };
  Preview->OnPageChanged = [this](QObject*) { PreviewPageChanged(); };
  ApplyTexts();

  targetSize_ = Screen().size();
  PrintButton->setVisible(false);
  PrintSeparator->setVisible(false);
  Stampa1->setVisible(false);
  char id[16];
  std::snprintf(id, sizeof id, "%08X", unsigned(reinterpret_cast<uintptr_t>(this) & 0xFFFFFFFFu));
  name_ = std::string("popup") + id;
  Preview->OwnTargetName = name_;
  Preview->SetLinkedZEBset(host_.MainDocument());
  // The main window prints pages of its own ebook; a window left showing an
  // earlier one does not print.
  Preview->OnPrintCurrent = [this](bool ask, QObject* source) {
    if (Preview->LinkedZEBset() == host_.MainDocument()) host_.PrintFromWindow(ask, source);
  };
  layout_.assign(TWindowLayout::Size, '\0');
  layout_[18] = 1;
  CercaKeyButton->setVisible(false);
  ToolbarHistory->setVisible(false);
  resize(host_.MainWindowSize());
  qApp->installEventFilter(this);
}

TFseparato::~TFseparato() {
  qApp->removeEventFilter(this);
  Release();
}

void TFseparato::ApplyTexts() {
  Languager = new TOxLanguager(this);
  Languager->setObjectName("Languager");
  Languager->SetLocalizationString(BuiltInTable("Fseparato"));
}

void TFseparato::BuildToolbars() {
  auto addBar = [this](const char* name, const QString& title) {
    auto* bar = new QToolBar(title, Panel1);
    bar->setObjectName(name);
    bar->setMovable(false);
    Panel1->layout()->addWidget(bar);
    return bar;
  };
  auto button = [this](QToolBar* bar, const char* name, const QString& text, QStyle::StandardPixmap icon) {
    QAction* a = bar->addAction(style()->standardIcon(icon), text);
    a->setParent(this);
    a->setObjectName(name);
    a->setToolTip(text);
    a->setStatusTip(text);
    return a;
  };
  ToolbarFile = addBar("ToolbarFile", "Principale");
  BPrecedente = button(ToolbarFile, "BPrecedente", "Precedente", QStyle::SP_ArrowBack);
  Bseguente = button(ToolbarFile, "Bseguente", "Seguente", QStyle::SP_ArrowForward);
  BPrecedente->setEnabled(false);
  Bseguente->setEnabled(false);
  PrintSeparator = ToolbarFile->addSeparator();
  PrintButton = button(ToolbarFile, "PrintButton", "Stampa", QStyle::SP_DialogSaveButton);
  ToolbarFile->addSeparator();
  CoverButton = button(ToolbarFile, "CoverButton", "Copertina", QStyle::SP_DirHomeIcon);
  SummaryButton = button(ToolbarFile, "SummaryButton", "Sommario", QStyle::SP_FileDialogContentsView);
  CercaKeyButton = button(ToolbarFile, "CercaKeyButton", "Cerca per parola chiave", QStyle::SP_FileDialogDetailedView);
  connect(BPrecedente, &QAction::triggered, this, &TFseparato::BPrecedenteClick);
  connect(Bseguente, &QAction::triggered, this, &TFseparato::BseguenteClick);
  auto cover = [this] { if (!Idle()) Preview->GoToCover(); };
  auto summary = [this] { if (!Idle()) Preview->GoToSummary(); };
  connect(CoverButton, &QAction::triggered, this, cover);
  connect(SummaryButton, &QAction::triggered, this, summary);
  connect(CercaKeyButton, &QAction::triggered, this, [this] { host_.ShowKeywordSearch(); });

  ToolbarHistory = addBar("ToolbarHistory", "Pagine visitate");
  HistoryCombo = new QComboBox(ToolbarHistory);
  HistoryCombo->setObjectName("HistoryCombo");
  HistoryCombo->setEditable(true);
  HistoryCombo->setInsertPolicy(QComboBox::NoInsert);
  HistoryCombo->setMinimumContentsLength(30);
  HistoryCombo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  HistoryCombo->setToolTip("URL");
  ToolbarHistory->addWidget(HistoryCombo);
  connect(HistoryCombo, &QComboBox::activated, this, &TFseparato::HistoryComboClick);
}

void TFseparato::BuildMenus() {
  MainMenu = menuBar();
  MainMenu->setObjectName("MainMenu");
  auto item = [this](QMenu* menu, const char* name, const QString& text, const QKeySequence& key = {}) {
    auto* a = new QAction(text, this);
    a->setObjectName(name);
    if (!key.isEmpty()) a->setShortcut(key);
    menu->addAction(a);
    return a;
  };
  QMenu* file = MainMenu->addMenu("&File");
  file->setObjectName("File1");
  Impostastampante1 = item(file, "Impostastampante1", "I&mposta stampante...");
  Impostamargini1 = item(file, "Impostamargini1", "Imposta mar&gini...");
  Stampa1 = item(file, "Stampa1", "Stam&pa...");
  connect(Impostastampante1, &QAction::triggered, this, [this] { host_.ShowPrinterSetup(); });
  connect(Impostamargini1, &QAction::triggered, this, [this] { host_.ShowMarginsSetup(); });
  file->addSeparator();
  Esci1 = item(file, "Esci1", "&Esci", QKeySequence(Qt::ALT | Qt::Key_X));
  connect(Esci1, &QAction::triggered, this, [this] { PostClose(); });
  QMenu* hyper = MainMenu->addMenu("&Ipertesto");
  hyper->setObjectName("Ipertesto1");
  Copertina1 = item(hyper, "Copertina1", "&Copertina");
  Sommario1 = item(hyper, "Sommario1", "&Sommario");
  hyper->addSeparator();
  Paginaprecedente1 = item(hyper, "Paginaprecedente1", "P&agina precedente");
  Paginaseguente1 = item(hyper, "Paginaseguente1", "Pagi&na seguente");
  connect(Copertina1, &QAction::triggered, CoverButton, &QAction::trigger);
  connect(Sommario1, &QAction::triggered, SummaryButton, &QAction::trigger);
  connect(Paginaprecedente1, &QAction::triggered, this, &TFseparato::BPrecedenteClick);
  connect(Paginaseguente1, &QAction::triggered, this, &TFseparato::BseguenteClick);
  QMenu* help = MainMenu->addMenu("&?");
  help->setObjectName("Help1");
  Informazioni1 = item(help, "Informazioni1", "&Informazioni...");
  connect(Informazioni1, &QAction::triggered, this, [this] { host_.ShowAbout(); });
}

QRect TFseparato::Screen() const {
  const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
  return s ? s->availableGeometry() : QRect(0, 0, 1024, 768);
}

// ---------------------------------------------------------------- layout

void TFseparato::ApplyLayout(const std::string* data, const std::string& name) {
  if (Idle()) return;
  name_ = name;
  Preview->OwnTargetName = name;
  resizable_ = true;
  targetSize_ = host_.MainWindowSize();
  TWindowLayout l;
  if (data && TWindowLayout::Read(*data, l)) {
    layout_ = data->substr(0, TWindowLayout::Size);
    ApplyRecord(l);
  } else {
    Panel1->setVisible(true);
    StatusBar->setVisible(true);
    ToolbarHistory->setVisible(true);
    ToolbarFile->setVisible(true);
    MainMenu->setVisible(kind_ != TWindowKind::Popup);
  }
  targetSize_ = BoundedSize(targetSize_, Screen());
  // The bounds of an earlier fixed layout go before the new size is taken.
  setMinimumSize(0, 0);
  setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  if (!maximised_) resize(targetSize_);
  ApplyFixedSize();
}

void TFseparato::ApplyRecord(const TWindowLayout& l) {
  maximised_ = l.maximised;
  if (maximised_) {
    hide();
    move(Screen().topLeft());
    targetSize_ = Screen().size();
    setWindowState(Qt::WindowMaximized);
  } else {
    if (l.left != TWindowLayout::Keep) {
      const QSize wanted = l.width != TWindowLayout::Keep ? BoundedSize({l.width, l.height}, Screen()) : size();
      move(KeepReachable(QRect(QPoint(l.left, l.top), wanted), Screen()).topLeft());
    }
    if (l.width != TWindowLayout::Keep) targetSize_ = QSize(l.width, l.height);
    if (windowState() & Qt::WindowMaximized) {
      hide();
      setWindowState(Qt::WindowNoState);
    }
  }
  Panel1->setVisible(l.history || l.toolbar);
  ToolbarHistory->setVisible(l.history);
  MainMenu->setVisible(l.menu && kind_ != TWindowKind::Popup);
  StatusBar->setVisible(l.statusBar);
  ToolbarFile->setVisible(l.toolbar);
  resizable_ = l.resizable;
  setWindowFlag(Qt::WindowMaximizeButtonHint, resizable_);
}

void TFseparato::ApplyFixedSize() {
  if (resizable_) {
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  } else {
    setFixedSize(targetSize_);
  }
}

void TFseparato::HideToolbarPanel() { Panel1->setVisible(false); }

void TFseparato::PlaceNearClick(QObject* box) {
  auto* b = qobject_cast<TZEBbox*>(box);
  if (!b || Idle()) return;
  const QRect r = PopupRect(b->ReleasePoint(), size(), Screen());
  if (r.height() != height()) resize(width(), r.height());
  move(r.topLeft());
}

void TFseparato::SetKind(TWindowKind kind) {
  kind_ = kind;
  Qt::WindowFlags flags = Qt::Window;
  switch (kind) {
    case TWindowKind::Full:
      if (!maximised_) resize(BoundedSize(host_.MainWindowSize(), Screen()));
      break;
    case TWindowKind::Named: Panel1->setVisible(false); break;
    case TWindowKind::Popup:
      Panel1->setVisible(false);
      MainMenu->setVisible(false);
      flags = Qt::Popup | Qt::FramelessWindowHint;
      break;
    case TWindowKind::Unchanged: return;
  }
  if (kind != TWindowKind::Popup && !resizable_) flags |= Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
  if (kind != TWindowKind::Popup && resizable_)
    flags |= Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowMinMaxButtonsHint;
  if (windowFlags() != flags) {
    const QPoint at = pos();
    setWindowFlags(flags);
    move(at);
  }
}

// ---------------------------------------------------------------- showing

void TFseparato::ShowInWindow(QObject* frame, TZEBoggetto* target, int position, TWindowKind kind, int nested) {
  if (Idle() || !target) return;
  if (!showTimer_) {
    showTimer_ = new QTimer(this);
    showTimer_->setInterval(ShowTimerMs);
    connect(showTimer_, &QTimer::timeout, this, &TFseparato::ShowTimerTick);
  }
  showAnchor_ = -1;
  SetKind(kind);
  if (auto* f = qobject_cast<TZEBFrame*>(frame)) {
    if (target->Document()) OpenInWindow(target->Document()->ZEBFileName());
    Preview->ShowInFrame(f, target, position, nested);
  } else {
    if (nested == 0) Preview->SetShowNested(false);
    if (nested == 1) Preview->SetShowNested(true);
    ShowTarget(target, position);
  }
  showCount_ = 0;
  showTimer_->start();
}

void TFseparato::ShowTarget(TZEBoggetto* target, int position) {
  if (target->Kind() == testoHtml) {
    try {
      if (target->Document()) OpenInWindow(target->Document()->ZEBFileName());
    } catch (...) {
      host_.Messages().Message(TMsgKind::Information, "Chiudere le altre finestre attive e riprovare!");
    }
    const QPoint at = pos();
    Preview->SetMainPageNumber(target->Index());
    if (!maximised_) move(at);
    ShowOrRaise();
    showAnchor_ = position;
    Preview->ScrollMainToAnchor(position);
    ShowOrRaise();
    if (!maximised_) move(at);
  } else if (target->Kind() == internetLink) {
    const std::string text = target->Name();
    if (target->State() == 6 || text.rfind("lumo://", 0) == 0) {
      OpenLumoLinkInWindow(text);
      ShowOrRaise();
    } else {
      host_.Dispatcher().FollowLink(target, -1, TLinkEvent{});
      PostClose();
    }
  }
}

void TFseparato::ShowOrRaise() {
  if (closing_) return;
  if (!isVisible()) {
    if (maximised_) {
      setGeometry(Screen());
      showMaximized();
    } else {
      show();
    }
  }
  raise();
  activateWindow();
}

void TFseparato::ShowTimerTick() {
  try {
    if (++showCount_ >= 2) showTimer_->stop();
    ShowOrRaise();
    Preview->FocusActive();
    if (showAnchor_ >= 0) Preview->ScrollMainToAnchor(showAnchor_);
  } catch (...) {
  }
}

bool TFseparato::FindNamedFrame(const std::string& name, QObject*& frame) {
  frame = nullptr;
  if (Idle()) return false;
  if (kind_ != TWindowKind::Full && str::EqualsNoCase(name_, name)) return true;
  frame = Preview->FindFrame(name);
  return frame != nullptr;
}

void TFseparato::PrintCurrent() {
  if (!Idle()) Preview->PrintCurrent(true, nullptr);
}

// ---------------------------------------------------------------- main ebook replaced

void TFseparato::MainEbookClosing() {
  TZEBset* main = host_.MainDocument();
  rememberedFile_ = main ? main->ZEBFileName() : std::string();
  rememberedPage_ = Preview->MainPageNumber();
}

void TFseparato::MainEbookOpened() {
  TZEBset* main = host_.MainDocument();
  if (closing_ || !main || Preview->LinkedZEBset() != main) return;
  if (main->ZEBFileName() == rememberedFile_) return;
  Preview->Reset();
  if (rememberedFile_.empty()) return;
  // The window keeps showing the page it showed, from its own copy of the ebook.
  const std::string file = rememberedFile_;
  rememberedFile_.clear();
  if (!ZEBset1->Open(file)) return;
  Preview->SetLinkedZEBset(ZEBset1.get());
  Preview->SetMainPageNumber(rememberedPage_);
}

// ---------------------------------------------------------------- window events

bool TFseparato::event(QEvent* e) {
  switch (e->type()) {
    case QEvent::StatusTip:
      StatusBar->showMessage(static_cast<QStatusTipEvent*>(e)->tip());
      return true;
    case QEvent::WindowActivate:
      if (!Idle()) Preview->RefreshMultimedia();
      break;
    case QEvent::WindowDeactivate:
      if (kind_ == TWindowKind::Popup && isVisible()) PostClose();
      break;
    default: break;
  }
  return QMainWindow::event(e);
}

void TFseparato::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Escape && kind_ == TWindowKind::Popup) {
    PostClose();
    return;
  }
  QMainWindow::keyPressEvent(e);
}

bool TFseparato::eventFilter(QObject* watched, QEvent* e) {
  if (kind_ != TWindowKind::Popup || closing_) return false;
  auto* w = qobject_cast<QWidget*>(watched);
  if (!w || w->window() != this) return false;
  if (e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->key() == Qt::Key_Escape) {
    PostClose();
    return true;
  }
  if (e->type() == QEvent::MouseButtonRelease && Preview->isAncestorOf(w)) {
    // A link clicked here is handed on first (one turn later); then the popup goes.
    QMetaObject::invokeMethod(this, [this] {
      QMetaObject::invokeMethod(this, [this] { PostClose(); }, Qt::QueuedConnection);
    }, Qt::QueuedConnection);
  }
  return false;
}

void TFseparato::PostClose() {
  QMetaObject::invokeMethod(this, [this] { close(); }, Qt::QueuedConnection);
}

void TFseparato::Close() { PostClose(); }

void TFseparato::closeEvent(QCloseEvent* e) {
  e->accept();
  if (closing_) return;
  Release();
  hide();
  if (!host_.ProgramClosing()) {
    ISeparateHost* host = &host_;
    QMetaObject::invokeMethod(qApp, [host, self = QPointer<TFseparato>(this)] {
      if (self) host->SeparateClosed(self.data());
    }, Qt::QueuedConnection);
  }
}

void TFseparato::Release() {
  closing_ = true;
  if (released_) return;
  released_ = true;
  if (showTimer_) showTimer_->stop();
  try {
    Preview->SetClosing(true);
    Preview->SetLinkedZEBset(nullptr);
    Preview->setEnabled(false);
  } catch (...) {
  }
  try {
    ZEBset1->NewDocument();
  } catch (...) {
  }
}
