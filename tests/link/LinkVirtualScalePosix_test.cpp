// The link and the live poll against the virtual scale on a pseudo-terminal: the real port, the
// real link and the headless loop on this side, the scale's own exchange thread on the other,
// with its fault switches standing in for a misbehaving scale.
#include <algorithm>
#include <array>
#include <optional>
#include <thread>

#include "link/LinkExchange.h"
#include "sim/VirtualScale.h"
#include "support/ErrorTexts.h"
#include "support/ScaleRig.h"

namespace {

using namespace std::chrono_literals;
using qmtest::kLinkErrorUtf8;
using qmtest::WaitUntil;

// A stored PLU record whose bytes differ along the record and never equal a protocol byte
// (address 1, 0x80, 0xAA, 0xEE), so a shifted or stale read shows as wrong data.
qmsim::Bytes Record() {
  qmsim::Bytes r;
  for (int i = 0; i < 100; ++i) r.push_back(static_cast<std::uint8_t>(0x30 + i % 64));
  return r;
}

std::string AsText(const qmsim::Bytes& b) {
  return std::string(b.begin(), b.end());
}

std::string PluRequest(std::int32_t number) {
  std::string s;
  for (int i = 0; i < 4; ++i)
    s += static_cast<char>((static_cast<std::uint32_t>(number) >> (8 * i)) & 0xFF);
  return s;
}

// A scale left waiting for a command or its data (closing the port drops what the scale has
// not read yet) gives up soon, so a cut exchange is over quickly.
qmsim::VirtualScale::Options QuickToGiveUp() {
  return {.commandTimeout = 300ms, .byteTimeout = 300ms};
}

class LinkVirtualScale : public ::testing::Test, public qmtest::ScaleRig {
 protected:
  LinkVirtualScale() : ScaleRig(qmtest::NetLine::Pty, QuickToGiveUp()) {
    scale.SetPlu(7, Record());
  }
  ~LinkVirtualScale() override {
    link.CloseForExit();
    EXPECT_FALSE(state.LinkBusy);
  }

  void OpenForExchange() { ASSERT_TRUE(ScaleRig::OpenForExchange()); }

  // A PLU read as the transfers do it, with LinkBusy held: nothing when the selection failed or
  // the scale was not ready, else the kind of SendCommand's answer (its byte in lastByte).
  // `data` holds the request, or the reply when the read was done.
  std::optional<qm::Answer::Kind> ReadPlu(std::int32_t number, std::string& data) {
    qm::LinkBusyScope busy(state);
    if (!link.SelectScale().Ready()) return std::nullopt;
    data = PluRequest(number);
    qm::Answer answer = link.SendCommand(0x81, data, 100);
    if (answer.kind == qm::Answer::Kind::Done) data = answer.reply;
    lastByte = answer.byte;
    return answer.kind;
  }
  std::uint8_t lastByte = 0;
  // Handles events until `n` bytes wait in the port's input queue.
  void AwaitInput(std::uint32_t n) {
    ASSERT_TRUE(WaitUntil([&] { return port.InputCount() >= n; })) << port.InputCount();
  }

  // Collects what the loop's handlers throw, as the window program's error report would show it.
  void CollectErrorReports() { loop.SetErrorHandler(qmtest::KeepErrorTexts(reported)); }

