// zebtool build: page objects of the manifest, at the record offsets the
// reader reads them from.
#include "build_objects.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <stdexcept>

#include "document/records.h"
#include "document/zebtypes.h"
#include "document/zebwriter.h"

using nlohmann::json;

namespace {

[[noreturn]] void Fail(const std::string& text) { throw std::runtime_error(text); }

void Check(const json& o, std::initializer_list<const char*> allowed, const std::string& where) {
  if (!o.is_object()) Fail(where + ": atteso un oggetto JSON");
  for (auto it = o.begin(); it != o.end(); ++it)
    if (std::find_if(allowed.begin(), allowed.end(), [&](const char* k) { return it.key() == k; }) == allowed.end())
      Fail(where + ": chiave \"" + it.key() + "\" sconosciuta");
}

int IntOf(const json& o, const char* key, const std::string& where, int def, int lo, int hi) {
  if (!o.contains(key)) return def;
  const json& v = o[key];
  if (!v.is_number_integer() || v.get<int64_t>() < lo || v.get<int64_t>() > hi)
    Fail(where + "." + key + ": atteso un intero tra " + std::to_string(lo) + " e " + std::to_string(hi));
  return v.get<int>();
}

bool BoolOf(const json& o, const char* key, const std::string& where, bool def) {
  if (!o.contains(key)) return def;
  if (!o[key].is_boolean()) Fail(where + "." + key + ": atteso true o false");
  return o[key].get<bool>();
}

std::string StrOf(const json& o, const char* key, const std::string& where, const std::string& def = "") {
  if (!o.contains(key)) return def;
  if (!o[key].is_string()) Fail(where + "." + key + ": attesa una stringa");
  return o[key].get<std::string>();
}

// "#RRGGBB", "picture:NAME" or "transparent".
uint32_t BackgroundOf(const json& v, const TObjectContext& ctx, const std::string& where) {
  if (v.is_string() && v.get<std::string>() == "transparent") return TBackground::kTransparent;
  if (v.is_string() && v.get<std::string>().rfind("picture:", 0) == 0)
    return TBackground::EncodePicture(ctx.lookup("pictures", v.get<std::string>().substr(8), where));
  return TBackground::EncodeColour(ctx.colour(v, where));
}

// A width written as pixels (a number) or as a percentage ("50%").
void WidthOf(const json& v, const std::string& where, bool& percent, int& value) {
  if (v.is_number_integer()) {
    percent = false;
    value = v.get<int>();
  } else if (v.is_string() && !v.get<std::string>().empty() && v.get<std::string>().back() == '%') {
    percent = true;
    try {
      value = std::stoi(v.get<std::string>());
    } catch (const std::exception&) {
      Fail(where + ": percentuale non valida");
    }
  } else {
    Fail(where + ": attesi pixel (un numero) o una percentuale (\"50%\")");
  }
  if (value < 0 || value > INT16_MAX) Fail(where + ": valore fuori dai limiti");
}

}  // namespace

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

// ---- Paragraph headers.

