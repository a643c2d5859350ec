#include "text/objectindex.h"

#include <algorithm>

#include "document/zebobject.h"

TTextObjectIndex::TTextObjectIndex(const TZEBtesto* text) : objects_(1, nullptr) {
  if (!text) return;
  for (TZEBoggetto* o : text->Embedded())
    if (o && o->HasView()) objects_.push_back(o);
}

TZEBoggetto* TTextObjectIndex::IndexedObject(int number) {
  return number > 0 && static_cast<size_t>(number) < objects_.size() ? objects_[number] : nullptr;
}

int TTextObjectIndex::NumberOf(TZEBoggetto* obj) {
  auto it = std::find(objects_.begin() + 1, objects_.end(), obj);
  return it == objects_.end() ? -1 : static_cast<int>(it - objects_.begin());
}
