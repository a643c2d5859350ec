// The frame set's part of the search commands: finding a word in the page
// shown and selecting it.
#include "pageobjects/zebframeset.h"

namespace {

bool FindFromStart(TZEBbox* box, const std::string& text) {
  TZEBpage* page = box ? box->Page() : nullptr;
  if (!page) return false;
  box->ClearSelection();
  page->StartFind();
  return page->FindText(text, false);
}

}  // namespace

bool TZEBCustomFrameSet::FindInActive(const std::string& text) { return FindFromStart(ActiveBox(), text); }

bool TZEBCustomFrameSet::FindInMain(const std::string& text) { return FindFromStart(MainBox(), text); }

bool TZEBCustomFrameSet::FindNextInActive(const std::string& text) {
  TZEBbox* box = ActiveBox();
  TZEBpage* page = box ? box->Page() : nullptr;
  return page && page->FindText(text, true);
}

bool TZEBCustomFrameSet::FindInNested(const std::string& text) {
  for (TZEBpage* page : CollectPages())
    if (page->Box() && FindFromStart(page->Box(), text)) return true;
  return false;
}

void TZEBCustomFrameSet::ResetSearch() {
  TZEBbox* box = ActiveBox();
  TZEBpage* page = box ? box->Page() : nullptr;
  if (!page) return;
  box->ClearSelection();
  if (box->ParagraphCount() > 0) box->SetCaret(0, 0);
  page->StartFind();
}
