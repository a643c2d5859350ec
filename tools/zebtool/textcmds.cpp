#include "textcmds.h"

#include <cstdio>

#include "document/strutil.h"
#include "document/zebset.h"
#include "text/cellindex.h"
#include "text/markup.h"
#include "text/objectindex.h"

using json = nlohmann::ordered_json;

namespace {

// The page's main text as a page control reads it: display copy, page-object
// entries taken off the front, the cells of its tables read into their
// tables (so that the paragraphs are the page's own, as drawn), fixed metrics.
struct PageText {
  std::unique_ptr<TZEBtesto> copy;
  std::unique_ptr<TCellTextIndex> index;
  TFixedCanvas canvas;
  TTextContext ctx;
  std::vector<std::unique_ptr<TZEBparag>> paras;

  PageText(TZEBset& doc, const TZEBtesto& page, int width = 0, int zoom = 10) {
    copy = page.PageCopy(false, nullptr);
    index = std::make_unique<TCellTextIndex>(copy.get(), ctx);
    canvas.record = false;
    ctx.doc = &doc;
    ctx.canvas = &canvas;
    ctx.index = index.get();
    ctx.zoom = zoom;
    ctx.layoutWidth = width;
    const std::string text = copy->MainPayload();
    size_t pos = 0;
    TakePageObjects(text, pos);
    paras = ReadParagraphs(ctx, text, pos, true);
  }
};

std::string Hex(int32_t id) { return str::IdToHex(id); }

}  // namespace

json ParagraphsJson(TZEBset& doc, const TZEBtesto& page) {
  PageText t(doc, page);
  const TCodePage& cp = doc.CodePage();
  static const char* const names[paCount] = {
      "font_colour", "font_name", "font_size", "style_flags", "vertical", "para_code",
      "alignment",   "numbering", "unit",      "line_height", "indent",  "left",
      "right",       "above",     "below",     "link_colour", "link_size", "link_flags"};
  json out = json::array();
  for (auto& p : t.paras) {
    json j;
    j["style"] = p->StyleNumber();
    json attrs;
    for (int a = 0; a < paCount; ++a) {
      if (a == paFontName)
        attrs[names[a]] = cp.ToUtf8(p->style.FontName());
      else
        attrs[names[a]] = p->style.Get(a);
    }
    j["attributes"] = attrs;
    j["text"] = cp.ToUtf8(p->text);
    json fonts = json::array(), links = json::array(), objects = json::array();
    const int n = static_cast<int>(p->text.size());
    for (int i = 0; i <= n; ++i) {
      const TCharRec& r = p->chars[i];
      if (r.fontChange >= 0 && i < n) {
        TMyFont f = p->fonts[r.fontChange]->Resolved();
        fonts.push_back({{"at", i}, {"font_colour", f.colour}, {"font_name", cp.ToUtf8(f.name)},
                         {"font_size", f.size}, {"style_flags", f.style}, {"vertical", f.vertical}});
      }
      if (r.object >= 0 && i < n) objects.push_back({{"at", i}, {"number", t.index->NumberOf(p->objects[r.object])}});
    }
    for (int i = 0; i < n;) {
      int32_t id = p->chars[i].link;
      int e = i + 1;
      while (e < n && p->chars[e].link == id) ++e;
      if (id != -1) links.push_back({{"from", i}, {"to", e}, {"id", Hex(id)}});
      i = e;
    }
    j["font_changes"] = fonts;
    j["links"] = links;
    j["objects"] = objects;
    out.push_back(j);
  }
  return out;
}

json LayoutJson(TZEBset& doc, const TZEBtesto& page, int width, int zoom) {
  PageText t(doc, page, width, zoom);
  t.ctx.widest = width;
  LayoutParagraphs(t.ctx, t.paras);
  json paras = json::array();
  for (auto& p : t.paras) {
    json lines = json::array();
    for (const TZEBline& l : p->lines)
      lines.push_back({{"first", l.first}, {"count", l.count}, {"y", l.y}, {"height", l.height},
                       {"ascent", l.maxAscent}, {"x", l.xStart}, {"shift", l.shift}, {"width", l.used}});
    paras.push_back({{"top", p->top}, {"bottom", p->bottom}, {"lines", lines}});
  }
  json j;
  j["widest"] = t.ctx.widest;
  j["paragraphs"] = paras;
  return j;
}

std::string RewriteMarkup(TZEBset& doc, const TZEBtesto& page) {
  PageText t(doc, page);
  std::string out;
  for (auto& p : t.paras) WriteParagraph(*p, t.ctx, out, TWriteMode::Stored);
  out.push_back('\0');
  return out;
}
