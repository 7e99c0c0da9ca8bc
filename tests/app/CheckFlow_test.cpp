#include "app/CheckFlow.h"

#include <gtest/gtest.h>

#include "base/Cp1251.h"
#include "base/RunState.h"
#include "support/ScriptedDialogs.h"
#include "tables/CommaText.h"
#include "tables/LoggingStatus.h"
#include "tables/MessageTable.h"
#include "tables/PluColumns.h"
#include "tables/PluTable.h"
#include "tables/Validation.h"

namespace qm {
namespace {

using V = std::vector<std::string>;

using qmtest::LoggingStatus;

// Records what the window is asked while the command runs, and the state it runs in.
class StateView : public ValidationView {
 public:
  explicit StateView(const RunState& state, const LoggingStatus& status)
      : state_(state), status_(status) {}
  void ShowPluPage() override { Seen("plu"); }
  void SelectPluCell(int, int) override {}
  void FocusPluField(int) override {}
  void ShowMessagePage() override { Seen("msg"); }
  bool SelectMessage(int) override { return true; }
  void FocusMessageText() override {}
  V pages;
  bool busyEachTime = true;
  V statusAtFinding;

 private:
  void Seen(const char* page) {
    pages.push_back(page);
    busyEachTime = busyEachTime && state_.LinkBusy;
    statusAtFinding = status_.log;
  }
  const RunState& state_;
  const LoggingStatus& status_;
};

struct CheckCommandTest : ::testing::Test {
  CheckCommandTest() {
    state.CurrentScale = BuildScaleParams(6, 200);
    ResetPluTable(plu);
    for (int column : {kPrice, kShelfLife, kTare, kItemCode, kGroupCode})
      plu.SetCell(column, 1, "0");
  }
  void Run(int tag) {
    CheckCommandContext context{state, status, dialogs, view, plu, msgs};
    TestDataClick(tag, context);
  }
  // A PLU table and a message table with one error each.
  void MakeOneErrorEach() {
    plu.SetCell(kPrice, 1, "x");
    msgs.SetTextOf(1, ToCommaText(V(9, "a")));
  }
  void Summary(const char* text) { dialogs.ExpectMessage(text, kButtonOk, "Результат проверки"); }

  RunState state;
  LoggingStatus status;
  qmtest::ScriptedDialogs dialogs;
  StateView view{state, status};
  TextGrid plu{kPluColumnCount};
  MessageTable msgs;
};

TEST_F(CheckCommandTest, CleanTablesGiveTheZeroSummary) {
  Summary("Ошибок: 0,   Предупреждений: 0.");
  Run(kCheckAll);
  EXPECT_EQ(DialogIcon::Information, dialogs.Shown().at(0).icon);
  EXPECT_EQ((V{"0 Testing... !", "0 Done."}), status.log);
  EXPECT_FALSE(state.LinkBusy);
}

TEST_F(CheckCommandTest, TagSelectsTheTablesAndTheSummaryCountsWhatWasFound) {
  MakeOneErrorEach();
  plu.SetCell(kMessageNo, 1, "2");
  dialogs.ExpectMessage("Неправильная цена товара.", kButtonOk);
  dialogs.ExpectMessage("Номер сообщения больше количества сообщений (1).", kButtonOk);
  dialogs.ExpectMessage("Число строк в сообщении больше максимально допустимого (8).", kButtonOk);
  Summary("Ошибок: 2,   Предупреждений: 1.");
  Run(kCheckAll);
  EXPECT_EQ((V{"plu", "plu", "msg"}), view.pages);
  EXPECT_TRUE(view.busyEachTime);
  EXPECT_EQ((V{"0 Testing... !"}), view.statusAtFinding);

  view.pages.clear();
  dialogs.ExpectMessage("Неправильная цена товара.", kButtonOk);
  dialogs.ExpectMessage("Номер сообщения больше количества сообщений (1).", kButtonOk);
  Summary("Ошибок: 1,   Предупреждений: 1.");
  Run(kCheckPluOnly);
  EXPECT_EQ((V{"plu", "plu"}), view.pages);

  view.pages.clear();
  dialogs.ExpectMessage("Число строк в сообщении больше максимально допустимого (8).", kButtonOk);
  Summary("Ошибок: 1,   Предупреждений: 0.");
  Run(kCheckMessagesOnly);
  EXPECT_EQ((V{"msg"}), view.pages);
  EXPECT_FALSE(state.LinkBusy);
}

TEST_F(CheckCommandTest, CancelShowsNoSummaryButStillEndsTheCommand) {
  MakeOneErrorEach();
  dialogs.ExpectMessage("Неправильная цена товара.", kButtonCancel);
  Run(kCheckAll);
  EXPECT_EQ(1u, dialogs.Shown().size());
  EXPECT_EQ("0 Done.", status.log.back());
  EXPECT_FALSE(state.LinkBusy);
}

TEST_F(CheckCommandTest, UsesTheCurrentModelsLimits) {
  plu.SetCell(kTare, 1, "0.005");  // a multiple of 0.005 (15 kg) but not of 0.002 (6 kg)
  dialogs.ExpectMessage("Вес тары не кратен дискретности весов (0.002).", kButtonOk);
  Summary("Ошибок: 1,   Предупреждений: 0.");
  Run(kCheckPluOnly);
  state.CurrentScale = BuildScaleParams(15, 200);
  Summary("Ошибок: 0,   Предупреждений: 0.");
  Run(kCheckPluOnly);
}

TEST_F(CheckCommandTest, DoesNothingWhileAnotherOperationHoldsTheLink) {
  MakeOneErrorEach();
  state.LinkBusy = true;
  Run(kCheckAll);
  EXPECT_TRUE(state.LinkBusy);
  EXPECT_TRUE(status.log.empty());
  EXPECT_TRUE(dialogs.Shown().empty());
}

}  // namespace
}  // namespace qm
