// The program's own mouse cursors, by the numbers the rest of the program uses:
// 2 and 3 the hand over links, 4 the hand over links while editing, 5 the open
// hand, 6 the grab, 7 the fist, 8 the hand with zoom, 10 the magnifier, 11 the
// anchor. Any other number gives the arrow.
#pragma once

#include <QCursor>

QCursor LectraCursor(int number);
// Whether the number names one of the program's own cursors.
bool IsLectraCursor(int number);
