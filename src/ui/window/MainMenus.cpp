#include "ui/window/MainMenus.h"

#include <QMenu>
#include <QMenuBar>

namespace qm {

MainMenus BuildMainMenus(QMenuBar* bar) {
  MainMenus m;
  m.File = bar->addMenu(QStringLiteral("&Файл"));
  m.Exit = m.File->addAction(QStringLiteral("&Выход"));
  m.Exit->setData(0);
  m.Info = bar->addMenu(QStringLiteral("&Информация"));
  m.About = m.Info->addAction(QStringLiteral("&О программе"));
  m.About->setData(0);
  return m;
}

}  // namespace qm
