// zebtool build: reads a JSON manifest, turns its symbolic references into
// object ids and writes the ebook through TZebWriter.
#include "build.h"
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
#include "document/zebwriter.h"

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

struct TBuildError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

[[noreturn]] void Fail(const std::string& text) { throw TBuildError(text); }

// Files named by a manifest are read whole; this keeps a wrong path (a device,
// a huge file) from exhausting memory.
constexpr uintmax_t MaxInputFile = 256u * 1024 * 1024;

std::string ReadWholeFile(const fs::path& path, const std::string& what) {
  std::error_code ec;
  if (!fs::is_regular_file(path, ec)) Fail(what + ": file non trovato: " + path.string());
  if (fs::file_size(path, ec) > MaxInputFile) Fail(what + ": file troppo grande: " + path.string());
  std::ifstream f(path, std::ios::binary);
  std::ostringstream ss;
  ss << f.rdbuf();
  if (!f && !f.eof()) Fail(what + ": lettura non riuscita: " + path.string());
  return ss.str();
}

std::string Hex8(int32_t v) {
  static const char* digits = "0123456789ABCDEF";
  std::string s(8, '0');
  uint32_t u = static_cast<uint32_t>(v);
  for (int i = 7; i >= 0; --i, u >>= 4) s[i] = digits[u & 15];
  return s;
}

// "U+00E8", "U+1F600".
std::string CodePointName(uint32_t c) {
  std::string h = Hex8(int32_t(c));
  size_t first = std::min(h.find_first_not_of('0'), h.size() - 4);
  return "U+" + h.substr(first);
}

// ---- Text: UTF-8 in the manifest, the ebook's 8-bit code page in the file.

class TEncoder {
public:
  explicit TEncoder(const std::string& charset) : cp_(charset) {
    for (int b = 255; b >= 1; --b)
      if (cp_.CodePoint(uint8_t(b)) != 0xFFFD) reverse_[cp_.CodePoint(uint8_t(b))] = uint8_t(b);
  }

  // Every character must exist in the code page: a '?' in place of a letter
  // would go unnoticed until someone reads the ebook.
  std::string Encode(const std::string& utf8, const std::string& where) const {
    std::string out;
    for (size_t i = 0; i < utf8.size();) {
      uint32_t c = Decode(utf8, i, where);
      auto it = reverse_.find(c);
      if (c < 0x80) out += char(c);
      else if (it != reverse_.end()) out += char(it->second);
      else Fail(where + ": carattere " + CodePointName(c) + " non rappresentabile in " + cp_.Name());
    }
    return out;
  }

private:
  static uint32_t Decode(const std::string& s, size_t& i, const std::string& where) {
    uint8_t b = uint8_t(s[i]);
    int n = b < 0x80 ? 0 : (b >> 5) == 6 ? 1 : (b >> 4) == 14 ? 2 : (b >> 3) == 30 ? 3 : -1;
    if (n < 0 || i + n >= s.size()) Fail(where + ": testo UTF-8 non valido");
    uint32_t c = n == 0 ? b : b & (0x3F >> n);
    for (int k = 1; k <= n; ++k) {
      uint8_t t = uint8_t(s[i + k]);
      if ((t & 0xC0) != 0x80) Fail(where + ": testo UTF-8 non valido");
      c = (c << 6) | (t & 0x3F);
    }
    i += n + 1;
    return c;
  }

  TCodePage cp_;
  std::unordered_map<uint32_t, uint8_t> reverse_;
};

// ---- Picture sizes from the file headers.

