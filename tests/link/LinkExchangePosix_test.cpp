// The exchange rules of the link against a far end that answers from a script.
#include <atomic>
#include <optional>
#include <thread>

#include <unistd.h>

#include "LinkFixture.h"
#include "support/ErrorTexts.h"
#include "support/ScriptedScale.h"

namespace {

using namespace std::chrono_literals;
using qmtest::kLinkErrorUtf8;
using qmtest::ScaleScript;
using qmtest::ScriptedScale;

const std::string kEchoReady("\x01\x80", 2);

std::string Bytes(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) s += static_cast<char>(v);
  return s;
}

// A PLU record reply of 100 bytes, numbered so that a shifted read shows.
std::string Record() {
  std::string r;
  for (int i = 0; i < 100; ++i) r += static_cast<char>(i + 1);
  return r;
}

class LinkExchange : public qmtest::LinkFixture {
 protected:
  void Answer(ScaleScript script) {
    scale.reset();
    scale = std::make_unique<ScriptedScale>(pty, std::move(script));
    SetFarEnd([this] { return scale->Quiet(); });
  }
  // One selection and one command as a transfer does them, with LinkBusy held: the command's
  // answer kind (`data` := the reply when Done), or nothing when the scale was not selected.
  std::optional<qm::Answer::Kind> Exchange(std::uint8_t command, std::string& data,
                                           std::uint32_t replyLength) {
    qm::LinkBusyScope busy(state);
    if (!link.SelectScale().Ready()) return std::nullopt;
    qm::Answer answer = link.SendCommand(command, data, replyLength);
    if (answer.kind == qm::Answer::Kind::Done) data = answer.reply;
    lastByte = answer.byte;
    return answer.kind;
  }
  std::uint8_t lastByte = 0;  // the byte of the last exchange's answer
  std::unique_ptr<ScriptedScale> scale;
};

TEST_F(LinkExchange, ReadyScaleAcknowledgesAndSendsTheWholeRecord) {
  Answer({.addressAnswer = kEchoReady, .commandData = 4, .commandAnswer = "\xAA" + Record()});
  OpenForExchange();
  std::string data = Bytes({0x07, 0x00, 0x00, 0x00});
  EXPECT_EQ(Exchange(0x81, data, 100), qm::Answer::Kind::Done);
  EXPECT_EQ(data, Record());
  EXPECT_EQ(scale->Received(), Bytes({0x01, 0x81, 0x07, 0x00, 0x00, 0x00}));
  EXPECT_TRUE(port.Connected());
  EXPECT_EQ(port.InputCount(), 0u);
}

TEST_F(LinkExchange, AWrongEchoFailsTheSelectionQuietlyWithoutRetry) {
  Answer({.addressAnswer = Bytes({0x02, 0x80})});
  OpenForExchange();
  EXPECT_EQ(link.SelectScale().kind, qm::Selection::Kind::WrongEcho);
  EXPECT_EQ(scale->Received(), "\x01");
  EXPECT_TRUE(port.Connected());
  EXPECT_TRUE(dialogs.Shown().empty());
}

TEST_F(LinkExchange, AnotherStatusFailsTheSelectionQuietly) {
  Answer({.addressAnswer = Bytes({0x01, 0x81})});
  OpenForExchange();
  EXPECT_EQ(link.SelectScale(), (qm::Selection{qm::Selection::Kind::OtherStatus, 0, 0x81}));
  EXPECT_TRUE(port.Connected());
  EXPECT_TRUE(dialogs.Shown().empty());
}

TEST_F(LinkExchange, EchoWithoutStatusShowsBusyAndAsksAgainUntilTheScaleAnswers) {
  Answer({.addressAnswer = kEchoReady, .busyAnswers = 2});
  OpenForExchange();
  std::vector<std::string> busyTexts;
  loop.SetTickHandler([&] {
    poll.TimerTick();
    busyTexts.push_back(status.panels[qm::kPanelBusy]);
  });
  EXPECT_TRUE(link.SelectScale().Ready());
  EXPECT_EQ(scale->Received(), "\x01\x01\x01");
  EXPECT_NE(std::find(busyTexts.begin(), busyTexts.end(), "Busy..."), busyTexts.end());
  EXPECT_EQ(status.panels[qm::kPanelBusy], "");
  EXPECT_TRUE(dialogs.Shown().empty());
}

