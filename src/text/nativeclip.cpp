#include "text/nativeclip.h"

#include <algorithm>

#include "document/formrecords.h"
#include "document/recordformat.h"
#include "document/records.h"
#include "document/zebobject.h"
#include "document/zebset.h"
#include "text/paragraph.h"

namespace {

// A special link leads on at most this many steps.
constexpr int kMaxChain = 5;

void AddI32(std::string& out, int32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((static_cast<uint32_t>(v) >> (8 * i)) & 0xFF));
}

bool TakeI32(std::string_view d, size_t& pos, int32_t& v) {
  if (pos > d.size() || d.size() - pos < 4) return false;
  v = GetI32(reinterpret_cast<const uint8_t*>(d.data() + pos));
  pos += 4;
  return true;
}

bool AddUnique(std::vector<TZEBoggetto*>& list, TZEBoggetto* v) {
  if (!v || std::find(list.begin(), list.end(), v) != list.end()) return false;
  list.push_back(v);
  return true;
}

bool IsLinkKind(int kind) {
  return kind == internetLink || kind == zipLink || kind == genLink || kind == speclink || kind == shortObj;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The id of "<$" + 8 hexadecimal digits + ">" at pos; false for any other tag.
bool TagId(std::string_view m, size_t pos, uint32_t& id) {
  if (m.size() - pos < 11 || m[pos + 1] != '$' || m[pos + 10] != '>') return false;
  id = 0;
  for (size_t k = pos + 2; k < pos + 10; ++k) {
    const int d = HexDigit(m[k]);
    if (d < 0) return false;
    id = id << 4 | static_cast<uint32_t>(d);
  }
  return true;
}

// The style number of a paragraph header "<Z S" + number at pos; -1 when none.
int HeaderStyle(std::string_view m, size_t pos) {
  if (m.compare(pos, 4, "<Z S") != 0) return -1;
  int n = 0;
  size_t k = pos + 4;
  for (; k < m.size() && k < pos + 12 && m[k] >= '0' && m[k] <= '9'; ++k) n = n * 10 + (m[k] - '0');
  return k > pos + 4 ? n : -1;
}

class TCollector {
public:
  TCollector(TZEBset* doc, IObjectIndex* index, const TZEBtesto* text) : doc_(doc), index_(index), text_(text) {}

  void Scan(std::string_view m) {
    for (size_t pos = m.find('<'); pos != std::string_view::npos; pos = m.find('<', pos + 1)) {
      uint32_t id = 0;
      if (const int style = HeaderStyle(m, pos); style >= 0) {
        Style(style);
      } else if (TagId(m, pos, id)) {
        if (id >> 24 == 0xFF && index_) Inline(index_->IndexedObject(static_cast<int>(id & 0xFFFFFF)));
        else if (id >> 24 == 0x6F && text_) Link(text_->ResolveContainerId(static_cast<TObjId>(id)), 0);
      }
    }
  }
  TNativeObjects out;

private:
  // An id an object of the text follows: its own link list or the document.
  TZEBoggetto* Resolve(const TZEBtesto* in, TObjId id) const {
    if (id == -1) return nullptr;
    if (in) return in->ResolveContainerId(id);
    return doc_ && id >= 0 ? doc_->ObjectById(id) : nullptr;
  }
  TZEBoggetto* Resolve(TObjId id) const { return Resolve(text_, id); }

  void Style(int number) {
    if (!doc_) return;
    const TZEBoggetto* s = doc_->ObjectAt(stileParagrafo, number);
    AddUnique(out.related, const_cast<TZEBoggetto*>(s ? s : doc_->DefaultParaStyle()));
  }

  // A picture an object shows; the first one met goes on the clipboard too.
  void Shown(int32_t index) {
    TZEBoggetto* p = index >= 0 && doc_ ? doc_->ObjectAt(immagine, index) : nullptr;
    if (!p) return;
    AddUnique(out.related, p);
    if (!out.firstPicture) out.firstPicture = p;
  }

  void Background(uint32_t value) {
    const TBackground b = TBackground::Decode(value);
    if (b.kind == TBackground::Kind::Picture && doc_) AddUnique(out.related, doc_->ObjectAt(immagine, b.picture));
  }

  void Link(TZEBoggetto* o, int depth) {
    if (!o || !IsLinkKind(o->Kind()) || !AddUnique(out.links, o) || depth >= kMaxChain) return;
    const TZEBtesto* in = o->ContainerText() ? o->ContainerText() : text_;
    if (o->Kind() == speclink && o->State() == 1) Link(Resolve(in, o->Rec().I32(fld::special::Target)), depth + 1);
    if (o->Kind() == shortObj) Link(Resolve(in, o->Rec().I32(fld::shortRef::Reference)), depth + 1);
  }

  void Inline(TZEBoggetto* o) {
    if (!AddUnique(out.inlines, o)) return;
    switch (o->Kind()) {
      case immagineNew: {
        const TPictureRecord r(o->Rec());
        if (r.Image() >= 0) Shown(r.Image());
        else if (!out.firstPicture) out.firstPicture = o;  // a picture of its own
        Shown(r.Hover());
        Link(Resolve(r.Link()), 0);
        for (int slot = 0; slot < picturerec::ZoneCount; ++slot)
          if (const TZoneSlot z = r.Zone(slot); !z.Empty()) Link(Resolve(z.target), 0);
        break;
      }
      case bottoneCGI:
        Shown(formrec::ButtonPictureIndex(*o));
        Link(Resolve(formrec::ButtonLinkId(*o)), 0);
        break;
      case shortObj:
        // Auto-start panels and references name the object they stand for.
        if (const int s = o->State(); s == 13 || (s >= 21 && s <= 24))
          Link(Resolve(o->Rec().I32(fld::shortRef::Reference)), 0);
        break;
      case tabellaHtml: {
        const TTableRecord t(o->Rec());
        Background(t.Background());
        const std::string cells = o->MainPayload();
        for (int r = 0; r < t.Rows(); ++r)
          for (int c = 0; c < t.Columns(); ++c) Background(CellBackground(cells, r, c, t.Columns()));
        break;
      }
      default: break;
    }
  }

  TZEBset* doc_;
  IObjectIndex* index_;
  const TZEBtesto* text_;
};

int32_t LinkId(TZEBoggetto* o, const TZEBtesto* text) {
  if (text) {
    const auto& list = text->Embedded();
    if (auto it = std::find(list.begin(), list.end(), o); it != list.end())
      return static_cast<int32_t>(0x6F000000 + (it - list.begin()));
  }
  return o->Id();
}

// Reads one list of entries; `id` when each entry carries an id or number.
bool ReadList(std::string_view d, size_t& pos, TZEBset* doc, bool id, std::vector<TNativeEntry>& list,
              int* skipped) {
  int32_t n = 0;
  // Every entry holds at least its kind and a whole record.
  if (!TakeI32(d, pos, n) || n < 0 || static_cast<size_t>(n) > (d.size() - pos) / RecordSize) return false;
  for (int32_t i = 0; i < n; ++i) {
    TNativeEntry e;
    if (!TakeI32(d, pos, e.kind) || (id && !TakeI32(d, pos, e.id))) return false;
    if (e.kind < 0 || e.kind >= KindCount) return false;
    e.object = doc ? doc->NewObject(e.kind) : std::make_unique<TZEBoggetto>(nullptr, e.kind);
    if (!e.object->ReadTransfer(d, pos) || e.object->Kind() != e.kind) return false;
    if (skipped && e.kind != immagine && e.kind != mappaClic && e.kind != stileParagrafo) {
      ++*skipped;
      continue;
    }
    list.push_back(std::move(e));
  }
  return true;
}

}  // namespace

