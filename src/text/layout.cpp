// Paragraph layout: line breaking, alignment, heights and the places of
// inline objects. Drawing (paint.cpp) only reads what this leaves.
#include <algorithm>
#include <climits>

#include "document/zebobject.h"
#include "document/zebset.h"
#include "text/paragraph.h"

TCanvasFont TTextContext::CanvasFont(const TMyFont& f) const {
  TCanvasFont c;
  c.name = f.name;
  c.size = static_cast<int32_t>(static_cast<int64_t>(f.size) * zoom / 10);
  c.style = f.style;
  c.colour = f.colour;
  c.charset = doc ? doc->FontCharSet() : 1;
  return c;
}

namespace {

constexpr int kNoDescent = INT_MIN / 2;

// Breaks a paragraph into lines for ctx.layoutWidth. A line's maximum ascent
// is a running maximum: it counts every character added to the line, also
// those that a break later carries to the next line; its depth below the
// baseline counts only its own characters. The loop over the characters only
// adds widths; heights are taken when a line ends, over its characters that
// are still in the cache.
class TLineBreaker {
public:
  TLineBreaker(TZEBparag& p, TTextContext& ctx, int y0) : p_(p), ctx_(ctx), y0_(y0) {
    W_ = ctx.layoutWidth;
    left_ = p.LeftMargin(ctx);
    laterWidth_ = W_ - left_ - p.RightMargin(ctx);
    alignment_ = p.style.Get(paAlignment);
    lineHeight_ = p.style.Get(paLineHeight);
  }

  std::vector<TZEBline> Run() {
    const int indent = p_.Indent();
    StartLine(0, laterWidth_ - indent, left_ + indent);
    const int n = static_cast<int>(p_.text.size());
    lines_.reserve(std::max<size_t>(p_.lines.size(), 1));
    for (int i = 0; i < n; ++i) {
      if (p_.chars[i].object >= 0) MeasureObject(i);
      if (remaining_ - p_.chars[i].width > 0) {
        Add(i);
      } else if (cur_.count > 0) {
        if (bp_ < 0 && p_.text[i - 1] == ' ') {
          bp_ = i;
          bpRemaining_ = remaining_;
        }
        if (bp_ >= 0) BreakAndCarry(i);
        Add(i);  // without a break point the word stays whole and overflows
      } else {
        // Not even one character fits: it gets a line of its own.
        Add(i);
        remaining_ = 0;
        if (i < n - 1) {
          EndLine(0, false, i + 1);
          StartLine(i + 1, laterWidth_, left_);
        }
      }
    }
    cur_.count = n - cur_.first;
    EndLine(std::max(remaining_, 0), true, n);
    return std::move(lines_);
  }

private:
  void StartLine(int first, int width, int xStart) {
    cur_ = TZEBline{};
    cur_.first = first;
    cur_.xStart = xStart;
    if (!lines_.empty()) cur_.y = lines_.back().y + lines_.back().height;
    lineWidth_ = remaining_ = width;
    bp_ = -1;
    bpRemaining_ = 0;
  }

  void Add(int i) {
    remaining_ -= p_.chars[i].width;
    ++cur_.count;
    if (remaining_ < 0) ctx_.widest = std::max(ctx_.widest, W_ - remaining_);
    if (p_.text[i] == ' ') {
      bp_ = i + 1;
      bpRemaining_ = remaining_;
    }
  }

  // Ends the line at the break point; the characters after it move to a new
  // line, whose ascent is the largest among them.
  void BreakAndCarry(int i) {
    const int bp = bp_;
    cur_.count = bp - cur_.first;
    EndLine(std::max(bpRemaining_, 0), false, i);
    StartLine(bp, laterWidth_, left_);
    for (int k = bp; k < i; ++k) Add(k);
  }

  // `added` ends the characters that were added to the line, carried ones included.
  void EndLine(int R, bool last, int added) {
    const int end = cur_.first + cur_.count;
    bool objects = false;
    int ascent = 0, descent = kNoDescent;
    for (int k = cur_.first; k < end; ++k) {
      TCharRec& c = p_.chars[k];
      ascent = std::max(ascent, c.ascent);
      descent = std::max(descent, c.height - c.ascent);
      objects = objects || c.object >= 0;
      if (c.display != c.width) c.display = c.width;  // justification is laid out afresh
    }
    for (int k = end; k < added; ++k) ascent = std::max(ascent, p_.chars[k].ascent);
    cur_.maxAscent = ascent;
    const int h = cur_.count > 0 ? std::max(ascent + descent, 0) : 0;
    cur_.height = h > 0 ? h : p_.defaultLineHeight;
    cur_.shift = 0;
    if (alignment_ == 1) cur_.shift = R;
    if (alignment_ == 2) cur_.shift = R / 2;
    if (alignment_ == 3 && !last) R = Justify(R);
    cur_.used = lineWidth_ - R;
    if (lineHeight_ > 0) cur_.height = lineHeight_;
    if (objects) PlaceObjects();
    lines_.push_back(cur_);
  }

