// An ebook that can no longer be read while it is shown (it was cut short or
// replaced on the disk): the reader says so and offers to open it again.
#include <QMetaObject>

#include "app/lib/mainform.h"

void TMainForm::WatchReadFailures() {
  mainZEBset->SetDeleteOnCloseAllowed(true);
  mainZEBset->OnReadFailure = [this](const std::string& file) {
    // The failure surfaces while a page is being read or drawn; reopening
    // frees that page, so it waits for the event loop.
    QMetaObject::invokeMethod(this, [this, file] { OfferReopen(file); }, Qt::QueuedConnection);
  };
}

void TMainForm::OfferReopen(const std::string& file) {
  if (closing_ || file.empty() || mainZEBset->ZEBFileName() != file) return;
  if (!messages_->Message(TMsgKind::Question, TZEBset::ReadErrorText(file) + "\rRiaprire l'ebook?")) return;
  const int page = Editor->MainPageNumber();
  if (!OpenEbookFile(file) || mainZEBset->ZEBFileName() != file) return;
  if (page >= 0 && page < mainZEBset->Count(testoHtml)) ShowPageWithLayout(page);
}
