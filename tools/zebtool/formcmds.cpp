#include "formcmds.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include <nlohmann/json.hpp>

#include "document/formsubmit.h"
#include "document/strutil.h"
#include "document/zebset.h"
#include "platform/settings.h"
#include "platform/system.h"

using json = nlohmann::ordered_json;

namespace {

// Each byte as the character of the same number, so that the JSON shows the
// bytes exactly whatever the ebook's code page.
std::string Bytes(const std::string& s) {
  std::string out;
  out.reserve(s.size());
  for (unsigned char c : s) {
    if (c < 0x80) {
      out += char(c);
    } else {
      out += char(0xC0 | (c >> 6));
      out += char(0x80 | (c & 0x3F));
    }
  }
  return out;
}

struct TOptions {
  std::vector<std::pair<std::string, std::string>> values, selects;
  std::vector<std::string> checks, unchecks;
};

bool SplitPair(const char* arg, std::pair<std::string, std::string>& out) {
  const char* eq = std::strchr(arg, '=');
  if (!eq || eq == arg) return false;
  out = {std::string(arg, eq), std::string(eq + 1)};
  return true;
}

bool ParseOptions(int argc, char** argv, TOptions& o) {
  for (int i = 5; i < argc; i += 2) {
    if (i + 1 >= argc) return false;
    std::string opt = argv[i];
    std::pair<std::string, std::string> kv;
    if (opt == "--value" && SplitPair(argv[i + 1], kv)) o.values.push_back(kv);
    else if (opt == "--select" && SplitPair(argv[i + 1], kv)) o.selects.push_back(kv);
    else if (opt == "--check") o.checks.push_back(argv[i + 1]);
    else if (opt == "--uncheck") o.unchecks.push_back(argv[i + 1]);
    else return false;
  }
  return true;
}

bool ParseIndex(const std::string& s, int& v) {
  char* end = nullptr;
  long l = std::strtol(s.c_str(), &end, 10);
  if (s.empty() || *end || l < INT32_MIN || l > INT32_MAX) return false;
  v = int(l);
  return true;
}

// Applies the options to every field of the given name (names are in the
// ebook's code page; options arrive in UTF-8).
bool Apply(std::vector<std::unique_ptr<TFieldModel>>& fields, const TOptions& o, const TCodePage& cp) {
  auto each = [&](const std::string& utf8Name, auto fn) {
    const std::string name = cp.FromUtf8(utf8Name);
    for (auto& f : fields)
      if (formrec::IsFormField(f->FormObject().Kind()) && formrec::FieldName(f->FormObject()) == name) fn(*f);
  };
  for (auto& [n, v] : o.values) each(n, [&](TFieldModel& f) { f.SetValue(cp.FromUtf8(v)); });
  for (auto& n : o.checks) each(n, [](TFieldModel& f) { f.SetChecked(true); });
  for (auto& n : o.unchecks) each(n, [](TFieldModel& f) { f.SetChecked(false); });
  for (auto& [n, v] : o.selects) {
    int idx = 0;
    if (!ParseIndex(v, idx)) return false;
    each(n, [&](TFieldModel& f) { f.Select(idx); });
  }
  return true;
}

json FieldsJson(const std::vector<IFormItem*>& items, TFormRange range) {
  json j = json::object();
  for (int i = std::max(range.start, 0); i < range.end; ++i) {
    const TZEBoggetto& o = items[i]->FormObject();
    if (!formrec::IsFormField(o.Kind())) continue;
    const std::string name = Bytes(formrec::FieldName(o));
    const std::string value = Bytes(items[i]->GetValue());
    // Radio buttons of one group share a name: the checked one speaks for it.
    if (!j.contains(name) || !value.empty()) j[name] = value;
  }
  return j;
}

}  // namespace

int RunSubmit(int argc, char** argv) {
  TOptions opts;
  if (argc < 5 || !ParseOptions(argc, argv, opts)) {
    std::fputs("uso: zebtool submit FILE PAGE BUTTON [--value NOME=TESTO]... [--check NOME]... "
               "[--uncheck NOME]... [--select NOME=N]...\n", stderr);
    return 2;
  }
  TConsoleSink sink;
  TIniSettings settings;
  TPosixSystem system;
  TZEBset doc{TServices{&sink, &settings, &system}};
  if (!doc.Open(argv[2])) return 1;
  int pageIndex = 0;
  TObjId buttonId = 0;
  TZEBtesto* page = ParseIndex(argv[3], pageIndex) ? doc.Page(pageIndex) : nullptr;
  if (!page) {
    std::fprintf(stderr, "Pagina inesistente: %s\n", argv[3]);
    return 1;
  }
  if (std::strlen(argv[4]) != 8 || !str::HexToId(argv[4], buttonId)) {
    std::fprintf(stderr, "Pulsante inesistente: %s\n", argv[4]);
    return 1;
  }
  std::vector<std::unique_ptr<TFieldModel>> models;
  std::vector<IFormItem*> items;
  int button = -1;
  for (TZEBoggetto* o : page->ReferencedObjects()) {
    if (o->Id() == buttonId && o->Kind() == bottoneCGI) button = int(items.size());
    models.push_back(std::make_unique<TFieldModel>(*o));
    items.push_back(models.back().get());
  }
  if (button < 0) {
    std::fprintf(stderr, "Pulsante inesistente nella pagina: %s\n", argv[4]);
    return 1;
  }
  if (!Apply(models, opts, doc.CodePage())) return 2;
  const std::string ebookName = std::filesystem::path(doc.ZEBFileName()).filename().string();
  TFormAction a = PressFormButton(items, button, ebookName);
  json j;
  j["action"] = ActionName(a.kind);
  j["mode"] = a.mode;
  j["address"] = Bytes(a.address);
  j["text"] = Bytes(a.text);
  j["fields"] = FieldsJson(items, FindForm(items, button));
  if (a.kind == TFormAction::File) j["file_text"] = Bytes(a.fileText);
  if (a.kind == TFormAction::Link) j["link"] = str::IdToHex(a.link);
  std::string s = j.dump(2, ' ', false, json::error_handler_t::replace);
  std::fwrite(s.data(), 1, s.size(), stdout);
  std::fputc('\n', stdout);
  return 0;
}
