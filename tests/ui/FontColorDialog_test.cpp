// The font button's dialog: the font part and the colour choice beside it.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QFontDialog>
#include <QLineEdit>

#include "ui/window/FontColorDialog.h"
#include "ui/window/QtFont.h"

namespace qm {
namespace {

TEST(FontColorDialogTest, OffersTheStandardColoursAndStartsAtTheCurrentOne) {
  struct Case {
    QColor current;
    int index;  // where the choice starts
    int count;  // entries offered
  };
  // The desktop's colour ("Авто"), a standard colour, and one from the settings outside them.
  for (const Case& c : {Case{QColor(), 0, 17}, Case{QColor(0xFF, 0, 0), 10, 17},
                        Case{QColor(1, 2, 3), 17, 18}}) {
    SCOPED_TRACE(c.current.name().toStdString());
    FontColorDialog dialog({QFont(QStringLiteral("DejaVu Sans"), 11), c.current}, nullptr);
    EXPECT_EQ(dialog.ColorBox()->count(), c.count);
    EXPECT_EQ(dialog.ColorBox()->currentIndex(), c.index);
    EXPECT_EQ(dialog.ColorBox()->itemText(0), QStringLiteral("Авто"));
    EXPECT_EQ(dialog.Choice().color, c.current);
    EXPECT_EQ(dialog.Choice().font.pointSize(), 11);
  }
  FontColorDialog dialog({QFont(), QColor()}, nullptr);
  dialog.ColorBox()->setCurrentIndex(dialog.ColorBox()->findText(QStringLiteral("Синий")));
  EXPECT_EQ(dialog.Choice().color, QColor(0, 0, 0xFF));
  EXPECT_EQ(FromQColor(dialog.Choice().color), 0xFF0000);  // 0x00BBGGRR
  EXPECT_EQ(FromQColor(QColor()), -16777208);              // the system's window text
  EXPECT_EQ(ToQColor(0x0000FF), QColor(0xFF, 0, 0));
  EXPECT_FALSE(ToQColor(-16777208).isValid());
}

// The sample line ("AaBbYyZz") shows the colour chosen, from the start and after each change;
// "Авто" is the desktop's text colour.
TEST(FontColorDialogTest, TheSampleShowsTheChosenColour) {
  const QColor desktop = QLineEdit().palette().color(QPalette::Text);
  const QColor navy(0, 0, 0x80);
  struct Case {
    QColor current;
    const char* chosen;  // nullptr: the dialog as it opens
    QColor shown;
  };
  for (const Case& c : {Case{navy, nullptr, navy}, Case{QColor(), "Темно-синий", navy},
                        Case{navy, "Авто", desktop}, Case{QColor(1, 2, 3), nullptr, QColor(1, 2, 3)}}) {
    SCOPED_TRACE(c.shown.name().toStdString());
    FontColorDialog dialog({QFont(), c.current}, nullptr);
    auto* sample = dialog.FontPart()->findChild<QLineEdit*>(QStringLiteral("qt_fontDialog_sampleEdit"));
    ASSERT_NE(sample, nullptr);
    ASSERT_EQ(sample->text(), QStringLiteral("AaBbYyZz"));
    if (c.chosen) {
      dialog.ColorBox()->setCurrentIndex(dialog.ColorBox()->findText(QString::fromUtf8(c.chosen)));
    }
    EXPECT_EQ(sample->palette().color(QPalette::Text), c.shown);
    EXPECT_EQ(sample->palette().color(QPalette::Inactive, QPalette::Text), c.shown);
  }
}

}  // namespace
}  // namespace qm
