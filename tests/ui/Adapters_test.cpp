#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "UiTestHelpers.h"
#include "base/Cp1251.h"
#include "ui/window/QtDialogs.h"
#include "ui/window/QtFont.h"
#include "ui/window/QtSettingsStore.h"
#include "ui/window/QtText.h"

namespace qm {
namespace {

TEST(QtText, EveryWindows1251ByteSurvivesAWidgetRoundTrip) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  const QString text = ToQString(all);
  EXPECT_EQ(text.size(), 256);
  EXPECT_EQ(FromQString(text), all);
  EXPECT_EQ(ToQString(Win1251("Сообщение №1")), QStringLiteral("Сообщение №1"));
}

TEST(QtText, CharactersOutsideTheSetBecomeOneQuestionMarkEach) {
  EXPECT_EQ(FromQString(QStringLiteral("a\u4e2db")), "a?b");
  // A character outside the basic plane is two UTF-16 units but one character.
  EXPECT_EQ(FromQString(QString::fromUtf8("x\xF0\x9F\x98\x80y")), "x?y");
}

TEST(QtSettingsStore, WithoutTheFileNothingIsFoundAndNothingIsCreated) {
  const QString path = qmtest::FreshSettingsFile();
  {
    QtSettingsStore store;
    EXPECT_FALSE(store.KeyExists());
    EXPECT_FALSE(store.ReadText("Settings", "Scale Model").has_value());
    store.Flush();
  }
  EXPECT_FALSE(QFile::exists(path));
}

TEST(QtSettingsStore, TextsRoundTripUnderBothSections) {
  const QString path = qmtest::FreshSettingsFile();
  {
    QFile create(path);
    ASSERT_TRUE(create.open(QIODevice::WriteOnly));
  }
  {
    QtSettingsStore store;
    ASSERT_TRUE(store.KeyExists());
    EXPECT_FALSE(store.ReadText("Settings\\Font", "Name").has_value());
    store.WriteText("Settings\\Font", "Name", Win1251("Курьер, новый"));
    store.WriteText("Settings", "Name", "other");
    store.WriteText("Settings", "Form Heiht", "-5");
  }
  QtSettingsStore again;
  EXPECT_EQ(again.ReadText("Settings\\Font", "Name"), Win1251("Курьер, новый"));
  EXPECT_EQ(again.ReadText("Settings", "Name"), "other");
  EXPECT_EQ(again.ReadText("Settings", "Form Heiht"), "-5");
}

TEST(QtSettingsStore, AHandWrittenFileIsRead) {
  const QString path = qmtest::FreshSettingsFile();
  {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[Settings]\nScale Model=30\n\n[Settings\\Font]\nName=Arial,Bold\n");
  }
  QtSettingsStore store;
  EXPECT_EQ(store.ReadText("Settings", "Scale Model"), "30");
  EXPECT_EQ(store.ReadText("Settings\\Font", "Name"), "Arial,Bold");
}

TEST(QtFileFilters, BarSeparatedPairsBecomeQtFilters) {
  EXPECT_EQ(QtFileFilters(Win1251("Файлы CSV|*.csv|Все файлы|*.*")),
            QStringList({QStringLiteral("Файлы CSV (*.csv)"), QStringLiteral("Все файлы (*.*)")}));
  EXPECT_EQ(QtFileFilters("Data (*.plw;*.msw)|*.plw;*.msw"),
            QStringList({QStringLiteral("Data (*.plw *.msw)")}));
  EXPECT_EQ(QtFileFilters("Data|*.plw;*.msw|dangling"),
            QStringList({QStringLiteral("Data (*.plw *.msw)")}));
  // Words in brackets that are not the patterns stay words; the patterns follow them.
  EXPECT_EQ(QtFileFilters(Win1251("CSV файл (совместимый с Excel)|*.csv")),
            QStringList({QStringLiteral("CSV файл (совместимый с Excel) (*.csv)")}));
}

TEST(QtFileFilters, OnePlainPatternGivesTheSuffixForNamesTypedWithoutOne) {
  EXPECT_EQ(SingleFilterSuffix(QStringLiteral("PLW файл (совместимый с ZO32) (*.plw)")),
            QStringLiteral("plw"));
  EXPECT_EQ(SingleFilterSuffix(QStringLiteral("Файл данных (*.csv)")), QStringLiteral("csv"));
  EXPECT_TRUE(SingleFilterSuffix(QStringLiteral("Все файлы (*.*)")).isEmpty());
  EXPECT_TRUE(SingleFilterSuffix(QStringLiteral("Data (*.plw *.msw)")).isEmpty());
  EXPECT_TRUE(SingleFilterSuffix(QStringLiteral("Без шаблона")).isEmpty());
}

TEST(QtFont, SettingsFontValuesBecomeAQFontAndBack) {
  TFontValues v;
  v.Name = "Arial";
  v.Height = -20;
  v.Size = 12;
  v.Pitch = FontPitch::Fixed;
  v.Bold = v.StrikeOut = true;
  v.CharSet = 204;
  v.Color = 255;
  const QFont font = ToQFont(v);
  EXPECT_EQ(font.family(), QStringLiteral("Arial"));
  EXPECT_EQ(font.pointSize(), 12);  // the size decides over the height
  EXPECT_TRUE(font.bold());
  EXPECT_TRUE(font.strikeOut());
  EXPECT_FALSE(font.italic());
  EXPECT_TRUE(font.fixedPitch());

  TFontValues back;
  back.CharSet = 204;
  back.Color = 255;
  TakeQFont(font, back, 96.0);
  EXPECT_EQ(back.Height, -16);
  v.Height = -16;
  EXPECT_EQ(back, v);
}

// Answers the next modal message box from inside its own event loop.
void AnswerNextBox(std::function<void(QMessageBox&)> answer) {
  QTimer::singleShot(0, [answer] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    answer(*box);
  });
}

TEST(QtDialogs, MessageBoxesCarryCaptionIconAndButtonsAndAnswerWithThePressedOne) {
  QtDialogs dialogs(nullptr);
  MessageBoxRequest request;
  request.text = Win1251("Вы хотите закончить работу?");
  request.caption = Win1251("Подтвердите");
  request.icon = DialogIcon::Question;
  request.buttons = kButtonYes | kButtonNo;
  request.defaultButton = kButtonNo;

  AnswerNextBox([](QMessageBox& box) {
    EXPECT_EQ(box.windowTitle(), QStringLiteral("Подтвердите"));
    EXPECT_EQ(box.text(), QStringLiteral("Вы хотите закончить работу?"));
    EXPECT_EQ(box.icon(), QMessageBox::Question);
    EXPECT_EQ(box.standardButtons(), QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(box.defaultButton(), box.button(QMessageBox::No));
    box.button(QMessageBox::Yes)->click();
  });
  EXPECT_EQ(dialogs.ShowMessage(request), kButtonYes);

  // Escape counts as No on a Yes/No box and as Cancel where Cancel is offered.
  AnswerNextBox([](QMessageBox& box) { box.reject(); });
  EXPECT_EQ(dialogs.ShowMessage(request), kButtonNo);
  request.buttons = kButtonOk | kButtonCancel;
  request.defaultButton = kButtonNone;
  request.icon = DialogIcon::Error;
  AnswerNextBox([](QMessageBox& box) {
    EXPECT_EQ(box.icon(), QMessageBox::Critical);
    EXPECT_EQ(box.defaultButton(), box.button(QMessageBox::Ok));
    box.reject();
  });
  EXPECT_EQ(dialogs.ShowMessage(request), kButtonCancel);
}

}  // namespace
}  // namespace qm