  // Spreads R over the line's spaces but its last character; returns what is left.
  int Justify(int R) {
    const int end = cur_.first + cur_.count;
    int k = 0;
    for (int i = cur_.first; i < end - 1; ++i) k += p_.text[i] == ' ';
    if (k == 0) return R;
    int extra = R % k;
    for (int i = cur_.first; i < end - 1; ++i) {
      if (p_.text[i] != ' ') continue;
      p_.chars[i].display = p_.chars[i].width + R / k + (extra > 0 ? 1 : 0);
      if (extra > 0) --extra;
    }
    return 0;
  }

  // Objects of the finished line: at their x on the line, their ascent above the baseline.
  void PlaceObjects() {
    const int end = cur_.first + cur_.count;
    const int baseline = y0_ + cur_.y + cur_.maxAscent;
    int x = cur_.xStart + cur_.shift;
    for (int i = cur_.first; i < end; ++i) {
      const TCharRec& c = p_.chars[i];
      if (c.object >= 0) p_.places.push_back({i, x, baseline - c.ascent});
      x += c.object >= 0 ? c.width : c.display;
    }
  }

  // Objects are sized by their host for the width of the line they sit on.
  void MeasureObject(int i) {
    TCharRec& c = p_.chars[i];
    TInlineMetrics m;
    TZEBoggetto* obj = p_.ObjectAtChar(i);
    if (obj && ctx_.host) m = ctx_.host->MeasureObject(obj, lineWidth_);
    c.width = c.display = m.width;
    c.height = m.height;
    c.ascent = m.ascent;
  }

  TZEBparag& p_;
  TTextContext& ctx_;
  int y0_;
  int W_ = 0, left_ = 0, laterWidth_ = 0, alignment_ = 0, lineHeight_ = 0;
  std::vector<TZEBline> lines_;
  TZEBline cur_;
  int lineWidth_ = 0, remaining_ = 0;
  int bp_ = -1, bpRemaining_ = 0;  // break point and the room left there
};

}  // namespace

int TZEBparag::StyleNumber() const {
  const TZEBoggetto* b = style.Base();
  return b && b->Index() >= 0 ? b->Index() : 0;
}

const TZEBFontStyle* TZEBparag::FontChangeAt(size_t i) const {
  if (i >= chars.size()) return nullptr;
  const int fc = chars[i].fontChange;
  return fc >= 0 && static_cast<size_t>(fc) < fonts.size() ? fonts[fc].get() : nullptr;
}

TZEBoggetto* TZEBparag::ObjectAtChar(size_t i) const {
  if (i >= chars.size()) return nullptr;
  const int o = chars[i].object;
  return o >= 0 && static_cast<size_t>(o) < objects.size() ? objects[o] : nullptr;
}

TMyFont TZEBparag::FontAt(int i) const {
  TMyFont f = ParagraphFont();
  for (int k = 0; k <= i && static_cast<size_t>(k) < chars.size(); ++k)
    if (const TZEBFontStyle* fs = FontChangeAt(k)) f = fs->Resolved();
  return f;
}

int TZEBparag::LeftMargin(const TTextContext& ctx) const {
  return style.Get(paLeft) + std::max(ctx.cellPadding, 0);
}

int TZEBparag::RightMargin(const TTextContext& ctx) const {
  return style.Get(paRight) + std::max(ctx.cellPadding, 0);
}

int TZEBparag::Indent() const {
  const int indent = style.Get(paIndent);
  return style.Get(paNumbering) != 0 && indent < 0 ? 0 : indent;
}

void TZEBparag::AddFirstLine() {
  lines.clear();
  TZEBline ln;
  ln.xStart = style.Get(paLeft) + Indent();
  ln.height = defaultLineHeight;
  lines.push_back(ln);
}

int TZEBparag::Layout(TTextContext& ctx, int top) {
  // Records of a paragraph built by hand may fall short of the text.
  if (chars.size() < text.size() + 1) chars.resize(text.size() + 1);
  this->top = bottom = top;
  layoutWidth = ctx.layoutWidth;
  places.clear();
  const int above = style.Get(paAbove);
  lines = TLineBreaker(*this, ctx, top + above).Run();
  const TZEBline& last = lines.back();
  const int next = top + above + last.y + last.height + style.Get(paBelow);
  bottom = next - 1;
  return next;
}

int LayoutParagraphs(TTextContext& ctx, TParagraphs& paras) {
  if (paras.empty()) return 0;
  int top = FirstParagraphTop(ctx, paras.front().get());
  int number = 1;
  for (auto& p : paras) {
    if (p->style.Get(paNumbering) == 6)
      p->number = number++;
    else
      number = 1;
    top = p->Layout(ctx, top);
  }
  return top;
}

int FirstParagraphTop(const TTextContext& ctx, const TZEBparag* first) {
  const int above = first ? first->style.Get(paAbove) : 0;
  if (ctx.cellPadding >= 0) return above + ctx.cellPadding;
  if (above > 0) return 0;
  const int margin = ctx.doc ? ctx.doc->GlobalMargin() : -1;
  return margin >= 0 ? margin : 8;
}
