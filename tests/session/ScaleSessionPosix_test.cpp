// The session's transfers as reports: every way a transfer ends on the virtual scale comes back as
// its status, the row or number it stopped at and the byte the scale sent, with nothing shown;
// and the one exchange object gives back LinkBusy, the poll, the link and the input hold on
// every way out.
#include <optional>
#include <stdexcept>

#include "transfer/TransferFixture.h"

namespace qmtest {
namespace {

using qm::TransferStatus;

// Records what a transfer told its caller; can cancel, or run something, at a step.
class RecordingObserver : public qm::TransferObserver {
 public:
  bool Step(int position) override {
    steps.push_back(position);
    if (atStep && position == stepAt) atStep();
    return cancelAt == position;
  }
  void Stopped(const qm::TransferReport& report, bool) override {
    stopped.push_back(report.status);
  }
  void Finishing(const qm::TransferReport&) override { ++finishing; }
  void Finished(const qm::TransferReport&) override { ++finished; }

  int cancelAt = -1;
  int stepAt = -1;
  std::function<void()> atStep;
  std::vector<int> steps;
  std::vector<TransferStatus> stopped;
  int finishing = 0, finished = 0;
};

class SessionReports : public TransferFixture {
 protected:
  SessionReports() { RecordFailures(); }
  void Fault(const std::function<void(qmsim::Faults&)>& set) {
    qmsim::Faults f;
    set(f);
    scale.SetFaults(f);
  }
  // After every transfer: nothing held, the link as the transfer found it (closed here).
  void ExpectGivenBack() {
    EXPECT_FALSE(state.LinkBusy);
    EXPECT_FALSE(port.Connected());
    EXPECT_FALSE(state.PollEnabled);
  }
  RecordingObserver observer;
};

TEST_F(SessionReports, EachFaultOfAWriteComesBackAsItsReport) {
  struct Case {
    const char* name;
    std::function<void(qmsim::Faults&)> fault;
    TransferStatus status;
    int stored;
    std::optional<int> failedRow, answerByte;
    bool linkFailure;
  };
  const Case cases[] = {
      {"clean", [](qmsim::Faults&) {}, TransferStatus::Done, 3, {}, {}, false},
      {"refused", [](qmsim::Faults& f) { f.refusedPlus = {2}; }, TransferStatus::Refused, 1, 2,
       0xEE, false},
      {"odd byte",
       [](qmsim::Faults& f) {
         f.ackByte = 0x55;
         f.skipExchanges = 1;
       },
       TransferStatus::OddAnswer, 1, 2, 0x55, false},
      {"zero byte", [](qmsim::Faults& f) { f.ackByte = 0x00; }, TransferStatus::OddAnswer, 0, 1, 0,
       false},
      {"not ready", [](qmsim::Faults& f) { f.busyNumber = 10000; }, TransferStatus::NotReady, 0, {},
       {}, false},
      {"wrong echo", [](qmsim::Faults& f) { f.wrongEcho = 0x07; }, TransferStatus::NotReady, 0, {},
       {}, false},
      {"silent",
       [](qmsim::Faults& f) {
         f.silent = true;
         f.skipExchanges = 2;
       },
       TransferStatus::LinkFailed, 2, {}, {}, true},
  };
  SetGoodRows(3);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    failures.clear();
    Fault(c.fault);
    RecordingObserver seen;
    const qm::TransferReport r = session.WritePlu(1, 3, seen);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.stored, c.stored);
    EXPECT_EQ(r.failedRow, c.failedRow);
    EXPECT_EQ(r.answerByte, c.answerByte);
    EXPECT_EQ(r.linkFailure.has_value(), c.linkFailure);
    EXPECT_EQ(failures.size(), c.linkFailure ? 1u : 0u);
    // A stop on the scale's side is told when it happens; the finish always runs.
    EXPECT_EQ(seen.stopped.size(), c.failedRow ? 1u : 0u);
    EXPECT_EQ(seen.finished, 1);
    ExpectGivenBack();
    Fault([](qmsim::Faults&) {});
  }
}

// Events run between two rows of a write: a row edited then goes out as it stands when its
// turn comes, never as it was when the write began.
TEST_F(SessionReports, AWriteSendsEachRowAsTheTableHoldsItWhenItsTurnComes) {
  struct Case {
    int editAtStep, editedRow;
  } cases[] = {{1, 2}, {1, 3}, {2, 3}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "step " << c.editAtStep << ", row " << c.editedRow);
    scale.ClearLog();
    SetGoodRows(3);
    RecordingObserver editing;
    editing.stepAt = c.editAtStep;
    editing.atStep = [&] { plu.SetCell(qm::kName1, c.editedRow, "Edited"); };
    EXPECT_EQ(session.WritePlu(1, 3, editing).status, TransferStatus::Done);
    const std::vector<Bytes> sent = Received(0x82);
    ASSERT_EQ(sent.size(), 3u);
    for (int row = 1; row <= 3; ++row) {
      const Bytes& bytes = sent[static_cast<std::size_t>(row - 1)];
      const std::string record(bytes.begin(), bytes.end());
      const bool edited = record.find("Edited") != std::string::npos;
      EXPECT_EQ(edited, row == c.editedRow) << "row " << row;
      EXPECT_EQ(record.find("Item " + std::to_string(row)) != std::string::npos, !edited);
    }
  }
}

