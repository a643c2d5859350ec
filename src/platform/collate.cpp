#include "platform/collate.h"

#include <QCollator>
#include <algorithm>

namespace {

const QCollator& Collator() {
  static const QCollator c = [] {
    QCollator k(QLocale(QLocale::Italian, QLocale::Italy));
    k.setCaseSensitivity(Qt::CaseSensitive);
    k.setNumericMode(false);
    return k;
  }();
  return c;
}

}  // namespace

int CompareCaptions(const QString& a, const QString& b) {
  const int r = Collator().compare(a, b);
  return r != 0 ? r : a.compare(b);  // equal for the collator: code point order decides
}

void SortListEntries(std::vector<TListEntry>& entries) {
  std::stable_sort(entries.begin(), entries.end(),
                   [](const TListEntry& a, const TListEntry& b) { return a.size < b.size; });
  std::stable_sort(entries.begin(), entries.end(), [](const TListEntry& a, const TListEntry& b) {
    return CompareCaptions(a.caption, b.caption) < 0;
  });
}
