#include "app/UnprintableCheck.h"

#include <gtest/gtest.h>

#include "base/Cp1251.h"
#include "base/RunState.h"
#include "support/ScriptedDialogs.h"
#include "tables/CommaText.h"
#include "tables/LoggingStatus.h"
#include "tables/MessageTable.h"
#include "tables/PluColumns.h"
#include "tables/PluTable.h"

namespace qm {
namespace {

class NoView : public ValidationView {
 public:
  void ShowPluPage() override { ADD_FAILURE(); }
  void SelectPluCell(int, int) override { ADD_FAILURE(); }
  void FocusPluField(int) override { ADD_FAILURE(); }
  void ShowMessagePage() override { ADD_FAILURE(); }
  bool SelectMessage(int) override { return false; }
  void FocusMessageText() override { ADD_FAILURE(); }
};

struct UnprintableCheckTest : ::testing::Test {
  UnprintableCheckTest() { ResetPluTable(plu); }
  void Run() {
    CheckCommandContext context{state, status, dialogs, view, plu, msgs};
    UnprintableCheckClick(context);
  }

  RunState state;
  qmtest::LoggingStatus status;
  qmtest::ScriptedDialogs dialogs;
  NoView view;
  TextGrid plu{kPluColumnCount};
  MessageTable msgs;
};

TEST_F(UnprintableCheckTest, OneBoxListsEveryPlaceOrSaysAllIsPrinted) {
  dialogs.ExpectMessage("Все символы наименований, логотипов и сообщений весы напечатают.",
                        kButtonOk, "Непечатаемые символы");
  Run();
  EXPECT_EQ(dialogs.Shown().at(0).icon, DialogIcon::Information);
  EXPECT_EQ((std::vector<std::string>{"0 Testing... !", "0 Done."}), status.log);
  EXPECT_FALSE(state.LinkBusy);

  plu.SetCell(kName2, 1, Win1251("Сыр «Ёлка» №1"));
  msgs.SetTextOf(1, ToCommaText({"ok", Win1251("t° 5")}));
  dialogs.ExpectMessage(
      "Весы напечатают \"*\" вместо этих символов:\r\n"
      "Товар, строка 1, Наименование 2: «»№\r\n"
      "Сообщение 1, строка 2: °",
      kButtonOk, "Непечатаемые символы");
  Run();
  EXPECT_EQ(dialogs.Shown().at(1).icon, DialogIcon::Warning);
  EXPECT_EQ(dialogs.Shown().at(1).buttons, kButtonOk);
  dialogs.VerifyDone();

  // While a transfer holds the link nothing is shown.
  state.LinkBusy = true;
  Run();
  EXPECT_EQ(dialogs.Shown().size(), 2u);
}

TEST_F(UnprintableCheckTest, ALongListIsCutWithTheRestCounted) {
  std::vector<UnprintableCell> cells(5, UnprintableCell{true, 1, 1, Win1251("€")});
  const std::string text = Utf8(UnprintableReportText(cells, 3));
  EXPECT_EQ(text.substr(text.rfind('\n') + 1), "... и ещё 2.");
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 4);
}

}  // namespace
}  // namespace qm
