#include "text/markup.h"

#include <algorithm>
#include <cstdio>

#include "document/strutil.h"
#include "document/zebobject.h"
#include "document/zebset.h"

namespace {

constexpr int32_t kAbsent = -10000000;
// Every character costs a record of its own; a damaged or hostile text
// cannot make a box take more than these.
constexpr size_t kMaxParagraphChars = 1 << 20;
constexpr size_t kMaxTextChars = 4 << 20;
const char kKeys[paCount] = {'c', 'F', 's', 'y', 'p', 'P', 'A', 'N', 'M', 'L', 'I', 'l', 'r', 't', 'b', 'C', 'S', 'Y'};

bool IsColourKey(int attr) { return attr == paFontColour || attr == paLinkColour; }

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Reads the markup of one paragraph; owns the running state.
class TParagraphReader {
public:
  TParagraphReader(TTextContext& ctx, std::string_view buf, size_t& pos, bool stored)
      : ctx_(ctx), b_(buf), pos_(pos), stored_(stored) {}

  TReadOutcome Read();

private:
  char At(size_t i) const { return i < b_.size() ? b_[i] : '\0'; }
  bool Matches(std::string_view s) const { return b_.substr(std::min(pos_, b_.size())).starts_with(s); }
  void SkipPast(char c) {
    size_t e = b_.find(c, pos_);
    pos_ = e == std::string_view::npos ? b_.size() : e + 1;
  }
  void Truncated(TMsgKind kind) {
    if (ctx_.doc) ctx_.doc->Say(kind, "Truncated line!");
  }
  size_t ValueEnd();
  int32_t Number(char key);
  int32_t Colour(char key);
  bool Name(std::string& out);
  void ReadHeaderKeys();
  void FontTag();
  void LinkStart();
  void ObjectMarker(int32_t number);
  void SkipBlock(char closing);
  void AddChar(uint8_t c);
  size_t AddRun(size_t from);
  void SetRunning(const TMyFont& f);
  TCharRec& Pending() { return p_->chars.back(); }

