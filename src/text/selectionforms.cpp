#include "text/selectionforms.h"

#include <algorithm>

#include "document/zebobject.h"
#include "document/zebset.h"
#include "text/markup.h"
#include "document/records.h"
#include "text/zebconv.h"
#include "text/zebhtml.h"
#include "text/zebrtf.h"

namespace {

void AddI32(std::string& out, int32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((static_cast<uint32_t>(v) >> (8 * i)) & 0xFF));
}

template <class T>
bool AddUnique(std::vector<T>& list, T v) {
  if (!v || std::find(list.begin(), list.end(), v) != list.end()) return false;
  list.push_back(v);
  return true;
}

// What the native stream carries besides the markup.
struct TCollected {
  std::vector<TZEBoggetto*> links, related, inlines;
  TZEBoggetto* firstPicture = nullptr;
};

void CollectObject(TZEBoggetto* obj, TZEBset* doc, TCollected& c) {
  AddUnique(c.inlines, obj);
  if (!doc) return;
  if (obj->Kind() == immagineNew) {
    const int32_t pic = TPictureRecord(obj->Rec()).Image();
    TZEBoggetto* p = pic >= 0 ? doc->ObjectAt(immagine, pic) : nullptr;
    if (p && AddUnique(c.related, p) && !c.firstPicture) c.firstPicture = p;
  } else if (obj->Kind() == tabellaHtml) {
    const TBackground bg = TBackground::Decode(TTableRecord(obj->Rec()).Background());
    if (bg.kind == TBackground::Kind::Picture) AddUnique(c.related, doc->ObjectAt(immagine, bg.picture));
  }
}

TCollected Collect(const std::vector<const TZEBparag*>& paras, TZEBset* doc, const TZEBtesto* text,
                   const TSelectionRange& r) {
  TCollected c;
  for (int p = std::max(0, r.p1); p <= r.p2 && p < static_cast<int>(paras.size()); ++p) {
    const TZEBparag& para = *paras[static_cast<size_t>(p)];
    AddUnique(c.related, const_cast<TZEBoggetto*>(para.style.Base()));
    const int from = p == r.p1 ? r.c1 : 0;
    const int to = p == r.p2 ? std::min<int>(r.c2, static_cast<int>(para.text.size())) : static_cast<int>(para.text.size());
    for (int i = std::max(0, from); i < to; ++i) {
      const TCharRec& ch = para.chars[static_cast<size_t>(i)];
      if (ch.link >= 0 && IdKind(ch.link) == 0x6F && text) AddUnique(c.links, text->ResolveContainerId(ch.link));
      if (ch.object >= 0 && static_cast<size_t>(ch.object) < para.objects.size())
        CollectObject(para.objects[static_cast<size_t>(ch.object)], doc, c);
    }
  }
  return c;
}

}  // namespace

std::string SelectionMarkup(const std::vector<const TZEBparag*>& paras, TTextContext& ctx,
                            const TSelectionRange& r) {
  std::string out;
  for (int p = std::max(0, r.p1); p <= r.p2 && p < static_cast<int>(paras.size()); ++p) {
    const TZEBparag& para = *paras[static_cast<size_t>(p)];
    const int from = p == r.p1 ? r.c1 : 0;
    const int to = p == r.p2 ? r.c2 : 0x7FFFFFFF;
    WriteParagraph(para, ctx, out, TWriteMode::Stored, from, to);
  }
  out.push_back('\0');
  return out;
}

std::string NativeClipStream(const std::vector<const TZEBparag*>& paras, TTextContext& ctx,
                             const TZEBtesto* text, const TSelectionRange& r, const std::string& markup,
                             TZEBoggetto** firstPicture) {
  const TCollected c = Collect(paras, ctx.doc, text, r);
  std::string out;
  AddI32(out, 1);
  AddI32(out, static_cast<int32_t>(c.links.size()));
  for (TZEBoggetto* o : c.links) {
    AddI32(out, o->Kind());
    int32_t local = -1;
    if (text) {
      const auto& list = text->Embedded();
      auto it = std::find(list.begin(), list.end(), o);
      if (it != list.end()) local = static_cast<int32_t>(0x6F000000 + (it - list.begin()));
    }
    AddI32(out, local >= 0 ? local : o->Id());
    o->WriteTransfer(out);
  }
  AddI32(out, static_cast<int32_t>(c.related.size()));
  for (TZEBoggetto* o : c.related) {
    AddI32(out, o->Kind());
    o->WriteTransfer(out);
  }
  AddI32(out, static_cast<int32_t>(c.inlines.size()));
  for (TZEBoggetto* o : c.inlines) {
    AddI32(out, o->Kind());
    AddI32(out, ctx.index ? ctx.index->NumberOf(o) : -1);
    o->WriteTransfer(out);
  }
  const int count = std::max(0, std::min(r.p2, static_cast<int>(paras.size()) - 1) - std::max(0, r.p1) + 1);
  AddI32(out, count);
  out += markup;  // ends with the stream's 0 byte
  if (firstPicture) *firstPicture = c.firstPicture;
  return out;
}

TSelectionForms CopyForms(const std::vector<const TZEBparag*>& paras, TTextContext& ctx, const TZEBtesto* text,
                          const TSelectionRange& r) {
  TSelectionForms f;
  const std::string markup = SelectionMarkup(paras, ctx, r);
  f.native = NativeClipStream(paras, ctx, text, r, markup, &f.picture);
  TZEBtoTxt txt(ctx.doc, ctx.index, text);
  txt.copy = false;
  txt.Convert(markup, f.text);
  // RTF and HTML read the paragraphs as the box holds them.
  TZEBtortf rtf(ctx.doc, ctx.index, text);
  rtf.copy = true;
  TParagraphSource forRtf(paras, ctx, r.p1, r.c1, r.p2, r.c2);
  rtf.Write(forRtf, f.rtf);
  if (!f.rtf.empty() && f.rtf.back() == '\0') f.rtf.pop_back();
  TZEBtoHtml html(ctx.doc, ctx.index, text);
  TParagraphSource forHtml(paras, ctx, r.p1, r.c1, r.p2, r.c2);
  html.Write(forHtml, f.html);
  return f;
}
