#include "base/AskNumber.h"

#include <gtest/gtest.h>

#include <optional>

#include "support/ScriptedDialogs.h"

namespace qm {
namespace {

using qmtest::ScriptedDialogs;

std::optional<std::int32_t> Ask(ScriptedDialogs& dialogs, std::int32_t min, std::int32_t max) {
  return AskNumber(dialogs, kAskPluNoPrompt, kBadPluNoError, min, max, "7");
}

TEST(AskNumber, OffersCaptionPromptAndDefaultAndTrimsTheEntry) {
  ScriptedDialogs dialogs;
  dialogs.ExpectInput("Введите номер PLU:", " 12 ");
  EXPECT_EQ(AskNumber(dialogs, kAskPluNoPrompt, kBadPluNoError, 0, 4000, "7"), 12);
  EXPECT_EQ(dialogs.lastInputCaption, "Ввод данных");
  EXPECT_EQ(dialogs.lastInputDefault, "7");
  EXPECT_TRUE(dialogs.Shown().empty());
}

TEST(AskNumber, NonIntegerEntriesShowTheErrorOnceAndGiveNoAnswer) {
  for (const char* entry : {"12a", "", "   ", "1e3", "-0x1", "1.0", "12 3", "99999999999"}) {
    SCOPED_TRACE(entry);
    ScriptedDialogs dialogs;
    dialogs.ExpectInput("Введите номер PLU:", entry)
        .ExpectMessage("Неправильный номер PLU.", kButtonOk, "Ошибка");
    EXPECT_EQ(Ask(dialogs, 0, 4000), std::nullopt);
    ASSERT_EQ(dialogs.Shown().size(), 1u);
    EXPECT_EQ(dialogs.Shown()[0].icon, DialogIcon::Error);
    EXPECT_EQ(dialogs.Shown()[0].buttons, kButtonOk);
  }
}

TEST(AskNumber, BoundsAreInclusiveAndCheckedOnBothSides) {
  struct Case {
    const char* entry;
    std::optional<std::int32_t> expected;
  };
  for (const Case c : {Case{"1", 1}, Case{"99", 99}, Case{"+5", 5}, Case{"0", std::nullopt},
                       Case{"100", std::nullopt}, Case{"-1", std::nullopt}}) {
    SCOPED_TRACE(c.entry);
    ScriptedDialogs dialogs;
    dialogs.ExpectInput("Введите номер PLU:", c.entry);
    if (!c.expected) dialogs.ExpectMessage("Неправильный номер PLU.", kButtonOk);
    EXPECT_EQ(Ask(dialogs, 1, 99), c.expected);
  }
}

TEST(AskNumber, NegativeLowerBoundAcceptsNegativeNumbers) {
  ScriptedDialogs dialogs;
  dialogs.ExpectInput("Введите номер PLU:", "-3");
  EXPECT_EQ(Ask(dialogs, -5, 5), -3);
}

TEST(AskNumber, CancelGivesNoAnswerWithoutAnyBox) {
  ScriptedDialogs dialogs;
  dialogs.ExpectInput("Введите номер PLU:", std::nullopt);
  EXPECT_EQ(Ask(dialogs, 0, 4000), std::nullopt);
  EXPECT_TRUE(dialogs.Shown().empty());
}

}  // namespace
}  // namespace qm
