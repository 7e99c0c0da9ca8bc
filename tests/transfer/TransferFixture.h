// The transfers as the main window runs them, without a window: the session rig on the virtual
// scale's pseudo-terminal, with the window's transfer flows over it and a recording transfer
// view, and records written out by hand.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/TransferFlows.h"
#include "base/Cp1251.h"
#include "files/FileLayouts.h"
#include "support/ScaleBytes.h"
#include "support/ScaleRig.h"
#include "tables/MessageTable.h"
#include "tables/ModifiedFlags.h"
#include "tables/PluColumns.h"
#include "tables/PluTable.h"
#include "tables/TextGrid.h"

namespace qmtest {

// A 100-byte PLU reply laid out by hand: number, an item code of one digit, an ASCII name,
// a price in kopecks, shelf life 5 days, tare in grams, no group, no message, no sales.
inline Bytes PluReply(std::uint32_t number, std::string_view name, std::uint32_t kopecks,
                      std::uint32_t grams = 0) {
  return Cat({Le(number, 4), HexBytes("07 00 00 00 00 00"), Ascii(name, 28), Zeros(28),
              Le(kopecks, 4), HexBytes("00 00 05"), Le(grams, 2), Zeros(6), Zeros(2), Zeros(17)});
}

// What the window does for the transfers, recorded.
class RecordingTransferView : public qm::TransferView {
 public:
  void ShowPage(int page) override { pages.push_back(page); }
  void SettlePluEditor() override { ++pluSettled; }
  void SettleMessageEditor() override { ++messageSettled; }
  void ClearMessageDirty() override { ++messageDirtyCleared; }
  void ResetPluSortDirections() override { ++pluSortResets; }
  void ResetMessageSortDirections() override { ++messageSortResets; }
  void ShowTotals(const qm::TotalsPage& page) override { totalsShown.push_back(page); }

  std::vector<int> pages;
  int pluSettled = 0;
  int messageSettled = 0;
  int messageDirtyCleared = 0;
  int pluSortResets = 0;
  int messageSortResets = 0;
  std::vector<qm::TotalsPage> totalsShown;
};

class TransferFixture : public ::testing::Test, public ScaleRig {
 protected:
  TransferFixture() {
    transfers.SetSaveTotalsBeforeRead([this] { return saveTotals ? saveTotals() : true; });
    qm::ResetPluTable(plu);
  }

  // The operator pressed Connect: the link is open and polling before the transfer.
  void Connect() {
    link.ConnectClick();
    ASSERT_TRUE(port.Connected());
    ASSERT_TRUE(state.PollEnabled);
  }

  // After every transfer: LinkBusy clear, the progress window hidden, every box expected was
  // shown, and the link as the transfer found it (open with the poll resumed, or closed), or
  // closed after a link failure.
  void ExpectSettled(bool linkOpen) {
    EXPECT_FALSE(state.LinkBusy);
    EXPECT_FALSE(dialogs.ProgressVisible());
    EXPECT_EQ(port.Connected(), linkOpen);
    EXPECT_EQ(state.PollEnabled, linkOpen);
    dialogs.VerifyDone();
  }

  // A table of `rows` data rows whose PLU numbers are 1..rows and names "Row n".
  void FillPluTable(int rows) {
    std::vector<qm::Cells> data;
    for (int i = 1; i <= rows; ++i) {
      qm::Cells row(qm::kPluColumnCount);
      row[qm::kPluNo] = std::to_string(i);
      row[qm::kName1] = "Row " + std::to_string(i);
      data.push_back(row);
    }
    plu.ReplaceDataRows(std::move(data));
  }

  // A row that passes the check of a 15 kg / 4000 PLU scale.
  static qm::Cells GoodRow(int pluNo) {
    qm::Cells row(qm::kPluColumnCount);
    row[qm::kPluNo] = std::to_string(pluNo);
    row[qm::kName1] = "Item " + std::to_string(pluNo);
    row[qm::kPrice] = "1.00";
    row[qm::kShelfLife] = "5";
    row[qm::kTare] = "0";
    row[qm::kItemCode] = std::to_string(pluNo);
    row[qm::kGroupCode] = "1";
    row[qm::kMessageNo] = "0";
    row[qm::kLogo] = "0";
    return row;
  }
  // A table of such rows, PLU numbers 1..count.
  void SetGoodRows(int count) {
    std::vector<qm::Cells> rows;
    for (int i = 1; i <= count; ++i) rows.push_back(GoodRow(i));
    plu.ReplaceDataRows(std::move(rows));
  }

  // The data bytes of the commands `command` the scale received, in order.
  std::vector<Bytes> Received(std::uint8_t command) {
    Quiesce();
    std::vector<Bytes> out;
    for (const qmsim::ExchangeRecord& r : scale.Log()) {
      if (r.command && *r.command == command && r.complete) out.push_back(r.data);
    }
    return out;
  }

  std::string Panel(int panel) const { return status.panels[panel]; }
  std::string CellUtf8(int column, int row) const { return qm::Utf8(plu.Cell(column, row)); }

  qm::TextGrid& plu = session.Plu();
  qm::MessageTable& messages = session.Messages();
  qm::ModifiedFlags& flags = session.Flags();
  qm::TotalsPage& totals = session.Totals();
  RecordingTransferView view;
  std::function<bool()> saveTotals;
  qm::TransferFlows transfers{session, dialogs, view};
};

}  // namespace qmtest
