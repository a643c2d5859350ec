// Navigation in the main window: the visited-pages history, cover and
// summary, zoom, remarks, the status-bar hint, copy and selection.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QCursor>
#include <QFile>
#include <QPlainTextEdit>
#include <QSplitter>

#include "app/lang/oxlangs.h"
#include "app/lib/aboutform.h"
#include "app/lib/boxsink.h"
#include "search/fcerca.h"
#include "app/lib/mainform.h"
#include "document/pathutil.h"
#include "pageobjects/boxclip.h"
#include "pageobjects/zebbox.h"
#include "pageobjects/zebpage.h"
#include "text/paragraph.h"

namespace {

QString FromPath(const std::string& p) { return QFile::decodeName(QByteArray::fromStdString(p)); }

// Sets a flag for the lifetime of the guard and puts the old value back.
struct TFlagGuard {
  bool& flag;
  bool old;
  explicit TFlagGuard(bool& f) : flag(f), old(f) { flag = true; }
  ~TFlagGuard() { flag = old; }
};

}  // namespace

// ---------------------------------------------------------------- page changes

void TMainForm::EditorPageChanged() {
  if (closing_) return;
  TFlagGuard updating(updating_);
  LoadRemark();
  AttachPopups();
  if (Fcerca) Fcerca->PageChanged();
  const int page = Editor->MainPageNumber();
  if (page < 0) return;
  books_.Remember(mainZEBset->ZEBFileName(), bookSize_, page);
  const std::string entry = THistoryModel::Entry(mainZEBset->ZEBFileName(), page);
  if (history_.PageChanged(entry)) SyncHistoryCombo();
  UpdateHistoryButtons();
  SetCaption();
}

void TMainForm::EditorPageChanging() {
  if (!closing_) SaveRemarkIfChanged();
}

void TMainForm::SetCaption() {
  const std::string name = FileNamePart(captionBase_);
  const QString shown = captionBase_ == "Senza titolo" ? Tr("Senza titolo") : FromPath(name);
  const QString title = shown + " - Quillon";
  setWindowTitle(title);
  if (ownSink_) ownSink_->title = title.toStdString();
}

// ---------------------------------------------------------------- history

void TMainForm::SyncHistoryCombo() {
  TFlagGuard updating(updating_);
  HistoryCombo->clear();
  for (const std::string& item : history_.Items()) HistoryCombo->addItem(FromPath(item));
  HistoryCombo->setCurrentIndex(history_.Index());
}

void TMainForm::UpdateHistoryButtons() {
  BPrecedente->setEnabled(history_.CanGoBack());
  Paginaprecedente1->setEnabled(history_.CanGoBack());
  Bseguente->setEnabled(history_.CanGoForward());
  Paginaseguente1->setEnabled(history_.CanGoForward());
}

void TMainForm::GoToHistory(int index) {
  if (index < 0 || index >= int(history_.Items().size())) return;
  history_.GoTo(index, [this](const std::string& entry) { dispatcher_->FollowLumoLink(entry, false); });
  {
    TFlagGuard updating(updating_);
    HistoryCombo->setCurrentIndex(history_.Index());
  }
  UpdateHistoryButtons();
  Editor->FocusActive();
}

void TMainForm::BPrecedenteClick() { GoToHistory(history_.Index() - 1); }

void TMainForm::BseguenteClick() { GoToHistory(history_.Index() + 1); }

void TMainForm::HistoryComboClick(int index) {
  if (!updating_) GoToHistory(index);
}

void TMainForm::HistoryComboKeyPress() {
  const std::string text = QFile::encodeName(HistoryCombo->currentText()).toStdString();
  const auto& items = history_.Items();
  // Only a text that is one of the entries is followed.
  for (size_t i = 0; i < items.size(); ++i)
    if (items[i] == text) return GoToHistory(int(i));
}

// ---------------------------------------------------------------- cover, summary, zoom, frames

void TMainForm::CoverButtonClick() {
  Editor->GoToCover();
  Editor->FocusActive();
}

void TMainForm::SummaryButtonClick() {
  Editor->GoToSummary();
  Editor->FocusActive();
}

void TMainForm::ReshowPage() {
  const int page = Editor->MainPageNumber();
  if (page < 0) return;
  TFlagGuard updating(updating_);
  Editor->SetMainPageNumber(-1);
  Editor->SetMainPageNumber(page);
}

