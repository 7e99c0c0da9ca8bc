#include "ui/link/LinkIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace qm {

namespace {

constexpr int kSize = 32;  // drawn large; the tool bar scales it to its icon size

QPixmap Canvas() {
  QPixmap pixmap(kSize, kSize);
  pixmap.fill(Qt::transparent);
  return pixmap;
}

// One plug half: a body with two pins pointing right (or left when `mirrored`), offset by `dx`.
void DrawPlug(QPainter& p, bool mirrored, int dx, const QColor& fill) {
  p.save();
  if (mirrored) {
    p.translate(kSize, 0);
    p.scale(-1, 1);
  }
  p.translate(dx, 0);
  p.setPen(QPen(QColor(40, 40, 40), 2));
  p.setBrush(fill);
  p.drawRoundedRect(QRectF(3, 9, 10, 14), 2, 2);
  p.drawLine(QPointF(0, 16), QPointF(3, 16));  // the cable
  p.setBrush(QColor(40, 40, 40));
  p.drawRect(QRectF(13, 11, 4, 2));
  p.drawRect(QRectF(13, 19, 4, 2));
  p.restore();
}

}  // namespace

QIcon ComPortIcon() {
  QPixmap pixmap = Canvas();
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  QPainterPath shell;
  shell.moveTo(2, 8);
  shell.lineTo(30, 8);
  shell.lineTo(26, 24);
  shell.lineTo(6, 24);
  shell.closeSubpath();
  p.setPen(QPen(QColor(40, 40, 40), 2));
  p.setBrush(QColor(200, 200, 210));
  p.drawPath(shell);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(30, 30, 120));
  for (int i = 0; i < 5; ++i) p.drawEllipse(QPointF(7 + i * 4.5, 13), 1.7, 1.7);
  for (int i = 0; i < 4; ++i) p.drawEllipse(QPointF(9.25 + i * 4.5, 19), 1.7, 1.7);
  p.end();
  return QIcon(pixmap);
}

QIcon ScaleAddressIcon() {
  QPixmap pixmap = Canvas();
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(20, 60, 140), 2));
  p.setBrush(QColor(60, 120, 220));
  p.drawRoundedRect(QRectF(2, 2, 28, 28), 5, 5);
  p.setPen(QPen(Qt::white, 3, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(13, 7), QPointF(10, 25));
  p.drawLine(QPointF(22, 7), QPointF(19, 25));
  p.drawLine(QPointF(7, 12), QPointF(26, 12));
  p.drawLine(QPointF(6, 20), QPointF(25, 20));
  p.end();
  return QIcon(pixmap);
}

QIcon ConnectIcon() {
  QIcon icon;
  {
    QPixmap apart = Canvas();
    QPainter p(&apart);
    p.setRenderHint(QPainter::Antialiasing);
    DrawPlug(p, false, -3, QColor(190, 190, 190));
    DrawPlug(p, true, -3, QColor(190, 190, 190));
    p.end();
    icon.addPixmap(apart, QIcon::Normal, QIcon::Off);
  }
  {
    QPixmap joined = Canvas();
    QPainter p(&joined);
    p.setRenderHint(QPainter::Antialiasing);
    DrawPlug(p, false, 2, QColor(60, 200, 60));
    DrawPlug(p, true, 2, QColor(60, 200, 60));
    p.end();
    icon.addPixmap(joined, QIcon::Normal, QIcon::On);
  }
  return icon;
}

}  // namespace qm
