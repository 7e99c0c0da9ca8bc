#include "ui/window/MainToolBar.h"

#include <QActionGroup>
#include <QMainWindow>
#include <QMenu>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>

#include "base/ScaleParams.h"

namespace qm {

MainToolBar BuildMainToolBar(QMainWindow* window) {
  MainToolBar t;
  t.Bar = new QToolBar(window);
  t.Bar->setObjectName(QStringLiteral("ToolBar"));
  t.Bar->setMovable(false);
  t.Bar->setFloatable(false);
  t.Bar->setFixedHeight(30);
  t.Bar->setIconSize(QSize(16, 16));
  t.Bar->setContextMenuPolicy(Qt::PreventContextMenu);
  window->addToolBar(Qt::TopToolBarArea, t.Bar);

  t.ScaleTypeMenu = new QMenu(window);
  t.ScaleTypeMenu->setObjectName(QStringLiteral("ScaleTypeMenu"));
  t.ScaleTypeGroup = new QActionGroup(t.ScaleTypeMenu);
  t.ScaleTypeGroup->setExclusionPolicy(QActionGroup::ExclusionPolicy::Exclusive);
  for (int tag = 0; tag < 3; ++tag) {
    QAction* entry = t.ScaleTypeMenu->addAction(QString::fromLatin1(kScaleTypeMenuCaptions[tag]));
    entry->setCheckable(true);
    entry->setData(tag);
    t.ScaleTypeGroup->addAction(entry);
    t.ScaleTypeEntries[tag] = entry;
  }

  t.SelectScaleType = new QToolButton(t.Bar);
  t.SelectScaleType->setObjectName(QStringLiteral("SelectScaleType"));
  t.SelectScaleType->setToolTip(QStringLiteral("Выбор типа весов"));
  t.SelectScaleType->setIcon(window->style()->standardIcon(QStyle::SP_DriveHDIcon));
  t.SelectScaleType->setAutoRaise(true);
  t.SelectScaleType->setMenu(t.ScaleTypeMenu);
  t.SelectScaleType->setPopupMode(QToolButton::InstantPopup);
  t.SelectScaleTypeAction = t.Bar->addWidget(t.SelectScaleType);
  t.SelectScaleTypeAction->setData(0);
  return t;
}

}  // namespace qm
