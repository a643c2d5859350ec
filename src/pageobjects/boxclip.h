// Copying from a text box: the clipboard forms of its selection in one
// QMimeData, and the plain text of the whole box.
#pragma once

#include <QMimeData>
#include <memory>
#include <string>

#include "text/selectionforms.h"

class TZEBbox;

// MIME names the forms are offered under; the RTF form goes under both names
// that word processors on Linux ask for.
inline constexpr const char* kRtfMime = "text/rtf";
inline constexpr const char* kRtfMimeAlt = "application/rtf";
inline constexpr const char* kHtmlMime = "text/html";

// The native stream, the picture met first, RTF, HTML and plain text
// (UTF-8) of a range of the box.
std::unique_ptr<QMimeData> SelectionMimeData(TZEBbox& box, const TSelectionRange& range);
// The box's current selection as a range; false without a selection.
bool SelectionOf(const TZEBbox& box, TSelectionRange& range);
// Selects every paragraph of the box.
void SelectWholeBox(TZEBbox& box);
// Puts the box's selection on the clipboard; false when there is nothing to copy.
bool CopySelectionToClipboard(TZEBbox& box);
// The text box a control belongs to: the box itself or the box it sits in.
TZEBbox* BoxOf(QObject* control);
// The plain text of every paragraph of the box in the ebook's code page, as a
// "dump:" parameter file holds it.
std::string BoxPlainText(TZEBbox& box);