  TTextContext& ctx_;
  std::string_view b_;
  size_t& pos_;
  bool stored_;
  std::unique_ptr<TZEBparag> p_;
  TMyFont running_;
  TTextMetrics metrics_;
  int prev_ = -1;
  int32_t link_ = -1;
};

// The space that ends a value: within 12 characters after the key, else the
// value is truncated and the position stays after the key letter.
size_t TParagraphReader::ValueEnd() {
  const size_t start = pos_ + 1;
  for (size_t i = start; i < start + 12 && i < b_.size(); ++i)
    if (b_[i] == ' ') return i;
  Truncated(TMsgKind::Error);
  pos_ = start;
  return std::string_view::npos;
}

int32_t TParagraphReader::Number(char key) {
  if (At(pos_) != key) return kAbsent;
  const size_t start = pos_ + 1;
  const size_t sp = ValueEnd();
  if (sp == std::string_view::npos) return kAbsent;
  std::string_view digits = b_.substr(start, sp - start);
  pos_ = sp + 1;
  bool neg = !digits.empty() && digits[0] == '-';
  int64_t v = 0;
  for (size_t i = neg ? 1 : 0; i < digits.size(); ++i) {
    if (digits[i] < '0' || digits[i] > '9') break;
    v = v * 10 + (digits[i] - '0');
    if (v > 0x7FFFFFFF) v = 0x7FFFFFFF;
  }
  return static_cast<int32_t>(neg ? -v : v);
}

int32_t TParagraphReader::Colour(char key) {
  if (At(pos_) != key) return kAbsent;
  const size_t start = pos_ + 1;
  const size_t sp = ValueEnd();
  if (sp == std::string_view::npos) return kAbsent;
  int32_t colour = 0;
  for (int pair = 0; pair < 3; ++pair) {
    int hi = HexDigit(At(start + 2 * pair)), lo = HexDigit(At(start + 2 * pair + 1));
    int v = (hi < 0 ? 0 : hi) * 16 + (lo < 0 ? 0 : lo);
    colour |= v << (8 * pair);
  }
  pos_ = sp + 1;
  return colour;
}

bool TParagraphReader::Name(std::string& out) {
  if (!Matches("F\"")) return false;
  size_t start = pos_ + 2;
  size_t q = b_.find('"', start);
  if (q == std::string_view::npos) {
    Truncated(TMsgKind::Information);
    pos_ = start;
    out.clear();
    return true;
  }
  out = std::string(b_.substr(start, q - start));
  pos_ = std::min(q + 2, b_.size());
  return true;
}

void TParagraphReader::ReadHeaderKeys() {
  TZEBParaStyle& st = p_->style;
  for (int a = 0; a < paCount; ++a) {
    if (a == paFontName) {
      std::string name;
      if (Name(name) && !name.empty()) st.SetFontName(name.substr(0, 20));
      continue;
    }
    int32_t v = IsColourKey(a) ? Colour(kKeys[a]) : Number(kKeys[a]);
    if (v == kAbsent) continue;
    if (a == paStyleFlags || a == paLinkFlags) v = (st.Get(a) & 0xF0) | (v & 0x0F);
    st.Set(a, v);
  }
  SkipPast('>');
}

void TParagraphReader::SetRunning(const TMyFont& f) {
  running_ = f;
  TCanvas* c = ctx_.canvas;
  c->SetFont(ctx_.CanvasFont(f));
  metrics_ = c->Metrics();
  if (f.vertical == 1) metrics_.height += metrics_.height / 2;
  if (f.vertical == 2) metrics_.ascent += metrics_.height / 2;
  prev_ = -1;
}

void TParagraphReader::AddChar(uint8_t c) {
  if (c < 32 || p_->text.size() >= kMaxParagraphChars) return;
  TCharRec& r = Pending();
  r.width = r.display = ctx_.canvas->PairWidth(prev_, c);
  prev_ = c;
  r.height = metrics_.height;
  r.ascent = metrics_.ascent;
  p_->text.push_back(static_cast<char>(c));
  TCharRec next;
  next.link = link_;
  p_->chars.push_back(next);
}

// Bytes taken as they are: everything but control bytes, tags and entities.
constexpr bool IsPlain(uint8_t c) { return c >= 32 && c != '<' && c != '&'; }

// Takes the plain bytes from `from` on in one sweep and returns where they
// end. All of the run is in one font, so its records differ only in width.
size_t TParagraphReader::AddRun(size_t from) {
  size_t end = from;
  while (end < b_.size() && IsPlain(static_cast<uint8_t>(b_[end]))) ++end;
  const int32_t* adv = ctx_.canvas->Advances();
  const size_t room = kMaxParagraphChars - std::min(p_->text.size(), kMaxParagraphChars);
  const size_t n = std::min(end - from, room);
  if (!adv || n == 0) {
    for (size_t i = from; i < from + n; ++i) AddChar(static_cast<uint8_t>(b_[i]));
    return end;
  }
  const size_t first = p_->chars.size() - 1;  // the pending record keeps its font change, object and link
  TCharRec next;
  next.link = link_;
  next.height = metrics_.height;
  next.ascent = metrics_.ascent;
  p_->chars.resize(first + n + 1, next);
  TCharRec* rec = p_->chars.data() + first;
  rec[0].height = metrics_.height;
  rec[0].ascent = metrics_.ascent;
  const auto* bytes = reinterpret_cast<const uint8_t*>(b_.data() + from);
  for (size_t k = 0; k < n; ++k) rec[k].width = rec[k].display = adv[bytes[k]];
  rec[n].height = rec[n].ascent = 0;  // the new pending record
  p_->text.append(b_.data() + from, n);
  prev_ = bytes[n - 1];
  return end;
}

void TParagraphReader::FontTag() {
  pos_ += 3;  // "<Y "
  TZEBParaStyle& st = p_->style;
  const TMyFont para = st.Font();
  TCharRec& pend = Pending();
  const bool combine = pend.fontChange >= 0;
  TMyFont f = combine ? p_->fonts[pend.fontChange]->Resolved() : para;
  if (int32_t v = Colour('c'); v != kAbsent) f.colour = v;
  // Font names are short; a damaged tag cannot make one of any length.
  if (std::string n; Name(n)) f.name = n.substr(0, 255);
  if (int32_t v = Number('s'); v != kAbsent) f.size = v;
  if (int32_t v = Number('i'); v != kAbsent) f.style = v == 1 ? (f.style | fsItalic) : (f.style & ~fsItalic);
  if (int32_t v = Number('g'); v != kAbsent) f.style = v == 1 ? (f.style | fsBold) : (f.style & ~fsBold);
  if (int32_t v = Number('y'); v != kAbsent) f.style = static_cast<uint8_t>((f.style & 0xF0) | (v & 0x0F));
  if (int32_t v = Number('p'); v != kAbsent) f.vertical = static_cast<uint8_t>(v);
  if (combine) {
    p_->fonts[pend.fontChange]->Assign(f);
  } else {
    auto fs = std::make_unique<TZEBFontStyle>(st.Base());
    fs->Assign(f);
    pend.fontChange = static_cast<int32_t>(p_->fonts.size());
    p_->fonts.push_back(std::move(fs));
  }
  st.Scratch().Assign(f);
  if (link_ < 0) {
    SetRunning(f);
  } else if (st.Get(paLinkSize) == -1) {
    TMyFont lf = running_;
    lf.name = f.name;
    lf.size = f.size;
    lf.style = static_cast<uint8_t>(f.style ^ (st.Get(paLinkFlags) & 0x0F));
    SetRunning(lf);
  }
  SkipPast('>');
}

void TParagraphReader::LinkStart() {
  size_t i = pos_ + 2;
  if (At(i) == '$') ++i;
  uint32_t id = 0;
  for (int k = 0; k < 8; ++k) {
    int d = HexDigit(At(i + k));
    id = id * 16 + static_cast<uint32_t>(d < 0 ? 0 : d);
  }
  const uint32_t kind = id >> 24;
  if (kind == 0xFF) {
    ObjectMarker(static_cast<int32_t>(id & 0xFFFFFF));
    return;
  }
  if (kind == 0x6F || kind < 4) {
    if (kind == 0x6F && ctx_.pasteMap) {
      size_t n = id & 0xFFFFFF;
      if (n < ctx_.pasteMap->size()) id = 0x6F000000u | (static_cast<uint32_t>((*ctx_.pasteMap)[n]) & 0xFFFFFF);
    }
    link_ = static_cast<int32_t>(id);
    TZEBParaStyle& st = p_->style;
    TMyFont f = st.Scratch().Resolved();
    f.colour = st.Get(paLinkColour);
    f.style = static_cast<uint8_t>(f.style ^ (st.Get(paLinkFlags) & 0x0F));
    if (st.Get(paLinkSize) != -1) f.size = st.Get(paLinkSize);
    SetRunning(f);
  }
  Pending().link = link_;
  SkipPast('>');
}

void TParagraphReader::ObjectMarker(int32_t number) {
  if (ctx_.pasteMap && number >= 0 && static_cast<size_t>(number) < ctx_.pasteMap->size())
    number = (*ctx_.pasteMap)[number];
  TZEBoggetto* obj = ctx_.index ? ctx_.index->IndexedObject(number) : nullptr;
  SkipPast('>');
  Pending().link = link_;
  if (!obj) return;
  if (obj->Kind() == tabellaHtml && stored_) {
    if (Matches("<@>"))
      pos_ += 3;
    else
      ctx_.index->ReadTableCells(obj, b_, pos_);
  }
  TCharRec& r = Pending();
  r.object = static_cast<int32_t>(p_->objects.size());
  p_->objects.push_back(obj);
  TInlineMetrics m;
  if (ctx_.host) m = ctx_.host->MeasureObject(obj, ctx_.layoutWidth);
  r.width = r.display = m.width;
  r.height = m.height;
  r.ascent = m.ascent;
  p_->text.push_back(' ');
  TCharRec next;
  next.link = link_;
  p_->chars.push_back(next);
  prev_ = -1;
}

void TParagraphReader::SkipBlock(char closing) {
  const char end[4] = {'<', closing, '>', '\0'};
  size_t e = b_.find(end, pos_ + 2);
  size_t nul = b_.find('\0', pos_);
  // Without its closing tag the block runs to the end of the text.
  if (e == std::string_view::npos || (nul != std::string_view::npos && nul < e))
    pos_ = nul == std::string_view::npos ? b_.size() : nul;
  else
    pos_ = e + 3;
}

TReadOutcome TParagraphReader::Read() {
  TReadOutcome out;
  while (pos_ < b_.size() && b_[pos_] != '<' && b_[pos_] != '\0') ++pos_;
  if (pos_ >= b_.size() || b_[pos_] == '\0') {
    out.end = true;
    return out;
  }
  pos_ += 3;
  int32_t styleNo = Number('S');
  if (styleNo == kAbsent || styleNo < 0) {
    SkipPast('>');
    return out;
  }
  p_ = std::make_unique<TZEBparag>();
  const TZEBoggetto* base = ctx_.doc ? ctx_.doc->ObjectAt(stileParagrafo, styleNo) : nullptr;
  if (!base && ctx_.doc) base = ctx_.doc->DefaultParaStyle();
  p_->style.SetBase(base);
  ReadHeaderKeys();
  const TMyFont para = p_->style.Font();
  p_->style.Scratch().Assign(para);
  SetRunning(para);
  p_->defaultLineHeight = metrics_.height;
  p_->AddFirstLine();
  // The paragraph's text is at most as long as its markup (looked at within a
  // bounded window, so that reserving never costs more than reading).
  std::string_view window = b_.substr(pos_, 1 << 16);
  window = window.substr(0, window.find("<Z"));
  const size_t span = std::min(window.find("<T>"), window.size());
  p_->text.reserve(span);
  p_->chars.reserve(span + 1);
  p_->chars.assign(1, TCharRec{});

  while (pos_ < b_.size()) {
    const char c = b_[pos_];
    if (c == '\0') {
      out.end = true;
      break;
    }
    if (c == '&') {
      size_t used = 0;
      uint8_t ch = str::DecodeEntityAt(b_.substr(pos_), used);
      pos_ += std::max<size_t>(used, 1);
      AddChar(ch);
      continue;
    }
    if (c != '<') {
      if (IsPlain(static_cast<uint8_t>(c))) {
        pos_ = AddRun(pos_);
      } else {
        AddChar(static_cast<uint8_t>(c));
        ++pos_;
      }
      continue;
    }
    const char k = At(pos_ + 1);
    if (k == 'Z') break;
    if (Matches("<T>")) {
      pos_ += 3;
      out.end = true;
      break;
    }
    if (k == 'Y') {
      FontTag();
    } else if (k == '$') {
      LinkStart();
    } else if (Matches("<%>")) {
      pos_ += 3;
      link_ = -1;
      Pending().link = -1;
      SetRunning(p_->style.Scratch().Resolved());
    } else if (k == 'D' || k == 'F' || k == 'R') {
      SkipBlock(static_cast<char>(k + ('a' - 'A')));
    } else {
      SkipPast('>');
    }
  }
  if (pos_ >= b_.size()) out.end = true;
  if (p_->text.empty()) SetRunning(p_->style.Scratch().Resolved());
  if (!p_->lines.empty() && p_->lines[0].height <= 0)
    p_->lines[0].height = p_->defaultLineHeight > 0 ? p_->defaultLineHeight : 20;
  out.para = std::move(p_);
  return out;
}

}  // namespace

