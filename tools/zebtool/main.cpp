// zebtool: inspect, extract from and build ebooks from the command line.
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

#include <nlohmann/json.hpp>

#include "build.h"
#include "fetch.h"
#include "copycmds.h"
#include "formcmds.h"
#include "searchcmds.h"
#include "textcmds.h"
#include "document/strutil.h"
#include "document/zebpicture.h"
#include "document/zebset.h"
#include "platform/settings.h"
#include "platform/system.h"

using json = nlohmann::ordered_json;

namespace {

int Usage() {
  std::fputs(
      "uso: zebtool info FILE | objects FILE [KIND] | object FILE ID | text FILE PAGE |\n"
      "             markup FILE PAGE | seq FILE PAGE | extract FILE ID OUT | picture FILE ID |\n"
      "             link FILE LINK | paragraphs FILE PAGE | layout FILE PAGE --width W [--zoom Z] |\n"
      "             rewrite FILE PAGE | build MANIFEST OUT | fetch URL OUT | toc FILE | keywords FILE |\n"
      "             search FILE WORD [--and A] [--or O] [--or-and B] [--case-sensitive] [--from N] [--all] |\n"
      "             copy FILE PAGE [--from P --to Q] --format text|rtf|html |\n"
      "             export FILE OUT-FOLDER [--format html|text|rtf] |\n"
      "             submit FILE PAGE BUTTON [--value N=T] [--check N] [--uncheck N] [--select N=I]\n",
      stderr);
  return 2;
}

void Print(const json& j) {
  std::string s = j.dump(2, ' ', false, json::error_handler_t::replace);
  std::fwrite(s.data(), 1, s.size(), stdout);
  std::fputc('\n', stdout);
}

bool ParseInt(const char* s, int& v) {
  char* end = nullptr;
  long l = std::strtol(s, &end, 10);
  if (!*s || *end || l < INT32_MIN || l > INT32_MAX) return false;
  v = static_cast<int>(l);
  return true;
}

// Counts what it printed, so that a failure is reported once.
struct TToolSink : TConsoleSink {
  int said = 0;
  bool Message(TMsgKind kind, const std::string& text) override {
    ++said;
    return TConsoleSink::Message(kind, text);
  }
  bool Said() const { return said > 0; }
};

struct Tool {
  TToolSink sink;
  TIniSettings settings;
  TPosixSystem system;
  TZEBset doc{TServices{&sink, &settings, &system}};

  std::string U(const std::string& bytes) { return doc.CodePage().ToUtf8(bytes); }

  json Info() {
    json j;
    j["title"] = U(doc.Title());
    j["author"] = U(doc.HeaderString(hdr::Author, 79));
    j["company"] = U(doc.HeaderString(hdr::Company, 79));
    j["rights"] = U(doc.HeaderString(hdr::Rights, 79));
    j["export_prefix"] = U(doc.ExpPrefix());
    j["version"] = doc.Version();
    j["last_kind"] = doc.HeaderByte(hdr::LastKind);
    j["cover_page"] = doc.CoverPage();
    j["summary_page"] = doc.SummaryPage();
    j["fixed_font"] = U(doc.HeaderString(hdr::FixedFont, 39));
    j["proportional_font"] = U(doc.HeaderString(hdr::PropFont, 39));
    j["default_header"] = doc.HeaderI32(hdr::DefaultHeader);
    j["default_footer"] = doc.HeaderI32(hdr::DefaultFooter);
    j["contents_available"] = doc.HeaderByte(hdr::ContentsAvailable) != 0;
    j["fullscreen"] = doc.HeaderByte(hdr::FullScreen) != 0;
    j["window_presentation"] = doc.HeaderByte(hdr::WindowPresentation);
    j["charset"] = U(doc.CharSet());
    j["font_charset"] = doc.FontCharSet();
    j["global_margin"] = doc.GlobalMargin();
    json props = json::object();
    for (auto& [k, v] : doc.DocProperties()) props[U(k)] = U(v);
    j["properties"] = props;
    json counts = json::object();
    for (int k = 0; k < KindCount; ++k) counts[KindName(k)] = doc.Count(k);
    j["counts"] = counts;
    return j;
  }

  json Object(TZEBoggetto& o) {
    json j;
    j["id"] = str::IdToHex(o.Id());
    j["kind"] = KindName(o.Kind());
    j["index"] = o.Index();
    j["state"] = o.State();
    j["deleted"] = o.IsDeleted();
    j["name"] = U(o.Name());
    j["file_name"] = U(o.FileName());
    j["description"] = U(o.Description());
    j["main_size"] = o.MainSize();
    j["attributes"] = U(o.GetAttribute("allfields"));
    if (o.Kind() == testoHtml) {
      j["header"] = o.Rec().I32(231);
      j["footer"] = o.Rec().I32(235);
    }
    return j;
  }

  TZEBtesto* PageArg(const char* s) {
    int n = 0;
    return ParseInt(s, n) ? doc.Page(n) : nullptr;
  }

