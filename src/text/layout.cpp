// Paragraph layout (line breaking, alignment, heights) and drawing.
#include <algorithm>
#include <cstdlib>
#include <exception>

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

// Font change at character i, null when none or when the index is stale.
const TZEBFontStyle* FontChangeAt(const TZEBparag& p, size_t i) {
  if (i >= p.chars.size()) return nullptr;
  const int fc = p.chars[i].fontChange;
  return fc >= 0 && static_cast<size_t>(fc) < p.fonts.size() ? p.fonts[fc].get() : nullptr;
}

TZEBoggetto* ObjectAtChar(const TZEBparag& p, size_t i) {
  if (i >= p.chars.size()) return nullptr;
  const int o = p.chars[i].object;
  return o >= 0 && static_cast<size_t>(o) < p.objects.size() ? p.objects[o] : nullptr;
}

// Height, alignment, justification and used width of a line that has ended
// with R pixels left over.
void FinishLine(TZEBparag& p, TZEBline& ln, int lineWidth, int R, bool last) {
  const int end = ln.first + ln.count;
  ln.maxAscent = 0;
  for (int k = ln.first; k < end; ++k) ln.maxAscent = std::max(ln.maxAscent, p.chars[k].ascent);
  int h = 0;
  for (int k = ln.first; k < end; ++k) {
    TCharRec& c = p.chars[k];
    h = std::max(h, ln.maxAscent + c.height - c.ascent);
    c.display = c.width;
  }
  ln.height = h > 0 ? h : p.defaultLineHeight;

  ln.shift = 0;
  switch (p.style.Get(paAlignment)) {
    case 1: ln.shift = R; break;
    case 2: ln.shift = R / 2; break;
    case 3: {
      if (last) break;
      int k = 0;
      for (int i = ln.first; i < end - 1; ++i) k += p.text[i] == ' ';
      if (k == 0) break;
      int extra = R % k;
      for (int i = ln.first; i < end - 1; ++i) {
        if (p.text[i] != ' ') continue;
        p.chars[i].display = p.chars[i].width + R / k + (extra > 0 ? 1 : 0);
        if (extra > 0) --extra;
      }
      R = 0;
      break;
    }
    default: break;
  }
  ln.used = lineWidth - R;
  const int L = p.style.Get(paLineHeight);
  if (L > 0) ln.height = L;
}

// Breaks a paragraph into lines for ctx.layoutWidth.
class TLineBreaker {
public:
  TLineBreaker(TZEBparag& p, TTextContext& ctx) : p_(p), ctx_(ctx) {
    W_ = ctx.layoutWidth;
    left_ = p.LeftMargin(ctx);
    laterWidth_ = W_ - left_ - p.RightMargin(ctx);
  }

  std::vector<TZEBline> Run() {
    const int indent = p_.Indent();
    StartLine(0, laterWidth_ - indent, left_ + indent);
    const int n = static_cast<int>(p_.text.size());
    for (int i = 0; i < n; ++i) {
      MeasureObject(i);
      const int w = p_.chars[i].width;
      if (remaining_ - w > 0) {
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
          EndLine(0, false);
          StartLine(i + 1, laterWidth_, left_);
        }
      }
    }
    cur_.count = n - cur_.first;
    EndLine(std::max(remaining_, 0), true);
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

  void EndLine(int R, bool last) {
    FinishLine(p_, cur_, lineWidth_, R, last);
    lines_.push_back(cur_);
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

  // Ends the line at the break point; the characters after it move to a new line.
  void BreakAndCarry(int i) {
    const int bp = bp_;
    cur_.count = bp - cur_.first;
    EndLine(std::max(bpRemaining_, 0), false);
    StartLine(bp, laterWidth_, left_);
    for (int k = bp; k < i; ++k) Add(k);
  }

  // Objects are sized by their host for the width of the line they sit on.
  void MeasureObject(int i) {
    TCharRec& c = p_.chars[i];
    if (c.object < 0) return;
    TInlineMetrics m;
    TZEBoggetto* obj = ObjectAtChar(p_, i);
    if (obj && ctx_.host) m = ctx_.host->MeasureObject(obj, lineWidth_);
    c.width = c.display = m.width;
    c.height = m.height;
    c.ascent = m.ascent;
  }

  TZEBparag& p_;
  TTextContext& ctx_;
  int W_ = 0, left_ = 0, laterWidth_ = 0;
  std::vector<TZEBline> lines_;
  TZEBline cur_;
  int lineWidth_ = 0, remaining_ = 0;
  int bp_ = -1, bpRemaining_ = 0;  // break point and the room left there
};

// Draws the number or bullet, then the lines of one paragraph.
class TParagraphPainter {
public:
  TParagraphPainter(TZEBparag& p, TTextContext& ctx, int selFrom, int selTo)
      : p_(p), ctx_(ctx), c_(*ctx.canvas), selFrom_(selFrom), selTo_(selTo) {}