// "{{p:Style|A2 N10}}": the style by name, then keys in any order; the reader
// takes them only in its fixed order, so they are written in that order.
std::string ParagraphHeaderText(int style, const std::string& keys, const std::string& where) {
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

// ---- Tables.

void TableRecord(const json& t, const TObjectContext& ctx, const std::string& where, std::vector<uint8_t>& rec,
                 std::vector<uint8_t>& payload) {
  Check(t, {"name", "columns", "rows", "spacing", "padding", "border", "width", "background", "cells"}, where);
  const json& cols = t.contains("columns") ? t["columns"] : json::array();
  if (!cols.is_array() || cols.empty() || cols.size() > 50) Fail(where + ".columns: da 1 a 50 colonne");
  const json& rows = t.contains("cells") ? t["cells"] : json::array();
  if (!rows.is_array() || rows.size() > 255) Fail(where + ".cells: al massimo 255 righe");
  uint8_t* r = rec.data();
  r[4] = 2;
  for (size_t c = 0; c < cols.size(); ++c) {
    const std::string at = where + ".columns[" + std::to_string(c) + "]";
    const json& col = cols[c];
    TColumnKind kind = TColumnKind::Automatic;
    int value = 0;
    if (col.is_string() && col.get<std::string>() == "auto") {
    } else {
      bool percent = false;
      WidthOf(col, at, percent, value);
      kind = percent ? TColumnKind::Percent : TColumnKind::Fixed;
    }
    r[tablerec::ColumnKinds + c] = static_cast<uint8_t>(kind);
    PutI16(r + tablerec::ColumnValues + 2 * c, static_cast<int16_t>(value));
  }
  bool percent = true;
  int width = 100;
  if (t.contains("width")) WidthOf(t["width"], where + ".width", percent, width);
  r[tablerec::WidthMode] = percent ? 1 : 0;
  r[tablerec::WidthPercent] = static_cast<uint8_t>(std::min(width, 255));
  PutI16(r + tablerec::FixedWidth, static_cast<int16_t>(percent ? 300 : width));
  r[tablerec::Rows] = static_cast<uint8_t>(rows.size());
  r[tablerec::Columns] = static_cast<uint8_t>(cols.size());
  r[tablerec::Spacing] = static_cast<uint8_t>(IntOf(t, "spacing", where, 2, 0, 255));
  r[tablerec::CellLayout1] = static_cast<uint8_t>(IntOf(t, "padding", where, 2, 0, 255));
  const int border = IntOf(t, "border", where, 0, 0, 255);
  r[tablerec::CellLayout2] = static_cast<uint8_t>(border);
  r[tablerec::Border] = static_cast<uint8_t>(border);
  r[tablerec::Upgraded] = 1;
  PutI32(r + tablerec::Background, static_cast<int32_t>(t.contains("background")
                                                            ? BackgroundOf(t["background"], ctx, where + ".background")
                                                            : TBackground::kTransparent));
  payload.clear();
  bool anyBackground = false;
  for (size_t row = 0; row < rows.size(); ++row) {
    const json& cells = rows[row];
    if (!cells.is_array() || cells.size() != cols.size())
      Fail(where + ".cells[" + std::to_string(row) + "]: attese " + std::to_string(cols.size()) + " celle");
    for (size_t c = 0; c < cells.size(); ++c) {
      uint32_t bg = TBackground::kTransparent;
      if (cells[c].is_object() && cells[c].contains("background")) {
        bg = BackgroundOf(cells[c]["background"], ctx, where + ".cells");
        anyBackground = true;
      }
      uint8_t b[4];
      PutI32(b, static_cast<int32_t>(bg));
      payload.insert(payload.end(), b, b + 4);
    }
  }
  if (!anyBackground) payload.clear();
  PutI32(r + tablerec::HasMain, payload.empty() ? 0 : 1);
  PutI16(r + tablerec::MainSize, static_cast<int16_t>(payload.size()));
}

std::vector<std::string> TableCellSources(const json& t, const std::string& where, const TObjectContext&) {
  std::vector<std::string> out;
  if (!t.contains("cells")) return out;
  for (const json& row : t["cells"])
    for (const json& cell : row) {
      if (cell.is_string()) {
        out.push_back(cell.get<std::string>());
      } else {
        Check(cell, {"markup", "background"}, where + ".cells");
        out.push_back(StrOf(cell, "markup", where + ".cells"));
      }
    }
  return out;
}

// ---- Placed pictures.

void ImageRecord(const json& p, const TObjectContext& ctx, const std::string& where, std::vector<uint8_t>& rec,
                 std::string& description, bool& absolute) {
  Check(p, {"name", "picture", "title", "hover", "width", "height", "align", "link", "top", "left", "zones",
            "description"}, where);
  uint8_t* r = rec.data();
  r[4] = 1;
  const int picture = ctx.lookup("pictures", StrOf(p, "picture", where), where + ".picture");
  PutI32(r + picturerec::Image, picture);
  PutI32(r + picturerec::Hover, p.contains("hover") ? ctx.lookup("pictures", StrOf(p, "hover", where), where) : -1);
  PutPString(r + picturerec::Name, 32, ctx.encode(StrOf(p, "title", where, StrOf(p, "name", where)), where, 32));
  // A display size of its own is kept while the picture keeps the size it
  // was placed with; without one the picture shows at its own size.
  const int w = IntOf(p, "width", where, 0, 0, INT16_MAX), h = IntOf(p, "height", where, 0, 0, INT16_MAX);
  if ((w > 0) != (h > 0)) Fail(where + ": indicare sia \"width\" sia \"height\"");
  if (w > 0) {
    const auto [pw, ph] = ctx.pictureSize(picture);
    PutI16(r + picturerec::SyncWidth, static_cast<int16_t>(pw));
    PutI16(r + picturerec::SyncHeight, static_cast<int16_t>(ph));
  }
  PutI16(r + picturerec::Width, static_cast<int16_t>(w));
  PutI16(r + picturerec::Height, static_cast<int16_t>(h));
  const std::string align = StrOf(p, "align", where, "baseline");
  r[picturerec::Align] = align == "top" ? 3 : align == "center" ? 4 : 5;
  PutI32(r + picturerec::Link, p.contains("link") ? ctx.target(StrOf(p, "link", where), where + ".link") : -1);
  for (int s = 0; s < picturerec::ZoneCount; ++s) PutI32(r + picturerec::Zones + s * picturerec::ZoneSize, -1);
  const json& zones = p.contains("zones") ? p["zones"] : json::array();
  if (!zones.is_array() || zones.size() > 30) Fail(where + ".zones: al massimo 30 zone");
  for (size_t z = 0; z < zones.size(); ++z) {
    const std::string at = where + ".zones[" + std::to_string(z) + "]";
    Check(zones[z], {"left", "top", "width", "height", "target"}, at);
    uint8_t* slot = r + picturerec::Zones + z * picturerec::ZoneSize;
    PutI32(slot, ctx.target(StrOf(zones[z], "target", at), at + ".target"));
    PutI32(slot + 4, 0);
    PutI16(slot + 8, static_cast<int16_t>(IntOf(zones[z], "left", at, 0, 0, INT16_MAX)));
    PutI16(slot + 10, static_cast<int16_t>(IntOf(zones[z], "top", at, 0, 0, INT16_MAX)));
    PutI16(slot + 12, static_cast<int16_t>(IntOf(zones[z], "width", at, 30, 0, INT16_MAX)));
    PutI16(slot + 14, static_cast<int16_t>(IntOf(zones[z], "height", at, 30, 0, INT16_MAX)));
  }
  absolute = p.contains("top") || p.contains("left");
  r[picturerec::Placement] = absolute ? 255 : 0;
  auto place = [&](const char* key, int off, int percentOff) {
    if (!p.contains(key)) return;
    bool percent = false;
    int v = 0;
    WidthOf(p[key], where + "." + key, percent, v);
    PutI32(r + off, v);
    r[percentOff] = percent ? 1 : 0;
  };
  PutI32(r + picturerec::Top, 0);
  PutI32(r + picturerec::Left, 0);
  r[picturerec::TopPercent] = r[picturerec::LeftPercent] = 0;
  place("top", picturerec::Top, picturerec::TopPercent);
  place("left", picturerec::Left, picturerec::LeftPercent);
  description = ctx.encode(StrOf(p, "description", where), where + ".description", 4000);
}

// ---- Floating frames.

void FloatingRecord(const json& f, const TObjectContext& ctx, const std::string& where, std::vector<uint8_t>& rec) {
  Check(f, {"name", "page", "width", "height", "auto_jump", "show_nested", "scroll_bars"}, where);
  uint8_t* r = rec.data();
  r[4] = floatrec::Subkind;
  PutPString(r + floatrec::Name, 79, ctx.encode(StrOf(f, "name", where), where + ".name", 79));
  PutI32(r + floatrec::Page, ctx.lookup("pages", StrOf(f, "page", where), where + ".page"));
  bool pw = false, ph = false;
  int w = 200, h = 100;
  if (f.contains("width")) WidthOf(f["width"], where + ".width", pw, w);
  if (f.contains("height")) WidthOf(f["height"], where + ".height", ph, h);
  if (pw != ph && (f.contains("width") && f.contains("height")))
    Fail(where + ": larghezza e altezza entrambe in pixel o entrambe in percentuale");
  r[floatrec::SizeMode] = pw || ph ? 1 : 0;
  PutI16(r + floatrec::Width, static_cast<int16_t>(w));
  PutI16(r + floatrec::Height, static_cast<int16_t>(h));
  r[floatrec::AutoJump] = BoolOf(f, "auto_jump", where, true) ? 1 : 0;
  r[floatrec::ShowNested] = BoolOf(f, "show_nested", where, true) ? 1 : 0;
  r[floatrec::ScrollBars] = BoolOf(f, "scroll_bars", where, true) ? 1 : 0;
}
