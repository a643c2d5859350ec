#include "pageobjects/visual.h"

#include <cstring>

#include <QApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

#include "document/zebobject.h"
#include "document/zebpicture.h"
#include "document/zebset.h"
#include "pageobjects/framesetapi.h"
#include "pageobjects/zebbox.h"
#include "pageobjects/zebpage.h"

// ---------------------------------------------------------------- transparent controls

TOxTransCustomControl::TOxTransCustomControl(QWidget* parent) : QWidget(parent) {
  setAutoFillBackground(false);
  setFocusPolicy(Qt::ClickFocus);  // no tab stop
}

bool TOxTransCustomControl::focusNextPrevChild(bool next) {
  return WantsAllKeys() ? false : QWidget::focusNextPrevChild(next);
}

TTransNoEventsControl::TTransNoEventsControl(QWidget* parent) : TTransMouseControl(parent) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setFocusPolicy(Qt::NoFocus);
}

TBoxBorder::TBoxBorder(QWidget* parent, int side) : TTransNoEventsControl(parent), side_(side) {
  SetFastMove(true);
  hide();
}

void TBoxBorder::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setPen(QPen(Qt::black, 1, Qt::DotLine));
  if (side_ == 1 || side_ == 3)
    p.drawLine(0, 0, width(), 0);
  else
    p.drawLine(0, 0, 0, height());
}

TDragBorder::TDragBorder(QWidget* parent, int position) : TTransMouseControl(parent), position_(position) {
  resize(8, 8);
  static const Qt::CursorShape shapes[8] = {Qt::SizeFDiagCursor, Qt::SizeVerCursor, Qt::SizeBDiagCursor,
                                            Qt::SizeHorCursor,   Qt::SizeFDiagCursor, Qt::SizeVerCursor,
                                            Qt::SizeBDiagCursor, Qt::SizeHorCursor};
  setCursor(shapes[position & 7]);
  hide();
}

void TDragBorder::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setPen(Qt::black);
  p.setBrush(isEnabled() ? QColor(Qt::white) : QColor(0xC0, 0xC0, 0xC0));
  p.drawRect(rect().adjusted(0, 0, -1, -1));
}

TDragBorderGroup::~TDragBorderGroup() {
  for (auto& h : handles_) delete h.data();
  for (auto& s : sides_) delete s.data();
}

void TDragBorderGroup::Create() {
  if (handles_[0]) return;
  QWidget* host = owner_->parentWidget() ? owner_->parentWidget() : owner_;
  for (int i = 0; i < 8; ++i) handles_[i] = new TDragBorder(host, i);
  for (int i = 0; i < 4; ++i) sides_[i] = new TBoxBorder(host, i + 1);
}

void TDragBorderGroup::Arrange() {
  const QRect r = owner_->geometry();
  const int xs[3] = {r.left() - 8, r.center().x() - 4, r.right() + 1};
  const int ys[3] = {r.top() - 8, r.center().y() - 4, r.bottom() + 1};
  static const int cell[8][2] = {{0, 0}, {1, 0}, {2, 0}, {2, 1}, {2, 2}, {1, 2}, {0, 2}, {0, 1}};
  for (int i = 0; i < 8; ++i)
    if (handles_[i]) handles_[i]->move(xs[cell[i][0]], ys[cell[i][1]]);
  const QRect sides[4] = {{r.left(), r.top() - 1, r.width(), 1},
                          {r.right() + 1, r.top(), 1, r.height()},
                          {r.left(), r.bottom() + 1, r.width(), 1},
                          {r.left() - 1, r.top(), 1, r.height()}};
  for (int i = 0; i < 4; ++i)
    if (sides_[i]) sides_[i]->setGeometry(sides[i]);
}

void TDragBorderGroup::Show(bool handles, bool outline) {
  Create();
  Arrange();
  for (auto& h : handles_)
    if (h) h->setVisible(handles);
  for (auto& s : sides_)
    if (s) s->setVisible(outline);
  visible_ = handles || outline;
}

void TDragBorderGroup::Hide() {
  for (auto& h : handles_)
    if (h) h->hide();
  for (auto& s : sides_)
    if (s) s->hide();
  visible_ = false;
}

// ---------------------------------------------------------------- TDragCustomControl