bool PictureSize(const std::string& d, int& w, int& h) {
  auto u8 = [&](size_t i) { return unsigned(uint8_t(d[i])); };
  if (d.size() >= 10 && (d.compare(0, 6, "GIF87a") == 0 || d.compare(0, 6, "GIF89a") == 0)) {
    w = int(u8(6) | u8(7) << 8);
    h = int(u8(8) | u8(9) << 8);
    return true;
  }
  if (d.size() >= 24 && d.compare(0, 8, "\x89PNG\r\n\x1a\n") == 0 && d.compare(12, 4, "IHDR") == 0) {
    w = int(u8(16) << 24 | u8(17) << 16 | u8(18) << 8 | u8(19));
    h = int(u8(20) << 24 | u8(21) << 16 | u8(22) << 8 | u8(23));
    return true;
  }
  if (d.size() >= 4 && u8(0) == 0xFF && u8(1) == 0xD8) {
    // Walk the marker segments up to the first start-of-frame.
    size_t i = 2;
    while (i + 4 <= d.size()) {
      if (u8(i) != 0xFF) return false;
      unsigned m = u8(i + 1);
      if (m == 0xFF) { ++i; continue; }
      if (m == 0xD8 || m == 0x01 || (m >= 0xD0 && m <= 0xD7)) { i += 2; continue; }
      size_t len = u8(i + 2) << 8 | u8(i + 3);
      bool sof = m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC;
      if (sof && len >= 7 && i + 9 <= d.size()) {
        h = int(u8(i + 5) << 8 | u8(i + 6));
        w = int(u8(i + 7) << 8 | u8(i + 8));
        return true;
      }
      if (len < 2) return false;
      i += 2 + len;
    }
  }
  return false;
}

// ---- Reading the manifest.

class TManifestBuilder {
public:
  TManifestBuilder(json m, fs::path base) : m_(std::move(m)), base_(std::move(base)) {}
  void Build(const std::string& outPath);

private:
  // JSON access with messages that name the place of the fault.
  static void CheckKeys(const json& o, std::initializer_list<const char*> allowed, const std::string& where);
  static const json* Find(const json& o, const char* key);
  static std::string Str(const json& o, const char* key, const std::string& where, const std::string& def = "");
  static int Int(const json& o, const char* key, const std::string& where, int def, int lo, int hi);
  static bool Bool(const json& o, const char* key, const std::string& where, bool def);
  static int32_t Colour(const json& v, const std::string& where);
  static const json& Array(const json& o, const char* key, const std::string& where);

  std::string Enc(const std::string& utf8, const std::string& where, size_t maxLen) const;
  int Lookup(const std::map<std::string, int>& names, const std::string& name, const char* what,
             const std::string& where) const;
  int32_t TargetId(const std::string& ref, const std::string& where) const;

  void ReadProperties();
  int placed_ = 0;  // objects with a control placed so far in the current text
  void ReadHeader();
  void ReadHeaderReferences();
  void ReadStyles();
  void ReadStyle(const json& s, const std::string& where);
  void ReadObjects();
  static std::string NewName(const json& o, const std::string& where, const std::map<std::string, int>& names);
  int KeywordIndex(const json& word, const std::string& where);
  void ReadKeywords();
  void ReadLinks();
  void ReadFiles();
  void ReadPictures();
  void ReadPages();
  void ReadPage(const json& p, int index, const std::string& where);
  void ReadFrameMaps();
  void WriteFrames(const json& list, int32_t parent, int depth, std::string& out, const std::string& where);
  void ReadContents();
  void ReadForms();
  void WriteNodes(const json& list, int level, std::string& out, const std::string& where);

  std::string ExpandMarkup(const std::string& src, const std::string& where);
  std::string ExpandTag(const std::string& tag, const std::string& where, bool& isHeader);
  std::string ParagraphHeader(const std::string& arg, const std::string& where);

  json m_;
  fs::path base_;
  TZebWriter w_;
  std::unique_ptr<TEncoder> enc_;
  std::map<std::string, int> pages_, links_, files_, pictures_, keywords_, styles_, maps_;
  int32_t frameIds_ = 0;
  std::map<std::string, TObjId> forms_;
};

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
  Fail(where + ": destinazione \"" + ref + "\" non valida (page:, web: o file:)");
}