  void Paint() {
    y0_ = p_.top + p_.style.Get(paAbove);
    SetDrawn(p_.ParagraphFont());
    if (p_.lines.empty()) return;
    DrawMarker();
    c_.SetFont(font_);
    // By index: placing an object may call back into the box.
    for (size_t k = 0; k < p_.lines.size(); ++k) {
      try {
        const TZEBline ln = p_.lines[k];
        DrawLine(ln);
      } catch (const std::exception&) {
        break;
      }
    }
  }

private:
  bool Selected(int i) const { return i >= selFrom_ && i < selTo_; }

  void SetDrawn(const TMyFont& f) {
    font_ = ctx_.CanvasFont(f);
    c_.SetFont(font_);
    vOff_ = f.vertical == 1 ? std::abs(c_.CharHeight()) / 2 : 0;
  }

  TMyFont BaseFont() const {
    const TZEBFontStyle* fs = lastFont_ >= 0 ? p_.fonts[lastFont_].get() : nullptr;
    return fs ? fs->Resolved() : p_.ParagraphFont();
  }

  TMyFont LinkFont(TMyFont f) const {
    f.style = static_cast<uint8_t>(f.style ^ (p_.style.Get(paLinkFlags) & 0x0F));
    f.colour = p_.style.Get(paLinkColour);
    if (p_.style.Get(paLinkSize) > 0) f.size = p_.style.Get(paLinkSize);
    return f;
  }

  // Font changes and link boundaries at character i.
  void FollowChanges(int i) {
    const bool fontChange = FontChangeAt(p_, i) != nullptr;
    const bool linkChange = p_.chars[i].link != link_;
    if (!fontChange && !linkChange) return;
    if (fontChange) lastFont_ = p_.chars[i].fontChange;
    // A link with its own size keeps the font it started with.
    const bool keep = link_ >= 0 && !linkChange && p_.style.Get(paLinkSize) > 0;
    link_ = p_.chars[i].link;
    if (keep) return;
    SetDrawn(link_ < 0 ? BaseFont() : LinkFont(BaseFont()));
  }

  void Prepare(bool selected) {
    TCanvasFont f = font_;
    if (selected) {
      c_.SetTextBackground(true, c_.HighlightColour());
      f.colour = c_.HighlightTextColour();
    } else {
      c_.SetTextBackground(false, 0);
    }
    if (!(c_.Font() == f)) c_.SetFont(f);
  }

  void DrawMarker() {
    const int numbering = p_.style.Get(paNumbering);
    if (numbering != 6 && numbering != 10) return;
    const TZEBline& ln = p_.lines[0];
    const size_t first = static_cast<size_t>(std::max(ln.first, 0));
    const int ascent = first < p_.chars.size() ? p_.chars[first].ascent : 0;
    const int y = y0_ + ln.y + ln.maxAscent - ascent;
    const int left = p_.LeftMargin(ctx_), indent = p_.style.Get(paIndent);
    c_.SetTextBackground(false, 0);
    if (numbering == 6) {
      const std::string s = std::to_string(p_.number) + ". ";
      const int w = c_.TextWidth(s);
      c_.TextOut(indent < 0 ? left + indent : indent < w ? left - w : left, y, s);
    } else {
      TCanvasFont f = font_;
      f.name = "Wingdings";
      f.style = 0;
      c_.SetFont(f);
      c_.TextOut(indent < 0 ? left + indent : indent > 9 ? left : left - 10, y, "w");
    }
  }

