// The order in which object lists show their captions: the reader's own
// (Italian) string order, case-sensitive, the same on every machine.
#pragma once

#include <QString>
#include <cstdint>
#include <vector>

#include "document/zebtypes.h"

int CompareCaptions(const QString& a, const QString& b);

struct TListEntry {
  TObjId id = NoObject;
  QString caption;
  uint32_t size = 0;
};

// The order of a reloaded list: by payload size, then by caption; items that
// compare equal keep their table order.
void SortListEntries(std::vector<TListEntry>& entries);
