// A picture on a page: in the text flow or at a place on the page, with its
// link, a second picture shown under the mouse, clickable zones and, for
// animated GIFs, its frames played while it can be seen.
#pragma once

#include <QMenu>
#include <QPointer>
#include <QTimer>
#include <memory>
#include <vector>

#include "pageobjects/pictureframes.h"
#include "pageobjects/visual.h"

class TZEBpage;
class TMyyZona;

class TMyyImage : public TMyyVisual {
  Q_OBJECT
public:
  explicit TMyyImage(TZEBpage* page);
  ~TMyyImage() override;

  void LoadFromObject() override;
  void RefreshLook() override;
  void SetParentWidth(int width) override;
  void ActivateInReader() override;
  void SetReadOnly(bool on) override;
  void SetAnimated(bool on) override;
  void SetSelected(bool on) override;
  bool IsOpaque() const override;
  int VerticalAlignment() const override;
  TZEBoggetto* LinkedObject() const override { return link_; }
  // The object holding the picture's data: the document's picture, or the
  // picture object itself for a picture of its own; null when there is none.
  TZEBoggetto* PictureSource() const;

  QString Hint() const { return hint_; }
  const std::vector<TMyyZona*>& Zones() const { return zones_; }
  QSize DisplaySize() const { return display_; }
  // The rectangle a picture of that format is stretched into.
  static QRect DrawRect(TPictureFormat format, QSize display);
  // The mouse over the picture: the hover picture shows while it is on.
  void SetHover(bool on);
  bool Hover() const { return hoverOn_; }

  // Animation: a timer runs only while the picture can be seen.
  bool Animating() const { return timer_.isActive(); }
  int CurrentFrame() const { return frame_; }
  // Whether the picture is on screen: shown, in its page's view and in a
  // window that is not minimised.
  bool Seen() const;

protected:
  void paintEvent(QPaintEvent* e) override;
  void enterEvent(QEnterEvent* e) override;
  void leaveEvent(QEvent* e) override;
  bool event(QEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;

private:
  void RefreshHintAndLink();
  void MakeZones();
  void ClearZones();
  const TPictureFrames* Shown() const;
  bool Plays() const;
  void NextFrame();
  void StopAnimation();
  void PlaceAbsolute();

  TZEBpage* page_;
  std::shared_ptr<const TPictureFrames> picture_, hover_;
  std::vector<TMyyZona*> zones_;
  QTimer timer_;
  int frame_ = 0, runs_ = 0;
  bool finished_ = false, hoverOn_ = false;
  TZEBoggetto* link_ = nullptr;
  bool absoluteLinkCached_ = false;
  QString hint_;
  QSize display_{100, 100};
};

// A clickable rectangle of a picture with a link of its own; it paints nothing.
class TMyyZona : public TDragCustomControl {
  Q_OBJECT
public:
  TMyyZona(TMyyImage* picture, int slot);
  int Slot() const { return slot_; }
  TZEBoggetto* Link() const { return link_; }
  QString Hint() const { return hint_; }
  TMyyImage* Picture() const { return picture_; }
  // Binds the slot's link, resolved in the page's text, and its rectangle.
  void ReadSlot(TZEBpage* page);
  bool IsOpaque() const override { return false; }
  // Follows the zone's link (in the reader).
  void Raise();

protected:
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  bool event(QEvent* e) override;

private:
  TMyyImage* picture_;
  int slot_;
  TZEBoggetto* link_ = nullptr;
  QString hint_ = "...";
  QPointer<QMenu> popup_;
  bool pressed_ = false, doubleClicked_ = false;
};
