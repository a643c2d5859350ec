// zebtool build: special links and their window layouts, frame maps,
// form objects and the contents tree of the manifest.
#include "build_manifest.h"
#include "build_forms.h"

#include "document/records.h"
#include "document/zebobject.h"

namespace zebbuild {

// Commands: go to a target in a named window, a new window or a popup, close
// a window, turn pages. The target page is resolved once every page has a name.
void TManifestBuilder::ReadSpecLinks() {
  const json& list = Array(m_, "speclinks", "manifesto");
  for (size_t i = 0; i < list.size(); ++i) {
    const json& o = list[i];
    std::string where = "speclinks[" + std::to_string(i) + "]";
    CheckKeys(o, {"name", "action", "target", "mode", "window", "position", "nested", "layout"}, where);
    std::string n = NewName(o, where, specs_);
    std::vector<uint8_t> r = w_.NewRecord(speclink);
    r.resize(size_t(DefaultRecordSize(speclink)), 0);
    r[4] = uint8_t(Int(o, "action", where, 1, 1, 10));
    PutI32(r.data() + 9, Int(o, "position", where, -1, -2, INT32_MAX));
    PutI32(r.data() + 13, -1);
    r[17] = uint8_t(Int(o, "nested", where, 255, 0, 255));
    r[18] = uint8_t(Int(o, "mode", where, 0, 0, 6));
    const std::string window = Enc(Str(o, "window", where), where + ".window", 44);
    r[19] = uint8_t(window.size());
    std::copy(window.begin(), window.end(), r.begin() + 20);
    std::vector<uint8_t> layout;
    if (const json* l = Find(o, "layout")) layout = WindowLayout(*l, where + ".layout");
    specs_[n] = w_.Add(speclink, std::move(r), std::move(layout));
    const std::string target = Str(o, "target", where);
    if (!target.empty()) specTargets_.push_back({specs_[n], {target, where + ".target"}});
  }
}

void TManifestBuilder::ResolveSpecTargets() {
  for (const auto& [index, ref] : specTargets_)
    PutI32(w_.RecordOf(speclink, index).data() + 13, TargetId(ref.first, ref.second));
}

// A command lives in the text that links to it: the text references it, and
// the link run names it by its number among the text's own objects, which is
// known only once the whole text is written (NumberSpecLinks).
std::string TManifestBuilder::SpecLinkRun(int32_t id) { return "<$" + Hex8(id) + ">\x01" + Hex8(id) + "\x01"; }

void TManifestBuilder::NumberSpecLinks(std::string& text) {
  std::vector<std::string> order;  // distinct referenced ids of embedded kinds, as the reader numbers them
  for (size_t i = text.find("<$"); i != std::string::npos; i = text.find("<$", i + 2)) {
    const std::string hex = text.substr(i + 2, 8);
    if (hex.size() == 8 && hex.find_first_not_of("0123456789ABCDEFabcdef") == std::string::npos && EmbeddedKind(int(std::stoul(hex.substr(0, 2), nullptr, 16))) &&
        std::find(order.begin(), order.end(), hex) == order.end())
      order.push_back(hex);
  }
  for (size_t i = text.find('\x01'); i != std::string::npos; i = text.find('\x01', i)) {
    const std::string hex = text.substr(i + 1, 8);
    const size_t n = size_t(std::find(order.begin(), order.end(), hex) - order.begin());
    text.replace(i, 10, "<$" + Hex8(int32_t(0x6F000000 | n)) + ">");
  }
}

// The 22-byte window layout record; "keep" (-20000) where a value is left out.
std::vector<uint8_t> TManifestBuilder::WindowLayout(const json& l, const std::string& where) const {
  CheckKeys(l, {"left", "top", "width", "height", "maximised", "history", "menu", "resizable", "status_bar",
                "toolbar"}, where);
  std::vector<uint8_t> r(22, 0);
  const std::pair<const char*, int> ints[] = {{"left", 0}, {"top", 2}, {"width", 4}, {"height", 6}};
  for (const auto& [key, at] : ints) {
    const int v = Int(l, key, where, -20000, INT16_MIN, INT16_MAX);
    r[size_t(at)] = uint8_t(v & 0xFF);
    r[size_t(at) + 1] = uint8_t((v >> 8) & 0xFF);
  }
  const std::pair<const char*, int> flags[] = {{"maximised", 15}, {"history", 16}, {"menu", 17},
                                               {"resizable", 18}, {"status_bar", 20}, {"toolbar", 21}};
  for (const auto& [key, at] : flags) r[size_t(at)] = Bool(l, key, where, std::string(key) == "resizable") ? 1 : 0;
  return r;
}

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

}  // namespace zebbuild