TEST_F(LinkExchange, AnEndlesslyBusyScaleIsAskedUntilTheLinkIsClosed) {
  Answer({.addressAnswer = "\x01", .busyAnswers = 1 << 30});
  link.ConnectClick();
  PollAtNextTick();
  // The poll keeps asking; the operator disconnects after the third attempt.
  std::jthread closer([this](std::stop_token stop) {
    while (!stop.stop_requested() && scale->AddressBytes() < 3) std::this_thread::sleep_for(5ms);
    loop.Post([this] { link.ConnectClick(); });
  });
  loop.RunUntil([this] { return !port.Connected(); });
  EXPECT_GE(scale->AddressBytes(), 3);
  EXPECT_FALSE(state.LinkBusy);
  EXPECT_EQ(status.panels[qm::kPanelBusy], "");
  EXPECT_TRUE(dialogs.Shown().empty());
}

TEST_F(LinkExchange, ALineThatCarriesNoiseButNoEchoFailsTheSelectionWithinItsDeadline) {
  // Another device on the port sends a byte every 0.2 s, never the scale's address: each byte
  // starts the reply time-out over, so only the select's own deadline can end the wait.
  Answer({.addressAnswer = ""});
  OpenForExchange();
  int ticks = 0;
  loop.SetTickHandler([&] {
    poll.TimerTick();
    if (++ticks % 2 == 0) {
      ASSERT_EQ(::write(pty.Master(), "\x55", 1), 1);
    }
    if (ticks == 200) link.CloseLink();  // the wait never ended: end it to report the failure
  });
  EXPECT_EQ(link.SelectScale().kind, qm::Selection::Kind::WrongEcho);
  // One reply time-out plus the longest answer's line time at 9600 baud: about a second.
  EXPECT_LE(ticks, 12);
  EXPECT_TRUE(port.Connected());
  EXPECT_TRUE(dialogs.Shown().empty());
}

TEST_F(LinkExchange, StatusWithANumberSelectsWithThatNumberAndThePollSkipsTheDisplay) {
  Answer({.addressAnswer = Bytes({0x01, 0xDD, 0x10, 0x27, 0x00, 0x00})});
  OpenForExchange();
  EXPECT_EQ(link.SelectScale(), (qm::Selection{qm::Selection::Kind::NotReady, 10000}));

  link.CloseLink();
  link.ConnectClick();
  status.display = {"5", "old", "old", "old"};
  RunOnePoll();
  EXPECT_EQ(scale->Received(), "\x01\x01");  // no 0x89 was sent
  EXPECT_EQ(status.display[qm::kDisplayWeight], "old");
  EXPECT_FALSE(state.LinkBusy);
}

TEST_F(LinkExchange, RefusalAndOtherBytesComeBackAsTheirValueWithTheLinkOpen) {
  Answer({.addressAnswer = kEchoReady, .commandData = 4, .commandAnswer = "\xEE"});
  OpenForExchange();
  std::string data = Bytes({0x07, 0x00, 0x00, 0x00});
  EXPECT_EQ(Exchange(0x81, data, 100), qm::Answer::Kind::Refused);
  EXPECT_EQ(data, Bytes({0x07, 0x00, 0x00, 0x00}));
  EXPECT_TRUE(port.Connected());
  EXPECT_TRUE(dialogs.Shown().empty());
}

TEST_F(LinkExchange, AZeroAnswerByteIsNotTakenForSuccess) {
  // The four request bytes must not come back as if they were a record.
  Answer({.addressAnswer = kEchoReady, .commandData = 4, .commandAnswer = Bytes({0x00})});
  OpenForExchange();
  std::string data = Bytes({0x07, 0x00, 0x00, 0x00});
  EXPECT_EQ(Exchange(0x81, data, 100), qm::Answer::Kind::OddByte);
  EXPECT_EQ(lastByte, 0x00);
  EXPECT_TRUE(port.Connected());
  EXPECT_TRUE(dialogs.Shown().empty());
}

