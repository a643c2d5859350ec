#include "text/selectionforms.h"

#include <algorithm>

#include "text/markup.h"
#include "text/zebconv.h"
#include "text/zebhtml.h"
#include "text/zebrtf.h"

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
  const TNativeObjects objects = CollectNativeObjects(markup, ctx.doc, ctx.index, text);
  const int count = std::max(0, std::min(r.p2, static_cast<int>(paras.size()) - 1) - std::max(0, r.p1) + 1);
  if (firstPicture) *firstPicture = objects.firstPicture;
  return WriteNativeClip(objects, ctx.index, text, count, markup);
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
