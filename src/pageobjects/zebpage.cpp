#include "pageobjects/zebpage.h"

#include <algorithm>
#include <array>

#include <QEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>
#include <QWheelEvent>

#include "document/zebobject.h"
#include "document/zebpicture.h"
#include "document/zebset.h"
#include "pageobjects/framesetapi.h"
#include "pageobjects/visual.h"
#include "pageobjects/zebbox.h"
#include "pageobjects/zebframe.h"
#include "text/markup.h"
#include "pageobjects/zebpage_impl.h"

namespace {

std::string_view UntilNul(const std::string& s) { return std::string_view(s).substr(0, s.find('\0')); }

}  // namespace

// ---------------------------------------------------------------- background

TZEBsfondo::TZEBsfondo(QWidget* parent) : QWidget(parent) { setAttribute(Qt::WA_OpaquePaintEvent); }

void TZEBsfondo::paintEvent(QPaintEvent* e) {
  QPainter p(this);
  TZEBpicture* pic = picture ? picture->Picture() : nullptr;
  const QImage img = PictureImage(pic);
  const QSize tile = picture ? QSize(picture->Rec().I16(85), picture->Rec().I16(87)) : QSize();
  // Without a stored tile size the picture is not drawn, only the colour.
  PaintPageBackground(p, e->rect(), colour, img, tile, !pic || pic->Opaque(), QPoint(0, 0), false);
}

// ---------------------------------------------------------------- page state

TZEBpage::TZEBpage(IFrameSetHost* frameSet, QWidget* parent) : QScrollArea(parent), d(std::make_unique<Impl>()) {
  d->frameSet = frameSet;
  setWidgetResizable(false);
  setFrameShape(QFrame::NoFrame);
  setFocusPolicy(Qt::NoFocus);
  verticalScrollBar()->setSingleStep(10);
  horizontalScrollBar()->setSingleStep(10);
  viewport()->installEventFilter(this);
  // A background fixed to the view cannot be scrolled as pixels.
  auto repaint = [this] {
    if (d->box && d->box->RepaintOnScroll()) d->box->update();
  };
  connect(verticalScrollBar(), &QScrollBar::valueChanged, this, repaint);
  connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, repaint);
}

TZEBpage::~TZEBpage() {
  // The frame set may already be half gone: only local cleanup here.
  d->frameSet = nullptr;
  Release();
}

TZEBbox* TZEBpage::Box() const { return d->box; }
TZEBtesto* TZEBpage::StoredPage() const { return d->stored; }
TZEBtesto* TZEBpage::DisplayText() const { return d->display; }
int TZEBpage::PageIndex() const { return d->pageIndex; }
bool TZEBpage::IsTemporary() const { return d->temporary; }
IFrameSetHost* TZEBpage::FrameSet() const { return d->frameSet; }
TZEBsfondo* TZEBpage::Background() const { return d->background; }
uint8_t TZEBpage::ScrollMode() const { return d->scrollMode; }
const std::vector<TZEBoggetto*>& TZEBpage::PageObjects() const { return d->pageObjects; }
const std::vector<TZEBoggetto*>& TZEBpage::FloatingImages() const { return d->floatingImages; }
int TZEBpage::ObjectBase(int origin) const { return origin >= 0 && origin < 3 ? d->base[origin] : 0; }

TZEBFrame* TZEBpage::Frame() const {
  QWidget* w = parentWidget();
  for (int i = 0; w && i < 3; ++i, w = w->parentWidget())
    if (auto* f = qobject_cast<TZEBFrame*>(w)) return f;
  return nullptr;
}

TZEBset* TZEBpage::Document() const {
  if (d->stored && d->stored->Document()) return d->stored->Document();
  if (d->display && d->display->Document()) return d->display->Document();
  return d->frameSet ? d->frameSet->LinkedZEBset() : nullptr;
}

int TZEBpage::ScrollY() const { return verticalScrollBar()->value(); }
void TZEBpage::SetScrollY(int y) { verticalScrollBar()->setValue(y); }
int TZEBpage::ScrollX() const { return horizontalScrollBar()->value(); }
void TZEBpage::SetScrollX(int x) { horizontalScrollBar()->setValue(x); }

// ---------------------------------------------------------------- object index

int TZEBpage::RegisterObject(QWidget* control, TZEBoggetto* obj) {
  d->objects.push_back({control, obj});
  return static_cast<int>(d->objects.size()) - 1;
}

void TZEBpage::UnregisterObject(QWidget* control) {
  if (!control) return;
  for (auto& e : d->objects)
    if (e.control == control) e.control = nullptr;
}

