// The divider after a frame of a row or column.
#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>

class QRubberBand;
class TZEBFrame;

// The divider after a frame of a row or column; the reader drags it when the
// map marks the frame sizeable.
class TZEBSplit : public QWidget {
  Q_OBJECT
public:
  explicit TZEBSplit(QWidget* parent);
  ~TZEBSplit() override;

  void SetTargetControl(TZEBFrame* target);
  TZEBFrame* TargetControl() const { return target_; }
  bool Vertical() const { return vertical_; }
  bool Dragging() const { return dragging_; }
  void SetSizeable(bool on);
  bool Sizeable() const { return sizeable_; }
  void SetColour(uint32_t colour);

  int Mintargetlimit = 0;  // smallest target size a drag allows
  int MaxTargetLimit = 0;  // what a drag leaves of the parent at least
  bool Locked = false;
  std::function<void(TZEBSplit*)> OnBeginSplit, OnMoveSplit, OnEndingSplit, OnEndSplit;

  // The drag by hand, also used by tests: a press at `pos` (divider
  // coordinates), moves and a release.
  bool BeginDrag(QPoint pos);
  void MoveDrag(QPoint pos);
  void EndDrag();
  int DragSize() const { return size_; }

protected:
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;

private:
  int TargetExtent() const;
  int ParentExtent() const;
  void PlaceLine();

  QPointer<TZEBFrame> target_;
  QRubberBand* line_ = nullptr;
  QPoint start_;
  int startSize_ = 0, size_ = 0;
  bool vertical_ = false, dragging_ = false, sizeable_ = true;
};
