// Copy and select all in the frame set, and the text of a box for "dump:" links.
#include "pageobjects/boxclip.h"
#include "pageobjects/image.h"
#include "pageobjects/objectclip.h"
#include "pageobjects/zebbox.h"
#include "pageobjects/zebframeset.h"

TZEBbox* TZEBCustomFrameSet::CommandBox() const { return FocusedBox() ? FocusedBox() : ActiveBox(); }

// A picture or a zone chosen last copies itself; otherwise the box's selection.
bool TZEBCustomFrameSet::CopyToClipboard() {
  if (objectChosen_) {
    if (auto* zone = qobject_cast<TMyyZona*>(active_.data())) return CopyZoneToClipboard(*zone);
    if (auto* picture = qobject_cast<TMyyImage*>(active_.data())) return CopyPictureToClipboard(*picture);
  }
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
