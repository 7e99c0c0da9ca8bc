// The Windows port and link against the virtual scale running outside the test: the scale runs
// natively on a pseudo-terminal that the Windows name in QM_TEST_COM (e.g. COM2) leads to, in
// the behaviour the suite's name says (scripts/test-windows.sh starts it so and picks the
// suite). Without QM_TEST_COM every test is skipped.
//
// Time: the far end is another process whose quiet the test cannot see, so the link's ticks come
// at the real timer's period (the rig's backstop); nothing here sleeps.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <optional>
#include <thread>
#include <cstdlib>
#include <string>

#include "base/Cp1251.h"
#include "port/ComPort.h"
#include "link/LinkExchange.h"
#include "port/PortNames.h"
#include "support/SessionRig.h"

namespace {

using qmtest::kLinkErrorUtf8;

std::string TestPort() {
  const char* name = std::getenv("QM_TEST_COM");
  return name ? name : "";
}

#define REQUIRE_TEST_PORT()                                                           \
  if (TestPort().empty()) GTEST_SKIP() << "QM_TEST_COM names no port to the virtual scale"

std::string PluRequest(std::int32_t number) {
  std::string s;
  for (int i = 0; i < 4; ++i) s += static_cast<char>((number >> (8 * i)) & 0xFF);
  return s;
}

// Polls `condition` until it holds or five seconds passed: for waiting on the event thread.
bool WaitUntil(const std::function<bool()>& condition) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::yield();
  }
  return true;
}

// A port on the test's COM name.
void Aim(qm::TComPort& port, const std::string& device) {
  port.SetPort(qm::TPortType::COM2);
  port.SetDeviceResolver([device](qm::TPortType) { return device; });
}

class WinLink : public ::testing::Test, public qmtest::SessionRig {
 protected:
  WinLink() : SessionRig(TestPort(), [] { return false; }) {}
  ~WinLink() override { link.CloseForExit(); }

  // A PLU read as the transfers make it: nothing when the selection failed, else the kind of
  // SendCommand's answer; `data` holds the reply when the read was done.
  std::optional<qm::Answer::Kind> ReadPlu(std::int32_t number, std::string& data) {
    qm::LinkBusyScope busy(state);
    if (!link.SelectScale().Ready()) return std::nullopt;
    data = PluRequest(number);
    qm::Answer answer = link.SendCommand(0x81, data, 100);
    if (answer.kind == qm::Answer::Kind::Done) data = answer.reply;
    return answer.kind;
  }
};

// --- a scale that answers (qm-scale-sim --demo) ------------------------------------------------

using WinLinkPlain = WinLink;

TEST_F(WinLinkPlain, TheLinkReadsAPluAndRefusalsOfMissingOnesComeThrough) {
  REQUIRE_TEST_PORT();
  ASSERT_TRUE(OpenForExchange());
  std::string data;
  ASSERT_EQ(ReadPlu(1, data), qm::Answer::Kind::Done);
  EXPECT_EQ(data.size(), 100u);
  EXPECT_EQ(ReadPlu(4, data), qm::Answer::Kind::Refused);  // the demo holds no PLU 4
  EXPECT_EQ(port.InputCount(), 0u);
  EXPECT_TRUE(port.Connected());
  EXPECT_TRUE(dialogs.Shown().empty());
}

TEST_F(WinLinkPlain, ThePortIsExclusiveAndEveryCloseStopsTheEventThread) {
  REQUIRE_TEST_PORT();
  qm::TComPort first, second;
  Aim(first, TestPort());
  Aim(second, TestPort());
  first.SetSyncMethod(qm::TSyncMethod::smNone);
  second.SetSyncMethod(qm::TSyncMethod::smNone);
  std::atomic<int> arrivals{0};
  first.OnRxChar = [&](qm::TComPort&, std::int32_t) { ++arrivals; };
  for (int round = 0; round < 5; ++round) {
    first.Open();
    ASSERT_TRUE(first.Connected());
    try {
      second.Open();
      ADD_FAILURE() << "a second open succeeded";
    } catch (const qm::EComPort& e) {
      EXPECT_EQ(std::string(e.what()), "Unable to open com port: error 5.");
      EXPECT_NE(qm::Utf8(qm::ExplainOpenFailure(e.SystemCode(), "COM2")).find("занят"),
                std::string::npos);
    }
    EXPECT_FALSE(second.Connected());
    first.Close();  // returns only once the event thread has ended
  }
  // Bytes that arrive wake the event thread: the scale echoes its address and its status.
  first.Open();
  EXPECT_EQ(first.Write(std::string(1, '\x01'), true), 1);
  ASSERT_TRUE(WaitUntil([&] { return first.InputCount() >= 2 && arrivals > 0; }));
  std::string reply;
  EXPECT_EQ(first.Read(reply, 2, true), 2);
  EXPECT_EQ(reply, std::string("\x01\x80", 2));
  // With the window's time-outs a read returns at once, with nothing when nothing is queued.
  EXPECT_EQ(first.Read(reply, 16, true), 0);
  first.Close();
}

TEST_F(WinLinkPlain, APortThatDoesNotExistIsReportedInTheOperatorsWords) {
  REQUIRE_TEST_PORT();
  SetDevice("COM199");
  dialogs.ExpectMessage("Не могу открыть порт COM2.\nПорт COM199 не найден: проверьте подключение "
                        "адаптера и номер порта в диспетчере устройств.",
                        qm::kButtonOk, "Ошибка");
  EXPECT_FALSE(OpenForExchange());
  EXPECT_TRUE(dialogs.AllConsumed());
}

// --- a scale that never answers (--silent) ---------------------------------------------------

using WinLinkSilent = WinLink;

TEST_F(WinLinkSilent, SilenceIsALinkErrorThatClosesThePort) {
  REQUIRE_TEST_PORT();
  ASSERT_TRUE(OpenForExchange());
  dialogs.ExpectMessage(kLinkErrorUtf8, qm::kButtonOk, "Ошибка");
  std::string data;
  EXPECT_EQ(ReadPlu(1, data), std::nullopt);
  EXPECT_FALSE(port.Connected());
  EXPECT_TRUE(dialogs.AllConsumed());
}

// --- a scale that cuts every reply short (--cut 10) ------------------------------------------

using WinLinkCut = WinLink;

TEST_F(WinLinkCut, ACutReplyIsALinkErrorAndNothingOfItIsKept) {
  REQUIRE_TEST_PORT();
  ASSERT_TRUE(OpenForExchange());
  dialogs.ExpectMessage(kLinkErrorUtf8, qm::kButtonOk, "Ошибка");
  std::string data;
  EXPECT_EQ(ReadPlu(1, data), qm::Answer::Kind::NoAnswer);
  EXPECT_FALSE(port.Connected());
  EXPECT_TRUE(dialogs.AllConsumed());
}

// --- a scale whose line goes away in the middle of a reply (--hang-up 20) --------------------

using WinLinkHangUp = WinLink;

TEST_F(WinLinkHangUp, ALineThatGoesAwayEndsTheExchangeWithoutAHang) {
  REQUIRE_TEST_PORT();
  ASSERT_TRUE(OpenForExchange());
  std::string data;
  // The port's own failure, as on Linux: the link closes and the window's error report shows it.
  EXPECT_THROW(ReadPlu(1, data), qm::EComPort);
  EXPECT_FALSE(port.Connected());  // the event thread has ended, or this would hang
  EXPECT_TRUE(dialogs.Shown().empty());
}

}  // namespace
