// The frame set's active control, focus and scrolling.
#include "pageobjects/zebframeset.h"

#include <QKeyEvent>
#include <QWheelEvent>
#include <QtGlobal>
#include <algorithm>
#include <exception>

#include "pageobjects/zebbox.h"
#include "pageobjects/zebpage.h"

// ---- Active control, focus and scrolling.

void TZEBCustomFrameSet::SetActiveControl(QWidget* control) {
  active_ = control;
  objectChosen_ = control != nullptr;
  if (OnSelectionChange) OnSelectionChange(this, control);
}

void TZEBCustomFrameSet::SetFocusedBox(TZEBbox* box) {
  objectChosen_ = false;
  if (box == focused_) return;
  focused_ = readOnly_ ? box : nullptr;
}

TZEBbox* TZEBCustomFrameSet::FocusedBox() const { return focused_; }

void TZEBCustomFrameSet::SelectionChanged(QWidget* source) {
  if (OnSelectionChange) OnSelectionChange(this, source);
}

void TZEBCustomFrameSet::ClickedAt(QWidget* source) {
  if (!showFramesOnly_) return;
  for (QObject* o = source; o && o != this; o = o->parent())
    if (auto* f = qobject_cast<TZEBFrame*>(o)) {
      selectedFrame_ = f;
      break;
    }
  FireNotify(OnClickFrame, this);
}

// Runs `work` on a later turn of the event loop, unless the display was
// dropped in between (then it would touch objects that are gone).
void TZEBCustomFrameSet::Later(std::function<void()> work) {
  const uint64_t gen = generation_;
  QMetaObject::invokeMethod(
      this,
      [this, gen, work = std::move(work)] {
        if (gen != generation_) return;
        // Deferred work starts here: a failure in it is reported once.
        try {
          work();
        } catch (const std::exception&) {
          if (!closing_) Message(TMsgKind::Error, "Errore sconociuto. E' meglio salvare e uscire. Eventualmente riavviare.");
        }
      },
      Qt::QueuedConnection);
}

void TZEBCustomFrameSet::PostFocus(int retry) {
  Later([this, retry] { FocusActive(retry); });
}

void TZEBCustomFrameSet::ScrollMainToAnchorLater(int anchor) {
  Later([this, anchor] { ScrollMainToAnchor(anchor); });
}

void TZEBCustomFrameSet::FocusActive(int retry) {
  if (loading_ || closing_) return;
  {
    QWidget* c = active_ ? active_.data() : ActiveBox();
    if (!c) return;
    if (c->isHidden()) c->show();
    if (c->focusPolicy() == Qt::NoFocus || !c->isEnabled()) return;
    if (auto* box = qobject_cast<TZEBbox*>(c)) focused_ = box;
    if (!c->isVisible() || c->hasFocus() || floating_ || noFocus_) return;
    // The control that asked may still be handling its own event: focus later.
    if (retry < 2) {
      PostFocus(retry + 1);
      return;
    }
    c->setFocus(Qt::OtherFocusReason);
    if (!c->hasFocus() && retry + 1 < 10) PostFocus(retry + 1);
  }
}

bool TZEBCustomFrameSet::ScrollByKey(int key) {
  TZEBbox* box = focused_;
  TZEBpage* page = box ? box->Page() : nullptr;
  if (!page) return false;
  const int step = std::max(10, page->height() - 20);
  {
    switch (key) {
      case Qt::Key_PageUp: page->SetScrollY(page->ScrollY() - step); return true;
      case Qt::Key_PageDown: page->SetScrollY(page->ScrollY() + step); return true;
      case Qt::Key_Up: page->SetScrollY(page->ScrollY() - 20); return true;
      case Qt::Key_Down: page->SetScrollY(page->ScrollY() + 20); return true;
      case Qt::Key_Left: page->SetScrollX(page->ScrollX() - 20); return true;
      case Qt::Key_Right: page->SetScrollX(page->ScrollX() + 20); return true;
      default: return false;
    }
  }
}

void TZEBCustomFrameSet::ScrollByWheel(int angleDelta) {
  if (angleDelta == 0) return;
  TZEBbox* box = ActiveBox();
  TZEBpage* page = box ? box->Page() : nullptr;
  if (page) page->SetScrollY(page->ScrollY() + (angleDelta > 0 ? -100 : 100));
}

void TZEBCustomFrameSet::keyPressEvent(QKeyEvent* e) {
  if (!ScrollByKey(e->key())) TZEBFramePanel::keyPressEvent(e);
}

void TZEBCustomFrameSet::wheelEvent(QWheelEvent* e) {
  ScrollByWheel(e->angleDelta().y());
  e->accept();
}

bool TZEBCustomFrameSet::eventFilter(QObject* watched, QEvent* e) {
  // Keys a box leaves alone reach its page control: the frame set scrolls
  // with its own steps instead of the scroll area's.
  if (e->type() == QEvent::KeyPress && qobject_cast<TZEBpage*>(watched))
    if (ScrollByKey(static_cast<QKeyEvent*>(e)->key())) return true;
  return TZEBFramePanel::eventFilter(watched, e);
}

TZEBbox* TZEBCustomFrameSet::ActiveBox() const {
  for (QWidget* w = active_; w && w != this; w = w->parentWidget())
    if (auto* box = qobject_cast<TZEBbox*>(w)) return box;
  if (single_ && single_->PageControl() && single_->PageControl()->Box()) return single_->PageControl()->Box();
  for (auto it = pages_.rbegin(); it != pages_.rend(); ++it)
    if (*it && (*it)->Box() && (*it)->DisplayText()) return (*it)->Box();
  return nullptr;
}

TZEBbox* TZEBCustomFrameSet::MainBox() const {
  if (single_ && single_->PageControl() && single_->PageControl()->Box()) return single_->PageControl()->Box();
  for (auto it = pages_.rbegin(); it != pages_.rend(); ++it)
    if (*it && (*it)->Box() && (*it)->StoredPage() && (*it)->PageIndex() == mainPage_) return (*it)->Box();
  return nullptr;
}

std::vector<TZEBpage*> TZEBCustomFrameSet::CollectPages() const {
  std::vector<TZEBpage*> out;
  if (!single_) return out;
  std::vector<TZEBFrame*> leaves;
  single_->CollectLeaves(leaves);
  for (TZEBFrame* f : leaves)
    if (f->PageControl()) out.push_back(f->PageControl());
  return out;
}

void TZEBCustomFrameSet::CollectObjects(int kind, std::vector<std::pair<std::string, TZEBoggetto*>>& out) {
  for (TZEBpage* p : CollectPages()) p->CollectObjects(kind, out);
}

void TZEBCustomFrameSet::RefreshMultimedia() {
  if (closing_) return;
  if (!multimediaTimer_) {
    multimediaTimer_ = new QTimer(this);
    multimediaTimer_->setSingleShot(true);
    multimediaTimer_->setInterval(100);
    connect(multimediaTimer_, &QTimer::timeout, this, [this] {
      multimediaTimer_->stop();
      // Pages show no multimedia objects yet: nothing to restart.
    });
  }
  multimediaTimer_->start();
}