  std::vector<std::string> reported;
};

// --- exchanges -------------------------------------------------------------------------------

TEST_F(LinkVirtualScale, APluReadReturnsTheStoredRecordAndTheWireCarriesExactlyTheExchange) {
  OpenForExchange();
  std::string data;
  ASSERT_EQ(ReadPlu(7, data), qm::Answer::Kind::Done);
  EXPECT_EQ(data, AsText(Record()));
  ASSERT_TRUE(scale.WaitForExchanges(1, 5s));
  const auto log = scale.Log();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(AsText(log[0].in), "\x01\x81" + PluRequest(7));
  qmsim::Bytes out{0x01, 0x80, 0xAA};
  const qmsim::Bytes record = Record();
  out.insert(out.end(), record.begin(), record.end());
  EXPECT_EQ(log[0].out, out);
  EXPECT_EQ(port.InputCount(), 0u);
  EXPECT_TRUE(port.Connected());
  EXPECT_TRUE(dialogs.Shown().empty());
}

TEST_F(LinkVirtualScale, TheAddressSelectsOnlyTheScaleThatHasIt) {
  scale.SetAddress(5);
  state.ScaleAddress = 5;
  OpenForExchange();
  std::string data;
  ASSERT_EQ(ReadPlu(7, data), qm::Answer::Kind::Done);
  EXPECT_EQ(data, AsText(Record()));
  ASSERT_TRUE(scale.WaitForExchanges(1, 5s));
  EXPECT_EQ(scale.Log()[0].address, 5);

  // The link set to address 1: the scale at 5 takes the byte for another scale's and stays
  // quiet; the missing echo is a link failure.
  state.ScaleAddress = 1;
  dialogs.ExpectMessage(kLinkErrorUtf8, qm::kButtonOk, "Ошибка");
  EXPECT_EQ(ReadPlu(7, data), std::nullopt);
  EXPECT_EQ(scale.IgnoredByteCount(), 1u);
  EXPECT_EQ(scale.ExchangeCount(), 1u);
  EXPECT_FALSE(port.Connected());
  EXPECT_EQ(dialogs.Shown().size(), 1u);
}

TEST_F(LinkVirtualScale, AWrongEchoOrAnotherStatusFailsTheSelectionQuietlyAndOnce) {
  OpenForExchange();
  scale.SetFaults({.wrongEcho = 0x02});
  EXPECT_EQ(link.SelectScale().kind, qm::Selection::Kind::WrongEcho);
  ASSERT_TRUE(scale.WaitForExchanges(1, 5s));
  EXPECT_EQ(scale.ExchangeCount(), 1u);  // no second address attempt
  EXPECT_TRUE(port.Connected());
  EXPECT_EQ(status.panels[qm::kPanelBusy], "");

  // The link stays usable for a well-behaved scale.
  scale.ClearFaults();
  std::string data;
  EXPECT_EQ(ReadPlu(7, data), qm::Answer::Kind::Done);
  EXPECT_EQ(data, AsText(Record()));
  EXPECT_TRUE(dialogs.Shown().empty());
}

TEST_F(LinkVirtualScale, AnEndlesslyBusyScaleIsAskedAgainUntilTheLinkIsClosed) {
  scale.SetFaults({.endlessBusy = true});
  link.ConnectClick();
  PollAtNextTick();
  bool sawBusy = false;
  loop.SetTickHandler([&] {
    poll.TimerTick();
    sawBusy = sawBusy || status.panels[qm::kPanelBusy] == "Busy...";
  });
  // The operator disconnects once the scale has been asked three times.
  std::jthread closer([this](std::stop_token stop) {
    while (!stop.stop_requested() && scale.ExchangeCount() < 3) std::this_thread::sleep_for(5ms);
    loop.Post([this] { link.ConnectClick(); });
  });
  loop.RunUntil([this] { return !port.Connected(); });
  closer.join();

  EXPECT_TRUE(sawBusy);
  const auto log = scale.Log();
  ASSERT_GE(log.size(), 3u);
  for (const auto& exchange : log) {
    EXPECT_EQ(exchange.in, qmsim::Bytes{0x01});  // the address, again and again, no command
    EXPECT_EQ(exchange.out, qmsim::Bytes{0x01});
  }
  EXPECT_FALSE(state.LinkBusy);
  EXPECT_FALSE(state.PollEnabled);
  EXPECT_EQ(status.panels[qm::kPanelBusy], "");
  EXPECT_TRUE(dialogs.Shown().empty());
}

TEST_F(LinkVirtualScale, ClosingWhileTheEchoOfARepeatedAddressIsAwaitedClearsBusy) {
  scale.SetFaults({.endlessBusy = true});
  link.ConnectClick();
  PollAtNextTick();
  // Once "Busy..." shows, the scale falls silent; when it has taken the next address, the link
  // waits for an echo that never comes, and the operator disconnects during that wait.
  int phase = 0;
  std::size_t exchangesAtSilence = 0;
  loop.SetTickHandler([&] {
    poll.TimerTick();
    if (phase == 0 && status.panels[qm::kPanelBusy] == "Busy...") {
      exchangesAtSilence = scale.ExchangeCount();
      scale.SetFaults({.silent = true});
      phase = 1;
    } else if (phase == 1 && scale.ExchangeCount() > exchangesAtSilence) {
      phase = 2;
      link.ConnectClick();
    }
  });
  loop.RunUntil([this] { return !port.Connected(); });
  EXPECT_EQ(phase, 2);
  EXPECT_EQ(status.panels[qm::kPanelBusy], "");
  EXPECT_FALSE(state.LinkBusy);
  EXPECT_TRUE(dialogs.Shown().empty());  // the operator's own disconnect is not an error
}

TEST_F(LinkVirtualScale, StatusWithANumberSelectsWithThatNumberAndNoCommandFollows) {
  scale.SetFaults({.busyNumber = 10000});
  OpenForExchange();
  EXPECT_EQ(link.SelectScale(), (qm::Selection{qm::Selection::Kind::NotReady, 10000}));
  std::string data;
  EXPECT_EQ(ReadPlu(7, data), std::nullopt);  // a transfer takes it for "not ready" and stops
  ASSERT_TRUE(scale.WaitForExchanges(2, 5s));
  EXPECT_EQ(scale.CommandCount(0x81), 0u);
  EXPECT_TRUE(port.Connected());
  EXPECT_TRUE(dialogs.Shown().empty());
}

TEST_F(LinkVirtualScale, ARefusalAndUnexpectedAnswerBytesComeBackAsValuesWithTheLinkOpen) {
  OpenForExchange();
  std::string data;
  EXPECT_EQ(ReadPlu(8, data), qm::Answer::Kind::Refused);  // no PLU 8 on the scale
  EXPECT_EQ(data, PluRequest(8));

  for (const std::uint8_t byte : {0x00, 0x55}) {
    SCOPED_TRACE(int(byte));
    scale.ClearLog();
    // The record still follows the odd byte: the link takes it off the line itself, so that it
    // cannot leak into the next exchange however soon that starts.
    scale.SetFaults({.ackByte = byte, .replyAfterOddAck = true});
    EXPECT_EQ(ReadPlu(7, data), qm::Answer::Kind::OddByte);
    EXPECT_EQ(lastByte, byte);
    EXPECT_NE(data, AsText(Record()));
    ASSERT_TRUE(scale.WaitForExchanges(1, 5s));
    EXPECT_EQ(port.InputCount(), 0u);
    EXPECT_TRUE(port.Connected());

    scale.ClearFaults();
    EXPECT_EQ(ReadPlu(7, data), qm::Answer::Kind::Done);
    EXPECT_EQ(data, AsText(Record()));
  }
  EXPECT_TRUE(dialogs.Shown().empty());
}

TEST_F(LinkVirtualScale, AReplyCutShortIsReportedOnceAndClosesTheLink) {
  scale.SetFaults({.replyCut = 60});
  OpenForExchange();
  dialogs.ExpectMessage(kLinkErrorUtf8, qm::kButtonOk, "Ошибка");
  std::string data;
  EXPECT_EQ(ReadPlu(7, data), qm::Answer::Kind::NoAnswer);
  EXPECT_FALSE(port.Connected());
  EXPECT_FALSE(state.LinkBusy);
  EXPECT_FALSE(status.connectPressed);
  ASSERT_EQ(dialogs.Shown().size(), 1u);
  EXPECT_EQ(dialogs.Shown()[0].icon, qm::DialogIcon::Error);
  ASSERT_TRUE(scale.WaitForExchanges(1, 5s));
  EXPECT_EQ(scale.Log()[0].out.size(), 3u + 60u);

  // The link is closed: a second read fails without a second box.
  EXPECT_EQ(ReadPlu(7, data), std::nullopt);
  EXPECT_EQ(dialogs.Shown().size(), 1u);
}

TEST_F(LinkVirtualScale, ASilentScaleIsReportedOnceAndTheLinkCloses) {
  scale.SetFaults({.silent = true});
  OpenForExchange();
  dialogs.ExpectMessage(kLinkErrorUtf8, qm::kButtonOk, "Ошибка");
  std::string data;
  EXPECT_EQ(ReadPlu(7, data), std::nullopt);
  EXPECT_FALSE(port.Connected());
  EXPECT_FALSE(state.LinkBusy);
  EXPECT_EQ(status.panels[qm::kPanelBusy], "");
  ASSERT_TRUE(scale.WaitForExchanges(1, 5s));
  EXPECT_TRUE(scale.Log()[0].out.empty());
  EXPECT_EQ(dialogs.Shown().size(), 1u);
}

TEST_F(LinkVirtualScale, GarbageAfterEveryAnswerIsDroppedBeforeTheNextExchange) {
  // Garbage that looks like an echo, a ready status and an acknowledgement: kept in the queue,
  // it would be read as the next exchange's answers.
  scale.SetFaults({.trailingGarbage = {0x01, 0x80, 0xAA, 0x55}});
  OpenForExchange();
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    std::string data;
    ASSERT_EQ(ReadPlu(7, data), qm::Answer::Kind::Done);
    EXPECT_EQ(data, AsText(Record()));
    AwaitInput(4);
  }
  EXPECT_TRUE(port.Connected());
  EXPECT_FALSE(state.LinkBusy);
  EXPECT_TRUE(dialogs.Shown().empty());
}

