#include "text/zebhtml.h"

#include <cstdio>

#include "document/codepage.h"
#include "document/strutil.h"
#include "document/zebobject.h"
#include "document/zebset.h"
#include "document/records.h"

std::string CssColour(int32_t c) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "#%02x%02x%02x", c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
  return buf;
}

namespace {

const char* kAlign[] = {"left", "right", "center", "justify"};

class THtmlWriter {
public:
  THtmlWriter(TZEBtoHtml& conv, const TCodePage& cp) : conv_(conv), cp_(cp) {}
  void Paragraph(TConvParagraph& p);
  void CloseList();
  std::string& Out() { return out_; }

private:
  void Text(std::string_view bytes);
  const std::string& FontCss(const TMyFont& f);
  void Chars(TConvParagraph& p);
  void Table(const TConvTable& t);
  void OpenRun(const TZEBparag& p, const TMyFont& font, int32_t link);
  void CloseRun();
  const std::string& ParagraphCss(const TZEBparag& p);

  TZEBtoHtml& conv_;
  const TCodePage& cp_;
  std::string out_;
  int list_ = 0;  // numbering of the open list: 6 <ol>, 10 <ul>
  bool spanOpen_ = false, linkOpen_ = false;
  int depth_ = 0;
  std::vector<std::pair<TMyFont, std::string>> fontCss_;
  TParaValues paraValues_;
  std::string paraCss_;
  bool paraCssValid_ = false;
};

void THtmlWriter::Text(std::string_view bytes) {
  size_t start = 0;
  for (size_t k = 0; k < bytes.size(); ++k) {
    const unsigned char c = static_cast<unsigned char>(bytes[k]);
    if (c >= 32 && c < 0x80 && c != '&' && c != '<' && c != '>' && c != '"') continue;
    out_.append(bytes.data() + start, k - start);
    start = k + 1;
    switch (c) {
      case '&': out_ += "&amp;"; break;
      case '<': out_ += "&lt;"; break;
      case '>': out_ += "&gt;"; break;
      case '"': out_ += "&quot;"; break;
      case 0xA0: out_ += "&nbsp;"; break;
      default:
        if (c < 0x80) {
          if (c >= 32) out_ += static_cast<char>(c);
        } else {
          AppendUtf8(out_, cp_.CodePoint(c));
        }
    }
  }
  out_.append(bytes.data() + start, bytes.size() - start);
}

const std::string& THtmlWriter::FontCss(const TMyFont& f) {
  // A text uses few fonts; their style texts are made once.
  for (auto& [font, css] : fontCss_)
    if (font == f) return css;
  if (fontCss_.size() >= 64) fontCss_.clear();
  std::string s = "font-family:'";
  std::string name;
  for (char c : cp_.ToUtf8(f.name))
    if (c != '\'' && c != '"' && c != '<' && c != '>' && c != '&' && c != ';') name += c;
  s += name + "';font-size:" + std::to_string(f.size) + "pt;color:" + CssColour(f.colour);
  if (f.style & fsBold) s += ";font-weight:bold";
  if (f.style & fsItalic) s += ";font-style:italic";
  if (f.style & (fsUnderline | fsStrikeOut))
    s += std::string(";text-decoration:") + (f.style & fsUnderline ? "underline" : "") +
         ((f.style & fsUnderline) && (f.style & fsStrikeOut) ? " " : "") + (f.style & fsStrikeOut ? "line-through" : "");
  if (f.vertical == 1) s += ";vertical-align:sub";
  if (f.vertical == 2) s += ";vertical-align:super";
  fontCss_.emplace_back(f, std::move(s));
  return fontCss_.back().second;
}

const std::string& THtmlWriter::ParagraphCss(const TZEBparag& p) {
  TParaValues pv = TParaValues::Of(p.style);
  if (paraCssValid_ && pv == paraValues_) return paraCss_;
  paraValues_ = std::move(pv);
  paraCssValid_ = true;
  const TZEBParaStyle& st = p.style;
  int align = st.Get(paAlignment);
  if (align < 0 || align > 3) align = 0;
  std::string s = "margin:" + std::to_string(st.Get(paAbove)) + "px " + std::to_string(st.Get(paRight)) + "px " +
                  std::to_string(st.Get(paBelow)) + "px " + std::to_string(st.Get(paLeft)) + "px";
  if (st.Get(paNumbering) != 6 && st.Get(paNumbering) != 10 && st.Get(paIndent) != 0)
    s += ";text-indent:" + std::to_string(st.Get(paIndent)) + "px";
  if (st.Get(paLineHeight) > 0) s += ";line-height:" + std::to_string(st.Get(paLineHeight)) + "px";
  s += std::string(";text-align:") + kAlign[align] + ";" + FontCss(p.ParagraphFont());
  paraCss_ = std::move(s);
  return paraCss_;
}

void THtmlWriter::CloseRun() {
  if (spanOpen_) out_ += "</span>";
  spanOpen_ = false;
}

void THtmlWriter::OpenRun(const TZEBparag& p, const TMyFont& font, int32_t link) {
  CloseRun();
  const bool wantLink = link >= 0;
  if (linkOpen_ && !wantLink) {
    out_ += "</a>";
    linkOpen_ = false;
  }
  TMyFont f = font;
  if (wantLink) {
    if (!linkOpen_) {
      TZEBoggetto* obj = conv_.LookUp(static_cast<uint32_t>(link));
      const std::string target = obj ? (conv_.href ? conv_.href(*obj) : conv_.DefaultHref(*obj)) : std::string();
      out_ += "<a href=\"" + str::HtmlEscape(target) + "\">";
      linkOpen_ = true;
    }
    f.colour = p.style.Get(paLinkColour);
    f.style = static_cast<uint8_t>(f.style ^ (p.style.Get(paLinkFlags) & 0x0F));
    if (p.style.Get(paLinkSize) != -1) f.size = p.style.Get(paLinkSize);
  }
  if (f == p.ParagraphFont() && !wantLink) return;
  out_ += "<span style=\"";
  out_ += FontCss(f);
  out_ += "\">";
  spanOpen_ = true;
}

void THtmlWriter::Chars(TConvParagraph& cp) {
  const TZEBparag& p = *cp.para;
  TMyFont font = p.ParagraphFont();
  for (int i = 0; i < cp.from; ++i)
    if (int fc = p.chars[static_cast<size_t>(i)].fontChange; fc >= 0 && static_cast<size_t>(fc) < p.fonts.size())
      font = p.fonts[fc]->Resolved();
  int32_t link = -1;
  bool started = false;
  for (size_t i = static_cast<size_t>(cp.from); i < static_cast<size_t>(cp.End()); ++i) {
    const TCharRec& r = p.chars[i];
    bool changed = !started;
    if (r.fontChange >= 0 && static_cast<size_t>(r.fontChange) < p.fonts.size()) {
      font = p.fonts[r.fontChange]->Resolved();
      changed = true;
    }
    if (r.link != link) changed = true;
    if (changed && (r.link != link || !(font == p.ParagraphFont()) || spanOpen_)) OpenRun(p, font, r.link);
    link = r.link;
    started = true;
    if (r.object >= 0 && static_cast<size_t>(r.object) < p.objects.size()) {
      TZEBoggetto* obj = p.objects[r.object];
      if (obj->Kind() == tabellaHtml) {
        if (const TConvTable* t = cp.TableAt(static_cast<int>(i))) Table(*t);
      } else if (obj->Kind() == immagineNew && conv_.pictureSource) {
        const std::string src = conv_.pictureSource(*obj);
        if (!src.empty()) out_ += "<img src=\"" + str::HtmlEscape(src) + "\" alt=\"\">";
      } else {
        Text(TZEBconv::ReferenceMarker(*obj));
      }
      continue;
    }
    // The characters up to the next change of font, link or object go out together.
    size_t j = i + 1;
    while (j < static_cast<size_t>(cp.End())) {
      const TCharRec& n = p.chars[j];
      if (n.fontChange >= 0 || n.object >= 0 || n.link != link) break;
      ++j;
    }
    Text(std::string_view(p.text).substr(i, j - i));
    i = j - 1;
  }
  CloseRun();
  if (linkOpen_) out_ += "</a>";
  linkOpen_ = false;
}

void THtmlWriter::Table(const TConvTable& t) {
  const TZEBoggetto& obj = *t.obj;
  const TTableRecord rec(obj.Rec());
  CloseRun();
  std::string style;
  if (rec.WidthInPercent() && rec.WidthPercent() > 0)
    style = "width:" + std::to_string(std::min(rec.WidthPercent(), 100)) + "%";
  else if (!rec.WidthInPercent() && rec.FixedWidth() > 0)
    style = "width:" + std::to_string(rec.FixedWidth()) + "px";
  const uint32_t bg = rec.Background();
  if (IsColour(bg)) style += std::string(style.empty() ? "" : ";") + "background:" + CssColour(int32_t(bg));
  out_ += "<table border=\"" + std::to_string(rec.Border()) + "\" cellspacing=\"" +
          std::to_string(rec.Spacing()) + "\"" + (style.empty() ? "" : " style=\"" + style + "\"") + ">";
  const std::string payload = obj.MainPayload();
  auto& cells = const_cast<TConvTable&>(t).cells;
  ++depth_;
  for (int r = 0; r < t.rows; ++r) {
    out_ += "<tr>";
    for (int c = 0; c < t.cols; ++c) {
      const uint32_t cbg = CellBackground(payload, r, c, t.cols);
      std::string td = "<td";
      const int kind = static_cast<int>(rec.ColumnKind(c)), v = rec.ColumnValue(c);
      std::string cs;
      if (kind == 0 && v > 0) cs = "width:" + std::to_string(std::min(v, 100)) + "%";
      if (kind == 1 && v > 0) cs = "width:" + std::to_string(v) + "px";
      if (IsColour(cbg)) cs += std::string(cs.empty() ? "" : ";") + "background:" + CssColour(int32_t(cbg));
      if (!cs.empty()) td += " style=\"" + cs + "\"";
      out_ += td + ">";
      for (auto& cp : cells[static_cast<size_t>(r * t.cols + c)]) Paragraph(cp);
      CloseList();
      out_ += "</td>";
    }
    out_ += "</tr>";
  }
  --depth_;
  out_ += "</table>";
}

void THtmlWriter::CloseList() {
  if (list_ == 6) out_ += "</ol>\n";
  if (list_ == 10) out_ += "</ul>\n";
  list_ = 0;
}

void THtmlWriter::Paragraph(TConvParagraph& cp) {
  const TZEBparag& p = *cp.para;
  const int numbering = p.style.Get(paNumbering);
  const int list = numbering == 6 || numbering == 10 ? numbering : 0;
  if (list != list_) {
    CloseList();
    if (list == 6) out_ += "<ol>";
    if (list == 10) out_ += "<ul>";
    list_ = list;
  }
  // A table stands in a paragraph of its own, which HTML does not allow
  // inside a <p>: it is written bare.
  const int first = cp.from < cp.End() ? p.chars[static_cast<size_t>(cp.from)].object : -1;
  if (!list && first >= 0 && static_cast<size_t>(first) < p.objects.size() &&
      p.objects[static_cast<size_t>(first)]->Kind() == tabellaHtml) {
    Chars(cp);
    if (depth_ == 0) out_ += "\n";
    return;
  }
  const char* tag = list ? "li" : "p";
  out_ += '<';
  out_ += tag;
  out_ += " style=\"";
  out_ += ParagraphCss(p);
  out_ += "\">";
  Chars(cp);
  if (cp.from >= cp.End()) out_ += "<br>";
  out_ += std::string("</") + tag + ">";
  if (depth_ == 0) out_ += "\n";
}

}  // namespace

