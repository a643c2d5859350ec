// Start-up in the main window: choosing and opening the ebook, scheduling its
// first page and applying the window presentation the ebook asks for.
#include <QAction>
#include <QFile>
#include <QFileDialog>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>
#include <filesystem>

#include "app/lib/aboutform.h"
#include "app/lib/mainform.h"
#include "document/pathutil.h"

namespace {

QString FromPath(const std::string& p) { return QFile::decodeName(QByteArray::fromStdString(p)); }

std::string Absolute(const std::string& path) {
  std::error_code ec;
  const auto abs = std::filesystem::absolute(path, ec);
  return ec ? path : abs.lexically_normal().string();
}

}  // namespace

// ---------------------------------------------------------------- choosing the ebook

void TMainForm::Start() {
  if (started_ || closing_) return;
  started_ = true;
  ApplyPlacement();
  if (options_.showRequests && options_.showRequests->HasPending()) {
    if (splash_) splash_->close();
    FollowShowRequest();
    return;
  }
  TStartupInput in;
  in.commandPath = options_.commandLine.ebookPath;
  in.programFolder = options_.programFolder;
  in.currentFolder = options_.currentFolder;
  in.lastFile = settings_.ReadOption("LastFile");
  in.atStartBlank = settings_.ReadOption("AtStartBlank");
  in.brochure = options_.commandLine.flags.brochure;
  TRealFileProbe files;
  const TEbookChoice choice = ChooseEbook(in, files);
  brochure_ = choice.brochure;
  switch (choice.action) {
    case TStartAction::OpenCommandFile:
      OpenEbookFile(choice.path);
      for (const std::string& page : options_.commandLine.pageSwitches)
        dispatcher_->FollowLumoLink(PageSwitchLink(mainZEBset->ZEBFileName(), page), true);
      break;
    case TStartAction::OpenLastFile:
    case TStartAction::OpenBrochure:
      mainZEBset->NewDocument();
      OpenEbookFile(choice.path);
      break;
    default:
      mainZEBset->NewDocument();
      captionBase_ = "Senza titolo";
      SetCaption();
      break;
  }
  // Nothing to present (an empty window): the window still has to appear.
  if (!PresentationPending() && !isVisible()) ShowPageWithLayout(-1);
  CloseSplashLater();
  QTimer::singleShot(300, this, [this] {
    if (!closing_) RunAutorun(options_.programFolder, *shell_);
  });
}

void TMainForm::FollowShowRequest() {
  if (!options_.showRequests || !options_.showRequests->HasPending() || closing_) return;
  const std::string link = options_.showRequests->TakePending();
  dispatcher_->FollowLumoLink(link, true);
  if (PresentationPending()) return;
  // A request that shows nothing still brings the reader to the front.
  if (!isVisible()) {
    ShowPageWithLayout(Editor->MainPageNumber());
    return;
  }
  raise();
  activateWindow();
}

void TMainForm::CloseSplashLater() {
  if (splash_) QTimer::singleShot(1000, splash_.data(), &QWidget::close);
}

// ---------------------------------------------------------------- opening

void TMainForm::FileOpen() {
  const std::string current = mainZEBset->ZEBFileName();
  const QString folder = current.empty() ? QString() : FromPath(FolderOf(current));
  const QString chosen = QFileDialog::getOpenFileName(this, "Apri", folder, "ebook Quillon (*.zeb)");
  if (!chosen.isEmpty()) OpenEbookFile(QFile::encodeName(chosen).toStdString());
  Editor->FocusActive();
}

bool TMainForm::OpenEbookFile(const std::string& given) {
  if (closing_) return false;
  const std::string path = Absolute(given);
  TRealFileProbe files;
  if (!files.FileExists(path)) {
    messages_->Message(TMsgKind::Warning, "File non trovato: " + given);
    return false;
  }
  // Leaving the page saves its remark before the document changes.
  Editor->Reset();
  SeeTree1->setChecked(false);
  const bool ok = mainZEBset->Open(path);
  const std::string update = mainZEBset->GetDocProperty("upgradelink");
  const bool hasUpdate = !update.empty() && update != "http://";
  AutomaticUpdate1->setVisible(hasUpdate);
  SemiAutomaticUpdate1->setVisible(hasUpdate);
  if (ok) AskUserDataIfNeeded();
  if (!ok || mainZEBset->ZEBFileName() != path) {
    recent_.Remove(path);
    if (mainZEBset->ZEBFileName().empty()) captionBase_ = "Senza titolo";
  } else {
    captionBase_ = path;
    recent_.Use(path);
    lastFile_ = path;
  }
  UpdateRecentMenu();
  SetCaption();
  Editor->SetReadOnly(true);
  ShowPageWithLayout(mainZEBset->CoverPage());
  return ok;
}

