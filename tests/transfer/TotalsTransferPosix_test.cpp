// Reading and erasing the sales totals on the virtual scale, with the offer to save the totals
// shown before new ones replace them.
#include <filesystem>
#include <fstream>
#include <sstream>

#include "TransferFixture.h"
#include "app/FileFlows.h"
#include "session/SessionTables.h"
#include "tables/MessageCommands.h"
#include "tables/PluCommands.h"

namespace qmtest {
namespace {

// 40 bytes written out by hand.
const Bytes kTotals = Cat({HexBytes("D2 04 00 00"),  // run 1234 mm
                           HexBytes("38 00 00 00"),  // 56 labels
                           HexBytes("39 30 00 00"),  // 12345 kopecks
                           HexBytes("07 00 00"),     // 7 sales
                           HexBytes("E8 03 00 00"),  // 1000 g
                           HexBytes("00 00 00 00"),  // 0 kopecks over all PLUs
                           HexBytes("02 00 00"),     // 2 sales over all PLUs
                           HexBytes("C4 09 00 00"),  // 2500 g over all PLUs
                           HexBytes("00 30 08"),     // since 08:30:00
                           HexBytes("01 12 26"),     //   on 01.12.26
                           HexBytes("B8 0B"),        // 3000 free PLU places
                           HexBytes("64 00")});      // 100 free message places

class TotalsTransferTest : public TransferFixture {
 protected:
  TotalsTransferTest() { scale.SetTotals(kTotals); }
};

TEST_F(TotalsTransferTest, ReadFillsTheTenFieldsAndTheTitle) {
  Connect();

  transfers.ReadGTDClick();

  EXPECT_EQ(qm::Utf8(totals.title), "Общий итог продаж с 01.12.26, 08:30:00");
  EXPECT_EQ(totals.run, "1234");
  EXPECT_EQ(totals.labels, "56");
  EXPECT_EQ(totals.sum, "123.45");
  EXPECT_EQ(totals.sells, "7");
  EXPECT_EQ(totals.weight, "1.000");
  EXPECT_EQ(totals.sumPlu, "0");
  EXPECT_EQ(totals.sellsPlu, "2");
  EXPECT_EQ(totals.weightPlu, "2.500");
  EXPECT_EQ(totals.freePlu, "3000");
  EXPECT_EQ(totals.freeMsg, "100");
  ASSERT_EQ(view.totalsShown.size(), 1u);
  EXPECT_EQ(view.totalsShown[0].sum, "123.45");
  EXPECT_TRUE(flags.TotalsModified());
  EXPECT_TRUE(status.saveEnabled);
  EXPECT_EQ(view.pages, std::vector<int>{qm::kTotalsPage});
  EXPECT_EQ(Panel(qm::kPanelActivity), "Done.");
  EXPECT_EQ(Received(qmsim::kCmdReadTotals), std::vector<Bytes>{Bytes{}});
  ExpectSettled(true);
}

TEST_F(TotalsTransferTest, RefusedReadKeepsWhatWasShownAndStillShowsThePage) {
  totals.sum = "9.99";
  qmsim::Faults faults;
  faults.refusedCommands = {qmsim::kCmdReadTotals};
  scale.SetFaults(faults);
  dialogs.ExpectMessage("Ошибка чтения общего итога продаж.", qm::kButtonOk, "Ошибка");

  transfers.ReadGTDClick();

  EXPECT_EQ(totals.sum, "9.99");
  EXPECT_FALSE(flags.TotalsModified());
  EXPECT_EQ(view.pages, std::vector<int>{qm::kTotalsPage});
  ExpectSettled(false);
}

TEST_F(TotalsTransferTest, ClearEmptiesThePageUnlessRefused) {
  transfers.ReadGTDClick();
  ASSERT_TRUE(flags.TotalsModified());

  qmsim::Faults faults;
  faults.refusedCommands = {qmsim::kCmdClearTotals};
  scale.SetFaults(faults);
  dialogs.ExpectMessage("Стереть общий итог продаж?", qm::kButtonYes, "Подтвердите")
      .ExpectMessage("Ошибка стирания общего итога продаж.", qm::kButtonOk, "Ошибка");
  transfers.ClearGTDClick();
  EXPECT_EQ(dialogs.Shown()[0].defaultButton, qm::kButtonNo);
  EXPECT_EQ(totals.sum, "123.45");
  EXPECT_TRUE(flags.TotalsModified());
  EXPECT_EQ(scale.Totals(), kTotals);
  ExpectSettled(false);

  dialogs.ExpectMessage("Стереть общий итог продаж?", qm::kButtonNo);
  transfers.ClearGTDClick();
  EXPECT_EQ(totals.sum, "123.45");

  scale.ClearFaults();
  dialogs.ExpectMessage("Стереть общий итог продаж?", qm::kButtonYes);
  transfers.ClearGTDClick();
  EXPECT_EQ(qm::Utf8(totals.title), "Общий итог продаж");
  for (const std::string* field :
       {&totals.sum, &totals.weight, &totals.sells, &totals.sumPlu, &totals.weightPlu,
        &totals.sellsPlu, &totals.freePlu, &totals.freeMsg, &totals.labels, &totals.run}) {
    EXPECT_EQ(*field, "");
  }
  EXPECT_FALSE(flags.TotalsModified());
  // The refused clear and this one; neither carried data.
  EXPECT_EQ(Received(qmsim::kCmdClearTotals), (std::vector<Bytes>{Bytes{}, Bytes{}}));
  EXPECT_EQ(view.pages, std::vector<int>{qm::kTotalsPage});  // the clear switches no page
  ExpectSettled(false);
}

// The totals read offers to save the totals shown through the data files' own SaveData.
class TotalsSaveTest : public TotalsTransferTest {
 protected:
  class NoPluEditor : public qm::PluEditorHooks {
    void Commit() override {}
    void Refresh() override {}
    bool SuppressRowLoad() const override { return false; }
    void SetSuppressRowLoad(bool) override {}
    void ClearPluDirty() override {}
  };
  class NoMessageEditor : public qm::MessageEditorHooks {
    std::vector<std::string> EditorLines() const override { return {}; }
    std::string EditorName() const override { return {}; }
    void ShowInEditor(const std::vector<std::string>&, const std::string&) override {}
    void ShowInPreview(const std::vector<std::string>&, const std::string&) override {}
    bool PluTabShown() const override { return false; }
    void ClearMessageDirty() override {}
    void RefreshPluRow() override {}
  };
  class Window : public qm::FileFlowHooks {
   public:
    explicit Window(const qm::TotalsPage& shown) : shown_(shown) {}
    void ShowPluPage() override {}
    void ShowMessagePage() override {}
    void ShowCurrentPluRow() override {}
    qm::TotalsPage TotalsShown() const override { return shown_; }

