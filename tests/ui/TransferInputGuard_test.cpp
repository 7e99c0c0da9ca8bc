// The guard that keeps operator input from the main window during a transfer: what it swallows,
// what it lets through (other windows, their context menus), and that it lets go again.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <memory>

#include "ui/transfer/TransferInputGuard.h"

namespace qm {
namespace {

// Opens `menu` from `owner` and clicks its first entry; true when the entry ran.
bool ClickFirstEntry(QMenu& menu, QWidget& owner) {
  bool ran = false;
  QAction* entry = menu.actions().front();
  const auto connection = QObject::connect(entry, &QAction::triggered, [&] { ran = true; });
  menu.popup(owner.mapToGlobal(QPoint(0, 0)));
  EXPECT_TRUE(QTest::qWaitForWindowExposed(&menu));
  QTest::mouseClick(&menu, Qt::LeftButton, Qt::NoModifier, menu.actionGeometry(entry).center());
  menu.hide();
  QObject::disconnect(connection);
  return ran;
}

TEST(TransferInputGuardTest, SwallowsTheWindowsInputOnlyAndOnlyWhileItExists) {
  QWidget window;
  auto* field = new QLineEdit(&window);
  QMenu dropDown(&window);  // a menu dropping from the window
  dropDown.addAction(QStringLiteral("entry"));
  window.show();

  QWidget dialog;  // another window, e.g. the number input
  auto* input = new QLineEdit(&dialog);
  QMenu contextMenu(input);  // the input's own context menu
  contextMenu.addAction(QStringLiteral("entry"));
  dialog.show();

  {
    TransferInputGuard guard(&window);
    QTest::keyClicks(field, "12");
    QTest::keyClicks(input, "34");
    EXPECT_EQ(field->text(), QString());
    EXPECT_EQ(input->text(), QStringLiteral("34"));
    EXPECT_FALSE(ClickFirstEntry(dropDown, window));
    EXPECT_TRUE(ClickFirstEntry(contextMenu, dialog));
  }
  QTest::keyClicks(field, "56");
  EXPECT_EQ(field->text(), QStringLiteral("56"));
  EXPECT_TRUE(ClickFirstEntry(dropDown, window));
}

}  // namespace
}  // namespace qm
