#include "document/objectlist.h"

#include "document/strutil.h"
#include "document/zebobject.h"

bool ListedByDefault(const TZEBoggetto& o) {
  if (o.IsDeleted()) return false;
  if (o.Kind() == internetLink) return o.State() != 6 && !str::StartsWithNoCase(o.Name(), "lumo://");
  if (o.Kind() == dbloc) return o.Rec().Byte(46) == 11;
  return true;
}

bool PageHasKeyword(const TZEBoggetto& page, int keywordIndex) {
  if (page.Kind() != testoHtml) return false;
  for (int i = 0; i < PageKeywordSlots; ++i)
    if (page.Rec().I32(PageKeywordOffset + 4 * i) == keywordIndex) return true;
  return false;
}
