#include "text/zebrtf.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "document/strutil.h"
#include "document/zebobject.h"
#include "document/zebset.h"
#include "document/records.h"

namespace {

struct FamilyEntry {
  const char* name;
  TFontFamily family;
};
constexpr FamilyEntry kFamilies[] = {
    {"Arial", {"\\fswiss", false}},          {"Arial Black", {"\\fswiss", false}},
    {"Helvetica", {"\\fswiss", false}},      {"Verdana", {"\\fswiss", false}},
    {"Tahoma", {"\\fswiss", false}},         {"MS Sans Serif", {"\\fswiss", false}},
    {"Trebuchet MS", {"\\fswiss", false}},   {"Century Gothic", {"\\fswiss", false}},
    {"Impact", {"\\fswiss", false}},         {"Small Fonts", {"\\fswiss", false}},
    {"Times New Roman", {"\\froman", false}}, {"Times", {"\\froman", false}},
    {"Georgia", {"\\froman", false}},        {"Garamond", {"\\froman", false}},
    {"Book Antiqua", {"\\froman", false}},   {"Bookman Old Style", {"\\froman", false}},
    {"MS Serif", {"\\froman", false}},       {"Symbol", {"\\froman", false}},
    {"Courier New", {"\\fmodern", true}},    {"Courier", {"\\fmodern", true}},
    {"Lucida Console", {"\\fmodern", true}}, {"Fixedsys", {"\\fmodern", true}},
    {"Terminal", {"\\fmodern", true}},       {"Comic Sans MS", {"\\fscript", false}},
    {"Script", {"\\fscript", false}},        {"Lucida Handwriting", {"\\fscript", false}},
    {"Wingdings", {"\\fdecor", false}},      {"Webdings", {"\\fdecor", false}},
    {"Marlett", {"\\fdecor", false}},
};

const char* VerticalWord(uint8_t v) { return v == 1 ? "\\dn6" : v == 2 ? "\\up6" : "\\up0"; }

const char* AlignWord(int a) {
  switch (a) {
    case 1: return "\\qr";
    case 2: return "\\qc";
    case 3: return "\\qj";
    default: return "\\ql";
  }
}

void AddStyleWord(std::string& out, const char* word, bool on) {
  out += word;
  if (!on) out += '0';
}

class TRtfWriter {
public:
  explicit TRtfWriter(const TZEBtortf& conv) : conv_(conv) { body_.reserve(1 << 16); }
  void Paragraph(TConvParagraph& p);
  void Finish(bool copy, TZEBset* doc, std::string& out);

private:
  int FontIndex(const std::string& name);
  int ColourIndex(int32_t c);
  int StyleIndex(const TZEBoggetto* style);
  std::string ParaProps(const TParaValues& pv, bool body);
  void FontProps(const TMyFont& f);
  void Chars(TConvParagraph& p, int depth);
  void Char(unsigned char c);
  void Text(std::string_view bytes);
  void Table(const TConvTable& t, int depth);
  void FlatTable(const TConvTable& t, int depth);
  void CellParagraphs(std::vector<TConvParagraph>& cell, int depth);
  void Start(const TZEBparag& para, bool inTable);
  TMyFont Effective(const TZEBparag& para, const TMyFont& f, bool inLink) const;