TEST_F(LinkExchange, AReplyCutShortIsReportedOnceAndClosesTheLink) {
  Answer({.addressAnswer = kEchoReady,
          .commandData = 4,
          .commandAnswer = "\xAA" + Record().substr(0, 60)});
  OpenForExchange();
  dialogs.ExpectMessage(kLinkErrorUtf8, qm::kButtonOk, "Ошибка");
  std::string data = Bytes({0x07, 0x00, 0x00, 0x00});
  EXPECT_EQ(Exchange(0x81, data, 100), qm::Answer::Kind::NoAnswer);
  EXPECT_FALSE(port.Connected());
  EXPECT_EQ(dialogs.Shown().size(), 1u);
  EXPECT_EQ(dialogs.Shown()[0].icon, qm::DialogIcon::Error);
  EXPECT_FALSE(status.connectPressed);

  // Once reported, the link is closed: a second exchange fails without a second box.
  EXPECT_EQ(Exchange(0x81, data, 100), std::nullopt);
  EXPECT_EQ(dialogs.Shown().size(), 1u);
}

TEST_F(LinkExchange, SilenceAfterTheEchoOrTheAcknowledgementIsALinkError) {
  Answer({.addressAnswer = kEchoReady, .commandAnswer = "\xAA"});
  OpenForExchange();
  dialogs.ExpectMessage(kLinkErrorUtf8, qm::kButtonOk);
  std::string data;
  EXPECT_EQ(Exchange(0x89, data, 15), qm::Answer::Kind::NoAnswer);
  EXPECT_FALSE(port.Connected());
}

TEST_F(LinkExchange, APollFillsThePanelsAndGarbageAroundItIsDropped) {
  const std::string display =
      Bytes({0x44, 0xD2, 0x04, 0x39, 0x30, 0, 0, 0x52, 0x1C, 0, 0, 0x0C, 0, 0, 0});
  // Stale bytes are waiting before the poll, and the scale sends three too many after it.
  Answer({.addressAnswer = kEchoReady, .commandAnswer = "\xAA" + display + "xyz"});
  link.ConnectClick();
  pty.Send("garbage");
  RunOnePoll();
  EXPECT_EQ(status.display[qm::kDisplayWeight], "ts    1.234");
  EXPECT_EQ(status.display[qm::kDisplayPrice], "123.45");
  EXPECT_EQ(status.display[qm::kDisplayTotal], "72.50");
  EXPECT_EQ(status.display[qm::kDisplayPluNo], "12");
  EXPECT_FALSE(state.LinkBusy);
  EXPECT_EQ(state.PollCountdown, qm::kPollPeriodTicks);

  // The next poll starts clean despite the extra bytes.
  status.display = {};
  RunOnePoll();
  EXPECT_EQ(status.display[qm::kDisplayPluNo], "12");
  EXPECT_TRUE(dialogs.Shown().empty());
}

TEST_F(LinkExchange, APollIsSkippedWhileTheLinkIsBusyOrThePollDisabled) {
  Answer({.addressAnswer = kEchoReady});
  link.ConnectClick();
  state.LinkBusy = true;
  RunOnePoll();
  state.LinkBusy = false;
  state.PollEnabled = false;
  RunOnePoll();
  EXPECT_EQ(scale->Received(), "");
  EXPECT_EQ(state.PollCountdown, qm::kPollPeriodTicks);
}

TEST_F(LinkExchange, OpeningExchangingAndClosingManyTimesNeverHangs) {
  const std::string display(15, '\0');
  Answer({.addressAnswer = kEchoReady, .commandAnswer = "\xAA" + display});
  for (int i = 0; i < 40; ++i) {
    link.ConnectClick();
    ASSERT_TRUE(port.Connected());
    RunOnePoll();
    ASSERT_EQ(status.display[qm::kDisplayWeight], "      0.000");
    // Bytes keep arriving while the port closes, so hand-offs are in flight.
    pty.Send("noise");
    link.ConnectClick();
    ASSERT_FALSE(port.Connected());
    ASSERT_FALSE(state.LinkBusy);
  }
  EXPECT_EQ(status.display[qm::kDisplayPluNo], "");
  EXPECT_TRUE(dialogs.Shown().empty());
}

}  // namespace

