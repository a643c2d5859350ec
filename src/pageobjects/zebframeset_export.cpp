// The text of a box for "dump:" links.
#include "pageobjects/boxclip.h"
#include "pageobjects/zebbox.h"
#include "pageobjects/zebframeset.h"

std::string TZEBCustomFrameSet::ExportBoxText(QObject* source) const {
  TZEBbox* box = BoxOf(source ? source : lastLinkSource_.data());
  if (!box) box = ActiveBox();
  return box ? BoxPlainText(*box) : std::string();
}