TZEBoggetto* TZEBpage::IndexedObject(int number) const {
  return number > 0 && static_cast<size_t>(number) < d->objects.size() ? d->objects[number].obj : nullptr;
}

QWidget* TZEBpage::IndexedControl(int number) const {
  return number > 0 && static_cast<size_t>(number) < d->objects.size() ? d->objects[number].control : nullptr;
}

QWidget* TZEBpage::ControlOf(TZEBoggetto* obj) const {
  if (!obj) return nullptr;
  for (size_t i = 1; i < d->objects.size(); ++i)
    if (d->objects[i].obj == obj && d->objects[i].control) return d->objects[i].control;
  return nullptr;
}

int TZEBpage::NumberOfObject(TZEBoggetto* obj) const {
  for (size_t i = 1; obj && i < d->objects.size(); ++i)
    if (d->objects[i].obj == obj) return static_cast<int>(i);
  return -1;
}

TZEBoggetto* TZEBpage::ObjectOfControl(const QWidget* control) const {
  for (size_t i = 1; control && i < d->objects.size(); ++i)
    if (d->objects[i].control == control) return d->objects[i].obj;
  return nullptr;
}

void TZEBpage::CollectObjects(int kind, std::vector<std::pair<std::string, TZEBoggetto*>>& out) {
  std::string prefix;
  if (TZEBFrame* f = Frame(); f && !f->IsRoot()) prefix = f->Name() + ".";
  for (size_t i = 1; i < d->objects.size(); ++i)
    if (TZEBoggetto* o = d->objects[i].obj; o && o->Kind() == kind) out.emplace_back(prefix + o->Name(), o);
}

// ---------------------------------------------------------------- lists

namespace {
template <typename T>
void AddOnce(std::vector<QPointer<T>>& list, T* item) {
  if (item && std::find(list.begin(), list.end(), item) == list.end()) list.emplace_back(item);
}
template <typename T>
void RemoveFrom(std::vector<QPointer<T>>& list, T* item) {
  list.erase(std::remove(list.begin(), list.end(), item), list.end());
}
}  // namespace

void TZEBpage::AddAnchor(QWidget* panel) { AddOnce(d->anchors, panel); }
void TZEBpage::RemoveAnchor(QWidget* panel) { RemoveFrom(d->anchors, panel); }
void TZEBpage::AddAutoStart(QWidget* panel) { AddOnce(d->autoStart, panel); }
void TZEBpage::RemoveAutoStart(QWidget* panel) { RemoveFrom(d->autoStart, panel); }
void TZEBpage::AddFrameSet(QObject* frameSet) { AddOnce(d->frameSets, frameSet); }
void TZEBpage::RemoveFrameSet(QObject* frameSet) { RemoveFrom(d->frameSets, frameSet); }

std::vector<QObject*> TZEBpage::EmbeddedFrameSets() const {
  std::vector<QObject*> out;
  for (auto& f : d->frameSets)
    if (f) out.push_back(f);
  return out;
}

void TZEBpage::MoveObjects(int dx, int dy) {
  auto move = [&](TZEBoggetto* o) {
    if (auto* v = qobject_cast<TMyyVisual*>(ControlOf(o))) v->move(v->pos() + QPoint(dx, dy));
  };
  for (TZEBoggetto* o : d->pageObjects) move(o);
  for (TZEBoggetto* o : d->floatingImages) move(o);
}

// ---------------------------------------------------------------- settings

void TZEBpage::SetReadOnly(bool on) {
  d->readOnly = on;
  if (d->box) d->box->SetReadOnly(on);
  SetScrollMode(d->scrollMode);
}

void TZEBpage::SetAnimated(bool on) {
  d->animated = on;
  if (d->box) d->box->SetAnimated(on);
}

void TZEBpage::SetShowFramesOnly(bool on) {
  d->framesOnly = on;
  if (on) {
    setFrameShape(QFrame::NoFrame);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    SetReadOnly(true);
  }
  update();
}

void TZEBpage::SetScrollMode(uint8_t mode) {
  d->scrollMode = mode;
  Qt::ScrollBarPolicy policy = Qt::ScrollBarAsNeeded;
  if (d->readOnly) {
    if (mode == 0 || mode == 1)
      policy = Qt::ScrollBarAlwaysOff;
    else if (mode != 2 && mode != 3)
      return;  // the bars stay as they are
  }
  setVerticalScrollBarPolicy(policy);
  setHorizontalScrollBarPolicy(policy);
}

// ---------------------------------------------------------------- loading

