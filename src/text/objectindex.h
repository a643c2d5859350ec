// The object index of a page without a display: number 0 is the text box
// itself, then every embedded object that has a view, in order of appearance.
#pragma once

#include <vector>

#include "text/paragraph.h"

class TZEBtesto;

class TTextObjectIndex : public IObjectIndex {
public:
  explicit TTextObjectIndex(const TZEBtesto* text);
  TZEBoggetto* IndexedObject(int number) override;
  int NumberOf(TZEBoggetto* obj) override;

private:
  std::vector<TZEBoggetto*> objects_;  // objects_[0] stands for the box
};
