// Names computed from other objects and the hint texts of links.
#include "document/pathutil.h"
#include "document/recordformat.h"
#include "document/strutil.h"
#include "document/zebobject.h"
#include "document/zebset.h"

namespace {
// Names and descriptions may follow references to other objects; a damaged
// file can make such references form a loop, so the chain is cut short.
// The depth is the document's: objects only refer to objects of their own.
struct FollowGuard {
  int* depth;
  bool ok;
  explicit FollowGuard(const TZEBset* doc) : depth(doc ? &doc->FollowDepth() : nullptr), ok(!depth || ++*depth <= 8) {}
  ~FollowGuard() {
    if (depth) --*depth;
  }
};
}  // namespace

std::string TZEBoggetto::ComputedName() const {
  auto nameOf = [this](int off) {
    FollowGuard guard(doc_);
    TZEBoggetto* o = doc_ ? doc_->ObjectById(rec_.I32(off)) : nullptr;
    return guard.ok && o && o != this ? o->Name() : std::string();
  };
  const uint8_t s = State();
  if (kind_ == speclink) {
    using A = TSpecAction;
    const std::string window = rec_.Str(fld::special::WindowName, fld::special::WindowNameLen);
    switch (static_cast<A>(s)) {
      case A::GoTo:
        return rec_.Byte(fld::special::TargetMode) == uint8_t(TSpecTarget::Anchor) ? "--"
                                                                                    : nameOf(fld::special::Target);
      case A::CloseWindow: return "Chiudi finestra: " + window;
      case A::Keywords: return "finestra parole chiave";
      case A::PreviousPage: return "pagina precedente";
      case A::NextPage: return "pagina successiva";
      case A::AutoImport: return "Auto import";
      case A::AddToCart: return "Aggiungi nel carrello della spesa: ";
      case A::PrintCurrent: return "Stampa la corrente cornice/frame/finestra.";
      case A::PrintFrame: return "Stampa la cornice/frame: " + window;
      case A::Plugin: return "Collegamento \"plugin\": ";
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
    case 13: return nameOf(fld::shortRef::Reference);
    case 14: return "Ancora: a" + std::to_string(rec_.I32(fld::shortRef::Reference));
    case 21: case 22: case 23: case 24: return std::string(captions[s - 21]) + " " + nameOf(fld::shortRef::Reference);
    case 25: case 26: return captions[s - 21];
    case 27: case 28:
      return HasMainPayload() ? MainPayload() : "File #" + std::to_string(rec_.I32(fld::shortRef::Reference));
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
      if (str::StartsWith(t, "lumo:") && doc_) {
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
      using A = TSpecAction;
      switch (static_cast<A>(State())) {
        case A::GoTo: {
          FollowGuard guard(doc_);
          TZEBoggetto* o = doc_ ? doc_->ObjectById(rec_.I32(fld::special::Target)) : nullptr;
          return guard.ok && o && o != this ? o->Description() : std::string();
        }
        case A::Keywords: return "Parole chiave|Collegamento a: finestra parole chiave";
        case A::PreviousPage: return "pagina precedente|Collegamento a: pagina precedente";
        case A::NextPage: return "pagina successiva|Collegamento a: pagina successiva";
        case A::AutoImport: return p.empty() ? "Auto import" : p + "|Auto import:" + p;
        case A::AddToCart: {
          std::string s = "Aggiungi nel carrello della spesa: " + p;
          return s + "|" + s;
        }
        case A::PrintCurrent:
          return "Stampa la corrente cornice/frame/finestra.|Stampa la corrente cornice/frame/finestra.";
        case A::PrintFrame: {
          std::string f = rec_.Str(fld::special::WindowName, fld::special::WindowNameLen);
          if (str::EqualsNoCase(f, "_showprint")) return "Stampa la cornice/frame: ";
          return "Stampa la cornice/frame: " + f + "|Stampa la cornice/frame: " + f;
        }
        case A::Plugin: {
          size_t at = p.find("$$mavo-heads$$");
          if (at != std::string::npos) p.erase(at, 14);
          std::string s = "Collegamento \"plugin\": " + p;
          return s + "|" + s;
        }
        default: return {};
      }
    }
    case shortObj:
      if (State() == 10 && rec_.Byte(fld::shortRef::ShowText) != 0) return str::DecodeEntities(MainPayload());
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

