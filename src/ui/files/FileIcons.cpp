#include "ui/files/FileIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace qm {

namespace {

constexpr int kSize = 32;  // drawn large; the tool bar scales it to its icon size
const QColor kOutline(40, 40, 40);

QPixmap Canvas() {
  QPixmap pixmap(kSize, kSize);
  pixmap.fill(Qt::transparent);
  return pixmap;
}

}  // namespace

QIcon NewDataIcon() {
  QPixmap pixmap = Canvas();
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  QPainterPath sheet;
  sheet.moveTo(6, 2);
  sheet.lineTo(19, 2);
  sheet.lineTo(26, 9);
  sheet.lineTo(26, 30);
  sheet.lineTo(6, 30);
  sheet.closeSubpath();
  p.setPen(QPen(kOutline, 2));
  p.setBrush(Qt::white);
  p.drawPath(sheet);
  p.drawPolyline(QPolygonF({QPointF(19, 2), QPointF(19, 9), QPointF(26, 9)}));
  p.setPen(QPen(QColor(20, 140, 40), 4, Qt::SolidLine, Qt::FlatCap));
  p.drawLine(QPointF(16, 14), QPointF(16, 26));
  p.drawLine(QPointF(10, 20), QPointF(22, 20));
  p.end();
  return QIcon(pixmap);
}

QIcon OpenFileIcon() {
  QPixmap pixmap = Canvas();
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(kOutline, 2));
  // The back of the folder with its tab.
  QPainterPath back;
  back.moveTo(2, 27);
  back.lineTo(2, 6);
  back.lineTo(11, 6);
  back.lineTo(14, 9);
  back.lineTo(26, 9);
  back.lineTo(26, 13);
  p.setBrush(QColor(220, 170, 40));
  p.drawPath(back);
  // The front flap, tilted open.
  QPainterPath front;
  front.moveTo(2, 27);
  front.lineTo(8, 14);
  front.lineTo(31, 14);
  front.lineTo(25, 27);
  front.closeSubpath();
  p.setBrush(QColor(250, 210, 80));
  p.drawPath(front);
  p.end();
  return QIcon(pixmap);
}

QIcon SaveDataIcon() {
  QPixmap pixmap = Canvas();
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  QPainterPath disk;
  disk.moveTo(3, 3);
  disk.lineTo(25, 3);
  disk.lineTo(29, 7);
  disk.lineTo(29, 29);
  disk.lineTo(3, 29);
  disk.closeSubpath();
  p.setPen(QPen(kOutline, 2));
  p.setBrush(QColor(50, 90, 170));
  p.drawPath(disk);
  // The shutter at the top and the label at the bottom.
  p.setBrush(QColor(200, 200, 210));
  p.drawRect(QRectF(9, 3, 13, 9));
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(50, 90, 170));
  p.drawRect(QRectF(17, 5, 3, 5));
  p.setPen(QPen(kOutline, 2));
  p.setBrush(Qt::white);
  p.drawRect(QRectF(7, 17, 18, 12));
  p.end();
  return QIcon(pixmap);
}

}  // namespace qm
