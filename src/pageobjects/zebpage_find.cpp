// In-page search: walkers over the paragraphs of the page's box and of the
// cells of its tables.
#include <algorithm>
#include <array>

#include "document/zebobject.h"
#include "document/zebset.h"
#include "pageobjects/framesetapi.h"
#include "pageobjects/zebbox.h"
#include "pageobjects/zebpage.h"
#include "pageobjects/zebpage_impl.h"

namespace {

// Bytes that end a whole word: punctuation and space of the ASCII range.
bool IsSeparator(uint8_t c) {
  return (c >= 32 && c <= 47) || (c >= 58 && c <= 64) || (c >= 91 && c <= 96) || (c >= 123 && c <= 126);
}

}  // namespace

// ---------------------------------------------------------------- find

namespace {

// Cell boxes of the tables in a paragraph, row by row: a table keeps its cells
// as boxes of its own.
std::vector<std::unique_ptr<TZEBpar>> CellWalkers(const TZEBpage& page, const TZEBparag& p) {
  std::vector<std::unique_ptr<TZEBpar>> out;
  for (TZEBoggetto* o : p.objects) {
    if (!o || o->Kind() != tabellaHtml) continue;
    if (QWidget* table = page.ControlOf(o))
      for (TZEBbox* cell : table->findChildren<TZEBbox*>(Qt::FindDirectChildrenOnly))
        out.push_back(std::make_unique<TZEBpar>(cell));
  }
  return out;
}

struct THit {
  TZEBbox* box = nullptr;
  int para = -1, at = -1;
};

struct TFinder {
  const TZEBpage& page;
  const std::string& pattern;
  const std::array<uint32_t, 256>& fold;  // bytes as compared: lowered code points
  bool whole;
  bool continueFlag;  // the first paragraph is searched from startChar
  int startChar;
  TZEBbox* lastBox = nullptr;
  int lastPara = -1;
  THit hit;

  int Match(const std::string& t, int from) const {
    const size_t n = t.size(), m = pattern.size();
    for (size_t i = static_cast<size_t>(std::max(from, 0)); i + m <= n; ++i) {
      size_t k = 0;
      while (k < m && fold[static_cast<uint8_t>(t[i + k])] == fold[static_cast<uint8_t>(pattern[k])]) ++k;
      if (k < m) continue;
      if (whole && ((i > 0 && !IsSeparator(static_cast<uint8_t>(t[i - 1]))) ||
                    (i + m < n && !IsSeparator(static_cast<uint8_t>(t[i + m])))))
        continue;
      return static_cast<int>(i);
    }
    return -1;
  }

  // Depth first: a paragraph, then the cells of its tables, then the next paragraph.
  bool Walk(TZEBpar& w) {
    while (w.current < w.box->ParagraphCount()) {
      if (!w.searched) {
        w.searched = true;
        const TZEBparag& p = *w.box->Paragraph(w.current);
        const int from = continueFlag ? startChar : 0;
        continueFlag = false;
        // Only the main text: header and footer lines are not searched.
        if (p.origin == 0 || p.origin == 3 || p.origin == 4) {
          lastBox = w.box;
          lastPara = w.current;
          if (const int at = Match(p.text, from); at >= 0) {
            hit = {w.box, w.current, at};
            return true;
          }
        }
        w.children = CellWalkers(page, p);
        w.nextChild = 0;
      }
      for (; w.nextChild < w.children.size(); ++w.nextChild)
        if (Walk(*w.children[w.nextChild])) return true;
      w.children.clear();
      ++w.current;
      w.searched = false;
    }
    return false;
  }
};

}  // namespace

void TZEBpage::StartFind() {
  d->root = d->box ? std::make_unique<TZEBpar>(d->box.data()) : nullptr;
  d->positioned = d->continueFlag = false;
  d->startChar = 0;
  d->options = d->frameSet ? d->frameSet->SearchOptions() : 0;
  TZEBset* doc = Document();
  const bool caseSensitive = d->options & 2;
  for (int b = 0; b < 256; ++b) {
    const uint32_t cp = doc ? doc->CodePage().CodePoint(static_cast<uint8_t>(b)) : static_cast<uint32_t>(b);
    d->fold[b] = caseSensitive ? static_cast<uint32_t>(b) : QChar::toLower(static_cast<char32_t>(cp));
  }
}

void TZEBpage::PositionAtSelection(TZEBbox* box, int para, int charIndex) {
  StartFind();
  if (!d->root || !box) return;
  // The boxes from the page's own down to the cell that holds the selection.
  std::vector<TZEBbox*> chain;
  for (QWidget* w = box; w; w = w->parentWidget()) {
    if (auto* b = qobject_cast<TZEBbox*>(w)) chain.insert(chain.begin(), b);
    if (w == d->box) break;
  }
  if (chain.empty() || chain.front() != d->box) return;
  TZEBpar* walker = d->root.get();
  for (size_t k = 0; k + 1 < chain.size(); ++k) {
    TZEBoggetto* table = ObjectOfControl(chain[k + 1]->parentWidget());
    int p = 0, c = 0;
    if (!table || !chain[k]->FindObject(table, p, c)) return;
    walker->current = p;
    walker->searched = true;
    walker->children = CellWalkers(*this, *chain[k]->Paragraph(p));
    auto it = std::find_if(walker->children.begin(), walker->children.end(),
                           [&](const auto& w) { return w->box == chain[k + 1]; });
    if (it == walker->children.end()) return;
    walker->nextChild = static_cast<size_t>(it - walker->children.begin());
    walker = it->get();
  }
  walker->current = para;
  d->positioned = d->continueFlag = true;
  d->startChar = charIndex + 1;
}

bool TZEBpage::FindText(const std::string& pattern, bool continueFromSelection) {
  if (!d->box) return false;
  if (continueFromSelection && !d->positioned) {
    int p = 0, c = 0;
    d->box->SelectionStart(p, c);
    PositionAtSelection(d->box, p, c);
  } else if (!continueFromSelection || !d->root) {
    StartFind();
  }
  if (!d->root || pattern.empty()) return false;

  TFinder finder{*this, pattern, d->fold, (d->options & 1) != 0, d->continueFlag, d->startChar, nullptr, -1, {}};
  const bool found = finder.Walk(*d->root);
  d->root.reset();
  d->positioned = d->continueFlag = false;
  if (found) {
    const THit& hit = finder.hit;
    const int len = static_cast<int>(pattern.size());
    hit.box->SelectRange(hit.para, hit.at, hit.para, hit.at + len);
    const TZEBPosition a = hit.box->PositionOf(hit.para, hit.at);
    const TZEBPosition b = hit.box->PositionOf(hit.para, hit.at + len);
    hit.box->ScrollIntoView(a.xLeft, a.top, a.height, std::max(b.xLeft - a.xLeft, 1));
    if (hit.box->focusPolicy() != Qt::NoFocus) hit.box->setFocus();
  } else if (finder.lastBox) {
    // Nothing more: no selection, the caret at the last paragraph searched.
    finder.lastBox->ClearSelection();
    finder.lastBox->SetCaret(finder.lastPara, 0);
  }
  return found;
}
