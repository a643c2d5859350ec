// The base layers of everything shown on a page: transparent controls, the
// draggable control that knows its frame set, the visual object bound to a
// stored object, the hint window and the outlined label.
#pragma once

#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QWidget>
#include <array>
#include <memory>
#include <string>

class TZEBoggetto;
class TZEBpicture;
class TZEBpage;
class IFrameSetHost;

// A windowed control that paints nothing behind itself: Qt composes a child
// over its parent's pixels as long as it does not fill its background.
class TOxTransCustomControl : public QWidget {
  Q_OBJECT
public:
  explicit TOxTransCustomControl(QWidget* parent = nullptr);
  // Whether the control covers its whole rectangle.
  virtual bool IsOpaque() const { return true; }
  bool FastMove() const { return fastMove_; }
  void SetFastMove(bool on) { fastMove_ = on; }

protected:
  // Arrows and tab stay with the control instead of moving the focus.
  virtual bool WantsAllKeys() const { return true; }
  bool focusNextPrevChild(bool next) override;

private:
  bool fastMove_ = false;
};

// Takes characters only: tab and arrows move the focus as usual.
class TTransMouseControl : public TOxTransCustomControl {
  Q_OBJECT
public:
  using TOxTransCustomControl::TOxTransCustomControl;

protected:
  bool WantsAllKeys() const override { return false; }
};

// Lets every mouse event through to what lies below.
class TTransNoEventsControl : public TTransMouseControl {
  Q_OBJECT
public:
  explicit TTransNoEventsControl(QWidget* parent = nullptr);
};

// One side (1 to 4) of the dotted outline around a selected control.
class TBoxBorder : public TTransNoEventsControl {
  Q_OBJECT
public:
  TBoxBorder(QWidget* parent, int side);
  int Side() const { return side_; }

protected:
  void paintEvent(QPaintEvent*) override;

private:
  int side_;
};

// One of the eight sizing handles of a selected control.
class TDragBorder : public TTransMouseControl {
  Q_OBJECT
public:
  TDragBorder(QWidget* parent, int position);  // 0..7 clockwise from top left
  int Position() const { return position_; }

protected:
  void paintEvent(QPaintEvent*) override;

private:
  int position_;
};

// The handles and outline of one control, made on first use. Only authoring
// shows them; the reader keeps them hidden.
class TDragBorderGroup {
public:
  explicit TDragBorderGroup(QWidget* owner) : owner_(owner) {}
  ~TDragBorderGroup();
  void Show(bool handles, bool outline);
  void Hide();
  bool Visible() const { return visible_; }

private:
  void Create();
  void Arrange();

  QWidget* owner_;
  std::array<QPointer<TDragBorder>, 8> handles_{};
  std::array<QPointer<TBoxBorder>, 4> sides_{};
  bool visible_ = false;
};

class TDragCustomControl : public TOxTransCustomControl {
  Q_OBJECT
public:
  explicit TDragCustomControl(QWidget* parent = nullptr);
  ~TDragCustomControl() override;

  // The frame set showing this control, found through the page it sits on.
  virtual IFrameSetHost* GetFrameSet();
  void SetFrameSet(IFrameSetHost* fs) { frameSet_ = fs; }

  bool ReadOnly() const { return readOnly_; }
  bool Animated() const { return animated_; }
  bool Inactive() const { return inactive_; }
  bool Selected() const { return selected_; }
  virtual void SetReadOnly(bool on);
  virtual void SetAnimated(bool on) { animated_ = on; }
  virtual void SetInactive(bool on);
  virtual void SetSelected(bool on);
  // Whether the control lies inside its text box's selection.
  virtual void SetInTextSelection(bool on) { (void)on; }
  bool HandlesShown() const { return handles_ && handles_->Visible(); }

protected:
  virtual void SizingStarted() {}
  virtual void SizingEnded() {}
  virtual void EnterHook();
  virtual void ExitHook();
  void focusInEvent(QFocusEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;
  void UpdateHandles();

private:
  std::unique_ptr<TDragBorderGroup> handles_;
  IFrameSetHost* frameSet_ = nullptr;
  bool selected_ = false;
  bool outline_ = false;
  bool inactive_ = false;
  bool animated_ = false;
  bool readOnly_ = true;
  bool focusMode_ = false;
};

// A page object bound to one stored object. Read-only in the reader: a left
// click activates it, which by default raises its link through the frame set.
class TMyyVisual : public TDragCustomControl {
  Q_OBJECT
public:
  explicit TMyyVisual(QWidget* parent = nullptr);
  ~TMyyVisual() override;

