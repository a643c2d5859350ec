// The page control's state, shared by its source files.
#pragma once

#include <QPointer>
#include <array>
#include <memory>
#include <vector>

#include "pageobjects/zebbox.h"
#include "pageobjects/zebpage.h"

// Search walker over one box's paragraphs; the table cells of a paragraph get
// child walkers, searched before the next paragraph.
struct TZEBpar {
  explicit TZEBpar(TZEBbox* b) : box(b) {}
  TZEBbox* box;
  int current = 0;
  bool searched = false;  // the current paragraph's own text is done
  std::vector<std::unique_ptr<TZEBpar>> children;
  size_t nextChild = 0;
};

struct TZEBpage::Impl {
  struct Entry {
    QPointer<QWidget> control;
    TZEBoggetto* obj = nullptr;
  };
  IFrameSetHost* frameSet = nullptr;
  std::vector<Entry> objects{Entry{}};  // number 0 is the text box
  int base[3] = {0, 0, 0};
  bool writtenBack = false;
  std::vector<TZEBoggetto*> pageObjects, floatingImages;
  std::vector<QPointer<QWidget>> anchors, autoStart;
  std::vector<QPointer<QObject>> frameSets;

  // Search.
  std::unique_ptr<TZEBpar> root;
  bool positioned = false, continueFlag = false;
  int startChar = 0;
  uint8_t options = 0;
  std::array<uint32_t, 256> fold{};
  TZEBbox* lastBox = nullptr;
  int lastPara = -1;

  QPointer<TZEBsfondo> background;
  int pageIndex = -1;
  TZEBtesto* stored = nullptr;
  std::unique_ptr<TZEBtesto> ownedDisplay;
  TZEBtesto* display = nullptr;
  QPointer<TZEBbox> box;
  uint8_t scrollMode = 3;
  bool temporary = false, framesOnly = false, loading = false, animated = true, readOnly = true;
  bool fitting = false, refit = false, registered = false;
};