TNativeObjects CollectNativeObjects(std::string_view markup, TZEBset* doc, IObjectIndex* index,
                                    const TZEBtesto* text) {
  TCollector c(doc, index, text);
  c.Scan(markup);
  return std::move(c.out);
}

namespace {

// The stream's layout, written once for selections and for pictures: they
// differ in the version and in the numbers links and inline objects carry.
template <typename LinkIdOf, typename NumberOf>
std::string WriteStream(int32_t version, const TNativeObjects& objects, LinkIdOf linkId, NumberOf number,
                        int paragraphs, const std::string& markup) {
  std::string out;
  AddI32(out, version);
  AddI32(out, static_cast<int32_t>(objects.links.size()));
  for (TZEBoggetto* o : objects.links) {
    AddI32(out, o->Kind());
    AddI32(out, linkId(o));
    o->WriteTransfer(out);
  }
  AddI32(out, static_cast<int32_t>(objects.related.size()));
  for (TZEBoggetto* o : objects.related) {
    AddI32(out, o->Kind());
    o->WriteTransfer(out);
  }
  AddI32(out, static_cast<int32_t>(objects.inlines.size()));
  for (TZEBoggetto* o : objects.inlines) {
    AddI32(out, o->Kind());
    AddI32(out, number(o));
    o->WriteTransfer(out);
  }
  AddI32(out, paragraphs);
  out += markup;
  if (out.empty() || out.back() != '\0') out.push_back('\0');
  return out;
}

}  // namespace