std::string TZEBtoHtml::DefaultHref(TZEBoggetto& link) const {
  static const TCodePage fallback;
  TZEBset* doc = link.Document();
  const TCodePage& cp = doc ? doc->CodePage() : fallback;
  switch (link.Kind()) {
    case internetLink: return cp.ToUtf8(link.Name());
    case testoHtml:
      return doc ? "lumo://" + cp.ToUtf8(doc->ZEBFileName()) + "|" + std::to_string(link.Index()) : std::string();
    case genLink: return cp.ToUtf8(link.FileName());
    default: return {};
  }
}

void TZEBtoHtml::Convert(std::string_view markup, std::string& out) {
  if (markup.find('<') == std::string_view::npos) return;
  TConvReader reader(LinkedZEBset, index_, markup);
  Write(reader, out);
}

void TZEBtoHtml::Write(IConvSource& source, std::string& out) {
  static const TCodePage fallback;
  const TCodePage& cp = LinkedZEBset ? LinkedZEBset->CodePage() : fallback;
  THtmlWriter w(*this, cp);
  std::string t = title;
  if (t.empty() && LinkedZEBset) t = cp.ToUtf8(LinkedZEBset->Title());
  out += "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" + str::HtmlEscape(t) + "</title></head><body>\n";
  TConvParagraph p;
  while (source.Next(p)) w.Paragraph(p);
  w.CloseList();
  out += w.Out();
  out += "</body></html>\n";
}
