// Names computed from other objects and the hint texts of links.
#include "document/pathutil.h"
#include "document/strutil.h"
#include "document/zebobject.h"
#include "document/zebset.h"

namespace {
// Names and descriptions may follow references to other objects; a damaged
// file can make such references form a loop, so the chain is cut short.
thread_local int g_followDepth = 0;
struct FollowGuard {
  bool ok;
  FollowGuard() : ok(++g_followDepth <= 8) {}
  ~FollowGuard() { --g_followDepth; }
};
}  // namespace

std::string TZEBoggetto::ComputedName() const {
  auto nameOf = [this](int off) {
    FollowGuard guard;
    TZEBoggetto* o = doc_ ? doc_->ObjectById(rec_.I32(off)) : nullptr;
    return guard.ok && o && o != this ? o->Name() : std::string();
  };
  const uint8_t s = State();
  if (kind_ == speclink) {
    switch (s) {
      case 1: return rec_.Byte(18) == 6 ? "--" : nameOf(13);
      case 2: return "Chiudi finestra: " + rec_.Str(19, 44);
      case 3: return "finestra parole chiave";
      case 4: return "pagina precedente";
      case 5: return "pagina successiva";
      case 6: return "Auto import";
      case 7: return "Aggiungi nel carrello della spesa: ";
      case 8: return "Stampa la corrente cornice/frame/finestra.";
      case 9: return "Stampa la cornice/frame: " + rec_.Str(19, 44);
      case 10: return "Collegamento \"plugin\": ";
      default: return {};
    }
  }
  static const char* const captions[] = {"Riferimento a immagine:", "Riferimento a pagina o link:",
                                         "Qui verr\xE0 riportato tutto il testo della pagina:",
                                         "Riferimento a oggetto fondamentale:",
                                         "Qui verr\xE0 riportata la dimensione X",
                                         "Qui verr\xE0 riportata la dimensione Y"};
  switch (s) {
    case 10: return str::DecodeEntities(MainPayload());
    case 11: case 12: return AttributeText().substr(0, 400);
    case 13: return nameOf(5);
    case 14: return "Ancora: a" + std::to_string(rec_.I32(5));
    case 21: case 22: case 23: case 24: return std::string(captions[s - 21]) + " " + nameOf(5);
    case 25: case 26: return captions[s - 21];
    case 27: case 28:
      return HasMainPayload() ? MainPayload() : "File #" + std::to_string(rec_.I32(5));
    default: return {};
  }
}

std::string TZEBoggetto::DescriptionRaw() const {
  if (IsDeleted()) return "Non definito.";
  auto twice = [](const std::string& a, const char* mid, const std::string& b) { return a + "|" + mid + b; };
  switch (kind_) {
    case testoHtml: return twice(Name(), "Collegamento a: ", Name());
    case internetLink: {
      std::string t = Name();
      if (str::StartsWithNoCase(t, "lumo:") && doc_) {
        TEbookLink l = doc_->ResolveEbookLink(t, 0);
        std::string title;
        if (l.same) {
          if (TZEBoggetto* p = doc_->ObjectAt(testoHtml, l.page)) title = p->Name();
        } else {
          title = TZEBset::PageTitleInFile(l.path, l.page);
        }
        if (title.empty()) title = FileNamePart(l.path) + " (" + std::to_string(l.page) + ")";
        return twice(title, "Collegamento a: ", title);
      }
      if (str::StartsWithNoCase(t, "mailto:")) return twice(t.substr(7), "Collegamento a e-mail: ", t.substr(7));
      if (str::StartsWithNoCase(t, "prog:") || str::StartsWithNoCase(t, "run:")) return {};
      return twice(t, "Collegamento a: ", t);
    }
    case genLink: return twice(FileName(), "Collegamento a file: ", FileName());
    case immagine: return Name();
    case speclink: {
      std::string p = MainPayload();
      switch (State()) {
        case 1: {
          FollowGuard guard;
          TZEBoggetto* o = doc_ ? doc_->ObjectById(rec_.I32(13)) : nullptr;
          return guard.ok && o && o != this ? o->Description() : std::string();
        }
        case 3: return "Parole chiave|Collegamento a: finestra parole chiave";
        case 4: return "pagina precedente|Collegamento a: pagina precedente";
        case 5: return "pagina successiva|Collegamento a: pagina successiva";
        case 6: return p.empty() ? "Auto import" : p + "|Auto import:" + p;
        case 7: {
          std::string s = "Aggiungi nel carrello della spesa: " + p;
          return s + "|" + s;
        }
        case 8: return "Stampa la corrente cornice/frame/finestra.|Stampa la corrente cornice/frame/finestra.";
        case 9: {
          std::string f = rec_.Str(19, 44);
          if (str::EqualsNoCase(f, "_showprint")) return "Stampa la cornice/frame: ";
          return "Stampa la cornice/frame: " + f + "|Stampa la cornice/frame: " + f;
        }
        case 10: {
          size_t at = p.find("$$mavo-heads$$");
          if (at != std::string::npos) p.erase(at, 14);
          std::string s = "Collegamento \"plugin\": " + p;
          return s + "|" + s;
        }
        default: return {};
      }
    }
    case shortObj:
      if (State() == 10 && rec_.Byte(17) != 0) return str::DecodeEntities(MainPayload());
      return {};
    case custom: return Name() + "|Custom  " + Name();
    default: return {};
  }
}

std::string TZEBoggetto::Description() const {
  std::string d = DescriptionRaw();
  // A leading "{...}" block carries authoring data, not hint text.
  size_t open = d.find('{');
  if (open != std::string::npos && open <= 1) {
    size_t close = d.find('}', open + 1);
    if (close != std::string::npos) d.erase(0, close + 1);
  }
  return d;
}

