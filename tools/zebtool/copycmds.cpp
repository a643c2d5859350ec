#include "copycmds.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>

#include "document/records.h"
#include "document/strutil.h"
#include "document/zebset.h"
#include "platform/settings.h"
#include "platform/system.h"
#include "text/cellindex.h"
#include "text/markup.h"
#include "text/selectionforms.h"
#include "text/zebconv.h"
#include "text/zebhtml.h"
#include "text/zebrtf.h"

namespace fs = std::filesystem;

namespace {

bool ParseNumber(const char* s, int& v) {
  char* end = nullptr;
  const long l = std::strtol(s, &end, 10);
  if (!*s || *end || l < 0 || l > INT32_MAX) return false;
  v = static_cast<int>(l);
  return true;
}

// The main text of a page read as a page control reads it, tables with their cells.
struct TPageParagraphs {
  std::unique_ptr<TZEBtesto> copy;
  TFixedCanvas canvas;
  TTextContext ctx;
  std::unique_ptr<TCellTextIndex> index;
  std::vector<std::unique_ptr<TZEBparag>> paras;

  TPageParagraphs(TZEBset& doc, const TZEBtesto& page) {
    copy = page.PageCopy(false, nullptr);
    canvas.record = false;
    ctx.doc = &doc;
    ctx.canvas = &canvas;
    index = std::make_unique<TCellTextIndex>(copy.get(), ctx);
    ctx.index = index.get();
    const std::string text = copy->MainPayload();
    size_t pos = 0;
    TakePageObjects(text, pos);
    paras = ReadParagraphs(ctx, text, pos, true);
  }
  std::vector<const TZEBparag*> Pointers() const {
    std::vector<const TZEBparag*> v;
    for (auto& p : paras) v.push_back(p.get());
    return v;
  }
  // Paragraphs from..to (clamped) as stored markup.
  std::string Markup(int from, int to) {
    TSelectionRange r;
    r.p1 = from;
    r.p2 = std::min<int>(to, static_cast<int>(paras.size()) - 1);
    r.c2 = r.p2 >= 0 ? static_cast<int>(paras[static_cast<size_t>(r.p2)]->text.size()) : 0;
    return SelectionMarkup(Pointers(), ctx, r);
  }
};

struct TDocument {
  TConsoleSink sink;
  TIniSettings settings;
  TPosixSystem system;
  TZEBset doc{TServices{&sink, &settings, &system}};
};

void Write(const std::string& s) { std::fwrite(s.data(), 1, s.size(), stdout); }

int Copy(TZEBset& doc, TZEBtesto& page, int from, int to, const std::string& format) {
  TPageParagraphs t(doc, page);
  const std::string markup = t.Markup(from, to);
  std::string out;
  if (format == "text") {
    TZEBtoTxt c(&doc, t.index.get(), t.copy.get());
    c.copy = false;
    c.Convert(markup, out);
    out = doc.CodePage().ToUtf8(out);
  } else if (format == "rtf") {
    TZEBtortf c(&doc, t.index.get(), t.copy.get());
    c.Convert(markup, out);
    if (!out.empty() && out.back() == '\0') out.pop_back();
  } else {
    TZEBtoHtml c(&doc, t.index.get(), t.copy.get());
    c.Convert(markup, out);
  }
  Write(out);
  return 0;
}

// ---------------------------------------------------------------- export

class TExporter {
public:
  TExporter(TZEBset& doc, fs::path folder, std::string format)
      : doc_(doc), folder_(std::move(folder)), format_(std::move(format)) {}
  bool Run();

private:
  std::string Ext() const { return format_ == "html" ? ".html" : format_ == "rtf" ? ".rtf" : ".txt"; }
  std::string PageFile(int page) const { return "pagina-" + std::to_string(page) + Ext(); }
  std::string Href(TZEBoggetto& link);
  std::string PictureSource(TZEBoggetto& image);
  std::string Extracted(TZEBoggetto& obj, const char* sub);
  bool Save(const std::string& name, const std::string& bytes);
  std::string Index();

