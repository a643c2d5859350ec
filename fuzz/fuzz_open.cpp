// Opens arbitrary bytes as an ebook and touches everything a reader would.
#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

#include "document/zebpicture.h"
#include "document/zebset.h"
#include "text/markup.h"
#include "text/objectindex.h"
#include "text/zebconv.h"
#include "text/zebhtml.h"
#include "text/zebrtf.h"

namespace {
struct QuietSink : IMessageSink {
  bool Message(TMsgKind, const std::string&) override { return false; }
};
// The text engine over the page: read, lay out narrow, write back, read again.
size_t ReadAndLayOut(TZEBset& doc, const TZEBtesto& copy) {
  TFixedCanvas canvas;
  canvas.record = false;
  TTextObjectIndex index(&copy);
  TTextContext ctx;
  ctx.doc = &doc;
  ctx.canvas = &canvas;
  ctx.index = &index;
  ctx.layoutWidth = 120;
  const std::string text = copy.MainPayload();
  size_t pos = 0;
  TakePageObjects(text, pos);
  auto paras = ReadParagraphs(ctx, text, pos);
  std::string out;
  int top = FirstParagraphTop(ctx, paras.empty() ? nullptr : paras.front().get());
  for (auto& p : paras) {
    top = p->Layout(ctx, top);
    p->Draw(ctx, 0, 3);
    WriteParagraph(*p, ctx, out, TWriteMode::Stored);
  }
  out.push_back('\0');
  // The clipboard forms, of the markup a copy writes and of the stored text with its table cells.
  std::string forms;
  for (const std::string* m : {static_cast<const std::string*>(&out), &text}) {
    TZEBtoTxt(&doc, &index, &copy).Convert(*m, forms);
    TZEBtortf(&doc, &index, &copy).Convert(*m, forms);
    TZEBtoHtml(&doc, &index, &copy).Convert(*m, forms);
  }
  pos = 0;
  return ReadParagraphs(ctx, out, pos).size() + static_cast<size_t>(top) + forms.size();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = "/tmp/fuzz-open-" + std::to_string(::getpid()) + ".zeb";
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);
  QuietSink sink;
  TZEBset doc(TServices{&sink, nullptr, nullptr});
  doc.Open(path);
  size_t sum = doc.Title().size() + doc.ExpPrefix().size() + doc.CharSet().size();
  sum += static_cast<size_t>(doc.FontCharSet() + doc.GlobalMargin());
  for (auto& kv : doc.DocProperties()) sum += kv.first.size() + kv.second.size();
  for (int k = 0; k < KindCount; ++k) {
    for (int i = 0; i < doc.Count(k); ++i) {
      TZEBoggetto* o = doc.ObjectAt(k, i);
      if (!o) continue;
      sum += o->Name().size() + o->Description().size() + o->FileName().size();
      sum += o->GetAttribute("allfields").size() + o->GetAttribute("onclick").size();
      sum += o->GetProperty("charset").size();
      if (k == testoHtml) {
        auto* t = static_cast<TZEBtesto*>(o);
        auto copy = t->PageCopy(true, nullptr);
        sum += copy->PlainText().size() + t->PreviousPage()->Index() + t->NextPage()->Index();
        sum += ReadAndLayOut(doc, *copy);
      }
      if ((k == immagine || k == immagineNew) && i < 4)
        if (TZEBpicture* p = o->Picture()) sum += static_cast<size_t>(p->Width());
    }
  }
  if (sum == 0xFFFFFFFF) std::puts("");
  return 0;
}
