// The contents tree panel: the ebook's chapters and pages, read-only.
#pragma once

#include <QTreeWidget>
#include <functional>

#include "document/zebtoc.h"
#include "document/zebtypes.h"

class TZEBset;
class TZEBoggetto;

class TZEBorderedTree : public QTreeWidget {
  Q_OBJECT
public:
  explicit TZEBorderedTree(QWidget* parent = nullptr);

  int Objects = testoHtml;
  bool Editable = false;  // the reader never edits the tree
  bool LeftMouseSelect = true;
  TZEBset* LinkedZEBset() const { return doc_; }
  void SetLinkedZEBset(TZEBset* doc) { doc_ = doc; }

  // Rebuilds the nodes from the linked document; the messages of a damaged
  // stream go to the document's message sink.
  void Reload();
  // The object of the selected page node (null for other nodes).
  TZEBoggetto* SelectedObject() const;
  // The text of the selected node when it is a chapter, else empty.
  QString ChapterName() const;
  // Expands the first node one level and selects it.
  void SelectFirst();

  // A click on a node, or a key released other than Delete.
  std::function<void()> OnChoose;

  static constexpr int KindRole = Qt::UserRole, IdRole = Qt::UserRole + 1;

protected:
  void mouseReleaseEvent(QMouseEvent* e) override;
  void keyReleaseEvent(QKeyEvent* e) override;

private:
  void AddNodes(QTreeWidgetItem* parent, const std::vector<TTocNode>& nodes);
  QIcon IconOf(const TTocNode& n) const;

  TZEBset* doc_ = nullptr;
};
