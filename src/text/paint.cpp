// Drawing a laid-out paragraph: number or bullet, text runs in their fonts and
// link styles, the selection, and the inline objects where layout put them.
// Drawing reads the layout and the character records and changes neither.
#include <algorithm>
#include <cstdlib>
#include <exception>

#include "text/paragraph.h"

namespace {

class TParagraphPainter {
public:
  TParagraphPainter(const TZEBparag& p, TTextContext& ctx, int selFrom, int selTo)
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
    const bool fontChange = p_.FontChangeAt(i) != nullptr;
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

  // The object at character i where layout put it.
  void DrawObject(int i, bool selected) {
    while (place_ < p_.places.size() && p_.places[place_].charIndex < i) ++place_;
    if (place_ >= p_.places.size() || p_.places[place_].charIndex != i) return;
    const TObjectPlace& at = p_.places[place_];
    if (TZEBoggetto* obj = p_.ObjectAtChar(i); obj && ctx_.host) ctx_.host->PlaceObject(obj, at.x, at.top, selected);
  }

  void DrawLine(const TZEBline& ln) {
    int x = ln.xStart + ln.shift;
    const int baseline = y0_ + ln.y + ln.maxAscent;
    const int end = std::min({ln.first + ln.count, static_cast<int>(p_.text.size()),
                              static_cast<int>(p_.chars.size()) - 1});
    for (int i = std::max(ln.first, 0); i < end;) {
      FollowChanges(i);
      const TCharRec& c = p_.chars[i];
      const bool sel = Selected(i);
      if (c.object >= 0) {
        DrawObject(i, sel);
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

  // One text-out for characters [i, j); one per character, each advancing by
  // its width measured now, when the laid-out widths no longer agree with the
  // canvas. Returns the laid-out total either way, so the line keeps its layout.
  int DrawRun(int i, int j, int x, int y) {
    const std::string_view run(p_.text.data() + i, static_cast<size_t>(j - i));
    advances_.clear();
    int total = 0;
    for (int k = i; k < j; ++k) {
      advances_.push_back(p_.chars[k].display);
      total += p_.chars[k].display;
    }
    if (std::abs(total - c_.TextWidth(run)) <= 4) {
      c_.TextOut(x, y, run, advances_.data());
      return total;
    }
    int prev = -1;
    for (int k = i; k < j; ++k) {
      const auto ch = static_cast<uint8_t>(p_.text[k]);
      c_.TextOut(x, y, run.substr(k - i, 1));
      x += c_.PairWidth(prev, ch);
      prev = ch;
    }
    return total;
  }

  const TZEBparag& p_;
  TTextContext& ctx_;
  TCanvas& c_;
  int selFrom_, selTo_;
  int y0_ = 0;
  int lastFont_ = -1;  // last font change met, -1 for the paragraph font
  int link_ = -1;
  size_t place_ = 0;   // next entry of the paragraph's object places
  TCanvasFont font_;   // drawn font before selection colours
  int vOff_ = 0;       // lowered text drops by half its character height
  std::vector<int> advances_;
};

}  // namespace

void TZEBparag::Draw(TTextContext& ctx, int selFrom, int selTo) const {
  if (!ctx.canvas) return;
  try {
    TParagraphPainter(*this, ctx, selFrom, selTo).Paint();
  } catch (const std::exception&) {
    // A paragraph that cannot be drawn leaves the rest of the box drawable.
  }
}
