// The main window's side of the separate reader windows: creating them,
// finding them in order of creation, telling them when the main ebook is
// replaced and freeing them once they have closed.
#include <QApplication>

#include "app/lib/mainform.h"

TServices TMainForm::Services() {
  return TServices{messages_, options_.settings, options_.system ? options_.system : ownSystem_.get()};
}

std::vector<TFseparato*> TMainForm::SeparateForms() const {
  std::vector<TFseparato*> out;
  for (const QPointer<TFseparato>& w : separate_)
    if (w && !w->Closing()) out.push_back(w.data());
  return out;
}

std::vector<ISeparateWindow*> TMainForm::SeparateWindows() {
  std::vector<ISeparateWindow*> out;
  for (TFseparato* w : SeparateForms()) out.push_back(w);
  return out;
}

ISeparateWindow* TMainForm::CreateSeparateWindow() {
  if (closing_) return nullptr;
  std::erase_if(separate_, [](const QPointer<TFseparato>& w) { return w.isNull(); });
  // A page whose automatic link opens a popup of itself would open windows
  // without end: past the cap, no further window opens.
  if (int(SeparateForms().size()) >= MaxSeparateWindows) return nullptr;
  auto* w = new TFseparato(*this);
  separate_.emplace_back(w);
  return w;
}

void TMainForm::SeparateClosed(TFseparato* window) {
  for (QPointer<TFseparato>& w : separate_)
    if (w.data() == window) {
      w->deleteLater();
      w.clear();
    }
  std::erase_if(separate_, [](const QPointer<TFseparato>& w) { return w.isNull(); });
  if (!closing_ && isActiveWindow()) Editor->FocusActive();
}

void TMainForm::CloseSeparateWindows() {
  for (QPointer<TFseparato>& w : separate_)
    if (w) delete w.data();
  separate_.clear();
}

void TMainForm::WatchMainDocument() {
  mainZEBset->OnBeforeNew = [this](TZEBset&) {
    for (TFseparato* w : SeparateForms()) w->MainEbookClosing();
  };
  mainZEBset->OnAfterNew = [this](TZEBset&) {
    for (TFseparato* w : SeparateForms()) w->MainEbookOpened();
  };
}
