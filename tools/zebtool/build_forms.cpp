#include "build_forms.h"

#include <stdexcept>

#include "document/formrecords.h"
#include "document/mediarecords.h"
#include "document/zebwriter.h"

using nlohmann::json;

namespace {

[[noreturn]] void Fail(const std::string& text) { throw std::runtime_error(text); }

const std::map<std::string, std::pair<int, int>>& Types() {
  // name -> kind, subkind (state byte)
  static const std::map<std::string, std::pair<int, int>> t = {
      {"form", {inizioForm, 0}},       {"edit", {inputStat, 1}},   {"password", {inputStat, 2}},
      {"memo", {inputStat, 4}},        {"hidden", {inputStat, 5}}, {"radio", {inputStat, 6}},
      {"check", {inputStat, 7}},       {"list", {inputStat, 8}},   {"combo", {inputStat, 9}},
      {"submit", {bottoneCGI, 1}},     {"reset", {bottoneCGI, 3}}, {"clear", {bottoneCGI, 4}},
      {"sound", {multiMedia, 1}},      {"video", {multiMedia, 3}}, {"flash", {multiMedia, 5}}};
  return t;
}

struct TReader {
  const json& o;
  std::string where;
  std::string Str(const char* key, const std::string& def = "") const {
    if (!o.contains(key)) return def;
    if (!o[key].is_string()) Fail(where + ": \"" + key + "\" deve essere una stringa");
    return o[key].get<std::string>();
  }
  int Int(const char* key, int def, int lo, int hi) const {
    if (!o.contains(key)) return def;
    if (!o[key].is_number_integer() || o[key].get<long long>() < lo || o[key].get<long long>() > hi)
      Fail(where + ": \"" + key + "\" deve essere un intero fra " + std::to_string(lo) + " e " + std::to_string(hi));
    return o[key].get<int>();
  }
  bool Bool(const char* key, bool def) const {
    if (!o.contains(key)) return def;
    if (!o[key].is_boolean()) Fail(where + ": \"" + key + "\" deve essere true o false");
    return o[key].get<bool>();
  }
};

void CheckKeys(const json& o, std::initializer_list<const char*> allowed, const std::string& where) {
  for (auto it = o.begin(); it != o.end(); ++it) {
    bool ok = false;
    for (const char* a : allowed) ok = ok || it.key() == a;
    if (!ok) Fail(where + ": chiave \"" + it.key() + "\" sconosciuta");
  }
}

std::string ChoiceList(const TReader& r, TFormBuildContext& ctx) {
  std::string out;
  if (!r.o.contains("choices")) return out;
  const json& list = r.o["choices"];
  if (!list.is_array()) Fail(r.where + ": \"choices\" deve essere una lista");
  for (size_t i = 0; i < list.size(); ++i) {
    const json& c = list[i];
    if (!c.is_array() || c.size() != 2 || !c[0].is_string() || !c[1].is_string())
      Fail(r.where + ".choices[" + std::to_string(i) + "]: attesa una coppia [testo, valore]");
    out += ctx.enc(c[0].get<std::string>(), r.where, 255) + "\r\n" + ctx.enc(c[1].get<std::string>(), r.where, 255) +
           "\r\n0\r\n";
  }
  return out;
}

int FieldObject(const TReader& r, int subkind, TFormBuildContext& ctx) {
  auto rec = ctx.w.NewRecord(inputStat);
  rec[4] = uint8_t(subkind);
  PutPString(rec.data() + formrec::Name, 79, ctx.enc(r.Str("field"), r.where + ".field", 79));
  PutPString(rec.data() + formrec::StoredValue, 71, ctx.enc(r.Str("value"), r.where + ".value", 71));
  rec[formrec::SizeChars] = uint8_t(r.Int("size", 0, 0, 255));
  rec[formrec::MemoRows] = uint8_t(r.Int("rows", 4, 0, 255));
  rec[formrec::MemoCols] = uint8_t(r.Int("cols", 30, 0, 255));
  rec[formrec::ShowInitial] = r.Bool("show_initial", true) ? 1 : 0;
  rec[formrec::Checked] = r.Bool("checked", false) ? 1 : 0;
  rec[formrec::MultiSelect] = r.Bool("multi", false) ? 1 : 0;
  std::string payload = subkind == formrec::fkMemo ? ctx.enc(r.Str("text"), r.where + ".text", 65535) : ChoiceList(r, ctx);
  return ctx.w.Add(inputStat, rec, std::vector<uint8_t>(payload.begin(), payload.end()));
}

int ButtonObject(const TReader& r, int action, TFormBuildContext& ctx) {
  auto rec = ctx.w.NewRecord(bottoneCGI);
  rec[4] = uint8_t(action);
  PutPString(rec.data() + formrec::Name, 79, ctx.enc(r.Str("field"), r.where + ".field", 79));
  PutPString(rec.data() + formrec::ButtonValue, 79, ctx.enc(r.Str("caption"), r.where + ".caption", 79));
  const std::string pic = r.Str("picture");
  PutI32(rec.data() + formrec::ButtonPicture, pic.empty() ? -1 : ctx.picture(pic, r.where + ".picture"));
  const std::string link = r.Str("link");
  PutI32(rec.data() + formrec::ButtonLink, link.empty() ? -1 : ctx.target(link, r.where + ".link"));
  for (int off : {formrec::ButtonSyncW, formrec::ButtonSyncH, formrec::ButtonDispW, formrec::ButtonDispH})
    PutI16(rec.data() + off, 0);
  return ctx.w.Add(bottoneCGI, rec);
}

int MediaObject(const TReader& r, int subkind, TFormBuildContext& ctx) {
  auto rec = ctx.w.NewRecord(multiMedia);
  rec[4] = uint8_t(subkind);
  const std::string file = r.Str("file");
  PutI32(rec.data() + mediarec::MediaFile, file.empty() ? -1 : MakeId(genLink, ctx.file(file, r.where + ".file")));
  rec[mediarec::AutoPlay] = r.Bool("auto_play", false) ? 1 : 0;
  PutI16(rec.data() + mediarec::Repeat, int16_t(r.Int("repeat", 1, -1, 32767)));
  PutI16(rec.data() + mediarec::Width, int16_t(r.Int("width", 160, 1, 32767)));
  PutI16(rec.data() + mediarec::Height, int16_t(r.Int("height", 120, 1, 32767)));
  rec[mediarec::Percent] = r.Bool("percent", false) ? 1 : 0;
  PutI32(rec.data() + mediarec::IconPicture, -1);
  return ctx.w.Add(multiMedia, rec);
}

}  // namespace

