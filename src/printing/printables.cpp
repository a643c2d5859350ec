#include "printing/printables.h"

#include <QFileInfo>
#include <QPainter>
#include <algorithm>

#include "document/formrecords.h"
#include "document/records.h"
#include "document/zebobject.h"
#include "document/zebpicture.h"
#include "pageobjects/visual.h"
#include "printing/zebboxp.h"
#include "printing/zebpagep.h"

void TPrintual::SetBounds(int left, int top, int width, int height) {
  left_ = left;
  top_ = top;
  width_ = std::max(width, 0);
  height_ = std::max(height, 0);
}

TMyyPrintual::TMyyPrintual(TZEBpageP* job, TZEBoggetto* obj) : TPrintual(job), obj_(obj) {
  width_ = height_ = 105;
}

// ---------------------------------------------------------------- pictures

TMyyImageP::TMyyImageP(TZEBpageP* job, TZEBoggetto* obj) : TMyyPrintual(job, obj) { LoadPicture(); }

void TMyyImageP::LoadPicture() {
  TZEBpicture* pic = obj_->Picture();
  // A picture the reader loaded from a file outside the ebook prints from that file.
  std::unique_ptr<TZEBpicture> external;
  if ((!pic || pic->Empty())) {
    const std::string file = obj_->GetAttribute("externalfile");
    if (!file.empty() && QFileInfo::exists(QString::fromStdString(file))) {
      external = std::make_unique<TZEBpicture>();
      external->SetImageNameL(file);
      if (!external->Empty()) pic = external.get();
    }
  }
  if (!pic || pic->Empty()) return;
  naturalW_ = pic->Width();
  naturalH_ = pic->Height();
  displayW_ = external ? naturalW_ : TPictureRecord(obj_->Rec()).Width();
  displayH_ = external ? naturalH_ : TPictureRecord(obj_->Rec()).Height();
  if (displayW_ <= 0 || displayH_ <= 0) displayW_ = naturalW_, displayH_ = naturalH_;
  transparent_ = pic->Transparent();
  const QImage frame = PictureImage(pic);
  if (frame.isNull()) return;
  // Printers have no transparency: what would show through is the paper's white.
  image_ = QImage(frame.size(), QImage::Format_RGB32);
  image_.fill(Qt::white);
  QPainter p(&image_);
  p.drawImage(0, 0, frame);
}

bool TMyyImageP::Transparent() const { return transparent_; }

void TMyyImageP::Prepare(int) {
  if (image_.isNull() || naturalW_ <= 0 || naturalH_ <= 0) {
    SetBounds(left_, top_, 0, 0);
    return;
  }
  const TZEBpageP& job = *job_;
  // Display size in screen pixels, at the picture scale; 64-bit against absurd sizes.
  int64_t w = static_cast<int64_t>(displayW_) * job.PA() / 100;
  int64_t h = static_cast<int64_t>(displayH_) * job.PB() / 100;
  if (w > job.W() && w > 0) {
    h = h * job.W() / w;
    w = job.W();
  }
  // Never taller than a sheet either: it could not be printed whole anywhere.
  if (h > job.H() && h > 0) {
    w = w * job.H() / h;
    h = job.H();
  }
  SetBounds(left_, top_, static_cast<int>(std::max<int64_t>(w, 1)), static_cast<int>(std::max<int64_t>(h, 1)));
}

int TMyyImageP::Ascent() const {
  const uint8_t align = TPictureRecord(obj_->Rec()).Align();
  if (align == 3) return 0;
  if (align == 4) return height_ / 2;
  return height_;
}

void TMyyImageP::Print(QPainter& painter, const TPrintWindow& window) {
  if (image_.isNull() || width_ <= 0) return;
  if (job_->Probing()) {
    job_->OfferCut(top_, top_ + height_, true);
    return;
  }
  if (!window.Intersects(top_, top_ + height_)) return;
  painter.drawImage(QRect(left_, top_, width_, height_), image_);
}

// ---------------------------------------------------------------- form fields

TMyyRectangleP::TMyyRectangleP(TZEBpageP* job, TZEBoggetto* obj) : TMyyPrintual(job, obj) {
  const uint8_t s = obj->State();
  prints_ = obj->Kind() == inputStat && (s == formrec::fkEdit || s == formrec::fkEdit3);
  if (prints_) {
    value_ = obj->GetAttribute("thevaluetoprint");
    if (const auto* typed = job->Options().typedValues)
      if (auto it = typed->find(obj->Id()); it != typed->end()) value_ = it->second.text;
    width_ = job->ConvH(10 * std::max<int>(obj->Rec().Byte(formrec::SizeChars), 1));
    height_ = job->ConvV(21);
  } else {
    width_ = height_ = 0;
  }
}

void TMyyRectangleP::Print(QPainter&, const TPrintWindow& window) {
  if (!prints_ || value_.empty()) return;
  if (job_->Probing()) {
    job_->OfferCut(top_, top_ + height_, false);
    return;
  }
  if (!window.Intersects(top_, top_ + height_)) return;
  TCanvas& c = job_->Canvas();
  c.SetTextBackground(false, 0);
  // The field sits on the line's baseline; so does its value.
  c.TextOut(left_, top_ + height_ - c.Metrics().ascent, value_);
}

std::unique_ptr<TMyyPrintual> CreatePrintable(TZEBpageP* job, TZEBoggetto* obj) {
  if (!obj || !obj->HasView()) return nullptr;
  switch (obj->Kind()) {
    case immagineNew: return std::make_unique<TMyyImageP>(job, obj);
    case inputStat: case inputDin: return std::make_unique<TMyyRectangleP>(job, obj);
    case tabellaHtml: return std::make_unique<TMyyTableP>(job, obj);
    default: return std::make_unique<TMyyPrintual>(job, obj);
  }
}

// ---------------------------------------------------------------- canvas

void TPrintCanvas::SetFont(const TCanvasFont& f) {
  font_ = f;
  if (!black_) {
    qt_.SetFont(f);
    return;
  }
  TCanvasFont b = f;
  b.colour = 0;
  qt_.SetFont(b);
}

void TPrintCanvas::TextOut(int x, int y, std::string_view bytes, const int* advances) {
  if (bulletShift_ != 0 && font_.name == "Wingdings" && bytes == "w") {
    x += bulletShift_;
    bulletShift_ = 0;
  }
  qt_.TextOut(x, y, bytes, advances);
}
