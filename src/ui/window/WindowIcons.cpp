#include "ui/window/WindowIcons.h"

#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <QStyle>

namespace qm {

QIcon SelectFontIcon() {
  QPixmap pixmap(32, 32);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(30, 30, 110), 3.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.drawLine(QPointF(6, 24), QPointF(16, 3));
  p.drawLine(QPointF(16, 3), QPointF(26, 24));
  p.drawLine(QPointF(10.5, 16), QPointF(21.5, 16));
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(200, 30, 30));
  p.drawRect(QRectF(3, 27, 26, 4));
  p.end();
  return QIcon(pixmap);
}

QIcon CheckDataIcon() {
  return QApplication::style()->standardIcon(QStyle::SP_DialogApplyButton);
}

QIcon MatchIcon() {
  return QApplication::style()->standardIcon(QStyle::SP_BrowserReload);
}

QIcon ScaleTypeIcon() {
  return QApplication::style()->standardIcon(QStyle::SP_DriveHDIcon);
}

}  // namespace qm
