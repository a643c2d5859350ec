// Frames, dividers and frame maps.
#include "pageobjects/zebframe.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QRubberBand>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "document/strutil.h"
#include "document/zebset.h"
#include "document/zebtypes.h"
#include "pageobjects/zebbox.h"
#include "pageobjects/zebframeset.h"
#include "pageobjects/zebpage.h"

// ---- The panel.

TZEBFramePanel::TZEBFramePanel(QWidget* parent) : QWidget(parent) {}
TZEBFramePanel::~TZEBFramePanel() = default;

std::vector<TZEBFrame*> TZEBFramePanel::Descendants() const {
  if (single_) return {single_};
  return children_;
}

void TZEBFramePanel::SetBarWidth(int width) {
  barWidth_ = width;
  for (TZEBFrame* f : Descendants()) f->SetBarWidth(width);
}

void TZEBFramePanel::SetReadOnly(bool on) {
  readOnly_ = on;
  for (TZEBFrame* f : Descendants()) f->SetReadOnly(on);
}

void TZEBFramePanel::SetAnimated(bool on) {
  animated_ = on;
  for (TZEBFrame* f : Descendants()) f->SetAnimated(on);
}

void TZEBFramePanel::SetShowFramesOnly(bool on) {
  showFramesOnly_ = on;
  for (TZEBFrame* f : Descendants()) f->SetShowFramesOnly(on);
}

void TZEBFramePanel::SetMarginFlag(bool on) {
  margin_ = on;
  for (TZEBFrame* f : Descendants()) f->SetMarginFlag(on);
}

void TZEBFramePanel::SetLineStep(int step) {
  if (step <= 0) return;
  lineStep_ = step;
  for (TZEBFrame* f : Descendants()) f->SetLineStep(step);
}

void TZEBFramePanel::paintEvent(QPaintEvent*) {
  if (single_) return;  // the root frame covers it
  QPainter p(this);
  p.setPen(Qt::black);
  p.setBrush(FrameColour(TFrameMapRecord::ButtonFace));
  p.drawRect(rect().adjusted(0, 0, -1, -1));
}

// ---- The frame.

