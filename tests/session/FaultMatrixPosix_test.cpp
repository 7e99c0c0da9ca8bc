// Every transfer of the session against every fault the virtual scale can play. Each cell of the
// matrix asserts the outcome (status and records stored), that LinkBusy is clear and the port
// given back, and that the tables hold exactly what the scale sent: every row a read stored is
// a record the scale holds, every record a write counted is in the scale as the row says.
#include <set>

#include "support/ScaleFaults.h"
#include "tables/CommaText.h"
#include "transfer/GrandTotals.h"
#include "transfer/MessageBlock.h"
#include "transfer/PluRecord.h"
#include "transfer/TransferFixture.h"

namespace qmtest {
namespace {

using qm::TransferReport;
using qm::TransferStatus;

enum Transfer { kReadPlus, kReadPlu, kWritePlus, kReadMsgs, kReadMsg, kWriteMsgs, kTotals, kClear };
const char* const kTransferNames[] = {"read PLU table", "read PLU 2",     "write PLU table",
                                      "read messages",  "read message 2", "write messages",
                                      "read totals",    "clear totals"};
constexpr int kTransferCount = 8;

// Outcome per transfer (row) and fault (column, in kFaults order): the status and the records
// stored, or "port error" when the port's own error ended it. Bytes trailing an answer, and a reply
// sent after an odd acknowledgement, are taken off the line before the next exchange, so every
// cell has one outcome.
const char* const kExpected[kTransferCount][kFaultCount] = {
    {"Done 3", "LinkFailed 0", "NotReady 0", "LinkClosed 0", "NotReady 0", "Done 2", "Done 0",
     "Done 0", "LinkFailed 0", "port error", "Done 3", "LinkFailed 1", "Done 1"},
    {"Done 1", "LinkFailed 0", "NotReady 0", "LinkClosed 0", "NotReady 0", "NotProgrammed 0",
     "Done 0", "Done 0", "LinkFailed 0", "port error", "Done 1", "Done 1", "Done 1"},
    {"Done 3", "LinkFailed 0", "NotReady 0", "LinkClosed 0", "NotReady 0", "Refused 1",
     "OddAnswer 0", "OddAnswer 0", "Done 3", "Done 3", "Done 3", "LinkFailed 1", "OddAnswer 1"},
    {"Done 2", "LinkFailed 0", "NotReady 0", "LinkClosed 0", "NotReady 0", "Done 1", "Done 0",
     "Done 0", "LinkFailed 0", "port error", "Done 2", "LinkFailed 1", "Done 1"},
    {"Done 1", "LinkFailed 0", "NotReady 0", "LinkClosed 0", "NotReady 0", "NotProgrammed 0",
     "Done 0", "Done 0", "LinkFailed 0", "port error", "Done 1", "Done 1", "Done 1"},
    {"Done 2", "LinkFailed 0", "NotReady 0", "LinkClosed 0", "NotReady 0", "Refused 1",
     "OddAnswer 0", "OddAnswer 0", "Done 2", "Done 2", "Done 2", "LinkFailed 1", "OddAnswer 1"},
    {"Done 1", "LinkFailed 0", "NotReady 0", "LinkClosed 0", "NotReady 0", "NotProgrammed 0",
     "OddAnswer 0", "OddAnswer 0", "LinkFailed 0", "port error", "Done 1", "Done 1", "Done 1"},
    {"Done 1", "LinkFailed 0", "NotReady 0", "LinkClosed 0", "NotReady 0", "NotProgrammed 0",
     "OddAnswer 0", "OddAnswer 0", "Done 1", "Done 1", "Done 1", "Done 1", "Done 1"},
};

// In the order of TransferStatus.
const char* const kStatusNames[] = {"Done",       "Cancelled", "TableChanged",  "LinkFailed",
                                    "LinkClosed", "NotReady",  "NotProgrammed", "Refused",
                                    "OddAnswer",  "NoText"};

std::string Str(const Bytes& b) {
  return std::string(b.begin(), b.end());
}

class FaultMatrix : public TransferFixture,
                    public ::testing::WithParamInterface<std::tuple<int, int>> {
 protected:
  FaultMatrix() {
    session.SetLinkFailureHandler([](const qm::LinkFailure&) {});
    for (std::uint32_t k = 1; k <= 3; ++k) scale.SetPlu(k, PluReply(k, "P" + std::to_string(k), k));
    for (std::int32_t k = 1; k <= 2; ++k) scale.SetMessage(k, Bytes(400, 0x40 + k));
    scale.SetTotals(Cat({Bytes(8, 0), HexBytes("39 30 00 00"), Bytes(28, 0)}));
    SetGoodRows(3);
    messages.Grid().ReplaceDataRows({{"1", "a"}, {"2", "b"}});
    messages.Texts() = {qm::ToCommaText({"one"}), qm::ToCommaText({"two", "lines"})};
    // A scale that stays busy is given up on as the operator would: by disconnecting.
    onTick = [this] {
      if (Panel(qm::kPanelBusy) == "Busy..." && ++busyTicks > 20) link.CloseLink();
    };
  }

  TransferReport Run(int transfer) {
    qm::TransferObserver quiet;
    switch (transfer) {
      case kReadPlus:
        qm::ResetPluTable(plu);
        return session.ReadPluTable(3, quiet);
      case kReadPlu:
        qm::ResetPluTable(plu);
        return session.ReadOnePlu(2, 1, quiet);
      case kWritePlus:
        return session.WritePlu(1, 3, quiet);
      case kReadMsgs:
        messages.Reset();
        return session.ReadMessageTable(2, quiet);
      case kReadMsg:
        messages.Reset();
        return session.ReadOneMessage(2, 1, quiet);
      case kWriteMsgs:
        return session.WriteMessages(1, 2, quiet);
      case kTotals:
        return session.ReadTotals(quiet);
      default:
        return session.ClearTotals(quiet);
    }
  }

  // What the scale sent, and only that, is in the tables; what a write counted is in the scale.
  void ExpectTablesHoldWhatTheScaleSent(int transfer, const TransferReport& r) {
    if (!scale.HungUp()) Quiesce();
    switch (transfer) {
      case kReadPlus:
      case kReadPlu:
        EXPECT_EQ(plu.DataRowCount(), std::max(1, r.stored));
        for (int row = 1; row <= r.stored; ++row) {
          const auto record = scale.Plu(qm::ParseInt(plu.Cell(qm::kPluNo, row)).value_or(-1));
          ASSERT_TRUE(record) << "row " << row;
          EXPECT_EQ(plu.Row(row), qm::PluRowFromReply(Str(*record))) << "row " << row;
        }
        break;
      case kReadMsgs:
      case kReadMsg: {
        EXPECT_EQ(messages.Count(), std::max(1, r.stored));
        std::set<std::string> sent;
        for (std::int32_t k : scale.MessageNumbers())
          sent.insert(qm::ToCommaText(qm::DecodeMessageBlock(Str(*scale.Message(k)))));
        for (int n = 1; n <= r.stored; ++n) EXPECT_TRUE(sent.count(messages.TextOf(n))) << n;
        break;
      }
      case kWritePlus:
        for (int row = 1; row <= r.stored; ++row)
          EXPECT_EQ(Str(*scale.Plu(row)).substr(0, qm::kPluWriteRecordSize),
                    qm::EncodePluRecord(plu.Row(row)));
        break;
      case kWriteMsgs:
        for (int n = 1; n <= r.stored; ++n)
          EXPECT_EQ(Str(*scale.Message(n)),
                    qm::EncodeMessageRecord(n, messages.LinesOf(n)).substr(2));
        break;
      case kTotals:
        EXPECT_EQ(totals.sum,
                  r.stored ? qm::DecodeGrandTotals(Str(scale.Totals())).sum : totalsBefore);
        break;
      default:
        break;
    }
  }

  int busyTicks = 0;
  std::string totalsBefore = totals.sum;
};

TEST_P(FaultMatrix, OutcomeAndWhatIsLeft) {
  const auto [transfer, fault] = GetParam();
  qmsim::Faults faults;
  kFaults[fault].set(faults);
  scale.SetFaults(faults);

  // A line that hangs up fails the port itself: the transfer ends as every transfer does and the
  // port's error goes on to the caller's error report.
  TransferReport r;
  std::string outcome;
  try {
    r = Run(transfer);
    outcome =
        std::string(kStatusNames[static_cast<int>(r.status)]) + " " + std::to_string(r.stored);
  } catch (const qm::EComPort&) {
    outcome = "port error";
  }

  EXPECT_EQ(outcome, kExpected[transfer][fault]);
  EXPECT_FALSE(state.LinkBusy);
  EXPECT_FALSE(port.Connected());
  ExpectTablesHoldWhatTheScaleSent(transfer, r);
}

INSTANTIATE_TEST_SUITE_P(EveryTransferAndFault, FaultMatrix,
                         ::testing::Combine(::testing::Range(0, kTransferCount),
                                            ::testing::Range(0, kFaultCount)),
                         [](const ::testing::TestParamInfo<std::tuple<int, int>>& info) {
                           return CellTestName(kTransferNames[std::get<0>(info.param)],
                                               std::get<1>(info.param));
                         });

}  // namespace
}  // namespace qmtest
