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

// Matches a message against an Italian item in which each "%s" or "%m"
// stands for any text; the texts found fill the English item's marks in
// order. A "%m" stands for a message of its own (the reason given inside
// another), translated too, up to a small depth; a "%s" for a name or a path,
// kept as it is. What follows the item's last part is kept as it is.
std::string Translate(const std::string& text, int depth);

size_t NextMark(const std::string& s, size_t from) {
  for (size_t at = s.find('%', from); at != std::string::npos; at = s.find('%', at + 1))
    if (at + 1 < s.size() && (s[at + 1] == 's' || s[at + 1] == 'm')) return at;
  return std::string::npos;
}

bool TranslateItem(const std::string& ita, const std::string& eng, const std::string& text, int depth,
                   std::string& out) {
  std::vector<std::string> fills;
  size_t at = 0, from = 0;
  bool message = false;  // the mark before the part being matched is a "%m"
  auto fill = [&](std::string found) {
    fills.push_back(message && depth < 2 ? Translate(found, depth + 1) : std::move(found));
  };
  for (size_t mark = NextMark(ita, 0);; mark = NextMark(ita, from)) {
    const std::string part = ita.substr(from, mark == std::string::npos ? std::string::npos : mark - from);
    if (from == 0) {
      if (text.compare(0, part.size(), part) != 0) return false;
      at = part.size();
    } else if (part.empty() && mark == std::string::npos) {
      fill(text.substr(at));  // a final mark takes the rest
      at = text.size();
    } else {
      const size_t found = text.find(part, at);
      if (found == std::string::npos) return false;
      fill(text.substr(at, found - at));
      at = found + part.size();
    }
    if (mark == std::string::npos) break;
    message = ita[mark + 1] == 'm';
    from = mark + 2;
  }
  out.clear();
  size_t next = 0, start = 0;
  for (size_t mark; (mark = NextMark(eng, start)) != std::string::npos; start = mark + 2) {
    out += eng.substr(start, mark - start);
    if (next < fills.size()) out += fills[next++];
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
