// Links clicked in a separate window, its own document and its history.
#include <QAction>
#include <QComboBox>
#include <QFile>

#include "app/lib/linkevent.h"
#include "app/lib/separato.h"
#include "document/strutil.h"
#include "document/zebobject.h"
#include "pageobjects/zebbox.h"
#include "pageobjects/zebpage.h"

namespace {

// Sets a flag for the lifetime of the guard and puts the old value back.
struct TFlagGuard {
  bool& flag;
  bool old;
  explicit TFlagGuard(bool& f) : flag(f), old(f) { flag = true; }
  ~TFlagGuard() { flag = old; }
};

bool StartsWith(const std::string& s, const char* p) { return s.rfind(p, 0) == 0; }

}  // namespace

// ---------------------------------------------------------------- documents

void TFseparato::OpenInWindow(const std::string& file) {
  TZEBset* main = host_.MainDocument();
  if (!Preview->LinkedZEBset()) Preview->SetLinkedZEBset(main);
  TZEBset* shown = Preview->LinkedZEBset();
  const std::string current = shown ? shown->ZEBFileName() : std::string();
  if (str::EqualsNoCase(file, current)) return;
  const bool isMain = main && str::EqualsNoCase(file, main->ZEBFileName());
  Preview->Reset();
  if (isMain) {
    Preview->SetLinkedZEBset(main);
    ZEBset1->NewDocument();
    return;
  }
  Preview->SetLinkedZEBset(nullptr);
  const bool ok = ZEBset1->Open(file);
  Preview->SetLinkedZEBset(ZEBset1.get());
  if (!ok) throw std::runtime_error("open");
}

void TFseparato::OpenLumoLinkInWindow(const std::string& link) {
  TZEBset* shown = Preview->LinkedZEBset() ? Preview->LinkedZEBset() : host_.MainDocument();
  if (!shown) return;
  const TEbookLink r = shown->ResolveEbookLink(link);
  if (!r.isEbook) return;
  if (!r.same) {
    if (r.path.empty()) {
      Preview->Reset();
    } else {
      try {
        OpenInWindow(r.path);
      } catch (...) {
        host_.Messages().Message(TMsgKind::Information, "Chiudere le altre finestre attive e riprovare!");
      }
    }
  }
  TFlagGuard updating(updating_);
  if (r.page >= 0) Preview->SetMainPageNumber(r.page);
  else if (r.page == -2) Preview->GoToCover();
}

// ---------------------------------------------------------------- links

void TFseparato::PreviewDoLink(QObject* sender, QObject* obj, TZEBoggetto* aogg) {
  if (Idle() || !aogg) return;
  if (kind_ == TWindowKind::Popup) {
    host_.MainDoLink(sender, obj, aogg);
    PostClose();
    return;
  }
  const TLinkEvent ev = MakeLinkEventFor(sender, obj, aogg, nullptr, Preview->LinkedZEBset());
  if (ev.objKind == TLinkSourceKind::Other) return;
  auto* set = qobject_cast<QWidget*>(sender);
  if (set) set->setEnabled(false);
  try {
    switch (aogg->Kind()) {
      case testoHtml: case internetLink: case zipLink: case genLink:
        FollowInWindow(aogg, -1, sender, obj);
        break;
      case speclink: SpecialInWindow(aogg, ev); break;
      case shortObj:
        if (ev.objKind == TLinkSourceKind::Page && ev.pageText)
          if (TZEBoggetto* s = ev.pageText->ResolveContainerId(aogg->Rec().I32(5)))
            if (s->Kind() == speclink) SpecialInWindow(s, ev);
        break;
      default: break;
    }
  } catch (...) {
  }
  if (set) set->setEnabled(true);
  if (!closing_) ShowOrRaise();
}

void TFseparato::FollowInWindow(TZEBoggetto* target, int position, QObject* sender, QObject* obj) {
  switch (target->Kind()) {
    case testoHtml: {
      TFlagGuard updating(updating_);
      auto* fs = qobject_cast<TZEBCustomFrameSet*>(obj);
      if (!fs) fs = qobject_cast<TZEBCustomFrameSet*>(sender);
      if (!fs) fs = Preview;
      fs->SetMainPageNumber(target->Index());
      fs->ScrollMainToAnchor(position);
      break;
    }
    case internetLink: {
      const std::string t = target->Name();
      if (StartsWith(t, "lumo:")) OpenLumoLinkInWindow(t);
      else if (StartsWith(t, "run:") || StartsWith(t, "save:") || StartsWith(t, "dump:") || StartsWith(t, "prog:"))
        host_.Dispatcher().RunCommandLink(t, target);
      else
        host_.Dispatcher().FollowLink(target, -1, TLinkEvent{});
      break;
    }
    case genLink: host_.Dispatcher().FollowFileLink(target); break;
    default: break;
  }
}

