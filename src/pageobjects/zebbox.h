// The rich text box of a page: paragraphs of the page text with its header
// and footer, laid out across the page, painted on the page background, with
// links, mouse selection and keyboard scrolling.
#pragma once

#include <QImage>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "pageobjects/visual.h"
#include "text/paragraph.h"

class TZEBset;
class TZEBtesto;
class TZEBpage;
class TQtCanvas;
class TQtFontCache;
class TMyyTable;

// Fills clip with the colour and the picture: tiles of `tile` from origin, or
// one picture at origin with the colour around it. A transparent picture
// gets the colour below it first.
void PaintPageBackground(QPainter& painter, const QRect& clip, int32_t colour, const QImage& picture,
                         QSize tile, bool opaque, QPoint origin, bool once);

// A place between characters of the box, with the line it lies on.
struct TZEBPosition {
  TZEBparag* para = nullptr;
  int paraIndex = -1;  // -1: no position
  int line = 0;
  int charIndex = 0;   // just before character charIndex
  int top = 0;         // the line's top in the box
  int height = 0;
  int xLeft = 0;       // the character's left edge
  int xRight = 0;      // and the x after it
  bool Valid() const { return paraIndex >= 0; }
  bool SamePlace(const TZEBPosition& o) const { return paraIndex == o.paraIndex && charIndex == o.charIndex; }
  bool Contains(int x, int y) const { return x >= xLeft && x <= xRight && y >= top && y <= top + height; }
};

// The caret: one pixel wide, never shown in the reader.
class TZEBcursor : public QWidget {
  Q_OBJECT
public:
  explicit TZEBcursor(QWidget* parent);

protected:
  void paintEvent(QPaintEvent*) override;
};

// Which paragraphs a hit test looks at: the main text only (the page header
// and footer left out), or every paragraph.
enum class THitMode { MainText, AllText };

class TZEBbox : public TDragCustomControl, public IInlineHost, public IObjectIndex {
  Q_OBJECT
public:
  // Pages cannot be scrolled further down than this.
  static constexpr int kMaxScroll = 32600;

  TZEBbox(TZEBpage* page, QWidget* parent = nullptr);
  ~TZEBbox() override;

  TZEBpage* Page() const { return page_; }
  TZEBset* Document() const;
  IFrameSetHost* GetFrameSet() override;

  // Reads the display text: header (origin 1), the main text from mainStart
  // (origin 0, page objects already taken off), footer (origin 2); lays out.
  void LoadText(TZEBtesto* text, size_t mainStart = 0);
  TZEBtesto* Text() const { return text_; }

  int ParagraphCount() const { return static_cast<int>(paras_.size()); }
  TZEBparag* Paragraph(int i) const;
  int HeaderCount() const { return headerCount_; }
  int FooterCount() const { return footerCount_; }
  int LayoutWidth() const { return layoutWidth_; }
  int Widest() const { return widest_; }
  // Height of the text: the last paragraph's bottom without its space below.
  int TextHeight() const { return textHeight_; }
  // How far the page can scroll: the text height, capped.
  int ScrollRange() const;

  // Lays out again for this width when it changed, then sizes the box to at
  // least (width, height). The page calls it when its viewport changes.
  void SetBounds(int width, int height);

  // Background.
  void SetBackColour(int32_t bgr) { backColour_ = bgr; update(); }
  int32_t BackColour() const { return backColour_; }
  void SetBackPicture(TZEBoggetto* picture);
  TZEBoggetto* BackPicture() const { return backPicture_; }
  void SetBackFlags(uint8_t flags) { backFlags_ = flags; update(); }
  uint8_t BackFlags() const { return backFlags_; }
  void SetTransparent(bool on) { transparent_ = on; }
  // A background fixed to the view must be repainted whenever the page scrolls.
  bool RepaintOnScroll() const { return !backImage_.isNull() && (backFlags_ & 1); }

  // Hit testing and positions.
  TZEBPosition HitTest(THitMode mode, int x, int y) const;
  TZEBPosition PositionOf(int para, int charIndex) const;
  // Link id of the character at the position (the last one at the end), -1 when none.
  int LinkAt(const TZEBPosition& pos) const;
  // The object a link id of a paragraph names, resolved in the text it came from.
  TZEBoggetto* LinkObject(int paraIndex, int link) const;
  // Paragraph and character holding an inline object; false when absent.
  bool FindObject(const TZEBoggetto* obj, int& para, int& charIndex) const;

  // Selection.
  bool HasSelection() const { return hasSel_; }
  void ClearSelection();
  void SelectRange(int p1, int c1, int p2, int c2);
  void SelectionStart(int& p, int& c) const;
  void SelectionEnd(int& p, int& c) const;
  // Rectangles the last selection changes asked to repaint.
  const std::vector<QRect>& LastRepaint() const { return lastRepaint_; }

  // Scrolling of the page that holds the box.
  void ScrollBy(int dx, int dy);
  void ShowPositionAtTop(const TZEBPosition& pos);
  void ScrollIntoView(int x, int y, int height, int width);
  void SetCaret(int para, int charIndex);
  TZEBcursor* Caret() const { return caret_; }