TDragCustomControl::TDragCustomControl(QWidget* parent) : TOxTransCustomControl(parent) {}
TDragCustomControl::~TDragCustomControl() = default;

IFrameSetHost* TDragCustomControl::GetFrameSet() {
  if (frameSet_) return frameSet_;
  for (QWidget* w = parentWidget(); w && !frameSet_; w = w->parentWidget()) {
    if (auto* page = qobject_cast<TZEBpage*>(w))
      frameSet_ = page->FrameSet();
    else if (auto* d = qobject_cast<TDragCustomControl*>(w))
      frameSet_ = d->GetFrameSet();
    else
      continue;
    break;
  }
  return frameSet_;
}

void TDragCustomControl::UpdateHandles() {
  if (readOnly_ || inactive_) {
    if (handles_) handles_->Hide();
    if (hasFocus()) ExitHook();
    return;
  }
  if (outline_) {
    if (!handles_) handles_ = std::make_unique<TDragBorderGroup>(this);
    handles_->Show(selected_, true);
  }
  if (hasFocus()) EnterHook();
}

void TDragCustomControl::SetReadOnly(bool on) {
  readOnly_ = on;
  UpdateHandles();
}

void TDragCustomControl::SetInactive(bool on) {
  inactive_ = on;
  UpdateHandles();
}

void TDragCustomControl::SetSelected(bool on) {
  selected_ = on;
  if (on && !readOnly_ && !inactive_) {
    if (!handles_) handles_ = std::make_unique<TDragBorderGroup>(this);
    handles_->Show(true, outline_);
  } else if (!on && handles_) {
    handles_->Hide();
  }
}

void TDragCustomControl::EnterHook() {
  if (!readOnly_ && !inactive_ && !selected_) SetSelected(true);
}

void TDragCustomControl::ExitHook() {
  if (!selected_) return;
  SetSelected(false);
}

void TDragCustomControl::focusInEvent(QFocusEvent* e) {
  TOxTransCustomControl::focusInEvent(e);
  EnterHook();
}

void TDragCustomControl::focusOutEvent(QFocusEvent* e) {
  TOxTransCustomControl::focusOutEvent(e);
  ExitHook();
}

// ---------------------------------------------------------------- TMyyVisual

TMyyVisual::TMyyVisual(QWidget* parent) : TDragCustomControl(parent) { resize(105, 105); }
TMyyVisual::~TMyyVisual() = default;

void TMyyVisual::Bind(TZEBoggetto* obj) {
  if (!GetFrameSet()) {
    if (obj && obj->Document()) obj->Document()->Say(TMsgKind::Information, "Parent insieme?");
    return;
  }
  if (obj == object_) return;
  object_ = obj;
  LoadFromObject();
}

void TMyyVisual::SetParentWidth(int width) {
  parentWidth_ = width != 0 ? width : parentWidget() ? parentWidget()->width() : 0;
}

void TMyyVisual::ActivateInReader() {
  TZEBoggetto* link = LinkedObject();
  IFrameSetHost* fs = GetFrameSet();
  if (link && fs) fs->RaiseLink(link, this);
}

void TMyyVisual::mousePressEvent(QMouseEvent* e) {
  e->accept();
  pressPos_ = e->position().toPoint();
  if (auto* box = qobject_cast<TZEBbox*>(parentWidget())) box->SetPressScreenPoint(e->globalPosition().toPoint());
  if (e->button() == Qt::RightButton) return;
  if (ReadOnly() || Inactive()) {
    if (focusPolicy() != Qt::NoFocus && !hasFocus()) setFocus(Qt::MouseFocusReason);
    pressed_ = true;
  }
}

void TMyyVisual::mouseMoveEvent(QMouseEvent* e) {
  // A read-only object keeps its cursor; moving objects is for authors.
  TDragCustomControl::mouseMoveEvent(e);
}

void TMyyVisual::mouseReleaseEvent(QMouseEvent* e) {
  if (doubleClicked_) {
    doubleClicked_ = false;
    pressed_ = false;
    return;
  }
  if (e->button() == Qt::RightButton) {
    if (popup_) {
      IFrameSetHost* fs = GetFrameSet();
      if (fs && fs->ActiveControl() != this) fs->SetActiveControl(this);
      popup_->popup(e->globalPosition().toPoint());
    }
    return;
  }
  const bool pressed = pressed_;
  pressed_ = false;
  if (e->button() == Qt::LeftButton && pressed && (ReadOnly() || Inactive())) ActivateInReader();
}

