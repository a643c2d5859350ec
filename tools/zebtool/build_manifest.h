// zebtool build: the manifest reader shared by the sources of the builder.
#pragma once

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <vector>

#include <nlohmann/json.hpp>

#include "build_objects.h"
#include "document/codepage.h"
#include "document/zebwriter.h"

namespace zebbuild {

namespace fs = std::filesystem;
using nlohmann::json;


struct TBuildError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

[[noreturn]] inline void Fail(const std::string& text) { throw TBuildError(text); }

// Files named by a manifest are read whole; this keeps a wrong path (a device,
// a huge file) from exhausting memory.
constexpr uintmax_t MaxInputFile = 256u * 1024 * 1024;

inline std::string ReadWholeFile(const fs::path& path, const std::string& what) {
  std::error_code ec;
  if (!fs::is_regular_file(path, ec)) Fail(what + ": file non trovato: " + path.string());
  if (fs::file_size(path, ec) > MaxInputFile) Fail(what + ": file troppo grande: " + path.string());
  std::ifstream f(path, std::ios::binary);
  std::ostringstream ss;
  ss << f.rdbuf();
  if (!f && !f.eof()) Fail(what + ": lettura non riuscita: " + path.string());
  return ss.str();
}

inline std::string Hex8(int32_t v) {
  static const char* digits = "0123456789ABCDEF";
  std::string s(8, '0');
  uint32_t u = static_cast<uint32_t>(v);
  for (int i = 7; i >= 0; --i, u >>= 4) s[i] = digits[u & 15];
  return s;
}

// "U+00E8", "U+1F600".
inline std::string CodePointName(uint32_t c) {
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
  std::vector<int> pageLevel_;  // markers of the current page's objects placed at page coordinates
  int nesting_ = 0;
  TObjectContext ObjectContext();
  std::string PageObjectTag(const std::string& tag, const std::string& where);
  const json& Named(const char* list, const std::string& name, const std::string& where);
  std::string Marker() {
    char marker[16];
    std::snprintf(marker, sizeof marker, "<$FF%06X>", ++placed_);
    return marker;
  }
  void ReadHeader();
  void ReadHeaderReferences();
  void ReadStyles();
  void ReadStyle(const json& s, const std::string& where);
  void ReadObjects();
  static std::string NewName(const json& o, const std::string& where, const std::map<std::string, int>& names);
  int KeywordIndex(const json& word, const std::string& where);
  void ReadKeywords();
  void ReadLinks();
  void ReadSpecLinks();
  void ResolveSpecTargets();
  std::vector<uint8_t> WindowLayout(const json& l, const std::string& where) const;
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
  std::string ExpandBody(const std::string& src, const std::string& where, const char* firstHeader);
  static std::string SpecLinkRun(int32_t id);
  static void NumberSpecLinks(std::string& text);
  std::string ExpandTag(const std::string& tag, const std::string& where, bool& isHeader);
  std::string ParagraphHeader(const std::string& arg, const std::string& where);

  json m_;
  fs::path base_;
  TZebWriter w_;
  std::unique_ptr<TEncoder> enc_;
  std::map<std::string, int> pages_, links_, files_, pictures_, keywords_, styles_, maps_;
  std::map<int, std::pair<int, int>> pictureSizes_;
  std::map<std::string, int> specs_;
  std::vector<std::pair<int, std::pair<std::string, std::string>>> specTargets_;  // index, (ref, where)
  int32_t frameIds_ = 0;
  std::map<std::string, TObjId> forms_;
};

inline uint8_t StyleFlags(const json& list, const std::string& where) {
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

inline int Choice(const json& o, const char* key, const std::string& where, int def,
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

}  // namespace zebbuild
