// What the text box does with the keyboard, the mouse and dropped files,
// and how it scrolls its page.
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <cstdlib>

#include "document/zebobject.h"
#include "document/zebset.h"
#include "pageobjects/cursors.h"
#include "pageobjects/framesetapi.h"
#include "pageobjects/zebbox.h"
#include "pageobjects/zebpage.h"

// ---------------------------------------------------------------- scrolling

void TZEBbox::ScrollBy(int dx, int dy) {
  if (!page_) return;
  if (dx) page_->SetScrollX(page_->ScrollX() + dx);
  if (dy) page_->SetScrollY(page_->ScrollY() + dy);
}

void TZEBbox::ShowPositionAtTop(const TZEBPosition& pos) {
  if (page_ && pos.Valid()) page_->SetScrollY(std::max(pos.top - 3, 0));
}

void TZEBbox::ScrollIntoView(int x, int y, int height, int width) {
  if (!page_ || !page_->viewport()->isAncestorOf(this)) return;
  const QPoint off = mapTo(page_->viewport(), QPoint(0, 0));
  const QRect r(x + off.x(), y + off.y(), width, height);
  const QRect view = page_->viewport()->rect();
  if (view.contains(r)) return;
  int dx = 0, dy = 0;
  if (r.left() < view.left())
    dx = r.left() - view.left();
  else if (r.right() > view.right())
    dx = r.right() - view.right();
  if (r.top() < view.top())
    dy = r.top() - view.top();
  else if (r.bottom() > view.bottom())
    dy = r.bottom() - view.bottom();
  ScrollBy(dx, dy);
}

bool TZEBbox::ScrollKey(int key) {
  if (!page_) return false;
  const int pageStep = page_->height() < 30 ? 10 : page_->height() - 20;
  switch (key) {
    case Qt::Key_PageUp: ScrollBy(0, -pageStep); return true;
    case Qt::Key_PageDown: ScrollBy(0, pageStep); return true;
    case Qt::Key_Up: ScrollBy(0, -10); return true;
    case Qt::Key_Down: ScrollBy(0, 10); return true;
    case Qt::Key_Left: ScrollBy(-10, 0); return true;
    case Qt::Key_Right: ScrollBy(10, 0); return true;
    default: return false;
  }
}

void TZEBbox::keyPressEvent(QKeyEvent* e) {
  if (update_ > 0) return;
  if (e->matches(QKeySequence::Copy)) return;  // the main window's copy command copies
  if (ScrollKey(e->key())) {
    e->accept();  // the scroll area must not scroll a second time
    return;
  }
  TDragCustomControl::keyPressEvent(e);
}

// ---------------------------------------------------------------- mouse

void TZEBbox::ApplyCursor(int number) {
  if (number == cursorNumber_) return;
  cursorNumber_ = number;
  if (number)
    setCursor(LectraCursor(number));
  else
    unsetCursor();
}

void TZEBbox::SetHover(int link, int paraIndex) {
  if (link < 0) {
    ApplyCursor(0);
    hoverLink_ = -1;
    if (!hint_.isEmpty()) TOxHintWindow::HideHint();
    hint_.clear();
    return;
  }
  ApplyCursor(2);
  if (link == hoverLink_) return;
  hoverLink_ = link;
  std::string hint;
  if (TZEBoggetto* obj = LinkObject(paraIndex, link)) {
    IFrameSetHost* fs = GetFrameSet();
    hint = fs ? fs->HintFor(obj) : DescriptionHint(obj->Description());
  }
  TZEBset* doc = Document();
  hint_ = QString::fromStdString(doc ? doc->CodePage().ToUtf8(hint) : hint);
  if (TOxHintWindow* w = TOxHintWindow::Current(); w && w->isVisible()) {
    if (hint_.isEmpty())
      w->hide();
    else
      w->SetText(hint_);
  }
}

void TZEBbox::FollowLink(const TZEBPosition& pos, int link) {
  caret_->hide();
  TZEBoggetto* obj = LinkObject(pos.paraIndex, link);
  IFrameSetHost* fs = GetFrameSet();
  if (obj && fs) fs->RaiseLink(obj, this);
}

void TZEBbox::mousePressEvent(QMouseEvent* e) {
  const QPoint pt = e->position().toPoint();
  if (update_ > 0 || dblClick_) return;
  const TZEBPosition pos = HitTest(kAllText, pt.x(), pt.y());
  if (!pos.Valid()) return;
  pressOrigin_ = pos.para->origin;
  pressedHere_ = true;
  caretPos_ = pos;
  if (hasSel_ && e->button() != Qt::RightButton) ClearSelection();
  if (e->button() != Qt::RightButton) {
    pressPoint_ = pt;
    pressPos_ = pos;
    pressed_ = true;
    anchor_ = end_ = pos;
    if (focusPolicy() != Qt::NoFocus) setFocus(Qt::MouseFocusReason);
    if (IFrameSetHost* fs = GetFrameSet()) fs->SetFocusedBox(this);
  }
  e->accept();  // the release must come back here
}

