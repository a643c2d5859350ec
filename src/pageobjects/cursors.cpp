#include "pageobjects/cursors.h"

#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

constexpr int kSide = 32;

// Black outline and white fill, as the platform's own cursors.
void Ink(QPainter& p, const QPainterPath& path) {
  p.setPen(QPen(Qt::black, 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(Qt::white);
  p.drawPath(path);
}

QPainterPath Finger(qreal x, qreal top, qreal bottom, qreal w = 4.5) {
  QPainterPath f;
  f.addRoundedRect(QRectF(x, top, w, bottom - top), w / 2, w / 2);
  return f;
}

QPainterPath Palm(qreal top = 14) {
  QPainterPath palm;
  palm.addRoundedRect(QRectF(7, top, 16, 29 - top), 5, 5);
  return palm;
}

// A hand with the index finger up; its tip is the hot spot (11, 1).
void PointingHand(QPainter& p) {
  QPainterPath hand = Palm(15);
  hand = hand.united(Finger(9, 1, 18));
  hand = hand.united(Finger(13.5, 11, 18));
  hand = hand.united(Finger(17.5, 12, 18));
  QPainterPath thumb;
  thumb.addRoundedRect(QRectF(3, 16, 7, 4.5), 2.2, 2.2);
  Ink(p, hand.united(thumb).simplified());
}

void OpenHand(QPainter& p, qreal fingerTop) {
  QPainterPath hand = Palm(14);
  for (int i = 0; i < 4; ++i) hand = hand.united(Finger(7.5 + i * 4, fingerTop + (i == 0 || i == 3 ? 2 : 0), 17, 3.8));
  QPainterPath thumb;
  thumb.addRoundedRect(QRectF(2, 15, 8, 4), 2, 2);
  Ink(p, hand.united(thumb).simplified());
}

void Fist(QPainter& p) {
  QPainterPath fist;
  fist.addRoundedRect(QRectF(7, 11, 17, 16), 5, 5);
  Ink(p, fist);
  for (int i = 1; i < 4; ++i) p.drawLine(QPointF(7 + i * 4.2, 11.5), QPointF(7 + i * 4.2, 16));
}

void Magnifier(QPainter& p, QPointF centre, qreal r) {
  p.setPen(QPen(Qt::black, 3, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(centre + QPointF(r * 0.7, r * 0.7), centre + QPointF(r * 1.8, r * 1.8));
  p.setPen(QPen(Qt::black, 1.5));
  p.setBrush(Qt::white);
  p.drawEllipse(centre, r, r);
  p.setPen(QPen(Qt::black, 1.5));
  p.drawLine(centre - QPointF(r / 2, 0), centre + QPointF(r / 2, 0));
  p.drawLine(centre - QPointF(0, r / 2), centre + QPointF(0, r / 2));
}

void Anchor(QPainter& p) {
  p.setBrush(Qt::NoBrush);
  for (int pass = 0; pass < 2; ++pass) {
    p.setPen(QPen(pass == 0 ? Qt::white : Qt::black, pass == 0 ? 4 : 2, Qt::SolidLine, Qt::RoundCap));
    p.drawEllipse(QPointF(16, 5), 2.5, 2.5);
    p.drawLine(QPointF(16, 8), QPointF(16, 27));
    p.drawLine(QPointF(11, 12), QPointF(21, 12));
    p.drawArc(QRectF(6, 14, 20, 14), 180 * 16, 180 * 16);
  }
}

QCursor Make(int number) {
  QPixmap pix(kSide, kSide);
  pix.fill(Qt::transparent);
  QPainter p(&pix);
  p.setRenderHint(QPainter::Antialiasing);
  QPoint hot(11, 1);
  switch (number) {
    case 2:
    case 3: PointingHand(p); break;
    case 4:
      PointingHand(p);
      p.setPen(QPen(Qt::black, 2));
      p.drawLine(26, 20, 26, 30);  // a text caret: this link can be edited
      p.drawLine(24, 20, 28, 20);
      p.drawLine(24, 30, 28, 30);
      break;
    case 5: OpenHand(p, 3); hot = QPoint(15, 15); break;
    case 6: OpenHand(p, 8); hot = QPoint(15, 15); break;
    case 7: Fist(p); hot = QPoint(15, 15); break;
    case 8:
      OpenHand(p, 3);
      Magnifier(p, QPointF(23, 22), 5);
      hot = QPoint(15, 15);
      break;
    case 10: Magnifier(p, QPointF(12, 12), 8); hot = QPoint(12, 12); break;
    case 11: Anchor(p); hot = QPoint(16, 16); break;
    default: break;
  }
  p.end();
  return QCursor(pix, hot.x(), hot.y());
}

}  // namespace

bool IsLectraCursor(int number) {
  return (number >= 2 && number <= 8) || number == 10 || number == 11;
}

QCursor LectraCursor(int number) {
  if (!IsLectraCursor(number)) return QCursor(Qt::ArrowCursor);
  // Pixmaps need the application: built on first use, kept for the program's life.
  // Never freed: pixmaps must not outlive the application's platform.
  static auto* cache = new QHash<int, QCursor>;
  auto it = cache->find(number);
  if (it == cache->end()) it = cache->insert(number, Make(number));
  return *it;
}
