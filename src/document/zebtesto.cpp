// Texts: pages, page headers and footers.
#include <algorithm>

#include "document/plaintext.h"
#include "document/recordformat.h"
#include "document/strutil.h"
#include "document/zebobject.h"
#include "document/zebset.h"

bool EmbeddedKind(int kind) {
  return kind == internetLink || kind == tabellaHtml || kind == speclink || kind == shortObj ||
         kind == dbloc || kind == immagineNew || (kind >= inputStat && kind <= multiMedia);
}

namespace {

bool IsHex(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// Text up to (not including) the terminating 0 byte.
std::string_view UntilNul(const std::string& s) {
  size_t z = s.find('\0');
  return std::string_view(s).substr(0, z);
}

}  // namespace

TZEBtesto::~TZEBtesto() = default;

void TZEBtesto::Clear() {
  if (stored_ && doc_)
    for (TZEBoggetto* o : ReferencedObjects())
      if (o != this && o->Kind() != internetLink) o->Clear();
  header_.reset();
  footer_.reset();
  embedded_.clear();
  ownedEmbedded_.clear();
  TZEBoggetto::Clear();
}

std::vector<TZEBoggetto*> TZEBtesto::ReferencedObjects() const {
  std::vector<TZEBoggetto*> out;
  if (!doc_) return out;
  const std::string text = MainPayload();
  for (size_t i = text.find("<$"); i != std::string::npos; i = text.find("<$", i + 2)) {
    size_t p = i + 2;
    if (p < text.size() && text[p] == '$') ++p;
    if (p + 8 > text.size() || !std::all_of(text.begin() + p, text.begin() + p + 8, IsHex)) continue;
    TObjId id = 0;
    if (!str::HexToId(std::string_view(text).substr(p, 8), id)) continue;
    if (!EmbeddedKind(IdKind(id))) continue;
    if (TZEBoggetto* o = doc_->ObjectById(id); o && std::find(out.begin(), out.end(), o) == out.end())
      out.push_back(o);
  }
  return out;
}

std::string TZEBtesto::PlainText(bool lowerCase) const {
  const TFoldTable* fold = nullptr;
  TFoldTable ascii;
  if (lowerCase) {
    if (doc_) {
      fold = &doc_->CodePage().FoldTable();
    } else {
      ascii = MakeFoldTable(TCodePage());
      fold = &ascii;
    }
  }
  return PlainTextOf(MainPayload(), rec_.Byte(fld::page::Format) == fld::page::OldFormat, fold);
}

// The neighbour in the page's sequence: the page at position p + step if there
// is one, else the nearest position on that side; the page itself when none.
TZEBtesto* TZEBtesto::SequenceNeighbour(int step) {
  const int seq = rec_.I16(fld::page::Sequence), pos = rec_.I16(fld::page::SeqPosition);
  if (pos < 0 || !doc_) return this;
  TZEBtesto* best = nullptr;
  int bestDist = 0;
  for (int i = 0, n = doc_->Count(testoHtml); i < n; ++i) {
    TZEBtesto* p = doc_->Page(i);
    if (!p || p->IsDeleted() || p->Rec().I16(fld::page::Sequence) != seq) continue;
    const int q = p->Rec().I16(fld::page::SeqPosition);
    const int dist = (q - pos) * step;
    if (dist <= 0 || q < 0) continue;  // wrong side, or a page outside the sequence
    if (dist == 1) return p;
    if (!best || dist < bestDist) best = p, bestDist = dist;
  }
  return best ? best : this;
}

TZEBtesto* TZEBtesto::PreviousPage() { return SequenceNeighbour(-1); }
TZEBtesto* TZEBtesto::NextPage() { return SequenceNeighbour(1); }

std::unique_ptr<TZEBtesto> TZEBtesto::PageCopy(bool withHeaders, void* frameSet) const {
  auto copy = std::make_unique<TZEBtesto>(doc_);
  copy->Assign(*this);
  copy->index_ = index_;
  copy->SetFrameSet(frameSet);
  bool ok = true;
  std::string text(UntilNul(MainPayload(&ok)));
  // A text that cannot be read says so where it would have been shown.
  if (!ok) text = "<Z S0 >" + str::MarkupEscape(TZEBset::ReadErrorText(doc_ ? doc_->ZEBFileName() : std::string()));
  if (text.empty()) text = "<Z S0 >";
  text.push_back('\0');
  copy->SetMainPayload(std::move(text));
  for (TZEBoggetto* o : copy->ReferencedObjects()) copy->AddEmbedded(o);
  if (withHeaders && doc_) {
    auto part = [&](int recOff, int hdrOff) -> std::unique_ptr<TZEBtesto> {
      int32_t idx = rec_.I32(recOff);
      if (idx == -1) idx = doc_->HeaderI32(hdrOff);
      TZEBtesto* src = doc_->Page(idx);
      return src && src != this ? src->PageCopy(false, frameSet) : nullptr;
    };
    copy->header_ = part(fld::page::Header, hdr::DefaultHeader);
    copy->footer_ = part(fld::page::Footer, hdr::DefaultFooter);
  }
  return copy;
}

int TZEBtesto::AddEmbedded(TZEBoggetto* obj) {
  embedded_.push_back(obj);
  return static_cast<int>(embedded_.size()) - 1;
}

TZEBoggetto* TZEBtesto::ResolveContainerId(TObjId id) const {
  if (id < 0) return nullptr;
  if (id < 0x08000000) return doc_ ? doc_->ObjectById(id) : nullptr;
  if ((static_cast<uint32_t>(id) >> 24) == 0x6F) {
    size_t i = static_cast<size_t>(IdIndex(id));
    return i < embedded_.size() ? embedded_[i] : nullptr;
  }
  return nullptr;
}
