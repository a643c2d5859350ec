// Copy in the main window: the selection of the frame set's box goes to the
// clipboard in all its forms; "dump:" links get the plain text of a box.
#include "app/lib/mainform.h"
#include "pageobjects/boxclip.h"
#include "pageobjects/zebbox.h"

void TMainForm::EditCopy() {
  TZEBbox* box = Editor->FocusedBox() ? Editor->FocusedBox() : Editor->ActiveBox();
  if (box) CopySelectionToClipboard(*box);
  Editor->FocusActive();
}

std::string TMainForm::ExportBoxText(QObject* source) {
  // The clicked box, the box a clicked page object sits in, else the active box.
  TZEBbox* box = nullptr;
  for (QObject* o = source; o && !box; o = o->parent()) box = qobject_cast<TZEBbox*>(o);
  if (!box) box = Editor->ActiveBox();
  return box ? BoxPlainText(*box) : std::string();
}
