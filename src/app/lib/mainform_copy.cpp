// Copy in the main window: the selection of the frame set's box goes to the
// clipboard in all its forms; "dump:" links get the plain text of a box.
#include "app/lib/mainform.h"
#include "pageobjects/boxclip.h"
#include "pageobjects/objectclip.h"
#include "pageobjects/zebbox.h"

void TMainForm::EditCopy() {
  Editor->CopyToClipboard();
  Editor->FocusActive();
}

std::string TMainForm::ExportBoxText(QObject* source) { return Editor->ExportBoxText(source); }

// The background picture of the page under the popup menu (else of the
// frame set's box).
void TMainForm::CopiaSfondoincartellaappuntiClick() {
  TZEBbox* box = popupBox_ ? popupBox_.data() : Editor->FocusedBox() ? Editor->FocusedBox() : Editor->ActiveBox();
  if (box && CopyPageBackground(*box) == TBackgroundCopy::NotAPicture)
    messages_->Message(TMsgKind::Error, "Allowed only for immagine");
}