  TZEBset& doc_;
  fs::path folder_;
  std::string format_;
  std::map<const TZEBoggetto*, std::string> extracted_;
  std::set<std::string> usedNames_;
  bool ok_ = true;
};

bool TExporter::Save(const std::string& name, const std::string& bytes) {
  std::ofstream out(folder_ / name, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) {
    doc_.Say(TMsgKind::Error, "Errore nella scrittura file " + (folder_ / name).string());
    ok_ = false;
  }
  return static_cast<bool>(out);
}

// Embedded files and pictures land in a subfolder under sanitised, unique names.
std::string TExporter::Extracted(TZEBoggetto& obj, const char* sub) {
  if (auto it = extracted_.find(&obj); it != extracted_.end()) return it->second;
  std::string name = str::SanitizeFileName(obj.FileName().empty() ? obj.Name() : obj.FileName());
  const std::string base = name;
  for (int n = 1; usedNames_.count(str::Lower(name)); ++n) name = std::to_string(n) + "-" + base;
  usedNames_.insert(str::Lower(name));
  std::error_code ec;
  fs::create_directories(folder_ / sub, ec);
  const std::string rel = std::string(sub) + "/" + name;
  const std::string href = obj.ExtractToFile((folder_ / rel).string()) ? rel : std::string();
  extracted_[&obj] = href;
  return href;
}

std::string TExporter::Href(TZEBoggetto& link) {
  const TCodePage& cp = doc_.CodePage();
  switch (link.Kind()) {
    case testoHtml: return PageFile(link.Index());
    case genLink: return cp.ToUtf8(Extracted(link, "file"));
    case internetLink: {
      const std::string target = link.Name();
      if (str::StartsWithNoCase(target, "lumo:")) {
        const TEbookLink l = doc_.ResolveEbookLink(target, 0);
        if (l.same && doc_.Page(l.page)) return PageFile(l.page);
      }
      return cp.ToUtf8(target);
    }
    default: return {};
  }
}

std::string TExporter::PictureSource(TZEBoggetto& image) {
  const int32_t index = TPictureRecord(image.Rec()).Image();
  TZEBoggetto* pic = index >= 0 ? doc_.ObjectAt(immagine, index) : nullptr;
  return pic ? doc_.CodePage().ToUtf8(Extracted(*pic, "immagini")) : std::string();
}

// The contents tree as nested lists, or every page when the ebook has none.
std::string TExporter::Index() {
  const TCodePage& cp = doc_.CodePage();
  std::string body;
  TZEBoggetto* tree = doc_.HeaderI32(hdr::ContentsTree) > 0 ? doc_.ContentsTreeObject() : nullptr;
  const std::string stream = tree ? tree->MainPayload() : std::string();
  int level = -1;
  size_t pos = 0;
  while (pos < stream.size()) {
    size_t eol = stream.find('\n', pos);
    std::string line = stream.substr(pos, eol == std::string::npos ? std::string::npos : eol - pos);
    pos = eol == std::string::npos ? stream.size() : eol + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const size_t c1 = line.find(','), c2 = c1 == std::string::npos ? c1 : line.find(',', c1 + 1);
    if (line.size() < 2 || line[0] != 'a' || c2 == std::string::npos) continue;
    const int depth = std::min(str::ToIntDef(line.substr(1, c1 - 1), 0), 32);
    const int number = str::ToIntDef(line.substr(c1 + 1, c2 - c1 - 1), -1);
    if (depth < 0) continue;
    for (; level < depth; ++level) body += "<ul>";
    for (; level > depth; --level) body += "</ul>";
    TZEBoggetto* page = number >= 0 ? doc_.ObjectById(number) : nullptr;
    if (page && page->Kind() == testoHtml)
      body += "<li><a href=\"" + PageFile(page->Index()) + "\">" + str::HtmlEscape(cp.ToUtf8(page->Name())) + "</a></li>\n";
    else
      body += "<li>" + str::HtmlEscape(cp.ToUtf8(line.substr(c2 + 1))) + "</li>\n";
  }
  for (; level >= 0; --level) body += "</ul>";
  if (body.empty()) {
    body = "<ul>";
    for (int i = 0; i < doc_.Count(testoHtml); ++i)
      if (TZEBtesto* p = doc_.Page(i); p && !p->IsDeleted())
        body += "<li><a href=\"" + PageFile(i) + "\">" + str::HtmlEscape(cp.ToUtf8(p->Name())) + "</a></li>\n";
    body += "</ul>";
  }
  const std::string title = str::HtmlEscape(cp.ToUtf8(doc_.Title()));
  return "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" + title + "</title></head><body>\n<h1>" + title +
         "</h1>\n" + body + "\n</body></html>\n";
}

bool TExporter::Run() {
  std::error_code ec;
  fs::create_directories(folder_, ec);
  if (!fs::is_directory(folder_)) {
    doc_.Say(TMsgKind::Error, "Errore nella scrittura file " + folder_.string());
    return false;
  }
  for (int i = 0; i < doc_.Count(testoHtml); ++i) {
    TZEBtesto* page = doc_.Page(i);
    if (!page || page->IsDeleted()) continue;
    TPageParagraphs t(doc_, *page);
    const std::string markup = t.Markup(0, 1 << 30);
    std::string out;
    if (format_ == "html") {
      TZEBtoHtml c(&doc_, t.index.get(), t.copy.get());
      c.copy = false;
      c.title = doc_.CodePage().ToUtf8(page->Name());
      c.href = [this](TZEBoggetto& o) { return Href(o); };
      c.pictureSource = [this](TZEBoggetto& o) { return PictureSource(o); };
      c.Convert(markup, out);
    } else if (format_ == "rtf") {
      TZEBtortf c(&doc_, t.index.get(), t.copy.get());
      c.copy = false;
      c.Convert(markup, out);
    } else {
      TZEBtoTxt c(&doc_, t.index.get(), t.copy.get());
      c.copy = false;
      c.Convert(markup, out);
      out = doc_.CodePage().ToUtf8(out);
    }
    Save(PageFile(i), out);
  }
  // Embedded files are archived with the pages even when no link names them.
  for (int i = 0; i < doc_.Count(genLink); ++i)
    if (TZEBoggetto* f = doc_.ObjectAt(genLink, i); f && !f->IsDeleted()) Extracted(*f, "file");
  for (int i = 0; i < doc_.Count(immagine); ++i)
    if (TZEBoggetto* p = doc_.ObjectAt(immagine, i); p && !p->IsDeleted()) Extracted(*p, "immagini");
  if (format_ == "html") Save("index.html", Index());
  return ok_;
}

}  // namespace

int RunCopyCommands(int argc, char** argv) {
  const std::string cmd = argv[1];
  std::string format = cmd == "export" ? "html" : "";
  int from = 0, to = 1 << 30, page = 0;
  bool range = false;
  for (int i = 4; i < argc; i += 2) {
    if (i + 1 >= argc) return -1;
    const std::string opt = argv[i];
    if (opt == "--format") {
      format = argv[i + 1];
    } else if (cmd == "copy" && (opt == "--from" || opt == "--to")) {
      if (!ParseNumber(argv[i + 1], opt == "--from" ? from : to)) return -1;
      range = true;
    } else {
      return -1;
    }
  }
  if (format != "text" && format != "rtf" && format != "html") return -1;
  if (cmd == "copy" && (!ParseNumber(argv[3], page) || (range && from > to))) return -1;
  TDocument d;
  if (!d.doc.Open(argv[2])) return 1;
  if (cmd == "export") return TExporter(d.doc, argv[3], format).Run() ? 0 : 1;
  TZEBtesto* p = d.doc.Page(page);
  if (!p) return 1;
  return Copy(d.doc, *p, from, to, format);
}
