#include "ui/window/MainPages.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QProxyStyle>
#include <QTabBar>
#include <QTabWidget>

namespace qm {
namespace {

// The tab row shares its line with the live display panels, which start where the design's three
// tabs end. The padding the window system puts around a tab title is wider than the design's;
// with half of it the three titles stay whole and clear of the first panel.
class CompactTabStyle : public QProxyStyle {
 public:
  int pixelMetric(PixelMetric metric, const QStyleOption* option,
                  const QWidget* widget) const override {
    const int value = QProxyStyle::pixelMetric(metric, option, widget);
    return metric == PM_TabBarTabHSpace ? value / 2 : value;
  }
};

}  // namespace

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
  auto* tabStyle = new CompactTabStyle;
  tabStyle->setParent(p.PageControl->tabBar());
  p.PageControl->tabBar()->setStyle(tabStyle);

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