void TZEBbox::mouseMoveEvent(QMouseEvent* e) {
  if (update_ > 0 || dblClick_) return;
  const QPoint pt = e->position().toPoint();
  const TZEBPosition pos = HitTest(kAllText, pt.x(), pt.y());
  if (!pos.Valid()) return;
  if (pressed_ && !selecting_ &&
      (std::abs(pt.x() - pressPoint_.x()) > 4 || std::abs(pt.y() - pressPoint_.y()) > 4)) {
    // The selection runs from where the button went down.
    selecting_ = hasSel_ = selShown_ = true;
    anchor_ = end_ = pressPos_;
    if (IFrameSetHost* fs = GetFrameSet()) fs->SelectionChanged(this);
  }
  if (selecting_) {
    const TZEBPosition old = end_;
    end_ = pos;
    RepaintSelection(old, end_);
    return;
  }
  const bool onLink = pos.Contains(pt.x(), pt.y());
  SetHover(onLink ? LinkAt(pos) : -1, pos.paraIndex);
}

void TZEBbox::mouseReleaseEvent(QMouseEvent* e) {
  releaseScreen_ = e->globalPosition().toPoint();
  const QPoint pt = e->position().toPoint();
  if (dblClick_) {
    dblClick_ = pressed_ = pressedHere_ = selecting_ = false;
    const TZEBPosition pos = HitTest(kAllText, pt.x(), pt.y());
    if (!pos.Valid()) return;
    const int link = pos.Contains(pt.x(), pt.y()) ? LinkAt(pos) : -1;
    if (link >= 0 && !hasSel_)
      FollowLink(pos, link);
    else
      SelectWord(pos);
    return;
  }
  if (update_ > 0 || !pressedHere_) return;
  pressedHere_ = pressed_ = false;
  const bool wasSelecting = selecting_;
  selecting_ = false;
  if (wasSelecting) {
    hasSel_ = !anchor_.SamePlace(end_);
    if (!hasSel_) selShown_ = false;
  }
  IFrameSetHost* fs = GetFrameSet();
  if (!hasSel_) {
    const TZEBPosition pos = HitTest(kAllText, pt.x(), pt.y());
    const int link = pos.Valid() && pos.Contains(pt.x(), pt.y()) ? LinkAt(pos) : -1;
    if (link >= 0) {
      FollowLink(pos, link);
    } else {
      if (fs) fs->ClickedAt(this);
      if (e->button() == Qt::RightButton && popup_) popup_->popup(releaseScreen_);
    }
  } else if (e->button() == Qt::RightButton && popup_) {
    popup_->popup(releaseScreen_);
  }
  if (fs) fs->SelectionChanged(this);
}

void TZEBbox::mouseDoubleClickEvent(QMouseEvent* e) {
  if (update_ > 0) return;
  // Acted on at the release that follows.
  dblClick_ = true;
  pressedHere_ = true;
  (void)e;
}

void TZEBbox::focusInEvent(QFocusEvent* e) {
  TDragCustomControl::focusInEvent(e);
  if (IFrameSetHost* fs = GetFrameSet()) fs->SetFocusedBox(this);
}

void TZEBbox::focusOutEvent(QFocusEvent* e) {
  TDragCustomControl::focusOutEvent(e);
  caret_->hide();
  selecting_ = pressed_ = false;
}

namespace {
// Local files of a drop; empty unless the first one is an ebook.
std::vector<std::string> DroppedEbooks(const QMimeData* data) {
  std::vector<std::string> files;
  if (!data || !data->hasUrls()) return files;
  for (const QUrl& u : data->urls())
    if (u.isLocalFile()) files.push_back(u.toLocalFile().toStdString());
  if (files.empty() || !QString::fromStdString(files[0]).endsWith(".zeb", Qt::CaseInsensitive)) files.clear();
  return files;
}
}  // namespace

void TZEBbox::dragEnterEvent(QDragEnterEvent* e) {
  if (ReadOnly() && !DroppedEbooks(e->mimeData()).empty()) e->acceptProposedAction();
}

void TZEBbox::dropEvent(QDropEvent* e) {
  const std::vector<std::string> files = DroppedEbooks(e->mimeData());
  IFrameSetHost* fs = GetFrameSet();
  if (!ReadOnly() || files.empty() || !fs) return;
  e->acceptProposedAction();
  fs->DropFiles(files, this);
}

bool TZEBbox::event(QEvent* e) {
  if (e->type() == QEvent::ToolTip) {
    auto* he = static_cast<QHelpEvent*>(e);
    if (hint_.isEmpty())
      TOxHintWindow::HideHint();
    else
      TOxHintWindow::ShowHint(he->globalPos(), hint_);
    return true;
  }
  if (e->type() == QEvent::Leave) {
    TOxHintWindow::HideHint();
    hoverLink_ = -1;
  }
  return TDragCustomControl::event(e);
}
