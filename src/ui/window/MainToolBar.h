// The main window's tool bar (height 30, flat buttons with images and hints) and the scale-type
// drop-down. Buttons are added as actions, their tag in QAction::data(). The buttons left of the
// scale-type button (New, Open, Save, divider, TestData, MatchButton, divider) go before
// `SelectScaleTypeAction`: the tables put the dividers and TestData, MatchButton there, so New,
// Open and Save go before TablesWindow::FileButtonsPlace(). The port, address and Connect
// buttons and everything after go after it, in order (`Bar->insertAction(before, ...)` or
// `Bar->addAction(...)`).
#pragma once

#include <array>

class QAction;
class QActionGroup;
class QMainWindow;
class QMenu;
class QToolBar;
class QToolButton;

namespace qm {

struct MainToolBar {
  QToolBar* Bar = nullptr;
  QToolButton* SelectScaleType = nullptr;  // hint "Выбор типа весов", opens ScaleTypeMenu
  QAction* SelectScaleTypeAction = nullptr;  // its place on the bar
  QMenu* ScaleTypeMenu = nullptr;
  std::array<QAction*, 3> ScaleTypeEntries{};  // "QM-&06(R)", "QM-&15(R)", "QM-&30(R)", tags 0..2
  QActionGroup* ScaleTypeGroup = nullptr;      // radio entries; none checked at start
};

MainToolBar BuildMainToolBar(QMainWindow* window);

}  // namespace qm
