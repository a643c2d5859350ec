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

#include "pageobjects/framemap.h"
#include "pageobjects/zebsplit.h"

class QRubberBand;
class TZEBCustomFrameSet;
class TZEBFrame;
class TZEBpage;
class TZEBtesto;

// How a frame sits in its parent, as the placement code of its record says.
enum class TAlign { None, Top, Bottom, Left, Right, Client };

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