void TFseparato::SpecialInWindow(TZEBoggetto* link, const TLinkEvent& ev) {
  const TSpecLink s = ReadSpecLink(*link);
  auto* sender = qobject_cast<TZEBCustomFrameSet*>(ev.sender);
  if (!sender) sender = Preview;
  switch (s.action) {
    case TSpecAction::GoTo: GoToTarget(s, link, ev); break;
    case TSpecAction::CloseWindow:
      if (s.position == -2) PostClose();
      else host_.Dispatcher().CloseOrPrintNamed(s.windowName, TSpecAction::CloseWindow);
      break;
    case TSpecAction::Keywords: host_.ShowKeywordSearch(); break;
    case TSpecAction::PreviousPage: case TSpecAction::NextPage:
      if (ev.clickedBox && ev.boxPage)
        if (TZEBtesto* page = s.action == TSpecAction::PreviousPage ? ev.boxPage->PreviousPage() : ev.boxPage->NextPage())
          sender->SetMainPageNumber(page->Index());
      break;
    case TSpecAction::PrintCurrent: Preview->PrintCurrent(true, ev.clickedBox); break;
    case TSpecAction::PrintFrame: host_.Dispatcher().CloseOrPrintNamed(s.windowName, TSpecAction::PrintFrame); break;
    case TSpecAction::Plugin: host_.Dispatcher().RunSpecialLink(link, ev); break;
    default: break;
  }
}

void TFseparato::GoToTarget(const TSpecLink& s, TZEBoggetto* link, const TLinkEvent& ev) {
  TZEBoggetto* target = nullptr;
  if (TZEBtesto* text = link->ContainerText()) target = text->ResolveContainerId(s.targetId);
  if (!target && link->Document()) target = link->Document()->ObjectById(s.targetId);
  if (!target) return;
  TLinkDispatcher& d = host_.Dispatcher();
  auto* sender = qobject_cast<TZEBCustomFrameSet*>(ev.sender);
  ISeparateWindow* w = nullptr;
  // Mode 7 is an older form of the popup.
  const TSpecTarget mode = static_cast<int>(s.targetMode) == 7 ? TSpecTarget::Popup : s.targetMode;
  switch (mode) {
    case TSpecTarget::FrameOfPage:
      if (auto* box = qobject_cast<TZEBbox*>(ev.clickedBox); box && box->Page() && sender)
        sender->ShowInFrameOfPage(box->Page(), target, s.position, s.nested);
      break;
    case TSpecTarget::NamedFrame: d.ShowInNamedFrame(s.windowName, target, s.position, s.nested); break;
    case TSpecTarget::NamedWindow:
      if ((w = d.FindOrCreateWindow(s.windowName))) {
        w->ApplyLayout(&s.layout, s.windowName);
        w->ShowInWindow(nullptr, target, s.position, TWindowKind::Named, s.nested);
      }
      break;
    case TSpecTarget::NewWindow:
      if ((w = d.FindOrCreateWindow("<<<new"))) w->ShowInWindow(nullptr, target, s.position, TWindowKind::Full, s.nested);
      break;
    case TSpecTarget::Popup:
      if (ev.clickedBox && (w = d.FindOrCreateWindow("<<<pop"))) {
        w->ApplyLayout(&s.layout, s.windowName);
        w->PlaceNearClick(ev.clickedBox);
        w->ShowInWindow(nullptr, target, s.position, TWindowKind::Popup, s.nested);
      }
      break;
    case TSpecTarget::Follow: FollowInWindow(target, s.position, ev.sender, ev.obj); break;
    case TSpecTarget::Anchor: (sender ? sender : Preview)->ScrollMainToAnchor(s.position); break;
    default: break;
  }
}

// ---------------------------------------------------------------- history

void TFseparato::PreviewPageChanged() {
  if (Idle()) return;
  TZEBset* doc = Preview->LinkedZEBset();
  const int page = Preview->MainPageNumber();
  if (doc && page >= 0)
    if (TZEBoggetto* p = doc->ObjectById(MakeId(testoHtml, page)))
      setWindowTitle(QString::fromStdString(doc->CodePage().ToUtf8(p->Name())));
  if (!doc || page < 0) return;
  TFlagGuard updating(updating_);
  const std::string entry = THistoryModel::Entry(doc->ZEBFileName(), page);
  if (!Preview->IsShowingTmpFrameSet() && history_.PageChanged(entry)) SyncHistoryCombo();
  UpdateHistoryButtons();
}

void TFseparato::SyncHistoryCombo() {
  TFlagGuard updating(updating_);
  HistoryCombo->clear();
  for (const std::string& e : history_.Items()) HistoryCombo->addItem(QFile::decodeName(QByteArray::fromStdString(e)));
  HistoryCombo->setCurrentIndex(history_.Index());
}

void TFseparato::UpdateHistoryButtons() {
  BPrecedente->setEnabled(history_.CanGoBack());
  Paginaprecedente1->setEnabled(history_.CanGoBack());
  Bseguente->setEnabled(history_.CanGoForward());
  Paginaseguente1->setEnabled(history_.CanGoForward());
}

void TFseparato::GoToHistory(int index) {
  if (Idle()) return;
  history_.GoTo(index, [this](const std::string& entry) { OpenLumoLinkInWindow(entry); });
  SyncHistoryCombo();
  UpdateHistoryButtons();
}

void TFseparato::BPrecedenteClick() { GoToHistory(history_.Index() - 1); }
void TFseparato::BseguenteClick() { GoToHistory(history_.Index() + 1); }

void TFseparato::HistoryComboClick(int index) {
  if (!updating_) GoToHistory(index);
}