  const TZEBtortf& conv_;
  std::vector<std::string> fonts_;
  std::vector<int32_t> colours_;
  std::vector<const TZEBoggetto*> styles_;
  std::string body_;
  TMyFont written_;
  int number_ = 1;
  bool first_ = true, afterTable_ = false;
  bool cached_ = false;
  TParaValues cachedValues_;
  std::string cachedHead_, cachedTail_, cachedSymbol_;
};

int TRtfWriter::FontIndex(const std::string& name) {
  auto it = std::find(fonts_.begin(), fonts_.end(), name);
  if (it != fonts_.end()) return static_cast<int>(it - fonts_.begin());
  fonts_.push_back(name);
  return static_cast<int>(fonts_.size()) - 1;
}

int TRtfWriter::ColourIndex(int32_t c) {
  c &= 0xFFFFFF;
  auto it = std::find(colours_.begin(), colours_.end(), c);
  if (it != colours_.end()) return static_cast<int>(it - colours_.begin()) + 1;
  colours_.push_back(c);
  return static_cast<int>(colours_.size());
}

int TRtfWriter::StyleIndex(const TZEBoggetto* style) {
  auto it = std::find(styles_.begin(), styles_.end(), style);
  if (it != styles_.end()) return static_cast<int>(it - styles_.begin()) + 1;
  styles_.push_back(style);
  return static_cast<int>(styles_.size());
}

std::string TRtfWriter::ParaProps(const TParaValues& pv, bool body) {
  // Paragraphs mostly repeat the attributes of the one before.
  if (!(cached_ && pv == cachedValues_)) {
    cachedValues_ = pv;
    cached_ = true;
    const TMyFont f = pv.Font();
    std::string& h = cachedHead_;
    h = "\\f" + std::to_string(FontIndex(f.name)) + "\\fs" + std::to_string(2 * f.size) + "\\cf" +
        std::to_string(ColourIndex(f.colour));
    AddStyleWord(h, "\\i", f.style & fsItalic);
    AddStyleWord(h, "\\b", f.style & fsBold);
    AddStyleWord(h, "\\ul", f.style & fsUnderline);
    AddStyleWord(h, "\\strike", f.style & fsStrikeOut);
    h += VerticalWord(f.vertical);
    h += AlignWord(pv.v[paAlignment]);
    const std::string hang = std::to_string(std::abs(PixelsToTwips(pv.v[paIndent])));
    if (pv.v[paNumbering] == 6) {
      h += "{\\*\\pn \\pnlvlbody\\pndec\\pnstart1\\pnhang\\pnindent" + hang + "{\\pntxta .}}";
    } else if (pv.v[paNumbering] == 10) {
      cachedSymbol_ = std::to_string(FontIndex("Symbol"));
      h += "{\\*\\pn\\pnlvlblt\\pnf" + cachedSymbol_ + "\\pnstart1\\pnhang\\pnindent" + hang + "{\\pntxtb\\'b7}}";
    }
    // An automatic line height (0 or less) must not become an exact one.
    std::string& t = cachedTail_;
    t = "\\sl" + std::to_string(PixelsToTwips(std::max(0, pv.v[paLineHeight])));
    t += "\\fi" + std::to_string(PixelsToTwips(pv.v[paIndent]));
    t += "\\li" + std::to_string(PixelsToTwips(pv.v[paLeft]));
    t += "\\ri" + std::to_string(PixelsToTwips(pv.v[paRight]));
    t += "\\sb" + std::to_string(PixelsToTwips(pv.v[paAbove]));
    t += "\\sa" + std::to_string(PixelsToTwips(pv.v[paBelow]));
    t += " ";
  }
  std::string s = cachedHead_;
  if (body && pv.v[paNumbering] == 6) s += "{\\pntext " + std::to_string(number_) + ".\\tab}";
  if (body && pv.v[paNumbering] == 10) s += "{\\pntext\\f" + cachedSymbol_ + "\\'b7\\tab}";
  return s + cachedTail_;
}

void TRtfWriter::FontProps(const TMyFont& f) {
  const size_t before = body_.size();
  if (f.name != written_.name) body_ += "\\f" + std::to_string(FontIndex(f.name));
  if (f.size != written_.size) body_ += "\\fs" + std::to_string(2 * f.size);
  if ((f.colour & 0xFFFFFF) != (written_.colour & 0xFFFFFF)) body_ += "\\cf" + std::to_string(ColourIndex(f.colour));
  const uint8_t diff = f.style ^ written_.style;
  if (diff & fsItalic) AddStyleWord(body_, "\\i", f.style & fsItalic);
  if (diff & fsBold) AddStyleWord(body_, "\\b", f.style & fsBold);
  if (diff & fsUnderline) AddStyleWord(body_, "\\ul", f.style & fsUnderline);
  if (diff & fsStrikeOut) AddStyleWord(body_, "\\strike", f.style & fsStrikeOut);
  if (f.vertical != written_.vertical) body_ += VerticalWord(f.vertical);
  if (body_.size() != before) body_ += ' ';
  written_ = f;
}

void TRtfWriter::Text(std::string_view bytes) {
  size_t start = 0;
  for (size_t k = 0; k < bytes.size(); ++k) {
    const unsigned char c = static_cast<unsigned char>(bytes[k]);
    if (c >= 32 && c < 126 && c != '\\' && c != '{' && c != '}') continue;
    body_.append(bytes.data() + start, k - start);
    Char(c);
    start = k + 1;
  }
  body_.append(bytes.data() + start, bytes.size() - start);
}

void TRtfWriter::Char(unsigned char c) {
  static const char kHex[] = "0123456789abcdef";
  if (c == 0) return;
  if (c < 32 || c >= 126) {
    body_ += "\\'";
    body_ += kHex[c >> 4];
    body_ += kHex[c & 15];
  } else {
    if (c == '\\' || c == '{' || c == '}') body_ += '\\';
    body_ += static_cast<char>(c);
  }
}

TMyFont TRtfWriter::Effective(const TZEBparag& para, const TMyFont& f, bool inLink) const {
  if (!inLink) return f;
  TMyFont l = f;
  l.colour = para.style.Get(paLinkColour);
  l.style = static_cast<uint8_t>(l.style ^ (para.style.Get(paLinkFlags) & 0x0F));
  if (para.style.Get(paLinkSize) != -1) l.size = para.style.Get(paLinkSize);
  return l;
}

void TRtfWriter::Start(const TZEBparag& para, bool inTable) {
  const TParaValues pv = TParaValues::Of(para.style);
  if (pv.v[paNumbering] != 6) number_ = 1;
  body_ += inTable ? "\\pard\\intbl" : "\\pard\\plain ";
  body_ += "\\s" + std::to_string(StyleIndex(para.style.Base()));
  body_ += ParaProps(pv, true);
  if (pv.v[paNumbering] == 6) ++number_;
  written_ = pv.Font();
}

// Characters of a paragraph from `from`; a table met on the way is written
// as rows and the rest of the paragraph starts a new one.
void TRtfWriter::Chars(TConvParagraph& cp, int depth) {
  const TZEBparag& p = *cp.para;
  const int from = cp.from;
  TMyFont font = p.ParagraphFont();
  for (int i = 0; i < from; ++i)
    if (int fc = p.chars[i].fontChange; fc >= 0 && static_cast<size_t>(fc) < p.fonts.size())
      font = p.fonts[fc]->Resolved();
  int32_t link = -1;
  const int len = cp.End();
  for (int i = from; i < len; ++i) {
    const TCharRec& r = p.chars[static_cast<size_t>(i)];
    bool changed = false;
    if (r.fontChange >= 0 && static_cast<size_t>(r.fontChange) < p.fonts.size()) {
      font = p.fonts[r.fontChange]->Resolved();
      changed = true;
    }
    if ((r.link >= 0) != (link >= 0)) changed = true;
    link = r.link;
    if (changed) FontProps(Effective(p, font, link >= 0));
    if (r.object >= 0 && static_cast<size_t>(r.object) < p.objects.size()) {
      TZEBoggetto* obj = p.objects[r.object];
      if (obj->Kind() != tabellaHtml) {
        for (unsigned char c : TZEBconv::ReferenceMarker(*obj)) Char(c);
        continue;
      }
      const TConvTable* t = cp.TableAt(i);
      if (!t) continue;
      if (depth > 0) {
        FlatTable(*t, depth);
        continue;
      }
      if (i > from) body_ += "\\par \r\n";
      Table(*t, depth);
      afterTable_ = i + 1 >= len;
      if (!afterTable_) Start(p, false);
      continue;
    }
    // The characters up to the next change of font, link or object go out together.
    int j = i + 1;
    while (j < len) {
      const TCharRec& n = p.chars[static_cast<size_t>(j)];
      if (n.fontChange >= 0 || n.object >= 0 || (n.link >= 0) != (link >= 0)) break;
      ++j;
    }
    Text(std::string_view(p.text).substr(static_cast<size_t>(i), static_cast<size_t>(j - i)));
    i = j - 1;
  }
}

void TRtfWriter::Paragraph(TConvParagraph& p) {
  if (!first_ && !afterTable_) body_ += "\\par \r\n";
  first_ = afterTable_ = false;
  const TZEBparag& para = *p.para;
  const int o = p.from < p.End() ? para.chars[static_cast<size_t>(p.from)].object : -1;
  const bool tableFirst = o >= 0 && static_cast<size_t>(o) < para.objects.size() && para.objects[o]->Kind() == tabellaHtml;
  if (!tableFirst) Start(para, false);
  Chars(p, 0);
}

void TRtfWriter::CellParagraphs(std::vector<TConvParagraph>& cell, int depth) {
  for (size_t k = 0; k < cell.size(); ++k) {
    if (depth == 0) {
      if (k > 0) body_ += "\\par ";
      Start(*cell[k].para, true);
    } else if (k > 0) {
      body_ += "\\line ";
    }
    Chars(cell[k], depth + 1);
  }
}

// A table inside a cell: its cells as text, tab between cells, line between rows.
void TRtfWriter::FlatTable(const TConvTable& t, int depth) {
  auto& cells = const_cast<TConvTable&>(t).cells;
  for (size_t c = 0; c < cells.size(); ++c) {
    if (c > 0) body_ += t.cols > 0 && c % static_cast<size_t>(t.cols) == 0 ? "\\line " : "\\tab ";
    CellParagraphs(cells[c], depth);
  }
}

void TRtfWriter::Table(const TConvTable& t, int depth) {
  const TZEBoggetto& obj = *t.obj;
  const TTableRecord rec(obj.Rec());
  const int textWidth = conv_.paperWidth - conv_.marginLeft - conv_.marginRight;
  int width = textWidth;
  if (rec.WidthInPercent()) {
    const int pct = rec.WidthPercent();
    width = pct > 0 && pct < 100 ? textWidth * pct / 100 : textWidth;
  } else if (rec.FixedWidth() > 0) {
    width = std::min(textWidth, PixelsToTwips(rec.FixedWidth()));
  }
  // Percent and fixed columns take their share; automatic ones split the rest.
  std::vector<int> cols(static_cast<size_t>(t.cols), 0);
  int used = 0, autos = 0;
  for (int c = 0; c < t.cols; ++c) {
    const int kind = static_cast<int>(rec.ColumnKind(c)), v = std::max(0, rec.ColumnValue(c));
    if (kind == 0) cols[c] = width * std::min(v, 100) / 100;
    else if (kind == 1) cols[c] = PixelsToTwips(v);
    else ++autos;
    used += cols[c];
  }
  for (int c = 0; c < t.cols; ++c)
    if (static_cast<int>(rec.ColumnKind(c)) != 0 && static_cast<int>(rec.ColumnKind(c)) != 1)
      cols[c] = std::max(width - used, 0) / std::max(autos, 1);
  for (int& w : cols) w = std::max(w, 100);
  const std::string payload = obj.MainPayload();
  const int border = rec.Border();
  const std::string brdr = "\\brdrs\\brdrw" + std::to_string(PixelsToTwips(border));
  auto& cells = const_cast<TConvTable&>(t).cells;
  for (int r = 0; r < t.rows; ++r) {
    body_ += "\\trowd\\trleft0\\trgaph" + std::to_string(PixelsToTwips(rec.Spacing()));
    if (border > 0) body_ += "\\trbrdrt" + brdr + "\\trbrdrl" + brdr + "\\trbrdrb" + brdr + "\\trbrdrr" + brdr;
    int x = 0;
    for (int c = 0; c < t.cols; ++c) {
      if (border > 0) body_ += "\\clbrdrt" + brdr + "\\clbrdrl" + brdr + "\\clbrdrb" + brdr + "\\clbrdrr" + brdr;
      uint32_t bg = CellBackground(payload, r, c, t.cols);
      if (!IsColour(bg)) bg = rec.Background();
      if (IsColour(bg)) body_ += "\\clcbpat" + std::to_string(ColourIndex(static_cast<int32_t>(bg)));
      x += cols[c];
      body_ += "\\cellx" + std::to_string(x);
    }
    body_ += "\r\n";
    for (int c = 0; c < t.cols; ++c) {
      auto& cell = cells[static_cast<size_t>(r * t.cols + c)];
      if (cell.empty()) body_ += "\\pard\\intbl ";
      CellParagraphs(cell, depth);
      body_ += "\\cell ";
    }
    body_ += "\\row \r\n";
  }
}

std::string Escaped(const std::string& s) {
  std::string out;
  for (unsigned char c : s) {
    if (c == 0) continue;
    if (c < 32 || c >= 126) {
      static const char kHex[] = "0123456789abcdef";
      out += "\\'";
      out += kHex[c >> 4];
      out += kHex[c & 15];
    } else {
      if (c == '\\' || c == '{' || c == '}') out += '\\';
      out += static_cast<char>(c);
    }
  }
  return out;
}

void TRtfWriter::Finish(bool copy, TZEBset* doc, std::string& out) {
  // The style sheet is written first in the file but may add fonts and colours.
  std::string sheet = "{\\stylesheet";
  for (size_t i = 0; i < styles_.size(); ++i) {
    const TZEBoggetto* st = styles_[i];
    const std::string name = st ? st->Name() : std::string("Normal");
    sheet += "{\\s" + std::to_string(i + 1) + " \\widctlpar " + ParaProps(TParaValues::Of(st), false) + Escaped(name) + ";}";
  }
  sheet += "}";
  out.reserve(out.size() + body_.size() + 4096);
  out += "{\\rtf1\\ansi\\deff0{\\fonttbl";
  for (size_t i = 0; i < fonts_.size(); ++i) {
    const TFontFamily fam = FontFamilyOf(fonts_[i]);
    out += "{\\f" + std::to_string(i) + fam.word + (fam.fixedPitch ? "\\fprq1" : "\\fprq2") + " " + Escaped(fonts_[i]) +
           ";}";
  }
  out += "}{\\colortbl;";
  for (int32_t c : colours_)
    out += "\\red" + std::to_string(c & 0xFF) + "\\green" + std::to_string((c >> 8) & 0xFF) + "\\blue" +
           std::to_string((c >> 16) & 0xFF) + ";";
  out += "}" + sheet;
  if (!copy && doc) {
    out += "{\\info{\\title " + Escaped(doc->Title()) + "}{\\author " + Escaped(doc->HeaderString(hdr::Author, 79)) +
           "}{\\operator " + Escaped(doc->HeaderString(hdr::Author, 79)) + "}{\\*\\copyright " +
           Escaped(doc->HeaderString(hdr::Rights, 79)) + "}{\\*\\company " +
           Escaped(doc->HeaderString(hdr::Company, 79)) + "}{\\version" + std::to_string(doc->Revision()) + "}}";
  }
  out += "\\paperw" + std::to_string(conv_.paperWidth) + "\\paperh" + std::to_string(conv_.paperHeight) + "\\margt" +
         std::to_string(conv_.marginTop) + "\\margb" + std::to_string(conv_.marginBottom) + "\\margl" +
         std::to_string(conv_.marginLeft) + "\\margr" + std::to_string(conv_.marginRight) + " ";
  out += body_;
  out += "}";
}

}  // namespace

TFontFamily FontFamilyOf(std::string_view name) {
  for (const FamilyEntry& e : kFamilies)
    if (str::EqualsNoCase(name, e.name)) return e.family;
  return {"", false};
}

int PixelsToTwips(int pixels) {
  return static_cast<int>(std::lround(TZEBParaStyle::PixelsToUnit(pixels, 3) * 20.0));
}

void TZEBtortf::Convert(std::string_view markup, std::string& out) {
  if (markup.find('<') == std::string_view::npos) return;
  TConvReader reader(LinkedZEBset, index_, markup);
  Write(reader, out);
}

void TZEBtortf::Write(IConvSource& source, std::string& out) {
  TRtfWriter w(*this);
  TConvParagraph p;
  while (source.Next(p)) w.Paragraph(p);
  w.Finish(copy, LinkedZEBset, out);
  if (copy) out.push_back('\0');
}
