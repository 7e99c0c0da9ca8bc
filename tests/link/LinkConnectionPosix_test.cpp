// Opening and closing the link: the Connect button, a port that cannot be opened, a scale that
// never answers, and closing while an exchange waits.
#include <sys/stat.h>

#include <atomic>
#include <thread>

#include "LinkFixture.h"
#include "base/Cp1251.h"

namespace {

using namespace std::chrono_literals;
using qmtest::kLinkErrorUtf8;
using qmtest::LinkFixture;

using LinkConnection = LinkFixture;

TEST_F(LinkConnection, ConnectOpensShowsDotsAndRunsOneTickAtOnceThenDisconnects) {
  state.PollCountdown = 7;
  state.ReplyTicks = 3;
  link.ConnectClick();
  EXPECT_TRUE(port.Connected());
  EXPECT_TRUE(state.PollEnabled);
  EXPECT_TRUE(status.connectPressed);
  EXPECT_EQ(status.connectHint, "Отключить весы");
  EXPECT_EQ(status.display[qm::kDisplayPluNo], "");
  EXPECT_EQ(status.display[qm::kDisplayWeight], ".");
  EXPECT_EQ(status.display[qm::kDisplayPrice], ".");
  EXPECT_EQ(status.display[qm::kDisplayTotal], ".");
  // The tick that ran at once counted both countdowns, and did not poll yet.
  EXPECT_EQ(state.PollCountdown, 6);
  EXPECT_EQ(state.ReplyTicks, 2);
  EXPECT_TRUE(pty.Receive(16, 0ms).empty());

  link.ConnectClick();
  EXPECT_FALSE(port.Connected());
  EXPECT_FALSE(state.PollEnabled);
  EXPECT_FALSE(status.connectPressed);
  EXPECT_EQ(status.connectHint, "Подключить весы");
  for (const std::string& text : status.display) EXPECT_EQ(text, "");
}

TEST_F(LinkConnection, ADeviceThatCannotBeOpenedIsReportedWithItsCause) {
  SetDevice("/nonexistent/qm-scale");
  dialogs.ExpectMessage(
      "Не могу открыть порт COM2.\nУстройство /nonexistent/qm-scale не найдено: проверьте "
      "подключение адаптера и настройку портов.",
      qm::kButtonOk, "Ошибка");
  link.ConnectClick();
  EXPECT_FALSE(port.Connected());
  EXPECT_FALSE(state.PollEnabled);
  EXPECT_FALSE(status.connectPressed);
  EXPECT_EQ(status.connectHint, "Подключить весы");
  ASSERT_EQ(dialogs.Shown().size(), 1u);
  EXPECT_EQ(dialogs.Shown()[0].icon, qm::DialogIcon::Error);

  // A transfer cannot begin either, and says so the same way.
  dialogs.ExpectMessage(
      "Не могу открыть порт COM2.\nУстройство /nonexistent/qm-scale не найдено: проверьте "
      "подключение адаптера и настройку портов.",
      qm::kButtonOk);
  {
    qm::LinkExchange exchange(link);
    EXPECT_FALSE(exchange.Opened());
    EXPECT_FALSE(exchange.Live());
  }
  EXPECT_FALSE(state.LinkBusy);
}

TEST_F(LinkConnection, ADeviceWithoutPermissionNamesTheDialoutGroup) {
  if (::geteuid() == 0) GTEST_SKIP() << "root may open any device";
  ASSERT_EQ(::chmod(pty.Path().c_str(), 0), 0);
  link.ConnectClick();
  ::chmod(pty.Path().c_str(), 0620);
  ASSERT_EQ(dialogs.Shown().size(), 1u);
  const std::string& text = dialogs.Shown()[0].text;
  EXPECT_EQ(text.rfind("Не могу открыть порт COM2.\n", 0), 0u) << text;
  EXPECT_NE(text.find("dialout"), std::string::npos) << text;
}

TEST_F(LinkConnection, ASilentScaleIsReportedOnceAndTheLinkCloses) {
  dialogs.ExpectMessage(kLinkErrorUtf8, qm::kButtonOk, "Ошибка");
  dialogs.ShowProgress("t", "d", 10, 0);
  PollAtNextTick();
  link.ConnectClick();  // the tick run at once polls: the address goes out, nothing comes back
  EXPECT_EQ(pty.Receive(16, 0ms), std::string(1, '\x01'));
  EXPECT_FALSE(port.Connected());
  EXPECT_FALSE(state.LinkBusy);
  EXPECT_FALSE(state.PollEnabled);
  EXPECT_FALSE(dialogs.ProgressVisible());
  EXPECT_FALSE(status.connectPressed);
  EXPECT_EQ(status.panels[qm::kPanelBusy], "");
  for (const std::string& text : status.display) EXPECT_EQ(text, "");
  EXPECT_EQ(dialogs.Shown().size(), 1u);
}

TEST_F(LinkConnection, ClosingThePortWhileAReplyIsAwaitedEndsTheWaitQuietly) {
  OpenForExchange();
  qm::LinkBusyScope busy(state);
  loop.Post([this] { link.ConnectClick(); });  // the operator disconnects during the wait
  std::string reply = "stale";
  EXPECT_FALSE(link.ReadReply(15, true, reply));
  EXPECT_EQ(reply, "");
  EXPECT_FALSE(port.Connected());
  EXPECT_FALSE(status.connectPressed);
  EXPECT_TRUE(dialogs.Shown().empty());  // the operator asked for it: no error box
}

TEST_F(LinkConnection, ClosingDuringThePollLeavesLinkBusyClear) {
  link.ConnectClick();
  PollAtNextTick();
  // Close once the poll has sent the address and waits for the echo; the far end is not done
  // until the click is on its way.
  std::atomic<bool> clicked{false};
  SetFarEnd([&] { return clicked.load(); });
  std::jthread closer([&, this](std::stop_token) {
    if (!pty.Receive(1, 5s).empty()) loop.Post([this] { link.ConnectClick(); });
    clicked = true;
  });
  loop.RunUntil([this] { return !port.Connected(); });
  EXPECT_FALSE(state.LinkBusy);
  EXPECT_TRUE(dialogs.Shown().empty());
}

TEST_F(LinkConnection, ReadsAndPurgesOnAClosedPortFailQuietly) {
  std::string reply = "x";
  EXPECT_FALSE(link.ReadReply(1, true, reply));
  EXPECT_FALSE(link.PurgeInput());
  EXPECT_EQ(link.SelectScale().kind, qm::Selection::Kind::Closed);
}

TEST_F(LinkConnection, AnExchangeOpensAndClosesAClosedLinkAndResumesAnOpenOne) {
  {
    qm::LinkExchange exchange(link);
    ASSERT_TRUE(exchange.Opened());
    EXPECT_TRUE(exchange.Live());
    EXPECT_TRUE(port.Connected());
    EXPECT_TRUE(state.LinkBusy);
    EXPECT_FALSE(state.PollEnabled);
    EXPECT_EQ(status.display[qm::kDisplayWeight], ".");
  }
  EXPECT_FALSE(port.Connected());
  EXPECT_FALSE(state.LinkBusy);

  link.ConnectClick();
  ASSERT_TRUE(state.PollEnabled);
  status.display = {"7", "1.000", "2.00", "2.00"};
  {
    qm::LinkExchange exchange(link);
    ASSERT_TRUE(exchange.Opened());
    EXPECT_FALSE(state.PollEnabled);
    EXPECT_EQ(status.display[qm::kDisplayPluNo], "");
    EXPECT_EQ(status.display[qm::kDisplayWeight], ".");
    exchange.End();
  }
  EXPECT_TRUE(port.Connected());
  EXPECT_TRUE(state.PollEnabled);
  EXPECT_FALSE(state.LinkBusy);
}

}  // namespace
