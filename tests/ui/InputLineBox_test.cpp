#include "ui/window/InputLineBox.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <functional>

namespace qm {
namespace {

std::optional<QString> RunWith(std::function<void(QDialog&)> operate) {
  QTimer::singleShot(0, [operate] {
    auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    operate(*box);
  });
  return ShowInputLineBox(nullptr, QStringLiteral("Ввод данных"),
                          QStringLiteral("Введите адрес весов:"), QStringLiteral("01"));
}

TEST(InputLineBox, OffersCaptionPromptAndDefaultText) {
  const auto text = RunWith([](QDialog& box) {
    EXPECT_EQ(box.windowTitle(), QStringLiteral("Ввод данных"));
    EXPECT_EQ(box.findChild<QLabel*>("Prompt")->text(), QStringLiteral("Введите адрес весов:"));
    EXPECT_EQ(box.findChild<QLineEdit*>("Field")->text(), QStringLiteral("01"));
    box.findChild<QPushButton*>("OKButton")->click();
  });
  EXPECT_EQ(text, QStringLiteral("01"));
}

TEST(InputLineBox, OkReturnsTheEnteredTextAsTypedAndCancelNothing) {
  const auto typed = RunWith([](QDialog& box) {
    box.findChild<QLineEdit*>("Field")->setText(QStringLiteral(" 12 "));
    box.findChild<QPushButton*>("OKButton")->click();
  });
  EXPECT_EQ(typed, QStringLiteral(" 12 "));

  const auto cancelled = RunWith([](QDialog& box) {
    box.findChild<QLineEdit*>("Field")->setText(QStringLiteral("5"));
    box.findChild<QPushButton*>("CancelButton")->click();
  });
  EXPECT_FALSE(cancelled.has_value());
}

}  // namespace
}  // namespace qm