TReadOutcome ReadParagraph(TTextContext& ctx, std::string_view buf, size_t& pos, bool stored) {
  if (ctx.canvas) return TParagraphReader(ctx, buf, pos, stored).Read();
  // Without a canvas the text is measured with fixed metrics, on a canvas of this call's own.
  TFixedCanvas fallback;
  ctx.canvas = &fallback;
  TReadOutcome r = TParagraphReader(ctx, buf, pos, stored).Read();
  ctx.canvas = nullptr;
  return r;
}

std::vector<std::unique_ptr<TZEBparag>> ReadParagraphs(TTextContext& ctx, std::string_view buf, size_t& pos,
                                                       bool stored) {
  std::vector<std::unique_ptr<TZEBparag>> out;
  size_t chars = 0;
  for (;;) {
    const size_t before = pos;
    TReadOutcome r = ReadParagraph(ctx, buf, pos, stored);
    if (r.para) {
      chars += r.para->text.size() + 1;
      out.push_back(std::move(r.para));
    }
    if (r.end || (pos == before && !r.para)) break;
    if (chars > kMaxTextChars) {
      // The rest of the text is left out; the reader goes on to the end of this text.
      size_t nul = buf.find('\0', pos);
      pos = nul == std::string_view::npos ? buf.size() : nul;
      break;
    }
  }
  return out;
}

