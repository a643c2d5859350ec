// One OnDoLink event completed with what dispatch needs to know of the
// controls: the kind of control, the text box holding the link, its page.
#pragma once

#include "shell/linkdispatch.h"

class QObject;
class TZEBoggetto;
class TZEBset;

// `mainFrameSet`: the main window's frame set; `fallback`: the document when
// the sender is not a frame set.
TLinkEvent MakeLinkEventFor(QObject* sender, QObject* obj, TZEBoggetto* aogg, QObject* mainFrameSet,
                            TZEBset* fallback);
