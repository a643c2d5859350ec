// zebtool build: reads a JSON manifest, turns its symbolic references into
// object ids and writes the ebook through TZebWriter.
#include "build.h"
#include "build_objects.h"
#include "build_forms.h"

#include <cstdio>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <unordered_map>

#include <nlohmann/json.hpp>

#include "document/codepage.h"
#include "document/records.h"
#include "document/zebobject.h"
#include "document/zebwriter.h"
#include "build_manifest.h"

namespace zebbuild {

void TManifestBuilder::CheckKeys(const json& o, std::initializer_list<const char*> allowed,
                                 const std::string& where) {
  if (!o.is_object()) Fail(where + ": atteso un oggetto JSON");
  for (auto it = o.begin(); it != o.end(); ++it) {
    bool known = false;
    for (const char* a : allowed) known = known || it.key() == a;
    if (!known) Fail(where + ": chiave sconosciuta \"" + it.key() + "\"");
  }
}

const json* TManifestBuilder::Find(const json& o, const char* key) {
  auto it = o.find(key);
  return it == o.end() || it->is_null() ? nullptr : &*it;
}

std::string TManifestBuilder::Str(const json& o, const char* key, const std::string& where,
                                  const std::string& def) {
  const json* v = Find(o, key);
  if (!v) return def;
  if (!v->is_string()) Fail(where + "." + key + ": attesa una stringa");
  return v->get<std::string>();
}

int TManifestBuilder::Int(const json& o, const char* key, const std::string& where, int def, int lo,
                          int hi) {
  const json* v = Find(o, key);
  if (!v) return def;
  if (!v->is_number_integer()) Fail(where + "." + key + ": atteso un numero intero");
  int64_t n = v->get<int64_t>();
  if (n < lo || n > hi)
    Fail(where + "." + key + ": valore fuori intervallo (" + std::to_string(lo) + ".." + std::to_string(hi) + ")");
  return int(n);
}

bool TManifestBuilder::Bool(const json& o, const char* key, const std::string& where, bool def) {
  const json* v = Find(o, key);
  if (!v) return def;
  if (!v->is_boolean()) Fail(where + "." + key + ": atteso true o false");
  return v->get<bool>();
}

// "#RRGGBB" as authors know it from the web; stored as 0x00BBGGRR.
int32_t TManifestBuilder::Colour(const json& v, const std::string& where) {
  std::string s = v.is_string() ? v.get<std::string>() : "";
  if (s.size() != 7 || s[0] != '#' || s.find_first_not_of("0123456789abcdefABCDEF", 1) != std::string::npos)
    Fail(where + ": colore atteso nella forma \"#RRGGBB\"");
  uint32_t rgb = uint32_t(std::stoul(s.substr(1), nullptr, 16));
  return int32_t((rgb >> 16 & 0xFF) | (rgb & 0xFF00) | (rgb & 0xFF) << 16);
}

const json& TManifestBuilder::Array(const json& o, const char* key, const std::string& where) {
  static const json empty = json::array();
  const json* v = Find(o, key);
  if (!v) return empty;
  if (!v->is_array()) Fail(where + "." + key + ": atteso un elenco");
  return *v;
}

std::string TManifestBuilder::Enc(const std::string& utf8, const std::string& where, size_t maxLen) const {
  std::string s = enc_->Encode(utf8, where);
  if (s.size() > maxLen)
    Fail(where + ": testo troppo lungo (massimo " + std::to_string(maxLen) + " caratteri)");
  return s;
}

int TManifestBuilder::Lookup(const std::map<std::string, int>& names, const std::string& name,
                             const char* what, const std::string& where) const {
  auto it = names.find(name);
  if (it == names.end()) Fail(where + ": " + what + " \"" + name + "\" inesistente");
  return it->second;
}

// "page:NAME", "web:NAME" or "file:NAME": the object id a link refers to.
int32_t TManifestBuilder::TargetId(const std::string& ref, const std::string& where) const {
  size_t colon = ref.find(':');
  std::string kind = ref.substr(0, colon), name = colon == std::string::npos ? "" : ref.substr(colon + 1);
  if (kind == "page") return MakeId(testoHtml, Lookup(pages_, name, "pagina", where));
  if (kind == "web") return MakeId(internetLink, Lookup(links_, name, "collegamento", where));
  if (kind == "file") return MakeId(genLink, Lookup(files_, name, "file", where));
  if (kind == "spec") return MakeId(speclink, Lookup(specs_, name, "comando", where));
  Fail(where + ": destinazione \"" + ref + "\" non valida (page:, web:, file: o spec:)");
}

void TManifestBuilder::Build(const std::string& outPath) {
  CheckKeys(m_, {"header", "properties", "styles", "keywords", "links", "speclinks", "files", "pictures", "pages",
                 "frame_maps", "contents", "tables", "images", "floating", "forms"}, "manifesto");
  ReadProperties();
  ReadHeader();
  ReadStyles();
  ReadObjects();
  ReadPages();
  ResolveSpecTargets();
  ReadHeaderReferences();
  ReadContents();
  if (!w_.Save(outPath)) {
    std::error_code ec;
    if (fs::is_regular_file(outPath, ec)) fs::remove(outPath, ec);  // no half-written ebook left behind
    Fail("scrittura non riuscita: " + outPath);
  }
}

void TManifestBuilder::ReadProperties() {
  const json* props = Find(m_, "properties");
  std::string charset = "iso-8859-1";
  if (props) {
    if (!props->is_object()) Fail("properties: atteso un oggetto JSON");
    for (auto it = props->begin(); it != props->end(); ++it) {
      if (!it->is_string()) Fail("properties." + it.key() + ": attesa una stringa");
      std::string lower = it.key();
      for (char& c : lower) c = char(std::tolower(uint8_t(c)));
      if (lower == "charset") charset = it->get<std::string>();
    }
  }
  enc_ = std::make_unique<TEncoder>(charset);
  // A new ebook always names its character set; readers guess wrongly without it.
  w_.SetProperty("CharSet", charset);
  if (props)
    for (auto it = props->begin(); it != props->end(); ++it) {
      std::string where = "properties." + it.key();
      w_.SetProperty(enc_->Encode(it.key(), where), enc_->Encode(it->get<std::string>(), where));
    }
}

void TManifestBuilder::ReadHeader() {
  const json* hp = Find(m_, "header");
  const json& h = hp ? *hp : json::object();
  const std::string where = "header";
  CheckKeys(h, {"title", "author", "company", "rights", "export_prefix", "fixed_font", "proportional_font",
                "language", "revision", "cover", "summary", "default_header", "default_footer",
                "contents_available", "fullscreen", "window_presentation", "background_anchoring",
                "colours", "background_picture"}, where);
  if (Find(h, "title")) w_.SetTitle(Enc(Str(h, "title", where), where + ".title", 255));
  w_.SetAuthor(Enc(Str(h, "author", where), where + ".author", 79));
  w_.SetCompany(Enc(Str(h, "company", where), where + ".company", 79));
  w_.SetRights(Enc(Str(h, "rights", where), where + ".rights", 79));
  std::string prefix = Enc(Str(h, "export_prefix", where), where + ".export_prefix", 255);
  w_.SetExportPrefix(prefix.substr(0, 16));
  if (prefix.size() > 16) w_.SetProperty("extendedprefix", prefix);  // the header holds 16
  if (Find(h, "fixed_font"))
    PutPString(w_.Header() + 1642, 39, Enc(Str(h, "fixed_font", where), where + ".fixed_font", 39));
  if (Find(h, "proportional_font"))
    PutPString(w_.Header() + 1682, 39,
               Enc(Str(h, "proportional_font", where), where + ".proportional_font", 39));
  w_.SetHeaderI16(1744, int16_t(Int(h, "language", where, 0x0409, 0, 0xFFFF)));
  w_.SetHeaderI32(1632, Int(h, "revision", where, 2, 0, INT32_MAX));
  w_.SetHeaderByte(1783, Bool(h, "contents_available", where, false) ? 1 : 0);
  w_.SetHeaderByte(1785, Bool(h, "fullscreen", where, false) ? 1 : 0);
  w_.SetHeaderByte(1786, uint8_t(Int(h, "window_presentation", where, 0, 0, 255)));
  w_.SetHeaderByte(1784, Bool(h, "background_anchoring", where, true) ? 1 : 0);
  if (const json* c = Find(h, "colours")) {
    CheckKeys(*c, {"background", "text", "link", "visited"}, where + ".colours");
    const std::pair<const char*, int> fields[] = {{"background", 1736}, {"text", 1746}, {"link", 1750}, {"visited", 1754}};
    for (auto [key, off] : fields)
      if (const json* v = Find(*c, key)) w_.SetHeaderI32(off, Colour(*v, where + ".colours." + key));
  }
}

// Page references of the header: known only once the pages are numbered.
void TManifestBuilder::ReadHeaderReferences() {
  const json* hp = Find(m_, "header");
  if (!hp) return;
  const std::string where = "header";
  const std::pair<const char*, int> refs[] = {{"cover", 1628}, {"summary", 1624}, {"default_header", 1724},
                                              {"default_footer", 1728}};
  for (auto [key, off] : refs)
    if (Find(*hp, key)) w_.SetHeaderI32(off, Lookup(pages_, Str(*hp, key, where), "pagina", where + "." + key));
  if (Find(*hp, "background_picture"))
    w_.SetHeaderI32(1740, Lookup(pictures_, Str(*hp, "background_picture", where), "immagine",
                                 where + ".background_picture"));
}

// ---- Paragraph styles.


void TManifestBuilder::ReadStyles() {
  w_.AddDefaultStyles();
  styles_["[nessuno stile]"] = 0;
  styles_["[nessuno stile tabella]"] = 1;
  const json& list = Array(m_, "styles", "manifesto");
  for (size_t i = 0; i < list.size(); ++i) ReadStyle(list[i], "styles[" + std::to_string(i) + "]");
}

void TManifestBuilder::ReadStyle(const json& s, const std::string& where) {
  CheckKeys(s, {"name", "font", "size", "colour", "style", "link_size", "link_colour", "link_style",
                "left_margin", "right_margin", "space_above", "space_below", "line_height", "indent",
                "unit", "alignment", "numbering", "position", "code"}, where);
  std::string name = Str(s, "name", where);
  if (name.empty()) Fail(where + ": manca \"name\"");
  if (styles_.count(name)) Fail(where + ": stile \"" + name + "\" ripetuto");
  int idx = w_.AddStyle(Enc(name, where + ".name", 32), Enc(Str(s, "font", where, "Arial"), where + ".font", 32),
                        Int(s, "size", where, 10, 1, 1000));
  styles_[name] = idx;
  uint8_t* r = w_.RecordOf(stileParagrafo, idx).data();
  const int16_t lim = INT16_MAX;
  if (const json* c = Find(s, "colour")) PutI32(r + 74, Colour(*c, where + ".colour"));
  if (const json* f = Find(s, "style")) r[78] = StyleFlags(*f, where + ".style");
  PutI16(r + 79, int16_t(Int(s, "link_size", where, -1, -1, 1000)));
  if (const json* c = Find(s, "link_colour")) PutI32(r + 81, Colour(*c, where + ".link_colour"));
  if (const json* f = Find(s, "link_style")) r[85] = StyleFlags(*f, where + ".link_style");
  PutI16(r + 86, int16_t(Int(s, "left_margin", where, 10, -lim, lim)));
  PutI16(r + 88, int16_t(Int(s, "right_margin", where, 10, -lim, lim)));
  PutI16(r + 90, int16_t(Int(s, "space_above", where, 0, -lim, lim)));
  PutI16(r + 92, int16_t(Int(s, "space_below", where, 0, -lim, lim)));
  PutI16(r + 94, int16_t(Int(s, "line_height", where, -32000, -32000, lim)));
  PutI16(r + 96, int16_t(Int(s, "indent", where, 0, -lim, lim)));
  r[98] = uint8_t(Choice(s, "unit", where, 1, {{"cm", 0}, {"mm", 1}, {"in", 2}, {"pt", 3}, {"pica", 4}, {"px", 5}}));
  r[99] = uint8_t(Choice(s, "alignment", where, 0, {{"left", 0}, {"right", 1}, {"center", 2}, {"justify", 3}}));
  r[100] = uint8_t(Choice(s, "numbering", where, 0, {{"none", 0}, {"numbered", 6}, {"bullet", 10}}));
  r[101] = uint8_t(Int(s, "code", where, 0, 0, 127));
  r[102] = uint8_t(Choice(s, "position", where, 0, {{"normal", 0}, {"subscript", 1}, {"superscript", 2}}));
}

// ---- Keywords, links, embedded files and pictures.

void TManifestBuilder::ReadObjects() {
  ReadKeywords();
  ReadLinks();
  ReadSpecLinks();
  ReadFiles();
  ReadPictures();
}

std::string TManifestBuilder::NewName(const json& o, const std::string& where,
                                      const std::map<std::string, int>& names) {
  std::string n = Str(o, "name", where);
  if (n.empty()) Fail(where + ": manca \"name\"");
  if (names.count(n)) Fail(where + ": nome \"" + n + "\" ripetuto");
  return n;
}

int TManifestBuilder::KeywordIndex(const json& word, const std::string& where) {
  // "-" is how a deleted keyword is stored.
  if (!word.is_string() || word.get<std::string>().empty() || word.get<std::string>() == "-")
    Fail(where + ": attesa una parola");
  std::string w = word.get<std::string>();
  auto it = keywords_.find(w);
  if (it != keywords_.end()) return it->second;
  return keywords_[w] = w_.AddKeyword(Enc(w, where, 79));
}

void TManifestBuilder::ReadKeywords() {
  const json& kw = Array(m_, "keywords", "manifesto");
  for (size_t i = 0; i < kw.size(); ++i) KeywordIndex(kw[i], "keywords[" + std::to_string(i) + "]");
}

void TManifestBuilder::ReadLinks() {
  const json& links = Array(m_, "links", "manifesto");
  for (size_t i = 0; i < links.size(); ++i) {
    std::string where = "links[" + std::to_string(i) + "]";
    CheckKeys(links[i], {"name", "target"}, where);
    std::string n = NewName(links[i], where, links_);
    std::string target = Str(links[i], "target", where);
    if (target.empty()) Fail(where + ": manca \"target\"");
    links_[n] = w_.AddInternetLink(Enc(target, where + ".target", 127));
  }
}


void TManifestBuilder::ReadFiles() {
  const json& files = Array(m_, "files", "manifesto");
  for (size_t i = 0; i < files.size(); ++i) {
    std::string where = "files[" + std::to_string(i) + "]";
    CheckKeys(files[i], {"name", "path", "file_name"}, where);
    std::string n = NewName(files[i], where, files_);
    fs::path path = base_ / Str(files[i], "path", where);
    std::string bytes = ReadWholeFile(path, where);
    std::string fileName = Enc(Str(files[i], "file_name", where, path.filename().string()), where + ".file_name", 78);
    files_[n] = w_.AddFile(fileName, std::vector<uint8_t>(bytes.begin(), bytes.end()));
  }
}

void TManifestBuilder::ReadPictures() {
  const json& pics = Array(m_, "pictures", "manifesto");
  for (size_t i = 0; i < pics.size(); ++i) {
    std::string where = "pictures[" + std::to_string(i) + "]";
    const json& p = pics[i];
    CheckKeys(p, {"name", "title", "path", "file_name", "width", "height"}, where);
    std::string n = NewName(p, where, pictures_);
    fs::path path = base_ / Str(p, "path", where);
    std::string bytes = ReadWholeFile(path, where);
    int w = 0, h = 0;
    bool known = PictureSize(bytes, w, h);
    if (!known && (!Find(p, "width") || !Find(p, "height")))
      Fail(where + ": dimensioni non ricavabili dal file, indicare \"width\" e \"height\"");
    w = Int(p, "width", where, w, 1, INT16_MAX);
    h = Int(p, "height", where, h, 1, INT16_MAX);
    if (w < 1 || w > INT16_MAX || h < 1 || h > INT16_MAX) Fail(where + ": dimensioni dell'immagine non valide");
    std::string fileName = Enc(Str(p, "file_name", where, path.filename().string()), where + ".file_name", 75);
    pictureSizes_[int(pictures_.size())] = {w, h};
    pictures_[n] = w_.AddPicture(Enc(Str(p, "title", where, n), where + ".title", 71), fileName,
                                 std::vector<uint8_t>(bytes.begin(), bytes.end()), w, h);
  }
}

// ---- Pages.

void TManifestBuilder::ReadPages() {
  const json& list = Array(m_, "pages", "manifesto");
  if (list.empty()) Fail("manifesto: nessuna pagina");
  // Names first: a page may link to a page that comes after it.
  for (size_t i = 0; i < list.size(); ++i) {
    std::string where = "pages[" + std::to_string(i) + "]";
    if (!list[i].is_object()) Fail(where + ": atteso un oggetto JSON");
    std::string n = Str(list[i], "name", where);
    if (n.empty()) Fail(where + ": manca \"name\"");
    if (pages_.count(n)) Fail(where + ": pagina \"" + n + "\" ripetuta");
    pages_[n] = int(i);
  }
  ReadFrameMaps();  // frames name pages, pages name maps
  ReadForms();      // buttons name pages; pages name form objects
  for (size_t i = 0; i < list.size(); ++i)
    ReadPage(list[i], int(i), "pages[" + std::to_string(i) + "] (" + list[i]["name"].get<std::string>() + ")");
}

void TManifestBuilder::ReadPage(const json& p, int index, const std::string& where) {
  CheckKeys(p, {"name", "title", "markup", "markup_file", "sequence", "position", "keywords", "header",
                "footer", "colours", "background_picture", "auto_link", "frame_map"}, where);
  const json* inline_ = Find(p, "markup");
  const json* file = Find(p, "markup_file");
  if (bool(inline_) == bool(file)) Fail(where + ": indicare \"markup\" oppure \"markup_file\"");
  std::string src, srcWhere = where + ".markup";
  if (file) {
    std::string rel = Str(p, "markup_file", where);
    src = ReadWholeFile(base_ / rel, where + ".markup_file");
    srcWhere = where + " (" + rel + ")";
  } else if (inline_->is_array()) {
    for (const json& line : *inline_) {
      if (!line.is_string()) Fail(srcWhere + ": attese stringhe");
      src += line.get<std::string>() + "\n";
    }
  } else {
    src = Str(p, "markup", where);
  }
  std::string text = ExpandMarkup(src, srcWhere);
  auto pageRef = [&](const char* key) {
    return Find(p, key) ? Lookup(pages_, Str(p, key, where), "pagina", where + "." + key) : -1;
  };
  int idx = w_.AddPage(Enc(Str(p, "title", where, p["name"].get<std::string>()), where + ".title", 71), text,
                       Int(p, "sequence", where, 0, 0, INT16_MAX), Int(p, "position", where, -1, -1, INT16_MAX),
                       pageRef("header"), pageRef("footer"));
  if (idx != index) Fail(where + ": numerazione delle pagine incoerente");
  std::vector<int> kws;
  for (const json& k : Array(p, "keywords", where)) {
    int kw = KeywordIndex(k, where + ".keywords");
    if (std::find(kws.begin(), kws.end(), kw) == kws.end()) kws.push_back(kw);
  }
  if (kws.size() > 20) Fail(where + ".keywords: al massimo 20 parole chiave per pagina");
  w_.SetPageKeywords(idx, kws);
  uint8_t* r = w_.RecordOf(testoHtml, idx).data();
  if (const json* c = Find(p, "colours")) {
    CheckKeys(*c, {"text", "link", "visited", "background"}, where + ".colours");
    const std::pair<const char*, int> fields[] = {{"text", 89}, {"link", 93}, {"visited", 97}, {"background", 101}};
    for (auto [key, off] : fields)
      if (const json* v = Find(*c, key)) PutI32(r + off, Colour(*v, where + ".colours." + key));
  }
  if (Find(p, "frame_map")) PutI32(r + 81, Lookup(maps_, Str(p, "frame_map", where), "mappa", where + ".frame_map"));
  if (Find(p, "background_picture"))
    PutI32(r + 85, Lookup(pictures_, Str(p, "background_picture", where), "immagine", where + ".background_picture"));
  if (const json* a = Find(p, "auto_link")) {
    CheckKeys(*a, {"target", "delay"}, where + ".auto_link");
    PutI32(r + 227, TargetId(Str(*a, "target", where + ".auto_link"), where + ".auto_link.target"));
    PutI16(r + 221, int16_t(Int(*a, "delay", where + ".auto_link", 5, 0, INT16_MAX)));
  }
}

// ---- Frame maps: one 58-byte record per frame, a frame before its children.


// ---- Text markup with symbolic references.

std::string TManifestBuilder::ExpandMarkup(const std::string& src, const std::string& where) {
  placed_ = 0;
  pageLevel_.clear();
  std::string out = ExpandBody(src, where, "<Z S0 >");
  // Objects at page coordinates: a paragraph of their own each, first in the text.
  std::string front;
  for (int n : pageLevel_) {
    char marker[32];
    std::snprintf(marker, sizeof marker, "<Z S0 f0 ><$FF%06X>", n);
    front += marker;
  }
  std::string text = front + out;
  NumberSpecLinks(text);
  return enc_->Encode(text, where);
}

std::string TManifestBuilder::ExpandBody(const std::string& src, const std::string& where, const char* firstHeader) {
  std::string out;
  bool pendingBreak = false, afterHeader = true;
  // A line break in the source is one space between words, nothing next to a
  // paragraph header; the markup itself has no line-break character.
  auto emit = [&](const std::string& piece, bool isHeader) {
    if (out.empty() && !isHeader) out = firstHeader;
    if (pendingBreak && !isHeader && !afterHeader) out += ' ';
    pendingBreak = false;
    out += piece;
    afterHeader = isHeader;
  };
  for (size_t i = std::min(src.find_first_not_of(" \t"), src.size()); i < src.size();) {
    char c = src[i];
    if (c == '\r' || c == '\n') {
      while (!out.empty() && out.back() == ' ') out.pop_back();
      while (i < src.size() && (src[i] == '\r' || src[i] == '\n' || src[i] == ' ' || src[i] == '\t')) ++i;
      pendingBreak = !out.empty();
    } else if (c == '{' && i + 1 < src.size() && src[i + 1] == '{') {
      size_t end = src.find("}}", i + 2);
      if (end == std::string::npos) Fail(where + ": \"{{\" senza \"}}\"");
      bool isHeader = false;
      std::string piece = ExpandTag(src.substr(i + 2, end - i - 2), where, isHeader);
      emit(piece, isHeader);
      i = end + 2;
    } else if (c == '<') {
      size_t end = src.find('>', i);
      if (end == std::string::npos) Fail(where + ": tag \"<\" senza \">\" (il carattere si scrive &lt;)");
      std::string tag = src.substr(i, end - i + 1);
      emit(tag, tag.compare(0, 2, "<Z") == 0);
      i = end + 1;
    } else {
      emit(std::string(1, c == '\t' ? ' ' : c), false);
      ++i;
    }
  }
  if (out.empty()) out = firstHeader;
  return out;
}

std::string TManifestBuilder::ExpandTag(const std::string& tag, const std::string& where, bool& isHeader) {
  isHeader = false;
  if (tag == "end") return "<%>";
  if (tag == "p" || tag.compare(0, 2, "p:") == 0) {
    isHeader = true;
    return ParagraphHeader(tag.size() > 2 ? tag.substr(2) : "", where);
  }
  if (tag.compare(0, 10, "link:spec:") == 0) return SpecLinkRun(TargetId(tag.substr(5), where));
  if (tag.compare(0, 5, "link:") == 0) return "<$" + Hex8(TargetId(tag.substr(5), where)) + ">";
  if (tag.compare(0, 11, "object:pic:") == 0) {
    // Each occurrence is an object of its own, as every placed picture is.
    std::string name = tag.substr(11);
    int pic = Lookup(pictures_, name, "immagine", where);
    int ref = w_.AddPictureRef(pic, enc_->Encode(name, where).substr(0, 32));
    // The reference makes the page create the picture's control; the marker
    // places it in the text by its number in the page's object index, where
    // number 0 is the text box itself.
    return "<$" + Hex8(MakeId(immagineNew, ref)) + ">" + Marker();
  }
  if (tag.compare(0, 12, "object:form:") == 0) {
    auto it = forms_.find(tag.substr(12));
    if (it == forms_.end()) Fail(where + ": oggetto di modulo \"" + tag.substr(12) + "\" sconosciuto");
    return "<$" + Hex8(it->second) + ">" + Marker();
  }
  if (tag.compare(0, 6, "table:") == 0 || tag.compare(0, 6, "image:") == 0 || tag.compare(0, 7, "anchor:") == 0 ||
      tag.compare(0, 9, "floating:") == 0)
    return PageObjectTag(tag, where);
  Fail(where + ": \"{{" + tag + "}}\" sconosciuto");
}


std::string TManifestBuilder::ParagraphHeader(const std::string& arg, const std::string& where) {
  size_t bar = arg.find('|');
  std::string name = arg.substr(0, bar), keys = bar == std::string::npos ? "" : arg.substr(bar + 1);
  return ParagraphHeaderText(name.empty() ? 0 : Lookup(styles_, name, "stile", where), keys, where);
}

// ---- Contents tree.


}  // namespace zebbuild

