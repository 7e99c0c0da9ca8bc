// The font-driven layout in the real window: the saved font and size at start-up, the font
// button, the operator's resizing, and damaged settings that must still give a usable window.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBar>
#include <algorithm>
#include <cmath>
#include <vector>

#include "UiTestHelpers.h"
#include "app/FontLayout.h"
#include "support/ScriptedDialogs.h"
#include "ui/link/MainFormLink.h"
#include "ui/tables/TSortGrid.h"
#include "ui/tables/TablesWindow.h"
#include "ui/window/CommandMap.h"
#include "ui/window/FontLayoutHost.h"
#include "ui/window/MainForm.h"
#include "ui/window/QtFont.h"
#include "ui/window/QtStatusView.h"
#include "ui/tables/PluRowEditor.h"

namespace qm {
namespace {

// Settings with the given font size (points) and window size; other values are defaults.
void WriteSettings(const QString& path, int fontSize, int width, int height,
                   const QString& face = QStringLiteral("DejaVu Sans"), int left = 20,
                   int top = 20) {
  QSettings ini(path, QSettings::IniFormat);
  ini.setValue("Settings/Left Position", QString::number(left));
  ini.setValue("Settings/Top Position", QString::number(top));
  ini.setValue("Settings/Form Width", QString::number(width));
  ini.setValue("Settings/Form Heiht", QString::number(height));
  ini.setValue("Settings/Font/Name", face);
  ini.setValue("Settings/Font/Size", QString::number(fontSize));
  ini.setValue("Settings/Font/Style", "");
}

bool PlacesItsChildren(const QWidget& w) {
  return qobject_cast<const QGroupBox*>(&w) || w.metaObject() == &QWidget::staticMetaObject ||
         w.metaObject() == &QFrame::staticMetaObject;
}

void CollectPlaced(QWidget* container, QMap<QWidget*, QRect>& places) {
  for (QObject* child : container->children()) {
    auto* w = qobject_cast<QWidget*>(child);
    if (!w || w->isWindow()) continue;
    places.insert(w, w->geometry());
    if (PlacesItsChildren(*w)) CollectPlaced(w, places);
  }
}

// Everything the resizers move: the widgets placed on the pages, to any depth, and the display
// panels.
QMap<QWidget*, QRect> LaidOutGeometry(TMainForm& form) {
  QMap<QWidget*, QRect> places;
  for (QWidget* page : {form.Pages().PluPage, form.Pages().MsgPage, form.Pages().TotalsPage}) {
    CollectPlaced(page, places);
  }
  for (QLabel* panel : form.LinkControls().DisplayPanels()) places.insert(panel, panel->geometry());
  return places;
}

int PixelHeight(const QFont& font) {
  return QFontInfo(font).pixelSize();
}

// Starts the window as the program does: creation, saved font, saved size, shown.
void StartUp(TMainForm& form) {
  form.CreateAuxWindows();
  form.ApplySavedFont();
  form.ApplySavedSize();
  form.show();
}

class FontLayoutWindowTest : public testing::Test {
 protected:
  void SetUp() override { settingsPath_ = qmtest::FreshSettingsFile(); }
  QString settingsPath_;
};

TEST_F(FontLayoutWindowTest, DesignLayoutFillsTheClientArea) {
  TMainForm form;
  StartUp(form);
  ASSERT_EQ(form.size(), QSize(640, 480));
  EXPECT_EQ(form.minimumSize(), QSize(640, 480));
  EXPECT_EQ(form.Pages().PageControl->geometry(), QRect(0, 0, 535, 230));
  TSortGrid* plu = form.Tables().PLUSortGrid;
  TSortGrid* msg = form.Tables().MsgSortGrid;
  EXPECT_EQ(msg->geometry(), QRect(535, 0, 105, 230));
  // The PLU grid reaches down to the status bar, which stays 19 high.
  EXPECT_EQ(plu->geometry(), QRect(0, 230, 640, form.centralWidget()->height() - 230));
  EXPECT_EQ(form.statusBar()->height(), 19);
  EXPECT_EQ(form.Commands().Bar()->height(), 30);
  // The columns fill each grid's cell area exactly, in their proportions.
  int sum = 0;
  for (int c = 0; c < 14; ++c) sum += plu->columnWidth(c);
  EXPECT_EQ(sum, plu->viewport()->width());
  EXPECT_EQ(plu->columnWidth(1), plu->columnWidth(2));
  EXPECT_NEAR(plu->columnWidth(0) * 2, plu->columnWidth(1), 2);
  EXPECT_EQ(msg->columnWidth(0) + msg->columnWidth(1), msg->viewport()->width());
  for (QLabel* panel : form.LinkControls().DisplayPanels())
    EXPECT_EQ(panel->font().pointSize(), 10);
}

TEST_F(FontLayoutWindowTest, SavedFontTwiceTheDesignHeightDoublesTheLayout) {
  WriteSettings(settingsPath_, 16, 640, 480);
  TMainForm form;
  const QMap<QWidget*, QRect> design = LaidOutGeometry(form);
  QMap<QWidget*, int> designTextWidth;
  for (QWidget* w : design.keys()) designTextWidth.insert(w, w->sizeHint().width());
  const int designHeight = PixelHeight(form.font());
  const int designPane = form.Pages().PageControl->height();
  StartUp(form);

  const double v = double(PixelHeight(form.font())) / designHeight;
  ASSERT_GT(v, 1.8);
  ASSERT_LT(v, 2.1);
  const LayoutState& s = form.FontLayoutControls().Layout().State();
  EXPECT_NEAR(s.FontScaleV, 1000 * v, 1e-6);
  // The saved 640 x 480 is below the new minimum, which the window takes.
  EXPECT_EQ(form.minimumSize(), QSize(s.MinFormWidth, s.MinFormHeight));
  EXPECT_EQ(form.size(), form.minimumSize());
  EXPECT_NEAR(form.height(), 480 * v, 480 * 0.1);
  EXPECT_NEAR(form.width(), 640 * v, 2);
  EXPECT_NEAR(form.Pages().PageControl->height(), designPane * v, 1);
  EXPECT_NEAR(form.statusBar()->height(), 19 * v, 1);
  for (QLabel* panel : form.LinkControls().DisplayPanels()) {
    EXPECT_NEAR(panel->font().pointSize(), 20, 1);
  }

  // Every control on the pages is about twice as tall and placed about twice as far; a label
  // sizes itself to its text instead of being scaled, a display panel stays on the tab row.
  int labels = 0, panels = 0;
  for (auto it = design.begin(); it != design.end(); ++it) {
    const QRect now = it.key()->geometry();
    const QRect was = it.value();
    SCOPED_TRACE(
        (it.key()->metaObject()->className() + QStringLiteral(" ") + it.key()->objectName())
            .toStdString());
    EXPECT_NEAR(now.height(), was.height() * v, 1);
    EXPECT_NEAR(now.left(), was.left() * v, 1);
    const auto& display = form.LinkControls().DisplayPanels();
    if (std::find(display.begin(), display.end(), it.key()) != display.end()) {
      ++panels;
      EXPECT_EQ(now.top(), was.top());
      EXPECT_NEAR(now.width(), was.width() * v, 1);
    } else if (KindOf(*it.key()) == ControlKind::kLabel) {
      // A label laid out at its text's width keeps fitting its text; one given a width of its
      // own keeps that width unless its text needs more.
      ++labels;
      const int text = it.key()->sizeHint().width();
      const bool fitsText = was.width() == designTextWidth.value(it.key());
      EXPECT_EQ(now.width(), fitsText ? text : std::max(was.width(), text))
          << qobject_cast<QLabel*>(it.key())->text().toStdString();
      EXPECT_NEAR(now.top(), was.top() * v, 1);
    } else {
      EXPECT_NEAR(now.top(), was.top() * v, 1);
      EXPECT_NEAR(now.width(), was.width() * v, 1);
    }
  }
  EXPECT_GT(labels, 10);
  EXPECT_EQ(panels, 4);
  for (const TSingleResizer& r : form.FontLayoutControls().Layout().Resizers()) {
    EXPECT_TRUE(r.ScaleHeight());
  }

  // The grids still fill the window below and right of the pane, their rows taller.
  TSortGrid* plu = form.Tables().PLUSortGrid;
  EXPECT_EQ(plu->geometry().bottom() + 1, form.centralWidget()->height());
  EXPECT_EQ(plu->width(), form.width());
  EXPECT_NEAR(plu->verticalHeader()->defaultSectionSize(), 16 * v, 1);
  int sum = 0;
  for (int c = 0; c < 14; ++c) sum += plu->columnWidth(c);
  EXPECT_EQ(sum, plu->viewport()->width());
  EXPECT_EQ(form.Tables().MsgSortGrid->geometry().right() + 1, form.width());
}

TEST_F(FontLayoutWindowTest, FontButtonAndBackToTheDesignFontRestoresEveryBound) {
  WriteSettings(settingsPath_, 8, 640, 480, QStringLiteral("MS Sans Serif"));
  qmtest::ScriptedDialogs dialogs;
  TMainForm form;
  form.SetDialogs(&dialogs);
  StartUp(form);
  const QMap<QWidget*, QRect> design = LaidOutGeometry(form);
  const QRect pane = form.Pages().PageControl->geometry();
  const QSize designSize = form.size();
  FontLayoutHost& layout = form.FontLayoutControls();
  QAction* button = form.Commands().Action(Cmd::SelectFont);
  EXPECT_EQ(button->toolTip(), QStringLiteral("Выбор шрифта"));
  EXPECT_FALSE(button->icon().isNull());

  // The dialog opens with the program's current font; Cancel changes nothing.
  QFont offered;
  layout.ChooseFont = [&](const FontChoice& current) -> std::optional<FontChoice> {
    offered = current.font;
    EXPECT_FALSE(current.color.isValid()) << "the desktop's text colour";
    return std::nullopt;
  };
  button->trigger();
  EXPECT_EQ(offered.family(), QStringLiteral("MS Sans Serif"));
  EXPECT_EQ(offered.pointSize(), 8);
  EXPECT_EQ(form.size(), designSize);
  EXPECT_EQ(form.DialogFont(), TFontValues{});

  // Several fonts, bold among them, then the design font again.
  for (int size : {14, 11, 20}) {
    layout.ChooseFont = [&](const FontChoice&) -> std::optional<FontChoice> {
      QFont f(QStringLiteral("DejaVu Sans"), size);
      f.setBold(size == 11);
      return FontChoice{f, {}};
    };
    button->trigger();
  }
  EXPECT_EQ(form.DialogFont().Size, 20);
  EXPECT_EQ(form.DialogFont().Name, "DejaVu Sans");
  EXPECT_GT(form.height(), 2 * designSize.height());
  layout.ChooseFont = [&](const FontChoice&) -> std::optional<FontChoice> {
    return FontChoice{ToQFont(TFontValues{}), {}};
  };
  button->trigger();

  const LayoutState& s = layout.Layout().State();
  EXPECT_EQ(s.FontScaleV, 1000);
  EXPECT_EQ(s.FontScaleH, 1000);
  EXPECT_EQ(form.minimumSize(), QSize(640, 480));
  for (auto it = design.begin(); it != design.end(); ++it) {
    SCOPED_TRACE(
        (it.key()->metaObject()->className() + QStringLiteral(" ") + it.key()->objectName())
            .toStdString());
    EXPECT_EQ(it.key()->geometry(), it.value());
  }
  EXPECT_NEAR(pane.width(), form.Pages().PageControl->width(), 1);
  EXPECT_NEAR(pane.height(), form.Pages().PageControl->height(), 1);
  for (QLabel* panel : form.LinkControls().DisplayPanels())
    EXPECT_EQ(panel->font().pointSize(), 10);
  EXPECT_EQ(form.DialogFont().Size, 8);
  EXPECT_FALSE(form.DialogFont().Bold);

  // The close writes the font in use, its colour too; the window's texts take the colour, the
  // display panels keep their own.
  layout.ChooseFont = [&](const FontChoice&) -> std::optional<FontChoice> {
    QFont f(QStringLiteral("DejaVu Sans"), 12);
    f.setBold(true);
    f.setUnderline(true);
    return FontChoice{f, QColor(0x80, 0, 0)};
  };
  button->trigger();
  auto* price = form.Pages().PluPage->findChild<QLineEdit*>(QStringLiteral("UPMemo"));
  ASSERT_NE(price, nullptr);
  EXPECT_EQ(price->palette().color(QPalette::Text), QColor(0x80, 0, 0));
  EXPECT_EQ(form.Pages().PluPage->palette().color(QPalette::WindowText), QColor(0x80, 0, 0));
  EXPECT_NE(form.LinkControls().DisplayPanels()[1]->palette().color(QPalette::WindowText),
            QColor(0x80, 0, 0));
  dialogs.ExpectMessage("Вы хотите закончить работу?", kButtonYes);
  ASSERT_TRUE(form.close());
  EXPECT_TRUE(layout.Layout().Resizers().empty());
  QSettings ini(settingsPath_, QSettings::IniFormat);
  EXPECT_EQ(ini.value("Settings/Font/Name").toString(), QStringLiteral("DejaVu Sans"));
  EXPECT_EQ(ini.value("Settings/Font/Size").toString(), "12");
  EXPECT_EQ(ini.value("Settings/Font/Height").toString(), "-16");
  EXPECT_EQ(ini.value("Settings/Font/Style").toString(), "BU");
  EXPECT_EQ(ini.value("Settings/Font/Color").toString(), "128");  // 0x00BBGGRR
  EXPECT_EQ(ini.value("Settings/Form Width").toString(), QString::number(form.width()));

  // The next start shows the saved colour.
  TMainForm again;
  StartUp(again);
  EXPECT_EQ(again.Pages().PluPage->palette().color(QPalette::WindowText), QColor(0x80, 0, 0));
}

// Going back to the design font puts the window and every pane where they were, whatever
// fonts came between: the menu bar, which follows the font, must not leave its change behind.
TEST_F(FontLayoutWindowTest, TheDesignFontAgainRestoresTheWindowAndItsPanesExactly) {
  const std::vector<std::vector<int>> detours = {{12}, {12, 10}, {14}, {9, 20, 11}};
  for (const QSize start : {QSize(640, 480), QSize(800, 600)}) {
    for (const std::vector<int>& detour : detours) {
      SCOPED_TRACE(::testing::Message() << start.width() << " " << detour.size() << " " << detour[0]);
      WriteSettings(settingsPath_, 8, start.width(), start.height());
      TMainForm form;
      StartUp(form);
      ASSERT_EQ(form.size(), start);
      const auto panes = [&form] {
        return std::vector<QRect>{form.Pages().PageControl->geometry(),
                                  form.Tables().PLUSortGrid->geometry(),
                                  form.Tables().MsgSortGrid->geometry(),
                                  form.statusBar()->geometry()};
      };
      const std::vector<QRect> before = panes();
      const int rowHeight = form.Tables().PLUSortGrid->verticalHeader()->defaultSectionSize();
      const QFont design = form.font();
      for (int points : detour) form.FontLayoutControls().ApplyFont(QFont(design.family(), points));
      form.FontLayoutControls().ApplyFont(design);
      EXPECT_EQ(form.size(), start);
      EXPECT_EQ(form.minimumSize(), QSize(640, 480));
      EXPECT_EQ(panes(), before);
      EXPECT_EQ(form.Tables().PLUSortGrid->verticalHeader()->defaultSectionSize(), rowHeight);
    }
  }
}

// Once the rows need a vertical scroll bar, the columns fit beside it: no horizontal scroll bar,
// and the last column is whole. With one row again they fill the grid's width.
TEST_F(FontLayoutWindowTest, GridColumnsFitBesideTheVerticalScrollBar) {
  for (int points : {8, 14}) {
    SCOPED_TRACE(points);
    WriteSettings(settingsPath_, points, 640, 480);
    TMainForm form;
    StartUp(form);
    TSortGrid* plu = form.Tables().PLUSortGrid;
    std::vector<int> lastColumn;
    for (int rows : {40, 1}) {
      form.Tables().PluTable().ReplaceDataRows(std::vector<Cells>(rows, Cells(14)));
      QCoreApplication::processEvents();
      EXPECT_EQ(plu->verticalScrollBar()->isVisible(), rows > 1);
      EXPECT_FALSE(plu->horizontalScrollBar()->isVisible());
      int sum = 0;
      for (int c = 0; c < 14; ++c) sum += plu->columnWidth(c);
      EXPECT_EQ(sum, plu->viewport()->width());
      lastColumn.push_back(plu->columnWidth(13));
    }
    // "Вес" is not squeezed by the scroll bar: the columns share the narrower area by weight.
    EXPECT_GE(lastColumn[0], lastColumn[1] * 9 / 10);
  }
}

// The tab titles are whole and end before the first display panel, at the design font and at a
// larger one.
TEST_F(FontLayoutWindowTest, TabTitlesStayClearOfTheDisplayPanels) {
  for (int points : {8, 14}) {
    SCOPED_TRACE(points);
    WriteSettings(settingsPath_, points, 640, 480);
    TMainForm form;
    StartUp(form);
    QTabBar* tabs = form.Pages().PageControl->tabBar();
    const QLabel* firstPanel = form.LinkControls().DisplayPanels()[0];
    const QPoint lastTabEnd = tabs->mapTo(form.centralWidget(), tabs->tabRect(2).topRight());
    EXPECT_LT(lastTabEnd.x(), firstPanel->x());
    for (int i = 0; i < 3; ++i) {
      EXPECT_GE(tabs->tabRect(i).width(), tabs->fontMetrics().horizontalAdvance(tabs->tabText(i)));
    }
  }
}

TEST_F(FontLayoutWindowTest, TheLogoSelectorShowsItsLongestEntryAndItsRowKeepsItsRightEdge) {
  for (int points : {8, 14}) {
    SCOPED_TRACE(points);
    WriteSettings(settingsPath_, points, 640, 480);
    TMainForm form;
    StartUp(form);
    QComboBox* logo = form.Pages().LogoSelector;
    auto* code = form.Pages().PluPage->findChild<QLineEdit*>(QStringLiteral("SOMemo"));
    auto* message = form.Pages().PluPage->findChild<QLineEdit*>(QStringLiteral("MIMemo"));
    ASSERT_TRUE(code && message);
    EXPECT_GE(logo->width(), logo->sizeHint().width()) << "\"Логотип РосТест\" is cut";
    // Nothing that follows on the row sits under the widened selector, and the row still ends
    // where the field column above it ends
    for (QObject* child : form.Pages().PluPage->children()) {
      auto* w = qobject_cast<QWidget*>(child);
      if (!w || w == logo || !w->isVisible() || w->y() != logo->y()) continue;
      EXPECT_GE(w->x(), logo->geometry().right()) << w->objectName().toStdString();
    }
    // (Scaled bounds are rounded one by one: a pixel either way.)
    EXPECT_NEAR(code->geometry().right(), message->geometry().right(), 1);
  }
}

// Whether a field shows `text` whole: it scrolls the text, cutting off its start, once the text
// and the cursor after it are wider than the room within its inner margins (2 on either side).
bool ShowsWhole(const QLineEdit& field, const QString& text) {
  const QMargins margins = field.textMargins();
  return field.fontMetrics().horizontalAdvance(text) + 1 <=
         field.width() - margins.left() - margins.right() - 4;
}

std::string Name(const QWidget* w) {
  const auto* label = qobject_cast<const QLabel*>(w);
  return (label ? label->text() : w->objectName()).toStdString();
}

// Nothing on the "Товар" page or in the status bar is cut, at the design font and larger: every
// label, caption and title whole, each field's longest text whole, the controls of a row clear
// of one another, and status panel 0 with room for each activity word and the rest of the
// panels after it.
TEST_F(FontLayoutWindowTest, NoTextOfTheItemPageOrTheStatusBarIsClipped) {
  for (int points : {8, 10, 14}) {
    SCOPED_TRACE(points);
    WriteSettings(settingsPath_, points, 640, 480);
    TMainForm form;
    StartUp(form);
    PluRowEditor& e = form.Tables().PluEditor();
    const std::pair<QLineEdit*, const char*> longest[] = {
        {e.PNMemo, "4000"},     {e.ICMemo, "999999"},     {e.GCMemo, "99"},
        {e.UPMemo, "9999.99"},  {e.SLMemo, "31.12.2025"}, {e.TWMemo, "9.990"},
        {e.MIMemo, "1000"},     {e.SOMemo, "RU.AB12"}};
    for (const auto& [field, text] : longest) {
      EXPECT_TRUE(ShowsWhole(*field, QString::fromLatin1(text)))
          << field->objectName().toStdString() << " " << text << " in " << field->width();
    }
    for (QWidget* container : {form.Pages().PluPage, static_cast<QWidget*>(e.SalesBox)}) {
      std::vector<QWidget*> placed;
      for (QObject* child : container->children()) {
        auto* w = qobject_cast<QWidget*>(child);
        if (!w || !w->isVisible()) continue;
        placed.push_back(w);
        if (auto* label = qobject_cast<QLabel*>(w)) {
          EXPECT_GE(label->width(), label->sizeHint().width()) << Name(w);
        } else if (auto* button = qobject_cast<QPushButton*>(w)) {
          EXPECT_LE(button->fontMetrics().horizontalAdvance(button->text()) + 4, button->width())
              << Name(w);
        } else if (auto* box = qobject_cast<QGroupBox*>(w)) {
          EXPECT_LE(box->fontMetrics().horizontalAdvance(box->title()) + 16, box->width())
              << Name(w);
        }
      }
      // Controls that share a row keep at least 2 pixels apart (the logo selector and "Код С О").
      for (QWidget* a : placed) {
        for (QWidget* b : placed) {
          if (a == b || a->x() > b->x() || a->y() > b->geometry().bottom() ||
              b->y() > a->geometry().bottom()) {
            continue;
          }
          EXPECT_GE(b->x() - a->geometry().right(), 3) << Name(a) << " | " << Name(b);
        }
      }
    }

    QLabel* activity = form.StatusBarView().Panel(kPanelActivity);
    const int width = activity->width();
    for (const char* text : QtStatusView::kActivityTexts) {
      form.StatusBarView().SetStatusText(kPanelActivity, text);
      EXPECT_GE(activity->contentsRect().width(),
                activity->fontMetrics().horizontalAdvance(QString::fromLatin1(text)) + 2)
          << text;
    }
    EXPECT_EQ(activity->width(), width) << "fitted for every activity word from the start";
    QLabel* lastPanel = form.StatusBarView().Panel(kStatusPanelCount - 1);
    EXPECT_LE(lastPanel->geometry().right(), form.statusBar()->width()) << "the last panel is cut";
  }
}

TEST_F(FontLayoutWindowTest, OperatorResizingGivesTheGridsTheDifference) {
  TMainForm form;
  StartUp(form);
  TSortGrid* plu = form.Tables().PLUSortGrid;
  TSortGrid* msg = form.Tables().MsgSortGrid;
  const QRect pane = form.Pages().PageControl->geometry();
  const QRect pluBefore = plu->geometry();
  const QRect msgBefore = msg->geometry();

  form.resize(800, 600);
  EXPECT_EQ(plu->geometry(), pluBefore.adjusted(0, 0, 160, 120));
  EXPECT_EQ(msg->geometry(), msgBefore.adjusted(0, 0, 160, 0));
  EXPECT_EQ(form.Pages().PageControl->geometry(), pane);
  int sum = 0;
  for (int c = 0; c < 14; ++c) sum += plu->columnWidth(c);
  EXPECT_EQ(sum, plu->viewport()->width());

  // Never below the minimum.
  form.resize(300, 200);
  EXPECT_EQ(form.size(), QSize(640, 480));
  EXPECT_EQ(plu->geometry(), pluBefore);
  EXPECT_EQ(msg->geometry(), msgBefore);
}

TEST_F(FontLayoutWindowTest, SavedSizesOutOfBoundsGiveAWindowOnTheScreen) {
  const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
  {
    // Below the minimum: raised to it.
    WriteSettings(settingsPath_, 8, 300, 0);
    TMainForm form;
    StartUp(form);
    EXPECT_EQ(form.size(), QSize(640, 480));
  }
  {
    // Far beyond the screen, placed far off it: cut to the screen and moved onto it.
    WriteSettings(settingsPath_, 8, 100000, 100000, QStringLiteral("DejaVu Sans"), 100000, -5000);
    TMainForm form;
    StartUp(form);
    // Once shown, the frame is known and counted in.
    qmtest::PumpUntil([&] { return area.contains(form.frameGeometry()); }, 1000);
    EXPECT_LE(form.frameGeometry().width(), area.width());
    EXPECT_LE(form.frameGeometry().height(), area.height());
    EXPECT_GE(form.width(), 640);
    EXPECT_TRUE(area.contains(form.frameGeometry())) << form.frameGeometry().x();
    // The grids took the whole difference.
    EXPECT_EQ(form.Tables().PLUSortGrid->width(), form.width());
    EXPECT_EQ(form.Tables().PLUSortGrid->geometry().bottom() + 1, form.centralWidget()->height());
  }
}

TEST_F(FontLayoutWindowTest, DamagedSavedFontsFallBackToTheDesignFont) {
  const TFontValues designFont;
  for (int size : {500, -3, 2}) {
    SCOPED_TRACE(size);
    WriteSettings(settingsPath_, size, 640, 480);
    TMainForm form;
    const int designHeight = PixelHeight(form.font());
    StartUp(form);
    EXPECT_EQ(PixelHeight(form.font()), designHeight);
    EXPECT_EQ(form.DialogFont(), designFont);
    EXPECT_EQ(form.size(), QSize(640, 480));
    EXPECT_EQ(form.FontLayoutControls().Layout().State().FontScaleV, 1000);
  }
  {
    // Height and size 0 name no size: the saved face and style at the design size.
    WriteSettings(settingsPath_, 0, 640, 480);
    QSettings(settingsPath_, QSettings::IniFormat).setValue("Settings/Font/Height", "0");
    QSettings(settingsPath_, QSettings::IniFormat).setValue("Settings/Font/Style", "BU");
    TMainForm form;
    StartUp(form);
    EXPECT_EQ(form.DialogFont().Name, "DejaVu Sans");
    EXPECT_EQ(form.DialogFont().Size, designFont.Size);
    EXPECT_EQ(form.font().family(), QStringLiteral("DejaVu Sans"));
    EXPECT_TRUE(form.font().bold());
    EXPECT_TRUE(form.font().underline());
    EXPECT_EQ(form.font().pointSize(), designFont.Size);
  }
  {
    // A face that is not installed: the window system's substitute at the saved size.
    WriteSettings(settingsPath_, 8, 640, 480, QStringLiteral("Нет Такого Шрифта"));
    TMainForm form;
    StartUp(form);
    EXPECT_EQ(form.DialogFont().Size, 8);
    EXPECT_EQ(form.size(), QSize(640, 480));
    EXPECT_GT(PixelHeight(form.font()), 0);
  }
  {
    // A sane size whose window would not fit on the screen.
    WriteSettings(settingsPath_, 60, 640, 480);
    TMainForm form;
    StartUp(form);
    EXPECT_EQ(form.DialogFont(), designFont);
    EXPECT_EQ(form.size(), QSize(640, 480));
  }
}

}  // namespace
}  // namespace qm
