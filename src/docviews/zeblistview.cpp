#include "docviews/zeblistview.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>
#include <algorithm>

#include "document/objectlist.h"
#include "document/pathutil.h"
#include "document/strutil.h"
#include "document/zebset.h"

namespace {

enum { ColTitle, ColSize, ColFile, ColIndex, ColHex };

QString Lowered(const QTreeWidgetItem* i, int col) { return i->text(col).toLower(); }

}  // namespace

TZEBListView::TZEBListView(QWidget* parent) : QTreeWidget(parent) {
  setRootIsDecorated(false);
  setUniformRowHeights(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setHeaderLabels({"Titolo", "Dimensione", "Nome file", " pag.", ""});
  header()->setSectionsClickable(true);
  connect(header(), &QHeaderView::sectionClicked, this, [this](int c) {
    if (c <= ColIndex) SortByColumn(c);
  });
}

QIcon TZEBListView::IconOf(const TZEBoggetto& o) const {
  switch (o.Kind()) {
    case keyword: return {};
    case testoHtml: return style()->standardIcon(QStyle::SP_FileIcon);
    case internetLink: return style()->standardIcon(QStyle::SP_DriveNetIcon);
    case genLink: case immagine: return style()->standardIcon(QStyle::SP_FileLinkIcon);
    case custom: case dbloc: return style()->standardIcon(QStyle::SP_FileDialogDetailedView);
    default: return style()->standardIcon(QStyle::SP_FileDialogInfoView);
  }
}

void TZEBListView::Clear() { clear(); }

void TZEBListView::AddObject(TZEBoggetto& o, const QStringList& extra) {
  const TCodePage& cp = doc_->CodePage();
  auto* item = new QTreeWidgetItem();
  item->setText(ColTitle, QString::fromStdString(cp.ToUtf8(o.Name())));
  item->setText(ColSize, QString::number(o.MainSize()));
  item->setText(ColFile, QString::fromStdString(cp.ToUtf8(FileNamePart(o.FileName()))));
  if (o.Kind() == testoHtml) {
    item->setText(ColIndex, QString::number(o.Index()));
    item->setText(ColHex, QString("%1").arg(o.Index(), 6, 16, QChar('0')).toUpper());
  }
  for (int i = 0; i < extra.size(); ++i) item->setText(ColHex + 1 + i, extra[i]);
  item->setIcon(ColTitle, IconOf(o));
  item->setData(ColTitle, IdRole, o.Id());
  addTopLevelItem(item);
}

void TZEBListView::Reload() {
  clear();
  if (doc_) {
    setUpdatesEnabled(false);
    for (int i = 0, n = doc_->Count(Objects); i <= n; ++i) {
      TZEBoggetto* o = doc_->ObjectAt(Objects, i);
      if (!o || o->IsDeleted()) continue;
      bool accept = ListedByDefault(*o);
      if (OnFilter) OnFilter(*o, accept);
      if (accept) AddObject(*o);
    }
    SortRows();
    setUpdatesEnabled(true);
  }
  if (OnReload) OnReload();
}

void TZEBListView::Arrange(const std::function<bool(const QTreeWidgetItem*, const QTreeWidgetItem*)>& less) {
  const TObjId selected = SelectedId();
  std::vector<QTreeWidgetItem*> items;
  while (topLevelItemCount() > 0) items.push_back(takeTopLevelItem(0));
  std::stable_sort(items.begin(), items.end(), less);
  for (QTreeWidgetItem* i : items) addTopLevelItem(i);
  if (selected != NoObject) SelectId(selected);
}

void TZEBListView::SortRows() {
  Arrange([](auto* a, auto* b) { return a->text(ColSize).toUInt() < b->text(ColSize).toUInt(); });
  if (SortByCaption)
    Arrange([](auto* a, auto* b) { return CompareCaptions(a->text(ColTitle), b->text(ColTitle)) < 0; });
}

void TZEBListView::SortByColumn(int column) {
  if (column == ColSize || column == ColIndex)
    Arrange([column](auto* a, auto* b) { return a->text(column).toLongLong() < b->text(column).toLongLong(); });
  else
    Arrange([column](auto* a, auto* b) { return Lowered(a, column) < Lowered(b, column); });
}

TObjId TZEBListView::SelectedId() const {
  const QTreeWidgetItem* item = currentItem();
  return item && item->isSelected() ? item->data(ColTitle, IdRole).toInt() : NoObject;
}

TZEBoggetto* TZEBListView::SelectedObject() const {
  const TObjId id = SelectedId();
  return doc_ && id != NoObject ? doc_->ObjectById(id) : nullptr;
}

bool TZEBListView::SelectId(TObjId id) {
  for (int i = 0; i < topLevelItemCount(); ++i)
    if (QTreeWidgetItem* item = topLevelItem(i); item->data(ColTitle, IdRole).toInt() == id) {
      setCurrentItem(item);
      scrollToItem(item);
      return true;
    }
  return false;
}

void TZEBListView::mousePressEvent(QMouseEvent* e) {
  if (e->button() == Qt::RightButton && RightMouseSelect) {
    if (QTreeWidgetItem* item = itemAt(e->position().toPoint())) setCurrentItem(item);
    return;
  }
  QTreeWidget::mousePressEvent(e);
}

void TZEBListView::mouseReleaseEvent(QMouseEvent* e) {
  QTreeWidget::mouseReleaseEvent(e);
  const bool click = e->button() == Qt::LeftButton || (e->button() == Qt::RightButton && RightMouseSelect);
  if (click && itemAt(e->position().toPoint()) && OnChoose) OnChoose();
}

void TZEBListView::keyReleaseEvent(QKeyEvent* e) {
  QTreeWidget::keyReleaseEvent(e);
  if (!e->isAutoRepeat() && currentItem() && OnChoose) OnChoose();
}
