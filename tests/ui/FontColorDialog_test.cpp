// The font button's dialog: the font part and the colour choice beside it.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QFontDialog>

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

}  // namespace
}  // namespace qm
