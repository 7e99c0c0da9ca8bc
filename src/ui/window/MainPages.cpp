#include "ui/window/MainPages.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QTabWidget>

namespace qm {

MainPages BuildMainPages(QWidget* client) {
  MainPages p;
  p.PageControl = new QTabWidget(client);
  p.PageControl->setObjectName(QStringLiteral("PageControl"));
  p.PageControl->setGeometry(0, 0, 535, 230);
  p.PluPage = new QWidget;
  p.MsgPage = new QWidget;
  p.TotalsPage = new QWidget;
  p.PageControl->addTab(p.PluPage, QStringLiteral("Товар"));
  p.PageControl->addTab(p.MsgPage, QStringLiteral("Сообщение"));
  p.PageControl->addTab(p.TotalsPage, QStringLiteral("Общий итог"));

  p.LogoSelector = new QComboBox(p.PluPage);
  p.LogoSelector->setObjectName(QStringLiteral("LogoSelector"));
  p.LogoSelector->addItems({QStringLiteral("Логотипа нет"), QStringLiteral("Логотип РосТест"),
                            QStringLiteral("Другой логотип")});
  p.LogoSelector->setMaxVisibleItems(3);
  p.LogoSelector->view()->setMinimumWidth(120);
  p.LogoSelector->setGeometry(8, 8, 120, 21);

  p.PageControl->setCurrentIndex(0);
  return p;
}

}  // namespace qm
