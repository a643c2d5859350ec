#include "platform/system.h"

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

std::string TPosixSystem::TempPath() {
  const char* t = std::getenv("TMPDIR");
  std::string p = (t && *t) ? t : "/tmp";
  while (p.size() > 1 && p.back() == '/') p.pop_back();
  return p;
}

std::string TPosixSystem::UserName() {
  if (passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_name) return pw->pw_name;
  const char* u = std::getenv("USER");
  return u ? u : "";
}

int CodePageForLocale(const std::string& locale) {
  std::string lang = locale.substr(0, locale.find_first_of("_.@"));
  static const struct { const char* lang; int cp; } table[] = {
      {"cs", 1250}, {"pl", 1250}, {"hu", 1250}, {"sk", 1250}, {"sl", 1250}, {"hr", 1250}, {"ro", 1250},
      {"sq", 1250}, {"bs", 1250}, {"ru", 1251}, {"uk", 1251}, {"be", 1251}, {"bg", 1251}, {"sr", 1251},
      {"mk", 1251}, {"el", 1253}, {"tr", 1254}, {"az", 1254}, {"he", 1255}, {"ar", 1256}, {"fa", 1256},
      {"ur", 1256}, {"et", 1257}, {"lv", 1257}, {"lt", 1257}, {"vi", 1258}};
  for (auto& e : table)
    if (lang == e.lang) return e.cp;
  return 1252;
}

int TPosixSystem::AnsiCodePage() {
  for (const char* var : {"LC_ALL", "LC_CTYPE", "LANG"})
    if (const char* v = std::getenv(var); v && *v) return CodePageForLocale(v);
  return 1252;
}

uint32_t TPosixSystem::MainWindowHandle() { return static_cast<uint32_t>(::getpid()); }

std::string TConsoleSink::Caption(TMsgKind kind) {
  switch (kind) {
    case TMsgKind::Information: return "Informazione";
    case TMsgKind::Warning: return "Attenzione!";
    case TMsgKind::Error: return "Errore!";
    case TMsgKind::Question: return "[Lectra Norvane]";
  }
  return {};
}

std::string TConsoleSink::OneLine(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\r' || c == '\n') {
      out += "\\n";
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      out.push_back(c);
    }
  }
  return out;
}

bool TConsoleSink::Message(TMsgKind kind, const std::string& text) {
  const std::string caption = translate_ ? translate_(Caption(kind)) : Caption(kind);
  std::fprintf(stderr, "%s: %s\n", caption.c_str(), OneLine(translate_ ? translate_(text) : text).c_str());
  std::fflush(stderr);
  return false;
}
