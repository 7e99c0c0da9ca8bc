#include "ui/window/TAboutBox.h"

#include <QApplication>
#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QStyle>

namespace qm {

TAboutBox::TAboutBox(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint) {
  setWindowTitle(QStringLiteral("About"));
  setFixedSize(270, 79);

  auto* panel = new QFrame(this);
  panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
  panel->setGeometry(0, 0, 270, 79);

  auto* icon = new QLabel(panel);
  icon->setGeometry(8, 8, 33, 33);
  icon->setScaledContents(true);
  QIcon programIcon = QApplication::windowIcon();
  if (programIcon.isNull()) programIcon = style()->standardIcon(QStyle::SP_ComputerIcon);
  icon->setPixmap(programIcon.pixmap(33, 33));

  const auto line = [panel](const QString& text, int top, bool bold) {
    auto* l = new QLabel(text, panel);
    l->setGeometry(48, top, 214, 18);
    l->setAlignment(Qt::AlignCenter);
    if (bold) {
      QFont f = l->font();
      f.setBold(true);
      l->setFont(f);
    }
    return l;
  };
  line(QStringLiteral("Система подготовки данных"), 6, true);
  line(QStringLiteral("для весов ORB QM V-1.6"), 26, true);
  line(QStringLiteral("Версия 1.1"), 50, false);

  // Labels and the icon pass clicks on to their parents, but a filter makes sure every child
  // closes the window whatever it does with the click.
  for (QWidget* child : findChildren<QWidget*>()) child->installEventFilter(this);
}

void TAboutBox::mousePressEvent(QMouseEvent* event) {
  accept();
}

bool TAboutBox::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonPress) {
    accept();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace qm
