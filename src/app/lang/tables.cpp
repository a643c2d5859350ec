// The built-in language tables: one file per form under tables/, one entry here.
#include <QString>
#include <algorithm>
#include <cstdlib>
#include <map>
#include <mutex>

#include "app/lang/oxlangs.h"
#include "app/lang/tables.h"
#include "document/codepage.h"
#include "document/strutil.h"

extern const TFormTables MainFormTables, FaboutTables, FseparatoTables, FFilesTables, FcercaTables, FprintTables,
    FemailTables, FAskNameTables, FdownloadTables, MessagesTables;

namespace {

const TFormTables* const Tables[] = {&MainFormTables, &FaboutTables,   &FseparatoTables, &FFilesTables,
                                     &FcercaTables,   &FprintTables,   &FemailTables,    &FAskNameTables,
                                     &FdownloadTables, &MessagesTables};

std::string forcedLanguage;

bool English(const char* value) {
  return value && (std::string(value).rfind("en_", 0) == 0 || std::string(value) == "en");
}

// Italian and English texts of the message table, as pairs.
struct TMessagePairs {
  std::vector<std::pair<std::string, std::string>> pairs;
  TMessagePairs() {
    TOxLanguager ita(nullptr), eng(nullptr);
    ita.SetLocalizationString(BuiltInTable("Messages", "ita"));
    eng.SetLocalizationString(BuiltInTable("Messages", "eng"));
    const int n = str::ToIntDef(ita.Lookup("_.messages_items", "Count", "0"), 0);
    const TCodePage cp("windows-1252");
    for (int i = 0; i < n; ++i) {
      const std::string item = "Item" + std::to_string(i);
      pairs.emplace_back(cp.ToUtf8(ita.Lookup("_.messages_items", item, "")),
                         cp.ToUtf8(eng.Lookup("_.messages_items", item, "")));
    }
    // Longer beginnings first, so that one text that begins another does not win.
    std::stable_sort(pairs.begin(), pairs.end(),
                     [](const auto& a, const auto& b) { return a.first.size() > b.first.size(); });
  }
};

}  // namespace

std::string ReaderLanguage() {
  if (!forcedLanguage.empty()) return forcedLanguage;
  for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* v = std::getenv(var);
    // The neutral locales name no language: the next variable decides.
    if (!v || !*v || std::string(v) == "C" || std::string(v).rfind("C.", 0) == 0 || std::string(v) == "POSIX")
      continue;
    return English(v) ? "eng" : "ita";
  }
  return "ita";
}

void SetReaderLanguage(const std::string& code) { forcedLanguage = code; }

std::string BuiltInTable(const std::string& form, const std::string& language) {
  static const TCodePage cp("windows-1252");
  for (const TFormTables* t : Tables)
    if (str::EqualsNoCase(form, t->form)) return cp.FromUtf8(language == "eng" ? t->eng : t->ita);
  return {};
}

std::string BuiltInTable(const std::string& form) { return BuiltInTable(form, ReaderLanguage()); }

std::vector<std::string> TableForms() {
  std::vector<std::string> out;
  for (const TFormTables* t : Tables) out.push_back(t->form);
  return out;
}

namespace {

// Matches a message against an Italian item in which each "%s" stands for
// any text; the texts found fill the English item's "%s" in order. What
// follows the item's last part is kept as it is. A final "%s" takes the rest
// of the message: a reason given inside it, a message of its own, which is
// translated too (up to a small depth); names and paths stand elsewhere.
std::string Translate(const std::string& text, int depth);

bool TranslateItem(const std::string& ita, const std::string& eng, const std::string& text, int depth,
                   std::string& out) {
  std::vector<std::string> fills;
  size_t at = 0, from = 0;
  for (size_t mark; (mark = ita.find("%s", from)) != std::string::npos; from = mark + 2) {
    const std::string part = ita.substr(from, mark - from);
    if (from == 0) {
      if (text.compare(0, part.size(), part) != 0) return false;
      at = part.size();
      continue;
    }
    const size_t found = text.find(part, at);
    if (found == std::string::npos) return false;
    fills.push_back(text.substr(at, found - at));
    at = found + part.size();
  }
  const std::string last = ita.substr(from);
  if (from == 0) {
    if (text.compare(0, last.size(), last) != 0) return false;
    at = last.size();
  } else if (last.empty()) {
    const std::string rest = text.substr(at);
    fills.push_back(depth < 2 ? Translate(rest, depth + 1) : rest);
    at = text.size();
  } else {
    const size_t found = text.find(last, at);
    if (found == std::string::npos) return false;
    fills.push_back(text.substr(at, found - at));
    at = found + last.size();
  }
  out.clear();
  size_t fill = 0, start = 0;
  for (size_t mark; (mark = eng.find("%s", start)) != std::string::npos; start = mark + 2) {
    out += eng.substr(start, mark - start);
    if (fill < fills.size()) out += fills[fill++];
  }
  out += eng.substr(start) + text.substr(at);
  return true;
}

std::string Translate(const std::string& text, int depth) {
  static const TMessagePairs messages;
  std::string out;
  for (const auto& [ita, eng] : messages.pairs)
    if (!ita.empty() && TranslateItem(ita, eng, text, depth, out)) return out;
  return text;
}

}  // namespace

std::string TranslateMessage(const std::string& text) {
  return ReaderLanguage() == "eng" ? Translate(text, 0) : text;
}

QString Tr(const char* italian) { return QString::fromStdString(TranslateMessage(italian)); }