TEST_F(SessionReports, ReadsReportUnprogrammedNumbersOnlyWhenAskedForOne) {
  scale.SetPlu(1, PluReply(1, "A", 100));
  scale.SetPlu(3, PluReply(3, "C", 300));
  qm::TransferReport r = session.ReadPluTable(4, observer);
  EXPECT_EQ(r.status, TransferStatus::Done);
  EXPECT_EQ(r.stored, 2);
  EXPECT_EQ(observer.steps, (std::vector<int>{1, 2, 3, 4}));

  r = session.ReadOnePlu(2, 1, observer);
  EXPECT_EQ(r.status, TransferStatus::NotProgrammed);
  EXPECT_EQ(r.failedNumber, 2);
  EXPECT_EQ(qm::Utf8(r.message), "Данные PLU номер 2 не запрограммированы.");
  EXPECT_EQ(observer.stopped, std::vector<TransferStatus>{TransferStatus::NotProgrammed});
  ExpectGivenBack();
}

TEST_F(SessionReports, ARestructuredTableOrCancelEndsTheReadKeepingWhatWasStored) {
  for (std::uint32_t k = 1; k <= 4; ++k) scale.SetPlu(k, PluReply(k, "P", k));
  observer.stepAt = 2;
  observer.atStep = [this] { plu.InsertDataRow(1); };  // as if the operator inserted a row
  qm::TransferReport r = session.ReadPluTable(4, observer);
  EXPECT_EQ(r.status, TransferStatus::TableChanged);
  EXPECT_EQ(r.stored, 2);
  EXPECT_TRUE(r.Stopped());

  RecordingObserver cancelling;
  cancelling.cancelAt = 2;
  plu.ReplaceDataRows({});
  r = session.ReadPluTable(4, cancelling);
  EXPECT_EQ(r.status, TransferStatus::Cancelled);
  EXPECT_EQ(r.stored, 2);
  ExpectGivenBack();
}

TEST_F(SessionReports, TheExchangeGivesEverythingBackOnEveryWayOut) {
  struct CountingHold : qm::ExchangeHold {
    void Hold() override { ++held; }
    void Release() override { --held; }
    int held = 0;
  } hold;
  session.SetExchangeHold(&hold);

  // An exception out of the observer: the finish still runs, then everything is restored.
  scale.SetPlu(1, PluReply(1, "A", 100));
  observer.stepAt = 1;
  observer.atStep = [&] {
    EXPECT_TRUE(state.LinkBusy);
    EXPECT_EQ(hold.held, 1);
    throw std::runtime_error("boom");
  };
  EXPECT_THROW(session.ReadPluTable(2, observer), std::runtime_error);
  EXPECT_EQ(observer.finished, 1);
  EXPECT_EQ(hold.held, 0);
  ExpectGivenBack();

  // An open, polling link is paused and resumed; a link closed and reopened meanwhile is not the
  // one the exchange took.
  Connect();
  {
    qm::LinkExchange exchange(link, &hold);
    EXPECT_TRUE(exchange.Live());
    EXPECT_FALSE(state.PollEnabled);
    link.CloseLink();
    link.OpenLink(false);
    EXPECT_FALSE(exchange.Live());
  }
  EXPECT_TRUE(state.PollEnabled);
  EXPECT_FALSE(state.LinkBusy);
  EXPECT_EQ(hold.held, 0);

  // A port that cannot be opened: nothing is sent, the failure is named.
  link.CloseLink();
  port.SetDeviceResolver([](qm::TPortType) { return std::string("/nonexistent/qm-scale"); });
  const qm::TransferReport r = session.ClearTotals(observer);
  EXPECT_EQ(r.status, TransferStatus::LinkFailed);
  ASSERT_TRUE(r.linkFailure);
  EXPECT_EQ(r.linkFailure->kind, qm::LinkFailure::Kind::CannotOpenPort);
  EXPECT_EQ(r.linkFailure->portName, "COM2");
  EXPECT_EQ(hold.held, 0);
  ExpectGivenBack();
  session.SetExchangeHold(nullptr);
}

}  // namespace
}  // namespace qmtest
