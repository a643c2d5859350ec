// Copy in the main window: the selection of the frame set's box goes to the
// clipboard in all its forms; "dump:" links get the plain text of a box.
#include "app/lib/mainform.h"
#include "pageobjects/boxclip.h"
#include "pageobjects/zebbox.h"

void TMainForm::EditCopy() {
  Editor->CopyToClipboard();
  Editor->FocusActive();
}

std::string TMainForm::ExportBoxText(QObject* source) { return Editor->ExportBoxText(source); }
