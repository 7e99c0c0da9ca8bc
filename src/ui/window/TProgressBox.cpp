#include "ui/window/TProgressBox.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

namespace qm {

TProgressBox::TProgressBox(QWidget* owner)
    : QWidget(owner, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint |
                         Qt::WindowTitleHint | Qt::MSWindowsFixedSizeDialogHint) {
  setFixedSize(314, 97);

  progressBar_ = new QProgressBar(this);
  progressBar_->setGeometry(8, 8, 297, 25);
  progressBar_->setTextVisible(false);

  const auto label = [this](const QString& text, int left, int top, int width,
                            Qt::Alignment align) {
    auto* l = new QLabel(text, this);
    // A fixed size: the counts change on every step, and a label that may change its size
    // asks its window to lay out again each time.
    l->setFixedSize(width, 16);
    l->move(left, top);
    l->setAlignment(align | Qt::AlignVCenter);
    return l;
  };
  const Qt::Alignment right = Qt::AlignRight;
  totLabel_ = label(QStringLiteral("Всего:"), 8, 40, 60, Qt::AlignLeft);
  totalVal_ = label(QString(), 68, 40, 50, right);
  procLabel_ = label(QStringLiteral("Записано:"), 8, 56, 60, Qt::AlignLeft);
  procVal_ = label(QString(), 68, 56, 50, right);
  remLabel_ = label(QStringLiteral("Осталось:"), 8, 72, 60, Qt::AlignLeft);
  remVal_ = label(QString(), 68, 72, 50, right);

  cancelButton_ = new QPushButton(QStringLiteral("&Отмена"), this);
  cancelButton_->setGeometry(214, 52, 91, 25);
  connect(cancelButton_, &QPushButton::clicked, this, [this] { cancelled_ = true; });
}

void TProgressBox::ShowProgress(const QString& title, const QString& doneLabel, int total,
                                int start) {
  setWindowTitle(title);
  procLabel_->setText(doneLabel);
  progressBar_->setRange(1, total);
  progressBar_->setValue(start);
  totalVal_->setText(QString::number(total));
  procVal_->setText(QString::number(start - 1));
  remVal_->setText(QString::number(total - start + 1));
  if (QWidget* owner = parentWidget()) {
    const QPoint centre = owner->frameGeometry().center();
    move(centre.x() - frameGeometry().width() / 2, centre.y() - frameGeometry().height() / 2);
  }
  cancelled_ = false;
  show();
  raise();
}

bool TProgressBox::StepProgress(int position) {
  progressBar_->setValue(position);
  procVal_->setText(QString::number(position - progressBar_->minimum() + 1));
  remVal_->setText(QString::number(progressBar_->maximum() - position));
  repaint();
  // Pending events only: a transfer step must not wait for the next timer tick.
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  return cancelled_;
}

void TProgressBox::closeEvent(QCloseEvent* event) {
  // The window has no close button; the window system's other ways to close it are refused too.
  event->ignore();
}

void TProgressBox::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) return;  // Escape does not hide a running transfer
  QWidget::keyPressEvent(event);
}

}  // namespace qm