  TZEBoggetto* Object() const { return object_; }
  virtual void Bind(TZEBoggetto* obj);
  virtual std::string GetValue() const { return {}; }
  virtual std::string GetItems() const { return {}; }
  virtual void SetValue(const std::string& v) { (void)v; }
  virtual void LoadFromObject() {}
  virtual void SetParentWidth(int width);
  int ParentWidth() const { return parentWidth_; }
  virtual void RefreshLook() {}
  virtual void EditExit() {}
  virtual void ActivateInReader();
  virtual bool IsHidden(uint8_t mask) const { return (mask & hidden_) != 0; }
  void SetHiddenBits(uint8_t bits) { hidden_ = bits; }
  virtual void MoveBy(int dx, int dy) { (void)dx, (void)dy; }
  // The object a click follows; none for a plain visual object.
  virtual TZEBoggetto* LinkedObject() const { return nullptr; }
  // Vertical alignment in a line: 3 top at the baseline, 4 centred on it,
  // anything else on the baseline. Only pictures choose.
  virtual int VerticalAlignment() const { return 5; }

  bool Absolute() const { return absolute_; }
  void SetAbsolute(bool on) { absolute_ = on; }
  int Registration() const { return registration_; }
  void SetRegistration(int n) { registration_ = n; }
  void SetPopup(QMenu* menu) { popup_ = menu; }
  QMenu* Popup() const { return popup_; }

protected:
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;

private:
  TZEBoggetto* object_ = nullptr;
  QPointer<QMenu> popup_;
  QPoint pressPos_;
  int parentWidth_ = 0;
  int registration_ = -1;
  uint8_t hidden_ = 0;
  bool pressed_ = false;
  bool doubleClicked_ = false;
  bool absolute_ = false;
};

// The hint window: the text in the tooltip colours, inset 2 pixels, wrapped.
class TOxHintWindow : public QWidget {
  Q_OBJECT
public:
  explicit TOxHintWindow(QWidget* parent = nullptr);
  void SetText(const QString& text);
  QString Text() const { return text_; }
  QSize sizeHint() const override;

  // One hint window for the program, shown at a screen position.
  static void ShowHint(const QPoint& globalPos, const QString& text);
  static void HideHint();
  // A tooltip event shows `hint` at the pointer (an empty one hides the
  // window); true when the event was one.
  static bool HandleToolTip(QEvent* e, const QString& hint);
  static TOxHintWindow* Current();

protected:
  void paintEvent(QPaintEvent*) override;

private:
  QString text_;
};

// A label drawn with a one-pixel outline in ColourShadow.
class TOutlLabel : public QLabel {
  Q_OBJECT
public:
  using QLabel::QLabel;
  QColor ColourShadow() const { return shadow_; }
  void SetColourShadow(const QColor& c) { shadow_ = c; update(); }
  void SetTransparent(bool on) { transparent_ = on; update(); }

protected:
  void paintEvent(QPaintEvent*) override;

private:
  QColor shadow_ = Qt::white;
  bool transparent_ = false;
};

// The visible part of a description ("visible|hint") and its hint part; a
// description without "|" is all hint.
std::string DescriptionVisible(const std::string& description);
std::string DescriptionHint(const std::string& description);

// A decoded picture frame as an image (null when there is none).
QImage PictureImage(const TZEBpicture* picture, int frame = 0);

// The control that shows a stored object on a page; null when its kind
// shows nothing. The page owns what it returns (objectfactory.cpp).
QWidget* CreateVisualObject(TZEBoggetto* obj, TZEBpage* page);
// Where a page's controls are made: inside the page from the start, since
// moving a window into a page costs far more than moving a child.
QWidget* ViewOf(TZEBpage* page);