void TZEBpage::ShowBackground(TZEBtesto* page) {
  if (!page) return;
  TZEBset* doc = page->Document();
  if (!d->background) d->background = new TZEBsfondo(viewport());
  d->background->colour = page->Rec().I32(101);
  const int32_t pic = page->Rec().I32(85);
  d->background->picture = doc && pic >= 0 ? doc->ObjectAt(immagine, pic) : nullptr;
  d->background->setGeometry(viewport()->rect());
  d->background->show();
  d->background->repaint();
}

namespace {
// Objects of a text that a page shows through controls of their own, in the
// order the text's object markers number them.
std::vector<TZEBoggetto*> ShownObjects(const TZEBtesto* t) {
  std::vector<TZEBoggetto*> out;
  if (t)
    for (TZEBoggetto* o : t->Embedded())
      if (o && o->HasView()) out.push_back(o);
  return out;
}
}  // namespace

void TZEBpage::MakeDisplay(TZEBtesto* page) {
  TZEBset* doc = page ? page->Document() : Document();
  if (page) {
    d->ownedDisplay = page->PageCopy(true, d->frameSet);
    d->stored = page;
    d->pageIndex = page->IsStored() ? page->Index() : -1;
    d->temporary = false;
  } else {
    // A page of our own: empty, in the document's colours.
    d->ownedDisplay = std::make_unique<TZEBtesto>(doc);
    if (doc) d->ownedDisplay->Clear();
    d->ownedDisplay->SetMainPayload(std::string("<Z S0 >\0", 8));
    d->stored = nullptr;
    d->pageIndex = -1;
    d->temporary = true;
  }
  d->display = d->ownedDisplay.get();
  d->writtenBack = false;
}

void TZEBpage::CreateObjects() {
  // Controls in the order the markers number them: the main text's objects,
  // then the header's, then the footer's.
  auto addObjects = [&](const TZEBtesto* t, bool headerOrFooter) {
    for (TZEBoggetto* o : ShownObjects(t)) {
      QWidget* c = CreateVisualObject(o, this);
      const int n = RegisterObject(c, o);
      if (auto* v = qobject_cast<TMyyVisual*>(c)) {
        v->SetRegistration(n);
        v->SetFrameSet(d->frameSet);
        v->Bind(o);
        v->SetReadOnly(d->readOnly);
        v->SetAnimated(d->animated);
      }
      if (c) c->hide();  // until the layout places it
      const uint8_t placement = o->Rec().Byte(13);
      if (headerOrFooter && o->Kind() == immagineNew && (placement == 254 || placement == 255))
        d->floatingImages.push_back(o);
    }
  };
  d->pageObjects.clear();
  d->floatingImages.clear();
  addObjects(d->display, false);
  d->base[1] = static_cast<int>(d->objects.size()) - 1;
  addObjects(d->display->HeaderText(), true);
  d->base[2] = static_cast<int>(d->objects.size()) - 1;
  addObjects(d->display->FooterText(), true);
}

void TZEBpage::LoadPage(TZEBtesto* page) {
  if (d->box || d->display) Release();
  d->loading = true;
  if (d->frameSet && !d->registered) {
    d->frameSet->RegisterPage(this);
    d->registered = true;
  }
  MakeDisplay(page);
  TZEBset* doc = Document();
  auto* box = new TZEBbox(this);
  d->box = box;
  d->objects.assign(1, Impl::Entry{box, nullptr});
  box->SetReadOnly(d->readOnly);
  box->SetAnimated(d->animated);
  box->SetBackColour(d->display->Rec().I32(101));
  if (const int32_t pic = d->display->Rec().I32(85); doc && pic >= 0) box->SetBackPicture(doc->ObjectAt(immagine, pic));
  if (doc) box->SetBackFlags(doc->HeaderByte(hdr::BackAnchoring));
  CreateObjects();

  const std::string text = d->display->MainPayload();
  size_t pos = 0;
  for (int n : TakePageObjects(text, pos))
    if (TZEBoggetto* o = IndexedObject(n)) d->pageObjects.push_back(o);
  box->resize(std::max(viewport()->width(), 20), std::max(viewport()->height(), 1));
  box->LoadText(d->display, pos);
  setWidget(box);
  for (auto* list : {&d->pageObjects, &d->floatingImages})
    for (TZEBoggetto* o : *list)
      if (QWidget* c = ControlOf(o)) {
        c->setParent(box);
        c->show();
      }
  FitBox();
  SetScrollY(0);
  SetScrollX(0);

  if (d->frameSet && d->frameSet->ActivePreview())
    for (auto& panel : d->autoStart)
      if (auto* v = qobject_cast<TMyyVisual*>(panel.data()))
        if (TZEBoggetto* link = v->LinkedObject()) d->frameSet->RaiseLink(link, v);
  delete d->background;
  d->loading = false;
}

