#include "text/zebconv.h"

#include <algorithm>

#include "document/strutil.h"
#include "document/zebobject.h"
#include "document/zebset.h"
#include "text/markup.h"
#include "document/records.h"

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The id of "<$" + 8 hex digits at pos (an optional "$" skipped, bad digits 0).
uint32_t IdAt(std::string_view m, size_t pos) {
  size_t i = pos + 2;
  if (i < m.size() && m[i] == '$') ++i;
  uint32_t id = 0;
  for (int k = 0; k < 8; ++k) {
    const int d = i + k < m.size() ? HexDigit(m[i + k]) : -1;
    id = id * 16 + static_cast<uint32_t>(d < 0 ? 0 : d);
  }
  return id;
}

size_t After(std::string_view m, size_t pos, char c) {
  const size_t e = m.find(c, pos);
  return e == std::string_view::npos ? m.size() : e + 1;
}

// After a "<D".."<d>" style block; without its closing tag the block runs to
// the end of the text.
size_t AfterBlock(std::string_view m, size_t pos, char closing) {
  const char end[4] = {'<', closing, '>', '\0'};
  const size_t e = m.find(end, pos + 2);
  const size_t nul = m.find('\0', pos);
  if (e == std::string_view::npos || (nul != std::string_view::npos && nul < e))
    return nul == std::string_view::npos ? m.size() : nul;
  return e + 3;
}

}  // namespace

TZEBoggetto* TZEBconv::LookUp(uint32_t id) const {
  const uint32_t kind = id >> 24;
  if (kind == 0xFF) return index_ ? index_->IndexedObject(static_cast<int>(id & 0xFFFFFF)) : nullptr;
  if (kind == 0x6F) return text_ ? text_->ResolveContainerId(static_cast<TObjId>(id)) : nullptr;
  // Only the kinds a link may name; other ids are not links in a text.
  if (kind < 4 && LinkedZEBset) return LinkedZEBset->ObjectById(static_cast<TObjId>(id));
  return nullptr;
}

std::string TZEBconv::ReferenceMarker(const TZEBoggetto& obj) {
  if (obj.Kind() != shortObj) return {};
  const char* tag = nullptr;
  switch (obj.State()) {
    case 21: tag = "!RefI:"; break;
    case 22: tag = "!RefL:"; break;
    case 23: tag = "!RefP:"; break;
    case 24: tag = "!RefF:"; break;
    case 25: tag = "!RefX:"; break;
    case 26: tag = "!RefY:"; break;
    case 28: tag = "!ReCF:"; break;
    case 27: return "!ReCP:" + obj.MainPayload() + "!";
    default: return {};
  }
  return tag + str::IdToHex(obj.Rec().I32(5));
}

// ---------------------------------------------------------------- plain text

void TZEBtoTxt::Convert(std::string_view m, std::string& out) {
  size_t pos = m.find('<');
  if (pos == std::string_view::npos) return;
  struct Table {
    int cells, cols, done;
  };
  std::vector<Table> tables;  // open tables, innermost last
  bool first = true, afterCell = false;
  out.reserve(out.size() + m.size());
  while (pos < m.size() && m[pos] != '\0') {
    const char c = m[pos];
    if (c == '&') {
      size_t used = 0;
      const unsigned char ch = str::DecodeEntityAt(m.substr(pos), used);
      if (ch) out.push_back(static_cast<char>(ch));
      pos += std::max<size_t>(used, 1);
      continue;
    }
    if (c != '<') {
      out.push_back(c);
      ++pos;
      continue;
    }
    const char k = pos + 1 < m.size() ? m[pos + 1] : '\0';
    if (k == 'Z') {
      if (!first && !afterCell && tables.empty()) out += "\r\n";
      first = afterCell = false;
      pos = After(m, pos, '>');
    } else if (k == '$') {
      TZEBoggetto* obj = LookUp(IdAt(m, pos));
      pos = After(m, pos, '>');
      if (!obj) continue;
      if (obj->Kind() == tabellaHtml) {
        const TTableRecord rec(obj->Rec());
        if (m.substr(pos).starts_with("<@>"))
          pos += 3;  // the cells are not in this text
        else if (rec.Rows() * rec.Columns() > 0)
          tables.push_back({rec.Rows() * rec.Columns(), rec.Columns(), 0});
      } else {
        out += ReferenceMarker(*obj);
      }
    } else if (m.substr(pos).starts_with("<T>")) {
      pos += 3;
      if (tables.empty()) continue;  // a cell end outside any table
      Table& t = tables.back();
      ++t.done;
      out += t.done % t.cols == 0 ? "\r\n" : "\t";
      if (t.done == t.cells) tables.pop_back();
      afterCell = true;
    } else if (k == 'D' || k == 'F' || k == 'R') {
      pos = AfterBlock(m, pos, static_cast<char>(k + ('a' - 'A')));
    } else {
      pos = After(m, pos, '>');
    }
  }
  if (copy) out.push_back('\0');
}

