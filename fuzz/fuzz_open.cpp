// Opens arbitrary bytes as an ebook and touches everything a reader would:
// every object and picture, extraction into the document's private folder,
// the ebook links of the page texts, the text engine, and the page display
// itself on an offscreen frame set.
#include <QApplication>
#include <QImage>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "document/privatefile.h"
#include "document/zebpicture.h"
#include "document/zebset.h"
#include "pageobjects/zebframeset.h"
#include "text/markup.h"
#include "text/objectindex.h"
#include "text/zebconv.h"
#include "text/zebhtml.h"
#include "text/zebrtf.h"

namespace fs = std::filesystem;

namespace {

struct QuietSink : IMessageSink {
  bool Message(TMsgKind, const std::string&) override { return false; }
};

// Everything the run writes stays in one private folder, removed at exit.
struct TScratch : ISystemInfo {
  std::string folder;
  TScratch() {
    const char* base = std::getenv("TMPDIR");
    folder = MakePrivateFolder(base && *base ? base : "/tmp", "fuzz-open-");
  }
  ~TScratch() {
    std::error_code ec;
    if (!folder.empty()) fs::remove_all(folder, ec);
  }
  std::string TempPath() override { return folder; }
  std::string UserName() override { return "fuzz"; }
  int AnsiCodePage() override { return 1252; }
};

TScratch& Scratch() {
  static TScratch s;
  return s;
}

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

// Ebook links of a page: every "lumo:" text of its link objects, and the
// raw text after each "lumo:" in the markup, resolved without asking.
size_t ResolveLinks(TZEBset& doc, const TZEBtesto& page) {
  size_t sum = 0;
  for (TZEBoggetto* o : page.ReferencedObjects())
    if (o->Kind() == internetLink) sum += doc.ResolveEbookLink(o->Name(), 0).path.size();
  const std::string text = page.MainPayload();
  for (size_t at = text.find("lumo:"); at != std::string::npos; at = text.find("lumo:", at + 5)) {
    const size_t end = text.find_first_of("<>\"' \r\n", at);
    sum += doc.ResolveEbookLink(text.substr(at, end == std::string::npos ? 200 : end - at), 0).page;
  }
  return sum;
}

size_t TouchObject(TZEBset& doc, TZEBoggetto& o) {
  size_t sum = o.Name().size() + o.Description().size() + o.FileName().size();
  sum += o.GetAttribute("allfields").size() + o.GetAttribute("onclick").size();
  sum += o.GetProperty("charset").size();
  if (o.Kind() == testoHtml) {
    auto& t = static_cast<TZEBtesto&>(o);
    auto copy = t.PageCopy(true, nullptr);
    sum += copy->PlainText().size() + t.PreviousPage()->Index() + t.NextPage()->Index();
    sum += ReadAndLayOut(doc, *copy) + ResolveLinks(doc, t);
  }
  if (o.Kind() == immagine || o.Kind() == immagineNew)
    if (TZEBpicture* p = o.Picture()) sum += static_cast<size_t>(p->Width());
  if (o.Kind() == genLink || o.Kind() == zipLink) sum += o.ExtractToTemp().size();
  return sum;
}

// The first pages as the reader shows them.
size_t ShowPages(TZEBset& doc) {
  TInsiemeCornici frames;
  frames.SetReadOnly(true);
  frames.SetAnimated(false);
  frames.SetAutoJump(false);
  frames.SetActivePreview(false);
  frames.resize(320, 240);
  frames.SetLinkedZEBset(&doc);
  size_t sum = 0;
  for (int page = 0; page < std::min(doc.Count(testoHtml), 2); ++page) {
    frames.SetMainPageNumber(page);
    QCoreApplication::processEvents();
    sum += static_cast<size_t>(frames.grab().toImage().pixel(5, 5));
  }
  frames.SetClosing(true);
  frames.SetLinkedZEBset(nullptr);
  return sum;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  static QApplication app(*argc, *argv);
  Scratch();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TScratch& scratch = Scratch();
  if (scratch.folder.empty()) return 0;
  const std::string path = scratch.folder + "/input.zeb";
  {
    TFileWriter out(path, TCreateMode::Replace);
    if (!out.Write(data, size) || !out.Finish()) return 0;
  }
  QuietSink sink;
  size_t sum = 0;
  {
    TZEBset doc(TServices{&sink, nullptr, &scratch});
    doc.Open(path);
    sum += doc.Title().size() + doc.ExpPrefix().size() + doc.CharSet().size();
    sum += static_cast<size_t>(doc.FontCharSet() + doc.GlobalMargin());
    for (auto& kv : doc.DocProperties()) sum += kv.first.size() + kv.second.size();
    for (int k = 0; k < KindCount; ++k)
      for (int i = 0; i < doc.Count(k); ++i)
        if (TZEBoggetto* o = doc.ObjectAt(k, i)) sum += TouchObject(doc, *o);
    sum += ShowPages(doc);
  }
  if (sum == 0xFFFFFFFF) std::puts("");
  return 0;
}