std::map<std::string, TObjId> ReadFormObjects(const json& list, TFormBuildContext& ctx) {
  std::map<std::string, TObjId> ids;
  if (!list.is_array()) Fail("forms: attesa una lista");
  for (size_t i = 0; i < list.size(); ++i) {
    const std::string where = "forms[" + std::to_string(i) + "]";
    if (!list[i].is_object()) Fail(where + ": atteso un oggetto JSON");
    CheckKeys(list[i], {"name", "type", "field", "value", "size", "rows", "cols", "show_initial", "checked", "multi",
                        "choices", "text", "caption", "picture", "link", "mode", "address", "file", "auto_play",
                        "repeat", "width", "height", "percent"}, where);
    TReader r{list[i], where};
    const std::string name = r.Str("name");
    if (name.empty()) Fail(where + ": manca \"name\"");
    if (ids.count(name)) Fail(where + ": nome \"" + name + "\" ripetuto");
    auto t = Types().find(r.Str("type"));
    if (t == Types().end()) Fail(where + ": \"type\" sconosciuto: \"" + r.Str("type") + "\"");
    const auto [kind, sub] = t->second;
    int index = 0;
    if (kind == inizioForm) {
      auto rec = ctx.w.NewRecord(inizioForm);
      rec[4] = uint8_t(r.Int("mode", 1, 1, 5));
      PutPString(rec.data() + formrec::Address, 255, ctx.enc(r.Str("address"), where + ".address", 255));
      index = ctx.w.Add(inizioForm, rec);
    } else if (kind == inputStat) {
      index = FieldObject(r, sub, ctx);
    } else if (kind == bottoneCGI) {
      index = ButtonObject(r, sub, ctx);
    } else {
      index = MediaObject(r, sub, ctx);
    }
    ids[name] = MakeId(kind, index);
  }
  return ids;
}
