#include "ui/transfer/TransferIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace qm {

namespace {

constexpr int kSize = 32;  // drawn large; the tool bar scales it to its icon size
const QColor kOutline(40, 40, 40);

// A price tag with its hole, its top left corner at (x, y).
void DrawTag(QPainter& p, qreal x, qreal y) {
  QPainterPath tag;
  tag.moveTo(x, y + 7);
  tag.lineTo(x + 7, y);
  tag.lineTo(x + 20, y);
  tag.lineTo(x + 20, y + 14);
  tag.lineTo(x + 7, y + 14);
  tag.closeSubpath();
  p.setPen(QPen(kOutline, 1.5));
  p.setBrush(QColor(250, 210, 70));
  p.drawPath(tag);
  p.setBrush(Qt::white);
  p.drawEllipse(QPointF(x + 6, y + 7), 1.8, 1.8);
  p.drawLine(QPointF(x + 10, y + 5), QPointF(x + 17, y + 5));
  p.drawLine(QPointF(x + 10, y + 9), QPointF(x + 15, y + 9));
}

// A sheet of text, its top left corner at (x, y).
void DrawSheet(QPainter& p, qreal x, qreal y) {
  p.setPen(QPen(kOutline, 1.5));
  p.setBrush(Qt::white);
  p.drawRect(QRectF(x, y, 16, 20));
  p.setPen(QPen(QColor(60, 90, 170), 1.5));
  for (int line = 0; line < 4; ++line) {
    const qreal ly = y + 4 + line * 4;
    p.drawLine(QPointF(x + 3, ly), QPointF(x + (line == 3 ? 9 : 13), ly));
  }
}

void DrawSigma(QPainter& p) {
  QPainterPath sigma;
  sigma.moveTo(19, 4);
  sigma.lineTo(3, 4);
  sigma.lineTo(11, 14);
  sigma.lineTo(3, 24);
  sigma.lineTo(19, 24);
  p.setPen(QPen(QColor(30, 30, 120), 3.5, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
  p.setBrush(Qt::NoBrush);
  p.drawPath(sigma);
}

void DrawSubject(QPainter& p, TransferSubject subject, bool wholeTable) {
  switch (subject) {
    case TransferSubject::Plu:
      if (wholeTable) {
        DrawTag(p, 1, 2);
        DrawTag(p, 4, 8);
        DrawTag(p, 7, 14);
      } else {
        DrawTag(p, 2, 9);
      }
      break;
    case TransferSubject::Message:
      if (wholeTable) {
        DrawSheet(p, 2, 1);
        DrawSheet(p, 6, 5);
        DrawSheet(p, 10, 9);
      } else {
        DrawSheet(p, 5, 5);
      }
      break;
    case TransferSubject::Totals:
      DrawSigma(p);
      break;
  }
}

// An arrow in the lower right corner: down (towards the program) or up (towards the scale).
void DrawArrow(QPainter& p, bool down) {
  const QColor colour = down ? QColor(20, 140, 40) : QColor(200, 40, 30);
  p.save();
  if (!down) {
    p.translate(0, kSize + 10);
    p.scale(1, -1);
  }
  QPainterPath arrow;
  arrow.moveTo(23, 10);
  arrow.lineTo(29, 10);
  arrow.lineTo(29, 20);
  arrow.lineTo(32, 20);
  arrow.lineTo(26, 28);
  arrow.lineTo(20, 20);
  arrow.lineTo(23, 20);
  arrow.closeSubpath();
  p.setPen(QPen(colour.darker(150), 1));
  p.setBrush(colour);
  p.drawPath(arrow);
  p.restore();
}

void DrawCross(QPainter& p) {
  p.setPen(QPen(QColor(200, 40, 30), 4, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(19, 15), QPointF(29, 27));
  p.drawLine(QPointF(29, 15), QPointF(19, 27));
}

}  // namespace

QIcon TransferIcon(TransferSubject subject, TransferMotion motion, bool wholeTable) {
  QPixmap pixmap(kSize, kSize);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  DrawSubject(p, subject, wholeTable);
  switch (motion) {
    case TransferMotion::Read:
      DrawArrow(p, true);
      break;
    case TransferMotion::Write:
      DrawArrow(p, false);
      break;
    case TransferMotion::Clear:
      DrawCross(p);
      break;
  }
  p.end();
  return QIcon(pixmap);
}

}  // namespace qm