std::vector<int> TakePageObjects(std::string_view buf, size_t& pos) {
  std::vector<int> numbers;
  constexpr std::string_view entry = "<Z S0 f0 ><$FF";
  while (buf.substr(std::min(pos, buf.size())).starts_with(entry)) {
    size_t d = pos + entry.size();
    int n = 0;
    bool ok = d + 7 <= buf.size() && buf[d + 6] == '>';
    for (int i = 0; ok && i < 6; ++i) {
      int h = HexDigit(buf[d + i]);
      ok = h >= 0;
      n = n * 16 + h;
    }
    if (!ok) break;
    numbers.push_back(n);
    pos = d + 7;
  }
  return numbers;
}

// ---------------------------------------------------------------- writing

namespace {

void AddColour(std::string& out, char key, int32_t c) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%c%02X%02X%02X ", key, c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
  out += buf;
}

void AddNumber(std::string& out, char key, int32_t v) {
  out.push_back(key);
  out += std::to_string(v);
  out.push_back(' ');
}

void AddName(std::string& out, const std::string& name) {
  out += "F\"";
  out += name;
  out += "\" ";
}

std::string Header(const TZEBparag& p) {
  std::string h = "<Z S" + std::to_string(p.StyleNumber()) + " ";
  const TZEBParaStyle& st = p.style;
  for (int a = 0; a < paCount; ++a) {
    if (!st.Overrides(a)) continue;
    if (a == paFontName) {
      AddName(h, st.FontName());
    } else if (IsColourKey(a)) {
      AddColour(h, kKeys[a], st.Get(a));
    } else {
      int32_t v = st.Get(a);
      if (a == paStyleFlags || a == paLinkFlags) v &= 0x0F;
      if (a == paVertical || a == paParaCode || a == paAlignment || a == paNumbering || a == paUnit) v &= 0x7F;
      AddNumber(h, kKeys[a], v);
    }
  }
  return h + ">";
}

