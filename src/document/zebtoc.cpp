#include "document/zebtoc.h"

#include "document/pathutil.h"
#include "document/strutil.h"
#include "document/zebset.h"

namespace {

struct TTocLine {
  int level = 1;
  int32_t number = 1;
  std::string_view text;
};

// "a" + level + "," + number + "," + text; a field that is not a number counts as 1.
TTocLine ParseLine(std::string_view line) {
  TTocLine l;
  std::string_view rest = line.substr(1);
  const size_t c1 = rest.find(',');
  l.level = str::ToIntDef(rest.substr(0, c1), 1);
  if (c1 == std::string_view::npos) return l;
  rest = rest.substr(c1 + 1);
  const size_t c2 = rest.find(',');
  l.number = str::ToIntDef(rest.substr(0, c2), 1);
  if (c2 != std::string_view::npos) l.text = rest.substr(c2 + 1);
  return l;
}

class TTocBuilder {
public:
  TTocBuilder(TZEBset& doc, int objects) : doc_(doc), objects_(objects) {}

  void Line(std::string_view line) {
    if (line.empty() || line[0] != 'a') return Say(TocDecodeError);
    if (tree_.nodeCount >= TocMaxNodes) return Say(TocLoadError);
    const TTocLine l = ParseLine(line);
    std::vector<TTocNode>* siblings = Place(l.level);
    if (!siblings) return Say(TocLoadError);
    siblings->push_back(MakeNode(l));
    path_.push_back(&siblings->back());
    ++tree_.nodeCount;
  }

  TTocTree Take() { return std::move(tree_); }

private:
  void Say(const char* msg) {
    if (tree_.messages.size() < TocMaxMessages) tree_.messages.emplace_back(msg);
  }

  // The list the node joins; path_ is cut to the node's parent. Null when the
  // node is more than one level below the previous one, or too deep.
  std::vector<TTocNode>* Place(int level) {
    if (path_.empty()) return &tree_.roots;  // the first node is a top node
    const int prev = static_cast<int>(path_.size()) - 1;
    if (level > prev + 1 || (level == prev + 1 && path_.size() >= TocMaxDepth)) return nullptr;
    if (level == prev + 1) return &path_.back()->children;
    const size_t depth = level < 0 ? 0 : static_cast<size_t>(level);
    path_.resize(depth);
    return path_.empty() ? &tree_.roots : &path_.back()->children;
  }

  TTocNode MakeNode(const TTocLine& l) {
    TTocNode n;
    n.number = l.number;
    n.text = std::string(l.text.substr(0, TocMaxText));
    switch (l.number) {
      case -3: n.kind = TTocKind::Chapter; break;
      case -2: n.kind = TTocKind::Document; break;
      case -1: n.kind = TTocKind::Plain; break;
      default:
        if (IdKind(l.number) == objects_) {
          n.kind = TTocKind::Page;
          n.id = l.number;
          if (TZEBoggetto* o = doc_.ObjectById(l.number)) n.text = o->Name();
        } else {
          n.kind = TTocKind::Other;
          n.text = "*";
        }
    }
    return n;
  }

  TZEBset& doc_;
  int objects_;
  TTocTree tree_;
  std::vector<TTocNode*> path_;  // from a top node down to the previous node
};

void WriteNodes(const std::vector<TTocNode>& nodes, int level, std::string& out) {
  for (const TTocNode& n : nodes) {
    out += "a" + std::to_string(level) + "," + std::to_string(n.number) + ",";
    out += n.kind == TTocKind::Page ? std::string("x") : n.text;
    out += "\r\n";
    WriteNodes(n.children, level + 1, out);
  }
}

}  // namespace

TTocTree LoadTocStream(TZEBset& doc, std::string_view stream, int objects) {
  TTocBuilder b(doc, objects);
  while (!stream.empty()) {
    const size_t nl = stream.find('\n');
    std::string_view line = stream.substr(0, nl);
    stream = nl == std::string_view::npos ? std::string_view() : stream.substr(nl + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    b.Line(line);
  }
  return b.Take();
}

TTocTree LoadContentsTree(TZEBset& doc, int objects) {
  TZEBoggetto* holder = objects == custom ? doc.CustomTreeObject() : doc.ContentsTreeObject();
  if (!holder) return {};
  if (holder->HasMainPayload()) return LoadTocStream(doc, holder->MainPayload(), objects);
  TTocTree t;
  TTocNode top;
  top.kind = TTocKind::Document;
  top.number = -2;
  top.text = FileNamePart(doc.ZEBFileName());
  for (int i = 0, n = doc.Count(objects); i < n; ++i) {
    TZEBoggetto* o = doc.ObjectAt(objects, i);
    if (!o || o->IsDeleted()) continue;
    TTocNode page;
    page.kind = TTocKind::Page;
    page.id = page.number = o->Id();
    page.text = o->Name();
    top.children.push_back(std::move(page));
  }
  t.nodeCount = top.children.size() + 1;
  t.roots.push_back(std::move(top));
  holder->SetMainPayload(WriteTocStream(t.roots));
  return t;
}

std::string WriteTocStream(const std::vector<TTocNode>& roots) {
  std::string out;
  WriteNodes(roots, 0, out);
  return out;
}
