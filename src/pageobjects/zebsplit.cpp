// The divider between frames of a row or column.
#include "pageobjects/zebsplit.h"

#include <QMouseEvent>
#include <QRubberBand>
#include <algorithm>

#include "pageobjects/framemap.h"
#include "pageobjects/zebframe.h"

TZEBSplit::TZEBSplit(QWidget* parent) : QWidget(parent) {
  resize(3, 3);
  setAutoFillBackground(true);
  setFocusPolicy(Qt::NoFocus);
}

TZEBSplit::~TZEBSplit() = default;

void TZEBSplit::SetColour(uint32_t colour) {
  QPalette pal = palette();
  pal.setColor(QPalette::Window, FrameColour(colour));
  setPalette(pal);
}

void TZEBSplit::SetTargetControl(TZEBFrame* target) {
  if (dragging_) EndDrag();
  const TAlign a = target ? target->Align() : TAlign::None;
  if (a == TAlign::None || a == TAlign::Client) {
    target_ = nullptr;
    return;
  }
  target_ = target;
  vertical_ = a == TAlign::Left || a == TAlign::Right;
  SetSizeable(sizeable_);
}

void TZEBSplit::SetSizeable(bool on) {
  sizeable_ = on;
  if (!on)
    setCursor(Qt::ArrowCursor);
  else
    setCursor(vertical_ ? Qt::SplitHCursor : Qt::SplitVCursor);
}

int TZEBSplit::TargetExtent() const {
  if (!target_) return 0;
  return vertical_ ? target_->width() : target_->height();
}

int TZEBSplit::ParentExtent() const {
  QWidget* p = parentWidget();
  if (!p) return 0;
  return vertical_ ? p->width() : p->height();
}

bool TZEBSplit::BeginDrag(QPoint pos) {
  if (!sizeable_ || Locked || !target_ || dragging_) return false;
  dragging_ = true;
  start_ = mapToParent(pos);
  startSize_ = size_ = TargetExtent();
  if (OnBeginSplit) OnBeginSplit(this);
  // The line shows where the divider will go; the frames move on release.
  if (parentWidget()) {
    line_ = new QRubberBand(QRubberBand::Line, parentWidget());
    PlaceLine();
    line_->show();
  }
  return true;
}

void TZEBSplit::PlaceLine() {
  if (!line_ || !target_) return;
  const int thick = std::max(1, vertical_ ? width() : height());
  QRect t = target_->geometry();
  const TAlign a = target_->Align();
  QRect r;
  if (a == TAlign::Left) r = QRect(t.left() + size_, y(), thick, height());
  else if (a == TAlign::Right) r = QRect(t.right() + 1 - size_ - thick, y(), thick, height());
  else if (a == TAlign::Top) r = QRect(x(), t.top() + size_, width(), thick);
  else r = QRect(x(), t.bottom() + 1 - size_ - thick, width(), thick);
  line_->setGeometry(r);
}

void TZEBSplit::MoveDrag(QPoint pos) {
  if (!dragging_ || !target_) return;
  if (OnMoveSplit) OnMoveSplit(this);
  const QPoint d = mapToParent(pos) - start_;
  int n = startSize_;
  switch (target_->Align()) {
    case TAlign::Left: n += d.x(); break;
    case TAlign::Right: n -= d.x(); break;
    case TAlign::Top: n += d.y(); break;
    default: n -= d.y(); break;
  }
  // Outside the limits the line stays at the limit.
  const int hi = ParentExtent() - MaxTargetLimit;
  n = std::min(n, hi);
  n = std::max(n, Mintargetlimit);
  size_ = n;
  PlaceLine();
}

void TZEBSplit::EndDrag() {
  if (!dragging_) return;
  dragging_ = false;
  if (OnEndingSplit) OnEndingSplit(this);
  delete line_;
  line_ = nullptr;
  if (QWidget::mouseGrabber() == this) releaseMouse();
  if (!target_) return;
  target_->SetExtent(size_);
  if (OnEndSplit) OnEndSplit(this);
}

void TZEBSplit::mousePressEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton && e->buttons() == Qt::LeftButton && BeginDrag(e->position().toPoint()))
    return;
  QWidget::mousePressEvent(e);
}

void TZEBSplit::mouseMoveEvent(QMouseEvent* e) {
  if (dragging_) MoveDrag(e->position().toPoint());
}

void TZEBSplit::mouseReleaseEvent(QMouseEvent* e) {
  if (dragging_ && e->button() == Qt::LeftButton) EndDrag();
}
