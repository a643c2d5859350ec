#include "pageobjects/boxclip.h"

#include <QApplication>
#include <QClipboard>
#include <QImage>

#include "document/zebset.h"
#include "pageobjects/visual.h"
#include "pageobjects/zebbox.h"
#include "text/zebconv.h"

namespace {

std::vector<const TZEBparag*> Paragraphs(const TZEBbox& box) {
  std::vector<const TZEBparag*> v;
  v.reserve(static_cast<size_t>(box.ParagraphCount()));
  for (int i = 0; i < box.ParagraphCount(); ++i) v.push_back(box.Paragraph(i));
  return v;
}

TTextContext WriteContext(TZEBbox& box) {
  TTextContext ctx;
  ctx.doc = box.Document();
  ctx.index = &box;
  return ctx;
}

QByteArray Bytes(const std::string& s) { return QByteArray(s.data(), static_cast<qsizetype>(s.size())); }

TSelectionRange Whole(const TZEBbox& box) {
  TSelectionRange r;
  r.p2 = box.ParagraphCount() - 1;
  const TZEBparag* last = box.Paragraph(r.p2);
  r.c2 = last ? static_cast<int>(last->text.size()) : 0;
  return r;
}

}  // namespace

TZEBbox* BoxOf(QObject* control) {
  for (QObject* o = control; o; o = o->parent())
    if (auto* box = qobject_cast<TZEBbox*>(o)) return box;
  return nullptr;
}

bool SelectionOf(const TZEBbox& box, TSelectionRange& r) {
  if (!box.HasSelection()) return false;
  box.SelectionStart(r.p1, r.c1);
  box.SelectionEnd(r.p2, r.c2);
  return true;
}

std::unique_ptr<QMimeData> SelectionMimeData(TZEBbox& box, const TSelectionRange& range) {
  TZEBset* doc = box.Document();
  auto mime = std::make_unique<QMimeData>();
  if (!doc) return mime;
  const std::vector<const TZEBparag*> paras = Paragraphs(box);
  TTextContext ctx = WriteContext(box);
  const TSelectionForms forms = CopyForms(paras, ctx, box.Text(), range);
  mime->setData(kNativeClipFormat, Bytes(forms.native));
  if (forms.picture)
    if (const QImage img = PictureImage(forms.picture->Picture()); !img.isNull()) mime->setImageData(img);
  // The 0 byte that ends each form on other systems is left out: a selection
  // here carries its length.
  mime->setData(kRtfMime, Bytes(forms.rtf));
  mime->setData(kRtfMimeAlt, Bytes(forms.rtf));
  mime->setHtml(QString::fromStdString(forms.html));
  mime->setText(QString::fromStdString(doc->CodePage().ToUtf8(forms.text)));
  return mime;
}

void SelectWholeBox(TZEBbox& box) {
  if (box.ParagraphCount() == 0) return;
  const TSelectionRange r = Whole(box);
  box.SelectRange(r.p1, r.c1, r.p2, r.c2);
}

bool CopySelectionToClipboard(TZEBbox& box) {
  TSelectionRange r;
  if (!box.Document() || !SelectionOf(box, r)) return false;
  box.BeginUpdate();
  std::unique_ptr<QMimeData> mime = SelectionMimeData(box, r);
  box.EndUpdate();
  QApplication::clipboard()->setMimeData(mime.release());
  return true;
}

std::string BoxPlainText(TZEBbox& box) {
  if (!box.Document() || box.ParagraphCount() == 0) return {};
  TTextContext ctx = WriteContext(box);
  const std::string markup = SelectionMarkup(Paragraphs(box), ctx, Whole(box));
  std::string out;
  TZEBtoTxt conv(box.Document(), &box, box.Text());
  conv.copy = false;  // a parameter file holds the text without the clipboard's 0 byte
  conv.Convert(markup, out);
  return out;
}