TEST_F(LinkVirtualScale, HangingUpMidReplyIsAPortFailureThatClosesTheLink) {
  // The scale hangs up well inside the reply time-out, so the port meets the hang-up first.
  scale.SetFaults({.hangUpAfter = 40, .hangUpDelay = 100ms});
  OpenForExchange();
  std::string data;
  EXPECT_THROW(ReadPlu(7, data), qm::EComPort);
  EXPECT_TRUE(scale.HungUp());
  EXPECT_FALSE(state.LinkBusy);
  // Closed, so the failure is not met again by the next poll or transfer.
  EXPECT_FALSE(port.Connected());
  EXPECT_FALSE(status.connectPressed);
  EXPECT_EQ(status.panels[qm::kPanelBusy], "");
  for (const std::string& text : status.display) EXPECT_EQ(text, "");
  EXPECT_TRUE(dialogs.Shown().empty());
  EXPECT_EQ(ReadPlu(7, data), std::nullopt);  // quietly: the link is closed
}

// --- the live poll ---------------------------------------------------------------------------

TEST_F(LinkVirtualScale, ThePollShowsTheScalesDisplayAndKeepsItWhenTheScaleIsNotReady) {
  scale.SetDisplay(
      {.flags = 0x44, .weight = 1234, .unitPrice = 12345, .totalPrice = 7250, .pluNo = 12});
  link.ConnectClick();
  ASSERT_TRUE(port.Connected());
  EXPECT_EQ(status.display[qm::kDisplayPluNo], "");
  EXPECT_EQ(status.display[qm::kDisplayWeight], ".");
  EXPECT_EQ(status.display[qm::kDisplayPrice], ".");
  EXPECT_EQ(status.display[qm::kDisplayTotal], ".");

  RunOnePoll();
  EXPECT_EQ(status.display[qm::kDisplayWeight], "ts    1.234");
  EXPECT_EQ(status.display[qm::kDisplayPrice], "123.45");
  EXPECT_EQ(status.display[qm::kDisplayTotal], "72.50");
  EXPECT_EQ(status.display[qm::kDisplayPluNo], "12");

  struct Case {
    qmsim::Display shown;
    std::array<std::string, 4> panels;  // PLU, weight, price, total
  };
  const Case cases[] = {
      {{.flags = 0x01, .weight = 1234, .unitPrice = 100, .totalPrice = 0, .pluNo = 3},
       {"3", "    Перегр.", "1.00", "0.0"}},
      {{.flags = 0x80, .weight = 5, .unitPrice = 0, .totalPrice = -150, .pluNo = 0},
       {"0", "     -0.005", "0.0", "-1.50"}},
      {{.flags = 0x00, .weight = 0xFFFF, .unitPrice = 1, .totalPrice = 65535, .pluNo = 4000},
       {"4000", "     65.535", "0.01", "655.35"}},
      // Bits 1, 4 and 5 change nothing; z alone is the third letter.
      {{.flags = 0x3A, .weight = 0, .unitPrice = 0, .totalPrice = 0, .pluNo = 1},
       {"1", "  z   0.000", "0.0", "0.0"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.panels[qm::kDisplayWeight]);
    scale.SetDisplay(c.shown);
    RunOnePoll();
    EXPECT_EQ(status.display, c.panels);
  }

  // Not ready: no display is asked for and the panels keep the last reading.
  ASSERT_TRUE(scale.WaitForExchanges(5, 5s));
  ASSERT_EQ(scale.CommandCount(0x89), 5u);
  scale.SetFaults({.busyNumber = 10000});
  RunOnePoll();
  ASSERT_TRUE(scale.WaitForExchanges(6, 5s));
  EXPECT_EQ(scale.CommandCount(0x89), 5u);
  EXPECT_EQ(status.display, cases[3].panels);
  EXPECT_TRUE(port.Connected());
  EXPECT_FALSE(state.LinkBusy);
  EXPECT_TRUE(dialogs.Shown().empty());
}

TEST_F(LinkVirtualScale, UnaskedBytesWhileClosedOrIdleNeverReachAPoll) {
  scale.SetDisplay(
      {.flags = 0x40, .weight = 250, .unitPrice = 5000, .totalPrice = 1250, .pluNo = 2});
  // Bytes sent while the port is closed wait in the line; bytes sent between polls arrive as
  // events of an idle link.
  ASSERT_TRUE(scale.SendUnasked({0x01, 0x80, 0xAA, 0x01, 0x80}));
  link.ConnectClick();
  RunOnePoll();
  EXPECT_EQ(status.display[qm::kDisplayWeight], " s    0.250");
  EXPECT_EQ(status.display[qm::kDisplayPluNo], "2");

  status.display = {};
  ASSERT_TRUE(scale.SendUnasked({0xAA, 0x01, 0x80, 0x00}));
  AwaitInput(4);
  RunOnePoll();
  EXPECT_EQ(status.display[qm::kDisplayWeight], " s    0.250");
  EXPECT_EQ(status.display[qm::kDisplayPrice], "50.00");
  EXPECT_EQ(status.display[qm::kDisplayTotal], "12.50");
  EXPECT_EQ(status.display[qm::kDisplayPluNo], "2");
  EXPECT_FALSE(state.LinkBusy);
  EXPECT_TRUE(dialogs.Shown().empty());
}

TEST_F(LinkVirtualScale, AHangUpDuringThePollGoesToTheErrorReportOnceAndClosesTheLink) {
  scale.SetFaults({.hangUpAfter = 7, .hangUpDelay = 100ms});
  link.ConnectClick();
  CollectErrorReports();
  RunOnePoll();
  EXPECT_TRUE(scale.HungUp());
  // Further periods find the link closed and stay quiet.
  for (int i = 0; i < 2; ++i) RunOnePoll();
  ASSERT_EQ(reported.size(), 1u);
  EXPECT_NE(reported[0].find(": error "), std::string::npos) << reported[0];
  EXPECT_FALSE(state.LinkBusy);
  EXPECT_FALSE(port.Connected());
  EXPECT_FALSE(state.PollEnabled);
  for (const std::string& text : status.display) EXPECT_EQ(text, "");
  EXPECT_TRUE(dialogs.Shown().empty());
}

// --- closing during exchanges ----------------------------------------------------------------

TEST_F(LinkVirtualScale, ClosingTheLinkAtEveryStageOfAnExchangeNeverHangsOrLeavesItBusy) {
  // Paced, so that the bytes of an exchange arrive one by one and the close lands between any
  // two of them: before the echo, after the status, after the acknowledgement, mid-record.
  scale.SetPacing(38400);
  int notifications = 0;
  int closeAt = -1;
  bool clickPending = false;
  // The operator's click arrives as an event of its own, handled inside the link's wait.
  auto click = [&] {
    clickPending = true;
    loop.Post([&] {
      clickPending = false;
      if (port.Connected()) link.ConnectClick();
    });
  };
  port.OnRxChar = [&](qm::TComPort& p, std::int32_t inQue) {
    link.ComPortRxChar(p, inQue);
    if (++notifications == closeAt) click();
  };
  int cutAfterSelection = 0;
  for (int round = 0; round < 40; ++round) {
    SCOPED_TRACE(round);
    // The scale finishes what the last round left on its way before the link opens again: the
    // protocol has no framing to tell its late bytes from new answers.
    WaitUntil([&] { return scale.Quiet(); }, 1s);
    OpenForExchange();
    notifications = 0;
    closeAt = round % 20;  // 0: the click comes before anything arrived
    if (closeAt == 0) click();
    std::string data;
    const std::optional<qm::Answer::Kind> result = ReadPlu(7, data);
    closeAt = -1;
    // Cut quietly during the selection or the command's wait, or done before the click.
    if (result == qm::Answer::Kind::NoAnswer) ++cutAfterSelection;
    EXPECT_TRUE(!result || result == qm::Answer::Kind::Done || result == qm::Answer::Kind::NoAnswer)
        << int(*result);
    if (result == qm::Answer::Kind::Done) {
      EXPECT_EQ(data, AsText(Record()));
    }
    loop.RunUntil([&] { return !clickPending; });
    link.CloseLink();
    EXPECT_FALSE(state.LinkBusy);
    EXPECT_EQ(status.panels[qm::kPanelBusy], "");
  }
  EXPECT_GT(cutAfterSelection, 0);
  EXPECT_TRUE(dialogs.Shown().empty());

  // A clean read works on a fresh open.
  scale.SetPacing(0);
  WaitUntil([&] { return scale.Quiet(); }, 1s);
  OpenForExchange();
  // The last bytes of the last cut exchange may still be on their way through the terminal
  // driver: let them land, so that the selection's purge drops them.
  const std::uint64_t ticks = loop.Count().ticks;
  loop.RunUntil([&] { return loop.Count().ticks >= ticks + 2; });
  std::string data;
  EXPECT_EQ(ReadPlu(7, data), qm::Answer::Kind::Done);
  EXPECT_EQ(data, AsText(Record()));
}

}  // namespace
