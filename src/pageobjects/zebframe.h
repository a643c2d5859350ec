// The frame tree of a frame set: frames that show one page each or are divided
// into rows or columns of child frames, the dividers between them, and the
// frame maps (58-byte records) an ebook stores for a page's division.
#pragma once

#include <QPointer>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class QRubberBand;
class TZEBCustomFrameSet;
class TZEBFrame;
class TZEBpage;
class TZEBtesto;

// How a frame sits in its parent, as the placement code of its record says.
enum class TAlign { None, Top, Bottom, Left, Right, Client };

// One frame of a frame map, kept in memory in its stored byte order.
struct TFrameMapRecord {
  static constexpr int Size = 58;
  static constexpr uint32_t ButtonFace = 0x8000000F;  // the system colour index 15
  enum SizeMode : uint8_t { ByPercent = 0, ByFixed = 1, ByEqual = 2 };

  std::array<uint8_t, Size> b{};

  TFrameMapRecord();
  int32_t Id() const { return I32(0); }
  void SetId(int32_t v) { SetI32(0, v); }
  int32_t ParentId() const { return I32(4); }
  void SetParentId(int32_t v) { SetI32(4, v); }
  std::string Name() const;
  void SetName(std::string_view name);  // at most 19 bytes
  uint8_t Placement() const { return b[28]; }
  uint8_t MarginA() const { return b[29]; }
  uint8_t MarginB() const { return b[30]; }
  uint8_t ScrollBars() const { return b[31]; }
  uint8_t HasChildren() const { return b[32]; }
  uint8_t Sizeable() const { return b[33]; }
  int32_t Page() const { return I32(34); }
  int32_t Percent() const { return I32(38); }
  uint32_t DividerColour() const { return static_cast<uint32_t>(I32(46)); }
  uint8_t Border() const { return b[51]; }
  int32_t FixedSize() const { return I32(52); }
  uint8_t DividerThickness() const { return b[56]; }
  uint8_t Mode() const { return b[57]; }

  int32_t I32(int off) const;
  void SetI32(int off, int32_t v);
};

// Records of a map, read one after the other. A record is `recordLength`
// bytes long; a shorter version of the record has fewer fields, a longer one
// has fields this reader skips.
class TFrameMapStream {
public:
  TFrameMapStream(std::string_view data, int recordLength);
  bool AtEnd() const { return data_.size() - pos_ < size_t(length_); }
  // Reads the next record over `rec` (only the bytes the stream has); false at the end.
  bool Read(TFrameMapRecord& rec);
  bool Peek(TFrameMapRecord& rec) const;
  int RecordLength() const { return length_; }
  int framesRead = 0;

private:
  std::string_view data_;
  size_t pos_ = 0;
  int length_;
};

// The common base of a frame set and of its frames: settings passed down the tree.
class TZEBFramePanel : public QWidget {
  Q_OBJECT
public:
  explicit TZEBFramePanel(QWidget* parent = nullptr);
  ~TZEBFramePanel() override;

  virtual void SetBarWidth(int width);
  virtual void SetReadOnly(bool on);
  virtual void SetAnimated(bool on);
  virtual void SetShowFramesOnly(bool on);
  virtual void SetMarginFlag(bool on);
  void SetLineStep(int step);  // values of 0 or less are ignored

  int LineStep() const { return lineStep_; }
  int BarWidth() const { return barWidth_; }
  bool IsReadOnly() const { return readOnly_; }
  bool IsAnimated() const { return animated_; }
  bool ShowFramesOnly() const { return showFramesOnly_; }
  bool MarginFlag() const { return margin_; }
  // A new frame starts with the settings of the panel that creates it.
  void TakeSettingsFrom(const TZEBFramePanel& o) {
    readOnly_ = o.readOnly_;
    animated_ = o.animated_;
    showFramesOnly_ = o.showFramesOnly_;
    margin_ = o.margin_;
    lineStep_ = o.lineStep_;
    barWidth_ = o.barWidth_;
  }
  // 0: measured by width (stands in a row), 1: by height (in a column).
  uint8_t EdgeBarMode() const { return edgeBarMode_; }
  void SetEdgeBarMode(uint8_t mode) { edgeBarMode_ = mode; }
  const std::vector<TZEBFrame*>& Children() const { return children_; }

protected:
  void paintEvent(QPaintEvent* e) override;
  // The frames a setting is passed down to: the single child, else the list.
  std::vector<TZEBFrame*> Descendants() const;