using namespace zebbuild;

int RunBuild(const std::string& manifestPath, const std::string& outPath) {
  std::string prefix;
  try {
    std::string text = ReadWholeFile(manifestPath, "manifesto");
    prefix = fs::path(manifestPath).filename().string() + ": ";
    json m;
    try {
      m = json::parse(text);
    } catch (const json::parse_error& e) {
      Fail(std::string("JSON non valido: ") + e.what());
    }
    TManifestBuilder(std::move(m), fs::path(manifestPath).parent_path()).Build(outPath);
    return 0;
  } catch (const std::exception& e) {
    std::string msg = prefix + e.what();
    for (char& c : msg)
      if (c == '\n' || c == '\r') c = ' ';
    std::cerr << "Errore!: " << msg << std::endl;
    return 1;
  }
}

// ---- Page objects: tables, placed pictures, anchors and floating frames.

namespace zebbuild {

namespace {
// Tables hold tables; a manifest cannot nest them deeper than the reader shows.
constexpr int kMaxManifestNesting = 6;
}  // namespace

TObjectContext TManifestBuilder::ObjectContext() {
  TObjectContext c;
  c.lookup = [this](const char* list, const std::string& name, const std::string& where) {
    if (std::string(list) == "pages") return Lookup(pages_, name, "pagina", where);
    return Lookup(pictures_, name, "immagine", where);
  };
  c.target = [this](const std::string& ref, const std::string& where) { return TargetId(ref, where); };
  c.encode = [this](const std::string& s, const std::string& where, size_t n) { return Enc(s, where, n); };
  c.colour = [](const json& v, const std::string& where) { return Colour(v, where); };
  c.pictureSize = [this](int picture) { return pictureSizes_[picture]; };
  return c;
}

const json& TManifestBuilder::Named(const char* list, const std::string& name, const std::string& where) {
  const json* l = Find(m_, list);
  if (l && l->is_array())
    for (const json& e : *l)
      if (e.is_object() && e.contains("name") && e["name"] == name) return e;
  Fail(where + ": \"" + name + "\" non si trova in \"" + list + "\"");
}

std::string TManifestBuilder::PageObjectTag(const std::string& tag, const std::string& where) {
  const size_t colon = tag.find(':');
  const std::string kind = tag.substr(0, colon), name = tag.substr(colon + 1);
  TObjectContext ctx = ObjectContext();
  std::vector<uint8_t> rec(668, 0);
  if (kind == "anchor") {
    rec[4] = 14;
    PutI32(rec.data() + shortrec::Value, Int(json{{"n", std::atoi(name.c_str())}}, "n", where, 0, 0, 1 << 24));
    return "<$" + Hex8(MakeId(shortObj, w_.Add(shortObj, std::move(rec)))) + ">" + Marker();
  }
  if (kind == "floating") {
    FloatingRecord(Named("floating", name, where), ctx, where + " (" + name + ")", rec);
    return "<$" + Hex8(MakeId(inputStat, w_.Add(inputStat, std::move(rec)))) + ">" + Marker();
  }
  if (kind == "image") {
    std::string description;
    bool absolute = false;
    ImageRecord(Named("images", name, where), ctx, where + " (" + name + ")", rec, description, absolute);
    const std::string ref = "<$" + Hex8(MakeId(immagineNew, w_.Add(immagineNew, std::move(rec)))) + ">";
    if (!absolute) return ref + Marker();
    if (nesting_ > 0) Fail(where + ": un'immagine in posizione assoluta non può stare in una cella");
    pageLevel_.push_back(++placed_);
    return ref;
  }
  const json& t = Named("tables", name, where);
  if (++nesting_ > kMaxManifestNesting) Fail(where + ": tabelle annidate troppo in profondità");
  std::vector<uint8_t> payload;
  TableRecord(t, ctx, where + " (" + name + ")", rec, payload);
  std::string out = "<$" + Hex8(MakeId(tabellaHtml, w_.Add(tabellaHtml, std::move(rec), payload))) + ">" + Marker();
  for (const std::string& cell : TableCellSources(t, where, ctx))
    out += ExpandBody(cell, where + " (" + name + ")", "<Z S1 >") + "<T>";
  --nesting_;
  return out;
}

}  // namespace zebbuild