namespace {

// The inner panel: holds the page control or the child frames; its resize
// places them again.
class TNoBgPaintPanel : public QWidget {
public:
  TNoBgPaintPanel(TZEBFrame* frame) : QWidget(frame), frame_(frame) {}

protected:
  void resizeEvent(QResizeEvent*) override { frame_->Realign(); }
  void mousePressEvent(QMouseEvent* e) override {
    if (frame_->ShowFramesOnly() && frame_->FrameSet()) frame_->FrameSet()->ClickedAt(frame_);
    QWidget::mousePressEvent(e);
  }

private:
  TZEBFrame* frame_;
};

int RoundEven(double v) {
  // Ties to even in the default rounding mode; values no int holds become 0
  // (a map whose percentages add up to 0 divides by 0).
  const double r = std::nearbyint(v);
  if (!std::isfinite(r) || r > std::numeric_limits<int>::max() || r < std::numeric_limits<int>::min())
    return 0;
  return int(r);
}

int Saturate(int64_t v) {
  return int(std::clamp<int64_t>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

}  // namespace

TZEBFrame::TZEBFrame(TZEBCustomFrameSet* frameSet, QWidget* parent, TZEBFrame* parentFrame)
    : TZEBFramePanel(parent), frameSet_(frameSet), parentFrame_(parentFrame) {
  inner_ = new TNoBgPaintPanel(this);
  inner_->setGeometry(rect());
  rec_.SetId(int32_t(reinterpret_cast<uintptr_t>(this) & 0x7FFFFFFF));
  char name[16];
  std::snprintf(name, sizeof name, "Frame%06x", unsigned(rec_.Id()) & 0xFFFFFF);
  rec_.SetName(name);
}

TZEBFrame::~TZEBFrame() {
  FreeChildren();
  FreePage();
  delete divider_;
}

bool TZEBFrame::IsRoot() const { return frameSet_ && frameSet_->RootFrame() == this; }

void TZEBFrame::SetName(std::string_view name) {
  rec_.SetName(name);
  inner_->setObjectName(QString::fromLatin1(name.data(), int(name.size())));
}

int TZEBFrame::Extent() const { return edgeBarMode_ == 1 ? height() : width(); }

void TZEBFrame::SetExtent(int v) {
  if (edgeBarMode_ == 1)
    resize(width(), v);
  else
    resize(v, height());
}

void TZEBFrame::SetReadOnly(bool on) {
  TZEBFramePanel::SetReadOnly(on);
  if (page_) page_->SetReadOnly(on);
}

void TZEBFrame::SetAnimated(bool on) {
  TZEBFramePanel::SetAnimated(on);
  if (page_) page_->SetAnimated(on);
}

void TZEBFrame::SetShowFramesOnly(bool on) {
  TZEBFramePanel::SetShowFramesOnly(on);
  if (page_) page_->SetShowFramesOnly(on);
}

void TZEBFrame::SetMarginFlag(bool on) {
  TZEBFramePanel::SetMarginFlag(on);
  const int m = on ? 10 : 0;
  inner_->setContentsMargins(m, m, m, m);
  Realign();
}

void TZEBFrame::SetBarWidth(int width) {
  TZEBFramePanel::SetBarWidth(width);
  for (TZEBFrame* c : children_)
    if (c->divider_) {
      c->divider_->Mintargetlimit = width / 2;
      c->divider_->MaxTargetLimit = width;
    }
}

void TZEBFrame::LeavePage() {
  if (!page_ || left_) return;
  left_ = true;
  try {
    if (frameSet_ && frameSet_->SaveOnExit())
      page_->WriteBack();
    else
      page_->Detach();
  } catch (...) {
  }
}

void TZEBFrame::ReleasePage() {
  if (!page_ || released_) return;
  LeavePage();
  released_ = true;
  try {
    page_->Release();
  } catch (...) {
  }
}

void TZEBFrame::FreePage() {
  if (!page_) return;
  ReleasePage();
  TZEBpage* p = page_;
  page_ = nullptr;
  prepared_ = left_ = released_ = false;
  delete p;
}

void TZEBFrame::FreeChildren() {
  std::vector<TZEBFrame*> kids;
  kids.swap(children_);
  for (TZEBFrame* c : kids) delete c;
}

void TZEBFrame::PreparePage(TZEBtesto* page) {
  FreePage();
  page_ = new TZEBpage(frameSet_, inner_);
  page_->SetReadOnly(readOnly_);
  page_->SetAnimated(animated_);
  page_->SetShowFramesOnly(showFramesOnly_);
  page_->SetScrollMode(scrollMode_);
  page_->setGeometry(inner_->contentsRect());
  ApplyBorder();
  if (!showFramesOnly_) page_->show();
  prepared_ = true;
  if (page) page_->ShowBackground(page);
}

void TZEBFrame::LoadPage(TZEBtesto* page) {
  try {
    if (page_ && page && page_->StoredPage() == page) return;
    if (!prepared_) PreparePage(nullptr);
    prepared_ = false;
    if (notice_ && notice_.get() != page) notice_.reset();
    if (!showFramesOnly_) page_->LoadPage(page);
  } catch (...) {
  }
}

void TZEBFrame::ShowNotice(std::unique_ptr<TZEBtesto> text) {
  FreePage();
  notice_ = std::move(text);
  LoadPage(notice_.get());
}

void TZEBFrame::ApplyBorder() {
  if (!page_) return;
  if (showFramesOnly_) {
    page_->setFrameShape(QFrame::Box);
    return;
  }
  if (rec_.Border() == 0) page_->setFrameShape(QFrame::NoFrame);
  else if (rec_.Border() == 1) page_->setFrameShape(QFrame::Box);
}

void TZEBFrame::ApplyPlacement(uint8_t code) {
  switch (code) {
    case 1: case 4: align_ = TAlign::Left; edgeBarMode_ = 0; break;
    case 3: align_ = TAlign::Client; edgeBarMode_ = 1; break;
    case 5: align_ = TAlign::Client; edgeBarMode_ = 0; break;
    default: align_ = TAlign::Top; edgeBarMode_ = 1; break;
  }
}

bool TZEBFrame::ReadMap(TFrameMapStream& s, int depth) {
  const TFrameMapRecord kept = rec_;
  if (!s.Read(rec_)) return true;
  ++s.framesRead;
  const bool nested = rec_.ParentId() == -1 && !IsRoot();
  if (nested) {
    // A page's map shown inside a frame: the frame keeps its place and look.
    const TFrameMapRecord read = rec_;
    rec_ = kept;
    rec_.b[28] = read.b[28];
    rec_.SetId(read.Id());
    rec_.b[32] = read.b[32];
    rec_.b[57] = read.b[57];
    rec_.SetI32(34, read.Page());
    rec_.b[56] = read.b[56];
  } else {
    ApplyPlacement(rec_.Placement());
  }
  scrollMode_ = rec_.ScrollBars() ? 3 : 0;
  if (s.RecordLength() < TFrameMapRecord::Size) {
    rec_.b[57] = 0;
    rec_.SetI32(52, 20);
    rec_.b[51] = 0;
    rec_.b[56] = 3;
    rec_.SetI32(46, int32_t(TFrameMapRecord::ButtonFace));
    if (rec_.MarginA() == 0 && rec_.MarginB() == 0) rec_.b[56] = 0, rec_.b[51] = 0;
    rec_.b[29] = rec_.b[30] = 0;
  }
  ApplySettings();
  if (!nested && IsRoot()) {
    align_ = TAlign::Client;
    rec_.SetName("Pag" + std::to_string(frameSet_ ? frameSet_->MainPageNumber() : -1));
  }
  bool complete = true;
  TFrameMapRecord next;
  for (int i = 0; s.Peek(next) && next.ParentId() == rec_.Id(); ++i) {
    // A map from a file is bounded: too deep or too many frames ends it here.
    if (depth + 1 >= kMaxDepth || s.framesRead >= kMaxFrames) return false;
    TZEBFrame* child = AddChildFrame(i);
    complete = child->ReadMap(s, depth + 1) && complete;
    children_.push_back(child);
    const uint8_t code = child->rec_.Placement();
    if (code == 0 || code == 1 || code == 2 || code == 4) {
      child->divider_ = new TZEBSplit(inner_);
      child->divider_->SetTargetControl(child);
      child->divider_->resize(thickness_, thickness_);
      child->divider_->Mintargetlimit = barWidth_ / 2;
      child->divider_->MaxTargetLimit = barWidth_;
      child->divider_->OnBeginSplit = [this](TZEBSplit* sp) { DividerDragStart(sp); };
      child->divider_->OnEndSplit = [this](TZEBSplit* sp) { DividerDragEnd(sp); };
      child->divider_->show();
    }
    child->ApplySettings();
    child->show();
    if (!complete) return false;
  }
  return complete;
}

TZEBFrame* TZEBFrame::AddChildFrame(int i) {
  auto* child = new TZEBFrame(frameSet_, inner_, this);
  child->TakeSettingsFrom(*this);
  child->setGeometry(10 * i, 10 * i, 5, 5);
  return child;
}

void TZEBFrame::ApplySettings() {
  inner_->setObjectName(rec_.ParentId() == -1 ? QString() : QString::fromLatin1(rec_.Name().c_str()));
  if (divider_) divider_->SetColour(rec_.DividerColour());
  if (children_.empty() && page_) {
    page_->setFrameShape(QFrame::NoFrame);
    ApplyBorder();
    if (showFramesOnly_) setWindowTitle(QString::fromLatin1(rec_.Name().c_str()));
  }
  if (divider_) divider_->SetSizeable(rec_.Sizeable() == 1);
  if (page_) page_->SetScrollMode(scrollMode_);
  thickness_ = readOnly_ ? rec_.DividerThickness() : std::max<int>(3, rec_.DividerThickness());
  for (TZEBFrame* c : children_)
    if (c->divider_) c->divider_->resize(thickness_, thickness_);
}

bool TZEBFrame::WriteMap(std::string& out, int mode) {
  try {
    rec_.SetId(int32_t(reinterpret_cast<uintptr_t>(this) & 0x7FFFFFFF));
    if (!showFramesOnly_) {
      int32_t page = -1;
      if (page_ && (mode == 1 || !page_->IsTemporary())) page = page_->PageIndex();
      rec_.SetI32(34, page);
    }
    rec_.SetParentId(parentFrame_ ? parentFrame_->rec_.Id() : -1);
    rec_.b[32] = children_.empty() ? 0 : 1;
    out.append(reinterpret_cast<const char*>(rec_.b.data()), rec_.b.size());
    for (TZEBFrame* c : children_)
      if (!c->WriteMap(out, mode)) return false;
    return true;
  } catch (...) {
    return false;
  }
}

void TZEBFrame::Layout() {
  if (children_.empty()) return;
  layingOut_ = true;
  const int n = int(children_.size());
  const int64_t gaps = int64_t(thickness_) * (n - 1);
  const uint8_t measure = children_[0]->edgeBarMode_;
  const int64_t total = measure == 0 ? width() - gaps : measure == 1 ? height() - gaps : 100;
  int64_t remaining = total;
  int equal = 0;
  float percentSum = 0.0f;
  for (TZEBFrame* c : children_) {
    switch (c->rec_.Mode()) {
      case TFrameMapRecord::ByPercent: percentSum += float(c->rec_.Percent()); break;
      case TFrameMapRecord::ByFixed: {
        const int fixed = c->rec_.FixedSize();
        c->SetExtent(fixed);
        c->rec_.SetI32(38, total ? Saturate(int64_t(fixed) * 100 / total) : 0);
        remaining -= fixed;
        break;
      }
      case TFrameMapRecord::ByEqual: ++equal; break;
      default: break;
    }
  }
  const double t = double(total), r = double(remaining);
  if ((double(equal) + double(percentSum)) * 0.01 * t > r) percentSum = float(r / t * 100.0 - equal);
  int share = 0;
  if (equal > 0) {
    share = RoundEven(r - 0.01 * double(percentSum) * t) / equal;
    remaining -= int64_t(share) * equal;
  }
  for (TZEBFrame* c : children_) {
    if (c->rec_.Mode() == TFrameMapRecord::ByPercent)
      c->SetExtent(RoundEven(double(c->rec_.Percent()) / double(percentSum) * double(remaining)));
    else if (c->rec_.Mode() == TFrameMapRecord::ByEqual)
      c->SetExtent(share);
  }
  layingOut_ = false;
  Realign();
}

void TZEBFrame::LayoutTree() {
  Layout();
  for (TZEBFrame* c : children_) c->LayoutTree();
}

void TZEBFrame::Realign() {
  if (layingOut_ || realigning_) return;
  realigning_ = true;
  inner_->setGeometry(rect());
  realigning_ = false;
  QRect r = inner_->contentsRect();
  if (page_) page_->setGeometry(r);
  auto place = [&](TZEBFrame* c, TAlign want) {
    if (c->align_ != want) return;
    QWidget* d = c->divider_;
    if (want == TAlign::Top || want == TAlign::Bottom) {
      const int h = c->height(), dh = d ? d->height() : 0;
      const int y = want == TAlign::Top ? r.top() : r.bottom() + 1 - h;
      c->setGeometry(r.left(), y, r.width(), h);
      if (d) d->setGeometry(r.left(), want == TAlign::Top ? y + h : y - dh, r.width(), dh);
      if (want == TAlign::Top) r.setTop(r.top() + h + dh);
      else r.setBottom(r.bottom() - h - dh);
    } else {
      const int w = c->width(), dw = d ? d->width() : 0;
      const int x = want == TAlign::Left ? r.left() : r.right() + 1 - w;
      c->setGeometry(x, r.top(), w, r.height());
      if (d) d->setGeometry(want == TAlign::Left ? x + w : x - dw, r.top(), dw, r.height());
      if (want == TAlign::Left) r.setLeft(r.left() + w + dw);
      else r.setRight(r.right() - w - dw);
    }
  };
  // Top, bottom, left and right frames stack in that order; fill frames take the rest.
  for (TAlign a : {TAlign::Top, TAlign::Bottom, TAlign::Left, TAlign::Right})
    for (TZEBFrame* c : children_) place(c, a);
  for (TZEBFrame* c : children_)
    if (c->align_ == TAlign::Client || c->align_ == TAlign::None)
      c->setGeometry(r.left(), r.top(), std::max(0, r.width()), std::max(0, r.height()));
}

void TZEBFrame::resizeEvent(QResizeEvent*) {
  if (children_.empty())
    Realign();
  else
    Layout();
}

void TZEBFrame::CollectLeaves(std::vector<TZEBFrame*>& out) {
  if (children_.empty()) {
    out.push_back(this);
    return;
  }
  for (TZEBFrame* c : children_) c->CollectLeaves(out);
}

TZEBFrame* TZEBFrame::FindFrame(const std::string& name) {
  if (str::EqualsNoCase(rec_.Name(), name)) return this;
  for (TZEBFrame* c : children_)
    if (TZEBFrame* f = c->FindFrame(name)) return f;
  return nullptr;
}

void TZEBFrame::DividerDragStart(TZEBSplit*) {}

void TZEBFrame::DividerDragEnd(TZEBSplit* split) {
  TZEBFrame* dragged = split ? split->TargetControl() : nullptr;
  Realign();
  if (dragged && dragged->width() >= barWidth_ && dragged->height() >= barWidth_ && !children_.empty()) {
    // A last frame squeezed to nothing takes room back from a wide neighbour.
    if (children_.back()->Extent() < 20)
      for (int i = int(children_.size()) - 2; i >= 0; --i)
        if (children_[i]->Extent() > 50) {
          children_[i]->SetExtent(children_[i]->Extent() - 30);
          Realign();
          break;
        }
    const int n = int(children_.size());
    const int parentExtent = children_[0]->edgeBarMode_ == 1 ? height() : width();
    const int64_t base = int64_t(parentExtent) - int64_t(n - 1) * thickness_;
    for (TZEBFrame* c : children_) {
      c->rec_.SetI32(52, c->Extent());
      c->rec_.SetI32(38, base ? Saturate(int64_t(c->Extent()) * 100 / base) : 0);
    }
    if (frameSet_ && frameSet_->OnRulerPosChanged) frameSet_->OnRulerPosChanged(frameSet_->ActiveBox());
  }
  if (frameSet_ && frameSet_->OnFrameSetChanged) frameSet_->OnFrameSetChanged(this);
}
