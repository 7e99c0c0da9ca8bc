// The main window's menu bar. Each menu is kept so that further entries can be added in their
// place: file entries go before Exit (`File->insertAction(Exit, ...)`), the menus "&Проверка",
// "&Чтение" and "&Запись" go before "&Информация" (`bar->insertMenu(Info->menuAction(), ...)`).
#pragma once

class QAction;
class QMenu;
class QMenuBar;

namespace qm {

struct MainMenus {
  QMenu* File = nullptr;     // "&Файл"
  QAction* Exit = nullptr;   // "&Выход": the close request
  QMenu* Info = nullptr;     // "&Информация"
  QAction* About = nullptr;  // "&О программе": the about window
};

MainMenus BuildMainMenus(QMenuBar* bar);

}  // namespace qm
