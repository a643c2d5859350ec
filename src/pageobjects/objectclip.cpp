#include "pageobjects/objectclip.h"

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QMimeData>
#include <algorithm>

#include "document/records.h"
#include "document/zebset.h"
#include "pageobjects/image.h"
#include "pageobjects/visual.h"
#include "pageobjects/zebbox.h"
#include "pageobjects/zebpage.h"
#include "text/nativeclip.h"

namespace {

QByteArray Bytes(const std::string& s) { return QByteArray(s.data(), static_cast<qsizetype>(s.size())); }

void Offer(const std::string& package, TZEBoggetto* image) {
  auto mime = std::make_unique<QMimeData>();
  mime->setData(kPictureClipFormat, Bytes(package));
  if (image)
    if (const QImage img = PictureImage(image->Picture()); !img.isNull()) mime->setImageData(img);
  QApplication::clipboard()->setMimeData(mime.release());
}

void AddOnce(std::vector<TZEBoggetto*>& list, TZEBoggetto* o) {
  if (o && std::find(list.begin(), list.end(), o) == list.end()) list.push_back(o);
}

}  // namespace

bool CopyPictureToClipboard(TMyyImage& picture) {
  TZEBoggetto* obj = picture.Object();
  TZEBoggetto* source = picture.PictureSource();
  if (!obj || !source) return false;
  std::vector<TZEBoggetto*> links, pictures;
  AddOnce(links, picture.LinkedObject());
  for (TMyyZona* zone : picture.Zones()) AddOnce(links, zone->Link());
  TZEBset* doc = obj->Document();
  const TPictureRecord r(obj->Rec());
  if (source != obj) AddOnce(pictures, source);
  if (doc && r.Hover() >= 0)
    if (TZEBoggetto* hover = doc->ObjectAt(immagine, r.Hover()); hover && !hover->IsDeleted()) AddOnce(pictures, hover);
  Offer(WritePictureClip(*obj, links, pictures), source);
  return true;
}

bool CopyZoneToClipboard(TMyyZona& zone) {
  TZEBoggetto* obj = zone.Picture() ? zone.Picture()->Object() : nullptr;
  if (!obj) return false;
  auto mime = std::make_unique<QMimeData>();
  mime->setData(kZoneClipFormat, Bytes(WriteZoneClip(*obj, zone.Slot())));
  QApplication::clipboard()->setMimeData(mime.release());
  return true;
}

TBackgroundCopy CopyPageBackground(TZEBbox& box) {
  TZEBpage* page = box.Page();
  TZEBtesto* text = page ? page->DisplayText() : nullptr;
  TZEBset* doc = box.Document();
  const int32_t index = text ? text->Rec().I32(pagerec::BackPicture) : -1;
  if (!doc || index < 0) return TBackgroundCopy::NoBackground;
  TZEBoggetto* image = doc->ObjectAt(immagine, index);
  if (!image || image->IsDeleted() || !image->Picture()) return TBackgroundCopy::NotAPicture;
  const std::unique_ptr<TZEBoggetto> shown = NewPictureObject(*doc, *image);
  Offer(WritePictureClip(*shown, {}, {image}), image);
  return TBackgroundCopy::Copied;
}