  TZEBFrame* single_ = nullptr;
  std::vector<TZEBFrame*> children_;
  int lineStep_ = 10, barWidth_ = 10;
  bool animated_ = false, showFramesOnly_ = false, margin_ = false, readOnly_ = false;
  uint8_t edgeBarMode_ = 2;
};

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

// A frame: a page control, or a row or column of child frames with dividers.
class TZEBFrame : public TZEBFramePanel {
  Q_OBJECT
public:
  TZEBFrame(TZEBCustomFrameSet* frameSet, QWidget* parent, TZEBFrame* parentFrame = nullptr);
  ~TZEBFrame() override;

  TZEBCustomFrameSet* FrameSet() const { return frameSet_; }
  TZEBFrame* ParentFrame() const { return parentFrame_; }
  bool IsRoot() const;  // the frame set's own root
  QWidget* InnerPanel() const { return inner_; }
  TZEBpage* PageControl() const { return page_; }
  TZEBSplit* Divider() const { return divider_; }
  TFrameMapRecord& Record() { return rec_; }
  const TFrameMapRecord& Record() const { return rec_; }
  std::string Name() const { return rec_.Name(); }
  void SetName(std::string_view name);
  TAlign Align() const { return align_; }
  void SetAlign(TAlign a) { align_ = a; }
  uint8_t ScrollMode() const { return scrollMode_; }
  int DividerThicknessInUse() const { return thickness_; }
  // Width or height, by how the frame is measured in its parent.
  int Extent() const;
  void SetExtent(int v);

  void SetReadOnly(bool on) override;
  void SetAnimated(bool on) override;
  void SetShowFramesOnly(bool on) override;
  void SetMarginFlag(bool on) override;
  void SetBarWidth(int width) override;

  // Shows a page (none: an empty page of the page control's own).
  void LoadPage(TZEBtesto* page);
  // Shows a notice text made for this frame; the frame keeps it while shown.
  void ShowNotice(std::unique_ptr<TZEBtesto> text);
  // First pass of a map: the page control with its background only.
  void PreparePage(TZEBtesto* page);
  // Writes the page back (SaveOnExit) or detaches it; once per page control.
  void LeavePage();
  // Releases what the page control shows; once per page control.
  void ReleasePage();
  // Leaves and releases the page, then frees the page control.
  void FreePage();
  void FreeChildren();

  // Reads this frame and its children from the map; false when a limit cut it short.
  bool ReadMap(TFrameMapStream& s, int depth = 0);
  // Appends this frame's record and its children's; mode 1 keeps the index
  // of a temporary page's text, mode 0 writes -1 for it.
  bool WriteMap(std::string& out, int mode);
  void ApplySettings();
  // Sizes the children of a divided frame from their records.
  void Layout();
  // Layout of this frame and every divided frame below it, top down.
  void LayoutTree();
  // Places the children, their dividers and the page control in the inner panel.
  void Realign();

  // Leaves in pre-order.
  void CollectLeaves(std::vector<TZEBFrame*>& out);
  TZEBFrame* FindFrame(const std::string& name);

  // Divider drags of the children.
  void DividerDragStart(TZEBSplit* split);
  void DividerDragEnd(TZEBSplit* split);

  // Caps on what a map from a file may build.
  static constexpr int kMaxDepth = 16;
  static constexpr int kMaxFrames = 256;

protected:
  void resizeEvent(QResizeEvent* e) override;

private:
  friend class TZEBCustomFrameSet;
  void ApplyPlacement(uint8_t code);
  TZEBFrame* AddChildFrame(int i);
  void ApplyBorder();

  TZEBCustomFrameSet* frameSet_;
  TZEBFrame* parentFrame_;
  QPointer<TZEBSplit> divider_;
  TZEBpage* page_ = nullptr;
  bool prepared_ = false, left_ = false, released_ = false;
  uint8_t scrollMode_ = 3;
  int thickness_ = 3;
  TFrameMapRecord rec_;
  TAlign align_ = TAlign::Client;
  QWidget* inner_ = nullptr;
  bool layingOut_ = false, realigning_ = false;
  std::unique_ptr<TZEBtesto> notice_;
};

// The Qt colour of a stored colour value (system colours by index).
QColor FrameColour(uint32_t colour);
