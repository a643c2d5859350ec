#include "searchcmds.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <climits>

#include <nlohmann/json.hpp>

#include "document/objectlist.h"
#include "document/strutil.h"
#include "document/zebset.h"
#include "document/zebtoc.h"
#include "platform/collate.h"
#include "platform/settings.h"
#include "platform/system.h"
#include "search/core/ebooksearch.h"

using json = nlohmann::ordered_json;

namespace {

struct TSearchTool {
  TConsoleSink sink;
  TIniSettings settings;
  TPosixSystem system;
  TZEBset doc{TServices{&sink, &settings, &system}};

  std::string U(std::string_view bytes) { return doc.CodePage().ToUtf8(bytes); }
  QString Q(std::string_view bytes) { return QString::fromStdString(U(bytes)); }
};

void Print(const json& j) {
  const std::string s = j.dump(2, ' ', false, json::error_handler_t::replace);
  std::fwrite(s.data(), 1, s.size(), stdout);
  std::fputc('\n', stdout);
}

const char* KindText(TTocKind k) {
  switch (k) {
    case TTocKind::Document: return "document";
    case TTocKind::Chapter: return "chapter";
    case TTocKind::Page: return "page";
    case TTocKind::Plain: return "plain";
    default: return "other";
  }
}

json TocJson(TSearchTool& t, const std::vector<TTocNode>& nodes) {
  json arr = json::array();
  for (const TTocNode& n : nodes) {
    json j;
    j["text"] = t.U(n.text);
    j["kind"] = KindText(n.kind);
    j["id"] = n.kind == TTocKind::Page ? json(str::IdToHex(n.id)) : json(nullptr);
    j["children"] = TocJson(t, n.children);
    arr.push_back(std::move(j));
  }
  return arr;
}

// The objects of a kind as a reloaded list shows them, optionally filtered.
std::vector<TListEntry> ListOf(TSearchTool& t, int kind, const std::function<bool(TZEBoggetto&)>& accept) {
  std::vector<TListEntry> out;
  for (int i = 0, n = t.doc.Count(kind); i < n; ++i) {
    TZEBoggetto* o = t.doc.ObjectAt(kind, i);
    if (!o || !ListedByDefault(*o) || (accept && !accept(*o))) continue;
    out.push_back({o->Id(), t.Q(o->Name()), o->MainSize()});
  }
  SortListEntries(out);
  return out;
}

json KeywordsJson(TSearchTool& t) {
  json arr = json::array();
  for (const TListEntry& k : ListOf(t, keyword, nullptr)) {
    const int index = IdIndex(k.id);
    json pages = json::array();
    for (const TListEntry& p : ListOf(t, testoHtml, [&](TZEBoggetto& o) { return PageHasKeyword(o, index); }))
      pages.push_back({{"index", IdIndex(p.id)}, {"title", p.caption.toStdString()}});
    arr.push_back({{"keyword", k.caption.toStdString()}, {"index", index}, {"pages", std::move(pages)}});
  }
  return arr;
}

struct TSearchArgs {
  TWordQuery query;
  int from = -1;
  bool all = false;
};

bool ParseSearchArgs(int argc, char** argv, TSearchTool& t, TSearchArgs& a) {
  a.query.w = t.doc.CodePage().FromUtf8(argv[3]);
  for (int i = 4; i < argc; ++i) {
    const std::string opt = argv[i];
    std::string* field = opt == "--and" ? &a.query.a : opt == "--or" ? &a.query.o
                       : opt == "--or-and" ? &a.query.b : nullptr;
    if (field || opt == "--from") {
      if (++i >= argc) return false;
      if (field) {
        *field = t.doc.CodePage().FromUtf8(argv[i]);
      } else {
        char* end = nullptr;
        const long v = std::strtol(argv[i], &end, 10);
        if (!*argv[i] || *end || v < INT_MIN || v > INT_MAX) return false;
        a.from = static_cast<int>(v);
      }
    } else if (opt == "--case-sensitive") {
      a.query.caseSensitive = true;
    } else if (opt == "--all") {
      a.all = true;
    } else {
      return false;
    }
  }
  return true;
}

json HitJson(TSearchTool& t, const TSearchHit& h) {
  TZEBtesto* p = t.doc.Page(h.page);
  return {{"index", h.page}, {"id", str::IdToHex(p->Id())}, {"title", t.U(p->Name())}, {"match", t.U(h.match)}};
}

std::string SnippetText(TSearchTool& t, const TSnippet& s) {
  return (s.cutBefore ? "…" : "") + t.U(s.before) + "«" + t.U(s.word) + "»" + t.U(s.after) + (s.cutAfter ? "…" : "");
}

json SearchJson(TSearchTool& t, const TSearchArgs& a) {
  TPlainTextCache cache(t.doc);
  const TQueryTerms terms = PrepareQuery(a.query, t.doc.CodePage().FoldTable());
  const int first = a.from < -1 ? 0 : a.from + 1;
  if (!a.all) {
    const auto hit = FindFirstPage(cache, terms, first);
    return {{"page", hit ? HitJson(t, *hit) : json(nullptr)}};
  }
  // The whole ebook, in the order of the result list.
  std::vector<TSearchHit> hits;
  TEbookScan scan(cache, terms, 0);
  while (scan.Step(4096, [&](const TSearchHit& h) { hits.push_back(h); return true; })) {
  }
  std::vector<TListEntry> order;
  for (size_t i = 0; i < hits.size(); ++i) {
    TZEBtesto* p = t.doc.Page(hits[i].page);
    order.push_back({static_cast<TObjId>(i), t.Q(p->Name()), p->MainSize()});
  }
  SortListEntries(order);
  json arr = json::array();
  for (const TListEntry& e : order) {
    const TSearchHit& h = hits[static_cast<size_t>(e.id)];
    json j = HitJson(t, h);
    j["count"] = h.count;
    j["snippet"] = SnippetText(t, HitSnippet(cache, h));
    arr.push_back(std::move(j));
  }
  return arr;
}

}  // namespace

bool IsSearchCommand(const std::string& cmd) { return cmd == "toc" || cmd == "keywords" || cmd == "search"; }

int RunSearchCommand(int argc, char** argv) {
  const std::string cmd = argv[1];
  if ((cmd != "search" && argc != 3) || (cmd == "search" && argc < 4)) return 2;
  TSearchTool t;
  TSearchArgs args;
  if (cmd == "search" && !ParseSearchArgs(argc, argv, t, args)) return 2;
  if (!t.doc.Open(argv[2])) return 1;
  if (cmd == "toc") {
    const TTocTree tree = LoadContentsTree(t.doc);
    for (const std::string& m : tree.messages) t.doc.Say(TMsgKind::Error, m);
    Print(TocJson(t, tree.roots));
  } else if (cmd == "keywords") {
    Print(KeywordsJson(t));
  } else {
    Print(SearchJson(t, args));
  }
  return 0;
}