void TMyyVisual::mouseDoubleClickEvent(QMouseEvent* e) {
  (void)e;
  doubleClicked_ = true;
}

// ---------------------------------------------------------------- TOxHintWindow

namespace {
QPointer<TOxHintWindow>& HintInstance() {
  static QPointer<TOxHintWindow> w;
  return w;
}
}  // namespace

TOxHintWindow::TOxHintWindow(QWidget* parent) : QWidget(parent, Qt::ToolTip | Qt::FramelessWindowHint) {
  setAttribute(Qt::WA_ShowWithoutActivating);
  setAutoFillBackground(true);
  setBackgroundRole(QPalette::ToolTipBase);
}

void TOxHintWindow::SetText(const QString& text) {
  text_ = text;
  resize(sizeHint());
  update();
}

QSize TOxHintWindow::sizeHint() const {
  const QRect r = fontMetrics().boundingRect(QRect(0, 0, 320, 2000), Qt::TextWordWrap, text_);
  return QSize(r.width() + 6, r.height() + 6);
}

void TOxHintWindow::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setPen(palette().color(QPalette::ToolTipText));
  p.drawText(rect().adjusted(2, 2, -1, -1), Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, text_);
  p.setPen(palette().color(QPalette::Shadow));
  p.drawRect(rect().adjusted(0, 0, -1, -1));
}

void TOxHintWindow::ShowHint(const QPoint& globalPos, const QString& text) {
  if (text.isEmpty()) {
    HideHint();
    return;
  }
  auto& w = HintInstance();
  if (!w) {
    w = new TOxHintWindow;
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, w.data(), &QObject::deleteLater);
  }
  w->SetText(text);
  w->move(globalPos + QPoint(0, 20));
  w->show();
}

void TOxHintWindow::HideHint() {
  if (auto& w = HintInstance()) w->hide();
}

TOxHintWindow* TOxHintWindow::Current() { return HintInstance(); }

bool TOxHintWindow::HandleToolTip(QEvent* e, const QString& hint) {
  if (e->type() != QEvent::ToolTip) return false;
  if (hint.isEmpty())
    HideHint();
  else
    ShowHint(static_cast<QHelpEvent*>(e)->globalPos(), hint);
  return true;
}

// ---------------------------------------------------------------- TOutlLabel

void TOutlLabel::paintEvent(QPaintEvent*) {
  QPainter p(this);
  if (!transparent_) p.fillRect(rect(), palette().color(backgroundRole()));
  const QRect r = contentsRect();
  const int flags = static_cast<int>(alignment()) | (wordWrap() ? Qt::TextWordWrap : 0);
  p.setFont(font());
  p.setPen(shadow_);
  for (int dx = 0; dx <= 2; ++dx)
    for (int dy = 0; dy <= 2; ++dy) p.drawText(r.translated(dx, dy), flags, text());
  p.setPen(palette().color(foregroundRole()));
  p.drawText(r.translated(1, 1), flags, text());
}

// ---------------------------------------------------------------- helpers

std::string DescriptionVisible(const std::string& description) {
  const size_t bar = description.find('|');
  return bar == std::string::npos ? description : description.substr(0, bar);
}

std::string DescriptionHint(const std::string& description) {
  const size_t bar = description.find('|');
  return bar == std::string::npos ? description : description.substr(bar + 1);
}

QImage PictureImage(const TZEBpicture* picture, int frame) {
  if (!picture || picture->Empty() || frame < 0 || frame >= picture->FrameCount()) return {};
  const TDecodedPicture& d = picture->Data();
  const std::vector<uint32_t>& px = d.frames[static_cast<size_t>(frame)].pixels;
  if (px.size() < static_cast<size_t>(d.width) * static_cast<size_t>(d.height)) return {};
  QImage img(d.width, d.height, QImage::Format_ARGB32);
  if (img.isNull()) return {};
  for (int y = 0; y < d.height; ++y)
    std::memcpy(img.scanLine(y), px.data() + static_cast<size_t>(y) * d.width, static_cast<size_t>(d.width) * 4);
  return img;
}
