// Positions in the text box: hit testing, the objects and links at a place,
// and the selection.
#include <algorithm>
#include <climits>

#include "document/zebobject.h"
#include "pageobjects/framesetapi.h"
#include "pageobjects/zebbox.h"
#include "pageobjects/zebpage.h"

namespace {

int Advance(const TZEBparag& p, int i) {
  return i >= 0 && static_cast<size_t>(i) < p.chars.size() ? p.chars[i].display : 0;
}

bool Before(const TZEBPosition& a, const TZEBPosition& b) {
  return a.paraIndex < b.paraIndex || (a.paraIndex == b.paraIndex && a.charIndex < b.charIndex);
}

// Word selection stops at these bytes (the last two are typographic quotes).
bool IsWordChar(uint8_t c) {
  return !((c >= 32 && c <= 34) || (c >= 39 && c <= 47) || (c >= 58 && c <= 63) || (c >= 123 && c <= 126) ||
           c == 147 || c == 148);
}

}  // namespace

// ---------------------------------------------------------------- positions

TZEBPosition TZEBbox::PositionOf(int para, int charIndex) const {
  TZEBPosition pos;
  TZEBparag* p = Paragraph(para);
  if (!p || p->lines.empty()) return pos;
  const int c = std::clamp(charIndex, 0, static_cast<int>(p->text.size()));
  int li = 0;
  while (li + 1 < static_cast<int>(p->lines.size()) && p->lines[li + 1].first <= c) ++li;
  const TZEBline& ln = p->lines[li];
  pos.para = p;
  pos.paraIndex = para;
  pos.line = li;
  pos.charIndex = c;
  pos.top = p->top + p->style.Get(paAbove) + ln.y;
  pos.height = ln.height;
  int x = ln.xStart + ln.shift;
  for (int k = ln.first; k < c; ++k) x += Advance(*p, k);
  pos.xLeft = x;
  pos.xRight = x + (c < static_cast<int>(p->text.size()) ? Advance(*p, c) : 0);
  return pos;
}

TZEBPosition TZEBbox::HitTest(int mode, int x, int y) const {
  int lo, hi;  // the paragraphs the mode looks at: [lo, hi)
  if (mode == kAllText) {
    lo = 0, hi = ParagraphCount();
  } else if (mode == 0 || mode == 3 || mode == 4) {
    lo = headerCount_, hi = ParagraphCount() - footerCount_;
  } else {
    return {};
  }
  if (lo >= hi) return {};
  // The first paragraph whose band reaches down to y; the last one below them all.
  auto above = [this](int i) { return paras_[i]->style.Get(paAbove); };
  int a = lo, b = hi;
  while (a < b) {
    const int mid = (a + b) / 2;
    if (paras_[mid]->bottom + above(mid) < y)
      a = mid + 1;
    else
      b = mid;
  }
  const int pi = std::min(a, hi - 1);
  const TZEBparag& p = *paras_[pi];
  if (p.lines.empty()) return {};
  const int rel = y - (p.top + above(pi));
  int li = 0;
  while (li + 1 < static_cast<int>(p.lines.size()) && p.lines[li + 1].y <= rel) ++li;
  const TZEBline& ln = p.lines[li];
  // Characters passed while left of the point; the end of the text counts as
  // one more place on the last line.
  const int limit = ln.count + (li + 1 == static_cast<int>(p.lines.size()) ? 1 : 0);
  int run = ln.xStart + ln.shift, passed = 0;
  while (passed < limit && run < x) run += Advance(p, ln.first + passed++);
  return PositionOf(pi, ln.first + std::max(passed - 1, 0));
}

int TZEBbox::LinkAt(const TZEBPosition& pos) const {
  const TZEBparag* p = Paragraph(pos.paraIndex);
  if (!p || p->text.empty()) return -1;
  const int i = std::min(pos.charIndex, static_cast<int>(p->text.size()) - 1);
  return i >= 0 && static_cast<size_t>(i) < p->chars.size() ? p->chars[i].link : -1;
}

TZEBoggetto* TZEBbox::LinkObject(int paraIndex, int link) const {
  if (!text_ || link < 0) return nullptr;
  const TZEBparag* p = Paragraph(paraIndex);
  // Local links of the header and footer live in their own texts.
  TZEBtesto* own = !p ? text_ : p->origin == 1 ? text_->HeaderText() : p->origin == 2 ? text_->FooterText() : text_;
  TZEBoggetto* obj = own ? own->ResolveContainerId(link) : nullptr;
  return obj ? obj : text_->ResolveContainerId(link);
}

