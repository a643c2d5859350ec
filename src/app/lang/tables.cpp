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

extern const TFormTables MainFormTables, FaboutTables, FseparatoTables, FFilesTables, MessagesTables;

namespace {

const TFormTables* const Tables[] = {&MainFormTables, &FaboutTables, &FseparatoTables, &FFilesTables,
                                     &MessagesTables};

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

std::string TranslateMessage(const std::string& text) {
  if (ReaderLanguage() != "eng") return text;
  static const TMessagePairs messages;
  for (const auto& [ita, eng] : messages.pairs)
    if (!ita.empty() && text.compare(0, ita.size(), ita) == 0) return eng + text.substr(ita.size());
  return text;
}

QString Tr(const char* italian) { return QString::fromStdString(TranslateMessage(italian)); }