  bool RunContinues(int j, bool selected) const {
    const TCharRec& c = p_.chars[j];
    return p_.text[j] != ' ' && c.fontChange < 0 && c.object < 0 && c.link == link_ && Selected(j) == selected;
  }

  void DrawLine(const TZEBline& ln) {
    int x = ln.xStart + ln.shift;
    const int baseline = y0_ + ln.y + ln.maxAscent;
    const int end = std::min({ln.first + ln.count, static_cast<int>(p_.text.size()),
                              static_cast<int>(p_.chars.size()) - 1});
    for (int i = std::max(ln.first, 0); i < end;) {
      FollowChanges(i);
      TCharRec& c = p_.chars[i];
      const bool sel = Selected(i);
      if (c.object >= 0) {
        if (TZEBoggetto* obj = ObjectAtChar(p_, i); obj && ctx_.host)
          ctx_.host->PlaceObject(obj, x, baseline - c.ascent, sel);
        x += c.width;
        ++i;
      } else if (p_.text[i] == ' ') {
        Prepare(sel);
        c_.TextOut(x, baseline + vOff_ - c.ascent, " ", &c.display);
        x += c.display;
        ++i;
      } else {
        int j = i + 1;
        while (j < end && RunContinues(j, sel)) ++j;
        Prepare(sel);
        x += DrawRun(i, j, x, baseline + vOff_ - c.ascent);
        i = j;
      }
    }
  }

  // One text-out for characters [i, j); one per character, re-measured, when
  // the stored widths no longer agree with the canvas. Returns the laid-out total.
  int DrawRun(int i, int j, int x, int y) {
    const std::string_view run(p_.text.data() + i, static_cast<size_t>(j - i));
    std::vector<int> advances;
    int total = 0;
    for (int k = i; k < j; ++k) {
      advances.push_back(p_.chars[k].display);
      total += p_.chars[k].display;
    }
    if (std::abs(total - c_.TextWidth(run)) <= 4) {
      c_.TextOut(x, y, run, advances.data());
      return total;
    }
    int prev = -1;
    for (int k = i; k < j; ++k) {
      const auto ch = static_cast<uint8_t>(p_.text[k]);
      const int w = c_.PairWidth(prev, ch);
      c_.TextOut(x, y, run.substr(k - i, 1));
      p_.chars[k].width = p_.chars[k].display = w;
      x += w;
      prev = ch;
    }
    return total;
  }

  TZEBparag& p_;
  TTextContext& ctx_;
  TCanvas& c_;
  int selFrom_, selTo_;
  int y0_ = 0;
  int lastFont_ = -1;  // last font change met, -1 for the paragraph font
  int link_ = -1;
  TCanvasFont font_;   // drawn font before selection colours
  int vOff_ = 0;       // lowered text drops by half its character height
};

}  // namespace

int TZEBparag::StyleNumber() const {
  const TZEBoggetto* b = style.Base();
  return b && b->Index() >= 0 ? b->Index() : 0;
}

TMyFont TZEBparag::FontAt(int i) const {
  TMyFont f = ParagraphFont();
  for (int k = 0; k <= i && static_cast<size_t>(k) < chars.size(); ++k)
    if (const TZEBFontStyle* fs = FontChangeAt(*this, k)) f = fs->Resolved();
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
  lines = TLineBreaker(*this, ctx).Run();
  const TZEBline& last = lines.back();
  const int next = top + style.Get(paAbove) + last.y + last.height + style.Get(paBelow);
  bottom = next - 1;
  return next;
}

void TZEBparag::Draw(TTextContext& ctx, int selFrom, int selTo) {
  if (!ctx.canvas) return;
  try {
    TParagraphPainter(*this, ctx, selFrom, selTo).Paint();
  } catch (const std::exception&) {
    // A paragraph that cannot be drawn leaves the rest of the box drawable.
  }
}

int FirstParagraphTop(const TTextContext& ctx, const TZEBparag* first) {
  const int above = first ? first->style.Get(paAbove) : 0;
  if (ctx.cellPadding >= 0) return above + ctx.cellPadding;
  if (above > 0) return 0;
  const int margin = ctx.doc ? ctx.doc->GlobalMargin() : -1;
  return margin >= 0 ? margin : 8;
}
