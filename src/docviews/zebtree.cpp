#include "docviews/zebtree.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>

#include "document/zebset.h"

TZEBorderedTree::TZEBorderedTree(QWidget* parent) : QTreeWidget(parent) {
  setObjectName("TreeView");
  setHeaderHidden(true);
  setColumnCount(1);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionMode(QAbstractItemView::SingleSelection);
}

QIcon TZEBorderedTree::IconOf(const TTocNode& n) const {
  switch (n.kind) {
    case TTocKind::Chapter:
    case TTocKind::Document: return style()->standardIcon(QStyle::SP_DirClosedIcon);
    case TTocKind::Page:
      return style()->standardIcon(Objects == custom ? QStyle::SP_FileDialogDetailedView : QStyle::SP_FileIcon);
    default: return {};
  }
}

void TZEBorderedTree::AddNodes(QTreeWidgetItem* parent, const std::vector<TTocNode>& nodes) {
  const TCodePage& cp = doc_->CodePage();
  for (const TTocNode& n : nodes) {
    auto* item = new QTreeWidgetItem();
    item->setText(0, QString::fromStdString(cp.ToUtf8(n.text)));
    item->setData(0, KindRole, static_cast<int>(n.kind));
    item->setData(0, IdRole, n.kind == TTocKind::Page ? n.id : NoObject);
    item->setIcon(0, IconOf(n));
    if (parent) parent->addChild(item);
    else addTopLevelItem(item);
    AddNodes(item, n.children);
  }
}

void TZEBorderedTree::Reload() {
  if (!doc_) return;
  setUpdatesEnabled(false);
  clear();
  try {
    const TTocTree tree = LoadContentsTree(*doc_, Objects);
    for (const std::string& m : tree.messages) doc_->Say(TMsgKind::Error, m);
    AddNodes(nullptr, tree.roots);
  } catch (...) {
    clear();
    setUpdatesEnabled(true);
    throw;
  }
  setUpdatesEnabled(true);
}

void TZEBorderedTree::SelectFirst() {
  if (QTreeWidgetItem* first = topLevelItem(0)) {
    first->setExpanded(true);
    setCurrentItem(first);
  }
}

TZEBoggetto* TZEBorderedTree::SelectedObject() const {
  const QTreeWidgetItem* item = currentItem();
  if (!item || !doc_ || item->data(0, KindRole).toInt() != static_cast<int>(TTocKind::Page)) return nullptr;
  return doc_->ObjectById(item->data(0, IdRole).toInt());
}

QString TZEBorderedTree::ChapterName() const {
  const QTreeWidgetItem* item = currentItem();
  if (!item || item->data(0, KindRole).toInt() != static_cast<int>(TTocKind::Chapter)) return {};
  return item->text(0);
}

void TZEBorderedTree::mouseReleaseEvent(QMouseEvent* e) {
  QTreeWidget::mouseReleaseEvent(e);
  if (itemAt(e->position().toPoint()) && OnChoose) OnChoose();
}

void TZEBorderedTree::keyReleaseEvent(QKeyEvent* e) {
  QTreeWidget::keyReleaseEvent(e);
  if (e->key() != Qt::Key_Delete && !e->isAutoRepeat() && OnChoose) OnChoose();
}