bool TZEBbox::FindObject(const TZEBoggetto* obj, int& para, int& charIndex) const {
  for (int i = 0; i < ParagraphCount(); ++i) {
    const TZEBparag& p = *paras_[i];
    for (size_t k = 0; k < p.chars.size(); ++k) {
      const int o = p.chars[k].object;
      if (o >= 0 && static_cast<size_t>(o) < p.objects.size() && p.objects[o] == obj) {
        para = i;
        charIndex = static_cast<int>(k);
        return true;
      }
    }
  }
  return false;
}

// ---------------------------------------------------------------- selection

TZEBPosition TZEBbox::Ordered(bool first) const {
  const bool anchorFirst = !Before(end_, anchor_);
  return first == anchorFirst ? anchor_ : end_;
}

void TZEBbox::SelectionStart(int& p, int& c) const {
  const TZEBPosition pos = hasSel_ ? Ordered(true) : caretPos_;
  p = pos.Valid() ? pos.paraIndex : headerCount_;
  c = pos.Valid() ? pos.charIndex : 0;
}

void TZEBbox::SelectionEnd(int& p, int& c) const {
  const TZEBPosition pos = hasSel_ ? Ordered(false) : caretPos_;
  p = pos.Valid() ? pos.paraIndex : headerCount_;
  c = pos.Valid() ? pos.charIndex : 0;
}

void TZEBbox::RepaintBetween(TZEBPosition a, TZEBPosition b) {
  if (!a.Valid() || !b.Valid()) return;
  if (Before(b, a)) std::swap(a, b);
  auto add = [this](QRect r) {
    r.adjust(-1, 0, 1, 0);
    lastRepaint_.push_back(r);
    update(r);
  };
  if (a.paraIndex == b.paraIndex && a.line == b.line) {
    add(QRect(a.xLeft, a.top, b.xLeft - a.xLeft, std::max(a.height, b.height)));
    return;
  }
  add(QRect(a.xLeft, a.top, width() - a.xLeft, a.height));
  // Whole lines in between, as far as they can be seen.
  const int viewTop = page_ ? page_->ScrollY() : 0;
  const int viewBottom = viewTop + (page_ ? page_->viewport()->height() : height());
  for (int pi = a.paraIndex; pi <= b.paraIndex; ++pi) {
    const TZEBparag& p = *paras_[pi];
    const int y0 = p.top + p.style.Get(paAbove);
    if (p.bottom < viewTop || p.top > viewBottom) continue;
    for (int li = 0; li < static_cast<int>(p.lines.size()); ++li) {
      if ((pi == a.paraIndex && li <= a.line) || (pi == b.paraIndex && li >= b.line)) continue;
      const QRect r(0, y0 + p.lines[li].y, width(), p.lines[li].height);
      if (r.bottom() >= viewTop && r.top() <= viewBottom) add(r);
    }
  }
  add(QRect(0, b.top, b.xLeft, b.height));
}

void TZEBbox::RepaintSelection(const TZEBPosition& a, const TZEBPosition& b) {
  lastRepaint_.clear();
  RepaintBetween(a, b);
}

void TZEBbox::ClearSelection() {
  if (hasSel_ && selShown_) RepaintSelection(anchor_, end_);
  hasSel_ = selShown_ = selecting_ = false;
  anchor_ = end_ = caretPos_;
}

void TZEBbox::SelectRange(int p1, int c1, int p2, int c2) {
  if (hasSel_ && selShown_) RepaintSelection(anchor_, end_);
  else lastRepaint_.clear();
  const TZEBPosition a = PositionOf(p1, c1), b = PositionOf(p2, c2);
  if (!a.Valid() || !b.Valid()) return;
  anchor_ = a;
  end_ = b;
  hasSel_ = !a.SamePlace(b);
  selShown_ = true;
  selecting_ = false;
  caretPos_ = b;
  RepaintBetween(anchor_, end_);
  if (IFrameSetHost* fs = GetFrameSet()) fs->SelectionChanged(this);
}

void TZEBbox::SetCaret(int para, int charIndex) {
  caretPos_ = PositionOf(para, charIndex);
  if (!caretPos_.Valid()) return;
  caret_->setGeometry(caretPos_.xLeft, caretPos_.top, 1, std::max(caretPos_.height, 1));
  caret_->setVisible(!ReadOnly() && hasFocus());
}

void TZEBbox::SelectWord(const TZEBPosition& pos) {
  const TZEBparag* p = Paragraph(pos.paraIndex);
  if (!p) return;
  const std::string& t = p->text;
  const int n = static_cast<int>(t.size());
  int s = std::min(pos.charIndex, n), e = s;
  while (s > 0 && IsWordChar(static_cast<uint8_t>(t[s - 1]))) --s;
  while (e < n && IsWordChar(static_cast<uint8_t>(t[e]))) ++e;
  while (e < n && t[e] == ' ') ++e;
  SelectRange(pos.paraIndex, s, pos.paraIndex, e);
}
