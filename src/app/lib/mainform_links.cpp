// The main window as the host of link dispatch: what an activated link may
// ask of the window, its frame set and the desktop.
#include <QApplication>

#include "app/lib/mainform.h"
#include "pageobjects/visual.h"
#include "pageobjects/zebbox.h"
#include "pageobjects/zebpage.h"

namespace {

TZEBbox* BoxAt(QObject* o) { return qobject_cast<TZEBbox*>(o); }

}  // namespace

TLinkEvent TMainForm::MakeLinkEvent(QObject* sender, QObject* obj, TZEBoggetto* aogg) {
  TLinkEvent ev;
  ev.sender = sender;
  ev.obj = obj;
  ev.target = aogg;
  auto* senderSet = qobject_cast<TZEBCustomFrameSet*>(sender);
  ev.senderDocument = senderSet ? senderSet->LinkedZEBset() : mainZEBset.get();
  ev.fromMainFrameSet = sender == Editor;
  if (!obj) return ev;
  // Zones lie on pictures, pictures on text boxes.
  if (obj->inherits("TMyyZona")) {
    ev.objKind = TLinkSourceKind::Zone;
    ev.clickedBox = obj->parent() ? BoxAt(obj->parent()->parent()) : nullptr;
  } else if (BoxAt(obj)) {
    ev.objKind = TLinkSourceKind::TextBox;
    ev.clickedBox = obj;
  } else if (qobject_cast<TMyyVisual*>(obj)) {
    ev.objKind = TLinkSourceKind::Visual;
    ev.clickedBox = BoxAt(obj->parent());
  } else if (qobject_cast<TZEBCustomFrameSet*>(obj)) {
    ev.objKind = TLinkSourceKind::FrameSet;
  } else if (auto* page = qobject_cast<TZEBpage*>(obj)) {
    ev.objKind = TLinkSourceKind::Page;
    ev.pageText = page->StoredPage();
  }
  if (TZEBbox* box = BoxAt(ev.clickedBox)) {
    ev.boxPage = box->Page() && box->Page()->StoredPage() ? box->Page()->StoredPage() : box->Text();
  }
  return ev;
}

void TMainForm::EditorDoLink(QObject* sender, QObject* obj, TZEBoggetto* aogg) {
  if (closing_ || !aogg) return;
  dispatcher_->EditorDoLink(MakeLinkEvent(sender, obj, aogg));
}

// ---------------------------------------------------------------- ILinkHost

bool TMainForm::MainReadOnly() { return Editor->ReadOnly(); }

void TMainForm::SetMainEnabled(bool enabled) {
  Editor->setEnabled(enabled);
  // Disabling took the focus away from the page.
  if (enabled) Editor->FocusActive();
}

void TMainForm::SetMainPageNumber(QObject* frameSet, int page) {
  auto* fs = qobject_cast<TZEBCustomFrameSet*>(frameSet);
  // The combo's own handler must not take the page change for a click of its own.
  const bool old = updating_;
  updating_ = true;
  (fs ? fs : Editor)->SetMainPageNumber(page);
  updating_ = old;
}

void TMainForm::GoToCover() { Editor->GoToCover(); }

void TMainForm::ScrollMainToAnchor(int anchor) { Editor->ScrollMainToAnchor(anchor); }

bool TMainForm::ShowInTarget(const std::string& name, TZEBoggetto* target, int position, int nested) {
  return Editor->ShowInTarget(name, target, position, nested);
}

void TMainForm::ShowInFrameOfPage(QObject* box, TZEBoggetto* target, int position, int nested) {
  TZEBbox* b = BoxAt(box);
  if (b && b->Page()) Editor->ShowInFrameOfPage(b->Page(), target, position, nested);
}

bool TMainForm::PrintNamedFrame(const std::string& name) {
  // Printing comes with the print dialog; a frame of that name is still found.
  return Editor->FindFrame(name) != nullptr;
}

void TMainForm::PrintCurrent(QObject* box) { PrintCurrentPage(true, box); }

void TMainForm::BusyCursor(bool on) {
  if (on)
    QApplication::setOverrideCursor(Qt::WaitCursor);
  else if (QApplication::overrideCursor())
    QApplication::restoreOverrideCursor();
}
