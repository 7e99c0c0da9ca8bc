#include <gtest/gtest.h>

#include <QCloseEvent>
#include <QLabel>
#include <QMainWindow>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include "UiTestHelpers.h"
#include "base/Cp1251.h"
#include "ui/window/QtDialogs.h"
#include "ui/window/TAboutBox.h"
#include "ui/window/TProgressBox.h"

namespace qm {
namespace {

struct Counts {
  QString total, done, left;
};
Counts Shown(const TProgressBox& box) {
  return {box.TotalVal()->text(), box.ProcVal()->text(), box.RemVal()->text()};
}
#define EXPECT_COUNTS(box, t, d, l)        \
  do {                                     \
    const Counts c = Shown(box);           \
    EXPECT_EQ(c.total, QStringLiteral(t)); \
    EXPECT_EQ(c.done, QStringLiteral(d));  \
    EXPECT_EQ(c.left, QStringLiteral(l));  \
  } while (0)

TEST(ProgressBox, ShowsTotalsDoneAndLeftAsItSteps) {
  QMainWindow owner;
  owner.resize(640, 480);
  owner.show();
  TProgressBox box(&owner);
  EXPECT_EQ(box.size(), QSize(314, 97));
  EXPECT_TRUE(box.windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_FALSE(box.windowFlags() & Qt::WindowCloseButtonHint);
  EXPECT_EQ(box.CancelButton()->text(), QStringLiteral("&Отмена"));

  box.ShowProgress(QStringLiteral("Чтение таблицы товаров..."), QStringLiteral("Считано:"), 200, 1);
  EXPECT_TRUE(box.isVisible());
  EXPECT_EQ(box.windowTitle(), QStringLiteral("Чтение таблицы товаров..."));
  EXPECT_EQ(box.ProcLabel()->text(), QStringLiteral("Считано:"));
  EXPECT_EQ(box.ProgressBar()->minimum(), 1);
  EXPECT_EQ(box.ProgressBar()->maximum(), 200);
  EXPECT_COUNTS(box, "200", "0", "200");
  EXPECT_FALSE(box.StepProgress(1));
  EXPECT_COUNTS(box, "200", "1", "199");
  EXPECT_EQ(box.ProgressBar()->value(), 1);
  EXPECT_FALSE(box.StepProgress(200));
  EXPECT_COUNTS(box, "200", "200", "0");

  // A transfer that resumes part-way shows the records before its start as done.
  box.ShowProgress("t", "d", 50, 11);
  EXPECT_COUNTS(box, "50", "10", "40");
  box.StepProgress(30);
  EXPECT_COUNTS(box, "50", "30", "20");
}

TEST(ProgressBox, CancelStopsTheNextStepUntilShownAgain) {
  QMainWindow owner;
  owner.show();
  TProgressBox box(&owner);
  box.ShowProgress("t", "d", 10, 1);
  EXPECT_FALSE(box.StepProgress(1));
  box.CancelButton()->click();
  EXPECT_TRUE(box.StepProgress(2));
  EXPECT_TRUE(box.StepProgress(3));
  box.ShowProgress("t", "d", 10, 1);
  EXPECT_FALSE(box.Cancelled());
  EXPECT_FALSE(box.StepProgress(1));

  // A click that is still waiting in the event queue is handled inside the step.
  QTimer::singleShot(0, box.CancelButton(), &QPushButton::click);
  EXPECT_TRUE(box.StepProgress(2));
}

TEST(ProgressBox, CannotBeClosedFromTheWindowSystem) {
  QMainWindow owner;
  owner.show();
  TProgressBox box(&owner);
  box.ShowProgress("t", "d", 10, 1);
  EXPECT_FALSE(box.close());
  EXPECT_TRUE(box.isVisible());
  box.hide();
  EXPECT_FALSE(box.isVisible());
}

TEST(ProgressBox, QtDialogsPassTheCoreTextsOn) {
  QMainWindow owner;
  owner.show();
  TProgressBox box(&owner);
  QtDialogs dialogs(&owner);
  EXPECT_FALSE(dialogs.StepProgress(1));  // no window yet: nothing to cancel
  dialogs.AttachProgressBox(&box);
  dialogs.ShowProgress(Win1251("Запись таблицы сообщений..."), Win1251("Записано:"), 5, 1);
  EXPECT_EQ(box.windowTitle(), QStringLiteral("Запись таблицы сообщений..."));
  EXPECT_EQ(box.ProcLabel()->text(), QStringLiteral("Записано:"));
  box.CancelButton()->click();
  EXPECT_TRUE(dialogs.StepProgress(2));
  EXPECT_EQ(box.ProcVal()->text(), "2");
  dialogs.HideProgress();
  EXPECT_FALSE(box.isVisible());
}

TEST(AboutBox, ShowsItsTextsAndClosesOnAClickAnywhere) {
  TAboutBox about(nullptr);
  EXPECT_EQ(about.windowTitle(), QStringLiteral("About"));
  EXPECT_EQ(about.size(), QSize(270, 79));
  QStringList texts;
  QLabel* bold = nullptr;
  for (QLabel* l : about.findChildren<QLabel*>()) {
    if (l->text().isEmpty()) continue;
    texts << l->text();
    if (l->text() == QStringLiteral("для весов ORB QM V-1.6")) bold = l;
  }
  EXPECT_EQ(texts,
            QStringList({QStringLiteral("Система подготовки данных"),
                         QStringLiteral("для весов ORB QM V-1.6"), QStringLiteral("Версия 1.1")}));
  ASSERT_NE(bold, nullptr);
  EXPECT_TRUE(bold->font().bold());

  for (QWidget* target : {static_cast<QWidget*>(bold), static_cast<QWidget*>(&about)}) {
    about.open();
    ASSERT_TRUE(about.isVisible());
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(2, 2), target->mapToGlobal(QPointF(2, 2)),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &press);
    EXPECT_FALSE(about.isVisible());
    EXPECT_EQ(about.result(), QDialog::Accepted);
  }
}

}  // namespace
}  // namespace qm
