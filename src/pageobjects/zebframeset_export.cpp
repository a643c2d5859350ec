// Copy and select all in the frame set, and the text of a box for "dump:" links.
#include "pageobjects/boxclip.h"
#include "pageobjects/zebbox.h"
#include "pageobjects/zebframeset.h"

TZEBbox* TZEBCustomFrameSet::CommandBox() const { return FocusedBox() ? FocusedBox() : ActiveBox(); }

bool TZEBCustomFrameSet::CopyToClipboard() {
  TZEBbox* box = CommandBox();
  return box && CopySelectionToClipboard(*box);
}

void TZEBCustomFrameSet::SelectAll() {
  if (TZEBbox* box = CommandBox()) SelectWholeBox(*box);
}

std::string TZEBCustomFrameSet::ExportBoxText(QObject* source) const {
  TZEBbox* box = BoxOf(source ? source : lastLinkSource_.data());
  if (!box) box = ActiveBox();
  return box ? BoxPlainText(*box) : std::string();
}