// ---------------------------------------------------------------- presentation

void TMainForm::ShowPageWithLayout(int page) {
  pendingPage_ = page == -2 ? mainZEBset->CoverPage() : page;
  presentationMode_ =
      ::PresentationMode(mainZEBset->HeaderByte(hdr::FullScreen), mainZEBset->HeaderByte(hdr::WindowPresentation));
  rdwindow_ = mainZEBset->GetDocProperty("rdwindow");
  presentationTimer_.start();
}

TRect TMainForm::WindowRect() const {
  const QRect g = frameGeometry();
  return {g.x(), g.y(), g.width(), g.height()};
}

TRect TMainForm::ScreenRect() const {
  const QScreen* s = screen();
  const QRect g = s ? s->availableGeometry() : QRect(0, 0, 1024, 768);
  return {g.x(), g.y(), g.width(), g.height()};
}

void TMainForm::ApplyPlacement() {
  const TRect current{pos().x(), pos().y(), width(), height()};
  const TRect r = ClampPlacement(ReadPlacement(settings_, current), ScreenRect());
  resize(r.width, r.height);
  move(r.left, r.top);
  designedTop_ = r.top;
}

void TMainForm::PresentationStep() {
  if (presenting_ || closing_) return;
  presenting_ = true;
  if (presentationMode_ == 11) {
    if (!isVisible()) show();
  } else {
    Editor->SetMainPageNumber(-1);
    ApplyPresentation(
        ComputePresentation(presentationMode_, rdwindow_, WindowRect(), ScreenRect(), designedTop_, topRestored_));
  }
  raise();
  activateWindow();
  // Without a window manager keeping it on top, the splash would end up behind.
  if (splash_) splash_->raise();
  presented_ = true;
  presenting_ = false;
  // The page is laid out only now that the window has its final size.
  Editor->SetMainPageNumber(pendingPage_);
  UpdateHistoryButtons();
  ApplyReaderMode();
}

void TMainForm::ApplyPresentation(const TPresentation& p) {
  if (isVisible() && isMaximized() != p.maximised) hide();
  SetResizeChecks(!p.maximised);
  Qt::WindowFlags flags = Qt::Window;
  if (p.window.noBorder)
    flags |= Qt::FramelessWindowHint;
  else if (p.kiosk)
    flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
  else
    flags |= Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint;
  // Changing the flags hides the window; it is shown again below.
  if (windowFlags() != flags) setWindowFlags(flags);
  menuBar()->setVisible(!p.window.hideMenu);
  const bool bars = !p.window.hideBars;
  statusBar()->setVisible(bars);
  ToolbarFile->setVisible(bars);
  ToolbarHistory->setVisible(bars);
  if (!p.maximised && p.window.applySize) resize(p.window.width, p.window.height);
  if (p.moveTo) move(p.left, p.top);
  maximisedByEbook_ = presentationMode_ == 1;
  locked_ = p.kiosk;
  if (p.maximised)
    ShowMaximisedWindow();
  else if (!isVisible() || isMaximized())
    ShowNormalWindow();
}

void TMainForm::ShowMaximisedWindow() {
  if (!isMaximized()) normalRect_ = geometry();
  // A desktop without a window manager does not maximise: the window is given the screen itself.
  if (const QScreen* s = screen()) setGeometry(s->availableGeometry());
  showMaximized();
}

void TMainForm::ShowNormalWindow() {
  const bool wasMaximised = isMaximized();
  showNormal();
  if (wasMaximised && normalRect_.isValid()) setGeometry(normalRect_);
}
