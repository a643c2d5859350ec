// A list of the objects of one kind (keywords, pages, ...), one row per
// object, each row carrying the object's id.
#pragma once

#include <QTreeWidget>
#include <functional>
#include <vector>

#include "document/zebtypes.h"
#include "platform/collate.h"

class TZEBset;
class TZEBoggetto;

class TZEBListView : public QTreeWidget {
  Q_OBJECT
public:
  explicit TZEBListView(QWidget* parent = nullptr);

  int Objects = testoHtml;
  bool RightMouseSelect = true;
  bool SortByCaption = true;  // the search dialog's lists keep caption order
  TZEBset* LinkedZEBset() const { return doc_; }
  void SetLinkedZEBset(TZEBset* doc) { doc_ = doc; }

  // Lists the live objects of the kind that the filter accepts, then fires OnReload.
  void Reload();
  void Clear();
  // Adds one object's row (for lists filled a few at a time); `extra` fills
  // the columns after the standard ones.
  void AddObject(TZEBoggetto& obj, const QStringList& extra = {});
  // Re-sorts the rows: by size, then by caption when SortByCaption is set.
  void SortRows();
  // Sorts by one of the first four columns, ascending.
  void SortByColumn(int column);

  TObjId SelectedId() const;
  TZEBoggetto* SelectedObject() const;
  // Selects the row of the object; false when it is not listed.
  bool SelectId(TObjId id);

  std::function<void(TZEBoggetto& obj, bool& accept)> OnFilter;
  std::function<void()> OnReload;
  // A click or a key released on a row (a right click too, with RightMouseSelect).
  std::function<void()> OnChoose;

  static constexpr int IdRole = Qt::UserRole;

protected:
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void keyReleaseEvent(QKeyEvent* e) override;

private:
  QIcon IconOf(const TZEBoggetto& o) const;
  void Arrange(const std::function<bool(const QTreeWidgetItem*, const QTreeWidgetItem*)>& less);

  TZEBset* doc_ = nullptr;
};
