#include "ui/window/MainPages.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QProxyStyle>
#include <QTabBar>
#include <QTabWidget>

#include "ui/tables/EditorKeys.h"

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

// Ctrl+Tab / Ctrl+PgDn and Ctrl+Shift+Tab / Ctrl+PgUp change the page from anywhere in the
// window that holds the pages. Left to the widgets, the grids take Ctrl+Tab and the page keys
// for themselves and the page control acts on Ctrl+Tab only, so the keys are taken before any
// widget of that window sees them. Other windows (boxes, drop-down lists) keep their keys.
class PageKeys : public QObject {
 public:
  explicit PageKeys(QTabWidget* pages) : QObject(pages), pages_(pages) {
    qApp->installEventFilter(this);
  }
  ~PageKeys() override { qApp->removeEventFilter(this); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType()) return false;
    if (static_cast<QWidget*>(watched)->window() != pages_->window()) return false;
    return StepPageByKey(pages_, *static_cast<QKeyEvent*>(event));
  }

 private:
  QTabWidget* pages_;
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
  new PageKeys(p.PageControl);
  return p;
}

}  // namespace qm