namespace {

TEST_F(LinkExchange, AHangUpDuringAPollNeverLeavesLinkBusySet) {
  Answer({.addressAnswer = kEchoReady, .commandAnswer = "\xAA" + std::string(7, '\0')});
  link.ConnectClick();
  std::vector<std::string> reported;
  loop.SetErrorHandler(qmtest::KeepErrorTexts(reported));
  // The far end goes away in the middle of the display reply: until it has, it is not done.
  std::atomic<bool> gone{false};
  SetFarEnd([&] { return gone.load(); });
  std::jthread hangUp([&, this](std::stop_token stop) {
    while (!stop.stop_requested() && scale->Received().size() < 2) std::this_thread::sleep_for(2ms);
    scale.reset();
    pty.HangUp();
    gone = true;
  });
  RunOnePoll();
  hangUp.join();
  EXPECT_FALSE(state.LinkBusy);
  // The port's failure goes to the error report once: the link is closed, so the next period
  // does not raise it again.
  ASSERT_EQ(reported.size(), 1u);
  EXPECT_NE(reported[0].find(": error "), std::string::npos) << reported[0];
  EXPECT_FALSE(port.Connected());
  EXPECT_FALSE(state.PollEnabled);
  EXPECT_FALSE(status.connectPressed);
}

}  // namespace

TEST_F(LinkExchange, AProbeAsksOnceAndNamesWhatCameBack) {
  struct Case {
    std::string answer;
    qm::Selection expected;
    const char* text;
  };
  using Kind = qm::Selection::Kind;
  const Case cases[] = {
      {kEchoReady, {Kind::Ready}, "ready"},
      {Bytes({0x01, 0xDD, 0x10, 0x27, 0x00, 0x00}), {Kind::NotReady, 10000}, "not ready (10000)"},
      {Bytes({0x01, 0x81}), {Kind::OtherStatus, 0, 0x81}, "status 81"},
      {"\x01", {Kind::Busy}, "Busy..."},  // echo without a status: not asked again
      {Bytes({0x01, 0xDD, 0x10}), {Kind::CutShort}, "status 00"},
      {Bytes({0x02, 0x80}), {Kind::WrongEcho}, ""},
      {"", {Kind::Silent}, ""},
  };
  OpenForExchange();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    Answer({.addressAnswer = c.answer});
    const qm::Selection found = link.ProbeAddress(1);
    EXPECT_EQ(found, c.expected);
    EXPECT_EQ(qm::ProbeText(found), c.text);
    EXPECT_EQ(scale->Received(), "\x01");
    EXPECT_TRUE(port.Connected());
  }
  EXPECT_TRUE(dialogs.Shown().empty());
}

TEST_F(LinkExchange, ABusyLimitEndsTheAskingAndClosesTheLink) {
  Answer({.addressAnswer = "\x01", .busyAnswers = 1 << 30});
  OpenForExchange();
  link.SetBusyLimit(3);
  EXPECT_EQ(link.SelectScale().kind, qm::Selection::Kind::Busy);
  EXPECT_EQ(scale->AddressBytes(), 3);
  EXPECT_FALSE(port.Connected());
  EXPECT_EQ(status.panels[qm::kPanelBusy], "");
  EXPECT_TRUE(dialogs.Shown().empty());
}

// A reply that trickles in: two bytes at a time, `gap` ticks apart. Each arrival starts the
// five-tick time-out over, whether a receive notification tells of it (events asked for) or only
// the wait's own look at the queue (a port opened without events, as qmctl opens it).
TEST_F(LinkExchange, EveryArrivalStartsTheReplyTimeOutOverWithOrWithoutLineEvents) {
  struct Case {
    qm::TEvents events;
    int gap;  // ticks between two pieces
    bool got;
  } cases[] = {{qm::TEvents::All(), 3, true},
               {qm::TEvents{}, 3, true},
               {qm::TEvents::All(), 6, false},
               {qm::TEvents{}, 6, false}};
  const std::string reply = "0123456789";
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "events " << c.events.Bits() << ", gap " << c.gap);
    port.SetEvents(c.events);
    std::size_t sent = 2;
    int ticks = 0;
    loop.SetTickHandler([&] {
      poll.TimerTick();
      if (++ticks % c.gap == 0 && sent < reply.size()) {
        pty.Send(reply.substr(sent, 2));
        sent += 2;
      }
    });
    OpenForExchange();
    if (!c.got) dialogs.ExpectMessage(kLinkErrorUtf8, qm::kButtonOk);
    pty.Send(reply.substr(0, 2));
    std::string bytes;
    EXPECT_EQ(link.ReadReply(10, true, bytes), c.got);
    EXPECT_EQ(bytes, c.got ? reply : "");
    EXPECT_EQ(ticks, c.got ? 4 * c.gap : 5);
    link.CloseLink();
  }
}