void TManifestBuilder::Build(const std::string& outPath) {
  CheckKeys(m_, {"header", "properties", "styles", "keywords", "links", "files", "pictures", "pages",
                 "frame_maps", "contents", "forms"}, "manifesto");
  ReadProperties();
  ReadHeader();
  ReadStyles();
  ReadObjects();
  ReadPages();
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

uint8_t StyleFlags(const json& list, const std::string& where) {
  if (!list.is_array()) Fail(where + ": atteso un elenco come [\"bold\", \"italic\"]");
  uint8_t flags = 0;
  for (const json& f : list) {
    std::string n = f.is_string() ? f.get<std::string>() : "";
    if (n == "bold") flags |= 1;
    else if (n == "italic") flags |= 2;
    else if (n == "underline") flags |= 4;
    else if (n == "strikeout") flags |= 8;
    else Fail(where + ": stile \"" + n + "\" sconosciuto (bold, italic, underline, strikeout)");
  }
  return flags;
}

int Choice(const json& o, const char* key, const std::string& where, int def,
           std::initializer_list<std::pair<const char*, int>> names) {
  auto it = o.find(key);
  if (it == o.end() || it->is_null()) return def;
  std::string v = it->is_string() ? it->get<std::string>() : "";
  std::string allowed;
  for (auto [n, value] : names) {
    if (v == n) return value;
    allowed += std::string(allowed.empty() ? "" : ", ") + n;
  }
  Fail(where + "." + key + ": valore non valido (" + allowed + ")");
}

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

void TManifestBuilder::ReadFrameMaps() {
  const json& maps = Array(m_, "frame_maps", "manifesto");
  for (size_t i = 0; i < maps.size(); ++i) {
    std::string where = "frame_maps[" + std::to_string(i) + "]";
    CheckKeys(maps[i], {"name", "frames"}, where);
    std::string n = NewName(maps[i], where, maps_);
    if (Array(maps[i], "frames", where).empty()) Fail(where + ": manca \"frames\"");
    std::vector<uint8_t> root(58, 0);
    PutI32(root.data(), ++frameIds_);
    PutI32(root.data() + 4, -1);
    root[31] = root[32] = 1;
    PutI32(root.data() + 34, -1);
    PutI32(root.data() + 38, 100);
    PutI32(root.data() + 46, int32_t(0x8000000F));
    PutI32(root.data() + 52, 20);
    root[56] = 3;
    std::string out(root.begin(), root.end());
    WriteFrames(Array(maps[i], "frames", where), GetI32(root.data()), 1, out, where + ".frames");
    std::vector<uint8_t> rec = w_.NewRecord(mappaFrame);
    PutPString(rec.data() + 5, 79, Enc(n, where + ".name", 79));
    maps_[n] = w_.Add(mappaFrame, std::move(rec), std::vector<uint8_t>(out.begin(), out.end()));
  }
}

void TManifestBuilder::WriteFrames(const json& list, int32_t parent, int depth, std::string& out,
                                   const std::string& where) {
  if (depth > 8) Fail(where + ": cornici annidate troppo in profondità");
  for (size_t i = 0; i < list.size(); ++i) {
    std::string at = where + "[" + std::to_string(i) + "]";
    const json& f = list[i];
    CheckKeys(f, {"name", "placement", "size_mode", "percent", "fixed", "page", "sizeable", "scroll_bars",
                  "border", "divider", "children"}, at);
    uint8_t r[58] = {};
    PutI32(r, ++frameIds_);
    PutI32(r + 4, parent);
    PutPString(r + 8, 19, Enc(Str(f, "name", at, "Frame" + std::to_string(frameIds_)), at + ".name", 19));
    r[28] = uint8_t(Choice(f, "placement", at, 0, {{"top", 0}, {"left", 1}, {"fill_below", 3}, {"fill_right", 5}}));
    r[31] = Bool(f, "scroll_bars", at, true) ? 1 : 0;
    r[32] = Array(f, "children", at).empty() ? 0 : 1;
    r[33] = Bool(f, "sizeable", at, false) ? 1 : 0;
    PutI32(r + 34, Find(f, "page") ? Lookup(pages_, Str(f, "page", at), "pagina", at + ".page") : -1);
    PutI32(r + 38, Int(f, "percent", at, 100, 0, 100000));
    PutI32(r + 46, int32_t(0x8000000F));
    r[51] = Bool(f, "border", at, false) ? 1 : 0;
    PutI32(r + 52, Int(f, "fixed", at, 20, 0, 30000));
    r[56] = uint8_t(Int(f, "divider", at, 3, 0, 255));
    r[57] = uint8_t(Choice(f, "size_mode", at, 0, {{"percent", 0}, {"fixed", 1}, {"equal", 2}}));
    out.append(reinterpret_cast<const char*>(r), sizeof r);
    WriteFrames(Array(f, "children", at), GetI32(r), depth + 1, out, at + ".children");
  }
}

// ---- Text markup with symbolic references.

std::string TManifestBuilder::ExpandMarkup(const std::string& src, const std::string& where) {
  std::string out;
  placed_ = 0;
  bool pendingBreak = false, afterHeader = true;
  // A line break in the source is one space between words, nothing next to a
  // paragraph header; the markup itself has no line-break character.
  auto emit = [&](const std::string& piece, bool isHeader) {
    if (out.empty() && !isHeader) out = "<Z S0 >";
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
  if (out.empty()) out = "<Z S0 >";
  return enc_->Encode(out, where);
}

std::string TManifestBuilder::ExpandTag(const std::string& tag, const std::string& where, bool& isHeader) {
  isHeader = false;
  if (tag == "end") return "<%>";
  if (tag == "p" || tag.compare(0, 2, "p:") == 0) {
    isHeader = true;
    return ParagraphHeader(tag.size() > 2 ? tag.substr(2) : "", where);
  }
  if (tag.compare(0, 5, "link:") == 0) return "<$" + Hex8(TargetId(tag.substr(5), where)) + ">";
  if (tag.compare(0, 11, "object:pic:") == 0) {
    // Each occurrence is an object of its own, as every placed picture is.
    std::string name = tag.substr(11);
    int pic = Lookup(pictures_, name, "immagine", where);
    int ref = w_.AddPictureRef(pic, enc_->Encode(name, where).substr(0, 32));
    // The reference makes the page create the picture's control; the marker
    // places it in the text by its number in the page's object index, where
    // number 0 is the text box itself.
    char marker[16];
    std::snprintf(marker, sizeof marker, "<$FF%06X>", ++placed_);
    return "<$" + Hex8(MakeId(immagineNew, ref)) + ">" + marker;
  }
  if (tag.compare(0, 12, "object:form:") == 0) {
    auto it = forms_.find(tag.substr(12));
    if (it == forms_.end()) Fail(where + ": oggetto di modulo \"" + tag.substr(12) + "\" sconosciuto");
    char marker[16];
    std::snprintf(marker, sizeof marker, "<$FF%06X>", ++placed_);
    return "<$" + Hex8(it->second) + ">" + marker;
  }
  Fail(where + ": \"{{" + tag + "}}\" sconosciuto");
}

void TManifestBuilder::ReadForms() {
  const json* list = Find(m_, "forms");
  if (!list) return;
  TFormBuildContext ctx{w_,
                        [this](const std::string& u, const std::string& where, size_t n) { return Enc(u, where, n); },
                        [this](const std::string& ref, const std::string& where) { return TargetId(ref, where); },
                        [this](const std::string& n, const std::string& where) { return Lookup(files_, n, "file", where); },
                        [this](const std::string& n, const std::string& where) {
                          return Lookup(pictures_, n, "immagine", where);
                        }};
  forms_ = ReadFormObjects(*list, ctx);
}

// "{{p:Style|A2 N10}}": the style by name, then keys in any order; the reader
// takes them only in its fixed order, so they are written in that order.
std::string TManifestBuilder::ParagraphHeader(const std::string& arg, const std::string& where) {
  size_t bar = arg.find('|');
  std::string name = arg.substr(0, bar), keys = bar == std::string::npos ? "" : arg.substr(bar + 1);
  int style = name.empty() ? 0 : Lookup(styles_, name, "stile", where);
  static const std::string order = "cFsypPANMLIlrtbCSY";
  std::map<char, std::string> values;
  for (size_t i = 0; i < keys.size();) {
    if (keys[i] == ' ') { ++i; continue; }
    char key = keys[i];
    std::string value;
    if (key == 'F') {
      size_t close = keys.size() > i + 1 && keys[i + 1] == '"' ? keys.find('"', i + 2) : std::string::npos;
      if (close == std::string::npos) Fail(where + ": carattere del paragrafo atteso come F\"Nome\"");
      value = keys.substr(i + 1, close - i);
      i = close + 1;
    } else {
      size_t end = std::min(keys.find(' ', i), keys.size());
      value = keys.substr(i + 1, end - i - 1);
      i = end;
      bool colour = key == 'c' || key == 'C';
      bool ok = colour ? value.size() == 6 && value.find_first_not_of("0123456789abcdefABCDEF") == std::string::npos
                       : !value.empty() && value.size() < 10 &&
                             value.find_first_not_of("0123456789", value[0] == '-' ? 1 : 0) == std::string::npos &&
                             value != "-";
      if (!ok) Fail(where + ": valore \"" + value + "\" non valido per la chiave " + key);
      for (char& ch : value) ch = char(std::toupper(uint8_t(ch)));
    }
    if (order.find(key) == std::string::npos) Fail(where + ": chiave di paragrafo \"" + key + "\" sconosciuta");
    if (values.count(key)) Fail(where + ": chiave di paragrafo \"" + key + "\" ripetuta");
    values[key] = value;
  }
  std::string out = "<Z S" + std::to_string(style) + " ";
  for (char key : order)
    if (values.count(key)) out += std::string(1, key) + values[key] + " ";
  return out + ">";
}

// ---- Contents tree.

void TManifestBuilder::ReadContents() {
  const json* c = Find(m_, "contents");
  if (!c) return;
  if (!c->is_array()) Fail("contents: atteso un elenco");
  std::string stream;
  WriteNodes(*c, 0, stream, "contents");
  std::vector<uint8_t> rec = w_.NewRecord(shortObj);
  int idx = w_.Add(shortObj, std::move(rec), std::vector<uint8_t>(stream.begin(), stream.end()));
  w_.SetHeaderI32(1342, MakeId(shortObj, idx));
}

void TManifestBuilder::WriteNodes(const json& list, int level, std::string& out, const std::string& where) {
  if (level > 32) Fail(where + ": albero troppo profondo");
  for (size_t i = 0; i < list.size(); ++i) {
    std::string at = where + "[" + std::to_string(i) + "]";
    const json& n = list[i];
    if (n.is_string()) {
      int page = Lookup(pages_, n.get<std::string>(), "pagina", at);
      out += "a" + std::to_string(level) + "," + std::to_string(MakeId(testoHtml, page)) + ",x\r\n";
      continue;
    }
    CheckKeys(n, {"chapter", "items"}, at);
    std::string title = Enc(Str(n, "chapter", at), at + ".chapter", 255);
    if (title.find_first_of("\r\n") != std::string::npos) Fail(at + ".chapter: una riga sola");
    out += "a" + std::to_string(level) + ",-3," + title + "\r\n";
    WriteNodes(Array(n, "items", at), level + 1, out, at + ".items");
  }
}

}  // namespace

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