// ---------------------------------------------------------------- paragraphs with tables

const TConvTable* TConvParagraph::TableAt(int i) {
  const int o = para->chars[static_cast<size_t>(i)].object;
  if (o < 0 || static_cast<size_t>(o) >= para->objects.size()) return nullptr;
  if (nextTable < tables.size() && tables[nextTable]->obj == para->objects[static_cast<size_t>(o)])
    return tables[nextTable++].get();
  return nullptr;
}

TConvReader::TConvReader(TZEBset* doc, IObjectIndex* index, std::string_view markup)
    : index_(index), markup_(markup) {
  canvas_.record = false;
  ctx_.doc = doc;
  ctx_.canvas = &canvas_;
  ctx_.index = this;
  pos_ = std::min(markup.find('<'), markup.size());
}

TZEBoggetto* TConvReader::IndexedObject(int number) { return index_ ? index_->IndexedObject(number) : nullptr; }

int TConvReader::NumberOf(TZEBoggetto* obj) { return index_ ? index_->NumberOf(obj) : -1; }

bool TConvReader::ReadOne(std::string_view text, size_t& pos, TConvParagraph& out, bool& end) {
  for (;;) {
    const size_t before = pos;
    std::vector<std::unique_ptr<TConvTable>> tables;
    auto* saved = pending_;
    pending_ = &tables;
    TReadOutcome r = ReadParagraph(ctx_, text, pos, true);
    pending_ = saved;
    end = r.end;
    if (r.para) {
      out.owned = std::move(r.para);
      out.para = out.owned.get();
      out.from = 0;
      out.to = 0x7FFFFFFF;
      out.tables = std::move(tables);
      out.nextTable = 0;
      return true;
    }
    if (r.end || pos == before) {
      end = true;
      return false;
    }
  }
}

bool TConvReader::Next(TConvParagraph& out) {
  if (ended_) return false;
  bool end = false;
  bool got = ReadOne(markup_, pos_, out, end);
  // A cell end outside any table ends nothing at the top level.
  for (size_t before = pos_ + 1; !got && end && pos_ != before && pos_ < markup_.size() && markup_[pos_] != '\0';) {
    before = pos_;
    got = ReadOne(markup_, pos_, out, end);
  }
  ended_ = end && (pos_ >= markup_.size() || markup_[pos_] == '\0');
  return got;
}

bool TConvReader::ReadTableCells(TZEBoggetto* table, std::string_view text, size_t& pos) {
  if (!table || !pending_ || depth_ >= kMaxDepth) return false;
  const TTableRecord rec(table->Rec());
  auto t = std::make_unique<TConvTable>();
  t->obj = table;
  t->rows = rec.Rows();
  t->cols = rec.Columns();
  t->cells.resize(static_cast<size_t>(t->rows * t->cols));
  ++depth_;
  for (auto& cell : t->cells) {
    for (;;) {
      TConvParagraph p;
      bool end = false;
      const bool got = ReadOne(text, pos, p, end);
      if (got) cell.push_back(std::move(p));
      if (end || !got) break;
    }
  }
  --depth_;
  pending_->push_back(std::move(t));
  return true;
}

bool TParagraphSource::Next(TConvParagraph& out) {
  if (p_ > p2_ || p_ >= static_cast<int>(paras_.size())) return false;
  const TZEBparag& p = *paras_[static_cast<size_t>(p_)];
  const int from = p_ == first_ ? std::max(0, c1_) : 0;
  const int to = p_ == p2_ ? c2_ : 0x7FFFFFFF;
  ++p_;
  const int end = std::min<int>(to, static_cast<int>(p.text.size()));
  bool table = false;
  for (int i = from; i < end && !table && !p.objects.empty(); ++i) {
    const int o = p.chars[static_cast<size_t>(i)].object;
    table = o >= 0 && static_cast<size_t>(o) < p.objects.size() && p.objects[static_cast<size_t>(o)]->Kind() == tabellaHtml;
  }
  if (table) {
    std::string m;
    WriteParagraph(p, ctx_, m, TWriteMode::Stored, from, to);
    m.push_back('\0');
    TConvReader reader(ctx_.doc, ctx_.index, m);
    return reader.Next(out) || Next(out);
  }
  out.owned.reset();
  out.para = &p;
  out.from = from;
  out.to = to;
  out.tables.clear();
  out.nextTable = 0;
  return true;
}