  TZEBoggetto* IdArg(const char* s) {
    TObjId id = 0;
    return str::HexToId(s, id) && std::strlen(s) == 8 ? doc.ObjectById(id) : nullptr;
  }
};

int Run(int argc, char** argv) {
  if (argc < 3) return Usage();
  const std::string cmd = argv[1];
  if (cmd == "build") return argc == 4 ? RunBuild(argv[2], argv[3]) : Usage();
  if (cmd == "fetch") return argc == 4 ? RunFetch(argv[2], argv[3]) : Usage();
  if (cmd == "copy" || cmd == "export") {
    const int status = argc >= 4 ? RunCopyCommands(argc, argv) : -1;
    return status < 0 ? Usage() : status;
  }
  if (cmd == "submit") return RunSubmit(argc, argv);
  if (IsSearchCommand(cmd)) {
    const int status = RunSearchCommand(argc, argv);
    return status == 2 ? Usage() : status;
  }
  static const struct { const char* name; int minArgs, maxArgs; } cmds[] = {
      {"info", 3, 3}, {"objects", 3, 4}, {"object", 4, 4}, {"text", 4, 4}, {"markup", 4, 4},
      {"seq", 4, 4},  {"extract", 5, 5}, {"picture", 4, 4}, {"link", 4, 4},
      {"paragraphs", 4, 4}, {"layout", 6, 8}, {"rewrite", 4, 4}};
  bool known = false;
  for (auto& c : cmds)
    if (cmd == c.name) known = argc >= c.minArgs && argc <= c.maxArgs;
  if (!known) return Usage();
  int kindFilter = -1;
  if (cmd == "objects" && argc == 4 && (kindFilter = KindFromName(argv[3])) < 0) return Usage();

  int width = -1, zoom = 10;
  if (cmd == "layout") {
    for (int i = 4; i + 1 < argc; i += 2) {
      std::string opt = argv[i];
      int* target = opt == "--width" ? &width : opt == "--zoom" ? &zoom : nullptr;
      if (!target || !ParseInt(argv[i + 1], *target)) return Usage();
    }
    if (argc % 2 != 0 || width <= 0 || zoom < 1 || zoom > 100) return Usage();
  }

  Tool t;
  if (!t.doc.Open(argv[2])) return 1;
  if (cmd == "info") {
    Print(t.Info());
  } else if (cmd == "objects") {
    json arr = json::array();
    for (int k = 0; k < KindCount; ++k) {
      if (kindFilter >= 0 && k != kindFilter) continue;
      for (int i = 0; i < t.doc.Count(k); ++i)
        if (TZEBoggetto* o = t.doc.ObjectAt(k, i)) arr.push_back(t.Object(*o));
    }
    Print(arr);
  } else if (cmd == "object") {
    TZEBoggetto* o = t.IdArg(argv[3]);
    Print(o ? t.Object(*o) : json(nullptr));
    if (!o) return 1;
  } else if (cmd == "text" || cmd == "markup") {
    TZEBtesto* p = t.PageArg(argv[3]);
    if (!p) return 1;
    std::string out;
    if (cmd == "text") {
      out = t.U(p->PlainText());
    } else {
      out = p->MainPayload();
      out = out.substr(0, out.find('\0'));
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
  } else if (cmd == "seq") {
    TZEBtesto* p = t.PageArg(argv[3]);
    if (!p) return 1;
    json j;
    j["previous"] = p->PreviousPage()->Index();
    j["next"] = p->NextPage()->Index();
    Print(j);
  } else if (cmd == "extract") {
    TZEBoggetto* o = t.IdArg(argv[3]);
    if (!o) return 1;
    switch (o->Extract(argv[4], TCreateMode::Replace)) {
      case TExtractResult::Ok: break;
      case TExtractResult::ReadFailed:
        // The document has said which file it could not read.
        if (!t.doc.ReadFailed()) t.sink.Message(TMsgKind::Error, TZEBset::ReadErrorText(argv[2]));
        return 1;
      case TExtractResult::WriteFailed:
        t.sink.Message(TMsgKind::Error, std::string("Errore nella scorporazione file: ") + argv[4]);
        return 1;
    }
  } else if (cmd == "picture") {
    TZEBoggetto* o = t.IdArg(argv[3]);
    if (!o) return 1;
    TZEBpicture* pic = o->Picture();
    if (!pic || pic->Empty()) {
      // A failed read or extraction has been reported; a picture that is not
      // one is reported here.
      if (!t.doc.ReadFailed() && !t.sink.Said())
        t.sink.Message(TMsgKind::Error, "Immagine non leggibile: " + std::string(argv[3]));
      return 1;
    }
    json j;
    j["width"] = pic->Width();
    j["height"] = pic->Height();
    j["frames"] = pic->FrameCount();
    Print(j);
  } else if (cmd == "paragraphs" || cmd == "layout" || cmd == "rewrite") {
    TZEBtesto* p = t.PageArg(argv[3]);
    if (!p) return 1;
    if (cmd == "paragraphs") {
      Print(ParagraphsJson(t.doc, *p));
    } else if (cmd == "layout") {
      Print(LayoutJson(t.doc, *p, width, zoom));
    } else {
      std::string out = RewriteMarkup(t.doc, *p);
      std::fwrite(out.data(), 1, out.size(), stdout);
    }
  } else if (cmd == "link") {
    TEbookLink l = t.doc.ResolveEbookLink(argv[3], 0);
    json j;
    j["ebook"] = l.isEbook;
    j["path"] = l.path;
    j["same"] = l.same;
    j["page"] = l.page;
    Print(j);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Run(argc, argv);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "Errore!: %s\n", e.what());
    return 1;
  }
}