std::string WriteNativeClip(const TNativeObjects& objects, IObjectIndex* index, const TZEBtesto* text,
                            int paragraphs, const std::string& markup) {
  return WriteStream(
      1, objects, [text](TZEBoggetto* o) { return LinkId(o, text); },
      [index](TZEBoggetto* o) { return index ? index->NumberOf(o) : -1; }, paragraphs, markup);
}

std::string WritePictureClip(TZEBoggetto& picture, const std::vector<TZEBoggetto*>& links,
                             const std::vector<TZEBoggetto*>& pictures) {
  TNativeObjects objects;
  objects.links = links;
  objects.related = pictures;
  objects.inlines = {&picture};
  return WriteStream(
      3, objects, [](TZEBoggetto* o) { return static_cast<int32_t>(o->Id()); }, [](TZEBoggetto*) { return 1; }, 1,
      "<Z S0 ><$FF000001>");
}

std::unique_ptr<TZEBoggetto> NewPictureObject(TZEBset& doc, const TZEBoggetto& image) {
  std::unique_ptr<TZEBoggetto> p = doc.NewObject(immagineNew);
  const int16_t w = image.Rec().I16(imagerec::Width), h = image.Rec().I16(imagerec::Height);
  p->Rec().SetI32(picturerec::Image, image.Index());
  p->Rec().SetI32(picturerec::Hover, -1);
  for (int off : {picturerec::SyncWidth, picturerec::Width}) p->Rec().SetI16(off, w);
  for (int off : {picturerec::SyncHeight, picturerec::Height}) p->Rec().SetI16(off, h);
  return p;
}

std::string WriteZoneClip(const TZEBoggetto& picture, int slot) {
  std::string out;
  AddI32(out, 2);
  if (slot < 0 || slot >= picturerec::ZoneCount) slot = 0;
  for (int i = 0; i < picturerec::ZoneSize; ++i)
    out.push_back(static_cast<char>(picture.Rec().Byte(picturerec::Zones + slot * picturerec::ZoneSize + i)));
  return out;
}

bool ReadNativeClip(std::string_view d, TZEBset* doc, TNativeClip& out) {
  size_t pos = 0;
  out = TNativeClip{};
  if (!TakeI32(d, pos, out.version) || (out.version != 1 && out.version != 3)) return false;
  if (!ReadList(d, pos, doc, true, out.links, nullptr) || !ReadList(d, pos, doc, false, out.related, &out.skipped) ||
      !ReadList(d, pos, doc, true, out.inlines, nullptr) || !TakeI32(d, pos, out.paragraphs) || out.paragraphs < 0)
    return false;
  const size_t end = d.find('\0', pos);
  if (end == std::string_view::npos) return false;
  out.markup.assign(d.data() + pos, end + 1 - pos);
  return true;
}