void TMainForm::NaumentaClick() {
  if (zoom_.Increase()) {
    Editor->SetTextZoom(zoom_.Value());
    ReshowPage();
  }
  Editor->FocusActive();
}

void TMainForm::NdiminuisciClick() {
  if (zoom_.Decrease()) {
    Editor->SetTextZoom(zoom_.Value());
    ReshowPage();
  }
  Editor->FocusActive();
}

void TMainForm::NestedButtonClick() {
  Editor->SetShowNested(NestedButton->isChecked());
  Editor->FocusActive();
}

void TMainForm::helpAbout() {
  TFabout about(this);
  about.exec();
  Editor->FocusActive();
}

// ---------------------------------------------------------------- remarks

std::string TMainForm::RemarkKey() {
  return RemarkKeyName(mainZEBset->Title(), mainZEBset->HeaderString(hdr::Author, 79));
}

std::string TMainForm::RemarkPath() {
  if (mainZEBset->ZEBFileName().empty()) return {};
  return RemarkFilePath(settings_, mainZEBset->ZEBFileName(), RemarkKey());
}

void TMainForm::LoadRemark() {
  const int page = Editor->MainPageNumber();
  const std::string path = RemarkPath();
  std::string text;
  if (!path.empty() && page >= 0) text = TRemarkFile(path).Read(page);
  QString shown = QString::fromStdString(text);
  shown.replace("\r\n", "\n");
  // Loading is not a change of the reader's.
  TFlagGuard loading(loadingRemark_);
  RemarkMemo->setPlainText(shown);
  remarkChanged_ = false;
}

void TMainForm::SaveRemarkIfChanged() {
  const int page = Editor->MainPageNumber();
  if (page < 0 || RemarkMemo->isHidden() || !remarkChanged_) return;
  const std::string path = RemarkPath();
  if (path.empty()) return;
  remarkChanged_ = false;
  SaveRemark(settings_, RemarkKey(), path, page, RemarkMemo->toPlainText().toStdString(), *messages_, *dialogs_);
}

void TMainForm::AddShowremarks1Click() {
  const bool show = RemarkMemo->isHidden();
  if (!show) {
    // Hiding the panel keeps what was typed in it.
    SaveRemarkIfChanged();
    if (RemarkMemo->width() > 10) storedRemarkWidth_ = RemarkMemo->width();
  }
  AddShowremarks1->setChecked(show);
  RemarkMemo->setVisible(show);
  if (show) {
    const int total = PanelSplitter->width();
    PanelSplitter->setSizes({storedRemarkWidth_, std::max(100, total - storedRemarkWidth_ - 3)});
  }
  LoadRemark();
  Editor->FocusActive();
}

// ---------------------------------------------------------------- hints

void TMainForm::AppShowHint(const QString& hint) {
  StatusBar->SetSimplePanel(!hint.isEmpty());
  StatusBar->SetSimpleText(hint);
}

void TMainForm::UpdateHintFromPointer() {
  hintCheckPosted_ = false;
  if (closing_) return;
  TZEBbox* box = nullptr;
  for (QWidget* w = QApplication::widgetAt(QCursor::pos()); w && !box; w = w->parentWidget())
    box = qobject_cast<TZEBbox*>(w);
  if (!box || box->Hint().isEmpty()) {
    if (linkHintShown_) AppShowHint({});
    linkHintShown_ = false;
    return;
  }
  const QString text = QString::fromStdString(mainZEBset->CodePage().ToUtf8(lastHintLong_));
  if (!linkHintShown_ || StatusBar->SimpleText() != text) AppShowHint(text);
  linkHintShown_ = true;
}

// ---------------------------------------------------------------- copy, selection, follow

void TMainForm::Selezionatutto3Click() {
  Editor->SelectAll();
  Editor->FocusActive();
}

void TMainForm::Selezionabrano1Click() {
  if (TZEBbox* box = popupBox_.data()) SelectWholeBox(*box);
}

void TMainForm::Seguicollegamento1Click() {
  TZEBbox* box = popupBox_.data();
  if (!box) return;
  const QPoint at = box->mapFromGlobal(box->ReleasePoint());
  const TZEBPosition pos = box->HitTest(THitMode::AllText, at.x(), at.y());
  const int link = pos.Valid() ? box->LinkAt(pos) : -1;
  if (TZEBoggetto* obj = link >= 0 ? box->LinkObject(pos.paraIndex, link) : nullptr) Editor->RaiseLink(obj, box);
}