  // What the pointer shows: the hint of the link under it and the cursor
  // number (0 the default arrow, 2 the hand over links).
  QString Hint() const { return hint_; }
  int CursorNumber() const { return cursorNumber_; }
  QPoint ReleasePoint() const { return releaseScreen_; }
  void SetPressScreenPoint(const QPoint& p) { releaseScreen_ = p; }
  void SetPopupMenu(QMenu* m) { popup_ = m; }

  // While above 0 the box neither paints nor reacts.
  void BeginUpdate() { ++update_; }
  void EndUpdate();

  // The text zoom in tenths (5..20) of the frame set showing the box.
  int TextZoom();

  // ---- Table cells: a cell box belongs to a table and reads its text from
  // the text that holds the table, up to the cell end.
  TMyyTable* CellTable() const { return cellTable_; }
  bool IsCell() const { return cellTable_ != nullptr; }
  void MakeCell(TMyyTable* table, int padding, int border);
  // Reads the cell's paragraphs from `text` at pos (left after the cell end);
  // `owner` is the text the table stands in, `origin` its paragraphs' origin.
  void ReadCell(const std::shared_ptr<TQtFontCache>& fonts, std::string_view text, size_t& pos, TZEBtesto* owner,
                uint8_t origin, int indexBase);
  uint8_t ReadingOrigin() const { return readingOrigin_; }
  int IndexBase() const { return indexBase_; }
  TQtCanvas* MeasureCanvas() const { return measure_.get(); }
  // Lays the cell out for a width; its resulting size.
  QSize LayoutCell(int width);
  int CellPadding() const { return cellPadding_; }
  // Tables nested in tables: how deep this box lies (0 for a page box).
  int NestingDepth() const;

  // IInlineHost
  TInlineMetrics MeasureObject(TZEBoggetto* obj, int lineWidth) override;
  void PlaceObject(TZEBoggetto* obj, int x, int top, bool selected) override;
  // IObjectIndex: the page's object index (numbers of header and footer
  // objects follow those of the main text).
  TZEBoggetto* IndexedObject(int number) override;
  int NumberOf(TZEBoggetto* obj) override;
  bool ReadTableCells(TZEBoggetto* table, std::string_view text, size_t& pos) override;
  // Writes the cells of a table the box shows, each cell's paragraphs in stored
  // form followed by "<T>"; "<@>" for a table without its cells.
  void WriteTableCells(TZEBoggetto* table, std::string& out) override;
  void SetIndexBase(int base) { indexBase_ = base; }
  // Moves the controls of the inline objects to where the last layout put
  // them and shows those that take room.
  void PlaceObjects();

protected:
  void PaintBackground(QPainter& painter, const QRect& clip);
  void paintEvent(QPaintEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void focusInEvent(QFocusEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;
  void dragEnterEvent(QDragEnterEvent* e) override;
  void dropEvent(QDropEvent* e) override;
  bool event(QEvent* e) override;

private:
  TTextContext Context(TCanvas* canvas);
  void PaintCellBorder(QPainter& painter);
  QWidget* InlineControl(TZEBoggetto* obj) const;
  void ReadPart(TTextContext& ctx, const std::string& text, size_t pos, uint8_t origin, int indexBase);
  int LayoutAll();
  void SelectedSpan(int para, int& from, int& to) const;
  void RepaintSelection(const TZEBPosition& a, const TZEBPosition& b);
  void RepaintBetween(TZEBPosition a, TZEBPosition b);
  void SetHover(int link, int paraIndex);
  void FollowLink(const TZEBPosition& pos, int link);
  void SelectWord(const TZEBPosition& pos);
  bool ScrollKey(int key);
  void ApplyCursor(int number);
  TZEBPosition Ordered(bool first) const;

  TZEBpage* page_;
  TZEBtesto* text_ = nullptr;
  std::vector<std::unique_ptr<TZEBparag>> paras_;
  std::unique_ptr<TQtCanvas> measure_;
  int headerCount_ = 0, footerCount_ = 0;
  int layoutWidth_ = 0, widest_ = 0, textHeight_ = 0;
  int indexBase_ = 0;
  int hoverLink_ = -1;
  bool pressed_ = false, pressedHere_ = false, selecting_ = false, selShown_ = false, hasSel_ = false;
  bool dblClick_ = false;
  QPoint pressPoint_;
  TZEBPosition pressPos_, anchor_, end_, caretPos_;
  uint8_t pressOrigin_ = 0;
  int update_ = 0;
  TZEBcursor* caret_ = nullptr;
  QPointer<QMenu> popup_;
  bool transparent_ = false;
  uint8_t backFlags_ = 0;
  int32_t backColour_ = 0xF0F0F0;
  TZEBoggetto* backPicture_ = nullptr;
  QImage backImage_;  // the picture's first frame
  QSize backTile_;
  bool backOpaque_ = true;
  int minHalfWidth_ = 10;
  QString hint_;
  int cursorNumber_ = 0;
  QPoint releaseScreen_;
  TMyyTable* cellTable_ = nullptr;
  int cellPadding_ = -1, borderWidth_ = 0;
  uint8_t readingOrigin_ = 0;
  std::vector<QRect> lastRepaint_;
  bool inBounds_ = false;
};