   private:
    const qm::TotalsPage& shown_;
  };

  TotalsSaveTest() {
    saveTotals = [this] {
      // Saving runs inside the read, which holds LinkBusy; the save must not end that hold.
      EXPECT_TRUE(state.LinkBusy);
      return files.SaveBeforeTotalsRead();
    };
    files.SetClockForTesting([] { return qm::ReportMoment{{2026, 12, 7}, 9, 0, 0}; });
  }
  ~TotalsSaveTest() override { std::filesystem::remove(reportPath); }

  NoPluEditor pluEditor;
  NoMessageEditor messageEditor;
  Window window{totals};
  qm::PluCommands pluCommands{plu, flags, &status, pluEditor};
  qm::MessageCommands messageCommands{messages, plu, flags, &status, messageEditor};
  qm::FileState fileState;
  qm::FileFlows files{{plu, messages, flags, fileState, pluCommands, messageCommands, state, status,
                       dialogs, nullptr, window}};
  std::string reportPath = (std::filesystem::temp_directory_path() /
                            ("qm-totals-" + std::to_string(::getpid()) + ".txt"))
                               .string();
};

TEST_F(TotalsSaveTest, ReadingTwiceOffersToSaveTheFirstTotals) {
  transfers.ReadGTDClick();  // nothing unsaved yet: no question
  ASSERT_TRUE(flags.TotalsModified());
  ExpectSettled(false);

  dialogs.ExpectMessage("Сохранить введенные данные?", qm::kButtonYes)
      .ExpectFile(qm::FileDialogKind::Save, qm::FileDialogAnswer{reportPath, 1});
  transfers.ReadGTDClick();

  std::ifstream in(reportPath, std::ios::binary);
  ASSERT_TRUE(in.good());
  std::stringstream report;
  report << in.rdbuf();
  EXPECT_NE(report.str().find("123.45"), std::string::npos);
  EXPECT_TRUE(flags.TotalsModified());  // the second read set it again
  EXPECT_EQ(Received(qmsim::kCmdReadTotals).size(), 2u);
  ExpectSettled(false);

  // Declining the question still reads.
  dialogs.ExpectMessage("Сохранить введенные данные?", qm::kButtonNo);
  transfers.ReadGTDClick();
  EXPECT_EQ(Received(qmsim::kCmdReadTotals).size(), 3u);
  ExpectSettled(false);
}

}  // namespace
}  // namespace qmtest