// Keys of a font tag: those of `f` that differ from the style object, or all five.
std::string FontTag(const TMyFont& f, const TZEBoggetto* base, bool all) {
  std::string t = "<Y ";
  if (all || f.colour != stylerec::Int(base, paFontColour)) AddColour(t, 'c', f.colour);
  if (all || f.name != stylerec::FontName(base)) AddName(t, f.name);
  if (all || f.size != stylerec::Int(base, paFontSize)) AddNumber(t, 's', f.size);
  if (all || f.style != stylerec::Int(base, paStyleFlags)) AddNumber(t, 'y', f.style & 0x0F);
  if (all || f.vertical != stylerec::Int(base, paVertical)) AddNumber(t, 'p', f.vertical & 0x7F);
  return t + ">";
}

void AddEscaped(std::string& out, char c) {
  switch (c) {
    case '&': out += "&#38;"; break;
    case '<': out += "&lt;"; break;
    case '>': out += "&gt;"; break;
    default: out.push_back(c);
  }
}

}  // namespace

void WriteParagraph(const TZEBparag& p, TTextContext& ctx, std::string& out, TWriteMode mode, int start, int end) {
  const int len = static_cast<int>(p.text.size());
  end = std::min(end, len);
  start = std::max(start, 0);
  std::string m = Header(p);
  const TZEBoggetto* base = p.style.Base();
  TMyFont running = p.ParagraphFont();
  // Where the last font tag begins and ends; a tag followed by nothing is replaced.
  size_t tagStart = std::string::npos, tagEnd = std::string::npos;
  auto addTag = [&](const std::string& tag) {
    if (tagEnd != std::string::npos && m.size() == tagEnd) m.resize(tagStart);
    tagStart = m.size();
    m += tag;
    tagEnd = m.size();
  };
  int32_t written = -1;
  for (int i = 0; i < end; ++i) {
    const TCharRec& r = p.chars[i];
    const bool change = r.fontChange >= 0 && static_cast<size_t>(r.fontChange) < p.fonts.size();
    if (change) running = p.fonts[r.fontChange]->Resolved();
    if (i < start) continue;
    if (change)
      addTag(FontTag(running, base, false));
    else if (i == start && start > 0)
      addTag(FontTag(running, base, true));
    if (r.link != written) {
      if (r.link == -1) {
        m += "<%>";
      } else {
        char id[16];
        std::snprintf(id, sizeof id, "<$%08X>", static_cast<uint32_t>(r.link));
        m += id;
      }
      written = r.link;
    }
    if (r.object >= 0 && static_cast<size_t>(r.object) < p.objects.size()) {
      TZEBoggetto* obj = p.objects[r.object];
      int n = ctx.index ? ctx.index->NumberOf(obj) : -1;
      out += m;
      m.clear();
      tagEnd = std::string::npos;
      char marker[16];
      std::snprintf(marker, sizeof marker, "<$FF%06X>", static_cast<unsigned>(n) & 0xFFFFFF);
      out += marker;
      if (mode == TWriteMode::Stored && obj->Kind() == tabellaHtml && ctx.index) ctx.index->WriteTableCells(obj, out);
      continue;
    }
    AddEscaped(m, p.text[i]);
  }
  if (written != -1) m += "<%>";
  out += m;
}
