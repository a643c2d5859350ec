#include "pageobjects/glyphs.h"

#include <QPainter>
#include <QPainterPath>
#include <array>
#include <cstring>

namespace {

struct TGlyphLook {
  const char* name;
  QRgb fill;
  const char* mark;  // what is written on it; empty for a drawn symbol
};

constexpr std::array<TGlyphLook, 19> kLooks{{
    {"notepad", 0xFFF4E27A, "N"}, {"ann", 0xFFF4E27A, "i"},   {"html", 0xFF9CC3E6, "<>"},
    {"binary", 0xFFB7B7B7, "01"}, {"lancia", 0xFF8FD18B, ""}, {"ancora", 0xFF6FA8DC, ""},
    {"imagelk", 0xFFE6B8AF, "I"}, {"fogliolk", 0xFFD9D2E9, "L"}, {"foglio", 0xFFD9D2E9, "P"},
    {"fond", 0xFFCFE2F3, "F"},    {"xcoord", 0xFFFCE5CD, "X"}, {"ycoord", 0xFFFCE5CD, "Y"},
    {"par", 0xFFEAD1DC, "\xc2\xb6"}, {"dinlist", 0xFFD0E0E3, "\xe2\x89\xa1"}, {"dinhtml", 0xFFD0E0E3, "<>"},
    {"iniziof", 0xFFB6D7A8, "F"}, {"hidden", 0xFFCCCCCC, "h"}, {"nota", 0xFFFFD966, "\xe2\x99\xaa"},
    {"flashlo", 0xFFF6B26B, "f"},
}};

void DrawAnchor(QPainter& p) {
  p.setPen(QPen(Qt::black, 1.5));
  p.drawEllipse(QPointF(9, 3.5), 1.8, 1.8);
  p.drawLine(QPointF(9, 5.5), QPointF(9, 15));
  p.drawLine(QPointF(5.5, 8), QPointF(12.5, 8));
  QPainterPath arc;
  arc.moveTo(3.5, 11);
  arc.quadTo(4.5, 15.5, 9, 15.5);
  arc.quadTo(13.5, 15.5, 14.5, 11);
  p.drawPath(arc);
}

void DrawLaunch(QPainter& p) {
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x1E, 0x6B, 0x22));
  const QPointF tri[3] = {{6, 4}, {14, 9}, {6, 14}};
  p.drawPolygon(tri, 3);
}

}  // namespace

QImage PanelGlyph(const std::string& name) {
  for (const TGlyphLook& look : kLooks) {
    if (name != look.name) continue;
    QImage img(18, 18, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QColor(0x40, 0x40, 0x40));
    p.setBrush(QColor::fromRgba(look.fill));
    p.drawRoundedRect(QRectF(0.5, 0.5, 17, 17), 3, 3);
    if (name == "ancora") {
      DrawAnchor(p);
    } else if (name == "lancia") {
      DrawLaunch(p);
    } else {
      QFont f("Arial");
      f.setPixelSize(std::strlen(look.mark) > 1 && static_cast<unsigned char>(look.mark[0]) < 0x80 ? 8 : 11);
      f.setBold(true);
      p.setFont(f);
      p.setPen(Qt::black);
      p.drawText(QRect(0, 0, 18, 18), Qt::AlignCenter, QString::fromUtf8(look.mark));
    }
    return img;
  }
  return {};
}