void TZEBpage::FitBox() {
  TZEBbox* box = d->box;
  if (!box) return;
  if (d->fitting) {
    d->refit = true;
    return;
  }
  d->fitting = true;
  // Showing or hiding a scroll bar changes the viewport again: settle it.
  for (int round = 0; round < 4; ++round) {
    d->refit = false;
    const int oldRange = box->ScrollRange(), oldY = ScrollY();
    box->SetBounds(viewport()->width(), viewport()->height());
    QScrollBar* v = verticalScrollBar();
    v->setRange(0, std::max(0, box->height() - viewport()->height()));
    v->setPageStep(viewport()->height());
    QScrollBar* h = horizontalScrollBar();
    h->setRange(0, std::max(0, box->width() - viewport()->width()));
    h->setPageStep(viewport()->width());
    const int newRange = box->ScrollRange();
    if (!d->loading && newRange != oldRange) SetScrollY(std::max(0, oldY + newRange - oldRange));
    if (!d->refit) break;
  }
  d->fitting = false;
}

bool TZEBpage::eventFilter(QObject* watched, QEvent* e) {
  if (watched == viewport() && e->type() == QEvent::Resize) {
    if (d->background) d->background->setGeometry(viewport()->rect());
    FitBox();
  }
  return QScrollArea::eventFilter(watched, e);
}

void TZEBpage::wheelEvent(QWheelEvent* e) {
  const int dy = e->angleDelta().y();
  if (dy > 0)
    SetScrollY(ScrollY() - 100);
  else if (dy < 0)
    SetScrollY(ScrollY() + 100);
  e->accept();
}

// ---------------------------------------------------------------- anchors

bool TZEBpage::GoToAnchor(int n) {
  if (n < 0) return false;
  TMyyVisual* anchor = nullptr;
  for (auto& a : d->anchors) {
    auto* v = qobject_cast<TMyyVisual*>(a.data());
    if (v && v->Object() && v->Object()->Rec().I32(5) == n) {
      anchor = v;
      break;
    }
  }
  if (!anchor) {
    if (!d->readOnly)
      if (TZEBset* doc = Document()) doc->Say(TMsgKind::Warning, "Ancora non trovata: a" + std::to_string(n));
    return false;
  }
  TZEBbox* box = qobject_cast<TZEBbox*>(anchor->parentWidget());
  if (!box) box = d->box;
  int p = 0, c = 0;
  if (box && box->FindObject(anchor->Object(), p, c)) {
    box->SelectRange(p, c, p, c + 1);
    const TZEBPosition pos = box->PositionOf(p, c);
    box->ScrollIntoView(pos.xLeft, pos.top, pos.height, std::max(pos.xRight - pos.xLeft, 1));
    if (box->focusPolicy() != Qt::NoFocus) box->setFocus();
    box->ScrollIntoView(pos.xLeft, pos.top, pos.height, 1);  // the caret
    if (d->readOnly)
      box->Caret()->hide();
    else if (d->frameSet)
      d->frameSet->SetActiveControl(box);
  }
  return true;
}

// ---------------------------------------------------------------- write back and release

void TZEBpage::WriteBack() {
  if (d->writtenBack) return;
  d->writtenBack = true;
  TZEBtesto* stored = d->stored;
  d->stored = nullptr;
  if (!stored || !d->display) return;
  TZEBset* doc = stored->Document();
  if (!doc || doc->Page(d->pageIndex) != stored || !stored->IsStored()) return;
  // Only a changed text goes back: an unchanged page leaves the document unmodified.
  const std::string shown = d->display->MainPayload(), old = stored->MainPayload();
  const std::string_view a = UntilNul(shown), b = UntilNul(old);
  if (a == b || (b.empty() && a == "<Z S0 >")) return;
  stored->SetMainPayload(shown);
  doc->SetModified();
}

void TZEBpage::Detach() {
  d->writtenBack = true;
  d->stored = nullptr;
}

void TZEBpage::Release() {
  d->root.reset();
  d->lastBox = nullptr;
  for (auto* list : {&d->pageObjects, &d->floatingImages})
    for (TZEBoggetto* o : *list) delete ControlOf(o);
  d->pageObjects.clear();
  d->floatingImages.clear();
  if (d->box) {
    takeWidget();
    delete d->box.data();
  }
  for (auto& e : d->objects) delete e.control.data();
  d->objects.assign(1, Impl::Entry{});
  d->anchors.clear();
  d->autoStart.clear();
  d->display = nullptr;
  d->ownedDisplay.reset();
  d->stored = nullptr;
  if (d->registered && d->frameSet) d->frameSet->UnregisterPage(this);
  d->registered = false;
}
